// The catalogue dialog: remembered choices, both modes, searches (typed text is
// data), multiple selection, opening areas through the main window, broken
// districts, the alias manager with the silent lookup, orv-tool katalog, and
// the district catalogue read without a window.
#include "common/ModalHelpers.h"
#include "common/TestSupport.h"
#include "widgets/MessageDlg.h"
#include "app/TAliasListModel.h"
#include "app/TAliasManagerDialog.h"
#include "app/TKatDialog.h"
#include "app/ProgramEntries.h"
#include "app/TMainOrvForm.h"
#include "app/core/CoCollection.h"
#include "app/core/DistrictCatalogue.h"
#include "base/ETalvekException.h"
#include "app/core/StartupCheck.h"
#include "app/core/TApp.h"
#include "db/DatasetModel.h"
#include "db/Engine.h"
#include "db/EngineAliases.h"
#include "db/Table.h"
#include "db/paradox/ParadoxTable.h"

#include <QApplication>
#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// The test district's areas in Czech name order (numbers 004 002 003 005 006 007 010 001).
const QStringList kAreas{"A*",         "A*B",        "AB",        "ABC",
                         "BETA KONEC", "ČERNÁ HORA", "ČERNÝ DŮL", "O'HARA"};

// A district whose area names carry quotes and stars, three municipalities;
// each row KATUZ, IDENTCIS, PORCIS and NAZEV, the first the district itself.
void writeDistrict(const QString& dir)
{
    QList<QVariantList> rows;
    for (const char* row :
         {"00000 003999 000 ZKUŠEBNÍ OKRES", "00100 530001 000 ALFA", "00200 530002 000 BETA",
          "00300 530003 000 ČERNÁ", "00101 600001 001 O'HARA", "00102 600002 002 A*B",
          "00103 600003 003 AB", "00201 600004 004 A*", "00202 600005 005 ABC",
          "00299 600006 006 BETA KONEC", "00301 600007 007 ČERNÁ HORA",
          "00302 600008 010 ČERNÝ DŮL"}) {
        const QString text = QString::fromUtf8(row);
        rows.append({text.left(5), text.mid(6, 6), text.mid(13, 3), text.mid(17)});
    }
    const auto alpha = [](const char* name, int size) {
        return ParadoxField{name, ParadoxFieldType::Alpha, size};
    };
    QDir().mkpath(dir);
    ParadoxWriter::writeTable(
        dir + "/NYSKATAL.DB",
        {alpha("KATUZ", 5), alpha("IDENTCIS", 6), alpha("PORCIS", 3), alpha("NAZEV", 30)}, 1, rows);
}

using TestSupport::onNextModal;

QStringList gridNames(TKatDialog& d)
{
    QStringList names;
    for (int row = 0; row < d.DSKatastry()->rowCount(); ++row)
        names << d.DSKatastry()->index(row, 0).data().toString();
    return names;
}

void chooseAlias(TKatDialog* k, const QString& alias)
{
    auto* combo = k->findChild<QComboBox*>("AliasCB");
    combo->setCurrentIndex(combo->findText(alias));
    k->AliasCBClick();
}

void toggleRow(TKatDialog* k, int row)
{
    k->findChild<QTableView*>("Katastry")
        ->selectionModel()
        ->setCurrentIndex(k->DSKatastry()->index(row, 0),
                          QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
}

} // namespace

class TestKatDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void firstRunAndRememberedChoices();
    void multiSelectionAndOkWithANumber();
    void searchesTakeTypedTextAsData_data();
    void searchesTakeTypedTextAsData();
    void municipalityMode();
    void enterSearchesWhileSearchFieldHasFocus();
    void openThreeAreasThroughMainWindow();
    void brokenCatalogueReachesUserAndNothingOpens();
    void aliasManagerChecksAndKeepsOrder();
    void noAliasOffersManagerAndThenOpens();
    void toolChecksAndListsCatalogue();
    void catalogueWithoutWindow_data();
    void catalogueWithoutWindow();
    void rememberedChoice();

