#include "app/core/TCommandLine.h"

#include "base/TVersionInfo.h"

namespace {
bool isSwitch(const QString& argument, const char* name)
{
    if (argument.size() < 2 || (argument[0] != QLatin1Char('-') && argument[0] != QLatin1Char('/')))
        return false;
    return argument.mid(1).compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

// The GNU long form "--name" beside the program's own "-NAME" and "/NAME".
bool isLongOrShort(const QString& argument, const char* longName, const char* shortName)
{
    return argument == QLatin1String("--") + QLatin1String(longName) ||
           isSwitch(argument, longName) || isSwitch(argument, shortName);
}
} // namespace

TCommandLine TCommandLine::Parse(const QStringList& arguments)
{
    TCommandLine result;
    for (const QString& argument : arguments.mid(1)) {
        result.RegServer |= isSwitch(argument, "REGSERVER");
        result.UnregServer |= isSwitch(argument, "UNREGSERVER");
        result.Automation |= isSwitch(argument, "AUTOMATION");
        result.Embedding |= isSwitch(argument, "EMBEDDING");
        result.Help |= isLongOrShort(argument, "help", "h") || argument == QLatin1String("/?");
        result.Version |= isLongOrShort(argument, "version", "v");
    }
    return result;
}

QString TCommandLine::HelpText()
{
    return QStringLiteral(
        "Použití: orv [VOLBA]\n"
        "\n"
        "ORV – prohlížeč popisné části katastru nemovitostí.\n"
        "\n"
        "Volby:\n"
        "  -h, --help        vypíše tuto nápovědu a skončí\n"
        "  -v, --version     vypíše verzi programu a skončí\n"
        "  -REGSERVER, -UNREGSERVER\n"
        "                    přepínače registrace objektového modelu; program hned skončí\n"
        "\n"
        "Proměnné prostředí:\n"
        "  ORV_CONFIG_DIR          adresář nastavení (aliases.conf, user.reg)\n"
        "  ORV_MACHINE_CONFIG_DIR  adresář instalačních údajů (machine.reg)\n"
        "  ORV_WORKDB              adresář číselníků (WorkDB)\n"
        "\n"
        "Program potřebuje grafický displej (X11 nebo Wayland). Nástroje pro příkazový\n"
        "řádek nabízí orv-tool, podrobnosti v man orv a man orv-tool.\n");
}

QString TCommandLine::VersionText()
{
    const TVersionInfo info = TVersionInfo::Program();
    return QStringLiteral("%1 %2\n%3\n")
        .arg(info.ProductName, info.ProductVersion, info.LegalCopyright);
}
