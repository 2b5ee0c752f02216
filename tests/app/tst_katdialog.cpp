// The catalogue dialog: first run and remembered choices, the two modes, the
// searches (typed text is data), multiple selection, the silent lookup,
// opening areas through the main window, broken districts, and the alias
// manager that defines districts from inside the program.
#include "common/TestSupport.h"
#include "widgets/MessageDlg.h"
#include "app/TAliasListModel.h"
#include "app/TAliasManagerDialog.h"
#include "app/TKatDialog.h"
#include "app/ProgramEntries.h"
#include "app/TMainOrvForm.h"
#include "app/core/CoCollection.h"
#include "base/ETalvekException.h"
#include "app/core/RegistryKeys.h"
#include "app/core/StartupCheck.h"
#include "app/core/TApp.h"
#include "data/DemoDistrictGenerator.h"
#include "db/CzechCollation.h"
#include "db/DatasetModel.h"
#include "db/Engine.h"
#include "db/EngineAliases.h"
#include "db/Table.h"
#include "db/paradox/ParadoxTable.h"

#include <QApplication>
#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct CatRow
{
    QString katuz, identcis, porcis, nazev;
};

// The catalogue read straight from the file, without the engine.
QList<CatRow> readCatalogue(const QString& dir)
{
    ParadoxReader reader(ParadoxFiles::resolveCaseInsensitive(dir, "NYSKATAL.DB"));
    QList<CatRow> rows;
    for (const QVariantList& r : reader.readAll())
        rows.append({r[0].toString(), r[1].toString(), r[2].toString(), r[3].toString()});
    return rows;
}

QList<CatRow> areasByName(const QList<CatRow>& rows)
{
    QList<CatRow> areas;
    for (const CatRow& r : rows)
        if (r.porcis > "000")
            areas.append(r);
    std::stable_sort(areas.begin(), areas.end(), [](const CatRow& a, const CatRow& b) {
        return CzechCollation::compare(a.nazev, b.nazev) < 0;
    });
    return areas;
}

QString nameOf(const QList<CatRow>& rows, const QString& katuz)
{
    for (const CatRow& r : rows)
        if (r.katuz == katuz)
            return r.nazev;
    return QString();
}

ParadoxField alpha(const char* name, int size)
{
    return {name, ParadoxFieldType::Alpha, size};
}

// A district whose area names carry quotes and stars, three municipalities.
void writeSpecialDistrict(const QString& dir)
{
    QDir().mkpath(dir);
    const QList<QVariantList> rows{{"00000", "003999", "000", "ZKUŠEBNÍ OKRES"},
                                   {"00100", "530001", "000", "ALFA"},
                                   {"00200", "530002", "000", "BETA"},
                                   {"00300", "530003", "000", "ČERNÁ"},
                                   {"00101", "600001", "001", "O'HARA"},
                                   {"00102", "600002", "002", "A*B"},
                                   {"00103", "600003", "003", "AB"},
                                   {"00201", "600004", "004", "A*"},
                                   {"00202", "600005", "005", "ABC"},
                                   {"00299", "600006", "006", "BETA KONEC"},
                                   {"00301", "600007", "007", "ČERNÁ HORA"},
                                   {"00302", "600008", "010", "ČERNÝ DŮL"}};
    ParadoxWriter::writeTable(
        dir + "/NYSKATAL.DB",
        {alpha("KATUZ", 5), alpha("IDENTCIS", 6), alpha("PORCIS", 3), alpha("NAZEV", 30)}, 1, rows);
}

QStringList gridNames(TKatDialog& d)
{
    QStringList names;
    for (int row = 0; row < d.DSKatastry()->rowCount(); ++row)
        names << d.DSKatastry()->index(row, 0).data().toString();
    return names;
}
} // namespace

class TestKatDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void firstRunWithoutSettings();
    void noDistrictAliasOrUnknownAlias();
    void rememberedAliasAreaAndMode();
    void multiSelectionInCatalogueOrder();
    void okWithOnlyANumber();
    void searchesTakeTypedTextAsData_data();
    void searchesTakeTypedTextAsData();
    void municipalityMode();
    void enterSearchesWhileSearchFieldHasFocus();
    void lookupFindsOrLeavesOutputsAlone();
    void executeStoresChoiceForNextRun();
    void openThreeAreasThroughMainWindow();
    void brokenCatalogueReachesUserAndNothingOpens();
    void aliasManagerChecksAndKeepsOrder();
    void noAliasOffersManagerAndThenOpens();
    void toolChecksAndListsCatalogue();

