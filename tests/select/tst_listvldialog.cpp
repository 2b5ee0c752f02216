// The ownership-sheet search across districts over small generated districts
// under several aliases: the core search against a plain read of every
// relation table, corrupt and missing areas skipped and counted, cancelling,
// the owner list with awkward keys; the dialog's rules; orv-tool sheets.
#include "app/ProgramEntries.h"
#include "browse/BrowseFixture.h"
#include "base/ETalvekException.h"
#include "common/ModalHelpers.h"
#include "common/TestSupport.h"
#include "select/TListVlDialog.h"
#include "select/core/TListVlSearch.h"
#include "widgets/MessageDlg.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QRadioButton>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

namespace {
// Every "ALIAS/AREA/SHEET" of the owner, read straight from the relation
// tables of the readable areas of the districts.
QStringList plainScan(const QList<QPair<QString, QString>>& districts, double ident)
{
    QStringList found;
    for (const auto& [alias, dir] : districts) {
        const QStringList files =
            QDir(dir).entryList({"NYSUV???.DB"}, QDir::Files, QDir::Name | QDir::IgnoreCase);
        for (const QString& file : files) {
            try {
                const ParadoxReader reader(QDir(dir).filePath(file));
                QSet<QString> sheets;
                reader.forEachRecord([&](const ParadoxRecord& r) {
                    if (r.value(reader.fieldIndex("IDENT")).toDouble() == ident)
                        sheets << QString("%1/%2/%3")
                                      .arg(alias, file.mid(5, 3),
                                           QString::number(
                                               r.value(reader.fieldIndex("ELLVCIS")).toLongLong()));
                });
                found += QStringList(sheets.begin(), sheets.end());
            } catch (const std::exception&) {
            }
        }
    }
    found.sort();
    return found;
}

QStringList hitTexts(const QList<TListVlHit>& hits)
{
    QStringList texts;
    for (const TListVlHit& hit : hits)
        texts << QString("%1/%2/%3").arg(hit.alias, hit.area, QString::number(hit.sheet));
    texts.sort();
    return texts;
}

// One CSV line (RFC 4180) into its cells.
QStringList csvCells(const QString& line)
{
    QStringList cells{QString()};
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'"' && quoted && i + 1 < line.size() && line[i + 1] == u'"')
            cells.last() += line[++i];
        else if (c == u'"')
            quoted = !quoted;
        else if (c == u',' && !quoted)
            cells << QString();
        else
            cells.last() += c;
    }
    return cells;
}

void truncateFile(const QString& path, qint64 size)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.resize(size));
}
} // namespace

class TstListVlDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void search_data();
    void search();
    void catalogueErrorKeepsRows();
    void changedTablePickedUp();
    void ownerList_data();
    void ownerList();
    void dialogRules();
    void dialogOpenAndListing();
    void escapeStops();
    void districtWithoutOwners();
    void tool_data();
    void tool();
    void sheetPrint();

private:
    QString dir(const QString& alias) const { return m_fixture->path(alias); }
    QList<QPair<QString, QString>> districts(const QStringList& aliases) const;
    std::unique_ptr<TListVlDialog> dialog();
    // ALFA shown with the owner current, the given districts ticked as well.
    std::unique_ptr<TListVlDialog> dialogOnOwner(const QStringList& ticked);
    int rowOf(QObject& dlg, const QString& alias)
    {
        auto* list = child<QListWidget>(dlg, "AliasCB");
        return list->row(list->findItems(alias, Qt::MatchExactly).value(0));
    }
    template <class T> T* child(QObject& dlg, const char* name)
    {
        return dlg.findChild<T*>(QString::fromLatin1(name));
    }

    std::unique_ptr<BrowseFixture> m_fixture;
    double m_ident = 0; // an owner of ALFA (and of BETA, generated alike)
    QStringList m_messages;
    int m_answer = mrYes;
    QList<TKUInfo> m_added;
    QList<int> m_browserSheets;
};

