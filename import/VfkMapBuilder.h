#pragma once

#include "import/VfkDataSet.h"
#include "import/VfkReader.h"
#include "map/core/MapArea.h"
#include "map/core/MapRings.h"

#include <QMap>
#include <functional>
#include <optional>

class VfkColumns;

// Builds the maps of an import's cadastral areas from the map blocks of its
// files: parcel polygons from the boundary lines (HP) that name a parcel on
// either side, their vertices (SBP, in PORADOVE_CISLO_BODU order) placed by
// the boundary points (SOBR, else SPOL); other map lines (DPM, ZVB), labels
// (OP, DPM, OBBP) and the soil-quality boundaries and labels (HBPEJ with
// their SBM vertices, OBPEJ). The map file and the descriptive file of one
// area may be two files: the data set holds both, so PAR_ID resolve across
// them.
//
// A parcel's lines are chained into closed rings; a ring inside another is
// a hole, a ring outside every other is a further piece; the result must be
// a valid (multi)polygon. A parcel whose lines do not close, or whose rings
// make no valid polygon, gets none and is named in the warnings, never a
// wrong polygon. A boundary naming a parcel that no file defines is a
// warning and that side is skipped. Coordinates that lie outside the Czech
// Republic's S-JTSK extent and map rows of an area the files do not list
// (KATUZE) are refused (ETalvekException naming the file and the line).
class VfkMapBuilder
{
public:
    using Edge = MapRings::Edge;

    explicit VfkMapBuilder(const VfkDataSet& data);
    // True when the files carry parcel boundaries (rows of HP).
    static bool hasMap(const VfkDataSet& data);
    // The blocks and columns the builder reads, for VfkReader.
    static VfkReader::Selection columnsRead();
    // One map per area whose parcels some boundary line names, by area code.
    // `between` is called between the build's stages (a few hundred
    // milliseconds apart for a large area), to report progress; it may
    // throw (a cancel).
    QList<MapArea> build(const std::function<void()>& between = {});
    const QStringList& warnings() const { return m_warnings; }

    // The summary line of an area's map: parcels with a polygon of all,
    // the numbers of those without one (up to 10), the largest difference
    // between a polygon's area and the official area in m² and per cent.
    static QString summary(const MapArea& area);
    // The area of a parcel's polygons in m² (holes subtracted).
    static double polygonArea(const MapParcel& parcel);

private:
    struct ParcelRef
    {
        QString area;
        int index = -1;
    };
    // Line ID -> (PORADOVE_CISLO_BODU, point ID) or (order, point).
    using Vertices = QHash<QString, QList<std::pair<qint64, QString>>>;
    using PlacedVertices = QHash<QString, QList<std::pair<qint64, QPointF>>>;

    void readCatalogue();
    void readParcels();
    void readPoints(const char* block);
    static std::optional<QPointF> pointAt(const VfkColumns& c, int row, int yColumn, int xColumn);
    void readVertices();
    QPolygonF placed(QList<std::pair<qint64, QString>> vertices) const;
    static QPolygonF placed(QList<std::pair<qint64, QPointF>> vertices);
    void readBoundaries();
    bool buildPolygon(MapParcel& parcel, const QList<Edge>& edges) const;
    void buildPolygons();
    MapArea* areaOf(const VfkColumns& c, int row, int katuze, QPointF at);
    void readLines(const char* block, bool soil);
    void readLabels(const char* block, int kind);

    const VfkDataSet& m_data;
    QHash<QString, QString> m_catalogue; // KATUZE.KOD -> NAZEV
    QMap<QString, MapArea> m_areas;      // by code, every area with parcels
    QSet<QString> m_mapped;              // areas some boundary line names
    QHash<QString, ParcelRef> m_parcels; // PAR.ID -> area and index
    QHash<QString, QPointF> m_points;    // SOBR / SPOL ID -> point
    Vertices m_hpVertices, m_dpmVertices, m_zvbVertices;
    PlacedVertices m_dpmPlaced, m_soilPlaced;
    QHash<QString, QList<Edge>> m_edges; // PAR.ID -> its boundary lines
    QStringList m_warnings;
    int m_unknownParcels = 0;
    int m_brokenLines = 0;
};
