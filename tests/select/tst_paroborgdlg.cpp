// The sheet dialog "Vlastnický nebo evidenční list" over a small district
// whose sheets, owners and kind-93 records are chosen for its cases: the
// owner list of each search with its names listing, the
// parcels each listing or printout leaves in the work table with the sheet
// number the browser or the print command gets, the warnings, the control
// rules; and, end to end, every ownership sheet of the real district selected
// through orv-tool against the parcel file read directly.
#include "app/ProgramEntries.h"
#include "app/TAreaMapWindows.h"
#include "browse/BrowseFixture.h"
#include "common/ModalHelpers.h"
#include "common/TestSupport.h"
#include "data/ParcelNumber.h"
#include "db/DatasetModel.h"
#include "report/ui/PrintTarget.h"
#include "select/TParOborgDlg.h"
#include "widgets/MessageDlg.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

namespace {
// Sheets 12 and 15 ownership, 7 and 8 registration (8 without parcels),
// 20 without parcels, 40 naming parcel 50 (relation 5 in part 1) by a
// kind-93 record, 41 holding only that reference; owner names to be matched as data.
void writeSheetDistrict(const QString& dir)
{
    QDir().mkpath(dir);
    // PARSKUP PARCIS PARPOD PARDIL VYMERA KVALITA DRUHPOZ NEMOCHR NEMVYUZ BONITA
    // CPCE ELCIS LVCIS VLVZTAH MAPA UMIST TYPVL PPOLVZ PARCISLO
    ParadoxWriter::writeTable(
        dir + "/NYSPA001.DB", parcelFields(), 4,
        {{1, 10, 0, 1, 10.0, 0, 13, 0, 0, 0, 0.0, 0, 12, 1, "", 0, 0, 0, "-10"},
         {2, 11, 0, 1, 11.0, 0, 2, 0, 0, 0, 0.0, 0, 12, 1, "", 0, 0, 0, "11"},
         {2, 12, 0, 1, 12.0, 0, 2, 0, 0, 0, 0.0, 0, 15, 1, "", 0, 0, 0, "12"},
         {2, 13, 0, 1, 13.0, 0, 2, 0, 0, 0, 0.0, 7, 0, 1, "", 0, 0, 0, "13"},
         {2, 13, 0, 2, 13.0, 0, 2, 0, 0, 0, 0.0, 7, 0, 1, "", 0, 0, 0, "13"},
         {2, 50, 0, 1, 50.0, 0, 13, 0, 0, 0, 0.0, 0, 12, 5, "", 0, 0, 0, "50"},
         {2, 50, 0, 2, 50.0, 0, 2, 0, 0, 0, 0.0, 0, 12, 1, "", 0, 0, 0, "50"},
         {2, 60, 0, 1, 60.0, 0, 2, 0, 0, 0, 0.0, 0, 40, 1, "", 0, 0, 0, "60"}});
    // Sheet and owner; the owners' IDENTs are 111, 222, ... 999 in this order.
    const QList<QPair<int, QString>> sheetOwner{
        {12, "Novák Jan, Praha"}, {12, "NOVOTNÝ PETR"}, {15, "HRUBÁ IVANOVÁ"},
        {7, "ČERNÝ KAREL"},       {8, "O'BRIEN JOHN"},  {20, "100% AGRO S.R.O."},
        {40, "1000 LES A.S."},    {41, "A_B S.R.O."},   {42, "ABC S.R.O."}};
    QList<QVariantList> relations;
    QList<QVariantList> owners;
    for (const auto& [sheet, name] : sheetOwner) {
        const double ident = 111.0 * (owners.size() + 1);
        relations.append({double(sheet), int(relations.size() + 1), ident, 1, 0.0, 1});
        owners.append({ident, 1, name});
    }
    const QList<ParadoxField> relationFields{numberField("ELLVCIS"), shortField("VLPOR"),
                                             numberField("IDENT"),   shortField("UVCHAR"),
                                             numberField("PODIL"),   shortField("SEKTOR")};
    ParadoxWriter::writeTable(dir + "/NYSUV001.DB", relationFields, 2, relations);
    ParadoxWriter::writeTable(dir + "/NYSOBORG.DB",
                              {numberField("IDENT"), shortField("UVCHAR"), alphaField("NAZEV", 60)},
                              2, owners);
    const QList<ParadoxField> records{numberField("DLVCIS"),  shortField("DOPLPOR"),
                                      shortField("DOPLKOD"),  numberField("DOPLUDAJ"),
                                      shortField("LISTDRUH"), numberField("LISTCIS"),
                                      numberField("DOPLVZ"),  shortField("DOPLZM")};
    ParadoxWriter::writeTable(dir + "/NYSVL001.DB", records, 3,
                              {{40.0, 1, 93, 20000050000.0, 0, 0.0, 0.0, 0},
                               {40.0, 2, 93, 20000077000.0, 0, 0.0, 0.0, 0},
                               {41.0, 1, 93, 20000050000.0, 0, 0.0, 0.0, 0}});
    // A second area without any ownership relation.
    ParadoxWriter::writeTable(dir + "/NYSUV002.DB", relationFields, 2, {});
}

// The work table as "PARCISLO/PARDIL" texts, sorted; "!" marks an unmarked row.
QStringList workParts(const QString& path)
{
    const ParadoxReader reader(path);
    QStringList parts;
    reader.forEachRecord([&](const ParadoxRecord& r) {
        parts << r.value(reader.fieldIndex("PARCISLO")).toString() + "/" +
                     r.value(reader.fieldIndex("PARDIL")).toString() +
                     (r.value(reader.fieldIndex("FLAG")).toBool() ? "" : "!");
    });
    parts.sort();
    return parts;
}

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The sheet numbers of a names listing's owner lines, sorted.
QList<int> sheetsListed(const QString& text)
{
    QList<int> sheets;
    for (const QString& line : text.section("(jméno nebo název a adresa)\n", 1).split(u'\n').mid(1))
        if (!line.isEmpty())
            sheets << line.left(7).toInt();
    std::sort(sheets.begin(), sheets.end());
    return sheets;
}

} // namespace

class TstParOborgDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void search_data();
    void search();
    void listing_data();
    void listing();
    void controlRules();
    void mapButtonAndMapOutput();
    void sheetsThroughTool();

private:
    std::unique_ptr<TParOborgDlg> dialog(const QString& suffix = "001");
    void setSearch(TParOborgDlg& dlg, int typ, int hledat, const QString& key, bool list,
                   bool substring);

    std::unique_ptr<BrowseFixture> m_fixture;
    QStringList m_messages;
    QList<int> m_browserSheets;
    int m_browserResult = 0;
    QList<int> m_supplements;
    QString m_listingFile; // the names listing's target, "" as if cancelled
};

void TstParOborgDlg::initTestCase()
{
    m_fixture = std::make_unique<BrowseFixture>();
    qputenv("ORV_WORKDB", TestSupport::realWorkDbDir().toUtf8()); // code tables for the printouts
    writeSheetDistrict(m_fixture->path("SHEETS"));
    m_fixture->setAliases({{"SHEETS", m_fixture->path("SHEETS")}});
    SetMessageDlgInterceptor([this](const QString& text, TMsgDlgType, TMsgDlgButtons) {
        m_messages << text;
        return int(mrOk);
    });
}

// A dialog with the records of the previous one cleared.
std::unique_ptr<TParOborgDlg> TstParOborgDlg::dialog(const QString& suffix)
{
    m_messages.clear();
    m_browserSheets.clear();
    m_supplements.clear();
    m_listingFile.clear();
    TKUInfo ku = m_fixture->area("SHEETS");
    ku.Suffix = suffix;
    TParOborgDlg::Entries entries = SheetDialogEntries(); // the listings as wired
    entries.AskListingFile = [this](QWidget*, const TSelectionContext&) { return m_listingFile; };
    entries.Browser = [this](QWidget*, int sheet, const TSelectionContext&) {
        m_browserSheets << sheet;
        return m_browserResult;
    };
    entries.Supplement = [this](QWidget*, int sheet, const TSelectionContext&) {
        m_supplements << sheet;
    };
    const TSelectionContext ctx{m_fixture->app(), ku, m_fixture->workDir() + "/PRAC.DB"};
    auto dlg = std::make_unique<TParOborgDlg>(ctx, entries);
    dlg->OpenData();
    return dlg;
}