private:
    TKatDialog& dialog(const QString& alias = QString());
    void setAliases(const QList<QPair<QString, QString>>& districts);
    QLineEdit* edit(TKatDialog& d, const char* name) { return d.findChild<QLineEdit*>(name); }

    QTemporaryDir m_root;
    QString m_districtDir, m_brokenDir, m_damagedDir;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<TRegistry> m_registry;
    std::shared_ptr<TApp> m_app;
    std::unique_ptr<TKatDialog> m_dialog;
    QStringList m_messages;
};

void TestKatDialog::initTestCase()
{
    m_districtDir = m_root.filePath("okres");
    writeDistrict(m_districtDir);
    m_brokenDir = m_root.filePath("broken");
    m_damagedDir = m_root.filePath("damaged");
    QDir().mkpath(m_brokenDir);
    QDir().mkpath(m_damagedDir);
    QFile damaged(m_damagedDir + "/NYSKATAL.DB");
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(3000, '\x7f'));
}

void TestKatDialog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("ORV_CONFIG_DIR", m_dir->filePath("config").toUtf8());
    m_registry =
        std::make_shared<TRegistry>(m_dir->filePath("user.reg"), m_dir->filePath("machine.reg"));
    m_app = std::make_shared<TApp>(m_registry, m_dir->path());
    QDir().mkpath(m_dir->filePath("work"));
    SetWorkDir(*m_app, *m_registry, m_dir->filePath("work"));
    setAliases({{"REAL", TestSupport::realDistrictDir()}, {"okres", m_districtDir}});
    m_messages.clear();
    SetMessageDlgInterceptor([this](const QString& text, TMsgDlgType, TMsgDlgButtons) {
        m_messages << text;
        return int(mrYes);
    });
}

void TestKatDialog::cleanup()
{
    m_dialog.reset();
    SetMessageDlgInterceptor(nullptr);
}

void TestKatDialog::setAliases(const QList<QPair<QString, QString>>& districts)
{
    EngineAliases aliases(EngineAliases::defaultFilePath());
    aliases.add("PARADOX_DBF", "DBASE", {"PATH=" + m_root.path()});
    for (const auto& [name, dir] : districts)
        aliases.addStandard(name, dir);
    aliases.save();
    Engine::instance().aliases() = aliases;
}

TKatDialog& TestKatDialog::dialog(const QString& alias)
{
    m_dialog = std::make_unique<TKatDialog>(nullptr, m_app, alias);
    return *m_dialog;
}

void TestKatDialog::firstRunAndRememberedChoices()
{
    TKatDialog& d = dialog();
    QAbstractItemModelTester areasTester(d.DSKatastry());
    QAbstractItemModelTester municipalitiesTester(d.DSObce());
    auto* aliasCB = d.findChild<QComboBox*>("AliasCB");
    QStringList listed;
    for (int i = 0; i < aliasCB->count(); ++i)
        listed << aliasCB->itemText(i);
    // Only STANDARD aliases, sorted without regard to case; the first one is chosen.
    QCOMPARE(listed, QStringList({"okres", "REAL"}));
    QVERIFY(d.findChild<QCheckBox*>("PodleKat")->isChecked());
    QCOMPARE(d.windowTitle(), QString("Volba katastrálního území v okrese ZKUŠEBNÍ OKRES"));
    QCOMPARE(gridNames(d), kAreas);
    QCOMPARE(edit(d, "EditKU")->text() + "|" + edit(d, "FKatJCSJ")->text(), QString("A*|600004"));
    QCOMPARE(d.MunicipalityName(), QString("BETA"));
    // Moving in the grid or with the navigator shows the other area and its municipality.
    d.findChild<QTableView*>("Katastry")->setCurrentIndex(d.DSKatastry()->index(2, 0));
    QCOMPARE(edit(d, "EditKU")->text() + "|" + d.MunicipalityName(), QString("AB|ALFA"));
    d.DBNavigatorClick(TKatDialog::nbLast);
    QCOMPARE(edit(d, "FKUvOkr")->text(), QString("001"));
    QCOMPARE(d.findChild<QTableView*>("Katastry")->currentIndex().row(), kAreas.size() - 1);

    // The remembered district (found without regard to case) and area; an
    // area no longer in the catalogue leaves the first row, a lost district
    // gives the first one, silently.
    ISettings& settings = *m_app->Settings();
    settings.SetValue("KatDialog.Okres", "REAL");
    QCOMPARE(dialog().Alias(), QString("REAL"));
    settings.SetValue("KatDialog.Okres", "OKRES");
    settings.SetValue("KatDialog.Katastr", "A*B");
    QCOMPARE(dialog().QueryKatastry()->recNo(), 1);
    QCOMPARE(edit(*m_dialog, "EditKU")->text(), QString("A*B"));
    settings.SetValue("KatDialog.Katastr", "ZANIKLÉ ÚZEMÍ");
    QCOMPARE(edit(dialog(), "EditKU")->text(), QString("A*"));
    settings.SetValue("KatDialog.Okres", "ZRUŠENÝ");
    QCOMPARE(dialog().Alias(), QString("okres"));
    QVERIFY(m_messages.isEmpty());
    // The remembered mode applies without its click handler reloading twice.
    settings.SetValue("KatDialog.PodleKat", false);
    QVERIFY(!dialog().findChild<QCheckBox*>("PodleKat")->isChecked());
    QCOMPARE(m_dialog->DSObce()->rowCount(), 3);

    // A given alias is found without regard to case and used as the engine spells it.
    QCOMPARE(dialog("real").Alias(), QString("REAL"));
    QCOMPARE(TestSupport::refusal([&] { dialog("NIKDE"); }),
             QString("Alias okresu 'NIKDE' nebyl nalezen"));
    setAliases({});
    QCOMPARE(TestSupport::refusal([&] { dialog(); }),
             QString("Není nadefinován žádný databázový alias"));
}