private:
    TKatDialog& dialog(const QString& alias = QString());
    void setAliases(const QList<QPair<QString, QString>>& districts);
    // Runs `handle` on the next modal window of that name once it shows.
    void onModal(const QString& objectName, const std::function<void(QWidget*)>& handle);
    QLineEdit* edit(TKatDialog& d, const char* name) { return d.findChild<QLineEdit*>(name); }
    QTableView* grid(TKatDialog& d, const char* name) { return d.findChild<QTableView*>(name); }

    QTemporaryDir m_root;
    QString m_demoDir, m_specialDir, m_brokenDir, m_damagedDir;
    QList<CatRow> m_demo, m_special, m_real;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<TRegistry> m_registry;
    std::shared_ptr<TApp> m_app;
    std::unique_ptr<TKatDialog> m_dialog;
    QStringList m_messages;
    bool m_modalMissed = false;
};

void TestKatDialog::initTestCase()
{
    m_demoDir = m_root.filePath("demo");
    DemoDistrictGenerator({DemoDistrictGenerator::Size::Small, 1}).generate(m_demoDir);
    m_specialDir = m_root.filePath("special");
    writeSpecialDistrict(m_specialDir);
    m_brokenDir = m_root.filePath("broken");
    QDir().mkpath(m_brokenDir);
    m_damagedDir = m_root.filePath("damaged");
    QDir().mkpath(m_damagedDir);
    QFile damaged(m_damagedDir + "/NYSKATAL.DB");
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(3000, '\x7f'));
    damaged.close();
    m_demo = readCatalogue(m_demoDir);
    m_special = readCatalogue(m_specialDir);
    m_real = readCatalogue(TestSupport::realDistrictDir());
    QVERIFY(areasByName(m_demo).size() >= 3);
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
    setAliases(
        {{"REAL", TestSupport::realDistrictDir()}, {"demo", m_demoDir}, {"SPECIAL", m_specialDir}});
    m_messages.clear();
    m_modalMissed = false;
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

void TestKatDialog::onModal(const QString& objectName, const std::function<void(QWidget*)>& handle)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QElapsedTimer* waited = new QElapsedTimer;
    waited->start();
    QObject::connect(timer, &QTimer::timeout, [this, timer, waited, objectName, handle] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->objectName() == objectName && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            delete waited;
            handle(modal);
        } else if (waited->elapsed() > 5000) {
            timer->stop();
            timer->deleteLater();
            delete waited;
            m_modalMissed = true;
            if (modal)
                static_cast<QDialog*>(modal)->reject();
        }
    });
    timer->start();
}

void TestKatDialog::firstRunWithoutSettings()
{
    TKatDialog& d = dialog();
    QAbstractItemModelTester areasTester(d.DSKatastry());
    QAbstractItemModelTester municipalitiesTester(d.DSObce());
    auto* aliasCB = d.findChild<QComboBox*>("AliasCB");
    QStringList listed;
    for (int i = 0; i < aliasCB->count(); ++i)
        listed << aliasCB->itemText(i);
    // Only STANDARD aliases, sorted without regard to case; the first one is chosen.
    QCOMPARE(listed, QStringList({"demo", "REAL", "SPECIAL"}));
    QCOMPARE(d.Alias(), QString("demo"));
    QVERIFY(d.findChild<QCheckBox*>("PodleKat")->isChecked());
    QCOMPARE(d.windowTitle(), "Volba katastrálního území v okrese " + nameOf(m_demo, "00000"));

    const QList<CatRow> areas = areasByName(m_demo);
    QCOMPARE(d.DSKatastry()->rowCount(), areas.size());
    const CatRow& first = areas.first();
    QCOMPARE(edit(d, "EditKU")->text(), first.nazev);
    QCOMPARE(edit(d, "FKatJCSJ")->text(), first.identcis);
    QCOMPARE(d.MunicipalityName(), nameOf(m_demo, first.katuz.left(3) + "00"));

    // Moving in the grid shows the other area and its municipality.
    grid(d, "Katastry")->setCurrentIndex(d.DSKatastry()->index(2, 0));
    QCOMPARE(edit(d, "EditKU")->text(), areas[2].nazev);
    QCOMPARE(d.MunicipalityName(), nameOf(m_demo, areas[2].katuz.left(3) + "00"));
    d.DBNavigatorClick(TKatDialog::nbFirst);
    QCOMPARE(edit(d, "FKUvOkr")->text(), first.porcis);
    d.DBNavigatorClick(TKatDialog::nbLast);
    QCOMPARE(edit(d, "FKUvOkr")->text(), areas.last().porcis);
    QCOMPARE(grid(d, "Katastry")->currentIndex().row(), areas.size() - 1);
}

