// orv-tool map: the cadastral maps of the map store. "map import" adds or
// replaces the maps of the areas in VFK files without touching any district
// (a district read from the registry's Paradox tables gets its map from the
// office's VFK files this way).
#include "base/OrvPaths.h"
#include "import/VfkImporter.h"
#include "import/VfkMapBuilder.h"
#include "map/core/MapStore.h"
#include "tools/ToolCommand.h"

#include <QDir>
#include <QElapsedTimer>
#include <cstdio>

// tools/CmdMapDraw.cpp
extern const char MapDrawSynopsis[];
int runMapDraw(const QStringList& args);

namespace {

const char ImportSynopsis[] = "map import SOUBOR.vfk [SOUBOR.vfk …]";

int runMapImport(const QStringList& args)
{
    for (const QString& arg : args)
        if (arg.startsWith(QLatin1String("--")))
            return toolUsageError(QString::fromUtf8(ImportSynopsis));
    if (args.isEmpty())
        return toolUsageError(QString::fromUtf8(ImportSynopsis));
    QElapsedTimer timer;
    timer.start();
    const VfkImporter::Maps read = VfkImporter::readMaps(args);
    const MapStore store;
    VfkImporter::writeMaps(read.maps, store.directory());
    for (const MapArea& map : read.maps)
        std::printf("%s\n", qPrintable(VfkMapBuilder::summary(map).trimmed()));
    for (const QString& warning : read.warnings)
        std::printf("upozornění: %s\n", qPrintable(warning));
    std::printf("mapy zapsány do %s; %.1f s\n",
                qPrintable(QDir::toNativeSeparators(store.directory())), timer.elapsed() / 1000.0);
    return ToolExit::Ok;
}

// The subverbs of "map", each with its synopsis for the usage line. The
// drawing of an area ("map draw") joins them here.
struct Subverb
{
    const char* name;
    const char* synopsis;
    int (*run)(const QStringList& args);
};
const Subverb Subverbs[] = {
    {"import", ImportSynopsis, &runMapImport},
    {"draw", MapDrawSynopsis, &runMapDraw},
};

int runMap(const QStringList& args)
{
    for (const Subverb& subverb : Subverbs)
        if (!args.isEmpty() && args.first() == QLatin1String(subverb.name))
            return subverb.run(args.mid(1));
    QStringList synopses;
    for (const Subverb& subverb : Subverbs)
        synopses.append(QString::fromUtf8(subverb.synopsis));
    return toolUsageError(synopses.join(QStringLiteral(" | ")));
}

} // namespace

static ToolCommandRegistrar reg{
    {"map",
     "map import SOUBOR.vfk [SOUBOR.vfk …]   mapy katastrálních území ze souborů VFK do "
     "adresáře map (okresy se nemění); map draw (--alias NÁZEV | --dir ADRESÁŘ) --area PŘÍPONA "
     "[--work SOUBOR.DB] --out SOUBOR.png|.svg|.pdf [--size ŠxV] [--margin METRŮ] [--paper "
     "A4|A3|…] "
     "[--scale 1000|2000|5000]   mapa území "
     "(nebo okolí označených dílů) do obrázku, označené parcely zvýrazněné",
     &runMap, true}};
