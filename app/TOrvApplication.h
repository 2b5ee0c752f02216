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
    // Shows the message of the exception being handled.
    static void ShowException(std::exception_ptr error);
};
