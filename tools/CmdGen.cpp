// orv-tool gen: writes the deterministic demo district (tables of one
// district plus the shared code tables in WorkDB/) into a directory.
#include "base/ETalvekException.h"
#include "data/DemoDistrictGenerator.h"
#include "tools/ToolCommand.h"

#include <QElapsedTimer>
#include <cstdio>

namespace {

int usage()
{
    return toolUsageError(
        QStringLiteral("gen [--size small|district|city] --out ADRESÁŘ [--seed N]"));
}

int runGen(const QStringList& args)
{
    DemoDistrictGenerator::Options options;
    QString out;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (i + 1 >= args.size())
            return usage();
        const QString value = args[++i];
        if (arg == QLatin1String("--size")) {
            options.size = DemoDistrictGenerator::parseSize(value);
        } else if (arg == QLatin1String("--out")) {
            out = value;
        } else if (arg == QLatin1String("--seed")) {
            bool ok = false;
            options.seed = value.toULongLong(&ok);
            if (!ok)
                throw ETalvekException(QStringLiteral("Neplatné semínko \"%1\".").arg(value));
        } else {
            return usage();
        }
    }
    if (out.isEmpty())
        return usage();

    QElapsedTimer timer;
    timer.start();
    const DemoDistrictGenerator::Summary s = DemoDistrictGenerator(options).generate(out);
    std::printf("okres: %d obcí, %d katastrálních území, %lld dílů parcel, %lld vlastníků, "
                "%lld listů vlastnictví, %lld vztahů, %lld doplňků, %lld řádků textů, "
                "%lld bonit; %.1f s\n",
                s.municipalities, s.areas, s.parcelParts, s.owners, s.sheets, s.ownershipRelations,
                s.records, s.recordTexts, s.soilRecords, timer.elapsed() / 1000.0);
    return 0;
}

} // namespace

static ToolCommandRegistrar reg{
    {"gen",
     "gen [--size small|district|city] --out ADRESÁŘ [--seed N]   ukázkový okres, číselníky v "
     "ADRESÁŘ/WorkDB",
     &runGen}};
