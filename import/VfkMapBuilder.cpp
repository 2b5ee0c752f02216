#include "import/VfkMapBuilder.h"
#include "base/ETalvekException.h"
#include "data/ParcelNumber.h"
#include "import/VfkColumns.h"
#include "import/VfkParcelBuilder.h"
#include "map/core/MapRings.h"
#include "map/core/MapSchema.h"
#include "map/core/MapStore.h"

#include <QLocale>

#include <cpl_error.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

const QString S(const char* text)
{
    return QString::fromLatin1(text);
}

// The S-JTSK coordinates of the Czech Republic as the files write them
// (both signs dropped): Y about 431,000 to 905,000 m (east to west), X about
// 935,000 to 1,228,000 m (north to south); with a margin.
constexpr double MinY = 400'000, MaxY = 950'000, MinX = 900'000, MaxX = 1'260'000;
// Warnings name at most this many lines or parcels one by one.
constexpr int MaxNamed = 10;
constexpr qint64 OrderMax = 1'000'000'000;

// VFK text angles are in gons, counter-clockwise as the map's degrees (a
// parcel number lies along its parcel).
double degreesOf(double gons)
{
    double degrees = std::fmod(gons * 0.9, 360.0);
    if (degrees <= -180)
        degrees += 360;
    if (degrees > 180)
        degrees -= 360;
    return degrees;
}

// GDAL prints its messages on stderr unless told otherwise; the builder
// reports in its own words.
struct QuietGdalErrors
{
    QuietGdalErrors() { CPLPushErrorHandler(CPLQuietErrorHandler); }
    ~QuietGdalErrors() { CPLPopErrorHandler(); }
};

// A named list of at most MaxNamed items and a count of the rest.
void addNamed(QStringList& warnings, int& count, const QString& text)
{
    if (++count <= MaxNamed)
        warnings.append(text);
}

QString czech(double value, int decimals)
{
    return QLocale(QLocale::Czech).toString(value, 'f', decimals);
}

} // namespace

VfkMapBuilder::VfkMapBuilder(const VfkDataSet& data) : m_data(data) {}

bool VfkMapBuilder::hasMap(const VfkDataSet& data)
{
    return !data.block(S("HP")).rows.isEmpty();
}

VfkReader::Selection VfkMapBuilder::columnsRead()
{
    const QStringList point{"ID", "SOURADNICE_Y", "SOURADNICE_X"};
    const QStringList label = point + QStringList{"TEXT", "VELIKOST", "UHEL"};
    const QStringList line{"ID", "TYPPPD_KOD", "KATUZE_KOD"};
    return {
        {"KATUZE", {"KOD", "NAZEV"}},
        {"PAR",
         {"ID", "KATUZE_KOD", "KMENOVE_CISLO_PAR", "DRUH_CISLOVANI_PAR", "PAR_TYPE", "ZDPAZE_KOD",
          "KATUZE_KOD_PUV", "PODDELENI_CISLA_PAR", "VYMERA_PARCELY", "DRUPOZ_KOD"}},
        {"SOBR", point},
        {"SPOL", point},
        {"SBP", {"ID", "BP_ID", "PORADOVE_CISLO_BODU", "HP_ID", "DPM_ID", "ZVB_ID"}},
        {"SBM", {"PORADOVE_CISLO_BODU", "SOURADNICE_Y", "SOURADNICE_X", "DPM_ID", "HBPEJ_ID"}},
        {"HP", {"ID", "TYPPPD_KOD", "PAR_ID_1", "PAR_ID_2"}},
        {"DPM", label + line},
        {"ZVB", line},
        {"HBPEJ", line},
        {"OP", label + QStringList{"PAR_ID"}},
        {"OBBP", label},
        {"OBPEJ", label + QStringList{"KATUZE_KOD"}}};
}

void VfkMapBuilder::readCatalogue()
{
    const VfkColumns c(m_data, S("KATUZE"));
    const int kod = c.required("KOD"), nazev = c.optional("NAZEV");
    for (int r = 0; r < c.rows(); ++r)
        m_catalogue.insert(c.text(r, kod), c.text(r, nazev));
}

