// Selection into the work table on the "city" demo area (one area, about
// 40,000 parcel parts): all parcels into PRAC.DB (target under 1 s, the file
// written included), and 1,000 parcel numbers read from a text file and
// selected (target under 1 s). For comparison, the cost of adding parcels one
// by one with a write of the work table after each. One condition step of
// the selection by conditions, whole parcels and parts only.
// The sheet dialog on the largest area of the "district" demo (about 170
// areas, 55,000 owners): opening with the full owner list (target under
// 300 ms), a name search (under 50 ms), one sheet of about 500 parts into the
// work table (under 100 ms).
#include "app/core/MainOrvEntries.h"
#include "app/core/TCodeTableApp.h"
#include "db/DatasetModel.h"
#include "select/TParOborgDlg.h"
#include "select/core/TSheetSelector.h"
#include "base/ETalvekException.h"
#include "data/CadastralTables.h"
#include "data/DemoDistrictGenerator.h"
#include "data/ParcelTable.h"
#include "data/WorkTable.h"
#include "db/Table.h"
#include "db/paradox/ParadoxTable.h"
#include "select/core/TConditionSelector.h"
#include "select/core/TParcSelector.h"
#include "select/core/TParcelImport.h"

#include <QApplication>
#include <QDir>
#include <QHash>
#include <QLineEdit>
#include <QRadioButton>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
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
    OpenParcelTable(parcels, district, QStringLiteral("001"));
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
// The suffix of the area with the largest parcel table.
QString largestArea(const QString& district)
{
    QString suffix;
    qint64 largest = -1;
    for (const QFileInfo& file :
         QDir(district).entryInfoList({QStringLiteral("NYSPA*.DB")}, QDir::Files))
        if (file.size() > largest) {
            largest = file.size();
            suffix = file.baseName().mid(5);
        }
    return suffix;
}

// The area and ownership sheet whose part count is nearest to `parts`
// (searched over every area), and that count.
struct SheetSize
{
    QString suffix;
    int sheet = 0;
    int parts = 0;
    QList<qint64> largest; // the largest sheets of the area, together at least `parts`
    int largestParts = 0;
};
SheetSize sheetNear(const QString& district, int parts)
{
    SheetSize best;
    for (const QFileInfo& file :
         QDir(district).entryInfoList({QStringLiteral("NYSPA*.DB")}, QDir::Files)) {
        const ParadoxReader reader(file.filePath());
        const int lvcis = reader.fieldIndex(QStringLiteral("LVCIS"));
        QHash<int, int> counts;
        reader.forEachRecord(
            [&](const ParadoxRecord& record) { ++counts[record.value(lvcis).toInt()]; });
        QList<QPair<int, int>> bySize; // (parts, sheet)
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            if (it.key() > 0)
                bySize.append({it.value(), it.key()});
        std::sort(bySize.rbegin(), bySize.rend());
        if (bySize.isEmpty() || qAbs(bySize.first().first - parts) >= qAbs(best.parts - parts))
            continue;
        best = {file.baseName().mid(5), bySize.first().second, bySize.first().first, {}, 0};
        for (int i = 0; i < bySize.size() && best.largestParts < parts; ++i) {
            best.largest << bySize[i].second;
            best.largestParts += bySize[i].first;
        }
    }
    return best;
}

