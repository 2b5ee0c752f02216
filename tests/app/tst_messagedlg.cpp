// Message boxes (captions, default and Escape buttons, help, centring) and
// the application's default error handler that shows errors in them.
#include "widgets/MessageDlg.h"
#include "app/TOrvApplication.h"
#include "base/ETalvekException.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace {
QStringList captionsOf(QDialog* dialog)
{
    QStringList captions;
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        captions << b->text();
    return captions;
}

QPushButton* buttonWithText(QDialog* dialog, const QString& text)
{
    for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}
} // namespace

class TestMessageDlg : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { SetMessageDlgInterceptor(nullptr); }

    void pressingAButtonGivesItsResult()
    {
        std::unique_ptr<QDialog> dialog(
            CreateMessageDialog("Ukončit program ?", mtConfirmation, mbYes | mbNo));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Potvrzení"));
        QCOMPARE(captionsOf(dialog.get()), (QStringList{"&Ano", "&Ne"}));
        QCOMPARE(dialog->findChild<QLabel*>("Message")->text(),
                 QStringLiteral("Ukončit program ?"));
        dialog->show();
        buttonWithText(dialog.get(), "&Ne")->click();
        QCOMPARE(dialog->result(), int(mrNo));
        dialog->show();
        buttonWithText(dialog.get(), "&Ano")->click();
        QCOMPARE(dialog->result(), int(mrYes));
    }

    void escapeAndDefault_data()
    {
        QTest::addColumn<unsigned>("buttons");
        QTest::addColumn<int>("escapeResult");
        QTest::addColumn<QString>("defaultCaption");
        QTest::newRow("yes no") << unsigned(mbYes | mbNo) << int(mrNo) << "&Ano";
        QTest::newRow("yes no cancel")
            << unsigned(mbYes | mbNo | mbCancel) << int(mrCancel) << "&Ano";
        QTest::newRow("ok") << unsigned(mbOK) << int(mrOk) << "OK";
        QTest::newRow("ok cancel") << unsigned(mbOK | mbCancel) << int(mrCancel) << "OK";
        QTest::newRow("abort retry ignore")
            << unsigned(mbAbort | mbRetry | mbIgnore) << int(mrOk) << "&Přerušit";
        QTest::newRow("none at all gets OK") << 0u << int(mrOk) << "OK";
    }
    void escapeAndDefault()
    {
        QFETCH(unsigned, buttons);
        QFETCH(int, escapeResult);
        QFETCH(QString, defaultCaption);
        std::unique_ptr<QDialog> dialog(CreateMessageDialog("text", mtWarning, buttons));
        dialog->show();
        QPushButton* def = nullptr;
        for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
            if (b->isDefault())
                def = b;
        }
        QVERIFY(def);
        QCOMPARE(def->text(), defaultCaption);
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QCOMPARE(dialog->result(), escapeResult);
    }

    void helpDoesNotClose()
    {
        int asked = -1;
        SetMessageDlgHelpHandler([&asked](int context) { asked = context; });
        std::unique_ptr<QDialog> dialog(CreateMessageDialog("text", mtInformation, mbOK | mbHelp));
        dialog->setProperty("helpContext", 42);
        dialog->show();
        buttonWithText(dialog.get(), QStringLiteral("Nápo&věda"))->click();
        QVERIFY(dialog->isVisible());
        QCOMPARE(asked, 42);
        SetMessageDlgHelpHandler(nullptr);
    }

    void errorAndInfoBoxes()
    {
        QStringList texts;
        QList<TMsgDlgType> kinds;
        SetMessageDlgInterceptor(
            [&](const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons) {
                texts << text;
                kinds << kind;
                return buttons == mbOK ? int(mrOk) : -1;
            });
        ErrorBox(QStringLiteral("Soubor nebyl nalezen"));
        ErrorBox(QStringLiteral("Chybné číslo."));
        InfoBox(QStringLiteral("Hotovo"));
        InfoBox(QString());
        QCOMPARE(texts, (QStringList{"Soubor nebyl nalezen.", "Chybné číslo.", "Hotovo.", "."}));
        QCOMPARE(kinds, (QList<TMsgDlgType>{mtError, mtError, mtInformation, mtInformation}));
        QCOMPARE(MessageDlg("Ukončit program ?", mtConfirmation, mbYes | mbNo), -1);
    }

    void modalRunIsCentredAndAnswered()
    {
        // A real modal run: answer it from inside the loop.
        QRect box;
        QRect screen;
        QTimer::singleShot(0, [&] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w)
                return;
            box = w->frameGeometry();
            screen = w->screen()->geometry();
            QTest::keyClick(w, Qt::Key_Escape);
        });
        QCOMPARE(MessageDlg("Chcete přerušit operaci?", mtConfirmation, mbYes | mbNo | mbCancel),
                 int(mrCancel));
        QVERIFY2(qAbs(box.center().x() - screen.center().x()) <= 2,
                 qPrintable(QString("%1 %2").arg(box.center().x()).arg(screen.center().x())));
        QVERIFY(qAbs(box.center().y() - screen.center().y()) <= 2);
    }

    // An error leaving an event handler is shown once in an error box and
    // the program goes on, with the wait cursor taken down.
    void errorsFromHandlersAreShown()
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
        QTRY_VERIFY(later);
        QCOMPARE(shown, (QStringList{QString("%1:Tabulka NYSPA001.DB neexistuje.").arg(mtError),
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
