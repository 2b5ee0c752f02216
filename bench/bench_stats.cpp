// Area statistics over the 40,000 parts of the "city" demo area: the row
// statistics alone (catalogue, code table, 46 aggregate queries, houses,
// simplified register) and the whole command up to the painted preview.
// The first round reads the Paradox tables cold; later rounds find them loaded.
// Usage: bench_stats [CITY_DIR]  (default: generates the city demo into a
// temporary directory first).
#include "BenchCity.h"
#include "data/DemoDistrictGenerator.h"
#include "output/TStatistikaDlg.h"
#include "output/core/TAreaStatistics.h"
#include "report/ui/ReportPreviewDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {
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
    const QString city = CityDistrict(argc, argv, tmp);
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
