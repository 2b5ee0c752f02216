// orv-tool alias: list, add and remove the engine's database aliases.
#include "app/core/ETalvekException.h"
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

int addAlias(EngineAliases& aliases, const QString& name, const QString& directory)
{
    const QFileInfo dir(directory);
    if (!dir.isDir())
        throw ETalvekException(QStringLiteral("Adresář '%1' neexistuje").arg(directory));
    aliases.addStandard(name, QDir::cleanPath(dir.absoluteFilePath()));
    aliases.save();
    return 0;
}

int runAlias(const QStringList& args)
{
    EngineAliases aliases(EngineAliases::defaultFilePath());
    aliases.load();
    const QString sub = args.value(0);
    if (sub == QLatin1String("list") && args.size() == 1)
        return listAliases(aliases);
    if (sub == QLatin1String("add") && args.size() == 3)
        return addAlias(aliases, args[1], args[2]);
    if (sub == QLatin1String("remove") && args.size() == 2) {
        aliases.remove(args[1]);
        aliases.save();
        return 0;
    }
    std::fprintf(stderr, "použití: orv-tool alias list | add NÁZEV ADRESÁŘ | remove NÁZEV\n");
    return 1;
}

} // namespace

static ToolCommandRegistrar reg{
    {"alias", "alias list | add NAME DIR | remove NAME   engine aliases (aliases.conf)",
     &runAlias}};