void TestKatDialog::multiSelectionAndOkWithANumber()
{
    TKatDialog& d = dialog("okres");
    d.SetMultiSelect(true);
    // An unknown number keeps the dialog open with the text for correcting it;
    // with neither a number nor a chosen area there is nothing to confirm.
    QVERIFY(d.FormCloseQuery(QDialog::Rejected));
    edit(d, "FKUvOkr")->setText("999");
    d.OKBtnClick();
    QVERIFY(d.result() != QDialog::Accepted && d.DSKatastry()->rowCount() == 0);
    QCOMPARE(edit(d, "FKUvOkr")->text(), QString("999"));
    edit(d, "FKUvOkr")->clear();
    QVERIFY(!d.FormCloseQuery(QDialog::Accepted));

    d.EditKUKeyEnter(); // all areas again
    // Picked against the name order: the last, the first, then one in the middle.
    for (int row : {7, 0, 3})
        toggleRow(&d, row);
    QCOMPARE(d.SelectedAreaCount(), 3);
    QCOMPARE(edit(d, "EditKU")->text(), QString("ABC"));
    // A search in between hides rows but keeps them chosen.
    edit(d, "EditKU")->setText("č");
    d.EditKUKeyEnter();
    d.findChild<QTableView*>("Katastry")
        ->selectionModel()
        ->setCurrentIndex(d.DSKatastry()->index(0, 0), QItemSelectionModel::NoUpdate);
    QCOMPARE(d.SelectedAreaCount(), 3);

    edit(d, "FKUvOkr")->setText("005");
    d.OKBtnClick();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    const TKUInfo info = d.Result();
    QCOMPARE(QStringList({info.Katastr, info.Suffix, info.Kod, info.Alias, info.Obec}),
             QStringList({"ABC", "005", "600005", "okres", "BETA"}));
    QCOMPARE(d.SelectedOrdinals(), QList<int>({4, 5, 1}));
    toggleRow(&d, 0); // a second Ctrl-click un-chooses
    QCOMPARE(d.SelectedAreaCount(), 2);
}

void TestKatDialog::searchesTakeTypedTextAsData_data()
{
    QTest::addColumn<bool>("byNumber");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("names");
    // By name: lower case with diacritics finds the upper-case name; quotes
    // and stars typed by the user are characters of the name.
    QTest::newRow("lower case czech") << false << "černý" << QStringList{"ČERNÝ DŮL"};
    QTest::newRow("star is a letter") << false << "a*" << QStringList{"A*", "A*B"};
    QTest::newRow("quote is a letter") << false << "o'h" << QStringList{"O'HARA"};
    QTest::newRow("lone quote") << false << "'" << QStringList{};
    QTest::newRow("injection") << false << "x' or NAZEV > '" << QStringList{};
    QTest::newRow("lone star") << false << "*" << QStringList{};
    QTest::newRow("empty lists all") << false << "" << kAreas;
    // By number: the whole three-digit number, never a pattern.
    QTest::newRow("number") << true << "002" << QStringList{"A*B"};
    QTest::newRow("number star") << true << "00*" << QStringList{};
    QTest::newRow("number quote") << true << "0'1" << QStringList{};
    QTest::newRow("number unpadded") << true << "7" << QStringList{};
    QTest::newRow("number empty") << true << "" << QStringList{};
}

