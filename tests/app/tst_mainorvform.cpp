// The main window: open areas with their menu and labels, the selection
// commands with their hand-over to browser or forms, errors, help, the work
// directory, the start-up warning and the quit question.
#include "common/ModalHelpers.h"
#include "common/TestSupport.h"
#include "widgets/MessageDlg.h"
#include "app/TFolderBrowseWindow.h"
#include "app/TAreaMapWindows.h"
#include "app/TMainOrvForm.h"
#include "base/ETalvekException.h"
#include "settings/RegistryKeys.h"
#include "app/core/StartupCheck.h"
#include "app/core/TApp.h"
#include "data/WorkTable.h"
#include "db/Table.h"
#include "map/TMapImport.h"
#include "map/TMapImportDialog.h"
#include "map/MapCanvas.h"
#include "map/TMapWindow.h"
#include "map/core/MapStore.h"

#include <QApplication>
#include <QListWidget>
#include <QProgressDialog>
#include <QLabel>
#include <QMenu>
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
using Context = TSelectionContext;
} // namespace

class TestMainOrvForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void openReopenAndCloseAreas();
    void selectionOpensBrowserOrForm_data();
    void selectionOpensBrowserOrForm();
    void cancelledSelectionKeepsPreviousSelectionState();
    void errorsAreShownAndStateKept();
    void mapResultOpensTheMap();
    void mapOutputAndWithoutAMap();
    void mapImport_data();
    void mapImport();
    void mapImportCancelled();
    void mapImportDialogReopensOpenMaps();
    void helpHomePageAndQuit();
    void workDirectoryChange();
    void startupWarningAndSettingsProblems();
    void startupWhenWorkAliasCannotBeStored();

private:
    QAction* action(const char* name) { return m_form->findChild<QAction*>(name); }
    QMenu* menu(const char* name) { return m_form->findChild<QMenu*>(name); }
    QString label(const char* name) { return m_form->findChild<QLabel*>(name)->text(); }
    // Enabled (1) or not (0): the area and selection commands; the output type.
    QString commandState();
    void makeForm();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<TRegistry> m_registry;
    std::shared_ptr<TApp> m_app;
    TMainOrvEntries m_entries;
    std::unique_ptr<TMainOrvForm> m_form;
    QList<Shown> m_shown;
    int m_answer = mrYes;
    QStringList m_calls;
    int m_ownerResult = 0;
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
    m_entries.OwnerSelection = [this](QWidget*, const TSelectionContext&, bool toMap) {
        m_calls << (toMap ? "owner to map" : "owner");
        return m_ownerResult;
    };
    const auto log = [this](const char* what, int n) { m_calls << QString(what).arg(n); };
    m_entries.SheetForm = [=](QWidget*, int n, const Context&) { log("sheetform %1", n); };
    m_entries.ParcelBrowser = [=](QWidget*, int n, const Context&) { log("browser %1", n); };
    m_entries.PrintReport = [=](QWidget*, int n, const Context&) { log("report %1", n); };
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

QString TestMainOrvForm::commandState()
{
    QString state;
    for (QAction* a : {action("KUOpen"), action("KUClose"), menu("OpenKU")->menuAction(),
                       menu("Sestava")->menuAction(), action("Sestava6"), action("TiskStatistika")})
        state += a->isEnabled() ? '1' : '0';
    return state + QString(" tisk%1").arg(m_form->OutputType());
}

