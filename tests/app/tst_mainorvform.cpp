// The main window: menus and labels, open areas, the selection commands with
// their hand-over to browser or forms, output type, help, work directory,
// start-up warning and the quit question.
#include "common/ModalHelpers.h"
#include "widgets/MessageDlg.h"
#include "app/TFolderBrowseWindow.h"
#include "app/TMainOrvForm.h"
#include "base/ETalvekException.h"
#include "app/core/RegistryKeys.h"
#include "app/core/StartupCheck.h"
#include "app/core/TApp.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Shown
{
    QString text;
    TMsgDlgType kind;
    TMsgDlgButtons buttons;
};

TKUInfo area(const QString& kod, const QString& katastr, const QString& suffix = "001")
{
    return TKUInfo{"OKRES1", "Kladno", "Obec " + katastr, katastr, suffix, kod};
}

using TestSupport::onNextModal;

bool hasInk(const QImage& image, const QRect& rect)
{
    const QRgb background = image.pixel(rect.topLeft());
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (qGray(image.pixel(x, y)) < qGray(background) - 80)
                return true;
    return false;
}
} // namespace

class TestMainOrvForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startState();
    void screenshotShowsLabelsAndMenus();
    void addKUAndReopenSameArea();
    void label4Format();
    void closeLastMiddleAndOnly();
    void openSeveralAreasFromCatalogue();
    void openOneAreaAndCancel();
    void selectionOpensBrowserOrForm_data();
    void selectionOpensBrowserOrForm();
    void cancelledSelectionKeepsPreviousSelectionState();
    void ownershipSheetBranch_data();
    void ownershipSheetBranch();
    void errorsAreShownAndStateKept();
    void missingWorkDirectoryStopsSelection();
    void commandsWithoutDialogSayNotAvailable();
    void quitConfirmation();
    void helpAndHomePage();
    void workDirectoryChange();
    void startupWarningAndSettingsProblems();
    void startupWhenWorkAliasCannotBeStored();

private:
    QAction* action(const char* name) { return m_form->findChild<QAction*>(name); }
    QMenu* menu(const char* name) { return m_form->findChild<QMenu*>(name); }
    QString label(const char* name) { return m_form->findChild<QLabel*>(name)->text(); }
    void makeForm();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<TRegistry> m_registry;
    std::shared_ptr<TApp> m_app;
    TMainOrvEntries m_entries;
    std::unique_ptr<TMainOrvForm> m_form;
    QList<Shown> m_shown;
    int m_answer = mrYes;
    QStringList m_calls;
};

void TestMainOrvForm::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_registry =
        std::make_shared<TRegistry>(m_dir->filePath("user.reg"), m_dir->filePath("machine.reg"));
    m_app = std::make_shared<TApp>(m_registry, m_dir->path());
    QDir().mkpath(m_dir->filePath("work"));
    SetWorkDir(*m_app, *m_registry, m_dir->filePath("work"));
    m_shown.clear();
    m_calls.clear();
    m_answer = mrYes;
    SetMessageDlgInterceptor([this](const QString& text, TMsgDlgType kind, TMsgDlgButtons b) {
        m_shown << Shown{text, kind, b};
        return m_answer;
    });
    m_entries = TMainOrvEntries();
    m_entries.ParcelSelection = [this](QWidget*, int type, const TSelectionContext& ctx) {
        m_calls << QString("parcel %1 %2 %3").arg(type).arg(ctx.KU.Kod, ctx.WorkTable);
        return true;
    };
    m_entries.ConditionsSelection = [this](QWidget*, bool partsOnly, const TSelectionContext&) {
        m_calls << QString("conditions %1").arg(partsOnly);
        return true;
    };
    m_entries.OwnerSelection = [this](QWidget*, const TSelectionContext&) { m_calls << "owner"; };
    m_entries.SheetForm = [this](QWidget*, int type, const TSelectionContext&) {
        m_calls << QString("sheetform %1").arg(type);
    };
    m_entries.ParcelBrowser = [this](QWidget*, int mode, const TSelectionContext&) {
        m_calls << QString("browser %1").arg(mode);
    };
    m_entries.PrintReport = [this](QWidget*, int kind, const TSelectionContext&) {
        m_calls << QString("report %1").arg(kind);
    };
    m_entries.OpenUrl = [this](const QUrl& url) {
        m_calls << "open " + url.toString();
        return true;
    };
}

