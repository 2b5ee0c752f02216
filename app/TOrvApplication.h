#pragma once

#include <QApplication>

// The windowing application with the program's default error handler: an
// error that leaves an event handler is shown to the user in an error box
// (its own Czech message) instead of ending the program.
class TOrvApplication : public QApplication
{
    Q_OBJECT

public:
    TOrvApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
    // Qt's own texts (file and print dialogs, standard buttons) in Czech
    // whatever the system's locale, as the program speaks Czech: qtbase_cs
    // from Qt's translations directory. False when it is not installed (the
    // package qt6-translations-l10n); the texts then stay English.
    static bool InstallQtTranslations(QCoreApplication& application);
    // Shows the message of the exception being handled.
    static void ShowException(std::exception_ptr error);
};
