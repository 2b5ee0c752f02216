#pragma once

#include <QSet>
#include <QString>

struct MapParcel;

// A parcel's key (PARSKUP, PARCIS, PARPOD) as one number for sets: the map
// painter highlights parcels by it and the GIS export finds polygons by it.
// Stems stay below 10 000 000 and subdivisions below 1000 in the registry.
qint64 MapParcelCode(int group, int stem, int subdivision);
qint64 MapParcelCode(const MapParcel& parcel);

// The parcels that have at least one marked part (FLAG set) in the work
// table at `workTablePath` ("…/PRAC.DB"). Throws ETalvekException when the
// table cannot be read.
QSet<qint64> MarkedParcelCodes(const QString& workTablePath);

// The parcels of the work table: every one with a part in it, and those
// with a marked part. Throws as MarkedParcelCodes does.
struct WorkTableParcels
{
    QSet<qint64> all;
    QSet<qint64> marked;
};
WorkTableParcels ReadWorkTableParcels(const QString& workTablePath);
