#pragma once

#include "map/core/MapPainter.h"

#include <QDate>
#include <QRectF>
#include <QStringList>

class QPainter;
struct MapArea;

// A printed map page: the map painter's picture of the ground asked for,
// fitted to the page above a title block naming the area and the date, with
// the note that the picture is for information only.
class MapSheet
{
public:
    // The title block's lines, top to bottom; a fixed scale (its
    // denominator, 0 for none) is named after the date.
    static QStringList TitleLines(const QString& areaName, const QDate& date, int scale = 0);
    // Paints on `page` (device coordinates of the painter); `options.world`
    // is the ground to show (null: the whole area). Returns what the map
    // painter drew.
    static MapPainter::Drawn Paint(QPainter& painter, const QRectF& page, const MapArea& area,
                                   const MapPainter::Options& options, const QDate& date);
};
