#include "tools/ToolCommand.h"

#include "base/ETalvekException.h"
#include "base/TVersionInfo.h"
#include "tools/ToolMasking.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cstdio>
#include <exception>

namespace {
void print(FILE* out, const QString& text)
{
    std::fputs(text.toUtf8().constData(), out);
}

bool isOneOf(const QString& arg, std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(),
                       [&arg](const char* name) { return arg == QLatin1String(name); });
}
} // namespace

int toolUsageError(const QString& synopsis)
{
    print(stderr, QStringLiteral("použití: orv-tool %1\n").arg(synopsis));
    return ToolExit::Usage;
}

int toolBadValue(const QString& option, const QString& value, const QString& synopsis)
{
    // A long value (a whole file pasted by mistake) is shown by its beginning.
    const QString shown = value.size() > 80 ? value.left(80) + QStringLiteral("…") : value;
    print(stderr, QStringLiteral("orv-tool: chybná hodnota volby %1: „%2“\n").arg(option, shown));
    return toolUsageError(synopsis);
}

bool toolWholeNumber(const QString& text, qint64 min, qint64 max, qint64& value)
{
    // Eighteen digits always fit in qint64; more are out of any range here.
    if (text.isEmpty() || text.size() > 18)
        return false;
    qint64 number = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
        number = number * 10 + (c.unicode() - u'0');
    }
    if (number < min || number > max)
        return false;
    value = number;
    return true;
}

QString toolRepeatedOption(const ToolCommand& command, const QStringList& args)
{
    static const QRegularExpression option(QStringLiteral("^--[a-z][a-z0-9-]*$"));
    QSet<QString> seen;
    for (const QString& arg : args) {
        if (!option.match(arg).hasMatch() || command.repeatable.contains(arg))
            continue;
        if (seen.contains(arg))
            return arg;
        seen.insert(arg);
    }
    return QString();
}

ToolCommandRegistry& ToolCommandRegistry::instance()
{
    static ToolCommandRegistry registry;
    return registry;
}

void ToolCommandRegistry::add(ToolCommand command)
{
    m_commands.append(std::move(command));
}

const ToolCommand* ToolCommandRegistry::find(const QString& name) const
{
    for (const ToolCommand& c : m_commands) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}

bool ToolCommandRegistry::needsGui(const QString& name) const
{
    const ToolCommand* command = find(name);
    return command && command->needsGui;
}

void ToolCommandRegistry::printHelp(FILE* out) const
{
    QList<ToolCommand> sorted = m_commands;
    std::sort(sorted.begin(), sorted.end(),
              [](const ToolCommand& a, const ToolCommand& b) { return a.name < b.name; });
    QString text = QStringLiteral("použití: orv-tool PŘÍKAZ [PARAMETRY]\n"
                                  "         orv-tool help | --version\n\npříkazy:\n");
    for (const ToolCommand& c : sorted)
        text += QStringLiteral("  %1\n").arg(c.usage);
    QStringList masking;
    for (const ToolCommand& c : sorted)
        if (c.writesOwners)
            masking << c.name;
    text += QStringLiteral("\n%1: --mask-birth-numbers skryje rodná čísla (výchozí "
                           "ORV_MASK_BIRTH_NUMBERS=1), --no-mask-birth-numbers je ukáže\n")
                .arg(masking.join(QStringLiteral(", ")));
    text += QStringLiteral("\nnávratový kód: 0 hotovo, 1 chybný vstup nebo data, "
                           "2 chybné použití\n");
    print(out, text);
}

int ToolCommandRegistry::runCommand(const ToolCommand& command, const QStringList& args) const
{
    try {
        return command.run(args);
    } catch (const ETalvekException& e) {
        print(stderr, QStringLiteral("orv-tool %1: %2\n").arg(command.name, e.message()));
    } catch (const std::bad_alloc&) {
        print(stderr, QStringLiteral("orv-tool %1: nedostatek paměti\n").arg(command.name));
    } catch (const std::exception& e) {
        print(stderr, QStringLiteral("orv-tool %1: neočekávaná chyba: %2\n")
                          .arg(command.name, QString::fromLocal8Bit(e.what())));
    }
    return ToolExit::BadData;
}

int ToolCommandRegistry::dispatch(QStringList args) const
{
    if (args.isEmpty()) {
        printHelp(stderr);
        return ToolExit::Usage;
    }
    const QString name = args.takeFirst();
    if (isOneOf(name, {"help", "--help", "-h"})) {
        printHelp(stdout);
        return std::fflush(stdout) == 0 ? ToolExit::Ok : ToolExit::BadData;
    }
    if (isOneOf(name, {"--version", "-v"})) {
        const TVersionInfo info = TVersionInfo::Program();
        print(stdout, QStringLiteral("orv-tool (%1) %2\n%3\n")
                          .arg(info.ProductName, info.ProductVersion, info.LegalCopyright));
        return std::fflush(stdout) == 0 ? ToolExit::Ok : ToolExit::BadData;
    }
    const ToolCommand* command = find(name);
    if (!command) {
        print(stderr, QStringLiteral("orv-tool: neznámý příkaz \"%1\"; seznam příkazů vypíše "
                                     "\"orv-tool help\"\n")
                          .arg(name));
        return ToolExit::Usage;
    }
    const QString repeated = toolRepeatedOption(*command, args);
    if (!repeated.isEmpty()) {
        print(stderr, QStringLiteral("orv-tool %1: volba %2 je zadána vícekrát\n")
                          .arg(command->name, repeated));
        print(stderr, QStringLiteral("použití: orv-tool %1\n").arg(command->usage));
        return ToolExit::Usage;
    }
    if (command->writesOwners) {
        const QString refused = toolApplyMasking(args);
        if (!refused.isEmpty()) {
            print(stderr, QStringLiteral("orv-tool %1: %2\n").arg(command->name, refused));
            return ToolExit::Usage;
        }
    }
    return runCommand(*command, args);
}
