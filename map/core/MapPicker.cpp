#include "map/core/MapPicker.h"

#include "data/ParcelNumber.h"
#include "data/WorkTable.h"
#include "db/Query.h"
#include "db/Table.h"
#include "map/core/MapArea.h"
#include "map/core/MarkedParcels.h"

#include <QFileInfo>

namespace {
// Parcel keys per SELECT statement, as numbers in the text of the statement.
constexpr int KeysPerLookup = 2000;
} // namespace

int MapPicker::Add(const QList<const MapParcel*>& picked, Table& work, Table& parcels)
{
    QStringList texts;
    texts.reserve(picked.size());
    for (const MapParcel* p : picked)
        texts << FormatParcelNumber(p->group, p->stem, p->subdivision);
    // A parcel on the map is a parcel of the area; one the parcel table lacks
    // (map and registry out of step) adds no placeholder.
    return AddParcelsToWork(texts, work, parcels, false);
}

int MapPicker::Remove(const QList<const MapParcel*>& picked, Table& work, Table& parcels)
{
    const int before = work.recordCount();
    const QString file = QFileInfo(parcels.tableName()).fileName();
    for (qsizetype start = 0; start < picked.size(); start += KeysPerLookup) {
        QStringList codes;
        for (qsizetype i = start; i < qMin(picked.size(), start + KeysPerLookup); ++i)
            codes << QString::number(MapParcelCode(*picked[i]));
        // The key as one number, computed the way MapParcelCode does.
        Query query;
        query.setDatabaseName(parcels.databaseName());
        query.setSql({QStringLiteral("SELECT PARSKUP,PARCIS,PARPOD,PARDIL FROM \"%1\"").arg(file),
                      QStringLiteral("WHERE (PARSKUP * 10000000 + PARCIS) * 1000 + PARPOD IN (") +
                          codes.join(QLatin1Char(',')) + QLatin1Char(')')});
        query.open();
        CopyIntoWork(query, work, BatchMove::Mode::Delete);
    }
    work.refresh();
    return before - work.recordCount();
}