void TstParOborgDlg::setSearch(TParOborgDlg& dlg, int typ, int hledat, const QString& key,
                               bool list, bool substring)
{
    dlg.findChild<QRadioButton*>(QString("TypListu%1").arg(typ))->setChecked(true);
    dlg.findChild<QRadioButton*>(QString("Hledat%1").arg(hledat))->click();
    dlg.findChild<QLineEdit*>("EditKlic")->setText(key);
    dlg.findChild<QCheckBox*>("VycetCB")->setChecked(list);
    dlg.findChild<QCheckBox*>("SubstrCB")->setChecked(substring);
    dlg.HledatBtnClick();
}

void TstParOborgDlg::search_data()
{
    QTest::addColumn<int>("hledat");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("list");
    QTest::addColumn<bool>("substring");
    QTest::addColumn<QList<int>>("sheets"); // sorted
    QTest::addColumn<QString>("error");
    const QList<int> all{7, 8, 12, 12, 15, 20, 40, 41, 42};
    QTest::newRow("empty key: full list") << 0 << "" << false << false << all << "";
    QTest::newRow("sheets 12,15") << 0 << "12,15" << false << false << QList{12, 12, 15} << "";
    QTest::newRow("empty item, blanks")
        << 0 << " 12,, 15 " << false << false << QList{12, 12, 15} << "";
    QTest::newRow("semicolon") << 0 << "12;15" << false << false << all << "Chybné číslo.";
    QTest::newRow("only commas") << 0 << ",," << false << false << all << "Chybné číslo.";
    QTest::newRow("too long") << 0 << "12345678901234567" << false << false << all
                              << "Chybné číslo.";
    QTest::newRow("ident from") << 1 << "444" << false << false << QList{7, 8, 20, 40, 41, 42}
                                << "";
    QTest::newRow("ident list") << 1 << "111,444" << true << false << QList{7, 12} << "";
    QTest::newRow("ident two without list")
        << 1 << "111,444" << false << false << all << "Chybné číslo.";
    QTest::newRow("name nov") << 2 << "nov" << false << false << QList{12, 12} << "";
    QTest::newRow("name NOV") << 2 << "NOV" << false << false << QList{12, 12} << "";
    QTest::newRow("name novák, Czech letter lower")
        << 2 << "novák" << false << false << QList{12} << "";
    QTest::newRow("substring nov") << 2 << "nov" << false << true << QList{12, 12, 15} << "";
    QTest::newRow("čer upper-cased to ČER") << 2 << "čer" << false << false << QList{7} << "";
    QTest::newRow("apostrophe") << 2 << "o'brien" << false << false << QList{8} << "";
    QTest::newRow("percent as data") << 2 << "100%" << false << false << QList{20} << "";
    QTest::newRow("underscore as data") << 2 << "a_" << false << false << QList{41} << "";
    QTest::newRow("substring of a quote") << 2 << "'" << false << true << QList{8} << "";
}

