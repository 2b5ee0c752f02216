#include "map/core/MapStoreReader.h"
#include "base/ETalvekException.h"
#include "map/core/MapSchema.h"
#include "map/core/QuietGdal.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <cpl_error.h>
#include <gdal.h>
#include <ogr_api.h>

#include <future>

namespace {

GDALDatasetH openMap(const QString& path)
{
    const char* const drivers[] = {"GPKG", nullptr};
    GDALDatasetH ds = GDALOpenEx(QFile::encodeName(path).constData(),
                                 GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers, nullptr, nullptr);
    if (!ds)
        throw ETalvekException(QStringLiteral("Mapu %1 nelze přečíst, soubor je poškozený nebo "
                                              "nejde o GeoPackage (%2); území se otevře bez mapy.")
                                   .arg(QDir::toNativeSeparators(path), QuietGdal::lastError()));
    return ds;
}

class GpkgReader
{
public:
    GpkgReader(GDALDatasetH dataset, const QString& path, const QString& code)
        : m_ds(dataset), m_path(path), m_code(code)
    {
    }
    MapArea readAll();

private:
    [[noreturn]] void foreign(const QString& why) const;
    OGRLayerH layer(const char* name) const;
    int field(OGRLayerH layer, const char* name) const;
    void metadata(MapArea& area);
    void parcels(MapArea& area);
    void lines(OGRLayerH layer, const char* kindField, QList<MapLine>& out,
               QList<MapLabel>* labelsToo);
    void labels(OGRLayerH layer, QList<MapLabel>& out);