void benchSheets(const QString& root)
{
    const QString district = root + QStringLiteral("/district");
    Stopwatch watch;
    const auto summary =
        DemoDistrictGenerator({DemoDistrictGenerator::Size::District, 1}).generate(district);
    std::printf("district demo generated (%d areas, %lld parts, %lld owners): %s\n", summary.areas,
                summary.parcelParts, summary.owners, qPrintable(watch.text()));
    const QString suffix = largestArea(district);
    const TKUInfo ku{district, {}, {}, {}, suffix, {}};
    const TSelectionContext ctx{
        std::make_shared<TCodeTableApp>(district + QStringLiteral("/WorkDB")), ku,
        root + QStringLiteral("/PRAC.DB")};
    for (const char* round : {"first", "second"}) {
        watch.restart();
        TParOborgDlg dlg(ctx, {});
        dlg.OpenData();
        std::printf("sheet dialog on area %s opened with the full list (%d rows), %s time: %s\n",
                    qPrintable(suffix), dlg.GridModel()->rowCount(), round,
                    qPrintable(watch.text()));
    }
    TParOborgDlg dlg(ctx, {});
    dlg.OpenData();
    dlg.findChild<QRadioButton*>(QStringLiteral("Hledat2"))->setChecked(true);
    for (const char* name : {"nov", "čer", "s"}) {
        dlg.findChild<QLineEdit*>(QStringLiteral("EditKlic"))->setText(QString::fromUtf8(name));
        watch.restart();
        dlg.HledatBtnClick();
        std::printf("name search \"%s\": %d rows: %s\n", name, dlg.GridModel()->rowCount(),
                    qPrintable(watch.text()));
    }
    const SheetSize near = sheetNear(district, 500);
    Table work;
    work.setDatabaseName(root);
    work.setTableName(QStringLiteral("PRAC.DB"));
    for (const char* round : {"first", "second"}) {
        watch.restart();
        TSheetSelector::SelectSheetsIntoWork(work, district, near.suffix,
                                             TSheetSearch::Sheet(near.sheet), false);
        std::printf("sheet %d of area %s (%d parts of its own) into PRAC.DB: %d rows, %s time: "
                    "%s\n",
                    near.sheet, qPrintable(near.suffix), near.parts, work.recordCount(), round,
                    qPrintable(watch.text()));
    }
    // No sheet of the demo holds 500 parts: the largest sheets of that area
    // together, selected as the dialog's "all sheets" of a sheet list.
    QStringList list;
    for (const qint64 n : near.largest)
        list << QString::number(n);
    watch.restart();
    TSheetSelector::SelectSheetsIntoWork(
        work, district, near.suffix,
        TSheetSearch::Prepare(TSheetSearch::BySheet, list.join(u','), true, false), false);
    std::printf("%lld largest sheets of area %s (%d parts) into PRAC.DB: %d rows: %s\n",
                qlonglong(near.largest.size()), qPrintable(near.suffix), near.largestParts,
                work.recordCount(), qPrintable(watch.text()));
}

} // namespace

int main(int argc, char* argv[])
{
    // The sheet dialog is built without being shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
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

    // One condition step: the history table saved, the statement run over
    // the area, the rows moved into the work table and marked, the history
    // line counted. First an add into an empty table, then a take-out.
    for (const bool partsOnly : {false, true}) {
        EmptyWorkTable(work);
        TConditionSelector selector(parcels, work, partsOnly);
        selector.Start();
        watch.restart();
        selector.Step(true, {selector.FieldPosition(QStringLiteral("VYMERA")), QStringLiteral(">="),
                             QStringLiteral("500")});
        std::printf("condition step +VYMERA>=500 (%s): %d parts: %s\n",
                    partsOnly ? "parts only" : "whole parcels", work.recordCount(),
                    qPrintable(watch.text()));
        watch.restart();
        selector.Step(false, {selector.FieldPosition(QStringLiteral("CPCE")), QStringLiteral("="),
                              QStringLiteral("12")});
        std::printf("condition step -CPCE=12 (%s, house number in parts 0-29): %d parts: %s\n",
                    partsOnly ? "parts only" : "whole parcels", work.recordCount(),
                    qPrintable(watch.text()));
    }

    // One by one, the work table written after every row (100 parcels).
    EmptyWorkTable(work);
    watch.restart();
    for (int i = 0; i < 100 && i < numbers.size(); ++i)
        AddParcelToWork(numbers[i], work, parcels, true);
    std::printf("100 parcels added one by one, the file written per row: %s\n",
                qPrintable(watch.text()));
    benchSheets(dir.path());
    return 0;
}
