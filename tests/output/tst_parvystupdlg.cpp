// The output options dialog: its state rules, the stored settings and the
// report kind a form choice gives.
#include "app/core/TApp.h"
#include "app/core/TRegistry.h"
#include "output/TParVystupDlg.h"
#include "output/core/OutputChoice.h"
#include "common/ParcelFormFixture.h"

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
// (+) and whether the file "Náhled" is shown.
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
    void previewStoredFromVisiblePage_data();
    void previewStoredFromVisiblePage();
    void blankFileNameKeepsDialogOpen();

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
    QTest::newRow("listing") << false << 0 << ""
                             << "page0 type0 CheckBoxFile";
    QTest::newRow("to a file") << false << 0 << "CheckBoxFile"
                               << "page0 type0 CheckBoxFile FileName +CheckBoxFile shell";
    // The empty fourth item stands for the forms; the file choice goes.
    QTest::newRow("fourth item") << false << 0 << "CheckBoxFile TypSestavy3"
                                 << "page1 type2 FormularCB";
    QTest::newRow("back to the listing") << false << 0 << "CheckBoxFile TypSestavy3 TypSestavy1"
                                         << "page0 type1 CheckBoxFile";
    QTest::newRow("paging") << false << 0 << "Strankovat"
                            << "page0 type0 CheckBoxFile EditMaxNumLn +Strankovat";
    QTest::newRow("stored preview, forms, paging")
        << true << 2 << ""
        << "page1 type2 EditMaxNumLn +Strankovat +Preview +CheckBoxShell";
}

void TestParVystupDlg::controlStates()
{
    QFETCH(bool, paging);
    QFETCH(int, type);
    QFETCH(QString, clicks);
    QFETCH(QString, shown);
    m_app->Settings()->SetValue("ParVystupDlg.Preview", paging ? 1 : 0);
    m_app->Settings()->SetValue("ParVystupDlg.FileName", "/tmp/vypis.txt");
    TParVystupDlg dialog(m_app);
    dialog.Prepare(paging, type, 40);
    dialog.show();
    for (const QString& name : clicks.split(' ', Qt::SkipEmptyParts))
        button(dialog, qPrintable(name))->click();
    QCOMPARE(state(dialog), shown);
    QCOMPARE(edit(dialog, "FileName")->text(), "/tmp/vypis.txt");
    QCOMPARE(dialog.LinesPerPage(), 40);
    // Numbers that are not numbers read as the defaults.
    edit(dialog, "EditMaxNumLn")->setText("x");
    edit(dialog, "EditNumCopies")->setText(type ? "3" : "");
    QCOMPARE(dialog.LinesPerPage(), 64);
    QCOMPARE(dialog.Copies(), type ? 3 : 1);
}

void TestParVystupDlg::previewStoredFromVisiblePage_data()
{
    QTest::addColumn<bool>("forms");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<int>("stored");
    // The forms page "Náhled" is ticked, the file "Náhled" is not.
    QTest::newRow("listing, OK") << false << true << 0;
    QTest::newRow("forms, OK") << true << true << 1;
    QTest::newRow("forms, Cancel") << true << false << 1;
    QTest::newRow("listing, Cancel") << false << false << 0;
}

void TestParVystupDlg::previewStoredFromVisiblePage()
{
    QFETCH(bool, forms);
    QFETCH(bool, accept);
    QFETCH(int, stored);
    {
        TParVystupDlg dialog(m_app);
        dialog.Prepare(false, 0, 64);
        button(dialog, "Preview")->setChecked(true);
        button(dialog, "CheckBoxShell")->setChecked(false);
        edit(dialog, "FileName")->setText("typed.txt");
        if (forms)
            button(dialog, "TypSestavy2")->click();
        QTimer::singleShot(0, &dialog,
                           [&] { button(dialog, accept ? "OKBtn" : "CancelBtn")->click(); });
        QCOMPARE(dialog.exec(), accept ? QDialog::Accepted : QDialog::Rejected);
    }
    QCOMPARE(m_app->Settings()->GetValue("ParVystupDlg.Preview", -1).toInt(), stored);
    QCOMPARE(m_app->Settings()->GetValue("ParVystupDlg.FileName", "").toString(), "typed.txt");
}

void TestParVystupDlg::blankFileNameKeepsDialogOpen()
{
    ParcelFormFixture::Messages shown;
    TParVystupDlg dialog(m_app);
    dialog.Prepare(false, 0, 64);
    dialog.show();
    button(dialog, "CheckBoxFile")->click();
    edit(dialog, "FileName")->setText("   ");
    button(dialog, "OKBtn")->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(shown, QStringList{"Nebyl zadán cílový soubor."});
    QCOMPARE(edit(dialog, "FileName")->text(), "");
    edit(dialog, "FileName")->setText("  out.txt ");
    button(dialog, "OKBtn")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.FileName(), "out.txt");
}

QTEST_MAIN(TestParVystupDlg)
#include "tst_parvystupdlg.moc"