    GDALDatasetH m_ds;
    QString m_path, m_code;
};

void GpkgReader::foreign(const QString& why) const
{
    throw ETalvekException(QStringLiteral("Soubor %1 není mapa katastrálního území %2 uložená "
                                          "programem ORV (%3); území se otevře bez mapy.")
                               .arg(QDir::toNativeSeparators(m_path), m_code, why));
}

OGRLayerH GpkgReader::layer(const char* name) const
{
    OGRLayerH l = GDALDatasetGetLayerByName(m_ds, name);
    if (!l)
        foreign(QStringLiteral("chybí vrstva %1").arg(QLatin1String(name)));
    return l;
}

int GpkgReader::field(OGRLayerH l, const char* name) const
{
    const int index = OGR_FD_GetFieldIndex(OGR_L_GetLayerDefn(l), name);
    if (index < 0)
        foreign(QStringLiteral("vrstva %1 nemá pole %2")
                    .arg(QString::fromUtf8(OGR_L_GetName(l)), QLatin1String(name)));
    return index;
}

QString stringField(OGRFeatureH f, int index)
{
    return QString::fromUtf8(OGR_F_GetFieldAsString(f, index));
}

void GpkgReader::metadata(MapArea& area)
{
    using namespace MapSchema;
    OGRLayerH l = layer(MetadataTable);
    const int key = field(l, MetadataKey), value = field(l, MetadataValue);
    QHash<QString, QString> values;
    OGR_L_ResetReading(l);
    while (OGRFeatureH f = OGR_L_GetNextFeature(l)) {
        values.insert(stringField(f, key), stringField(f, value));
        OGR_F_Destroy(f);
    }
    if (values.value(QStringLiteral("kod")) != m_code)
        foreign(QStringLiteral("v metadatech je kód území „%1“")
                    .arg(values.value(QStringLiteral("kod"))));
    area.code = m_code;
    area.name = values.value(QStringLiteral("nazev"));
    const QString files = values.value(QStringLiteral("soubory"));
    area.source.files = files.isEmpty() ? QStringList() : files.split(QLatin1Char('\n'));
    area.source.validity = values.value(QStringLiteral("platnost"));
    area.source.importedAt =
        QDateTime::fromString(values.value(QStringLiteral("importovano")), Qt::ISODate);
}

QPolygonF pointsOf(OGRGeometryH g, bool ring)
{
    // QPointF holds x and y as two doubles: GDAL fills them in place.
    QPolygonF points(OGR_G_GetPointCount(g));
    if (!points.isEmpty())
        OGR_G_GetPoints(g, &points.data()->rx(), sizeof(QPointF), &points.data()->ry(),
                        sizeof(QPointF), nullptr, 0);
    if (ring && points.size() > 1 && points.first() == points.last())
        points.removeLast();
    return points;
}

MapPolygon polygonOf(OGRGeometryH polygon)
{
    MapPolygon part;
    for (int r = 0; r < OGR_G_GetGeometryCount(polygon); ++r)
        part.rings.append(pointsOf(OGR_G_GetGeometryRef(polygon, r), true));
    return part;
}

void GpkgReader::parcels(MapArea& area)
{
    using namespace MapSchema;
    OGRLayerH l = layer(ParcelLayer);
    const int group = field(l, ParcelGroup), stem = field(l, ParcelStem),
              sub = field(l, ParcelSubdivision), official = field(l, ParcelArea),
              kind = field(l, ParcelKindOfLand);
    OGR_L_ResetReading(l);
    while (OGRFeatureH f = OGR_L_GetNextFeature(l)) {
        MapParcel parcel;
        parcel.group = OGR_F_GetFieldAsInteger(f, group);
        parcel.stem = OGR_F_GetFieldAsInteger(f, stem);
        parcel.subdivision = OGR_F_GetFieldAsInteger(f, sub);
        parcel.officialArea = OGR_F_GetFieldAsDouble(f, official);
        parcel.kindOfLand = OGR_F_GetFieldAsInteger(f, kind);
        OGRGeometryH g = OGR_F_GetGeometryRef(f);
        const auto type = g ? wkbFlatten(OGR_G_GetGeometryType(g)) : wkbNone;
        if (type == wkbPolygon)
            parcel.parts.append(polygonOf(g));
        else if (type == wkbMultiPolygon)
            for (int p = 0; p < OGR_G_GetGeometryCount(g); ++p)
                parcel.parts.append(polygonOf(OGR_G_GetGeometryRef(g, p)));
        for (const MapPolygon& part : parcel.parts)
            if (!part.rings.isEmpty())
                parcel.bounds |= part.rings.first().boundingRect();
        area.parcels.append(std::move(parcel));
        OGR_F_Destroy(f);
    }
}

QPointF pointAt(OGRGeometryH g)
{
    return QPointF(OGR_G_GetX(g, 0), OGR_G_GetY(g, 0));
}

MapLabel labelOf(OGRFeatureH f, OGRFeatureDefnH defn, OGRGeometryH g)
{
    using namespace MapSchema;
    MapLabel label;
    label.text = stringField(f, OGR_FD_GetFieldIndex(defn, LabelText));
    label.size = OGR_F_GetFieldAsDouble(f, OGR_FD_GetFieldIndex(defn, LabelSize));
    label.angle = OGR_F_GetFieldAsDouble(f, OGR_FD_GetFieldIndex(defn, LabelAngle));
    label.kind = OGR_F_GetFieldAsInteger(f, OGR_FD_GetFieldIndex(defn, LabelKind));
    label.position = pointAt(g);
    return label;
}

// Lines of a layer; its points go to `labelsToo` (the mixed soil layer).
void GpkgReader::lines(OGRLayerH l, const char* kindField, QList<MapLine>& out,
                       QList<MapLabel>* labelsToo)
{
    const int kind = field(l, kindField);
    OGRFeatureDefnH defn = OGR_L_GetLayerDefn(l);
    OGR_L_ResetReading(l);
    while (OGRFeatureH f = OGR_L_GetNextFeature(l)) {
        OGRGeometryH g = OGR_F_GetGeometryRef(f);
        const auto type = g ? wkbFlatten(OGR_G_GetGeometryType(g)) : wkbNone;
        if (type == wkbLineString)
            out.append({OGR_F_GetFieldAsInteger(f, kind), pointsOf(g, false)});
        else if (type == wkbPoint && labelsToo)
            labelsToo->append(labelOf(f, defn, g));
        OGR_F_Destroy(f);
    }
}

void GpkgReader::labels(OGRLayerH l, QList<MapLabel>& out)
{
    using namespace MapSchema;
    for (const char* name : {LabelText, LabelSize, LabelAngle, LabelKind})
        field(l, name);
    OGRFeatureDefnH defn = OGR_L_GetLayerDefn(l);
    OGR_L_ResetReading(l);
    while (OGRFeatureH f = OGR_L_GetNextFeature(l)) {
        OGRGeometryH g = OGR_F_GetGeometryRef(f);
        if (g && wkbFlatten(OGR_G_GetGeometryType(g)) == wkbPoint)
            out.append(labelOf(f, defn, g));
        OGR_F_Destroy(f);
    }
}

MapArea GpkgReader::readAll()
{
    using namespace MapSchema;
    MapArea area;
    metadata(area);
    layer(BoundaryLayer);
    // The boundaries, the most features, come through a second handle on
    // a second thread meanwhile (a dataset handle serves one thread).
    auto boundaries = std::async(std::launch::async, [this] {
        QuietGdal quiet;
        QuietGdal::Dataset ds{openMap(m_path)};
        GpkgReader other(ds.handle, m_path, m_code);
        QList<MapLine> lines;
        other.lines(other.layer(BoundaryLayer), BoundaryKind, lines, nullptr);
        if (CPLGetLastErrorType() >= CE_Failure)
            foreign(QuietGdal::lastError());
        return lines;
    });
    parcels(area);
    labels(layer(LabelLayer), area.labels);
    OGRLayerH soil = layer(SoilLayer);
    for (const char* name : {LabelText, LabelSize, LabelAngle})
        field(soil, name);
    lines(soil, LabelKind, area.soilBoundaries, &area.soilLabels);
    area.boundaries = boundaries.get();
    if (CPLGetLastErrorType() >= CE_Failure)
        foreign(QuietGdal::lastError());
    return area;
}

} // namespace

MapArea MapStoreReader::read(const QString& path, const QString& code)
{
    QuietGdal quiet;
    QuietGdal::Dataset ds{openMap(path)};
    return GpkgReader(ds.handle, path, code).readAll();
}