void TestMainOrvForm::makeForm()
{
    m_form = std::make_unique<TMainOrvForm>(m_app, m_registry, m_entries);
    m_form->setAttribute(Qt::WA_DeleteOnClose, false);
}

void TestMainOrvForm::cleanup()
{
    if (m_form)
        m_form->hide();
    m_form.reset();
    SetMessageDlgInterceptor(nullptr);
}

void TestMainOrvForm::startState()
{
    makeForm();
    QCOMPARE(m_form->windowTitle(), QString("ORV"));
    QCOMPARE(TMainOrvForm::Instance(), m_form.get());
    QVERIFY(action("KUOpen")->isEnabled());
    QVERIFY(!action("KUClose")->isEnabled());
    QVERIFY(action("KUVyhledat")->isEnabled());
    QVERIFY(!menu("OpenKU")->menuAction()->isEnabled());
    QVERIFY(!menu("Sestava")->menuAction()->isEnabled());
    QVERIFY(!action("Sestava6")->isEnabled());
    QVERIFY(!action("TiskStatistika")->isEnabled());
    QVERIFY(action("Tisk0")->isChecked());
    QVERIFY(!action("Tisk1")->isChecked());
    QCOMPARE(m_form->OutputType(), 0);
    QVERIFY(!m_form->PartsOnly());
}

void TestMainOrvForm::screenshotShowsLabelsAndMenus()
{
    makeForm();
    m_form->AddKU(area("600016", "Kladno"));
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    const QImage shot = m_form->grab().toImage();
    QTemporaryDir tmp;
    const QString dir = qEnvironmentVariable("ORV_GRAB_DIR", tmp.path());
    QVERIFY(shot.save(dir + "/main-window.png"));
    QCOMPARE(shot.size(), m_form->size() * shot.devicePixelRatio());
    for (const char* name : {"Label1", "Label2", "Label3", "Label4"}) {
        const QLabel* l = m_form->findChild<QLabel*>(name);
        const QRect r(l->mapTo(m_form.get(), QPoint(0, 0)), l->size());
        QVERIFY2(hasInk(shot, r), name);
    }
    const QRect bar(m_form->menuBar()->mapTo(m_form.get(), QPoint(0, 0)),
                    m_form->menuBar()->size());
    QVERIFY(hasInk(shot, bar));
    QCOMPARE(label("Label3"), QString("Katastr: Kladno"));
    QCOMPARE(menu("OpenKU")->actions().at(0)->text(), QString("Kladno"));
}