void VfkMapBuilder::readParcels()
{
    const VfkColumns c(m_data, S("PAR"));
    const int id = c.required("ID"), katuze = c.required("KATUZE_KOD"),
              stem = c.required("KMENOVE_CISLO_PAR"), numbering = c.required("DRUH_CISLOVANI_PAR"),
              type = c.optional("PAR_TYPE"), zdpaze = c.optional("ZDPAZE_KOD"),
              former = c.optional("KATUZE_KOD_PUV"), sub = c.optional("PODDELENI_CISLA_PAR"),
              area = c.optional("VYMERA_PARCELY"), kind = c.optional("DRUPOZ_KOD");
    for (int r = 0; r < c.rows(); ++r) {
        const QString code = c.text(r, katuze);
        if (!m_catalogue.contains(code))
            c.refuse(r, QStringLiteral("katastrální území %1 parcely není v seznamu katastrálních "
                                       "území (blok KATUZE) souborů.")
                            .arg(code));
        MapArea& map = m_areas[code];
        map.code = code;
        map.name = m_catalogue.value(code);
        MapParcel parcel;
        parcel.group =
            VfkParcelBuilder::parcelGroup(c.text(r, type), c.integer(r, numbering, 0, 9) == 1,
                                          c.integer(r, zdpaze, 0, 9), !c.text(r, former).isEmpty());
        parcel.stem = int(c.integer(r, stem, 1, 9'999'999));
        parcel.subdivision = int(c.integer(r, sub, 0, 999));
        parcel.officialArea = c.real(r, area, 1e15);
        parcel.kindOfLand = int(c.integer(r, kind, 0, 99));
        m_parcels.insert(c.text(r, id), {code, int(map.parcels.size())});
        map.parcels.append(parcel);
    }
}

void VfkMapBuilder::readPoints(const char* block)
{
    const VfkColumns c(m_data, S(block));
    const int id = c.required("ID"), y = c.required("SOURADNICE_Y"), x = c.required("SOURADNICE_X");
    for (int r = 0; r < c.rows(); ++r)
        if (!m_points.contains(c.text(r, id)))
            if (const auto point = pointAt(c, r, y, x))
                m_points.insert(c.text(r, id), *point);
}

// The point of a row; nullopt where both coordinates are blank (a label
// that the map does not place).
std::optional<QPointF> VfkMapBuilder::pointAt(const VfkColumns& c, int row, int yColumn,
                                              int xColumn)
{
    if (c.text(row, yColumn).isEmpty() && c.text(row, xColumn).isEmpty())
        return std::nullopt;
    const double y = c.real(row, yColumn, 1e9), x = c.real(row, xColumn, 1e9);
    if (y < MinY || y > MaxY || x < MinX || x > MaxX)
        c.refuse(row, QStringLiteral("souřadnice Y %1, X %2 neleží v České republice (S-JTSK).")
                          .arg(c.text(row, yColumn), c.text(row, xColumn)));
    return QPointF(-y, -x);
}

// The vertices of the lines (HP, DPM, ZVB) through the boundary points, and
// those with their own coordinates (DPM, HBPEJ), each by its line's ID.
void VfkMapBuilder::readVertices()
{
    const VfkColumns sbp(m_data, S("SBP"));
    const int bp = sbp.required("BP_ID"), order = sbp.required("PORADOVE_CISLO_BODU");
    const std::pair<int, Vertices*> lineOf[] = {{sbp.optional("HP_ID"), &m_hpVertices},
                                                {sbp.optional("DPM_ID"), &m_dpmVertices},
                                                {sbp.optional("ZVB_ID"), &m_zvbVertices}};
    for (int r = 0; r < sbp.rows(); ++r)
        for (const auto& [column, vertices] : lineOf)
            if (!sbp.text(r, column).isEmpty())
                (*vertices)[sbp.text(r, column)].append(
                    {sbp.integer(r, order, 0, OrderMax), sbp.text(r, bp)});
    const VfkColumns sbm(m_data, S("SBM"));
    const int sbmOrder = sbm.required("PORADOVE_CISLO_BODU"), y = sbm.required("SOURADNICE_Y"),
              x = sbm.required("SOURADNICE_X");
    const std::pair<int, PlacedVertices*> placedOf[] = {{sbm.optional("DPM_ID"), &m_dpmPlaced},
                                                        {sbm.optional("HBPEJ_ID"), &m_soilPlaced}};
    for (int r = 0; r < sbm.rows(); ++r)
        for (const auto& [column, vertices] : placedOf)
            if (!sbm.text(r, column).isEmpty())
                if (const auto point = pointAt(sbm, r, y, x))
                    (*vertices)[sbm.text(r, column)].append(
                        {sbm.integer(r, sbmOrder, 0, OrderMax), *point});
}

