#include "browse/core/TGisExportFile.h"

#include "base/ETalvekException.h"
#include "db/TableWriteGuard.h"
#include "map/core/MapArea.h"
#include "map/core/MapSchema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <cstdio>
#include <memory>

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

namespace {

constexpr int Wgs84 = 4326;
// Decimal places of GeoJSON degrees: 1e-9° is below a millimetre, so areas
// read back agree with the map's to a hundredth of a square metre.
constexpr const char* GeoJsonPrecision = "COORDINATE_PRECISION=9";

bool IsGeoJson(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("geojson"), Qt::CaseInsensitive) == 0;
}

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// GDAL's messages go to the caller's exception, not to stderr.
class QuietGdal
{
public:
    QuietGdal()
    {
        GDALAllRegister();
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietGdal() { CPLPopErrorHandler(); }
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
};

[[noreturn]] void Fail(const QString& what)
{
    const QString gdal = QString::fromUtf8(CPLGetLastErrorMsg()).trimmed();
    throw ETalvekException(gdal.isEmpty() ? what : what + QStringLiteral(" (") + gdal + u')');
}

struct DatasetClose
{
    void operator()(GDALDataset* ds) const { GDALClose(ds); }
};
using DatasetPtr = std::unique_ptr<GDALDataset, DatasetClose>;

std::unique_ptr<OGRSpatialReference> Srs(int epsg)
{
    auto srs = std::make_unique<OGRSpatialReference>();
    if (srs->importFromEPSG(epsg) != OGRERR_NONE)
        Fail(QStringLiteral("neznámý souřadnicový systém EPSG:%1").arg(epsg));
    // x is easting (longitude), y northing (latitude), whatever the EPSG
    // definition's axis order.
    srs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return srs;
}

// A whole-number column stays whole unless some value has decimals.
OGRFieldType FieldType(const ExportColumn& column, int index, const QList<QVariantList>& rows)
{
    if (column.kind == ExportColumn::Kind::Char)
        return OFTString;
    if (column.kind == ExportColumn::Kind::Float)
        return OFTReal;
    for (const QVariantList& row : rows) {
        const QVariant& v = row.at(index);
        if (!v.isNull() && v.isValid() && v.toDouble() != std::trunc(v.toDouble()))
            return OFTReal;
    }
    return OFTInteger64;
}

std::unique_ptr<OGRMultiPolygon> Geometry(const MapParcel* parcel)
{
    auto multi = std::make_unique<OGRMultiPolygon>();
    if (!parcel)
        return multi;
    for (const MapPolygon& part : parcel->parts) {
        OGRPolygon polygon;
        for (const QPolygonF& ring : part.rings) {
            OGRLinearRing r;
            for (const QPointF& p : ring)
                r.addPoint(p.x(), p.y());
            r.closeRings();
            polygon.addRing(&r);
        }
        multi->addGeometry(&polygon);
    }
    return multi;
}

void SetField(OGRFeature& feature, int field, OGRFieldType type, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        feature.SetFieldNull(field);
    else if (type == OFTString)
        feature.SetField(field, TExportFile::Text(value).trimmed().toUtf8().constData());
    else if (type == OFTInteger64)
        feature.SetField(field, GIntBig(std::llround(value.toDouble())));
    else
        feature.SetField(field, value.toDouble());
}

// Writes the layer into a new file at `path`; returns the rows without geometry.
int WriteLayer(const QString& path, const QString& layerName, const QList<ExportColumn>& columns,
               const QList<QVariantList>& rows, const QList<const MapParcel*>& parcels)
{
    const bool json = IsGeoJson(path);
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(json ? "GeoJSON" : "GPKG");
    if (!driver)
        Fail(QStringLiteral("GDAL neumí zapsat %1").arg(json ? "GeoJSON" : "GeoPackage"));
    DatasetPtr ds(
        driver->Create(QFile::encodeName(path).constData(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!ds)
        Fail(QStringLiteral("soubor nelze vytvořit"));
    const auto map = Srs(MapSchema::Epsg);
    const auto target = json ? Srs(Wgs84) : Srs(MapSchema::Epsg);
    std::unique_ptr<OGRCoordinateTransformation> toTarget;
    if (json) {
        toTarget.reset(OGRCreateCoordinateTransformation(map.get(), target.get()));
        if (!toTarget)
            Fail(QStringLiteral("souřadnice nelze převést do WGS 84"));
    }
    const char* jsonOptions[] = {"RFC7946=YES", GeoJsonPrecision, nullptr};
    const char* gpkgOptions[] = {"SPATIAL_INDEX=YES", nullptr};
    OGRLayer* layer = ds->CreateLayer(layerName.toUtf8().constData(), target.get(), wkbMultiPolygon,
                                      const_cast<char**>(json ? jsonOptions : gpkgOptions));
    if (!layer)
        Fail(QStringLiteral("vrstvu nelze vytvořit"));
    QList<OGRFieldType> types;
    for (int i = 0; i < columns.size(); ++i) {
        types.append(FieldType(columns[i], i, rows));
        OGRFieldDefn field(columns[i].name.toUtf8().constData(), types.last());
        if (layer->CreateField(&field) != OGRERR_NONE)
            Fail(QStringLiteral("položku %1 nelze vytvořit").arg(columns[i].name));
    }
    int withoutGeometry = 0;
    // GeoJSON has no transactions; a GeoPackage is written in one.
    const bool transaction = ds->StartTransaction() == OGRERR_NONE;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        OGRFeature feature(layer->GetLayerDefn());
        for (int i = 0; i < columns.size(); ++i)
            SetField(feature, i, types[i], rows[r].at(i));
        std::unique_ptr<OGRMultiPolygon> geometry = Geometry(parcels.at(r));
        if (geometry->IsEmpty())
            ++withoutGeometry;
        else if (toTarget && geometry->transform(toTarget.get()) != OGRERR_NONE)
            Fail(QStringLiteral("souřadnice nelze převést do WGS 84"));
        feature.SetGeometryDirectly(geometry.release());
        if (layer->CreateFeature(&feature) != OGRERR_NONE)
            Fail(QStringLiteral("řádek %1 nelze zapsat").arg(r + 1));
    }
    if (transaction && ds->CommitTransaction() != OGRERR_NONE)
        Fail(QStringLiteral("zápis nelze dokončit"));
    ds->FlushCache();
    return withoutGeometry;
}

} // namespace

bool TGisExportFile::IsGisPath(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("gpkg") || suffix == QLatin1String("geojson");
}

int TGisExportFile::Write(const QString& path, const QList<ExportColumn>& columns,
                          const QList<QVariantList>& rows, const QList<const MapParcel*>& parcels)
{
    if (!IsGisPath(path))
        throw ETalvekException(
            QStringLiteral("Soubor \"%1\" nemá příponu mapové vrstvy: zvolte .gpkg nebo .geojson")
                .arg(Native(path)));
    TableWriteGuard::checkOutputFile(path);
    const QFileInfo info(path);
    // A new name beside the target with the same extension (GDAL's drivers
    // look at it), renamed over the target once complete.
    const QString temporary =
        info.absoluteDir().filePath(QStringLiteral(".%1.%2.tmp.%3")
                                        .arg(info.completeBaseName())
                                        .arg(QCoreApplication::applicationPid())
                                        .arg(info.suffix()));
    QFile::remove(temporary);
    const QuietGdal quiet;
    try {
        const int withoutGeometry =
            WriteLayer(temporary, info.completeBaseName(), columns, rows, parcels);
        if (std::rename(QFile::encodeName(temporary).constData(),
                        QFile::encodeName(path).constData()) != 0)
            throw ETalvekException(QStringLiteral("soubor nelze přejmenovat"));
        return withoutGeometry;
    } catch (const ETalvekException& e) {
        QFile::remove(temporary);
        throw ETalvekException(
            QStringLiteral("Soubor \"%1\" nebyl zapsán: %2").arg(Native(path), e.message()));
    }
}
