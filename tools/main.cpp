// orv-tool: command-line utilities around ORV's data (dump a table, run SQL on
// an alias, generate demo data). Each command lives in its own tools/Cmd*.cpp;
// help, version, usage errors and exit codes are handled in ToolCommand.cpp.
#include "tools/ToolCommand.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    return ToolCommandRegistry::instance().dispatch(app.arguments().mid(1));
}
