// orv-tool gen: writes the deterministic demo district (tables of one
// district plus the shared code tables in WorkDB/) or a synthetic country of
// districts for the search of sheets across districts into a directory.
#include "base/CzechPlural.h"
#include "base/ETalvekException.h"
#include "data/CountryGenerator.h"
#include "data/DemoDistrictGenerator.h"
#include "db/EngineAliases.h"
#include "tools/ToolCommand.h"

#include <QElapsedTimer>
#include <cstdio>
#include <limits>

namespace {
// A count with its Czech noun in the right form (1 okres, 3 okresy, 7 okresů).
QString n(qint64 count, const char* one, const char* few, const char* many)
{
    return CzechPlural::Count(count, QString::fromUtf8(one), QString::fromUtf8(few),
                              QString::fromUtf8(many));
}

const QString Synopsis =
    QStringLiteral("gen [--size small|district|city|country] --out ADRESÁŘ [--seed N] "
                   "[--districts N] [--areas N] [--relations N] [--aliases]");

struct GenArgs
{
    QString size = QStringLiteral("small");
    QString out;
    quint64 seed = 1;
    CountryGenerator::Options country;
    bool countryOption = false; // --districts, --areas, --relations or --aliases
    bool aliases = false;
    QString badOption; // the option whose value is no number in its range
    QString badValue;
};

// The counts and the seed are whole numbers; a count must fit an int.
bool number(const QString& option, const QString& value, qint64 max, qint64& n, GenArgs& out)
{
    if (toolWholeNumber(value, 0, max, n))
        return true;
    out.badOption = option;
    out.badValue = value;
    return false;
}

bool parseArgs(const QStringList& args, GenArgs& out)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--aliases")) {
            out.aliases = out.countryOption = true;
            continue;
        }
        if (i + 1 >= args.size())
            return false;
        const QString value = args[++i];
        const qint64 anyInt = std::numeric_limits<int>::max();
        qint64 n = 0;
        if (arg == QLatin1String("--size"))
            out.size = value;
        else if (arg == QLatin1String("--out"))
            out.out = value;
        else if (arg == QLatin1String("--seed") &&
                 number(arg, value, std::numeric_limits<qint64>::max(), n, out))
            out.seed = quint64(n);
        else if (arg == QLatin1String("--districts") && number(arg, value, anyInt, n, out))
            out.country.districts = int(n);
        else if (arg == QLatin1String("--areas") && number(arg, value, anyInt, n, out))
            out.country.areas = int(n);
        else if (arg == QLatin1String("--relations") &&
                 number(arg, value, std::numeric_limits<qint64>::max(), n, out))
            out.country.relations = n;
        else
            return false; // unknown, or a number out of its range
        out.countryOption = out.countryOption || arg.startsWith(QLatin1String("--d")) ||
                            arg.startsWith(QLatin1String("--a")) ||
                            arg.startsWith(QLatin1String("--r"));
    }
    return !out.out.isEmpty() && (out.size == QLatin1String("country") || !out.countryOption);
}

int genCountry(const GenArgs& args, QElapsedTimer& timer)
{
    CountryGenerator::Options options = args.country;
    options.seed = args.seed;
    const CountryGenerator generator(options);
    EngineAliases aliases(EngineAliases::defaultFilePath());
    if (args.aliases) { // refused before anything is written
        aliases.load();
        generator.checkAliasesFree(aliases);
    }
    const CountryGenerator::Summary s = generator.generate(args.out, [&](int done, int districts) {
        std::fprintf(stderr, "\rokres %d z %d", done, districts);
        std::fflush(stderr);
    });
    std::fprintf(stderr, "\n");
    qint64 owners = 0;
    for (const CountryGenerator::District& d : s.districts)
        owners += d.owners;
    if (args.aliases) {
        CountryGenerator::defineAliases(aliases, s);
        aliases.save();
    }
    const QString counts =
        QStringList{n(s.areas, "katastrální území", "katastrální území", "katastrálních území"),
                    n(s.relations, "vztah", "vztahy", "vztahů"),
                    n(owners, "řádek vlastníků", "řádky vlastníků", "řádků vlastníků")}
            .join(", ");
    std::printf("země: %s (%s až %s), %s; %.1f s%s\n",
                qPrintable(n(s.districts.size(), "okres", "okresy", "okresů")),
                qPrintable(s.districts.first().name), qPrintable(s.districts.last().name),
                qPrintable(counts), timer.elapsed() / 1000.0,
                args.aliases ? "; aliasy okresů přidány" : "");
    return ToolExit::Ok;
}

int runGen(const QStringList& argList)
{
    GenArgs args;
    if (!parseArgs(argList, args))
        return args.badOption.isEmpty() ? toolUsageError(Synopsis)
                                        : toolBadValue(args.badOption, args.badValue, Synopsis);
    QElapsedTimer timer;
    timer.start();
    if (args.size == QLatin1String("country"))
        return genCountry(args, timer);
    const DemoDistrictGenerator::Summary s =
        DemoDistrictGenerator({DemoDistrictGenerator::parseSize(args.size), args.seed})
            .generate(args.out);
    const QStringList counts{
        n(s.municipalities, "obec", "obce", "obcí"),
        n(s.areas, "katastrální území", "katastrální území", "katastrálních území"),
        n(s.parcelParts, "díl parcel", "díly parcel", "dílů parcel"),
        n(s.owners, "vlastník", "vlastníci", "vlastníků"),
        n(s.sheets, "list vlastnictví", "listy vlastnictví", "listů vlastnictví"),
        n(s.ownershipRelations, "vztah", "vztahy", "vztahů"),
        n(s.records, "doplněk", "doplňky", "doplňků"),
        n(s.recordTexts, "řádek textů", "řádky textů", "řádků textů"),
        n(s.soilRecords, "bonita", "bonity", "bonit")};
    std::printf("okres: %s; %.1f s\n", qPrintable(counts.join(", ")), timer.elapsed() / 1000.0);
    return ToolExit::Ok;
}

} // namespace

static ToolCommandRegistrar reg{
    {"gen",
     Synopsis + QStringLiteral("   ukázkový okres, číselníky v ADRESÁŘ/WorkDB; country: "
                               "syntetická země okresů (--aliases je přidá jako aliasy)"),
     &runGen}};