void TestMainOrvForm::openReopenAndCloseAreas()
{
    makeForm();
    QCOMPARE(TMainOrvForm::Instance(), m_form.get());
    QCOMPARE(commandState(), QString("100000 tisk0"));
    m_form->AddKU(TKUInfo{"A", "Kladno", "Buštěhrad", "Buštěhrad", "012", "123456"});
    QCOMPARE(QStringList({label("Label1"), label("Label2"), label("Label3"), label("Label4")}),
             QStringList({"Okres: Kladno", "Obec:  Buštěhrad", "Katastr: Buštěhrad",
                          "Číslo v okrese: 012        Číslo v J.Č.S.J.: 123456"}));
    m_form->AddKU(area("600017", "Rozdělov & Dubí"));
    QCOMPARE(menu("OpenKU")->actions().at(1)->text(), QString("Rozdělov && Dubí"));
    m_form->SestavaClick(0); // so that the re-open below has to turn "Minulý výběr" off
    QCOMPARE(commandState(), QString("111111 tisk0"));

    // Opening an open area again makes it current, under its first name.
    m_form->AddKU(area("123456", "Jiný název"));
    QCOMPARE(m_form->KUList().size(), 2);
    QCOMPARE(m_form->CurrentKU().Katastr, QString("Buštěhrad"));
    QVERIFY(menu("OpenKU")->actions().at(0)->isChecked());
    QVERIFY(!menu("OpenKU")->actions().at(1)->isChecked());
    QCOMPARE(commandState(), QString("111101 tisk0"));

    // A click on a menu item makes its area current.
    menu("OpenKU")->actions().at(1)->trigger();
    QCOMPARE(m_form->CurrentKU().Kod, QString("600017"));
    QCOMPARE(label("Label2"), QString("Obec:  Obec Rozdělov & Dubí"));

    // A suffix from a damaged catalogue would go into file names and SQL.
    for (const QString bad : {"1\" OR 1=1", "01", "../", "0012"}) {
        const QString message = TestSupport::refusal([&] { m_form->AddKU(area("9", "Zlá", bad)); });
        QVERIFY2(message.contains(bad) && message.contains("Zlá"), qPrintable(bad));
    }
    QCOMPARE(m_form->KUList().size(), 2);
    QCOMPARE(m_form->CurrentKU().Kod, QString("600017"));

    // Closing an item in the middle makes the area moved into its place
    // current; closing the last item, the new last.
    m_form->AddKU(area("3", "KU3"));
    m_form->SelectKU(1);
    m_form->KUCloseClick();
    QCOMPARE(m_form->CurrentKU().Kod, QString("3"));
    QVERIFY(menu("OpenKU")->actions().at(1)->isChecked());
    QCOMPARE(label("Label3"), QString("Katastr: KU3"));
    m_form->KUCloseClick();
    QCOMPARE(m_form->CurrentKU().Kod, QString("123456"));
    QVERIFY(menu("OpenKU")->actions().at(0)->isChecked());
    // The only area: empty labels and the area menus off.
    m_form->KUCloseClick();
    QVERIFY(m_form->KUList().isEmpty() && menu("OpenKU")->actions().isEmpty());
    QCOMPARE(QStringList({label("Label1"), label("Label2"), label("Label3"), label("Label4")}),
             QStringList({"Okres:", "Obec:", "Katastr:", "Číslo:"}));
    QCOMPARE(commandState(), QString("100000 tisk0"));
    m_form->KUCloseClick(); // nothing open: nothing happens
}

void TestMainOrvForm::selectionOpensBrowserOrForm_data()
{
    // The output type, the menu item, the windows opened, whether only parts
    // are shown and whether "Minulý výběr" is offered afterwards.
    QTest::addColumn<int>("outputType");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("calls");
    QTest::addColumn<bool>("partsOnly");
    QTest::addColumn<bool>("previous");
    const auto row = [](const char* name, int type, const char* item, const char* calls, bool parts,
                        bool previous = true) {
        QTest::newRow(name) << type << item << calls << parts << previous;
    };
    row("parcel number, listing", 0, "Sestava0", "parcel 0, browser 0", false);
    row("house number, simple form", 1, "Sestava1", "parcel 1, report 1", false);
    row("parcel number, detailed form", 2, "Sestava0", "parcel 0, report 2", false);
    row("all parcels", 0, "Sestava5", "parcel 2, browser 0", false);
    row("conditions", 0, "Sestava3", "conditions 0, browser 0", false);
    row("conditions, parts", 0, "Sestava4", "conditions 1, browser 1", true);
    row("conditions, parts, form", 2, "Sestava4", "conditions 1, report 2", true);
    // By ownership sheet: never the browser or a parcel form.
    row("sheet, listing: owner dialog", 0, "Sestava2", "owner", true);
    row("sheet, simple form", 1, "Sestava2", "sheetform 1", true, false);
    row("sheet, detailed form", 2, "Sestava2", "sheetform 2", true, false);
}

