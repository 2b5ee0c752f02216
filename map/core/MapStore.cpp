#include "map/core/MapStore.h"
#include "base/ETalvekException.h"
#include "base/OrvPaths.h"
#include "db/TableWriteGuard.h"
#include "map/core/MapSchema.h"
#include "map/core/MapStoreReader.h"
#include "map/core/QuietGdal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cpl_error.h>
#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// ---------------------------------------------------------------------------
// Writing

OGRSpatialReferenceH krovak()
{
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(srs, MapSchema::Epsg);
    // x east, y north, as the coordinates are held; never the EPSG axis order.
    OSRSetAxisMappingStrategy(srs, OAMS_TRADITIONAL_GIS_ORDER);
    return srs;
}

class GpkgWriter
{
public:
    GpkgWriter(GDALDatasetH dataset, const QString& path, const MapStore::Progress& progress)
        : m_ds(dataset), m_path(path), m_progress(progress)
    {
        m_srs = krovak();
    }
    ~GpkgWriter() { OSRDestroySpatialReference(m_srs); }
    GpkgWriter(const GpkgWriter&) = delete;
    GpkgWriter& operator=(const GpkgWriter&) = delete;

    void writeAll(const MapArea& area);

private:
    OGRLayerH layer(const char* name, OGRwkbGeometryType type,
                    const QList<std::pair<const char*, OGRFieldType>>& fields);
    void add(OGRLayerH layer, OGRFeatureH feature, OGRGeometryH geometry);
    [[noreturn]] void fail() const;
    void askToGoOn() const;
    void parcels(const QList<MapParcel>& parcels);
    void lines(OGRLayerH layer, const QList<MapLine>& lines, const char* kindField);
    void labels(OGRLayerH layer, const QList<MapLabel>& labels);
    void metadata(const MapArea& area);

    GDALDatasetH m_ds;
    QString m_path;
    const MapStore::Progress& m_progress;
    OGRSpatialReferenceH m_srs = nullptr;
    int m_added = 0;
};

// Some ten thousand features a second go in: asking every 2000 lets a
// cancel act well within a second.
constexpr int FeaturesBetweenQuestions = 2000;

void GpkgWriter::askToGoOn() const
{
    if (m_progress && !m_progress())
        throw ETalvekException(QStringLiteral("Import byl zrušen."));
}

void GpkgWriter::fail() const
{
    throw ETalvekException(
        QStringLiteral("Mapu %1 nelze zapsat: %2").arg(native(m_path), QuietGdal::lastError()));
}

OGRLayerH GpkgWriter::layer(const char* name, OGRwkbGeometryType type,
                            const QList<std::pair<const char*, OGRFieldType>>& fields)
{
    const char* options[] = {"SPATIAL_INDEX=YES", nullptr};
    OGRLayerH layer = GDALDatasetCreateLayer(m_ds, name, type == wkbNone ? nullptr : m_srs, type,
                                             const_cast<char**>(options));
    if (!layer)
        fail();
    for (const auto& [fieldName, fieldType] : fields) {
        OGRFieldDefnH field = OGR_Fld_Create(fieldName, fieldType);
        const OGRErr err = OGR_L_CreateField(layer, field, TRUE);
        OGR_Fld_Destroy(field);
        if (err != OGRERR_NONE)
            fail();
    }
    return layer;
}

// Takes ownership of the feature and the geometry (nullptr: none).
void GpkgWriter::add(OGRLayerH layer, OGRFeatureH feature, OGRGeometryH geometry)
{
    if (geometry)
        OGR_F_SetGeometryDirectly(feature, geometry);
    const OGRErr err = OGR_L_CreateFeature(layer, feature);
    OGR_F_Destroy(feature);
    if (err != OGRERR_NONE)
        fail();
    if (++m_added % FeaturesBetweenQuestions == 0)
        askToGoOn();
}

OGRGeometryH ringOf(const QPolygonF& points)
{
    OGRGeometryH ring = OGR_G_CreateGeometry(wkbLinearRing);
    for (const QPointF& p : points)
        OGR_G_AddPoint_2D(ring, p.x(), p.y());
    OGR_G_CloseRings(ring);
    return ring;
}

OGRGeometryH multiPolygonOf(const MapParcel& parcel)
{
    if (parcel.parts.isEmpty())
        return nullptr;
    OGRGeometryH multi = OGR_G_CreateGeometry(wkbMultiPolygon);
    for (const MapPolygon& part : parcel.parts) {
        OGRGeometryH polygon = OGR_G_CreateGeometry(wkbPolygon);
        for (const QPolygonF& ring : part.rings)
            OGR_G_AddGeometryDirectly(polygon, ringOf(ring));
        OGR_G_AddGeometryDirectly(multi, polygon);
    }
    return multi;
}

OGRGeometryH lineOf(const QPolygonF& points)
{
    OGRGeometryH line = OGR_G_CreateGeometry(wkbLineString);
    for (const QPointF& p : points)
        OGR_G_AddPoint_2D(line, p.x(), p.y());
    return line;
}