void TestKatDialog::noDistrictAliasOrUnknownAlias()
{
    setAliases({});
    QCOMPARE(TestSupport::refusal([&] { dialog(); }),
             QString("Není nadefinován žádný databázový alias"));
    setAliases({{"REAL", TestSupport::realDistrictDir()}});
    QCOMPARE(TestSupport::refusal([&] { dialog("NIKDE"); }),
             QString("Alias okresu 'NIKDE' nebyl nalezen"));
    // A given alias is found without regard to case and used as the engine spells it.
    QCOMPARE(dialog("real").Alias(), QString("REAL"));
}

void TestKatDialog::rememberedAliasAreaAndMode()
{
    const QList<CatRow> areas = areasByName(m_demo);
    ISettings& settings = *m_app->Settings();
    settings.SetValue("KatDialog.Okres", "DEMO");
    settings.SetValue("KatDialog.Katastr", areas[1].nazev);
    TKatDialog& d = dialog();
    QCOMPARE(d.Alias(), QString("demo"));
    QCOMPARE(d.QueryKatastry()->recNo(), 1);
    QCOMPARE(edit(d, "EditKU")->text(), areas[1].nazev);

    // A name no longer in the catalogue leaves the first row; a lost alias gives the first.
    settings.SetValue("KatDialog.Okres", "SPECIAL");
    settings.SetValue("KatDialog.Katastr", "ZANIKLÉ ÚZEMÍ");
    QCOMPARE(edit(dialog(), "EditKU")->text(), areasByName(m_special).first().nazev);
    settings.SetValue("KatDialog.Okres", "ZRUŠENÝ");
    QCOMPARE(dialog().Alias(), QString("demo"));
    QVERIFY(m_messages.isEmpty());

    // The remembered mode applies without its click handler reloading twice.
    settings.SetValue("KatDialog.PodleKat", false);
    TKatDialog& byMunicipality = dialog();
    QVERIFY(!byMunicipality.findChild<QCheckBox*>("PodleKat")->isChecked());
    QVERIFY(byMunicipality.DSObce()->rowCount() > 1);
}