void TestMainOrvForm::selectionOpensBrowserOrForm()
{
    QFETCH(int, outputType);
    QFETCH(QString, item);
    QFETCH(QString, calls);
    QFETCH(bool, partsOnly);
    QFETCH(bool, previous);
    makeForm();
    m_form->AddKU(area("600016", "Kladno"));
    m_form->SestavaClick(0); // a previous selection exists
    m_calls.clear();
    m_form->TiskClick(outputType);
    action(qPrintable(item))->trigger();
    QStringList got = m_calls;
    if (got.value(0).startsWith("parcel")) {
        QCOMPARE(got[0].section(' ', 2), "600016 " + m_dir->filePath("work") + "/PRAC.DB");
        got[0] = got[0].section(' ', 0, 1);
    }
    QCOMPARE(got.join(", "), calls);
    QCOMPARE(m_form->PartsOnly(), partsOnly);
    QVERIFY(m_shown.isEmpty());
    QCOMPARE(action("Sestava6")->isEnabled(), previous);
    m_calls.clear();
    action("Sestava6")->trigger();
    QCOMPARE(m_calls.value(0).section(' ', 0, 1), previous ? QString("parcel 3") : QString());
}

void TestMainOrvForm::cancelledSelectionKeepsPreviousSelectionState()
{
    bool ok = false;
    m_entries.ParcelSelection = [&](QWidget*, int, const TSelectionContext&) { return ok; };
    m_entries.ConditionsSelection = [&](QWidget*, bool, const TSelectionContext&) { return ok; };
    makeForm();
    m_form->AddKU(area("600016", "Kladno"));
    m_form->SestavaClick(0);
    QVERIFY(!action("Sestava6")->isEnabled());
    ok = true;
    m_form->SestavaClick(0);
    m_calls.clear();
    ok = false;
    for (int tag : {0, 5, 3})
        m_form->SestavaClick(tag);
    QVERIFY(action("Sestava6")->isEnabled());
    QVERIFY(m_calls.isEmpty()); // neither browser nor form
}

// "Mapa" of the selection by conditions or of the search by owner (result 6)
// opens the area's map window instead of the browser, or says in Czech where
// to get a map; the window closes with its area.
void TestMainOrvForm::mapResultOpensTheMap()
{
    m_entries.ConditionsSelection = [](QWidget*, bool, const TSelectionContext&) { return 6; };
    makeForm();
    m_form->AddKU(area("600016", "Kladno"));
    const QString maps = m_dir->filePath("mapy");
    qputenv("ORV_MAP_DIR", maps.toLocal8Bit());
    m_form->SestavaClick(5);
    QCOMPARE(m_shown.size(), 1);
    QVERIFY(m_shown[0].text.startsWith("Katastrální území Kladno (600016) nemá mapu."));
    QVERIFY(m_form->findChildren<TMapWindow*>().isEmpty());
    QCOMPARE(m_calls, QStringList{"browser 0"}); // the selection is not lost
    m_calls.clear();

    TestSupport::writeOneParcelMap(maps, "600016", "Kladno");
    m_form->SestavaClick(5);
    m_form->SestavaClick(4); // the same window again
    const QList<TMapWindow*> windows = m_form->findChildren<TMapWindow*>();
    QCOMPARE(windows.size(), 1);
    QCOMPARE(windows[0]->windowTitle(), QString("Mapa – Kladno"));
    QVERIFY(m_calls.isEmpty()); // no browser
    QCOMPARE(m_shown.size(), 1);
    // Parcel 2/1 marked by another window: the map follows the work table.
    QVERIFY(!windows[0]->ZoomToMarked());
    try {
        Table work;
        OpenOrCreateWorkTable(work, m_dir->filePath("work/PRAC.DB"));
        work.append();
        work.setValue("PARSKUP", 2);
        work.setValue("PARCIS", 1);
        work.setValue("PARPOD", 0);
        work.setValue("PARDIL", 1);
        work.setValue("PARCISLO", "1");
        work.setValue("FLAG", true);
        work.post();
    } catch (const ETalvekException& e) {
        QFAIL(qPrintable(e.message()));
    }
    QTRY_VERIFY(windows[0]->ZoomToMarked());
    // The same from the search by owner or sheet.
    windows[0]->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(m_form->findChildren<TMapWindow*>().isEmpty());
    m_ownerResult = 6;
    m_form->SestavaClick(6);
    QCOMPARE(m_calls, QStringList{"owner"});
    QCOMPARE(m_form->findChildren<TMapWindow*>().size(), 1);
    action("KUClose")->trigger();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(m_form->findChildren<TMapWindow*>().isEmpty());
    qunsetenv("ORV_MAP_DIR");
}

