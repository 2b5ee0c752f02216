// Opening the catalogue dialog on the "district" demo (about 170 areas in 60
// municipalities): building the dialog, loading the catalogue and showing it.
// Usage: bench_katdialog [DISTRICT_DIR]  (default: generates the demo district
// into a temporary directory first, which takes a while).
#include "BenchCity.h"
#include "app/TKatDialog.h"
#include "app/core/DistrictCatalogue.h"
#include "app/core/TApp.h"
#include "settings/TRegistry.h"
#include "data/DemoDistrictGenerator.h"
#include "db/DatasetModel.h"
#include "db/Engine.h"
#include "db/EngineAliases.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {
// One open of the dialog as the user sees it: built, catalogue loaded, shown
// and painted.
double openOnce(const std::shared_ptr<IApp>& app, int& areas)
{
    QElapsedTimer t;
    t.start();
    TKatDialog dialog(nullptr, app, QString());
    dialog.show();
    QCoreApplication::processEvents();
    const double ms = msSince(t);
    areas = dialog.DSKatastry()->rowCount();
    dialog.hide();
    return ms;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir tmp;
    qputenv("ORV_CONFIG_DIR", tmp.filePath("config").toUtf8());

    QString district = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (district.isEmpty()) {
        district = tmp.filePath("district");
        QElapsedTimer t;
        t.start();
        std::printf("generating the district demo into %s ...\n", qPrintable(district));
        std::fflush(stdout);
        DemoDistrictGenerator({DemoDistrictGenerator::Size::District, 1}).generate(district);
        std::printf("generated in %.1f s\n", msSince(t) / 1000.0);
    }
    EngineAliases aliases(EngineAliases::defaultFilePath());
    aliases.addStandard(QStringLiteral("DISTRICT"), district);
    aliases.save();

    auto registry =
        std::make_shared<TRegistry>(tmp.filePath("user.reg"), tmp.filePath("machine.reg"));
    auto app = std::make_shared<TApp>(registry, tmp.path());

    int areas = 0;
    const double cold = openOnce(app, areas);
    std::vector<double> warm;
    for (int i = 0; i < 30; ++i)
        warm.push_back(openOnce(app, areas));
    std::sort(warm.begin(), warm.end());
    std::printf("catalogue dialog, %d areas: first open (file read) %.1f ms; warm open over %zu "
                "runs: min %.1f ms, median %.1f ms, max %.1f ms (target < 100 ms)\n",
                areas, cold, warm.size(), warm.front(), warm[warm.size() / 2], warm.back());

    // The silent lookup the main window runs per area when several are chosen.
    QElapsedTimer t;
    t.start();
    TKUInfo info;
    int found = 0;
    for (int ordinal = 1; ordinal <= areas; ++ordinal)
        found += DistrictCatalogue::lookup(
            QStringLiteral("DISTRICT"), QStringLiteral("%1").arg(ordinal, 3, 10, QLatin1Char('0')),
            info);
    std::printf("lookup of all %d ordinals: %.1f ms (%.2f ms each), %d found\n", areas, msSince(t),
                msSince(t) / std::max(areas, 1), found);
    return 0;
}
