#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QSet>
#include <QString>

struct MapArea;
class QPainter;

// Draws the map of one cadastral area with plain QPainter calls, so that the
// map window, PNG and SVG images and PDF pages show the same picture:
// parcels filled by kind of land (buildings distinct), boundaries, parcel
// numbers where they fit at the scale, the marked parcels in a colour of
// their own, a scale bar and a north arrow. Nothing is drawn outside `rect`.
class MapPainter
{
public:
    struct Options
    {
        // Parcels to highlight, by MapParcelCode.
        QSet<qint64> marked;
        // The ground to show whole (EPSG:5514 metres); null: the area's extent.
        QRectF world;
        // Free space kept around the ground shown, in millimetres of paper.
        double marginMm = 5;
        // The parcel numbers' font; its point size is kept on every device.
        QFont font = QFont(QStringLiteral("Liberation Sans"), 7);
        // Shown in the top left corner (the area's name); empty: none.
        QString title;
    };
    // What one paint call drew.
    struct Drawn
    {
        int parcels = 0; // parcels at least partly in view
        int marked = 0;  // of them highlighted
        int numbers = 0; // parcel numbers written
        double metresPerMm = 0;
    };

    // `rect` is in device coordinates.
    static Drawn paint(QPainter& painter, const QRectF& rect, const MapArea& area,
                       const Options& options);

    // The fill of a kind of land (DRUHPOZ), by its group: arable land (also
    // hop gardens and vineyards), gardens and orchards, grassland, forest,
    // water, built-up land, other land; white for an unknown kind.
    static QColor kindColour(int kindOfLand);
    static QColor markedColour() { return QColor(0xD0, 0x00, 0xB0); }
};