void TstListVlDialog::initTestCase()
{
    m_fixture = std::make_unique<BrowseFixture>();
    // ALFA and BETA alike (same seed): one owner holds sheets in both.
    const QList<QPair<QString, quint64>> generated{{"ALFA", 1},  {"BETA", 1},    {"GAMA", 2},
                                                   {"DELTA", 1}, {"EPSILON", 1}, {"OMEGA", 2}};
    for (const auto& [alias, seed] : generated)
        DemoDistrictGenerator({DemoDistrictGenerator::Size::Small, seed}).generate(dir(alias));
    // DELTA: area 002 truncated in its data, area 003 without relations.
    truncateFile(dir("DELTA") + "/NYSUV002.DB", 3000);
    QVERIFY(QFile::remove(dir("DELTA") + "/NYSUV003.DB"));
    // EPSILON: no owner table.
    QVERIFY(QFile::remove(dir("EPSILON") + "/NYSOBORG.DB"));
    // OMEGA: owners whose names and numbers must stay values, not SQL.
    ParadoxWriter::writeTable(dir("OMEGA") + "/NYSOBORG.DB",
                              {numberField("IDENT"), shortField("UVCHAR"), alphaField("NAZEV", 60)},
                              2,
                              {{555.0, 1, "O'BRIEN JOHN"},
                               {666.0, 1, "100% AGRO S.R.O."},
                               {777.0, 1, "1000 LES A.S."},
                               {888.0, 1, "A_B S.R.O."},
                               {999.0, 1, "ABC S.R.O."},
                               {1000.0, 1, "NOVÁK JAN"},
                               {1001.0, 1, "ČERNÁ NOVÁKOVÁ"}});
    // NOCAT: a district directory without a catalogue.
    QDir().mkpath(dir("NOCAT"));
    QList<QPair<QString, QString>> aliases{{"NOCAT", dir("NOCAT")}};
    for (const auto& entry : generated)
        aliases.append({entry.first, dir(entry.first)});
    m_fixture->setAliases(aliases);
    // The owner: the first in file order holding two sheets in ALFA's area 001.
    const ParadoxReader relations(dir("ALFA") + "/NYSUV001.DB");
    QList<double> order;
    QHash<double, QSet<qint64>> sheets;
    relations.forEachRecord([&](const ParadoxRecord& r) {
        const double ident = r.value(relations.fieldIndex("IDENT")).toDouble();
        if (!sheets.contains(ident))
            order << ident;
        sheets[ident] << r.value(relations.fieldIndex("ELLVCIS")).toLongLong();
    });
    for (const double ident : order)
        if (m_ident == 0 && sheets[ident].size() >= 2)
            m_ident = ident;
    QVERIFY(m_ident > 0);
    SetMessageDlgInterceptor([this](const QString& text, TMsgDlgType, TMsgDlgButtons) {
        m_messages << text;
        return m_answer;
    });
}

void TstListVlDialog::init()
{
    m_messages.clear();
    m_answer = mrYes;
    m_added.clear();
    m_browserSheets.clear();
    TListVlDialog::ForgetLastAlias();
}

QList<QPair<QString, QString>> TstListVlDialog::districts(const QStringList& aliases) const
{
    QList<QPair<QString, QString>> list;
    for (const QString& alias : aliases)
        list.append({alias, dir(alias)});
    return list;
}

void TstListVlDialog::search_data()
{
    QTest::addColumn<QStringList>("aliases");
    QTest::addColumn<int>("stopAtStep"); // 0: never
    QTest::addColumn<int>("skipped");
    QTest::addColumn<QStringList>("expectedAliases"); // districts the plain scan covers
    QTest::addColumn<int>("absentOwners");            // idents sought that nobody has
    QTest::newRow("no district") << QStringList{} << 0 << 0 << QStringList{} << 0;
    QTest::newRow("one district") << QStringList{"ALFA"} << 0 << 0 << QStringList{"ALFA"} << 0;
    QTest::newRow("owner in two districts")
        << QStringList{"ALFA", "BETA"} << 0 << 0 << QStringList{"ALFA", "BETA"} << 0;
    QTest::newRow("district without the owner's sheets, then one with")
        << QStringList{"GAMA", "ALFA"} << 0 << 0 << QStringList{"GAMA", "ALFA"} << 0;
    QTest::newRow("truncated and missing relation tables skipped")
        << QStringList{"DELTA", "BETA"} << 0 << 2 << QStringList{"DELTA", "BETA"} << 0;
    QTest::newRow("stopped before the first area")
        << QStringList{"ALFA", "BETA"} << 1 << 0 << QStringList{} << 0;
    QTest::newRow("many owners sought at once")
        << QStringList{"ALFA", "BETA"} << 0 << 0 << QStringList{"ALFA", "BETA"} << 100;
}

