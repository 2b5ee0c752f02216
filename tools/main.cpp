// orv-tool: command-line utilities around ORV's data (dump a table, run SQL on
// an alias, generate demo data). Each command lives in its own tools/Cmd*.cpp;
// help, version, usage errors and exit codes are handled in ToolCommand.cpp.
#include "tools/ToolCommand.h"

#include <QGuiApplication>
#include <cstdio>
#include <memory>

int main(int argc, char* argv[])
{
    // Commands that render pages need fonts and a paint engine; the tool never
    // opens a window, so they draw on the offscreen platform by default.
    const ToolCommandRegistry& registry = ToolCommandRegistry::instance();
    const bool gui = argc > 1 && registry.needsGui(QString::fromLocal8Bit(argv[1]));
    if (gui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The platform's English notes (runtime directory, fonts) are no
    // concern of the tool's user; its own messages go to stderr in Czech.
    if (gui)
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtFatalMsg || type == QtCriticalMsg)
                std::fprintf(stderr, "%s\n", qPrintable(text));
        });
    std::unique_ptr<QCoreApplication> app;
    if (gui)
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    return registry.dispatch(app->arguments().mid(1));
}
