// Selection into the work table on the "city" demo area (one area, about
// 40,000 parcel parts): all parcels into PRAC.DB (target under 1 s, the file
// written included), and 1,000 parcel numbers read from a text file and
// selected (target under 1 s). For comparison, the cost of adding parcels one
// by one with a write of the work table after each.
#include "data/CadastralTables.h"
#include "data/DemoDistrictGenerator.h"
#include "data/WorkTable.h"
#include "db/Table.h"
#include "db/paradox/ParadoxTable.h"
#include "select/TParcSelector.h"
#include "select/TParcelImport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace {
void openParcels(Table& parcels, const QString& district)
{
    parcels.setDatabaseName(district);
    parcels.setTableName(CadastralTables::PerAreaTable(CadastralTables::ParcelPrefix, "001"));
    parcels.setReadOnly(true);
    parcels.setIndexFieldNames(QString::fromLatin1(CadastralTables::ParcelIndexFields));
    parcels.open();
}

// Every `step`-th distinct parcel of the area as parcel-number text.
QStringList parcelNumbers(const QString& nyspaPath, int count)
{
    const ParadoxReader reader(nyspaPath);
    const int text = reader.fieldIndex(QStringLiteral("PARCISLO"));
    QStringList all;
    reader.forEachRecord([&](const ParadoxRecord& record) {
        const QString number = record.value(text).toString();
        if (all.isEmpty() || all.last() != number)
            all << number;
    });
    QStringList chosen;
    const int step = qMax(1, int(all.size()) / count);
    for (int i = 0; i < all.size() && chosen.size() < count; i += step)
        chosen << all[i];
    return chosen;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString district = dir.filePath(QStringLiteral("city"));
    DemoDistrictGenerator::Options options;
    options.size = DemoDistrictGenerator::Size::City;
    const auto summary = DemoDistrictGenerator(options).generate(district);
    const QString workPath = dir.filePath(QStringLiteral("PRAC.DB"));

    Table parcels;
    openParcels(parcels, district);
    Table work;
    OpenOrCreateWorkTable(work, workPath);

    QElapsedTimer timer;
    timer.start();
    TParcSelector::SelectAllParcels(work, district, parcels.tableName());
    const double allSeconds = timer.elapsed() / 1000.0;
    std::printf("all parcels of city (%lld parts) into PRAC.DB: %d rows, %.3f s, file %lld bytes\n",
                summary.parcelParts, work.recordCount(), allSeconds, QFileInfo(workPath).size());

    const QStringList numbers = parcelNumbers(parcels.filePath(), 1000);
    const QString listPath = dir.filePath(QStringLiteral("cisla.txt"));
    {
        QFile file(listPath);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(numbers.join(QStringLiteral("\n")).toUtf8());
    }
    timer.restart();
    const QStringList lines = TParcelImport::ReadTextFile(listPath);
    const auto imported = TParcelImport::Parse(lines, TParcGridModel::Kind::Parcel);
    const double importSeconds = timer.elapsed() / 1000.0;
    TParcSelector::SelectParcels(imported.rows, work, parcels);
    const double selectSeconds = timer.elapsed() / 1000.0;
    std::printf("%lld parcel numbers imported from a file: parse %.3f s, selected %d parts, "
                "total %.3f s\n",
                qlonglong(imported.rows.size()), importSeconds, work.recordCount(), selectSeconds);

    // The same parcels without a group: nine groups searched each.
    QList<TParcGridRow> noGroup = imported.rows;
    for (TParcGridRow& row : noGroup)
        row[0].clear();
    timer.restart();
    TParcSelector::SelectParcels(noGroup, work, parcels);
    std::printf("%lld parcel numbers without group: %d parts, %.3f s\n", qlonglong(noGroup.size()),
                work.recordCount(), timer.elapsed() / 1000.0);

    // One by one, the work table written after every row (100 parcels).
    EmptyWorkTable(work);
    timer.restart();
    for (int i = 0; i < 100 && i < numbers.size(); ++i)
        AddParcelToWork(numbers[i], work, parcels, true);
    std::printf("100 parcels added one by one with a write per row: %.3f s\n",
                timer.elapsed() / 1000.0);
    return 0;
}