void TstListVlDialog::search()
{
    QFETCH(QStringList, aliases);
    QFETCH(int, stopAtStep);
    QFETCH(int, skipped);
    QFETCH(QStringList, expectedAliases);
    QFETCH(int, absentOwners);
    QList<double> idents{m_ident};
    for (int i = 1; i <= absentOwners; ++i)
        idents << -double(i); // no owner has a negative number
    TListVlSearch::Result result;
    int steps = 0;
    TListVlSearch::Run(aliases, idents, result,
                       [&](const QString&, int, int) { return ++steps != stopAtStep; });
    QCOMPARE(result.cancelled, stopAtStep > 0);
    QCOMPARE(result.skippedAreas, skipped);
    QCOMPARE(hitTexts(result.hits), plainScan(districts(expectedAliases), m_ident));
    if (aliases.size() == 2 && aliases.first() == "ALFA" && !result.cancelled)
        QVERIFY(hitTexts(result.hits).filter("BETA/").size() > 0);
    for (const TListVlHit& hit : result.hits)
        QVERIFY2(!hit.katastr.trimmed().isEmpty(), qPrintable(hit.area));
}

void TstListVlDialog::catalogueErrorKeepsRows()
{
    TListVlSearch::Result result;
    QVERIFY_THROWS_EXCEPTION(ETalvekException,
                             TListVlSearch::Run({"ALFA", "NOCAT"}, {m_ident}, result));
    QCOMPARE(hitTexts(result.hits), plainScan(districts({"ALFA"}), m_ident));
}

void TstListVlDialog::changedTablePickedUp()
{
    TListVlSearch::Result before;
    TListVlSearch::Run({"GAMA"}, {m_ident}, before);
    QCOMPARE(hitTexts(before.hits), plainScan(districts({"GAMA"}), m_ident));
    // Area 002 rewritten with one sheet of the owner: the next search sees it.
    ParadoxWriter::writeTable(dir("GAMA") + "/NYSUV002.DB",
                              {numberField("ELLVCIS"), shortField("VLPOR"), numberField("IDENT"),
                               shortField("UVCHAR"), numberField("PODIL"), shortField("SEKTOR")},
                              2, {{77.0, 1, m_ident, 1, 1.0, 1}});
    TListVlSearch::Result after;
    TListVlSearch::Run({"GAMA"}, {m_ident}, after);
    QVERIFY(hitTexts(after.hits).contains("GAMA/002/77"));
    QCOMPARE(hitTexts(after.hits), plainScan(districts({"GAMA"}), m_ident));
}

void TstListVlDialog::ownerList_data()
{
    QTest::addColumn<bool>("byName");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("substring");
    QTest::addColumn<QList<double>>("idents");
    QTest::newRow("apostrophe") << true << "o'brien" << false << QList<double>{555};
    QTest::newRow("percent is a letter") << true << "100%" << false << QList<double>{666};
    QTest::newRow("underscore is a letter") << true << "A_B" << false << QList<double>{888};
    QTest::newRow("prefix only") << true << "NOVÁK" << false << QList<double>{1000};
    QTest::newRow("any part") << true << " novák " << true << QList<double>{1000, 1001};
    QTest::newRow("number from on, decimal comma")
        << false << "999,5" << false << QList<double>{1000, 1001};
    QTest::newRow("number from on, decimal point")
        << false << "999.5" << false << QList<double>{1000, 1001};
    QTest::newRow("not a number is 0: everyone")
        << false << "1'; DROP" << false << QList<double>{555, 666, 777, 888, 999, 1000, 1001};
}