void TestMainOrvForm::addKUAndReopenSameArea()
{
    makeForm();
    m_form->AddKU(area("600016", "Kladno"));
    m_form->AddKU(area("600017", "Rozdělov & Dubí"));
    QCOMPARE(m_form->KUList().size(), 2);
    QCOMPARE(m_form->CurrentKU().Kod, QString("600017"));
    QCOMPARE(menu("OpenKU")->actions().at(1)->text(), QString("Rozdělov && Dubí"));
    // Allow "Minulý výběr" to see it reset by the re-open.
    m_form->SestavaClick(0);
    QVERIFY(action("Sestava6")->isEnabled());

    TKUInfo again = area("600016", "Jiný název");
    m_form->AddKU(again);
    QCOMPARE(m_form->KUList().size(), 2);
    QCOMPARE(menu("OpenKU")->actions().size(), 2);
    QCOMPARE(m_form->CurrentKU().Kod, QString("600016"));
    QCOMPARE(m_form->CurrentKU().Katastr, QString("Kladno"));
    QVERIFY(menu("OpenKU")->actions().at(0)->isChecked());
    QVERIFY(!menu("OpenKU")->actions().at(1)->isChecked());
    QVERIFY(!action("Sestava6")->isEnabled());
    QVERIFY(action("KUClose")->isEnabled());
    QVERIFY(menu("Sestava")->menuAction()->isEnabled());
    QVERIFY(action("TiskStatistika")->isEnabled());

    // A click on a menu item makes its area current.
    menu("OpenKU")->actions().at(1)->trigger();
    QCOMPARE(m_form->CurrentKU().Kod, QString("600017"));
    QCOMPARE(label("Label2"), QString("Obec:  Obec Rozdělov & Dubí"));

    // A suffix from a damaged catalogue would go into file names and SQL.
    for (const QString& bad :
         {QString("1\" OR 1=1"), QString("01"), QString("../"), QString("0012")}) {
        try {
            m_form->AddKU(area("600099", "Zlá", bad));
            QFAIL(qPrintable("suffix accepted: " + bad));
        } catch (const ETalvekException& e) {
            QVERIFY(e.message().contains(bad) && e.message().contains("Zlá"));
        }
    }
    QCOMPARE(m_form->KUList().size(), 2);
    QCOMPARE(m_form->CurrentKU().Kod, QString("600017"));
}

void TestMainOrvForm::label4Format()
{
    makeForm();
    m_form->AddKU(TKUInfo{"A", "Kladno", "Buštěhrad", "Buštěhrad", "012", "123456"});
    QCOMPARE(label("Label1"), QString("Okres: Kladno"));
    QCOMPARE(label("Label2"), QString("Obec:  Buštěhrad"));
    QCOMPARE(label("Label3"), QString("Katastr: Buštěhrad"));
    QCOMPARE(label("Label4"),
             QString("Číslo v okrese: 012") + QString(8, ' ') + "Číslo v J.Č.S.J.: 123456");
}

void TestMainOrvForm::closeLastMiddleAndOnly()
{
    makeForm();
    for (const char* kod : {"1", "2", "3", "4"})
        m_form->AddKU(area(kod, QString("KU") + kod));
    // The current area is the last item: the new last becomes current.
    m_form->KUCloseClick();
    QCOMPARE(m_form->CurrentKU().Kod, QString("3"));
    QCOMPARE(menu("OpenKU")->actions().size(), 3);
    QVERIFY(menu("OpenKU")->actions().at(2)->isChecked());
    // An item in the middle: the area that moved into its place is current.
    m_form->SelectKU(1);
    m_form->KUCloseClick();
    QCOMPARE(m_form->CurrentKU().Kod, QString("3"));
    QCOMPARE(m_form->KUList().size(), 2);
    QVERIFY(menu("OpenKU")->actions().at(1)->isChecked());
    QCOMPARE(label("Label3"), QString("Katastr: KU3"));
    // The first item.
    m_form->SelectKU(0);
    m_form->KUCloseClick();
    QCOMPARE(m_form->CurrentKU().Kod, QString("3"));
    // The only area: closed labels and area menus off.
    m_form->KUCloseClick();
    QVERIFY(m_form->KUList().isEmpty());
    QVERIFY(menu("OpenKU")->actions().isEmpty());
    QCOMPARE(label("Label1"), QString("Okres:"));
    QCOMPARE(label("Label2"), QString("Obec:"));
    QCOMPARE(label("Label3"), QString("Katastr:"));
    QCOMPARE(label("Label4"), QString("Číslo:"));
    QVERIFY(!action("KUClose")->isEnabled());
    QVERIFY(!menu("Sestava")->menuAction()->isEnabled());
    QVERIFY(!menu("OpenKU")->menuAction()->isEnabled());
    QVERIFY(!action("TiskStatistika")->isEnabled());
    m_form->KUCloseClick(); // nothing open: nothing happens
    QVERIFY(m_form->KUList().isEmpty());
}

