// orv-tool import: VFK exchange files into a new district directory, the code
// tables brought up to date, optionally an alias bound to the district.
#include "base/ETalvekException.h"
#include "base/OrvPaths.h"
#include "app/core/DistrictAliasEditor.h"
#include "import/VfkImporter.h"
#include "tools/ToolCommand.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>

namespace {

const char Synopsis[] = "import SOUBOR.vfk [SOUBOR.vfk …] --out ADRESÁŘ [--workdb ADRESÁŘ] "
                        "[--alias NÁZEV]";

int usage()
{
    return toolUsageError(QString::fromUtf8(Synopsis));
}

int runImport(const QStringList& args)
{
    VfkImporter::Options options;
    QString alias;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!arg.startsWith(QLatin1String("--"))) {
            options.files.append(arg);
            continue;
        }
        if (i + 1 >= args.size())
            return usage();
        const QString value = args[++i];
        if (arg == QLatin1String("--out"))
            options.outDir = value;
        else if (arg == QLatin1String("--workdb"))
            options.workDb = value;
        else if (arg == QLatin1String("--alias"))
            alias = value;
        else
            return usage();
    }
    if (options.files.isEmpty() || options.outDir.isEmpty())
        return usage();
    if (options.workDb.isEmpty())
        options.workDb = OrvPaths::codeTableDir(OrvPaths::executableDir());

    // A name that cannot be bound is refused before anything is written.
    if (!alias.isEmpty())
        DistrictAliasEditor().checkNew(alias);
    QElapsedTimer timer;
    timer.start();
    const VfkDistrict district = VfkImporter(options).run();
    for (const QString& line : VfkImporter::summary(district))
        std::printf("%s\n", qPrintable(line));
    const QString out = QDir::cleanPath(QFileInfo(options.outDir).absoluteFilePath());
    if (!alias.isEmpty()) {
        DistrictAliasEditor().add(alias, out);
        std::printf("alias %s -> %s\n", qPrintable(alias),
                    qPrintable(QDir::toNativeSeparators(out)));
    }
    if (!district.mapSummaries.isEmpty())
        std::printf("mapy zapsány do %s\n",
                    qPrintable(QDir::toNativeSeparators(OrvPaths::mapDir())));
    std::printf("okres zapsán do %s, číselníky v %s; %.1f s\n",
                qPrintable(QDir::toNativeSeparators(out)),
                qPrintable(QDir::toNativeSeparators(options.workDb)), timer.elapsed() / 1000.0);
    return ToolExit::Ok;
}

} // namespace

static ToolCommandRegistrar reg{
    {"import",
     "import SOUBOR.vfk [SOUBOR.vfk …] --out ADRESÁŘ [--workdb ADRESÁŘ] [--alias NÁZEV]   "
     "výměnné soubory katastru (VFK) do nového adresáře okresu",
     &runImport}};