void TestKatDialog::searchesTakeTypedTextAsData()
{
    QFETCH(bool, byNumber);
    QFETCH(QString, typed);
    QFETCH(QStringList, names);
    TKatDialog& d = dialog("okres");
    QAbstractItemModelTester tester(d.DSKatastry());
    QLineEdit* field = edit(d, byNumber ? "FKUvOkr" : "EditKU");
    field->setText(typed);
    if (byNumber)
        d.FKUvOkrKeyEnter();
    else
        d.EditKUKeyEnter();
    QCOMPARE(gridNames(d), names);
    // Found: the first match is shown; not found: the typed text stays for correcting it.
    QCOMPARE(field->text(), names.isEmpty() || byNumber ? typed : names.first());
    QVERIFY(m_messages.isEmpty());
}

void TestKatDialog::municipalityMode()
{
    TKatDialog& d = dialog("okres");
    auto* podleKat = d.findChild<QCheckBox*>("PodleKat");
    podleKat->setChecked(false);
    d.PodleKatClick();
    QVERIFY(!edit(d, "EditKU")->isEnabled() && !edit(d, "FKUvOkr")->isEnabled());
    QCOMPARE(d.MunicipalityName(), QString("ALFA"));
    QCOMPARE(gridNames(d), QStringList({"A*B", "AB", "O'HARA"}));

    // The navigator moves the municipalities; the areas follow (prefix 01 to 99).
    d.DBNavigatorClick(TKatDialog::nbNext);
    QCOMPARE(gridNames(d), QStringList({"A*", "ABC", "BETA KONEC"}));
    QCOMPARE(edit(d, "FKUvOkr")->text(), QString("004"));
    // So does a click in the municipality grid.
    d.findChild<QTableView*>("Obce")->setCurrentIndex(d.DSObce()->index(2, 0));
    QCOMPARE(gridNames(d), QStringList({"ČERNÁ HORA", "ČERNÝ DŮL"}));
    d.findChild<QTableView*>("Katastry")->setCurrentIndex(d.DSKatastry()->index(1, 0));
    QCOMPARE(d.Result().Suffix + "|" + d.Result().Obec, QString("010|ČERNÁ"));

    // Back to the mode by area: all areas again, search fields enabled.
    podleKat->setChecked(true);
    d.PodleKatClick();
    QVERIFY(gridNames(d) == kAreas && edit(d, "EditKU")->isEnabled());
}

void TestKatDialog::enterSearchesWhileSearchFieldHasFocus()
{
    TKatDialog& d = dialog("okres");
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    auto* ok = d.findChild<QPushButton*>("OKBtn");
    QVERIFY(ok->isDefault());
    QFocusEvent in(QEvent::FocusIn);
    QCoreApplication::sendEvent(edit(d, "EditKU"), &in);
    QVERIFY(!ok->isDefault());
    edit(d, "EditKU")->setText("ab");
    QTest::keyClick(edit(d, "EditKU"), Qt::Key_Return);
    QCOMPARE(gridNames(d), QStringList({"AB", "ABC"}));
    QVERIFY(d.isVisible() && d.result() != QDialog::Accepted);
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(edit(d, "EditKU"), &out);
    QVERIFY(ok->isDefault());
    d.hide();
}

