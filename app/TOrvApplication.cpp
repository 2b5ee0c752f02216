#include "app/TOrvApplication.h"

#include "widgets/MessageDlg.h"
#include "base/ETalvekException.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

TOrvApplication::TOrvApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    InstallQtTranslations(*this);
}

bool TOrvApplication::InstallQtTranslations(QCoreApplication& application)
{
    auto* translator = new QTranslator(&application);
    if (!translator->load(QLocale(QLocale::Czech), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

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
