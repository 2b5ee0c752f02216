#include "app/ProgramEntries.h"
#include "app/TMainOrvForm.h"
#include "app/TOrvApplication.h"
#include "base/OrvPaths.h"
#include "app/core/OutputMasking.h"
#include "app/core/TApp.h"
#include "app/core/TCommandLine.h"
#include "app/core/TSingleInstance.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {
bool hasDisplay()
{
    const auto set = [](const char* name) { return !qEnvironmentVariableIsEmpty(name); };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

void explainMissingDisplay()
{
    std::fputs("ORV je grafický program a není k dispozici žádný displej (proměnné DISPLAY\n"
               "ani WAYLAND_DISPLAY nejsou nastaveny).\n"
               "Spusťte ho na virtuálním displeji, například:\n"
               "    xvfb-run -a orv\n"
               "nebo se připojte s přesměrováním X (ssh -X).\n",
               stderr);
}

// Another start asked for the window: the open dialog (or the main window)
// comes to the front; where the window system refuses that (Wayland), the
// request for attention at least marks it in the task bar.
void BringToFront(QWidget& form)
{
    QWidget* top = QApplication::activeModalWidget();
    if (!top)
        top = &form;
    form.setWindowState(form.windowState() & ~Qt::WindowMinimized);
    form.show();
    top->raise();
    top->activateWindow();
    QApplication::alert(top);
}

QStringList arguments(int argc, char* argv[])
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}
} // namespace

int main(int argc, char* argv[])
{
    // --help and --version print and end before anything needs a display.
    const TCommandLine commandLine = TCommandLine::Parse(arguments(argc, argv));
    if (commandLine.PrintsAndEnds()) {
        const QString text =
            commandLine.Help ? TCommandLine::HelpText() : TCommandLine::VersionText();
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
    }
    // Registration switches of the object model: nothing to register here.
    if (commandLine.EndsAtOnce())
        return EXIT_SUCCESS;

    // One copy at a time: a second start asks the running copy to show its
    // window and ends, creating nothing.
    TSingleInstance instance;
    if (!instance.Acquire()) {
        QCoreApplication notifier(argc, argv);
        instance.NotifyRunning();
        return EXIT_SUCCESS;
    }

    if (!hasDisplay()) {
        explainMissingDisplay();
        return 2;
    }

    TOrvApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ORV"));
    QApplication::setApplicationVersion(QStringLiteral(ORV_VERSION_STRING));

    const std::shared_ptr<TApp> app = TApp::create();
    // Outputs mask birth numbers as the user or the machine chose.
    OutputMasking::Apply(*app->Registry(), *app->Settings());
    TMainOrvForm form(app, app->Registry(), ProgramEntries());
    form.show();
    instance.Listen([&form] { BringToFront(form); });
    QTimer::singleShot(0, &form, [&form] { form.RunStartupCheck(); });
    return application.exec();
}