// The line's points in PORADOVE_CISLO_BODU order; empty when a vertex names
// a point that no file has.
QPolygonF VfkMapBuilder::placed(QList<std::pair<qint64, QString>> vertices) const
{
    std::stable_sort(vertices.begin(), vertices.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QPolygonF points;
    points.reserve(vertices.size());
    for (const auto& [order, id] : vertices) {
        const auto it = m_points.constFind(id);
        if (it == m_points.constEnd())
            return {};
        if (points.isEmpty() || points.last() != *it)
            points.append(*it);
    }
    return points;
}

QPolygonF VfkMapBuilder::placed(QList<std::pair<qint64, QPointF>> vertices)
{
    std::stable_sort(vertices.begin(), vertices.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QPolygonF points;
    for (const auto& [order, point] : vertices)
        if (points.isEmpty() || points.last() != point)
            points.append(point);
    return points;
}

void VfkMapBuilder::readBoundaries()
{
    const VfkColumns c(m_data, S("HP"));
    const int id = c.required("ID"), kind = c.optional("TYPPPD_KOD"),
              side1 = c.required("PAR_ID_1"), side2 = c.required("PAR_ID_2");
    for (int r = 0; r < c.rows(); ++r) {
        const QPolygonF points = placed(m_hpVertices.take(c.text(r, id)));
        if (points.size() < 2) {
            addNamed(m_warnings, m_brokenLines,
                     c.where(r) + QStringLiteral(": hranice nemá úplné lomové body (SBP, SOBR); "
                                                 "parcely na jejích stranách nedostanou polygon."));
            continue;
        }
        const MapLine line{int(c.integer(r, kind, 0, 2147483647)), points};
        const Edge edge{points, MapRings::pointKey(points.first()),
                        MapRings::pointKey(points.last())};
        QSet<QString> areas;
        for (const int side : {side1, side2}) {
            const QString parcel = c.text(r, side);
            if (parcel.isEmpty())
                continue;
            const auto ref = m_parcels.constFind(parcel);
            if (ref == m_parcels.constEnd()) {
                addNamed(m_warnings, m_unknownParcels,
                         c.where(r) + QStringLiteral(": hranice odkazuje na parcelu %1, kterou "
                                                     "žádný soubor nemá (PAR); ta strana se "
                                                     "vynechá.")
                                          .arg(parcel));
                continue;
            }
            // A line with the same parcel on both sides lies inside it.
            if (side == side1 || parcel != c.text(r, side1))
                m_edges[parcel].append(edge);
            areas.insert(ref->area);
        }
        for (const QString& area : areas) {
            m_mapped.insert(area);
            m_areas[area].boundaries.append(line);
        }
    }
}

// A parcel named on both sides of one line would get that line twice:
// edges of such a line are dropped above, and a parcel whose lines make no
// closed rings or no valid polygon gets none.
bool VfkMapBuilder::buildPolygon(MapParcel& parcel, const QList<Edge>& edges) const
{
    auto parts = MapRings::polygons(edges);
    if (!parts)
        return false;
    parcel.parts = std::move(*parts);
    for (const MapPolygon& part : parcel.parts)
        parcel.bounds |= part.rings.first().boundingRect();
    return true;
}

void VfkMapBuilder::buildPolygons()
{
    int failed = 0;
    for (auto it = m_edges.cbegin(); it != m_edges.cend(); ++it) {
        const ParcelRef ref = m_parcels.value(it.key());
        MapArea& area = m_areas[ref.area];
        MapParcel& parcel = area.parcels[ref.index];
        if (!buildPolygon(parcel, *it))
            addNamed(m_warnings, failed,
                     QStringLiteral("parcela %1 území %2: hranice se neuzavírají do platného "
                                    "polygonu, parcela je bez polygonu.")
                         .arg(FormatParcelNumber(parcel.group, parcel.stem, parcel.subdivision),
                              area.code));
    }
    if (failed > MaxNamed)
        m_warnings.append(
            QStringLiteral("dalších %1 parcel je bez polygonu.").arg(failed - MaxNamed));
    // Rows without an area (OBBP) go to the area whose parcels they lie among.
    for (const QString& code : m_mapped)
        m_areas[code].extent = MapStore::extentOf(m_areas[code]);
}

// The map of the area a row names in KATUZE_KOD; nullptr for an area the
// import has no parcels of (and for a row without an area, placed by its
// position). An area that the files do not list is refused.
MapArea* VfkMapBuilder::areaOf(const VfkColumns& c, int row, int katuze, QPointF at)
{
    const QString code = c.text(row, katuze);
    if (code.isEmpty()) {
        for (auto it = m_areas.begin(); it != m_areas.end(); ++it)
            if (m_mapped.contains(it.key()) && it->extent.contains(at))
                return &*it;
        return nullptr;
    }
    if (!m_catalogue.contains(code))
        c.refuse(row, QStringLiteral("katastrální území %1 není v seznamu katastrálních území "
                                     "(blok KATUZE) souborů.")
                          .arg(code));
    const auto it = m_areas.find(code);
    return it == m_areas.end() || !m_mapped.contains(code) ? nullptr : &*it;
}

// Labels: OP (parcel numbers, the parcel's number where the row has no
// text), DPM and OBBP texts, OBPEJ soil-quality codes.
void VfkMapBuilder::readLabels(const char* block, int kind)
{
    const VfkColumns c(m_data, S(block));
    const int y = c.required("SOURADNICE_Y"), x = c.required("SOURADNICE_X"),
              text = c.optional("TEXT"), size = c.optional("VELIKOST"), angle = c.optional("UHEL"),
              parcel = c.optional("PAR_ID"), katuze = c.optional("KATUZE_KOD");
    for (int r = 0; r < c.rows(); ++r) {
        const auto position = pointAt(c, r, y, x);
        if (!position)
            continue;
        MapLabel label{c.text(r, text), *position, c.real(r, size, 1e6),
                       degreesOf(c.real(r, angle, 1e6)), kind};
        MapArea* area = nullptr;
        if (parcel >= 0) {
            const ParcelRef ref = m_parcels.value(c.text(r, parcel));
            if (ref.index < 0 || !m_mapped.contains(ref.area))
                continue;
            area = &m_areas[ref.area];
            const MapParcel& p = area->parcels[ref.index];
            if (label.text.isEmpty())
                label.text = FormatParcelNumber(p.group, p.stem, p.subdivision);
        } else {
            area = areaOf(c, r, katuze, label.position);
        }
        if (!area || label.text.isEmpty())
            continue;
        (kind == MapSchema::SoilLabel ? area->soilLabels : area->labels).append(label);
    }
}

// Other map lines (DPM through boundary points or their own coordinates,
// ZVB) join the boundaries with their kind; HBPEJ are the soil boundaries.
void VfkMapBuilder::readLines(const char* block, bool soil)
{
    const VfkColumns c(m_data, S(block));
    const int id = c.required("ID"), kind = c.optional("TYPPPD_KOD"),
              katuze = c.optional("KATUZE_KOD");
    const bool dpm = qstrcmp(block, "DPM") == 0;
    for (int r = 0; r < c.rows(); ++r) {
        const QString lineId = c.text(r, id);
        QPolygonF points = soil ? placed(m_soilPlaced.take(lineId))
                                : (dpm ? placed(m_dpmPlaced.take(lineId)) : QPolygonF());
        if (points.isEmpty() && !soil)
            points = placed((dpm ? m_dpmVertices : m_zvbVertices).take(lineId));
        if (points.size() < 2)
            continue;
        MapArea* area = areaOf(c, r, katuze, points.first());
        if (!area)
            continue;
        (soil ? area->soilBoundaries : area->boundaries)
            .append({int(c.integer(r, kind, 0, 2147483647)), points});
    }
}

QList<MapArea> VfkMapBuilder::build(const std::function<void()>& between)
{
    const auto reached = [&] {
        if (between)
            between();
    };
    QuietGdalErrors quiet;
    readCatalogue();
    readParcels();
    reached();
    readPoints("SOBR");
    readPoints("SPOL"); // points that SOBR lacks
    reached();
    readVertices();
    reached();
    readBoundaries();
    reached();
    if (m_unknownParcels > MaxNamed || m_brokenLines > MaxNamed)
        m_warnings.append(QStringLiteral("dalších %1 odkazů hranic na neznámé parcely a %2 hranic "
                                         "bez lomových bodů.")
                              .arg(std::max(0, m_unknownParcels - MaxNamed))
                              .arg(std::max(0, m_brokenLines - MaxNamed)));
    buildPolygons();
    reached();
    readLines("DPM", false);
    readLines("ZVB", false);
    readLines("HBPEJ", true);
    reached();
    readLabels("OP", MapSchema::ParcelNumberLabel);
    readLabels("DPM", MapSchema::MapTextLabel);
    readLabels("OBBP", MapSchema::BuildingTextLabel);
    readLabels("OBPEJ", MapSchema::SoilLabel);
    reached();
    QList<MapArea> maps;
    const MapSource source{m_data.paths(), m_data.validity(), QDateTime::currentDateTimeUtc()};
    for (auto it = m_areas.begin(); it != m_areas.end(); ++it)
        if (m_mapped.contains(it.key())) {
            it->source = source;
            it->extent = MapStore::extentOf(*it);
            maps.append(std::move(*it));
        }
    return maps;
}

double VfkMapBuilder::polygonArea(const MapParcel& parcel)
{
    double area = 0;
    for (const MapPolygon& part : parcel.parts)
        for (int r = 0; r < part.rings.size(); ++r)
            area += (r == 0 ? 1 : -1) * std::abs(MapRings::signedArea(part.rings[r]));
    return area;
}

namespace {
// The largest gap between a polygon's area and the official one.
struct Gap
{
    double metres = -1, share = 0;
    QString parcel;
    QString text() const
    {
        return QStringLiteral("%1 m² (%2 %, parcela %3)")
            .arg(czech(metres, 2), czech(share, 2), parcel);
    }
};
} // namespace

QString VfkMapBuilder::summary(const MapArea& area)
{
    int withPolygon = 0;
    QStringList without;
    Gap inMetres, inShare; // the largest in m² and the largest in per cent
    for (const MapParcel& parcel : area.parcels) {
        const QString number = FormatParcelNumber(parcel.group, parcel.stem, parcel.subdivision);
        if (parcel.parts.isEmpty()) {
            without.append(number);
            continue;
        }
        ++withPolygon;
        const double metres = std::abs(polygonArea(parcel) - parcel.officialArea);
        const Gap gap{metres, parcel.officialArea > 0 ? 100 * metres / parcel.officialArea : 0,
                      number};
        if (gap.metres > inMetres.metres)
            inMetres = gap;
        if (inShare.metres < 0 || gap.share > inShare.share)
            inShare = gap;
    }
    QString line = QStringLiteral("  mapa %1 %2: parcely s polygonem %3 z %4")
                       .arg(area.code, area.name)
                       .arg(withPolygon)
                       .arg(area.parcels.size());
    if (!without.isEmpty())
        line += QStringLiteral(", bez polygonu %1 (%2%3)")
                    .arg(without.size())
                    .arg(without.mid(0, MaxNamed).join(QStringLiteral(", ")),
                         without.size() > MaxNamed ? QStringLiteral(", …") : QString());
    if (inMetres.metres >= 0)
        line += QStringLiteral("; největší rozdíl proti výměře %1, v procentech %2")
                    .arg(inMetres.text(), inShare.text());
    return line;
}
