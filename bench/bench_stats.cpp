// Area statistics over the 40,000 parts of the "city" demo area: the row
// statistics alone (catalogue, code table, 46 aggregate queries, houses,
// simplified register) and the whole command up to the painted preview.
// The first round reads the Paradox tables cold; later rounds find them loaded.
// Usage: bench_stats [CITY_DIR]  (default: generates the city demo into a
// temporary directory first).
#include "data/DemoDistrictGenerator.h"
#include "output/TStatistikaDlg.h"
#include "output/core/TAreaStatistics.h"
#include "report/ui/ReportPreviewDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {
double msSince(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// The preview shown and painted once, then closed: the end of the command.
void paintPreview(const ReportDocument& document, QWidget* owner)
{
    ReportPreviewDialog preview(document, owner);
    preview.show();
    preview.repaint();
    QApplication::processEvents();
    preview.close();
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir tmp;
    QString city = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (city.isEmpty()) {
        city = tmp.filePath("city");
        QElapsedTimer t;
        t.start();
        DemoDistrictGenerator({DemoDistrictGenerator::Size::City, 1}).generate(city);
        std::printf("generated the city demo in %.1f s\n", msSince(t) / 1000.0);
    }
    const QString workDb = city + QStringLiteral("/WorkDB");
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer t;
        t.start();
        TStatistikaDlg dlg(nullptr, &paintPreview);
        dlg.Run(workDb, city, QStringLiteral("001"));
        const double command = msSince(t);
        t.restart();
        TAreaStatistics stats(workDb, city, QStringLiteral("001"));
        stats.Run();
        std::printf("round %d: command to painted preview %.1f ms; statistics alone "
                    "(%d rows, %lld parts counted) %.1f ms\n",
                    round + 1, command, TAreaStatistics::StepCount(), qlonglong(stats.TotalCount()),
                    msSince(t));
    }
    return 0;
}