void TstListVlDialog::ownerList()
{
    QFETCH(bool, byName);
    QFETCH(QString, key);
    QFETCH(bool, substring);
    QFETCH(QList<double>, idents);
    Query query;
    TListVlSearch::OpenOwners(query, "OMEGA", byName, key, substring);
    QList<double> found;
    for (query.first(); !query.eof(); query.next())
        found << query.asFloat("IDENT");
    std::sort(found.begin(), found.end());
    QCOMPARE(found, idents);
}

std::unique_ptr<TListVlDialog> TstListVlDialog::dialog()
{
    TListVlDialog::Entries entries;
    entries.Lookup = [](const QString&, const QString& suffix, TKUInfo& info) {
        info.Katastr = "KÚ " + suffix;
        return suffix != "003"; // area 003 is not in the catalogue
    };
    entries.AddKU = [this](const TKUInfo& info) { m_added << info; };
    entries.Browser = [this](QWidget*, int sheet, const TSelectionContext&) {
        m_browserSheets << sheet;
        return 0;
    };
    return std::make_unique<TListVlDialog>(m_fixture->app(), entries);
}

std::unique_ptr<TListVlDialog> TstListVlDialog::dialogOnOwner(const QStringList& ticked)
{
    auto dlg = dialog();
    auto* owners = child<QTableView>(*dlg, "DBGrid");
    TListVlSearch::OpenOwners(dlg->TableOborg(), "ALFA", false, QString::number(qint64(m_ident)),
                              false);
    owners->setCurrentIndex(owners->model()->index(0, 0));
    for (const QString& alias : ticked)
        dlg->SetTicked(rowOf(*dlg, alias), true);
    return dlg;
}

