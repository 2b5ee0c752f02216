// The search of one owner's ownership sheets across districts on a synthetic
// country of demo districts ("bench_sheetsearch [N [small|district]]",
// default 77 small ones), all under aliases in a private configuration
// directory.
// Measured: the first search by IDENT across every district (the engine
// reads each relation table from its file), later searches (tables kept by
// the engine, each file's stamp checked), an owner list by name prefix with
// the sheets of all its owners, the dialog's opening with every alias; and,
// for comparison, a plain scan reading every relation file with the Paradox
// reader. Targets: first search under 5 s, later ones under 300 ms, name
// prefix under 500 ms, the dialog under 300 ms.
#include "app/core/TCodeTableApp.h"
#include "data/DemoDistrictGenerator.h"
#include "db/Engine.h"
#include "db/EngineAliases.h"
#include "db/Query.h"
#include "db/paradox/ParadoxTable.h"
#include "select/TListVlDialog.h"
#include "select/core/TListVlSearch.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {
double elapsedMs(QElapsedTimer& timer)
{
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    return ms;
}

// Every relation row of the owner, read file by file.
int plainScan(const QStringList& dirs, double ident)
{
    int rows = 0;
    for (const QString& dir : dirs)
        for (const QString& file : QDir(dir).entryList({"NYSUV???.DB"}, QDir::Files)) {
            const ParadoxReader reader(QDir(dir).filePath(file));
            const int field = reader.fieldIndex(QStringLiteral("IDENT"));
            reader.forEachRecord([&](const ParadoxRecord& r) {
                rows += r.value(field).toDouble() == ident ? 1 : 0;
            });
        }
    return rows;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const int districts = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 77;
    const DemoDistrictGenerator::Size size = DemoDistrictGenerator::parseSize(
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("small"));
    QTemporaryDir root;
    qputenv("ORV_CONFIG_DIR", root.filePath(QStringLiteral("config")).toUtf8());
    QDir().mkpath(root.filePath(QStringLiteral("config")));

    QElapsedTimer timer;
    timer.start();
    EngineAliases aliases(EngineAliases::defaultFilePath());
    QStringList names;
    QStringList dirs;
    int areas = 0;
    for (int i = 1; i <= districts; ++i) {
        const QString name = QStringLiteral("OKRES%1").arg(i, 2, 10, QLatin1Char('0'));
        const QString dir = root.filePath(name);
        // Five seeds: every owner of a seed holds sheets in a fifth of the country.
        areas += DemoDistrictGenerator({size, quint64(i % 5 + 1)}).generate(dir).areas;
        aliases.addStandard(name, dir);
        names << name;
        dirs << dir;
    }
    aliases.save();
    Engine::instance().aliases() = aliases;
    std::printf("country: %d districts, %d areas, written in %.0f ms\n", districts, areas,
                elapsedMs(timer));

    Query first;
    first.setDatabaseName(names.first());
    first.setSql(QStringLiteral("SELECT IDENT FROM \"NYSUV001.DB\""));
    first.open();
    const double ident = first.asFloat(QStringLiteral("IDENT"));
    first.close();
    timer.restart();

    const int scanned = plainScan(dirs, ident);
    std::printf("plain scan of every relation file (Paradox reader): %.1f ms, %d rows\n",
                elapsedMs(timer), scanned);
    for (int run = 1; run <= 3; ++run) {
        TListVlSearch::Result result;
        TListVlSearch::Run(names, {ident}, result);
        std::printf("search by IDENT across %d districts, run %d: %.1f ms, %lld sheets, %d "
                    "areas, %d skipped\n",
                    districts, run, elapsedMs(timer), qlonglong(result.hits.size()),
                    result.searchedAreas, result.skippedAreas);
    }

    Query owners;
    TListVlSearch::OpenOwners(owners, names.first(), true, QStringLiteral("NOV"), false);
    QList<double> idents;
    for (owners.first(); !owners.eof(); owners.next())
        idents << owners.asFloat(QStringLiteral("IDENT"));
    TListVlSearch::Result byName;
    TListVlSearch::Run(names, idents, byName);
    std::printf("name prefix \"NOV\" in the first district: %lld owners, their sheets across all: "
                "%lld, %.1f ms\n",
                qlonglong(idents.size()), qlonglong(byName.hits.size()), elapsedMs(timer));

    const auto app = std::make_shared<TCodeTableApp>(dirs.first() + QStringLiteral("/WorkDB"));
    {
        TListVlDialog dialog(app, {});
        std::printf("dialog opened with %lld aliases: %.1f ms\n", qlonglong(names.size()),
                    elapsedMs(timer));
    }
    return 0;
}
