// The output options dialog: its state rules, stored settings, the report kind
// of a form and the masking of birth numbers with the machine's setting over it.
#include "app/core/TApp.h"
#include "settings/TRegistry.h"
#include "output/TParVystupDlg.h"
#include "output/core/OutputChoice.h"
#include "common/ParcelFormFixture.h"
#include "data/BirthNumberMask.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// The dialog's control of that name (the test stops when it is missing).
template <class T = QWidget> T* child(const QObject& dialog, const char* name)
{
    T* widget = dialog.findChild<T*>(name);
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

QAbstractButton* button(const QObject& dialog, const char* name)
{
    return child<QAbstractButton>(dialog, name);
}

QLineEdit* edit(const QObject& dialog, const char* name)
{
    return child<QLineEdit>(dialog, name);
}

// The page in view, the chosen type, the enabled controls, the ticked ones
// (+), whether the file "Náhled" is shown, the target file and how the dialog
// closed.
QString state(const TParVystupDlg& d)
{
    QStringList s{QString("page%1").arg(child<QStackedWidget>(d, "Notebook1")->currentIndex()),
                  QString("type%1").arg(d.ReportTypeChosen())};
    for (const char* name : {"FormularCB", "CheckBoxFile", "FileName", "EditMaxNumLn"})
        if (child(d, name)->isEnabled())
            s << name;
    for (const char* name : {"CheckBoxFile", "Strankovat", "Preview", "CheckBoxShell"})
        if (button(d, name)->isChecked())
            s << QString("+") + name;
    if (child(d, "CheckBoxShell")->isVisible())
        s << "shell";
    if (button(d, "CheckBoxFile")->isChecked())
        s << "file:" + edit(d, "FileName")->text();
    if (!d.isVisible())
        s << QString("closed%1").arg(d.result());
    return s.join(' ');
}
} // namespace

class TestParVystupDlg : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void formKinds_data();
    void formKinds();
    void controlStates_data();
    void controlStates();
    void maskingChoice_data();
    void maskingChoice();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<TApp> m_app;
};

void TestParVystupDlg::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_app = std::make_shared<TApp>(
        std::make_shared<TRegistry>(m_dir->filePath("user.reg"), m_dir->filePath("machine.reg")),
        m_dir->path());
}

void TestParVystupDlg::formKinds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("listNumber");
    QTest::addColumn<bool>("sheetQuery");
    QTest::addColumn<bool>("preview");
    QTest::addColumn<int>("kind");
    QTest::newRow("nothing chosen") << "" << 0 << 0 << false << true << 1;
    QTest::newRow("Jednoduchý") << "Jednoduchý" << 3 << 0 << false << true << 1;
    QTest::newRow("lower-case j") << "jednoduchý" << 0 << 0 << false << true << 0;
    QTest::newRow("other text") << "Xyz" << 0 << 0 << false << true << 0;
    QTest::newRow("detailed, text page") << "Podrobný" << 0 << 0 << false << true << 20;
    QTest::newRow("detailed, soil page") << "P" << 1 << 0 << false << true << 21;
    QTest::newRow("detailed, users page") << "P" << 2 << 0 << false << true << 22;
    QTest::newRow("detailed, PK page") << "P" << 3 << 0 << false << true << 22;
    QTest::newRow("without preview") << "P" << 1 << 0 << false << false << -21;
    QTest::newRow("sheet, records readable") << "P" << 0 << 12 << true << true << 3;
    QTest::newRow("sheet, no records") << "" << 0 << 1 << false << false << -4;
    QTest::newRow("sheet, combo text ignored") << "Xyz" << 2 << 7 << true << false << -3;
    QTest::newRow("evidence list") << "" << 0 << -5 << true << true << 1;
}

void TestParVystupDlg::formKinds()
{
    QFETCH(QString, text);
    QFETCH(int, page);
    QFETCH(int, listNumber);
    QFETCH(bool, sheetQuery);
    QFETCH(bool, preview);
    QFETCH(int, kind);
    QCOMPARE(OutputChoice::FormKind(text, page, listNumber, sheetQuery, preview), kind);
}

void TestParVystupDlg::controlStates_data()
{
    QTest::addColumn<bool>("paging");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("stored"); // the "Náhled" of the page in view, however closed
    const auto row = [](const char* name, bool paging, int type, const char* clicks,
                        const QString& shown, int stored) {
        QTest::newRow(name) << paging << type << QString(clicks) << shown << stored;
    };
    const QString both = " +Preview +CheckBoxShell";
    const QString file = "page0 type0 CheckBoxFile FileName +CheckBoxFile" + both;
    row("listing", false, 0, "", "page0 type0 CheckBoxFile" + both, 1);
    row("to a file", false, 0, "CheckBoxFile", file + " shell file:typed.txt", 1);
    // The empty fourth item stands for the forms; the file choice goes.
    row("fourth item", false, 0, "CheckBoxFile TypSestavy3", "page1 type2 FormularCB" + both, 1);
    row("back to the listing", false, 0, "CheckBoxFile TypSestavy3 TypSestavy1",
        "page0 type1 CheckBoxFile" + both, 1);
    row("paging", false, 0, "Strankovat",
        "page0 type0 CheckBoxFile EditMaxNumLn +Strankovat" + both, 1);
    row("forms, paging", true, 2, "", "page1 type2 EditMaxNumLn +Strankovat" + both, 1);
    // The file "Náhled" unticked: the listing stores it, the forms their own.
    row("listing, OK", false, 0, "CheckBoxShell OKBtn", "page0 type0 CheckBoxFile +Preview closed1",
        0);
    row("forms, OK", false, 0, "CheckBoxShell TypSestavy2 OKBtn",
        "page1 type2 FormularCB +Preview closed1", 1);
    row("forms, Cancel", false, 0, "CheckBoxShell TypSestavy2 CancelBtn",
        "page1 type2 FormularCB +Preview closed0", 1);
    row("listing, Cancel", false, 0, "CheckBoxShell CancelBtn",
        "page0 type0 CheckBoxFile +Preview closed0", 0);
    // OK with a blank target file: the message, the dialog stays; the name is trimmed.
    row("blank file", false, 0, "CheckBoxFile FileName=___ OKBtn",
        file + " shell file:|Nebyl zadán cílový soubor.", 1);
    row("file trimmed", false, 0, "CheckBoxFile FileName=__out.txt_ OKBtn",
        file + " file:out.txt closed1", 1);
}