void TstListVlDialog::dialogRules()
{
    auto dlg = dialog();
    QAbstractItemModelTester tester(dlg->ResultModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    auto* ok = child<QPushButton>(*dlg, "OKBtn");
    auto* search = child<QPushButton>(*dlg, "SearchBtn");
    auto* aliases = child<QListWidget>(*dlg, "AliasCB");
    // The first district shown, in bold, and ticked.
    QCOMPARE(dlg->ShownAlias(), QString("ALFA"));
    QVERIFY(child<QLabel>(*dlg, "LabelNameAlias")->text().contains("<b>ALFA</b>"));
    QCOMPARE(aliases->item(0)->checkState(), Qt::Checked);
    QVERIFY(!ok->isEnabled());
    // Nothing ticked: nothing found, OK stays disabled.
    dlg->SetTicked(0, false);
    TListVlSearch::OpenOwners(dlg->TableOborg(), "ALFA", false, QString::number(qint64(m_ident)),
                              false);
    auto* owners = child<QTableView>(*dlg, "DBGrid");
    owners->setCurrentIndex(owners->model()->index(0, 0));
    dlg->SearchBtnClick();
    QCOMPARE(dlg->ResultCount(), 0);
    QVERIFY(!ok->isEnabled());
    // ALFA ticked again and BETA by hand: both searched, OK the default.
    dlg->SetTicked(0, true);
    dlg->SetTicked(rowOf(*dlg, "BETA"), true);
    dlg->SearchBtnClick();
    QCOMPARE(dlg->ResultCount(), plainScan(districts({"ALFA", "BETA"}), m_ident).size());
    QVERIFY(ok->isEnabled() && ok->isDefault() && !search->isDefault());
    // Another owner row clears the results.
    owners->setCurrentIndex(owners->model()->index(1, 0));
    QCOMPARE(dlg->ResultCount(), 0);
    QVERIFY(!ok->isEnabled());
    // Typing in the key: no default button; leaving it: "Najít" again.
    dlg->show();
    auto* key = child<QLineEdit>(*dlg, "EditKlic");
    key->setFocus();
    QTest::keyClick(key, Qt::Key_1);
    QVERIFY(!ok->isDefault() && !search->isDefault());
    QFocusEvent leave(QEvent::FocusOut);
    QCoreApplication::sendEvent(key, &leave);
    QVERIFY(search->isDefault() && !ok->isDefault());
    // A shown district is remembered for the next opening in this run.
    emit aliases->itemActivated(aliases->item(rowOf(*dlg, "BETA")));
    QCOMPARE(dlg->ShownAlias(), QString("BETA"));
    dlg.reset();
    QCOMPARE(dialog()->ShownAlias(), QString("BETA"));
    QVERIFY(m_messages.isEmpty());
}

void TstListVlDialog::dialogOpenAndListing()
{
    auto dlg = dialogOnOwner({"BETA"});
    dlg->SetTicked(rowOf(*dlg, "DELTA"), true); // two areas skipped
    dlg->SearchBtnClick();
    QCOMPARE(dlg->SkippedAreas(), 2);
    QVERIFY(child<QLabel>(*dlg, "LabelSkipped")->text().contains("2"));
    // Every row selected: each area (district × number) opened once, in row
    // order; area 003 is not in the stub catalogue and stays closed.
    auto* grid = child<QTableView>(*dlg, "Grid");
    grid->selectAll();
    QSet<QString> areas;
    QStringList order;
    for (int row = 0; row < dlg->ResultCount(); ++row) {
        const QString area = dlg->ResultModel()->item(row, 4)->text() + "/" +
                             dlg->ResultModel()->item(row, 2)->text();
        if (!areas.contains(area) && !area.endsWith("003"))
            order << area;
        areas << area;
    }
    QVERIFY(areas.size() < dlg->ResultCount()); // some area holds two of the sheets
    // Listing of the first row: the sheet's parcels into the work table, the
    // browser over them, the area opened.
    grid->setCurrentIndex(grid->model()->index(0, 1));
    const int sheet = dlg->ResultModel()->item(0, 1)->text().toInt();
    dlg->ListingClick(false);
    if (dlg->ResultModel()->item(0, 2)->text() != "003") {
        QCOMPARE(m_browserSheets, QList<int>{sheet});
        QCOMPARE(m_added.size(), 1);
    }
    m_added.clear();
    grid->selectAll();
    dlg->OKBtnClick();
    QStringList opened;
    for (const TKUInfo& info : m_added)
        opened << info.Alias + "/" + info.Suffix;
    QCOMPARE(opened, order);
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
}

void TstListVlDialog::escapeStops()
{
    auto dlg = dialogOnOwner({"BETA"});
    dlg->SetTicked(rowOf(*dlg, "GAMA"), true);
    // Escape waiting when the search starts, answered No: the search goes on.
    m_answer = mrNo;
    QCoreApplication::postEvent(dlg.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
    dlg->SearchBtnClick();
    QCOMPARE(m_messages, QStringList{"Chcete přerušit operaci?"});
    QCOMPARE(dlg->ResultCount(), plainScan(districts({"ALFA", "BETA", "GAMA"}), m_ident).size());
    // Answered Yes: stopped at once, no further district, OK disabled.
    m_answer = mrYes;
    QCoreApplication::postEvent(dlg.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
    dlg->SearchBtnClick();
    QCOMPARE(dlg->ResultCount(), 0);
    QVERIFY(!child<QPushButton>(*dlg, "OKBtn")->isEnabled());
    QVERIFY(child<QPushButton>(*dlg, "SearchBtn")->isEnabled());
}

void TstListVlDialog::districtWithoutOwners()
{
    auto dlg = dialog();
    auto* aliases = child<QListWidget>(*dlg, "AliasCB");
    emit aliases->itemActivated(aliases->item(rowOf(*dlg, "EPSILON")));
    QVERIFY(dlg->ShownAlias().isEmpty());
    QVERIFY(child<QLabel>(*dlg, "LabelNameAlias")->text().isEmpty());
    QVERIFY(!child<QWidget>(*dlg, "OwnerPanel")->isEnabled());
    QVERIFY(!child<QPushButton>(*dlg, "SearchBtn")->isEnabled());
    QVERIFY(m_messages.isEmpty());
    // Another district shown again works.
    emit aliases->itemActivated(aliases->item(0));
    QCOMPARE(dlg->ShownAlias(), QString("ALFA"));
    QVERIFY(child<QPushButton>(*dlg, "SearchBtn")->isEnabled());
}

void TstListVlDialog::tool_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("districts"); // scanned for the expected rows
    QTest::newRow("by number, two districts")
        << QStringList{"--alias", "ALFA", "--alias", "BETA", "--ident", "IDENT"} << 0
        << QStringList{"ALFA", "BETA"};
    QTest::newRow("corrupt areas skipped")
        << QStringList{"--alias", "DELTA", "--ident", "IDENT"} << 0 << QStringList{"DELTA"};
    QTest::newRow("name with an apostrophe, nobody")
        << QStringList{"--alias", "ALFA", "--name", "O'B%", "--substring"} << 0 << QStringList{};
    QTest::newRow("unknown alias")
        << QStringList{"--alias", "NIKDE", "--ident", "1"} << 1 << QStringList{};
    QTest::newRow("bad number") << QStringList{"--alias", "ALFA", "--ident", "12a"} << 1
                                << QStringList{};
    QTest::newRow("no owner given") << QStringList{"--alias", "ALFA"} << 2 << QStringList{};
    QTest::newRow("both keys") << QStringList{"--alias", "ALFA", "--ident", "1", "--name", "A"} << 2
                               << QStringList{};
}

void TstListVlDialog::tool()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QStringList, districts);
    args.replaceInStrings("IDENT", QString::number(qint64(m_ident)));
    QProcess tool;
    tool.start(TestSupport::orvToolPath(), QStringList{"sheets"} + args);
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), exitCode);
    if (exitCode != 0)
        return;
    QStringList lines = QString::fromUtf8(tool.readAllStandardOutput()).split("\r\n");
    QCOMPARE(lines.takeFirst(), QString("ident,name,sheet,area,katastr,alias"));
    lines.removeAll(QString());
    QStringList found;
    for (const QString& line : lines) {
        const QStringList cells = csvCells(line);
        QCOMPARE(cells.first(), QString::number(qint64(m_ident)));
        QVERIFY(!cells[1].isEmpty());
        found << cells[5] + "/" + cells[3] + "/" + cells[2];
    }
    found.sort();
    QCOMPARE(found, plainScan(this->districts(districts), m_ident));
}

