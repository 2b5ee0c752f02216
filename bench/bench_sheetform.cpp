// The full ownership-sheet statement (kind 3) on the "district" demo: the
// sheet with the most parcel parts and supplementary records of the district
// is typed into the sheet dialog; measured from OK (work table filled, form
// built, report laid out) to the first page painted in the preview window
// (target under 1 s). With --district DIR an existing demo district is used.
#include "app/core/MainOrvEntries.h"
#include "app/core/TCodeTableApp.h"
#include "data/DemoDistrictGenerator.h"
#include "db/Query.h"
#include "output/TLVCisDlg.h"
#include "report/ui/ReportPreviewDialog.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {
double cpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

struct Sheet
{
    QString suffix;
    int number = 0;
    int parts = 0;
    int records = 0;
};

// Counts per sheet of one per-area table: "SELECT field, COUNT(*) ...".
QHash<int, int> countsBySheet(const QString& district, const QString& table, const char* field)
{
    Query q;
    q.setDatabaseName(district);
    q.setSql(QStringLiteral("SELECT %1 AS LV, COUNT(*) AS N FROM \"%2\" GROUP BY %1")
                 .arg(QLatin1String(field), table));
    q.open();
    QHash<int, int> counts;
    for (q.first(); !q.eof(); q.next())
        counts.insert(int(q.asInteger(QStringLiteral("LV"))),
                      int(q.asInteger(QStringLiteral("N"))));
    return counts;
}

// The sheets of the district with the most parts and records together and
// with the most records.
std::pair<Sheet, Sheet> largestSheets(const QString& district)
{
    Sheet best;
    Sheet mostRecords;
    for (const QFileInfo& file :
         QDir(district).entryInfoList({QStringLiteral("NYSPA*.DB")}, QDir::Files)) {
        const QString suffix = file.baseName().mid(5);
        const QHash<int, int> parts = countsBySheet(district, file.fileName(), "LVCIS");
        const QHash<int, int> records =
            countsBySheet(district, QStringLiteral("NYSVL%1.DB").arg(suffix), "DLVCIS");
        for (auto it = parts.begin(); it != parts.end(); ++it) {
            const int recordCount = records.value(it.key());
            if (it.key() > 0 && it.value() + recordCount > best.parts + best.records)
                best = {suffix, it.key(), it.value(), recordCount};
            if (it.key() > 0 && recordCount > mostRecords.records)
                mostRecords = {suffix, it.key(), it.value(), recordCount};
        }
    }
    return {best, mostRecords};
}

void benchStatement(const QString& district, const QString& root, const Sheet& sheet)
{
    std::printf("area %s sheet %d, %d parts, %d supplementary records\n", qPrintable(sheet.suffix),
                sheet.number, sheet.parts, sheet.records);
    const TKUInfo ku{
        district,     QStringLiteral("Demo"),  QStringLiteral("Demo"), QStringLiteral("Demo"),
        sheet.suffix, QStringLiteral("000000")};
    const TSelectionContext ctx{
        std::make_shared<TCodeTableApp>(district + QStringLiteral("/WorkDB")), ku,
        root + QStringLiteral("/PRAC.DB")};
    for (const char* round : {"first", "second", "third"}) {
        QElapsedTimer wall;
        double cpu = 0;
        int pages = 0;
        auto preview = [&](const ReportDocument& document, QWidget* owner) {
            ReportPreviewDialog dlg(document, owner);
            dlg.show();
            QApplication::processEvents(); // lays out and paints the first page
            dlg.repaint();
            pages = dlg.pageCount();
            std::printf("%s OK to first page in the preview: %.3f s (processor %.3f s), %d pages\n",
                        round, wall.elapsed() / 1000.0, cpuSeconds() - cpu, pages);
        };
        TLVCisDlg dlg(ctx, true, nullptr, preview);
        dlg.SetSheetText(QString::number(sheet.number));
        wall.start();
        cpu = cpuSeconds();
        dlg.OKBtnClick();
    }
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = application.arguments();
    QTemporaryDir root;
    try {
        QString district;
        const int given = args.indexOf(QStringLiteral("--district"));
        if (given > 0 && given + 1 < args.size()) {
            district = args.at(given + 1);
        } else {
            district = root.path() + QStringLiteral("/district");
            QElapsedTimer watch;
            watch.start();
            DemoDistrictGenerator({DemoDistrictGenerator::Size::District, 1}).generate(district);
            std::printf("district demo generated: %.1f s\n", watch.elapsed() / 1000.0);
        }
        const auto [largest, mostRecords] = largestSheets(district);
        benchStatement(district, root.path(), largest);
        benchStatement(district, root.path(), mostRecords);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
