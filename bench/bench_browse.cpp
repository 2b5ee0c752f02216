// The parcel browser over the 40,000 parts of the "city" demo area: opening
// it up to the first painted grid, the mark button over every part, and the
// longest single step while scrolling the grid from top to bottom.
// Usage: bench_browse [CITY_DIR]  (default: generates the city demo into a
// temporary directory first).
#include "BenchCity.h"
#include "app/core/TApp.h"
#include "browse/TParDilyDbf.h"
#include "data/DemoDistrictGenerator.h"
#include "data/WorkTable.h"
#include "db/Engine.h"
#include "db/EngineAliases.h"
#include "db/Query.h"
#include "db/Table.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir tmp;
    qputenv("ORV_CONFIG_DIR", tmp.filePath("config").toUtf8());
    const CityWork city = OpenCityWork(argc, argv, tmp);
    const std::shared_ptr<TApp>& app = city.app;
    const QString& work = city.workTable;
    const TKUInfo ku{QStringLiteral("CITY"), {}, {}, QStringLiteral("Město"),
                     QStringLiteral("001"),  {}};

    for (int round = 0; round < 3; ++round) {
        QElapsedTimer t;
        t.start();
        TParDilyDbf form(nullptr, app, work, ku);
        form.SetupView(0, 0);
        form.show();
        auto* grid = form.findChild<QTableView*>(QStringLiteral("DBGridPa"));
        grid->viewport()->grab(); // the first painted grid
        const double openMs = msSince(t);
        const int parts = form.TablePa().recordCount();

        auto* flag = form.findChild<QPushButton*>(QStringLiteral("FlagBtn"));
        t.restart();
        flag->click();
        const double markMs = msSince(t);
        t.restart();
        flag->click();
        const double remarkMs = msSince(t);

        // Where the mark button's time goes: the statement (with the write of
        // the table file) and the refresh of the grid's rows.
        Query update;
        update.setDatabaseName(tmp.filePath(QStringLiteral("work")));
        update.setSql(QStringLiteral("UPDATE \"PRAC.DB\" SET FLAG = TRUE"));
        t.restart();
        update.execSql();
        const double statementMs = msSince(t);
        t.restart();
        form.TablePa().refresh();
        const double refreshMs = msSince(t);
        std::printf("  of which: UPDATE with file write %.1f ms, refresh %.1f ms\n", statementMs,
                    refreshMs);

        QScrollBar* bar = grid->verticalScrollBar();
        double worst = 0;
        int steps = 0;
        for (int v = 0; v <= bar->maximum() && steps < 400; v += qMax(1, bar->maximum() / 400)) {
            t.restart();
            bar->setValue(v);
            grid->viewport()->grab();
            worst = qMax(worst, msSince(t));
            ++steps;
        }
        std::printf("parts %d: open to first painted grid %.1f ms; mark button %.1f ms (clear) "
                    "%.1f ms (set); scrolling %d steps, slowest %.1f ms\n",
                    parts, openMs, markMs, remarkMs, steps, worst);
        form.hide();
    }
    return 0;
}
