#pragma once

#include "map/core/MapArea.h"

#include <QList>
#include <QPolygonF>

#include <optional>

// A parcel's polygons from its boundary lines: the lines are chained into
// closed rings by their end points, a chain that passes a point twice is cut
// into simple rings, a ring inside an odd number of others is a hole of the
// smallest that holds it and any other ring the outer ring of a piece, and
// the result must be a valid (multi)polygon for GDAL.
namespace MapRings {
// A boundary line and the keys of its end points (pointKey).
struct Edge
{
    QPolygonF points;
    qint64 start = 0, end = 0;
};

// A vertex by its position to the centimetre, the precision of the files:
// the lines of one parcel meet where their end points are the same.
qint64 pointKey(QPointF p);
// Positive for a counter-clockwise ring, in the square of the coordinates' unit.
double signedArea(const QPolygonF& ring);
// The pieces of the parcel, each with its holes; nullopt when a chain stays
// open or the result is not a valid polygon (never a wrong polygon).
std::optional<QList<MapPolygon>> polygons(const QList<Edge>& edges);
} // namespace MapRings
