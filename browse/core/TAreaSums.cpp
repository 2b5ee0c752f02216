#include "browse/core/TAreaSums.h"

#include "base/Format.h"
#include "data/CadastralTables.h"
#include "db/Query.h"

#include <QFileInfo>

namespace {

// One row of SUM(VYMERA), COUNT(VYMERA): the empty sum reads 0.
void ReadSum(Query& query, qint64& area, qint64& parts)
{
    query.open();
    area = query.isEmpty() ? 0 : qint64(query.value(0).toLongLong());
    parts = query.isEmpty() ? 0 : qint64(query.value(1).toLongLong());
    query.close();
}

} // namespace

TAreaSums TAreaSums::ComputeAreaSums(const QString& workTablePath)
{
    const QFileInfo info(workTablePath);
    TAreaSums sums;
    Query query;
    query.setDatabaseName(info.absolutePath());
    const QString file = info.fileName();
    query.setSql(Format(
        QStringLiteral("SELECT SUM(VYMERA), COUNT(VYMERA) FROM \"%s\" WHERE FLAG = TRUE"), file));
    ReadSum(query, sums.area[All], sums.parts[All]);
    for (int kind = 2; kind <= 14; ++kind) {
        if (kind == Unregistered)
            continue;
        query.setSql(Format(QStringLiteral("SELECT SUM(VYMERA), COUNT(VYMERA) FROM \"%s\" WHERE "
                                           "FLAG = TRUE AND DRUHPOZ = %d"),
                            file, kind));
        ReadSum(query, sums.area[kind], sums.parts[kind]);
    }
    query.setSql(Format(QStringLiteral("SELECT VYMERA,CPCE,NEMVYUZ FROM \"%s\" WHERE FLAG = TRUE "
                                       "AND DRUHPOZ = %d AND CPCE > 0"),
                        file, BuildingLandKind));
    query.open();
    for (query.first(); !query.eof(); query.next()) {
        if (query.asInteger(QStringLiteral("NEMVYUZ")) % 10 == 0)
            ++sums.withHouseNumber;
        else
            ++sums.withRegistrationNumber;
    }
    query.close();
    sums.completeTotals();
    return sums;
}

void TAreaSums::completeTotals()
{
    for (auto* values : {&area, &parts}) {
        auto& v = *values;
        v[Agricultural] = 0;
        for (int kind = 2; kind <= 8; ++kind)
            v[Agricultural] += v[kind];
        v[NonAgricultural] = 0;
        for (int kind = 10; kind <= 14; ++kind)
            v[NonAgricultural] += kind == Unregistered ? 0 : v[kind];
        v[Unregistered] = v[All] - v[Agricultural] - v[AgriculturalLand] - v[NonAgricultural];
    }
}
