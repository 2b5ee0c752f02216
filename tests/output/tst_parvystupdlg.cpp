// The output options dialog: its state rules, the stored settings and the
// report kind a form choice gives.
#include "app/core/TApp.h"
#include "app/core/TRegistry.h"
#include "output/TParVystupDlg.h"
#include "output/core/OutputChoice.h"
#include "widgets/MessageDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

// The dialog's controls found by their names.
struct Controls
{
    explicit Controls(QDialog& d)
    {
        auto find = [&](auto*& field, const char* name) {
            field = d.findChild<std::remove_reference_t<decltype(*field)>*>(name);
            QVERIFY2(field, name);
        };
        find(TypSestavy1, "TypSestavy1");
        find(TypSestavy2, "TypSestavy2");
        find(TypSestavy3, "TypSestavy3");
        find(FormularCB, "FormularCB");
        find(Notebook1, "Notebook1");
        find(Strankovat, "Strankovat");
        find(LabelNaStranku, "LabelNaStranku");
        find(EditMaxNumLn, "EditMaxNumLn");
        find(Preview, "Preview");
        find(EditNumCopies, "EditNumCopies");
        find(CheckBoxFile, "CheckBoxFile");
        find(FileName, "FileName");
        find(BrowseBtn, "BrowseBtn");
        find(CheckBoxShell, "CheckBoxShell");
        find(OKBtn, "OKBtn");
        find(CancelBtn, "CancelBtn");
    }
    QRadioButton *TypSestavy1, *TypSestavy2, *TypSestavy3;
    QComboBox* FormularCB;
    QStackedWidget* Notebook1;
    QCheckBox *Strankovat, *Preview, *CheckBoxFile, *CheckBoxShell;
    QLabel* LabelNaStranku;
    QLineEdit *EditMaxNumLn, *EditNumCopies, *FileName;
    QToolButton* BrowseBtn;
    QPushButton *OKBtn, *CancelBtn;
};

class TestParVystupDlg : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void formKinds_data();
    void formKinds();
    void numbers_data();
    void numbers();
    void typeSwitching();
    void executeFillsFromSettings();
    void previewStoredFromVisiblePage_data();
    void previewStoredFromVisiblePage();
    void blankFileNameKeepsDialogOpen();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<TRegistry> m_registry;
    std::shared_ptr<TApp> m_app;
};

void TestParVystupDlg::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_registry =
        std::make_shared<TRegistry>(m_dir->filePath("user.reg"), m_dir->filePath("machine.reg"));
    m_app = std::make_shared<TApp>(m_registry, m_dir->path());
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

void TestParVystupDlg::numbers_data()
{
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QString>("copies");
    QTest::addColumn<int>("linesRead");
    QTest::addColumn<int>("copiesRead");
    QTest::newRow("numbers") << QString("30") << "3" << 30 << 3;
    QTest::newRow("not numbers") << QString("x") << "" << 64 << 1;
}

void TestParVystupDlg::numbers()
{
    QFETCH(QString, lines);
    QFETCH(QString, copies);
    QFETCH(int, linesRead);
    QFETCH(int, copiesRead);
    TParVystupDlg dialog(m_app);
    dialog.Prepare(true, 0, 64);
    Controls(dialog).EditMaxNumLn->setText(lines);
    Controls(dialog).EditNumCopies->setText(copies);
    QCOMPARE(dialog.LinesPerPage(), linesRead);
    QCOMPARE(dialog.Copies(), copiesRead);
}

void TestParVystupDlg::typeSwitching()
{
    TParVystupDlg dialog(m_app);
    Controls c(dialog);
    dialog.Prepare(false, 0, 64);
    dialog.show();
    QVERIFY(!c.FormularCB->isEnabled() && c.FormularCB->currentText().isEmpty());
    QVERIFY(c.CheckBoxFile->isEnabled() && !c.FileName->isEnabled());
    c.CheckBoxFile->click();
    QVERIFY(c.FileName->isEnabled() && c.BrowseBtn->isEnabled() && c.CheckBoxShell->isVisible());
    // The empty fourth item stands for the forms.
    c.TypSestavy3->click();
    QVERIFY(c.TypSestavy2->isChecked());
    QCOMPARE(dialog.ReportTypeChosen(), int(TParVystupDlg::Forms));
    QCOMPARE(c.Notebook1->currentIndex(), 1);
    QVERIFY(c.FormularCB->isEnabled());
    QVERIFY(!c.CheckBoxFile->isEnabled() && !c.CheckBoxFile->isChecked());
    QVERIFY(!c.FileName->isEnabled() && !c.BrowseBtn->isEnabled() && !c.CheckBoxShell->isVisible());
    c.TypSestavy1->click();
    QCOMPARE(c.Notebook1->currentIndex(), 0);
    QVERIFY(c.CheckBoxFile->isEnabled() && !c.CheckBoxFile->isChecked());
    QVERIFY(!c.FormularCB->isEnabled());
    c.Strankovat->click();
    QVERIFY(c.EditMaxNumLn->isEnabled() && c.LabelNaStranku->isEnabled());
}

void TestParVystupDlg::executeFillsFromSettings()
{
    m_app->Settings()->SetValue("ParVystupDlg.Preview", 1);
    m_app->Settings()->SetValue("ParVystupDlg.FileName", "/tmp/vypis.txt");
    TParVystupDlg dialog(m_app);
    dialog.Prepare(true, 2, 40);
    Controls c(dialog);
    QVERIFY(c.Preview->isChecked() && c.CheckBoxShell->isChecked());
    QCOMPARE(c.FileName->text(), "/tmp/vypis.txt");
    QCOMPARE(c.Notebook1->currentIndex(), 1);
    QVERIFY(!c.CheckBoxFile->isEnabled());
    QVERIFY(c.Strankovat->isChecked() && c.EditMaxNumLn->isEnabled());
    QCOMPARE(c.EditMaxNumLn->text(), "40");
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
        Controls c(dialog);
        c.Preview->setChecked(true);
        c.CheckBoxShell->setChecked(false);
        c.FileName->setText("typed.txt");
        if (forms)
            c.TypSestavy2->click();
        QTimer::singleShot(0, &dialog, [&] { accept ? c.OKBtn->click() : c.CancelBtn->click(); });
        QCOMPARE(dialog.exec(), accept ? QDialog::Accepted : QDialog::Rejected);
    }
    QCOMPARE(m_app->Settings()->GetValue("ParVystupDlg.Preview", -1).toInt(), stored);
    QCOMPARE(m_app->Settings()->GetValue("ParVystupDlg.FileName", "").toString(), "typed.txt");
}

void TestParVystupDlg::blankFileNameKeepsDialogOpen()
{
    QStringList shown;
    SetMessageDlgInterceptor([&](const QString& text, TMsgDlgType, TMsgDlgButtons) {
        shown << text;
        return 1;
    });
    TParVystupDlg dialog(m_app);
    dialog.Prepare(false, 0, 64);
    Controls c(dialog);
    dialog.show();
    c.CheckBoxFile->click();
    c.FileName->setText("   ");
    c.OKBtn->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(shown, QStringList{"Nebyl zadán cílový soubor."});
    QCOMPARE(c.FileName->text(), "");
    c.FileName->setText("  out.txt ");
    c.OKBtn->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.FileName(), "out.txt");
    SetMessageDlgInterceptor(nullptr);
}

QTEST_MAIN(TestParVystupDlg)
#include "tst_parvystupdlg.moc"
