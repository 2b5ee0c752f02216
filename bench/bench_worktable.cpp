// Filling the work table parcel by parcel (as an import of parcel numbers
// does) and counting it, on the generated "city" area (40,000 parts).
// Usage: bench_worktable [parcel-count]
#include "data/DemoDistrictGenerator.h"
#include "data/ParcelTable.h"
#include "data/WorkTable.h"
#include "db/Table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 500;
    QTemporaryDir dir;
    DemoDistrictGenerator::Options options;
    options.size = DemoDistrictGenerator::Size::City;
    DemoDistrictGenerator(options).generate(dir.filePath("city"));

    auto parcels = OpenParcelTable(dir.filePath("city"), QStringLiteral("001"));
    Table work;
    OpenOrCreateWorkTable(work, dir.filePath("PRAC.DB"));
    QElapsedTimer timer;
    timer.start();
    int rows = 0;
    for (int i = 1; i <= count; ++i)
        rows += AddParcelToWork(QString::number(i * 7), work, *parcels, true);
    const double add = timer.nsecsElapsed() / 1e6;
    EmptyWorkTable(work);
    QStringList texts;
    for (int i = 1; i <= count; ++i)
        texts.append(QString::number(i * 7));
    timer.restart();
    const int listRows = AddParcelsToWork(texts, work, *parcels, true);
    const double list = timer.nsecsElapsed() / 1e6;
    timer.restart();
    const int parcelsCounted = CountSelection(work, false);
    const double countMs = timer.nsecsElapsed() / 1e6;
    std::printf("AddParcelToWork: %d parcel numbers -> %d rows in %.0f ms (%.2f ms per parcel) "
                "over a %d-part parcel table\n",
                count, rows, add, add / count, parcels->recordCount());
    std::printf("AddParcelsToWork: the same %d numbers as one list -> %d rows in %.0f ms\n", count,
                listRows, list);
    std::printf("CountSelection (parcels): %d in %.2f ms\n", parcelsCounted, countMs);
    return 0;
}