// "Typ výstupu" → "Mapa": a completed selection of any kind opens the map
// instead of the browser; the search by sheet ends with the map. Without a
// map the output type, the menu command and the selection say where to get
// one (the captions as the menu shows them) and the listing shows instead.
void TestMainOrvForm::mapOutputAndWithoutAMap()
{
    int searchResult = 0;
    m_entries.SheetSearch = [&](QWidget*, const std::shared_ptr<IApp>&,
                                const std::function<void(const TKUInfo&)>& addKU, bool toMap) {
        m_calls << QString("search %1").arg(toMap);
        addKU(area("600016", "Kladno"));
        return searchResult;
    };
    makeForm();
    const QString maps = m_dir->filePath("mapy");
    qputenv("ORV_MAP_DIR", maps.toLocal8Bit());
    m_form->AddKU(area("600016", "Kladno"));
    QString menuPath = menu("KU")->title() + " → " + action("KUImportMapa")->text();
    menuPath.remove('&');
    const QString noMap = "Katastrální území Kladno (600016) nemá mapu. Mapu naimportujete "
                          "příkazem „" +
                          menuPath +
                          "“ ze souboru VFK území, který mapu obsahuje (s hranicemi "
                          "parcel).";
    QCOMPARE(TAreaMapWindows::NoMapText(m_form->CurrentKU()), noMap);
    action("Tisk3")->trigger();
    QCOMPARE(m_form->OutputType(), int(TMainOrvForm::OutputMap));
    QVERIFY(action("Tisk3")->isChecked() && !action("Tisk0")->isChecked());
    action("KUMapa")->trigger();
    action("Sestava0")->trigger();
    QCOMPARE(m_calls.join(", "),
             QString("parcel 0 600016 %1, browser 0").arg(m_dir->filePath("work") + "/PRAC.DB"));
    QCOMPARE(m_shown.size(), 3);
    for (const Shown& shown : m_shown)
        QCOMPARE(shown.text, noMap);
    QVERIFY(m_form->findChildren<TMapWindow*>().isEmpty());

    // With a map: every selection kind opens the one window of the area.
    TestSupport::writeOneParcelMap(maps, "600016", "Kladno");
    m_calls.clear();
    for (const char* item : {"Sestava0", "Sestava3", "Sestava4", "Sestava5", "Sestava6"})
        action(item)->trigger();
    action("Sestava2")->trigger();
    action("KUVyhledat")->trigger();
    QCOMPARE(m_calls.join(", ").remove(m_dir->filePath("work") + "/PRAC.DB"),
             QString("parcel 0 600016 , conditions 0, conditions 1, parcel 2 600016 , "
                     "parcel 3 600016 , owner to map, search 1"));
    QCOMPARE(m_form->findChildren<TMapWindow*>().size(), 1);
    QVERIFY(m_form->findChildren<TMapWindow*>()[0]->isVisible());
    // A selection just written is what the open window zooms to.
    TMapWindow* window = m_form->findChildren<TMapWindow*>()[0];
    action("KUMapa")->trigger(); // the whole area
    const double whole = window->canvas()->view().scale();
    m_entries.ParcelSelection = [this](QWidget*, int, const TSelectionContext& ctx) {
        Table work;
        OpenOrCreateWorkTable(work, ctx.WorkTable);
        work.append();
        for (const auto& [field, value] : QList<QPair<QString, QVariant>>{{"PARSKUP", 2},
                                                                          {"PARCIS", 1},
                                                                          {"PARPOD", 0},
                                                                          {"PARDIL", 1},
                                                                          {"PARCISLO", "1"},
                                                                          {"FLAG", true}})
            work.setValue(field, value);
        work.post();
        return true;
    };
    m_entries.ParcelBrowserAt = [this](QWidget*, int mode, const Context& ctx, int g, int s,
                                       int d) {
        m_calls
            << QString("browser at %1 %2 %3/%4/%5").arg(mode).arg(ctx.KU.Kod).arg(g).arg(s).arg(d);
    };
    makeForm();
    m_form->AddKU(area("600016", "Kladno"));
    action("KUMapa")->trigger();
    window = m_form->findChildren<TMapWindow*>()[0];
    QCOMPARE(window->canvas()->view().scale(), whole);
    action("Tisk3")->trigger();
    action("Sestava0")->trigger();
    QVERIFY(window->canvas()->view().scale() != whole);
    // A double click on the map shows that part in the browser.
    emit window->browseRequested(2, 1, 0);
    QCOMPARE(m_calls.last(), QString("browser at 0 600016 2/1/0"));
    // The sheet search's map result opens the map of the area it made current.
    m_form->findChildren<TMapWindow*>()[0]->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    action("Tisk0")->trigger();
    searchResult = 6;
    action("KUVyhledat")->trigger();
    QCOMPARE(m_calls.last(), QString("search 0"));
    QCOMPARE(m_form->findChildren<TMapWindow*>().size(), 1);
    QCOMPARE(m_shown.size(), 3);
    qunsetenv("ORV_MAP_DIR");
}