void TestMainOrvForm::openSeveralAreasFromCatalogue()
{
    QStringList lookups;
    m_entries.CatalogueDialog = [](QWidget*, const std::shared_ptr<IApp>&, TKUInfo& info,
                                   const std::shared_ptr<ICollection>& ordinals, bool&) {
        info = area("999", "Pod kurzorem");
        info.Alias = "OKRES_KL";
        ordinals->Add(7);
        ordinals->Add(QString("12"));
        ordinals->Add(99);
        return true;
    };
    m_entries.CatalogueLookup = [&lookups](const std::shared_ptr<IApp>&, const QString& alias,
                                           const QString& suffix, TKUInfo& info) {
        lookups << alias + "/" + suffix;
        if (suffix == "099")
            return false;
        info.Okres = "Kladno";
        info.Obec = "Obec " + suffix;
        info.Katastr = "KU " + suffix;
        info.Kod = "60" + suffix;
        return true;
    };
    makeForm();
    m_form->KUOpenClick();
    QCOMPARE(lookups, (QStringList{"OKRES_KL/007", "OKRES_KL/012", "OKRES_KL/099"}));
    QCOMPARE(m_form->KUList().size(), 2);
    QCOMPARE(m_form->KUList().at(0).Suffix, QString("007"));
    QCOMPARE(m_form->KUList().at(0).Alias, QString("OKRES_KL"));
    QCOMPARE(m_form->CurrentKU().Kod, QString("60012"));
    QVERIFY(m_shown.isEmpty()); // the missing one is skipped silently
}

void TestMainOrvForm::openOneAreaAndCancel()
{
    int ordinalsToAdd = 1;
    bool accept = true;
    bool lookedUp = false;
    m_entries.CatalogueDialog = [&](QWidget*, const std::shared_ptr<IApp>&, TKUInfo& info,
                                    const std::shared_ptr<ICollection>& ordinals, bool&) {
        info = area("600016", "Kladno", "005");
        for (int i = 0; i < ordinalsToAdd; ++i)
            ordinals->Add(5);
        return accept;
    };
    m_entries.CatalogueLookup = [&](const std::shared_ptr<IApp>&, const QString&, const QString&,
                                    TKUInfo&) {
        lookedUp = true;
        return true;
    };
    makeForm();
    m_form->KUOpenClick();
    QCOMPARE(m_form->KUList().size(), 1);
    QCOMPARE(m_form->CurrentKU().Katastr, QString("Kladno"));
    QVERIFY(!lookedUp);
    accept = false;
    m_form->KUOpenClick();
    ordinalsToAdd = 0;
    accept = true;
    m_form->KUOpenClick();
    QCOMPARE(m_form->KUList().size(), 1);
    QVERIFY(!lookedUp);
}

void TestMainOrvForm::selectionOpensBrowserOrForm_data()
{
    QTest::addColumn<int>("outputType");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("partsOnly");
    const QString w = "parcel %1 600016 %2";
    QTest::newRow("parcel number, listing")
        << 0 << "Sestava0" << QStringList{"parcel 0", "browser 0"} << false;
    QTest::newRow("house number, simple form")
        << 1 << "Sestava1" << QStringList{"parcel 1", "report 1"} << false;
    QTest::newRow("parcel number, detailed form")
        << 2 << "Sestava0" << QStringList{"parcel 0", "report 2"} << false;
    QTest::newRow("all parcels") << 0 << "Sestava5" << QStringList{"parcel 2", "browser 0"}
                                 << false;
    QTest::newRow("conditions") << 0 << "Sestava3" << QStringList{"conditions 0", "browser 0"}
                                << false;
    QTest::newRow("conditions, parts")
        << 0 << "Sestava4" << QStringList{"conditions 1", "browser 1"} << true;
    QTest::newRow("conditions, parts, form")
        << 2 << "Sestava4" << QStringList{"conditions 1", "report 2"} << true;
}