void TestKatDialog::openThreeAreasThroughMainWindow()
{
    TMainOrvForm form(m_app, m_registry, ProgramEntries());
    onNextModal([](QWidget* w) {
        chooseAlias(static_cast<TKatDialog*>(w), "REAL");
        static_cast<TKatDialog*>(w)->KatastryDblClick();
    });
    form.KUOpenClick();
    QCOMPARE(form.KUList().size(), 1);

    int before = 0, after = 0;
    QSize resized;
    onNextModal([&](QWidget* w) {
        auto* k = static_cast<TKatDialog*>(w);
        QCOMPARE(k->Alias(), QString("REAL")); // remembered from the first run
        chooseAlias(k, "okres");
        auto* grid = k->findChild<QTableView*>("Katastry");
        before = grid->height();
        k->resize(k->width() + 200, k->height() + 240); // the grids grow with it
        QApplication::processEvents();
        after = grid->height();
        resized = k->size();
        for (int row : {2, 0})
            toggleRow(k, row);
        k->OKBtnClick();
    });
    form.KUOpenClick();
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('|')));
    QVERIFY2(before > 0 && after > before + 100, qPrintable(QString::number(after)));

    QStringList opened;
    for (const TKUInfo& ku : form.KUList())
        opened << ku.Alias + "/" + ku.Suffix + " " + ku.Katastr + ", " + ku.Okres;
    QCOMPARE(opened, QStringList({"REAL/001 SALADÍN, PRACHATICE", "okres/004 A*, ZKUŠEBNÍ OKRES",
                                  "okres/003 AB, ZKUŠEBNÍ OKRES"}));
    QCOMPARE(form.CurrentKU().Suffix, QString("003"));

    // The district, the area under the cursor, the mode and the size are
    // remembered for the next run; Cancel opens nothing.
    ISettings& settings = *m_app->Settings();
    QCOMPARE(settings.GetValue("KatDialog.Okres", QString()).toString(), "okres");
    QCOMPARE(settings.GetValue("KatDialog.PodleKat", false).toBool(), true);
    QCOMPARE(edit(dialog(), "EditKU")->text(), QString("A*"));
    QCOMPARE(dialog().size(), resized);
    onNextModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    form.KUOpenClick();
    QCOMPARE(form.KUList().size(), 3);
}

void TestKatDialog::brokenCatalogueReachesUserAndNothingOpens()
{
    setAliases(
        {{"BEZKATALOGU", m_brokenDir}, {"POSKOZENY", m_damagedDir}, {"okres", m_districtDir}});
    const QString missing = TestSupport::refusal([&] { dialog("BEZKATALOGU"); });
    const QString damaged = TestSupport::refusal([&] { dialog("POSKOZENY"); });
    QVERIFY2(missing.contains("NYSKATAL") && damaged.contains("NYSKATAL"), qPrintable(damaged));

    // Through the main window: the message is shown, the dialog stays usable,
    // nothing is opened; a good district can be chosen afterwards.
    TMainOrvForm form(m_app, m_registry, ProgramEntries());
    m_app->Settings()->SetValue("KatDialog.Okres", "POSKOZENY");
    bool emptyDialog = false;
    onNextModal([&](QWidget* w) {
        auto* k = static_cast<TKatDialog*>(w);
        emptyDialog = !k->AliasLoaded() && !k->findChild<QTableView*>("Katastry")->isEnabled();
        k->OKBtnClick(); // nothing to confirm: stays open
        QVERIFY(k->isVisible());
        k->reject();
    });
    form.KUOpenClick();
    QVERIFY(emptyDialog);
    QCOMPARE(m_messages, QStringList({WithFullStop(damaged)}));
    QVERIFY(form.KUList().isEmpty());

    onNextModal([](QWidget* w) {
        auto* combo = w->findChild<QComboBox*>("AliasCB");
        for (const char* alias : {"BEZKATALOGU", "okres"}) { // as the user picks them
            combo->setCurrentIndex(combo->findText(alias));
            emit combo->activated(combo->currentIndex());
        }
        static_cast<TKatDialog*>(w)->OKBtnClick();
    });
    form.KUOpenClick();
    // The remembered damaged district is reported again, then the one picked.
    QCOMPARE(m_messages,
             QStringList({WithFullStop(damaged), WithFullStop(damaged), WithFullStop(missing)}));
    QCOMPARE(form.KUList().size(), 1);
    QCOMPARE(form.CurrentKU().Alias, QString("okres"));
}

