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
    // Layers that can be switched on and off. The lines of the map fall into
    // three groups by their kind (TYPPPD_KOD, see lineLayer); the
    // soil-quality layer (BPEJ: its boundaries and codes) is off unless asked
    // for.
    enum Layer
    {
        ParcelBoundaries = 0x1,
        AreaBoundaries = 0x2,
        OtherLines = 0x4,
        SoilQuality = 0x8,
    };
    static constexpr int DefaultLayers = ParcelBoundaries | AreaBoundaries | OtherLines;

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
        // The layers drawn, a combination of Layer values.
        int layers = DefaultLayers;
        // A fixed scale, its denominator (1000 for 1:1000): the ground shown
        // is centred on the centre of `world` and as large as the paper
        // allows at that scale. 0: `world` is fitted to the paper.
        int scale = 0;
    };
    // What one paint call drew.
    struct Drawn
    {
        int parcels = 0;    // parcels at least partly in view
        int marked = 0;     // of them highlighted
        int numbers = 0;    // parcel numbers written
        int lines = 0;      // map lines drawn (boundaries and others)
        int soilLines = 0;  // soil-quality boundaries drawn
        int soilLabels = 0; // soil-quality codes written
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
    static QColor soilColour() { return QColor(0x9A, 0x5B, 0x13); }
    // The layer of a map line by its kind: the boundaries of the cadastral
    // area (205xx and 206xx: along the area's edge, towards the neighbouring
    // areas), the boundaries between parcels (21900), and the other lines of
    // the map drawing (boundaries of kinds of land inside a parcel, balks,
    // protected areas and zones, easements).
    static Layer lineLayer(int kind);
};