// The map import behind its progress window: the sample area's map written
// into the store (only the areas asked for), or a Czech message naming the
// file or the area and nothing written.
void TestMainOrvForm::mapImport_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("areas");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("text");
    const QString vfk = ORV_SAMPLES_DIR "/vfk/";
    const QStringList both{vfk + "789160-mapa.vfk", vfk + "789160.vfk"};
    QTest::newRow("Saladín") << both << QStringList() << true << "mapa 789160 Saladín";
    QTest::newRow("Saladín asked for, another not in the files")
        << both << QStringList{"789160", "600016"} << true
        << "upozornění: soubory nemají mapu území 600016";
    QTest::newRow("only another area asked for")
        << both << QStringList{"600016"} << false << "nemají mapu zvoleného území (600016)";
    QTest::newRow("missing") << QStringList{vfk + "chybi.vfk"} << QStringList() << false
                             << "chybi.vfk";
}

void TestMainOrvForm::mapImport()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, areas);
    QFETCH(bool, written);
    QFETCH(QString, text);
    const QString maps = m_dir->filePath("mapy");
    qputenv("ORV_MAP_DIR", maps.toLocal8Bit());
    QList<int> steps;
    TMapImport import(nullptr, files, areas);
    connect(&import, &TMapImport::stepped, this, [&](int percent) { steps << percent; });
    const TMapImport::Result result = import.run();
    qunsetenv("ORV_MAP_DIR");
    QCOMPARE(result.written, written);
    QVERIFY(!result.cancelled);
    QVERIFY2(result.text.contains(text), qPrintable(result.text));
    QCOMPARE(MapStore(maps).exists("789160"), written);
    QCOMPARE(result.codes, written ? QStringList{"789160"} : QStringList());
    if (written) { // steps through each file's reading, then the map built
        QCOMPARE(steps.first(), 0);
        QCOMPARE(steps.last(), 80);
        QVERIFY(std::is_sorted(steps.begin(), steps.end()));
    }
}

