// orv-tool alias: list, add and remove the engine's database aliases.
#include "app/core/DistrictCatalogueCheck.h"
#include "base/ETalvekException.h"
#include "db/EngineAliases.h"
#include "tools/ToolCommand.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace {

int listAliases(const EngineAliases& aliases)
{
    for (const QString& name : aliases.names())
        std::printf("%s\t%s\t%s\n", qPrintable(name), qPrintable(aliases.driverName(name)),
                    qPrintable(aliases.path(name)));
    return 0;
}

// A district alias must lead to a readable catalogue, as in the alias manager
// of the program; --force binds any existing directory.
int addAlias(EngineAliases& aliases, const QString& name, const QString& directory, bool force)
{
    const QFileInfo dir(directory);
    if (!dir.isDir())
        throw ETalvekException(QStringLiteral("Adresář '%1' neexistuje").arg(directory));
    if (!force)
        DistrictCatalogueCheck::check(dir.absoluteFilePath());
    aliases.addStandard(name, QDir::cleanPath(dir.absoluteFilePath()));
    aliases.save();
    return 0;
}

int runAlias(const QStringList& args)
{
    EngineAliases aliases(EngineAliases::defaultFilePath());
    aliases.load();
    QStringList rest = args;
    const bool force = rest.removeAll(QStringLiteral("--force")) > 0;
    const QString sub = rest.value(0);
    if (sub == QLatin1String("list") && rest.size() == 1)
        return listAliases(aliases);
    if (sub == QLatin1String("add") && rest.size() == 3)
        return addAlias(aliases, rest[1], rest[2], force);
    if (sub == QLatin1String("remove") && rest.size() == 2) {
        aliases.remove(rest[1]);
        aliases.save();
        return 0;
    }
    return toolUsageError(
        QStringLiteral("alias list | add NÁZEV ADRESÁŘ [--force] | remove NÁZEV"));
}

} // namespace

static ToolCommandRegistrar reg{
    {"alias",
     "alias list | add NÁZEV ADRESÁŘ [--force] | remove NÁZEV   aliasy okresů (aliases.conf); "
     "add bez --force ověří katalog ADRESÁŘ/NYSKATAL.DB",
     &runAlias}};
