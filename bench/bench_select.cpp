// Selection into the work table on the "city" demo area (one area, about
// 40,000 parcel parts): all parcels into PRAC.DB (target under 1 s, the file
// written included), and 1,000 parcel numbers read from a text file and
// selected (target under 1 s). For comparison, the cost of adding parcels one
// by one with a write of the work table after each.
#include "base/ETalvekException.h"
#include "data/CadastralTables.h"
#include "data/DemoDistrictGenerator.h"
#include "data/WorkTable.h"
#include "db/Table.h"
#include "db/paradox/ParadoxTable.h"
#include "select/core/TParcSelector.h"
#include "select/core/TParcelImport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {
// Processor time of the process in seconds: the machine may be shared, so
// wall-clock figures are printed together with it.
double cpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

struct Stopwatch
{
    QElapsedTimer wall;
    double cpu = 0;
    Stopwatch() { restart(); }
    void restart()
    {
        wall.restart();
        cpu = cpuSeconds();
    }
    QString text() const
    {
        return QStringLiteral("%1 s (processor %2 s)")
            .arg(wall.elapsed() / 1000.0, 0, 'f', 3)
            .arg(cpuSeconds() - cpu, 0, 'f', 3);
    }
};

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

    Stopwatch watch;
    TParcSelector::SelectAllParcels(work, district, parcels.tableName());
    std::printf("all parcels of city (%lld parts) into PRAC.DB: %d rows, file %lld bytes: %s\n",
                summary.parcelParts, work.recordCount(), QFileInfo(workPath).size(),
                qPrintable(watch.text()));

    const QStringList numbers = parcelNumbers(parcels.filePath(), 1000);
    const QString listPath = dir.filePath(QStringLiteral("cisla.txt"));
    {
        QFile file(listPath);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(numbers.join(QStringLiteral("\n")).toUtf8());
    }
    watch.restart();
    const QStringList lines = TParcelImport::ReadTextFile(listPath);
    const auto imported = TParcelImport::Parse(lines, TParcGridModel::Kind::Parcel);
    const QString parsed = watch.text();
    TParcSelector::SelectParcels(imported.rows, work, parcels);
    std::printf("%lld parcel numbers read from a file (%s) and selected: %d parts: %s\n",
                qlonglong(imported.rows.size()), qPrintable(parsed), work.recordCount(),
                qPrintable(watch.text()));

    // The same parcels without a group: nine groups searched each.
    QList<TParcGridRow> noGroup = imported.rows;
    for (TParcGridRow& row : noGroup)
        row[0].clear();
    watch.restart();
    TParcSelector::SelectParcels(noGroup, work, parcels);
    std::printf("%lld parcel numbers without a group: %d parts: %s\n", qlonglong(noGroup.size()),
                work.recordCount(), qPrintable(watch.text()));

    // 8,000 rows alternating between a group (placeholder allowed) and none
    // (every group searched): one change of the work table, not one per row.
    QList<TParcGridRow> alternating;
    for (int i = 0; alternating.size() < 8000; ++i) {
        TParcGridRow row = imported.rows[i % imported.rows.size()];
        if (i % 2)
            row[0].clear();
        else
            row[1] = QString::number(row[1].toLongLong() + 1000000 * (1 + i / 1000));
        alternating.append(row);
    }
    watch.restart();
    TParcSelector::SelectParcels(alternating, work, parcels);
    std::printf("8000 rows alternating with and without a group: %d parts: %s\n",
                work.recordCount(), qPrintable(watch.text()));

    // House numbers 1..1000 without a part of the municipality: parts 0..99
    // searched for each, every kind accepted.
    QList<TParcGridRow> houses;
    for (int h = 1; h <= 1000; ++h)
        houses.append({QString(), QString::number(h), QString()});
    watch.restart();
    try {
        TParcSelector::SelectHouseNumbers(houses, work, parcels);
        std::printf("1000 house numbers without a part (100,000 keys): %d parts: %s\n",
                    work.recordCount(), qPrintable(watch.text()));
    } catch (const ETalvekException& e) {
        std::printf("house numbers stopped (%s) with %d parts: %s\n", qPrintable(e.message()),
                    work.recordCount(), qPrintable(watch.text()));
    }

    // One by one, the work table written after every row (100 parcels).
    EmptyWorkTable(work);
    watch.restart();
    for (int i = 0; i < 100 && i < numbers.size(); ++i)
        AddParcelToWork(numbers[i], work, parcels, true);
    std::printf("100 parcels added one by one, the file written per row: %s\n",
                qPrintable(watch.text()));
    return 0;
}