void TestMainOrvForm::selectionOpensBrowserOrForm()
{
    QFETCH(int, outputType);
    QFETCH(QString, item);
    QFETCH(QStringList, calls);
    QFETCH(bool, partsOnly);
    makeForm();
    m_form->AddKU(area("600016", "Kladno"));
    m_form->TiskClick(outputType);
    action(qPrintable(item))->trigger();
    QStringList got = m_calls;
    const QString workTable = m_dir->filePath("work") + "/PRAC.DB";
    if (got.value(0).startsWith("parcel")) {
        QVERIFY(got[0].endsWith(" 600016 " + workTable));
        got[0] = got[0].section(' ', 0, 1);
    }
    QCOMPARE(got, calls);
    QCOMPARE(m_form->PartsOnly(), partsOnly);
    QVERIFY(action("Sestava6")->isEnabled());
    QVERIFY(m_shown.isEmpty());
    // The previous selection can now be reopened.
    m_calls.clear();
    action("Sestava6")->trigger();
    QCOMPARE(m_calls.value(0).section(' ', 0, 1), QString("parcel 3"));
}

void TestMainOrvForm::cancelledSelectionKeepsPreviousSelectionState()
{
    bool ok = true;
    m_entries.ParcelSelection = [&](QWidget*, int, const TSelectionContext&) { return ok; };
    m_entries.ConditionsSelection = [&](QWidget*, bool, const TSelectionContext&) { return ok; };
    makeForm();
    m_form->AddKU(area("600016", "Kladno"));
    ok = false;
    m_form->SestavaClick(0);
    QVERIFY(!action("Sestava6")->isEnabled());
    ok = true;
    m_form->SestavaClick(0);
    QVERIFY(action("Sestava6")->isEnabled());
    m_calls.clear();
    ok = false;
    m_form->SestavaClick(0);
    m_form->SestavaClick(5);
    m_form->SestavaClick(3);
    QVERIFY(action("Sestava6")->isEnabled());
    QVERIFY(m_calls.isEmpty()); // neither browser nor form
}

void TestMainOrvForm::ownershipSheetBranch_data()
{
    QTest::addColumn<int>("outputType");
    QTest::addColumn<QString>("call");
    QTest::addColumn<bool>("previousEnabled");
    QTest::newRow("listing: owner dialog") << 0 << "owner" << true;
    QTest::newRow("simple form") << 1 << "sheetform 1" << false;
    QTest::newRow("detailed form") << 2 << "sheetform 2" << false;
}

void TestMainOrvForm::ownershipSheetBranch()
{
    QFETCH(int, outputType);
    QFETCH(QString, call);
    QFETCH(bool, previousEnabled);
    makeForm();
    m_form->AddKU(area("600016", "Kladno"));
    m_form->SestavaClick(0); // a previous selection exists
    m_calls.clear();
    m_form->TiskClick(outputType);
    action("Sestava2")->trigger();
    QCOMPARE(m_calls, QStringList{call}); // never the browser or PrintReport
    QVERIFY(m_form->PartsOnly());
    QCOMPARE(action("Sestava6")->isEnabled(), previousEnabled);
}

void TestMainOrvForm::errorsAreShownAndStateKept()
{
    m_entries.ParcelSelection = [](QWidget*, int, const TSelectionContext&) -> bool {
        throw ETalvekException("Tabulka NYSPA001.DB neexistuje");
    };
    makeForm();
    m_form->AddKU(area("600016", "Kladno"));
    m_form->TiskClick(2);
    m_app->ShowWaitCursor(true);
    m_form->SestavaClick(0);
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0].text, QString("Tabulka NYSPA001.DB neexistuje."));
    QCOMPARE(m_shown[0].kind, mtError);
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(!action("Sestava6")->isEnabled());
    QCOMPARE(m_form->KUList().size(), 1);
    QCOMPARE(m_form->OutputType(), 2);
    QVERIFY(m_calls.isEmpty());
}

