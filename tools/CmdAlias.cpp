// orv-tool alias: list, add and remove the engine's database aliases, with
// the checks of the program's alias manager (DistrictAliasEditor).
#include "app/core/DistrictAliasEditor.h"
#include "db/EngineAliases.h"
#include "tools/ToolCommand.h"

#include <cstdio>

namespace {

// Lists every section, repeated ones too, and names the lines of the
// repeated ones, so that the file can be repaired with remove or add --force.
int listAliases()
{
    EngineAliases aliases(EngineAliases::defaultFilePath());
    aliases.load(EngineAliases::Duplicates::Keep);
    for (const QString& name : aliases.names())
        std::printf("%s\t%s\t%s\n", qPrintable(name), qPrintable(aliases.driverName(name)),
                    qPrintable(aliases.path(name)));
    for (const EngineAliases::Duplicate& d : aliases.duplicates())
        std::fprintf(stderr,
                     "%s; opravíte to příkazem alias remove %s nebo alias add %s "
                     "ADRESÁŘ --force\n",
                     qPrintable(aliases.duplicateMessage(d)), qPrintable(d.name),
                     qPrintable(d.name));
    return 0;
}

int runAlias(const QStringList& args)
{
    QStringList rest = args;
    const bool force = rest.removeAll(QStringLiteral("--force")) > 0;
    const QString sub = rest.value(0);
    DistrictAliasEditor editor;
    if (sub == QLatin1String("list") && rest.size() == 1)
        return listAliases();
    // A district alias must lead to a readable catalogue; --force binds any
    // existing directory and replaces an alias of that name.
    if (sub == QLatin1String("add") && rest.size() == 3) {
        force ? editor.replace(rest[1], rest[2]) : editor.add(rest[1], rest[2]);
        return 0;
    }
    if (sub == QLatin1String("remove") && rest.size() == 2) {
        editor.removeAll(rest[1]);
        return 0;
    }
    return toolUsageError(
        QStringLiteral("alias list | add NÁZEV ADRESÁŘ [--force] | remove NÁZEV"));
}

} // namespace

static ToolCommandRegistrar reg{
    {"alias",
     "alias list | add NÁZEV ADRESÁŘ [--force] | remove NÁZEV   aliasy okresů (aliases.conf); "
     "add bez --force ověří katalog ADRESÁŘ/NYSKATAL.DB, s --force nahradí i alias téhož názvu",
     &runAlias}};