void TstParOborgDlg::search()
{
    QFETCH(int, hledat);
    QFETCH(QString, key);
    QFETCH(bool, list);
    QFETCH(bool, substring);
    QFETCH(QList<int>, sheets);
    QFETCH(QString, error);
    auto dlg = dialog();
    QAbstractItemModelTester tester(dlg->GridModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    setSearch(*dlg, 0, hledat, key, list, substring);
    QCOMPARE(m_messages.join("|"), error);
    // The rows listed, as "&Seznam jmen" writes them.
    QCOMPARE(dlg->GridModel()->rowCount(), int(sheets.size()));
    m_listingFile = m_fixture->path("names.txt");
    dlg->findChild<QPushButton*>("SeznamBtn")->click();
    QCOMPARE(sheetsListed(readText(m_listingFile)), sheets);
}

void TstParOborgDlg::listing_data()
{
    QTest::addColumn<int>("typ");
    QTest::addColumn<int>("hledat");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("all");
    QTest::addColumn<QList<int>>("browser");
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<QString>("message");
    const QStringList sheet12{"-10/1", "11/1", "50/1", "50/2"};
    QTest::newRow("current row 12") << 0 << 0 << "12" << false << QList{12} << sheet12 << "";
    QTest::newRow("all sheets 12,15")
        << 0 << 0 << "12,15" << true << QList{0} << (sheet12 + QStringList{"12/1"}) << "";
    QTest::newRow("registration 7")
        << 1 << 0 << "7" << false << QList{-7} << QStringList{"13/1", "13/2"} << "";
    QTest::newRow("registration 8 without parcels")
        << 1 << 0 << "8" << false << QList<int>() << QStringList()
        << "K listu číslo 8 nenalezena žádná parcela.";
    QTest::newRow("kind-93 parcel added to 40")
        << 0 << 0 << "40" << false << QList{40} << QStringList{"50/1", "60/1"} << "";
    QTest::newRow("only a referenced parcel")
        << 0 << 0 << "41" << false << QList{41} << QStringList{"50/1"} << "";
    QTest::newRow("all sheets without parcels")
        << 0 << 0 << "20" << true << QList<int>() << QStringList()
        << "K vybraným listům nenalezena žádná parcela.";
    QTest::newRow("sheet not in the relations")
        << 0 << 0 << "99" << false << QList<int>() << QStringList{"11/1"}
        << "List číslo 99 nenalezen.";
    QTest::newRow("owner name, all sheets") << 0 << 2 << "nov" << true << QList{0} << sheet12 << "";
}

// Answers the output options: the full listing into `file`.
void answerOptions(const QString& file)
{
    TestSupport::onNextModal([file](QWidget* options) {
        options->findChild<QRadioButton*>("TypSestavy1")->click();
        options->findChild<QCheckBox*>("CheckBoxFile")->setChecked(true);
        options->findChild<QLineEdit*>("FileName")->setText(file);
        options->findChild<QPushButton*>("OKBtn")->click();
    });
}

void TstParOborgDlg::listing()
{
    QFETCH(int, typ);
    QFETCH(int, hledat);
    QFETCH(QString, key);
    QFETCH(bool, all);
    QFETCH(QList<int>, browser);
    QFETCH(QStringList, parts);
    QFETCH(QString, message);
    // A previous selection (parcel 11) that an unknown sheet must leave alone.
    const QString work = m_fixture->fillWorkTable("SHEETS", {"11"});
    auto dlg = dialog();
    setSearch(*dlg, typ, hledat, key, false, false);
    dlg->findChild<QCheckBox*>("CbAll")->setChecked(all);
    dlg->SetCurrentRow(0);
    dlg->findChild<QPushButton*>("OKBtn")->click();
    QCOMPARE(m_browserSheets, browser);
    QCOMPARE(m_messages.join("|"), message);
    parts.sort();
    QCOMPARE(workParts(work), parts);
    QCOMPARE(dlg->result(), 0); // not closed: the next sheet can be listed
    if (all)
        return;
    // "&Tisk" prints that sheet (its header, a section a part) or warns again.
    const QString file = m_fixture->path("sheet.txt");
    QFile::remove(file);
    if (message.isEmpty())
        answerOptions(file);
    dlg->findChild<QPushButton*>("TiskBtn")->click();
    QCOMPARE(m_messages.size(), message.isEmpty() ? 0 : 2);
    const int sheet = browser.value(0);
    const QString header = sheet > 0 ? QString(18, u' ') + "List vlastnictví č. %1"
                                     : QString(15, u' ') + "Evidenční list čís. %1";
    const QString text = readText(file);
    QCOMPARE(text.split(u'\n').contains(header.arg(qAbs(sheet))), sheet != 0);
    QCOMPARE(text.count("  Údaje o "), sheet != 0 ? parts.size() : 0);
}

void TstParOborgDlg::controlRules()
{
    QCOMPARE(dialog("002")->GridModel()->rowCount(), 0); // an area without relations
    QVERIFY(m_messages.isEmpty());
    auto dlg = dialog();
    auto* vycet = dlg->findChild<QCheckBox*>("VycetCB");
    auto* substr = dlg->findChild<QCheckBox*>("SubstrCB");
    const QList<QPair<int, QPair<bool, bool>>> enabling{
        {0, {false, false}}, {1, {true, false}}, {2, {false, true}}, {0, {false, false}}};
    for (const auto& [item, expected] : enabling) {
        dlg->findChild<QRadioButton*>(QString("Hledat%1").arg(item))->click();
        QCOMPARE(qMakePair(vycet->isEnabled(), substr->isEnabled()), expected);
    }
    auto* cbAll = dlg->findChild<QCheckBox*>("CbAll");
    auto* tisk = dlg->findChild<QPushButton*>("TiskBtn");
    cbAll->click();
    QVERIFY(!tisk->isEnabled());
    cbAll->click();
    QVERIFY(tisk->isEnabled());
    // Enter in the key searches: the listing is not the default meanwhile.
    dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
    auto* ok = dlg->findChild<QPushButton*>("OKBtn");
    auto* edit = dlg->findChild<QLineEdit*>("EditKlic");
    edit->setFocus();
    QTRY_VERIFY(!ok->isDefault());
    edit->setText("15");
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(dlg->GridModel()->rowCount() == 1 && dlg->CurrentSheet() == 15);
    QVERIFY(m_browserSheets.isEmpty());
    dlg->findChild<QCheckBox*>("CbAll")->setFocus();
    QTRY_VERIFY(ok->isDefault());
    // A double click shows the supplementary records of the row's sheet.
    dlg->SetCurrentRow(0);
    dlg->DBGridOborgDblClick();
    QCOMPARE(m_supplements, QList{15});
    // The names listing with its file dialog cancelled goes to the printer.
    // Without a print service the PDF file is asked for; cancelled here.
    const bool printers = !QPrinterInfo::availablePrinters().isEmpty();
    if (printers)
        TestSupport::onNextModal([](QWidget* printDialog) { printDialog->close(); });
    int asked = 0;
    PrintTarget::SetFileAsker([&](QWidget*, const QString&) { return ++asked, QString(); });
    dlg->findChild<QPushButton*>("SeznamBtn")->click();
    PrintTarget::SetFileAsker(nullptr);
    QCOMPARE(asked, printers ? 0 : 1);
    QCOMPARE(m_messages, QStringList());
    // The browser's result 6 closes the dialog with 6.
    m_browserResult = TParOborgDlg::ResultMap;
    ok->click();
    m_browserResult = 0;
    QCOMPARE(m_browserSheets, QList{15});
    QCOMPARE(dlg->result(), int(TParOborgDlg::ResultMap));
}

// "Mapa" shows only when the area has a map and ends the dialog with 6 after
// listing the sheet into the work table; with the output type "Mapa" the
// listing's browser entry does the same, or without a map says where to get
// one and opens the browser.
void TstParOborgDlg::mapButtonAndMapOutput()
{
    QTemporaryDir maps;
    qputenv("ORV_MAP_DIR", maps.path().toLocal8Bit());
    const TSelectionContext ctx{m_fixture->app(), m_fixture->area("SHEETS"),
                                m_fixture->workDir() + "/PRAC.DB"};
    for (const bool withMap : {false, true}) {
        if (withMap)
            TestSupport::writeOneParcelMap(maps.path(), ctx.KU.Kod, "Katastr SHEETS");
        bool shown = !withMap;
        TestSupport::onNextModal([&](QWidget* modal) {
            auto* button = modal->findChild<QPushButton*>("MapaBtn");
            shown = button->isVisible();
            if (!withMap)
                return static_cast<QDialog*>(modal)->reject();
            setSearch(*static_cast<TParOborgDlg*>(modal), 0, 0, "12", false, false);
            button->click();
        });
        m_messages.clear();
        const int result = TParOborgDlg::Execute(nullptr, ctx, SheetDialogEntries());
        QCOMPARE(shown, withMap);
        QCOMPARE(result, withMap ? int(TParOborgDlg::ResultMap) : int(QDialog::Rejected));
        QVERIFY(m_messages.isEmpty());
    }
    QCOMPARE(workParts(ctx.WorkTable), (QStringList{"-10/1", "11/1", "50/1", "50/2"}));
    const auto toMap = SheetDialogEntries(true).Browser;
    QCOMPARE(toMap(nullptr, 12, ctx), int(TParOborgDlg::ResultMap));
    QVERIFY(m_messages.isEmpty());
    TKUInfo noMap = ctx.KU;
    noMap.Kod = "600002";
    bool browser = false;
    TestSupport::onNextModal([&](QWidget* modal) {
        browser = modal->inherits("TParDilyDbf");
        static_cast<QDialog*>(modal)->reject();
    });
    QCOMPARE(toMap(nullptr, 12, {ctx.App, noMap, ctx.WorkTable}), int(QDialog::Rejected));
    QVERIFY(browser);
    QCOMPARE(m_messages, QStringList{TAreaMapWindows::NoMapText(noMap)});
    qunsetenv("ORV_MAP_DIR");
}

// Every sheet of the real district (0: the parts on none). Expected: the
// parts whose LVCIS is the sheet, plus the relation-5 parts of the parcels
// its kind-93 records name, read straight from the files.
void TstParOborgDlg::sheetsThroughTool()
{
    const QString dir = TestSupport::realDistrictDir();
    const ParadoxReader parcels(dir + "/NYSPA001.DB");
    QMap<int, QSet<QString>> expected;
    QMap<qint64, QList<QString>> relation5; // packed parcel -> its relation-5 parts
    parcels.forEachRecord([&](const ParadoxRecord& r) {
        const auto v = [&](const char* name) { return r.value(parcels.fieldIndex(name)); };
        const QString part = v("PARCISLO").toString() + "/" + v("PARDIL").toString();
        expected[v("LVCIS").toInt()].insert(part);
        if (v("VLVZTAH").toInt() == 5)
            relation5[PackParcelReference(
                {v("PARSKUP").toInt(), v("PARCIS").toInt(), v("PARPOD").toInt()})]
                << part;
    });
    const ParadoxReader records(dir + "/NYSVL001.DB");
    int references = 0;
    records.forEachRecord([&](const ParadoxRecord& r) {
        if (r.value(records.fieldIndex("DOPLKOD")).toInt() != 93)
            return;
        const ParcelKey key =
            UnpackParcelReference(r.value(records.fieldIndex("DOPLUDAJ")).toDouble());
        for (const QString& part : relation5.value(PackParcelReference(key)))
            expected[r.value(records.fieldIndex("DLVCIS")).toInt()].insert(part), ++references;
    });
    QVERIFY(references > 0); // -14/2 is on sheet 106 through a kind-93 record
    QVERIFY(expected.size() > 10);
    const QString work = m_fixture->workDir() + "/SHEET.DB";
    for (const int sheet : expected.keys()) {
        QProcess tool;
        tool.start(TestSupport::orvToolPath(), {"select", "--dir", dir, "--area", "001", "--work",
                                                work, "--sheet", QString::number(sheet)});
        QVERIFY(tool.waitForFinished(60000));
        QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
        QStringList want = expected.value(sheet).values();
        want.sort();
        QCOMPARE(workParts(work), want);
    }
}

QTEST_MAIN(TstParOborgDlg)
#include "tst_paroborgdlg.moc"
