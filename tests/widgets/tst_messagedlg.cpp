// Message boxes (captions, default and Escape buttons) and
// the application's default error handler that shows errors in them.
#include "widgets/MessageDlg.h"
#include "app/TOrvApplication.h"
#include "base/ETalvekException.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestMessageDlg : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { SetMessageDlgInterceptor(nullptr); }

    void buttonsDefaultAndEscape_data()
    {
        QTest::addColumn<unsigned>("buttons");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<int>("defaultResult");
        QTest::addColumn<int>("escapeResult");
        const auto row = [](const char* name, unsigned buttons, const QStringList& captions,
                            int defaultResult, int escapeResult) {
            QTest::newRow(name) << buttons << captions << defaultResult << escapeResult;
        };
        row("yes no", mbYes | mbNo, {"&Ano", "&Ne"}, mrYes, mrNo);
        row("yes no cancel", mbYes | mbNo | mbCancel, {"&Ano", "&Ne", "Storno"}, mrYes, mrCancel);
        row("ok", mbOK, {"OK"}, mrOk, mrOk);
        row("ok cancel", mbOK | mbCancel, {"OK", "Storno"}, mrOk, mrCancel);
        row("abort retry ignore", mbAbort | mbRetry | mbIgnore,
            {"&Přerušit", "&Znovu", "&Ignorovat"}, mrAbort, mrOk);
        row("none at all gets OK", 0u, {"OK"}, mrOk, mrOk);
    }
    void buttonsDefaultAndEscape()
    {
        QFETCH(unsigned, buttons);
        QFETCH(QStringList, captions);
        QFETCH(int, defaultResult);
        QFETCH(int, escapeResult);
        std::unique_ptr<QDialog> dialog(
            CreateMessageDialog("Ukončit program ?", mtConfirmation, buttons));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Potvrzení"));
        QCOMPARE(dialog->findChild<QLabel*>("Message")->text(),
                 QStringLiteral("Ukončit program ?"));
        QStringList shown;
        QPushButton* def = nullptr;
        for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
            shown << b->text();
            def = b->isDefault() ? b : def;
        }
        QCOMPARE(shown, captions);
        QVERIFY(def);
        dialog->show();
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QCOMPARE(dialog->result(), escapeResult);
        dialog->show();
        def->click();
        QCOMPARE(dialog->result(), defaultResult);
    }

    // The error and information boxes end their text with a full stop; an
    // error leaving an event handler is shown once in an error box and the
    // program goes on, with the wait cursor taken down.
    void boxesAndErrorsFromHandlers()
    {
        QStringList shown;
        SetMessageDlgInterceptor([&](const QString& text, TMsgDlgType kind, TMsgDlgButtons b) {
            shown << QString("%1:%2").arg(kind).arg(text);
            return b == mbOK ? int(mrOk) : -1;
        });
        ErrorBox(QStringLiteral("Chybné číslo."));
        InfoBox(QStringLiteral("Soubor nebyl nalezen"));
        QCOMPARE(MessageDlg("Ukončit program ?", mtConfirmation, mbYes | mbNo), -1);
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        QTimer::singleShot(0, [] { throw ETalvekException("Tabulka NYSPA001.DB neexistuje"); });
        QTimer::singleShot(1, [] { throw std::runtime_error("engine failure."); });
        bool later = false;
        QTimer::singleShot(5, [&] { later = true; });
        QTRY_VERIFY(later);
        QCOMPARE(shown, (QStringList{QString("%1:Chybné číslo.").arg(mtError),
                                     QString("%1:Soubor nebyl nalezen.").arg(mtInformation),
                                     QString("%1:Ukončit program ?").arg(mtConfirmation),
                                     QString("%1:Tabulka NYSPA001.DB neexistuje.").arg(mtError),
                                     QString("%1:engine failure.").arg(mtError)}));
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

int main(int argc, char* argv[])
{
    TOrvApplication application(argc, argv);
    TestMessageDlg test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_messagedlg.moc"