OGRGeometryH pointOf(QPointF p)
{
    OGRGeometryH point = OGR_G_CreateGeometry(wkbPoint);
    OGR_G_SetPoint_2D(point, 0, p.x(), p.y());
    return point;
}

void GpkgWriter::parcels(const QList<MapParcel>& parcels)
{
    using namespace MapSchema;
    OGRLayerH l = layer(ParcelLayer, wkbMultiPolygon,
                        {{ParcelGroup, OFTInteger},
                         {ParcelStem, OFTInteger},
                         {ParcelSubdivision, OFTInteger},
                         {ParcelArea, OFTReal},
                         {ParcelKindOfLand, OFTInteger}});
    for (const MapParcel& parcel : parcels) {
        OGRFeatureH f = OGR_F_Create(OGR_L_GetLayerDefn(l));
        OGR_F_SetFieldInteger(f, 0, parcel.group);
        OGR_F_SetFieldInteger(f, 1, parcel.stem);
        OGR_F_SetFieldInteger(f, 2, parcel.subdivision);
        OGR_F_SetFieldDouble(f, 3, parcel.officialArea);
        OGR_F_SetFieldInteger(f, 4, parcel.kindOfLand);
        add(l, f, multiPolygonOf(parcel));
    }
}

void GpkgWriter::lines(OGRLayerH l, const QList<MapLine>& lines, const char* kindField)
{
    const int kind = OGR_FD_GetFieldIndex(OGR_L_GetLayerDefn(l), kindField);
    for (const MapLine& line : lines) {
        OGRFeatureH f = OGR_F_Create(OGR_L_GetLayerDefn(l));
        OGR_F_SetFieldInteger(f, kind, line.kind);
        add(l, f, lineOf(line.points));
    }
}

void GpkgWriter::labels(OGRLayerH l, const QList<MapLabel>& labels)
{
    using namespace MapSchema;
    OGRFeatureDefnH defn = OGR_L_GetLayerDefn(l);
    const int text = OGR_FD_GetFieldIndex(defn, LabelText),
              size = OGR_FD_GetFieldIndex(defn, LabelSize),
              angle = OGR_FD_GetFieldIndex(defn, LabelAngle),
              kind = OGR_FD_GetFieldIndex(defn, LabelKind);
    for (const MapLabel& label : labels) {
        OGRFeatureH f = OGR_F_Create(defn);
        OGR_F_SetFieldString(f, text, label.text.toUtf8().constData());
        OGR_F_SetFieldDouble(f, size, label.size);
        OGR_F_SetFieldDouble(f, angle, label.angle);
        OGR_F_SetFieldInteger(f, kind, label.kind);
        add(l, f, pointOf(label.position));
    }
}

void GpkgWriter::metadata(const MapArea& area)
{
    using namespace MapSchema;
    OGRLayerH l =
        layer(MetadataTable, wkbNone, {{MetadataKey, OFTString}, {MetadataValue, OFTString}});
    int withGeometry = 0;
    for (const MapParcel& parcel : area.parcels)
        withGeometry += parcel.parts.isEmpty() ? 0 : 1;
    const QList<std::pair<const char*, QString>> rows{
        {"kod", area.code},
        {"nazev", area.name},
        {"soubory", area.source.files.join(QLatin1Char('\n'))},
        {"platnost", area.source.validity},
        {"importovano", area.source.importedAt.toUTC().toString(Qt::ISODate)},
        {"parcel", QString::number(area.parcels.size())},
        {"parcel_s_geometrii", QString::number(withGeometry)},
        {"hranic", QString::number(area.boundaries.size())},
        {"popisu", QString::number(area.labels.size())}};
    for (const auto& [key, value] : rows) {
        OGRFeatureH f = OGR_F_Create(OGR_L_GetLayerDefn(l));
        OGR_F_SetFieldString(f, 0, key);
        OGR_F_SetFieldString(f, 1, value.toUtf8().constData());
        add(l, f, nullptr);
    }
}

void GpkgWriter::writeAll(const MapArea& area)
{
    using namespace MapSchema;
    // One transaction: GeoPackage commits each feature on its own otherwise.
    if (GDALDatasetStartTransaction(m_ds, FALSE) != OGRERR_NONE)
        fail();
    parcels(area.parcels);
    askToGoOn();
    lines(layer(BoundaryLayer, wkbLineString, {{BoundaryKind, OFTInteger}}), area.boundaries,
          BoundaryKind);
    askToGoOn();
    labels(layer(LabelLayer, wkbPoint,
                 {{LabelText, OFTString},
                  {LabelSize, OFTReal},
                  {LabelAngle, OFTReal},
                  {LabelKind, OFTInteger}}),
           area.labels);
    askToGoOn();
    OGRLayerH soil = layer(SoilLayer, wkbUnknown,
                           {{LabelText, OFTString},
                            {LabelSize, OFTReal},
                            {LabelAngle, OFTReal},
                            {LabelKind, OFTInteger}});
    lines(soil, area.soilBoundaries, LabelKind);
    labels(soil, area.soilLabels);
    metadata(area);
    askToGoOn();
    if (GDALDatasetCommitTransaction(m_ds) != OGRERR_NONE)
        fail();
    // The spatial indexes are built once the features are in, at the close
    // unless asked for earlier: layer by layer here, with a question
    // between (the boundaries' index alone takes about half a second for a
    // large area).
    for (int i = 0; i < GDALDatasetGetLayerCount(m_ds); ++i) {
        if (OGR_L_SyncToDisk(GDALDatasetGetLayer(m_ds, i)) != OGRERR_NONE)
            fail();
        askToGoOn();
    }
}