// "Storno" at the first step: the read stops, nothing is written, and an
// older map of the area stays as it was.
void TestMainOrvForm::mapImportCancelled()
{
    const QString maps = m_dir->filePath("mapy");
    qputenv("ORV_MAP_DIR", maps.toLocal8Bit());
    TestSupport::writeOneParcelMap(maps, "789160", "Stará");
    const QByteArray before = [&] {
        QFile file(MapStore(maps).pathOf("789160"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    const QString vfk = ORV_SAMPLES_DIR "/vfk/";
    TMapImport import(nullptr, {vfk + "789160-mapa.vfk", vfk + "789160.vfk"});
    bool progressShown = false;
    connect(&import, &TMapImport::stepped, this, [&] {
        const auto windows = QApplication::topLevelWidgets();
        progressShown = std::any_of(windows.begin(), windows.end(), [](QWidget* w) {
            return qobject_cast<QProgressDialog*>(w) && w->isVisible() &&
                   static_cast<QProgressDialog*>(w)->windowTitle() == "Import mapy VFK";
        });
        import.cancel();
    });
    const TMapImport::Result result = import.run();
    qunsetenv("ORV_MAP_DIR");
    QVERIFY(progressShown);
    QVERIFY(!result.written && result.codes.isEmpty() && result.cancelled);
    QCOMPARE(result.text, QString("Import mapy byl přerušen; úložiště map se nezměnilo."));
    QFile after(MapStore(maps).pathOf("789160"));
    QVERIFY(after.open(QIODevice::ReadOnly));
    QVERIFY(!before.isEmpty() && after.readAll() == before);
}

// "Importovat mapu VFK..." offers the open areas with their map state (one
// without a map ticked), imports the chosen files, and the open map window
// of the area is reopened on the new map.
void TestMainOrvForm::mapImportDialogReopensOpenMaps()
{
    makeForm();
    const QString maps = m_dir->filePath("mapy");
    qputenv("ORV_MAP_DIR", maps.toLocal8Bit());
    TestSupport::writeOneParcelMap(maps, "789160", "Stará");
    m_form->AddKU(area("600016", "Kladno"));
    m_form->AddKU(area("789160", "Saladín", "002"));
    action("KUMapa")->trigger();
    QPointer<TMapWindow> old = m_form->findChild<TMapWindow*>();
    QVERIFY(old && old->windowTitle() == "Mapa – Stará");
    QStringList lines;
    QList<bool> ticked;
    TestSupport::onNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<TMapImportDialog*>(modal);
        QVERIFY(dialog);
        for (int row = 0; row < dialog->AreaList()->count(); ++row) {
            lines << dialog->AreaList()->item(row)->text();
            ticked << (dialog->AreaList()->item(row)->checkState() == Qt::Checked);
        }
        const QString vfk = ORV_SAMPLES_DIR "/vfk/";
        dialog->AddFiles({vfk + "789160-mapa.vfk", vfk + "789160.vfk"});
        dialog->SetTicked(0, false);
        dialog->SetTicked(1, true);
        dialog->ImportClick();
        lines << dialog->AreaList()->item(1)->text();
    });
    action("KUImportMapa")->trigger();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    qunsetenv("ORV_MAP_DIR");
    QCOMPARE(lines, (QStringList{"Kladno (600016) – bez mapy", "Saladín (789160) – má mapu",
                                 "Saladín (789160) – má mapu"}));
    QCOMPARE(ticked, (QList<bool>{true, false}));
    QCOMPARE(m_shown.size(), 1);
    QVERIFY2(m_shown[0].text.contains("mapa 789160 Saladín"), qPrintable(m_shown[0].text));
    QVERIFY(!old);
    const QList<TMapWindow*> windows = m_form->findChildren<TMapWindow*>();
    QCOMPARE(windows.size(), 1);
    QVERIFY(windows[0]->isVisible());
    QCOMPARE(windows[0]->windowTitle(), QString("Mapa – Saladín"));
    // Quitting closes the map windows with the program.
    m_form->show();
    QVERIFY(m_form->close());
    QVERIFY(!windows[0]->isVisible());
}

void TestMainOrvForm::errorsAreShownAndStateKept()
{
    m_entries.ParcelSelection = [](QWidget*, int, const TSelectionContext&) -> bool {
        throw ETalvekException("Tabulka NYSPA001.DB neexistuje");
    };
    m_entries.ConditionsSelection = nullptr;
    makeForm();
    m_form->AddKU(area("600016", "Kladno"));
    m_form->TiskClick(2);
    m_app->ShowWaitCursor(true);
    m_form->SestavaClick(0);
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0].text, QString("Tabulka NYSPA001.DB neexistuje."));
    QVERIFY(m_shown[0].kind == mtError && !QGuiApplication::overrideCursor());
    QCOMPARE(commandState(), QString("111101 tisk2"));
    QVERIFY(m_calls.isEmpty());
    // A command whose window is not there says so.
    m_form->SestavaClick(5);
    QCOMPARE(m_shown.last().text,
             QString("Funkce „Výběrovými podmínkami“ zatím není k dispozici."));
    QVERIFY(m_shown.last().kind == mtInformation && !action("Sestava6")->isEnabled());
}

