#pragma once

#include <QDateTime>
#include <QList>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QStringList>

// The map of one cadastral area as the program holds it in memory: what the
// map store reads from the area's GeoPackage, what the VFK import builds and
// writes there, and what the map painter draws. Coordinates are S-JTSK /
// Krovak East North (EPSG:5514) in metres with the signs as GDAL writes them:
// both negative in the Czech Republic (the files' Y 794768.46 is x = -794768.46,
// their X 1156889.48 is y = -1156889.48), so x grows to the east and y to the
// north as on any map.

// One polygon: the first ring is the outer boundary, the others are holes.
// Rings are closed implicitly (the last point is not repeated).
struct MapPolygon
{
    QList<QPolygonF> rings;
};

// A parcel keyed as in NYSPA (PARSKUP, PARCIS, PARPOD), one or more separate
// pieces; `parts` is empty for a parcel whose boundary does not close.
struct MapParcel
{
    int group = 0;           // PARSKUP
    int stem = 0;            // PARCIS
    int subdivision = 0;     // PARPOD
    double officialArea = 0; // VYMERA, m²
    int kindOfLand = 0;      // DRUHPOZ
    QList<MapPolygon> parts;
    QRectF bounds; // of all parts; null without geometry
};

// A boundary line or another map line with its kind (TYPPPD_KOD for
// boundaries, the line's own kind code for soil-quality boundaries).
struct MapLine
{
    int kind = 0;
    QPolygonF points;
};

// A text placed on the map: a parcel number, a map text, a soil-quality code.
// `size` is the text height in metres on the ground, `angle` in degrees
// counter-clockwise from the east.
struct MapLabel
{
    QString text;
    QPointF position;
    double size = 0;
    double angle = 0;
    int kind = 0; // the source group: see MapSchema::LabelKind
};

// Where the map came from and when: the metadata table of the GeoPackage.
struct MapSource
{
    QStringList files;    // the VFK files, as given
    QString validity;     // their &HPLATNOST
    QDateTime importedAt; // UTC
};

struct MapArea
{
    QString code; // the area's national code, 6 digits ("789160")
    QString name;
    MapSource source;
    QList<MapParcel> parcels;
    QList<MapLine> boundaries;     // layer hranice
    QList<MapLabel> labels;        // layer popisy
    QList<MapLine> soilBoundaries; // layer bpej, lines
    QList<MapLabel> soilLabels;    // layer bpej, labels
    QRectF extent;                 // of everything above
};
