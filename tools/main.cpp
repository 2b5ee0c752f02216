// orv-tool: command-line utilities around ORV's data (dump a table, run SQL on
// an alias, generate demo data). Each command lives in its own tools/Cmd*.cpp;
// help, version, usage errors and exit codes are handled in ToolCommand.cpp.
#include "tools/ToolCommand.h"

#include <QGuiApplication>
#include <memory>

int main(int argc, char* argv[])
{
    // Commands that write PDF need fonts, hence a GUI application; it runs on
    // the offscreen platform, so the tool needs no display. The others keep
    // the lighter core application.
    std::unique_ptr<QCoreApplication> app;
    if (argc > 1 && ToolCommandRegistry::instance().paints(QString::fromLocal8Bit(argv[1]))) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return ToolCommandRegistry::instance().dispatch(app->arguments().mid(1));
}
