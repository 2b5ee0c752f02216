// orv-tool: command-line utilities around ORV's data (dump a table, run SQL on
// an alias, generate demo data). Each command lives in its own tools/Cmd*.cpp.
#include "base/ETalvekException.h"
#include "tools/ToolCommand.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

static void printUsage(FILE* out)
{
    std::fprintf(out, "použití: orv-tool PŘÍKAZ [PARAMETRY]\n\npříkazy:\n");
    QList<ToolCommand> commands = ToolCommandRegistry::instance().commands();
    std::sort(commands.begin(), commands.end(),
              [](const ToolCommand& a, const ToolCommand& b) { return a.name < b.name; });
    for (const ToolCommand& c : commands)
        std::fprintf(out, "  %s\n", qPrintable(c.usage));
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first() == "help" || args.first() == "--help") {
        printUsage(args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 1 : 0;
    }
    const QString name = args.takeFirst();
    const ToolCommand* command = ToolCommandRegistry::instance().find(name);
    if (!command) {
        std::fprintf(stderr, "orv-tool: neznámý příkaz \"%s\"\n", qPrintable(name));
        printUsage(stderr);
        return 1;
    }
    try {
        return command->run(args);
    } catch (const ETalvekException& e) {
        std::fprintf(stderr, "orv-tool: %s\n", e.what());
        return 1;
    }
}