void TestMainOrvForm::missingWorkDirectoryStopsSelection()
{
    makeForm();
    m_form->AddKU(area("600016", "Kladno"));
    const QString gone = m_dir->filePath("gone");
    SetWorkDir(*m_app, *m_registry, gone);
    m_form->SestavaClick(0);
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0].text, QString("Pracovní adresář %1/ neexistuje.").arg(gone));
    QVERIFY(m_calls.isEmpty());
    // After the directory is created, the next selection goes on.
    QDir().mkpath(gone);
    m_form->SestavaClick(0);
    QCOMPARE(m_calls.value(0), QString("parcel 0 600016 %1/PRAC.DB").arg(gone));
}

void TestMainOrvForm::commandsWithoutDialogSayNotAvailable()
{
    m_entries = TMainOrvEntries();
    makeForm();
    m_form->KUOpenClick();
    m_form->AddKU(area("1", "A"));
    m_form->SestavaClick(1);
    QCOMPARE(m_shown.size(), 2);
    QCOMPARE(m_shown[0].text, QString("Funkce „Otevřít“ zatím není k dispozici."));
    QCOMPARE(m_shown[0].kind, mtInformation);
    QCOMPARE(m_shown[1].text, QString("Funkce „Popisným číslem“ zatím není k dispozici."));
    QVERIFY(!action("Sestava6")->isEnabled());
}

void TestMainOrvForm::quitConfirmation()
{
    makeForm();
    m_form->show();
    m_answer = mrNo;
    action("Konec")->trigger();
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0].text, QString("Ukončit program ?"));
    QCOMPARE(m_shown[0].kind, mtConfirmation);
    QCOMPARE(m_shown[0].buttons, TMsgDlgButtons(mbYes | mbNo));
    m_form->AddKU(area("1", "A"));
    m_answer = mrYes;
    QVERIFY(m_form->close());
    QVERIFY(!m_form->isVisible());
    QCOMPARE(m_shown.size(), 2);
}

void TestMainOrvForm::helpAndHomePage()
{
    makeForm();
    action("InforVeldo")->trigger();
    QCOMPARE(m_calls, QStringList{"open " + TMainOrvForm::HomePage().toString()});
    QVERIFY(TMainOrvForm::HomePage().isValid());
    // Help beside the program, else in the installed data directory.
    QTemporaryDir prefix;
    QDir().mkpath(prefix.filePath("bin"));
    QDir().mkpath(prefix.filePath("share/ORV/help"));
    QFile installed(prefix.filePath("share/ORV/help/index.html"));
    QVERIFY(installed.open(QIODevice::WriteOnly));
    installed.close();
    QCOMPARE(TMainOrvForm::HelpFile(prefix.filePath("bin")), installed.fileName());
    QDir().mkpath(prefix.filePath("bin/help"));
    QFile beside(prefix.filePath("bin/help/index.html"));
    QVERIFY(beside.open(QIODevice::WriteOnly));
    beside.close();
    QCOMPARE(TMainOrvForm::HelpFile(prefix.filePath("bin")), beside.fileName());
    // The test program has no help beside it: the user is told so.
    m_calls.clear();
    action("Help")->trigger();
    QCOMPARE(m_calls, QStringList());
    QCOMPARE(m_shown.size(), 1);
    QVERIFY(m_shown[0].text.startsWith("Soubor nápovědy "));
    // An address that the desktop can't open is reported.
    m_entries.OpenUrl = [](const QUrl&) { return false; };
    makeForm();
    m_shown.clear();
    action("InforVeldo")->trigger();
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0].kind, mtError);
}

