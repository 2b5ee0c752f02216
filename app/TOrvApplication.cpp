#include "app/TOrvApplication.h"

#include "widgets/MessageDlg.h"
#include "base/ETalvekException.h"

TOrvApplication::TOrvApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TOrvApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowException(std::current_exception());
        return false;
    }
}

void TOrvApplication::ShowException(std::exception_ptr error)
{
    // The hourglass of the failed command must not stay on.
    while (overrideCursor())
        restoreOverrideCursor();
    try {
        std::rethrow_exception(error);
    } catch (const ETalvekException& e) {
        ErrorBox(e.message());
    } catch (const std::bad_alloc&) {
        ErrorBox(QStringLiteral("Nedostatek paměti"));
    } catch (const std::exception& e) {
        ErrorBox(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ErrorBox(QStringLiteral("Neznámá chyba"));
    }
}