void removeFile(const QString& path)
{
    ::unlink(QFile::encodeName(path).constData());
}

} // namespace

MapStore::MapStore(QString directory) : m_directory(QDir::cleanPath(std::move(directory))) {}

MapStore::MapStore() : MapStore(OrvPaths::mapDir()) {}

QRectF MapStore::extentOf(const MapArea& area)
{
    // A label is a point, an empty rectangle that a union of rectangles would
    // skip: every corner and point goes into one polygon instead.
    QPolygonF all;
    for (const MapParcel& parcel : area.parcels)
        if (!parcel.bounds.isNull())
            all << parcel.bounds.topLeft() << parcel.bounds.bottomRight();
    for (const auto* lines : {&area.boundaries, &area.soilBoundaries})
        for (const MapLine& line : *lines)
            all << line.points;
    for (const auto* labels : {&area.labels, &area.soilLabels})
        for (const MapLabel& label : *labels)
            all << label.position;
    return all.boundingRect();
}

bool MapStore::isAreaCode(const QString& code)
{
    static const QRegularExpression sixDigits(QStringLiteral("^[0-9]{6}$"));
    return sixDigits.match(code).hasMatch();
}

QString MapStore::pathOf(const QString& code) const
{
    if (!isAreaCode(code))
        throw ETalvekException(
            QStringLiteral("„%1“ není kód katastrálního území (šest číslic).").arg(code));
    return m_directory + QLatin1Char('/') + code + QLatin1String(MapSchema::FileSuffix);
}

bool MapStore::exists(const QString& code) const
{
    return isAreaCode(code) && QFileInfo(pathOf(code)).isFile();
}

QString MapStore::stagedPathOf(const QString& code) const
{
    return pathOf(code) + QStringLiteral(".tmp-%1").arg(QCoreApplication::applicationPid());
}

void MapStore::write(const MapArea& area, const Progress& progress) const
{
    stage(area, progress);
    commitStaged(area.code);
}

QString MapStore::stage(const MapArea& area, const Progress& progress) const
{
    const QString path = pathOf(area.code);
    TableWriteGuard::checkOutputFile(path);
    if (!QDir().mkpath(m_directory))
        throw ETalvekException(
            QStringLiteral("Adresář map %1 nelze vytvořit.").arg(native(m_directory)));
    const QString temp = stagedPathOf(area.code);
    removeFile(temp);
    QuietGdal quiet;
    GDALDriverH driver = GDALGetDriverByName("GPKG");
    try {
        QuietGdal::Dataset ds{driver ? GDALCreate(driver, QFile::encodeName(temp).constData(), 0, 0,
                                                  0, GDT_Unknown, nullptr)
                                     : nullptr};
        if (!ds.handle)
            throw ETalvekException(QStringLiteral("Mapu %1 nelze vytvořit: %2")
                                       .arg(native(temp), QuietGdal::lastError()));
        GpkgWriter(ds.handle, temp, progress).writeAll(area);
        GDALClose(ds.handle);
        ds.handle = nullptr;
        if (CPLGetLastErrorType() >= CE_Failure)
            throw ETalvekException(QStringLiteral("Mapu %1 nelze zapsat: %2")
                                       .arg(native(temp), QuietGdal::lastError()));
    } catch (...) {
        removeFile(temp);
        throw;
    }
    return temp;
}

void MapStore::commitStaged(const QString& code) const
{
    const QString path = pathOf(code), temp = stagedPathOf(code);
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        removeFile(temp);
        throw ETalvekException(
            QStringLiteral("Mapu %1 nelze uložit: %2").arg(native(path), reason));
    }
}

void MapStore::discardStaged(const QString& code) const
{
    removeFile(stagedPathOf(code));
}

MapArea MapStore::read(const QString& code) const
{
    const QString path = pathOf(code);
    if (!QFileInfo(path).isFile())
        throw ETalvekException(QStringLiteral("Mapa katastrálního území %1 není v adresáři map %2.")
                                   .arg(code, native(m_directory)));
    MapArea area = MapStoreReader::read(path, code);
    area.extent = extentOf(area);
    return area;
}