void TestKatDialog::multiSelectionInCatalogueOrder()
{
    const QList<CatRow> areas = areasByName(m_special);
    TKatDialog& d = dialog("SPECIAL");
    d.SetMultiSelect(true);
    QItemSelectionModel* selection = grid(d, "Katastry")->selectionModel();
    auto ctrlClick = [&](int row) {
        selection->setCurrentIndex(d.DSKatastry()->index(row, 0),
                                   QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
    };
    // Picked against the name order: the last, the first, then one in the middle.
    ctrlClick(areas.size() - 1);
    ctrlClick(0);
    ctrlClick(3);
    QCOMPARE(d.SelectedAreaCount(), 3);
    QCOMPARE(edit(d, "EditKU")->text(), areas[3].nazev);

    // A search in between hides rows but keeps them chosen.
    edit(d, "EditKU")->setText("č");
    d.EditKUKeyEnter();
    QCOMPARE(d.SelectedAreaCount(), 3);
    selection->setCurrentIndex(d.DSKatastry()->index(0, 0), QItemSelectionModel::NoUpdate);
    QCOMPARE(d.SelectedAreaCount(), 3);
    edit(d, "FKUvOkr")->setText(areas[3].porcis);
    d.OKBtnClick();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    const TKUInfo info = d.Result();
    QCOMPARE(info.Katastr, areas[3].nazev);
    QCOMPARE(info.Suffix, areas[3].porcis);
    QCOMPARE(info.Kod, areas[3].identcis);
    QCOMPARE(info.Alias, QString("SPECIAL"));
    QCOMPARE(d.SelectedOrdinals(), QList<int>({areas[0].porcis.toInt(), areas[3].porcis.toInt(),
                                               areas.last().porcis.toInt()}));

    // Un-choosing one with a second Ctrl-click drops it.
    ctrlClick(0);
    QCOMPARE(d.SelectedAreaCount(), 2);
}

void TestKatDialog::okWithOnlyANumber()
{
    TKatDialog& d = dialog("SPECIAL");
    d.SetMultiSelect(true);
    QVERIFY(d.FormCloseQuery(QDialog::Rejected));
    edit(d, "FKUvOkr")->setText("999");
    d.OKBtnClick();
    QVERIFY(d.result() != QDialog::Accepted);
    QCOMPARE(d.DSKatastry()->rowCount(), 0);
    QCOMPARE(edit(d, "FKUvOkr")->text(), QString("999"));
    edit(d, "FKUvOkr")->clear();
    QVERIFY(!d.FormCloseQuery(QDialog::Accepted));

    edit(d, "FKUvOkr")->setText("005");
    d.OKBtnClick();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(d.Result().Katastr, QString("ABC"));
    QCOMPARE(d.Result().Kod, QString("600005"));
    QCOMPARE(d.MunicipalityName(), QString("BETA"));
    QVERIFY(d.SelectedOrdinals().isEmpty());
}

void TestKatDialog::searchesTakeTypedTextAsData_data()
{
    QTest::addColumn<bool>("byNumber");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("names");
    const QStringList all{"A*",         "A*B",        "AB",        "ABC",
                          "BETA KONEC", "ČERNÁ HORA", "ČERNÝ DŮL", "O'HARA"};
    // By name: lower case with diacritics finds the upper-case name; quotes
    // and stars typed by the user are characters of the name.
    QTest::newRow("lower case czech") << false << "černý" << QStringList{"ČERNÝ DŮL"};
    QTest::newRow("star is a letter") << false << "a*" << QStringList{"A*", "A*B"};
    QTest::newRow("quote is a letter") << false << "o'h" << QStringList{"O'HARA"};
    QTest::newRow("lone quote") << false << "'" << QStringList{};
    QTest::newRow("injection") << false << "x' or NAZEV > '" << QStringList{};
    QTest::newRow("lone star") << false << "*" << QStringList{};
    QTest::newRow("empty lists all") << false << "" << all;
    // By number: the whole three-digit number, never a pattern.
    QTest::newRow("number") << true << "002" << QStringList{"A*B"};
    QTest::newRow("number star") << true << "00*" << QStringList{};
    QTest::newRow("number only star") << true << "*" << QStringList{};
    QTest::newRow("number quote") << true << "0'1" << QStringList{};
    QTest::newRow("number unpadded") << true << "7" << QStringList{};
    QTest::newRow("number empty") << true << "" << QStringList{};
}

void TestKatDialog::searchesTakeTypedTextAsData()
{
    QFETCH(bool, byNumber);
    QFETCH(QString, typed);
    QFETCH(QStringList, names);
    TKatDialog& d = dialog("SPECIAL");
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
    TKatDialog& d = dialog("SPECIAL");
    auto* podleKat = d.findChild<QCheckBox*>("PodleKat");
    podleKat->setChecked(false);
    d.PodleKatClick();
    QVERIFY(d.AliasLoaded());
    QCOMPARE(d.DSObce()->rowCount(), 3);
    QVERIFY(!edit(d, "EditKU")->isEnabled() && !edit(d, "FKUvOkr")->isEnabled());
    QCOMPARE(d.MunicipalityName(), QString("ALFA"));
    QCOMPARE(gridNames(d), QStringList({"A*B", "AB", "O'HARA"}));
    QCOMPARE(edit(d, "EditKU")->text(), QString("A*B"));

    // The navigator moves the municipalities; the areas follow (prefix 01 to 99).
    d.DBNavigatorClick(TKatDialog::nbNext);
    QCOMPARE(d.MunicipalityName(), QString("BETA"));
    QCOMPARE(gridNames(d), QStringList({"A*", "ABC", "BETA KONEC"}));
    QCOMPARE(edit(d, "FKUvOkr")->text(), QString("004"));
    // So does a click in the municipality grid.
    grid(d, "Obce")->setCurrentIndex(d.DSObce()->index(2, 0));
    QCOMPARE(d.MunicipalityName(), QString("ČERNÁ"));
    QCOMPARE(gridNames(d), QStringList({"ČERNÁ HORA", "ČERNÝ DŮL"}));
    grid(d, "Katastry")->setCurrentIndex(d.DSKatastry()->index(1, 0));
    QCOMPARE(d.Result().Suffix, QString("010"));
    QCOMPARE(d.Result().Obec, QString("ČERNÁ"));

    // Back to the mode by area: all areas again, search fields enabled.
    podleKat->setChecked(true);
    d.PodleKatClick();
    QCOMPARE(d.DSKatastry()->rowCount(), 8);
    QVERIFY(edit(d, "EditKU")->isEnabled());
    QCOMPARE(d.DSObce()->rowCount(), 1);

    // The real district: one municipality with its one area.
    m_app->Settings()->SetValue("KatDialog.Okres", "REAL");
    m_app->Settings()->SetValue("KatDialog.PodleKat", false);
    TKatDialog& real = dialog();
    QCOMPARE(real.MunicipalityName(), QString("ZÁBLATÍ"));
    QCOMPARE(gridNames(real), QStringList({"SALADÍN"}));
    QCOMPARE(real.Result().Suffix, QString("001"));
}

void TestKatDialog::enterSearchesWhileSearchFieldHasFocus()
{
    TKatDialog& d = dialog("SPECIAL");
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
    QVERIFY(d.isVisible());
    QVERIFY(d.result() != QDialog::Accepted);
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(edit(d, "EditKU"), &out);
    QVERIFY(ok->isDefault());

    edit(d, "FKUvOkr")->setText("006");
    QTest::keyClick(edit(d, "FKUvOkr"), Qt::Key_Enter);
    QCOMPARE(gridNames(d), QStringList({"BETA KONEC"}));
    QVERIFY(d.isVisible());
    d.hide();
}

void TestKatDialog::lookupFindsOrLeavesOutputsAlone()
{
    TKUInfo info{"REAL", "x", "y", "z", "001", "k"};
    QVERIFY(TKatDialog::Lookup(m_app, "REAL", "001", info));
    QCOMPARE(info.Okres, QString("PRACHATICE"));
    QCOMPARE(info.Obec, QString("ZÁBLATÍ"));
    QCOMPARE(info.Katastr, QString("SALADÍN"));
    QCOMPARE(info.Kod, QString("789160"));
    QCOMPARE(info.Alias, QString("REAL"));

    // Even when the remembered mode is by municipality.
    m_app->Settings()->SetValue("KatDialog.PodleKat", false);
    const CatRow area = areasByName(m_demo).last();
    TKUInfo demo;
    QVERIFY(TKatDialog::Lookup(m_app, "demo", area.porcis, demo));
    QCOMPARE(demo.Katastr, area.nazev);
    QCOMPARE(demo.Kod, area.identcis);
    QCOMPARE(demo.Obec, nameOf(m_demo, area.katuz.left(3) + "00"));

    const TKUInfo before{"DEMO", "a", "b", "c", "999", "d"};
    TKUInfo missing = before;
    QVERIFY(!TKatDialog::Lookup(m_app, "demo", "999", missing));
    QVERIFY(!TKatDialog::Lookup(m_app, "REAL", "002", missing));
    QVERIFY(missing.Okres == before.Okres && missing.Obec == before.Obec &&
            missing.Katastr == before.Katastr && missing.Kod == before.Kod);
    QVERIFY_THROWS_EXCEPTION(ETalvekException, TKatDialog::Lookup(m_app, "NIKDE", "001", info));
    // A dialog never shown stores no position.
    int x = 0, y = 0;
    QVERIFY(!m_app->ReadDialogPos("KatDialog", x, y));
}

void TestKatDialog::executeStoresChoiceForNextRun()
{
    const QList<CatRow> areas = areasByName(m_demo);
    QList<int> gridHeights;
    QSize resized;
    onModal("KatDialog", [&](QWidget* w) {
        auto* k = static_cast<TKatDialog*>(w);
        auto* combo = k->findChild<QComboBox*>("AliasCB");
        combo->setCurrentIndex(combo->findText("demo"));
        k->AliasCBClick();
        auto* grid = k->findChild<QTableView*>("Katastry");
        gridHeights << grid->height();
        k->resize(k->width() + 200, k->height() + 240); // the grids grow with it
        QApplication::processEvents();
        gridHeights << grid->height();
        resized = k->size();
        grid->setCurrentIndex(k->DSKatastry()->index(2, 0));
        k->KatastryDblClick();
    });
    m_app->Settings()->SetValue("KatDialog.Okres", "SPECIAL");
    TKUInfo info;
    bool intoWindow = false;
    QVERIFY(TKatDialog::Execute(nullptr, m_app, info, nullptr, intoWindow));
    QVERIFY(!m_modalMissed);
    QCOMPARE(info.Katastr, areas[2].nazev);
    QCOMPARE(info.Suffix, areas[2].porcis);
    QCOMPARE(info.Okres, nameOf(m_demo, "00000"));
    QCOMPARE(m_app->Settings()->GetValue("KatDialog.Okres", QString()).toString(), "demo");
    QCOMPARE(m_app->Settings()->GetValue("KatDialog.Katastr", QString()).toString(),
             areas[2].nazev);
    QCOMPARE(m_app->Settings()->GetValue("KatDialog.PodleKat", false).toBool(), true);
    int x = 0, y = 0;
    QVERIFY(m_app->ReadDialogPos("KatDialog", x, y));
    QCOMPARE(gridHeights.size(), 2);
    QVERIFY(gridHeights[1] > gridHeights[0] + 100);
    // The next run opens there, in the size the user gave it.
    QCOMPARE(edit(dialog(), "EditKU")->text(), areas[2].nazev);
    QCOMPARE(dialog().size(), resized);

    // Cancel returns false and stores nothing new.
    onModal("KatDialog", [](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    QVERIFY(!TKatDialog::Execute(nullptr, m_app, info, nullptr, intoWindow));
}

void TestKatDialog::openThreeAreasThroughMainWindow()
{
    TMainOrvForm form(m_app, m_registry, ProgramEntries());
    onModal("KatDialog", [](QWidget* w) {
        auto* k = static_cast<TKatDialog*>(w);
        auto* combo = k->findChild<QComboBox*>("AliasCB");
        combo->setCurrentIndex(combo->findText("REAL"));
        k->AliasCBClick();
        k->OKBtnClick();
    });
    form.KUOpenClick();
    QCOMPARE(form.KUList().size(), 1);

    const QList<CatRow> areas = areasByName(m_demo);
    onModal("KatDialog", [](QWidget* w) {
        auto* k = static_cast<TKatDialog*>(w);
        QCOMPARE(k->Alias(), QString("REAL")); // remembered from the first run
        auto* combo = k->findChild<QComboBox*>("AliasCB");
        combo->setCurrentIndex(combo->findText("demo"));
        k->AliasCBClick();
        QItemSelectionModel* sel = k->findChild<QTableView*>("Katastry")->selectionModel();
        for (int row : {2, 0})
            sel->setCurrentIndex(k->DSKatastry()->index(row, 0),
                                 QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
        k->OKBtnClick();
    });
    form.KUOpenClick();
    QVERIFY(!m_modalMissed);
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('|')));

    const QStringList expected{"SALADÍN", areas[0].nazev, areas[2].nazev};
    QStringList opened, menu;
    for (const TKUInfo& ku : form.KUList())
        opened << ku.Katastr;
    QMenu* openKU = form.findChild<QMenu*>("OpenKU");
    for (QAction* a : openKU->actions())
        menu << a->text();
    QCOMPARE(opened, expected);
    QCOMPARE(menu, expected);
    QVERIFY(openKU->actions().last()->isChecked());
    QCOMPARE(form.CurrentKU().Suffix, areas[2].porcis);
    QCOMPARE(form.CurrentKU().Alias, QString("demo"));
    QCOMPARE(form.KUList()[0].Okres, QString("PRACHATICE"));
    QCOMPARE(form.findChild<QLabel*>("Label3")->text(), "Katastr: " + areas[2].nazev);

    // The area under the cursor is remembered; Cancel opens nothing.
    QCOMPARE(m_app->Settings()->GetValue("KatDialog.Katastr", QString()).toString(),
             areas[0].nazev);
    onModal("KatDialog", [](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    form.KUOpenClick();
    QCOMPARE(form.KUList().size(), 3);
}

void TestKatDialog::brokenCatalogueReachesUserAndNothingOpens()
{
    setAliases({{"BEZKATALOGU", m_brokenDir}, {"POSKOZENY", m_damagedDir}, {"demo", m_demoDir}});
    const QString missingMessage = TestSupport::refusal([&] { dialog("BEZKATALOGU"); });
    const QString damagedMessage = TestSupport::refusal([&] { dialog("POSKOZENY"); });
    QVERIFY2(missingMessage.contains("NYSKATAL", Qt::CaseInsensitive), qPrintable(missingMessage));
    QVERIFY2(damagedMessage.contains("NYSKATAL", Qt::CaseInsensitive), qPrintable(damagedMessage));

    // Through the main window: the message is shown, the dialog stays usable,
    // nothing is opened; a good district can be chosen afterwards.
    TMainOrvForm form(m_app, m_registry, ProgramEntries());
    m_app->Settings()->SetValue("KatDialog.Okres", "POSKOZENY");
    bool emptyDialog = false;
    onModal("KatDialog", [&](QWidget* w) {
        auto* k = static_cast<TKatDialog*>(w);
        emptyDialog = !k->AliasLoaded() && !k->findChild<QTableView*>("Katastry")->isEnabled();
        k->OKBtnClick(); // nothing to confirm: stays open
        QVERIFY(k->isVisible());
        k->reject();
    });
    form.KUOpenClick();
    QVERIFY(emptyDialog);
    QCOMPARE(m_messages, QStringList({WithFullStop(damagedMessage)}));
    QVERIFY(form.KUList().isEmpty());

    onModal("KatDialog", [](QWidget* w) {
        auto* k = static_cast<TKatDialog*>(w);
        auto* combo = k->findChild<QComboBox*>("AliasCB");
        combo->setCurrentIndex(combo->findText("BEZKATALOGU"));
        emit combo->activated(combo->currentIndex()); // as the user picks it
        combo->setCurrentIndex(combo->findText("demo"));
        emit combo->activated(combo->currentIndex());
        k->OKBtnClick();
    });
    form.KUOpenClick();
    QVERIFY(!m_modalMissed);
    // The remembered damaged district is reported again, then the one picked.
    QCOMPARE(m_messages, QStringList({WithFullStop(damagedMessage), WithFullStop(damagedMessage),
                                      WithFullStop(missingMessage)}));
    QCOMPARE(form.KUList().size(), 1);
    QCOMPARE(form.CurrentKU().Alias, QString("demo"));
}

void TestKatDialog::aliasManagerChecksAndKeepsOrder()
{
    TAliasManagerDialog manager(nullptr, m_app, "SPECIAL");
    QAbstractItemModelTester tester(manager.Model());
    auto names = [] {
        QStringList n;
        for (const auto& d : DistrictAliasEditor().districts())
            n << d.name;
        return n;
    };
    QCOMPARE(names(), QStringList({"REAL", "demo", "SPECIAL"}));
    QCOMPARE(manager.CurrentAlias(), QString("SPECIAL"));

    manager.AddAlias("DRUHÝ", m_specialDir + "/");
    QCOMPARE(names(), QStringList({"REAL", "demo", "SPECIAL", "DRUHÝ"}));
    QCOMPARE(manager.CurrentAlias(), QString("DRUHÝ"));
    QCOMPARE(TKatDialog::DistrictAliases(), names()); // the engine sees it at once
    QCOMPARE(Engine::instance().aliases().path("DRUHÝ"), QDir::cleanPath(m_specialDir));

    const QList<std::function<void()>> refused{
        [&] { manager.AddAlias("bez", m_brokenDir); },
        [&] { manager.AddAlias("poskozeny", m_damagedDir); },
        [&] { manager.AddAlias("nikde", m_root.filePath("nonexistent")); },
        [&] { manager.AddAlias("Demo", m_demoDir); },
        [&] { manager.AddAlias("A:B", m_demoDir); },
        [&] { manager.AddAlias("C/D", m_demoDir); },
        [&] { manager.AddAlias("  ", m_demoDir); },
        [&] { manager.RenameAlias("DRUHÝ", "real"); },
        [&] { manager.RenameAlias("PARADOX_DBF", "X"); },
        [&] { manager.RepointAlias("DRUHÝ", m_damagedDir); },
        [&] { manager.RemoveAlias("NEEXISTUJE"); }};
    for (const auto& change : refused)
        QVERIFY_THROWS_EXCEPTION(ETalvekException, change());
    QCOMPARE(names(), QStringList({"REAL", "demo", "SPECIAL", "DRUHÝ"}));
    QCOMPARE(Engine::instance().aliases().path("DRUHÝ"), QDir::cleanPath(m_specialDir));

    manager.RenameAlias("demo", "UKÁZKA");
    QCOMPARE(names(), QStringList({"REAL", "UKÁZKA", "SPECIAL", "DRUHÝ"}));
    QCOMPARE(manager.CurrentAlias(), QString("UKÁZKA"));
    manager.RepointAlias("DRUHÝ", TestSupport::realDistrictDir());
    TKUInfo found;
    QVERIFY(TKatDialog::Lookup(m_app, "DRUHÝ", "001", found));
    QCOMPARE(found.Katastr, QString("SALADÍN"));
    manager.RemoveAlias("SPECIAL");
    QCOMPARE(names(), QStringList({"REAL", "UKÁZKA", "DRUHÝ"}));
    // The alias of another driver is still there, in its place.
    EngineAliases all(EngineAliases::defaultFilePath());
    all.load();
    QCOMPARE(all.names().first(), QString("PARADOX_DBF"));
    QCOMPARE(all.driverName("PARADOX_DBF"), QString("DBASE"));
    QCOMPARE(manager.Model()->rowCount(), 3);

    // Removing through the button asks first; "No" keeps the alias.
    manager.SelectAlias("REAL");
    m_messages.clear();
    SetMessageDlgInterceptor([this](const QString& text, TMsgDlgType, TMsgDlgButtons) {
        m_messages << text;
        return int(mrNo);
    });
    manager.RemoveBtnClick();
    QCOMPARE(m_messages, QStringList({"Odebrat alias okresu 'REAL'?"}));
    QCOMPARE(names().size(), 3);
}

void TestKatDialog::noAliasOffersManagerAndThenOpens()
{
    setAliases({});
    onModal("AliasManagerDialog", [this](QWidget* w) {
        auto* manager = static_cast<TAliasManagerDialog*>(w);
        onModal("KatDialog", [](QWidget* w) {
            // The number alone is enough; it goes into the collection.
            auto* k = static_cast<TKatDialog*>(w);
            k->findChild<QLineEdit*>("FKUvOkr")->setText("001");
            k->OKBtnClick();
        });
        manager->AddAlias("SALADIN", TestSupport::realDistrictDir());
        manager->accept();
    });
    TKUInfo info;
    bool intoWindow = true;
    std::shared_ptr<ICollection> ordinals = CoCollection::Create();
    QVERIFY(TKatDialog::Execute(nullptr, m_app, info, ordinals, intoWindow));
    QVERIFY(!m_modalMissed);
    QVERIFY(!intoWindow);
    QCOMPARE(m_messages, QStringList({"Není nadefinován žádný databázový alias."}));
    QCOMPARE(info.Alias, QString("SALADIN"));
    QCOMPARE(info.Katastr, QString("SALADÍN"));
    QCOMPARE(ordinals->Count(), 1);
    QCOMPARE(ordinals->Item(0).toInt(), 1);

    // Closing the manager without defining one ends the command quietly.
    setAliases({});
    onModal("AliasManagerDialog", [](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    QVERIFY(!TKatDialog::Execute(nullptr, m_app, info, ordinals, intoWindow));
    QVERIFY(!m_modalMissed);
}

void TestKatDialog::toolChecksAndListsCatalogue()
{
    auto run = [](const QString& arg, QString& out, QString& err) {
        QProcess tool;
        tool.start(TestSupport::orvToolPath(), {"katalog", arg});
        tool.waitForFinished(30000);
        out = QString::fromUtf8(tool.readAllStandardOutput());
        err = QString::fromUtf8(tool.readAllStandardError());
        return tool.exitCode();
    };
    QString out, err;
    QCOMPARE(run("SPECIAL", out, err), 0); // by alias, from the sandbox configuration
    QStringList areas;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts))
        if (line.startsWith("ku\t"))
            areas << line.section('\t', 4);
    QCOMPARE(areas, QStringList({"A*", "A*B", "AB", "ABC", "BETA KONEC", "ČERNÁ HORA", "ČERNÝ DŮL",
                                 "O'HARA"}));
    QVERIFY(out.contains("okres\t000\t00000\t003999\tZKUŠEBNÍ OKRES"));
    QVERIFY(run(m_damagedDir, out, err) != 0);
    QVERIFY2(err.contains("NYSKATAL", Qt::CaseInsensitive), qPrintable(err));
    QVERIFY(run(m_brokenDir, out, err) != 0);
    QVERIFY2(err.contains("není katalog okresu"), qPrintable(err));
}

QTEST_MAIN(TestKatDialog)
#include "tst_katdialog.moc"
