#include "map/core/MarkedParcels.h"

#include "base/ETalvekException.h"
#include "db/Table.h"
#include "map/core/MapArea.h"

#include <QDir>
#include <QFileInfo>

qint64 MapParcelCode(int group, int stem, int subdivision)
{
    return (qint64(group) * 10'000'000 + stem) * 1000 + subdivision;
}

qint64 MapParcelCode(const MapParcel& parcel)
{
    return MapParcelCode(parcel.group, parcel.stem, parcel.subdivision);
}

QSet<qint64> MarkedParcelCodes(const QString& workTablePath)
{
    return ReadWorkTableParcels(workTablePath).marked;
}

WorkTableParcels ReadWorkTableParcels(const QString& workTablePath)
{
    const QFileInfo file(workTablePath);
    Table work;
    work.setDatabaseName(file.absolutePath());
    work.setTableName(file.fileName());
    work.setReadOnly(true);
    work.open();
    const int group = work.fieldIndex(QStringLiteral("PARSKUP"));
    const int stem = work.fieldIndex(QStringLiteral("PARCIS"));
    const int subdivision = work.fieldIndex(QStringLiteral("PARPOD"));
    const int flag = work.fieldIndex(QStringLiteral("FLAG"));
    if (group < 0 || stem < 0 || subdivision < 0 || flag < 0)
        throw ETalvekException(QStringLiteral("Tabulka %1 není pracovní tabulka: chybí PARSKUP, "
                                              "PARCIS, PARPOD nebo FLAG")
                                   .arg(QDir::toNativeSeparators(workTablePath)));
    WorkTableParcels parcels;
    for (int r = 0; r < work.recordCount(); ++r) {
        const QVariantList v = work.rowValues(r);
        const qint64 code =
            MapParcelCode(int(v.at(group).toLongLong()), int(v.at(stem).toLongLong()),
                          int(v.at(subdivision).toLongLong()));
        parcels.all.insert(code);
        if (v.at(flag).toBool())
            parcels.marked.insert(code);
    }
    return parcels;
}
