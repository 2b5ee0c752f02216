// The application's default error handler: an error leaving an event handler
// is shown once in an error box and the program goes on.
#include "widgets/MessageDlg.h"
#include "app/TOrvApplication.h"
#include "base/ETalvekException.h"

#include <QTimer>
#include <QtTest>

class TestOrvApplication : public QObject
{
    Q_OBJECT

private slots:
    void errorsFromHandlersAreShown();
};

void TestOrvApplication::errorsFromHandlersAreShown()
{
    QStringList shown;
    SetMessageDlgInterceptor([&](const QString& text, TMsgDlgType kind, TMsgDlgButtons) {
        shown << QString("%1:%2").arg(kind).arg(text);
        return int(mrOk);
    });
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QTimer::singleShot(0, [] { throw ETalvekException("Tabulka NYSPA001.DB neexistuje"); });
    QTimer::singleShot(1, [] { throw std::runtime_error("engine failure."); });
    bool later = false;
    QTimer::singleShot(5, [&] { later = true; });
    QTRY_VERIFY(later); // the loop went on after both errors
    SetMessageDlgInterceptor(nullptr);
    QCOMPARE(shown, (QStringList{QString("%1:Tabulka NYSPA001.DB neexistuje.").arg(mtError),
                                 QString("%1:engine failure.").arg(mtError)}));
    QVERIFY(!QGuiApplication::overrideCursor());
}

int main(int argc, char* argv[])
{
    TOrvApplication application(argc, argv);
    TestOrvApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_orvapplication.moc"
