#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>

struct MapArea;
struct MapParcel;

// Which parcels of an area lie under a point or touch a rectangle, in ground
// coordinates (EPSG:5514 metres). A point in a hole of a parcel is not on
// that parcel; a point on no parcel finds nothing. The parcels are looked up
// by their bounds first, so a query costs a pass over the bounds and an exact
// test of the few candidates.
class MapHitTest
{
public:
    explicit MapHitTest(const MapArea& area);

    // The index in area.parcels of the parcel under `world`, or -1. Where
    // parcels overlap (they should not) the later one wins, as it is drawn
    // on top.
    int parcelAt(const QPointF& world) const;
    // The indexes of the parcels that touch `world` (inside, across or
    // around its edges), in area order.
    QList<int> parcelsIn(const QRectF& world) const;

    static bool contains(const MapParcel& parcel, const QPointF& world);
    static bool touches(const MapParcel& parcel, const QRectF& world);

private:
    const MapArea& m_area;
};