void TestParVystupDlg::controlStates()
{
    QFETCH(bool, paging);
    QFETCH(int, type);
    QFETCH(QString, clicks);
    QFETCH(QString, shown);
    QFETCH(int, stored);
    m_app->Settings()->SetValue("ParVystupDlg.Preview", 1);
    m_app->Settings()->SetValue("ParVystupDlg.FileName", "/tmp/vypis.txt");
    ParcelFormFixture::Messages messages;
    QString file;
    {
        TParVystupDlg dialog(m_app);
        dialog.Prepare(paging, type, 40);
        dialog.show();
        QCOMPARE(edit(dialog, "FileName")->text(), "/tmp/vypis.txt");
        edit(dialog, "FileName")->setText("typed.txt");
        // A control's name clicks it, FileName=x types x ('_' for a blank).
        for (const QString& step : clicks.split(' ', Qt::SkipEmptyParts))
            if (step.startsWith("FileName="))
                edit(dialog, "FileName")->setText(step.mid(9).replace('_', ' '));
            else
                button(dialog, qPrintable(step))->click();
        QCOMPARE(QStringList(state(dialog)) + messages, shown.split('|'));
        QCOMPARE(dialog.LinesPerPage(), 40);
        // Numbers that are not numbers read as the defaults.
        edit(dialog, "EditMaxNumLn")->setText("x");
        edit(dialog, "EditNumCopies")->setText(type ? "3" : "");
        QCOMPARE(dialog.LinesPerPage(), 64);
        QCOMPARE(dialog.Copies(), type ? 3 : 1);
        file = dialog.FileName();
    }
    QCOMPARE(m_app->Settings()->GetValue("ParVystupDlg.Preview", -1).toInt(), stored);
    QCOMPARE(m_app->Settings()->GetValue("ParVystupDlg.FileName", "").toString(), file);
}

void TestParVystupDlg::maskingChoice_data()
{
    QTest::addColumn<QString>("machine"); // the machine file's value, "" for none
    QTest::addColumn<int>("stored");      // the user's stored choice
    QTest::addColumn<bool>("click");      // the user clicks the box
    QTest::addColumn<QString>("shown");   // after the click: ticked/unticked, enabled/greyed
    QTest::addColumn<int>("storedAfter");
    QTest::addColumn<bool>("masking"); // the switch after closing
    QTest::newRow("never chosen") << "" << -1 << false << "- on" << 0 << false;
    QTest::newRow("user ticks") << "" << 0 << true << "+ on" << 1 << true;
    QTest::newRow("user unticks") << "" << 1 << true << "- on" << 0 << false;
    QTest::newRow("machine off") << "dword:00000000" << 1 << false << "+ on" << 1 << true;
    QTest::newRow("machine forces") << "dword:00000001" << 0 << false << "+ off" << 0 << true;
    QTest::newRow("machine value of the wrong type")
        << "\"ano\"" << 0 << false << "+ off" << 0 << true;
}

void TestParVystupDlg::maskingChoice()
{
    QFETCH(QString, machine);
    QFETCH(int, stored);
    QFETCH(bool, click);
    QFETCH(QString, shown);
    QFETCH(int, storedAfter);
    QFETCH(bool, masking);
    if (!machine.isEmpty()) {
        QFile file(m_dir->filePath("machine.reg"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\VELDO\\ORV\\4.0]\n"
                   "\"Vystup.SkrytRodnaCisla\"=" +
                   machine.toUtf8() + "\n");
    }
    if (stored >= 0)
        m_app->Settings()->SetValue("ParVystupDlg.SkrytRodnaCisla", stored);
    BirthNumberMask::SetEnabled(!masking);
    {
        TParVystupDlg dialog(m_app);
        dialog.Prepare(false, 0, 64);
        QAbstractButton* box = button(dialog, "SkrytRodnaCisla");
        if (click)
            box->click();
        QCOMPARE(
            QString("%1 %2").arg(box->isChecked() ? "+" : "-", box->isEnabled() ? "on" : "off"),
            shown);
        QCOMPARE(box->toolTip().contains("správce"), !box->isEnabled());
        QCOMPARE(dialog.MaskBirthNumbers(), box->isChecked());
    }
    QCOMPARE(m_app->Settings()->GetValue("ParVystupDlg.SkrytRodnaCisla", 0).toInt(), storedAfter);
    QCOMPARE(BirthNumberMask::Enabled(), masking);
    BirthNumberMask::SetEnabled(false);
}

QTEST_MAIN(TestParVystupDlg)
#include "tst_parvystupdlg.moc"