void TestKatDialog::aliasManagerChecksAndKeepsOrder()
{
    TAliasManagerDialog manager(nullptr, m_app, "okres");
    QAbstractItemModelTester tester(manager.Model());
    const auto names = [] { return DistrictCatalogue::districtAliases().join(','); };
    manager.AddAlias("DRUHÝ", m_districtDir + "/");
    QCOMPARE(names(), QString("REAL,okres,DRUHÝ"));
    QCOMPARE(manager.CurrentAlias(), QString("DRUHÝ"));
    QCOMPARE(Engine::instance().aliases().path("DRUHÝ"), QDir::cleanPath(m_districtDir));

    const QList<std::function<void()>> refused{
        [&] { manager.AddAlias("bez", m_brokenDir); },
        [&] { manager.AddAlias("poskozeny", m_damagedDir); },
        [&] { manager.AddAlias("nikde", m_root.filePath("nonexistent")); },
        [&] { manager.AddAlias("Okres", m_districtDir); },
        [&] { manager.AddAlias("A:B", m_districtDir); },
        [&] { manager.AddAlias("C/D", m_districtDir); },
        [&] { manager.AddAlias("  ", m_districtDir); },
        [&] { manager.RenameAlias("DRUHÝ", "real"); },
        [&] { manager.RenameAlias("PARADOX_DBF", "X"); },
        [&] { manager.RepointAlias("DRUHÝ", m_damagedDir); },
        [&] { manager.RemoveAlias("NEEXISTUJE"); }};
    for (const auto& change : refused)
        QVERIFY_THROWS_EXCEPTION(ETalvekException, change());
    QCOMPARE(names(), QString("REAL,okres,DRUHÝ"));
    QCOMPARE(Engine::instance().aliases().path("DRUHÝ"), QDir::cleanPath(m_districtDir));

    manager.RenameAlias("okres", "UKÁZKA");
    QCOMPARE(names(), QString("REAL,UKÁZKA,DRUHÝ"));
    QCOMPARE(manager.CurrentAlias(), QString("UKÁZKA"));
    manager.RepointAlias("DRUHÝ", TestSupport::realDistrictDir());
    // The silent lookup follows the new directory; an unknown number or alias finds nothing.
    TKUInfo found;
    QVERIFY(DistrictCatalogue::lookup("DRUHÝ", "001", found));
    QCOMPARE(found.Katastr + "|" + found.Obec + "|" + found.Okres,
             QString("SALADÍN|ZÁBLATÍ|PRACHATICE"));
    QVERIFY(!DistrictCatalogue::lookup("DRUHÝ", "002", found));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, DistrictCatalogue::lookup("NIKDE", "001", found));
    manager.RemoveAlias("UKÁZKA");
    QCOMPARE(names(), QString("REAL,DRUHÝ"));
    QCOMPARE(manager.Model()->rowCount(), 2);
    // Saved at once, the alias of another driver still there, in its place.
    EngineAliases all(EngineAliases::defaultFilePath());
    all.load();
    QCOMPARE(all.names(), QStringList({"PARADOX_DBF", "REAL", "DRUHÝ"}));

    // Removing through the button asks first; "No" keeps the alias.
    manager.SelectAlias("REAL");
    m_messages.clear();
    SetMessageDlgInterceptor([this](const QString& text, TMsgDlgType, TMsgDlgButtons) {
        m_messages << text;
        return int(mrNo);
    });
    manager.RemoveBtnClick();
    QCOMPARE(m_messages, QStringList({"Odebrat alias okresu 'REAL'?"}));
    QCOMPARE(names(), QString("REAL,DRUHÝ"));
}

void TestKatDialog::noAliasOffersManagerAndThenOpens()
{
    setAliases({});
    onNextModal([](QWidget* w) {
        static_cast<TAliasManagerDialog*>(w)->AddAlias("SALADIN", TestSupport::realDistrictDir());
        static_cast<QDialog*>(w)->accept();
        onNextModal([](QWidget* w) {
            // The number alone is enough; it goes into the collection.
            w->findChild<QLineEdit*>("FKUvOkr")->setText("001");
            static_cast<TKatDialog*>(w)->OKBtnClick();
        });
    });
    TKUInfo info;
    bool intoWindow = true;
    std::shared_ptr<ICollection> ordinals = CoCollection::Create();
    QVERIFY(TKatDialog::Execute(nullptr, m_app, info, ordinals, intoWindow) && !intoWindow);
    QCOMPARE(m_messages, QStringList({"Není nadefinován žádný databázový alias."}));
    QCOMPARE(info.Alias + "|" + info.Katastr, QString("SALADIN|SALADÍN"));
    QCOMPARE(ordinals->Count(), 1);
    QCOMPARE(ordinals->Item(0).toInt(), 1);

    // Closing the manager without defining one ends the command quietly.
    setAliases({});
    onNextModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    QVERIFY(!TKatDialog::Execute(nullptr, m_app, info, ordinals, intoWindow));
}

