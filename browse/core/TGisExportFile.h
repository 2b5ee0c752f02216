#pragma once

#include "browse/core/TExportFile.h"

#include <QList>
#include <QString>
#include <QVariant>

struct MapParcel;

// Writes exported rows as a GIS layer, each row with its parcel's polygon, the
// type chosen by the file's extension: ".gpkg" a GeoPackage in S-JTSK /
// Krovak East North (EPSG:5514) as the map store keeps it, ".geojson"
// GeoJSON in WGS 84 longitude/latitude as RFC 7946 requires. The columns keep
// the field names of the table export. A row without a parcel polygon gets an
// empty geometry. Written through GDAL under a temporary name and renamed over
// the target, so a failure leaves an earlier file of that name as it was; a
// target that is a link is refused. Errors name the file.
class TGisExportFile
{
public:
    // True for ".gpkg" and ".geojson" (any case).
    static bool IsGisPath(const QString& path);
    // `parcels` holds one entry per row: its parcel, or nullptr when the map
    // has none. Returns the number of rows written without geometry.
    static int Write(const QString& path, const QList<ExportColumn>& columns,
                     const QList<QVariantList>& rows, const QList<const MapParcel*>& parcels);
};