void TestMainOrvForm::workDirectoryChange()
{
    makeForm();
    m_form->AddKU(area("600016", "Kladno"));
    const QString target = QDir(m_dir->filePath("nový")).absolutePath();
    QString startPath;
    onNextModal([&](QWidget* modal) {
        auto* window = qobject_cast<TFolderBrowseWindow*>(modal);
        QVERIFY(window);
        startPath = window->SelectedPath();
        QVERIFY(window->SelectPath(m_dir->path()));
        QVERIFY(window->CreateFolder("nový"));
        window->accept();
    });
    action("Infor3")->trigger();
    QCOMPARE(startPath, m_dir->filePath("work"));
    QCOMPARE(m_app->WorkPath(), target + "/");
    QVERIFY(QFileInfo(target).isDir());
    QCOMPARE(m_form->KUList().size(), 1); // open areas are not touched
    // The next selection uses the new directory.
    m_form->SestavaClick(0);
    QCOMPARE(m_calls.value(0), QString("parcel 0 600016 %1/PRAC.DB").arg(target));
    // Cancelling keeps the work directory.
    onNextModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    m_form->WorkDirChangeClick();
    QCOMPARE(m_app->WorkPath(), target + "/");
    // A work directory that is gone: the browser opens at the home folder.
    SetWorkDir(*m_app, *m_registry, m_dir->filePath("gone"));
    onNextModal([&](QWidget* modal) {
        startPath = static_cast<TFolderBrowseWindow*>(modal)->SelectedPath();
        static_cast<QDialog*>(modal)->reject();
    });
    m_form->WorkDirChangeClick();
    QCOMPARE(startPath, QDir::homePath());
}

void TestMainOrvForm::startupWarningAndSettingsProblems()
{
    SetWorkDir(*m_app, *m_registry, m_dir->filePath("missing"));
    QFile bad(m_dir->filePath("machine.reg"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("\x01\x02binary\0garbage", 16);
    bad.close();
    makeForm();
    QString boxTitle;
    QString boxText;
    onNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        boxTitle = box->windowTitle();
        boxText = box->text();
        QCOMPARE(box->icon(), QMessageBox::Critical);
        box->accept();
    });
    m_form->RunStartupCheck();
    QCOMPARE(boxTitle, QString("ORV"));
    QCOMPARE(boxText, QString("Pracovní adresář %1/ neexistuje.").arg(m_dir->filePath("missing")));
    // The damaged machine file is reported once, kept aside, and start-up went on.
    QCOMPARE(m_shown.size(), 1);
    QVERIFY(m_shown[0].text.contains("machine.reg"));
    QCOMPARE(m_shown[0].kind, mtError);
    QCOMPARE(QDir(m_dir->path()).entryList({"machine.reg.bad-*"}).size(), 1);
    // Damage found later is reported through the event loop, once.
    QFile user(m_dir->filePath("user.reg"));
    QVERIFY(user.open(QIODevice::Append));
    user.write("\"broken\n");
    user.close();
    QCOMPARE(m_app->Settings()->GetValue("KatDialog.Okres", QString("-")), QVariant("-"));
    QTRY_COMPARE(m_shown.size(), 2);
    QVERIFY(m_shown[1].text.contains("user.reg"));
    QTest::qWait(20);
    QCOMPARE(m_shown.size(), 2);
}

void TestMainOrvForm::startupWhenWorkAliasCannotBeStored()
{
    QFile blocker(m_dir->filePath("not-a-dir"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_registry = std::make_shared<TRegistry>(blocker.fileName() + "/user.reg",
                                             m_dir->filePath("machine.reg"));
    m_registry->WriteString(TRegistry::Hive::LocalMachine, RegistryKeys::Install, "FirstRun", "1");
    m_app = std::make_shared<TApp>(m_registry, m_dir->path());
    makeForm();
    QString boxText;
    onNextModal([&](QWidget* modal) {
        boxText = static_cast<QMessageBox*>(modal)->text();
        static_cast<QDialog*>(modal)->accept();
    });
    m_form->RunStartupCheck(m_dir->filePath("bin"));
    QCOMPARE(m_shown.size(), 1);
    QVERIFY2(m_shown[0].text.contains("pro soubor nastavení"), qPrintable(m_shown[0].text));
    QCOMPARE(boxText, QString("Pracovní adresář není nastaven: chybí alias \"Pracovní\"."));
}

QTEST_MAIN(TestMainOrvForm)
#include "tst_mainorvform.moc"