void TestKatDialog::toolChecksAndListsCatalogue()
{
    // By alias from the sandbox configuration, or by directory.
    const auto run = [](const QString& arg, QString& out) {
        QProcess tool;
        tool.start(TestSupport::orvToolPath(), {"katalog", arg});
        tool.waitForFinished(30000);
        out = QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
        return tool.exitCode();
    };
    QString out;
    QCOMPARE(run("okres", out), 0);
    QVERIFY(out.contains("okres\t000\t00000\t003999\tZKUŠEBNÍ OKRES"));
    const qsizetype first = out.indexOf("\tA*\n"), last = out.indexOf("\tO'HARA\n");
    QVERIFY2(first > 0 && first < last, qPrintable(out)); // in name order, not by number
    QVERIFY(run(m_damagedDir, out) != 0 && out.contains("NYSKATAL", Qt::CaseInsensitive));
    QVERIFY(run(m_brokenDir, out) != 0 && out.contains("není katalog okresu"));
}

void TestKatDialog::catalogueWithoutWindow_data()
{
    // "alias/ordinal"; an area found as "area|municipality|district|code",
    // "" not found, "!" refused.
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("found");
    const auto row = [](const char* name, const char* where, const char* found) {
        QTest::newRow(name) << QString::fromUtf8(where) << QString::fromUtf8(found);
    };
    row("first", "okres/001", "O'HARA|ALFA|ZKUŠEBNÍ OKRES|600001");
    row("last municipality", "okres/010", "ČERNÝ DŮL|ČERNÁ|ZKUŠEBNÍ OKRES|600008");
    row("alias in any case", "OKRES/006", "BETA KONEC|BETA|ZKUŠEBNÍ OKRES|600006");
    row("district row is no area", "okres/000", "");
    row("star is a character", "okres/00*", "");
    row("quote is data", "okres/0'1", "");
    row("unknown alias", "NIKDE/001", "!");
    row("damaged catalogue", "POSKOZENY/001", "!");
}

void TestKatDialog::catalogueWithoutWindow()
{
    QFETCH(QString, where);
    QFETCH(QString, found);
    setAliases({{"okres", m_districtDir}, {"POSKOZENY", m_damagedDir}});
    TKUInfo info{"A", "", "", "", "S", ""};
    QString got;
    try {
        if (DistrictCatalogue::lookup(where.section('/', 0, 0), where.section('/', 1), info))
            got = info.Katastr + "|" + info.Obec + "|" + info.Okres + "|" + info.Kod;
    } catch (const ETalvekException&) {
        got = "!";
    }
    QCOMPARE(got, found);
    QCOMPARE(info.Alias + info.Suffix, QString("AS")); // never touched
    if (found.isEmpty() || found == "!")
        QCOMPARE(info.Katastr, QString());
}

void TestKatDialog::rememberedChoice()
{
    // The dialog's choice, then a district made by an import: it starts on
    // that district's first area and keeps the mode.
    ISettings& settings = *m_app->Settings();
    DistrictCatalogue::rememberChoice(settings, {"REAL", "SALADÍN", false});
    DistrictCatalogue::rememberDistrict(settings, "NOVÝ");
    const DistrictCatalogue::Choice choice = DistrictCatalogue::rememberedChoice(settings);
    QCOMPARE(choice.alias + "|" + choice.area, QString("NOVÝ|"));
    QVERIFY(!choice.byArea);
    QCOMPARE(DistrictCatalogue::ordinalsInNameOrder("okres",
                                                    {DistrictCatalogue::areaKey("00101", "001"),
                                                     DistrictCatalogue::areaKey("00201", "004"),
                                                     DistrictCatalogue::areaKey("00101", "004")}),
             QList<int>({4, 1})); // A* before O'HARA; a key of no row is ignored
}

QTEST_MAIN(TestKatDialog)
#include "tst_katdialog.moc"