void TestMainOrvForm::helpHomePageAndQuit()
{
    makeForm();
    action("InforVeldo")->trigger();
    QCOMPARE(m_calls, QStringList{"open https://www.veldo.cz/"});
    // The test program has no help beside it, and the user is told so.
    m_calls.clear();
    action("Help")->trigger();
    QVERIFY(m_calls.isEmpty() && m_shown.size() == 1);
    QVERIFY(m_shown[0].text.startsWith("Soubor nápovědy "));
    // An address that the desktop can't open is reported.
    m_entries.OpenUrl = [](const QUrl&) { return false; };
    makeForm();
    action("InforVeldo")->trigger();
    QCOMPARE(m_shown.size(), 2);
    QCOMPARE(m_shown[1].kind, mtError);

    // Quitting asks first; "No" keeps the window.
    m_form->show();
    m_answer = mrNo;
    action("Konec")->trigger();
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_shown.size(), 3);
    QCOMPARE(m_shown[2].text, QString("Ukončit program ?"));
    QCOMPARE(m_shown[2].buttons, TMsgDlgButtons(mbYes | mbNo));
    m_answer = mrYes;
    QVERIFY(m_form->close());
    QVERIFY(!m_form->isVisible());
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
    m_form->SestavaClick(0);
    QCOMPARE(m_calls.value(0), QString("parcel 0 600016 %1/PRAC.DB").arg(target));
    // A work directory that is gone: the browser opens at the home folder,
    // cancelling keeps the work directory, and a selection names it and stops.
    const QString gone = m_dir->filePath("gone");
    SetWorkDir(*m_app, *m_registry, gone);
    onNextModal([&](QWidget* modal) {
        startPath = static_cast<TFolderBrowseWindow*>(modal)->SelectedPath();
        static_cast<QDialog*>(modal)->reject();
    });
    m_form->WorkDirChangeClick();
    QCOMPARE(startPath, QDir::homePath());
    m_form->SestavaClick(0);
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0].text, QString("Pracovní adresář %1/ neexistuje.").arg(gone));
    QCOMPARE(m_calls.size(), 2); // only the one before, and its browser
}

void TestMainOrvForm::startupWarningAndSettingsProblems()
{
    SetWorkDir(*m_app, *m_registry, m_dir->filePath("missing"));
    QFile bad(m_dir->filePath("machine.reg"));
    QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("\x01\x02binary\0garbage", 16) == 16);
    bad.close();
    makeForm();
    QString box;
    onNextModal([&](QWidget* modal) {
        auto* message = qobject_cast<QMessageBox*>(modal);
        QVERIFY(message && message->icon() == QMessageBox::Critical);
        box = message->windowTitle() + ": " + message->text();
        message->accept();
    });
    m_form->RunStartupCheck();
    QCOMPARE(box, QString("ORV: Pracovní adresář %1/ neexistuje.").arg(m_dir->filePath("missing")));
    // The damaged machine file is reported once, kept aside, and start-up went on.
    QCOMPARE(m_shown.size(), 1);
    QVERIFY(m_shown[0].text.contains("machine.reg"));
    QCOMPARE(m_shown[0].kind, mtError);
    QCOMPARE(QDir(m_dir->path()).entryList({"machine.reg.bad-*"}).size(), 1);
    // Damage found later is reported through the event loop, once.
    QFile user(m_dir->filePath("user.reg"));
    QVERIFY(user.open(QIODevice::Append) && user.write("\"broken\n") == 8);
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