// "&Tisk" on a result row: the sheet's parts into the work table and the
// print command over them (the full listing into a file: a section a part).
void TstListVlDialog::sheetPrint()
{
    qputenv("ORV_WORKDB", TestSupport::realWorkDbDir().toUtf8()); // the listing's code tables
    TListVlDialog::Entries entries;
    entries.Lookup = [](const QString&, const QString&, TKUInfo&) { return true; };
    entries.SheetPrint = SheetDialogEntries().SheetPrint;
    TListVlDialog dlg(m_fixture->app(), entries);
    TListVlSearch::OpenOwners(dlg.TableOborg(), "ALFA", false, QString::number(qint64(m_ident)),
                              false);
    auto* owners = child<QTableView>(dlg, "DBGrid");
    owners->setCurrentIndex(owners->model()->index(0, 0));
    dlg.SearchBtnClick();
    child<QTableView>(dlg, "Grid")->setCurrentIndex(dlg.ResultModel()->index(0, 1));
    const QString file = m_fixture->path("sheet.txt");
    TestSupport::onNextModal([&](QWidget* options) {
        options->findChild<QRadioButton*>("TypSestavy1")->click();
        options->findChild<QCheckBox*>("CheckBoxFile")->setChecked(true);
        options->findChild<QLineEdit*>("FileName")->setText(file);
        options->findChild<QPushButton*>("OKBtn")->click();
    });
    dlg.ListingClick(true);
    QFile text(file);
    QVERIFY(m_messages.isEmpty() && text.open(QIODevice::ReadOnly));
    const QString listing = QString::fromUtf8(text.readAll());
    QVERIFY(listing.contains("\n                  List vlastnictví č. " +
                             dlg.ResultModel()->item(0, 1)->text() + "\n"));
    QCOMPARE(int(listing.count("  Údaje o ")),
             int(ParadoxReader(m_fixture->workDir() + "/PRAC.DB").header().recordCount));
}

QTEST_MAIN(TstListVlDialog)
#include "tst_listvldialog.moc"
