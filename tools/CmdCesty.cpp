// orv-tool cesty: where this copy of ORV finds its files (settings, machine
// values, code tables, help, user data, cache, maps), with a check of the read-only data
// an installation must bring: every code table of WorkDB opens as a Paradox
// table and the help page is there. Tells a broken or moved installation
// apart from a data problem.
#include "base/ETalvekException.h"
#include "base/OrvPaths.h"
#include "db/paradox/ParadoxTable.h"
#include "tools/ToolCommand.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace {
// Opens every table of the code-table directory; returns how many there are.
int checkCodeTables(const QString& directory)
{
    const QStringList tables =
        QDir(directory).entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name);
    if (!QFileInfo(directory).isDir() || tables.isEmpty())
        throw ETalvekException(
            QStringLiteral("V adresáři číselníků %1 nejsou žádné tabulky").arg(directory));
    for (const QString& table : tables)
        ParadoxReader reader(directory + QLatin1Char('/') + table);
    return int(tables.size());
}

void printLine(const char* what, const QString& path, const QString& note = {})
{
    std::printf("%s\t%s%s\n", what, qPrintable(QDir::toNativeSeparators(path)), qPrintable(note));
}

int runCesty(const QStringList& args)
{
    if (!args.isEmpty())
        return toolUsageError(QStringLiteral("cesty"));
    const QString exeDir = OrvPaths::executableDir();
    const QString codeTables = OrvPaths::codeTableDir(exeDir);
    const QString help =
        OrvPaths::programData(exeDir, QStringLiteral("help")) + QStringLiteral("/index.html");
    printLine("nastavení", OrvPaths::configDir());
    printLine("instalační údaje", OrvPaths::machineConfigDir());
    printLine("uživatelská data", OrvPaths::userDataDir());
    printLine("mezipaměť", OrvPaths::cacheDir());
    const QString maps = OrvPaths::mapDir();
    printLine("mapy", maps,
              QStringLiteral(" (map: %1)")
                  .arg(QDir(maps).entryList({QStringLiteral("*.gpkg")}, QDir::Files).size()));
    printLine("nápověda", help);
    const int count = checkCodeTables(codeTables);
    printLine("číselníky", codeTables, QStringLiteral(" (tabulek: %1)").arg(count));
    if (!QFileInfo::exists(help))
        throw ETalvekException(QStringLiteral("Nápověda %1 chybí").arg(help));
    return std::fflush(stdout) == 0 ? ToolExit::Ok : ToolExit::BadData;
}

ToolCommandRegistrar reg{{QStringLiteral("cesty"),
                          QStringLiteral("cesty              kde program hledá nastavení, "
                                         "číselníky a nápovědu; ověří číselníky a nápovědu"),
                          &runCesty}};
} // namespace
