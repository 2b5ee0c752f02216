// The ownership-sheet search across districts over small generated districts
// under several aliases: the core search against a plain read of every
// relation table, corrupt and missing areas skipped and counted, cancelling,
// the owner index against the plain scan on a small synthetic country and
// after changes of tables and index files, the owner list with awkward keys;
// the dialog's rules; orv-tool sheets.
#include "app/ProgramEntries.h"
#include "browse/BrowseFixture.h"
#include "base/ETalvekException.h"
#include "common/ModalHelpers.h"
#include "common/TestSupport.h"
#include "data/CountryGenerator.h"
#include "select/TListVlDialog.h"
#include "select/core/TListVlSearch.h"
#include "select/core/TOwnerSheetIndex.h"
#include "widgets/MessageDlg.h"

#include <QAbstractItemModelTester>
#include <QSet>
#include <QCheckBox>
#include <QRadioButton>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRandomGenerator>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

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

// Every hit with all its fields, in the order found.
QStringList hitRows(const TListVlSearch::Result& result)
{
    QStringList rows;
    for (const TListVlHit& hit : result.hits)
        rows << QString("%1/%2/%3/%4/%5")
                    .arg(hit.alias, hit.area, QString::number(hit.sheet),
                         QString::number(hit.ident, 'f', 0), hit.katastr);
    return rows;
}

TListVlSearch::Result searched(const QStringList& districts, const QList<double>& idents,
                               TListVlSearch::Method method = TListVlSearch::Method::OwnerIndex)
{
    TListVlSearch::Result result;
    TListVlSearch::Run(districts, idents, result, {}, method);
    return result;
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
    void indexMatchesPlainScan_data();
    void indexMatchesPlainScan();
    void indexFollowsChanges_data();
    void indexFollowsChanges();
    void vanishedDistrictIndexPruned();
    void ownerList_data();
    void ownerList();
    void dialogRules();
    void dialogOpenAndListing();
    void escapeStops();
    void districtWithoutOwners();
    void tool_data();
    void tool();
    void sheetPrint(); // and the listing ending with the map

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
    double m_ident = 0;               // an owner of ALFA (and of BETA, generated alike)
    QStringList m_country;            // district directories of the synthetic country
    QList<double> m_countryIdents;    // every owner with a sheet there, ascending
    QList<double> m_nationwideIdents; // those with sheets in every district
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
    const CountryGenerator::Summary country =
        CountryGenerator({3, 12, 6000, 40, 7}).generate(dir("country"));
    QHash<double, QSet<QString>> districtsOf;
    for (const CountryGenerator::District& district : country.districts) {
        m_country << district.directory;
        for (const QString& file : QDir(district.directory).entryList({"NYSUV*.DB"})) {
            const ParadoxReader reader(district.directory + "/" + file);
            reader.forEachRecord([&](const ParadoxRecord& r) {
                districtsOf[r.toDouble(reader.fieldIndex("IDENT"))] << district.name;
            });
        }
    }
    m_countryIdents = districtsOf.keys();
    std::sort(m_countryIdents.begin(), m_countryIdents.end());
    for (const double ident : m_countryIdents)
        if (districtsOf[ident].size() == 3)
            m_nationwideIdents << ident;
    QVERIFY(m_nationwideIdents.size() > 2);
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
    QTest::newRow("no district") << QStringList{} << 0 << 0 << QStringList{};
    QTest::newRow("one district") << QStringList{"ALFA"} << 0 << 0 << QStringList{"ALFA"};
    QTest::newRow("owner in two districts")
        << QStringList{"ALFA", "BETA"} << 0 << 0 << QStringList{"ALFA", "BETA"};
    QTest::newRow("district without the owner's sheets, then one with")
        << QStringList{"GAMA", "ALFA"} << 0 << 0 << QStringList{"GAMA", "ALFA"};
    QTest::newRow("truncated and missing relation tables skipped")
        << QStringList{"DELTA", "BETA"} << 0 << 2 << QStringList{"DELTA", "BETA"};
    QTest::newRow("stopped before the first area")
        << QStringList{"ALFA", "BETA"} << 1 << 0 << QStringList{};
}

void TstListVlDialog::search()
{
    QFETCH(QStringList, aliases);
    QFETCH(int, stopAtStep);
    QFETCH(int, skipped);
    QFETCH(QStringList, expectedAliases);
    TListVlSearch::Result result;
    int steps = 0;
    TListVlSearch::Run(aliases, {m_ident}, result,
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

void TstListVlDialog::indexMatchesPlainScan_data()
{
    QTest::addColumn<QString>("owners"); // random:N, nationwide, absent or name:PREFIX
    QTest::newRow("one owner") << "random:1";
    QTest::newRow("the State and nationwide owners") << "nationwide";
    QTest::newRow("twenty owners") << "random:20";
    QTest::newRow("three hundred owners, lists walked together") << "random:300";
    QTest::newRow("nobody has the number") << "absent";
    QTest::newRow("owners of a name prefix in every district") << "name:NOV";
}

void TstListVlDialog::indexMatchesPlainScan()
{
    QFETCH(QString, owners);
    QList<double> idents;
    if (owners.startsWith("random:")) {
        QRandomGenerator random(owners.size());
        for (int i = owners.mid(7).toInt(); i > 0; --i)
            idents << m_countryIdents[random.bounded(int(m_countryIdents.size()))];
    } else if (owners == "nationwide") {
        idents = m_nationwideIdents.mid(0, 3);
    } else if (owners == "absent") {
        idents << 12345.0;
    }
    for (const QString& district : owners.startsWith("name:") ? m_country : QStringList()) {
        Query query;
        TListVlSearch::OpenOwners(query, district, true, owners.mid(5), false);
        query.forEachRow([&](const QVariantList& row) { idents << row[0].toDouble(); });
    }
    const TListVlSearch::Result plain =
        searched(m_country, idents, TListVlSearch::Method::PlainScan);
    QCOMPARE(plain.hits.isEmpty(), owners == "absent");
    // Built on the way, then from memory, then from the index files alone.
    TOwnerSheetIndex::instance().forget();
    QVERIFY(QDir(TOwnerSheetIndex::cacheDirectory()).removeRecursively());
    for (const int tablesRead : {12, 0, 0}) {
        const TListVlSearch::Result indexed = searched(m_country, idents);
        QCOMPARE(hitRows(indexed), hitRows(plain));
        QCOMPARE(indexed.tablesRead, tablesRead);
        QCOMPARE(indexed.searchedAreas, 12);
        if (tablesRead == 0)
            TOwnerSheetIndex::instance().forget();
    }
}

void TstListVlDialog::indexFollowsChanges_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("restart"); // the index read again from its files
    QTest::addColumn<int>("read");     // relation tables read by the next search
    QTest::addColumn<int>("skipped");
    QTest::newRow("nothing changed") << "" << false << 0 << 0;
    QTest::newRow("table rewritten with other rows") << "rewrite" << false << 1 << 0;
    QTest::newRow("same size, new time, after a restart") << "touch" << true << 1 << 0;
    QTest::newRow("table removed") << "remove" << false << 0 << 1;
    QTest::newRow("area taken out of the catalogue") << "catalogue" << false << 0 << 0;
    QTest::newRow("table truncated, after a restart") << "truncate" << true << 1 << 1;
    QTest::newRow("index file damaged") << "damage index" << true << 3 << 0;
    QTest::newRow("index file truncated") << "truncate index" << true << 3 << 0;
    QTest::newRow("index file of another district") << "foreign index" << true << 3 << 0;
    QTest::newRow("cache directory not writable") << "no cache" << true << 6 << 0;
    // Rows and bytes changed in place, size, inode and modification time kept:
    // the change time tells.
    QTest::newRow("table edited in place, size and time kept") << "edit" << false << 1 << 0;
    // Neither is an index: rebuilt, never read ("nedostatek paměti"); a link is
    // not written through, so the next start rebuilds it again.
    QTest::newRow("index file a link to /dev/zero") << "zero index" << true << 3 << 0;
    QTest::newRow("index file of 64 GB") << "huge index" << true << 3 << 0;
}

// Gives another owner's row of the area's relation table to `ident`, in the
// file itself (same inode and size), and sets the modification time back to
// the nanosecond; the sheet that `ident` gains.
static qint64 editInPlace(const QString& table, double ident)
{
    struct stat old
    {
    };
    if (::stat(QFile::encodeName(table).constData(), &old) != 0)
        return -1;
    QList<QVariantList> rows = ParadoxReader(table).readAll();
    QSet<qint64> sheets; // of `ident`: a sheet it already has would change nothing
    for (const QVariantList& row : rows)
        if (row[2].toDouble() == ident)
            sheets.insert(row[0].toLongLong());
    const auto other = std::find_if(rows.begin(), rows.end(), [&](const QVariantList& row) {
        return !sheets.contains(row[0].toLongLong());
    });
    if (other == rows.end())
        return -1;
    (*other)[2] = ident;
    QTemporaryDir scratch;
    const QString copy = scratch.filePath("NYSUV.DB");
    ParadoxWriter::writeTable(copy, relationFields(), 2, rows);
    QFile from(copy), to(table);
    if (!from.open(QIODevice::ReadOnly) || !to.open(QIODevice::ReadWrite) ||
        from.size() != to.size() || to.write(from.readAll()) != old.st_size)
        return -1;
    to.close();
    const timespec times[2] = {old.st_atim, old.st_mtim};
    if (::utimensat(AT_FDCWD, QFile::encodeName(table).constData(), times, 0) != 0)
        return -1;
    return (*other)[0].toLongLong();
}

void TstListVlDialog::indexFollowsChanges()
{
    QFETCH(QString, change);
    QFETCH(bool, restart);
    QFETCH(int, read);
    QFETCH(int, skipped);
    QTemporaryDir root;
    CountryGenerator({2, 6, 600, 20, 3}).generate(root.path());
    const QStringList districts{root.filePath("OKRES01"), root.filePath("OKRES02")};
    const QString table = districts[0] + "/NYSUV002.DB";
    const QString index = TOwnerSheetIndex::indexFile(districts[0]);
    const double ident = 1; // the State: a sheet in every area
    TOwnerSheetIndex::instance().forget();
    QCOMPARE(searched(districts, {ident}).tablesRead, 6);
    const QStringList files = QDir(districts[0]).entryList(QDir::Files);
    const QByteArray cacheDir = qgetenv("ORV_CACHE_DIR");
    qint64 gained = 0;
    if (change == "edit") {
        gained = editInPlace(table, ident);
        QVERIFY(gained >= 0);
    } else if (change == "zero index") {
        QVERIFY(QFile::remove(index) && QFile::link("/dev/zero", index));
    } else if (change == "huge index") {
        truncateFile(index, qint64(64) << 30); // sparse: no disk used
    } else if (change == "rewrite") {
        ParadoxWriter::writeTable(table, relationFields(), 2, {{77.0, 1, ident, 1, 1.0, 1}});
    } else if (change == "touch") {
        QFile file(table);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(file.fileTime(QFile::FileModificationTime).addSecs(5),
                                 QFile::FileModificationTime));
    } else if (change == "catalogue") {
        QList<QVariantList> rows = ParadoxReader(districts[0] + "/NYSKATAL.DB").readAll();
        rows.removeIf([](const QVariantList& row) { return row[2] == "003"; });
        ParadoxWriter::writeTable(districts[0] + "/NYSKATAL.DB", catalogueFields(), 1, rows);
    } else if (change == "remove") {
        QVERIFY(QFile::remove(table));
    } else if (change == "truncate") {
        truncateFile(table, QFileInfo(table).size() / 2);
    } else if (change == "damage index" || change == "truncate index") {
        QFile file(index);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(change == "damage index" ? file.size() - 5 : 0));
        QVERIFY(change == "damage index" ? file.write("X", 1) == 1 : file.resize(40));
    } else if (change == "foreign index") {
        QVERIFY(QFile::remove(index));
        QVERIFY(QFile::copy(TOwnerSheetIndex::indexFile(districts[1]), index));
    } else if (change == "no cache") {
        QFile blocker(root.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        qputenv("ORV_CACHE_DIR", root.filePath("file/cache").toUtf8());
    }
    if (restart)
        TOwnerSheetIndex::instance().forget();
    const TListVlSearch::Result after = searched(districts, {ident});
    TOwnerSheetIndex::instance().forget();
    const TListVlSearch::Result again = searched(districts, {ident});
    qputenv("ORV_CACHE_DIR", cacheDir);
    QCOMPARE(after.tablesRead, read);
    QCOMPARE(after.skippedAreas, skipped);
    QCOMPARE(after.searchedAreas, change == "catalogue" ? 5 : 6);
    QCOMPARE(again.tablesRead, change == "no cache"     ? 6
                               : change == "zero index" ? 3
                                                        : 0); // the files were written
    QCOMPARE(hitRows(after),
             hitRows(searched(districts, {ident}, TListVlSearch::Method::PlainScan)));
    QCOMPARE(hitRows(again), hitRows(after));
    QCOMPARE(change == "rewrite", hitRows(after).filter("/002/77/").size() == 1);
    if (change == "edit")
        QCOMPARE(hitRows(after).filter(QString("/002/%1/").arg(gained)).size(), 1);
    for (const QString& file : QDir(districts[0]).entryList(QDir::Files))
        QVERIFY2(files.contains(file), qPrintable(file)); // nothing written into the district
}

// The index file of a district directory that no longer exists is removed;
// the other district's file and a file that is no index stay.
void TstListVlDialog::vanishedDistrictIndexPruned()
{
    QTemporaryDir root;
    CountryGenerator({2, 6, 600, 20, 3}).generate(root.path());
    const QStringList districts{root.filePath("OKRES01"), root.filePath("OKRES02")};
    TOwnerSheetIndex::instance().forget();
    searched(districts, {1});
    const QString gone = TOwnerSheetIndex::indexFile(districts[0]);
    const QString kept = TOwnerSheetIndex::indexFile(districts[1]);
    const QString junk = TOwnerSheetIndex::cacheDirectory() + "/junk.idx";
    QFile other(junk);
    QVERIFY(other.open(QIODevice::WriteOnly) && other.write("ORVOWNIX") == 8);
    other.close();
    QVERIFY(QFile::exists(gone) && QFile::exists(kept));
    QVERIFY(QDir(districts[0]).removeRecursively());
    TOwnerSheetIndex::pruneVanished();
    QCOMPARE(QList<bool>({QFile::exists(gone), QFile::exists(kept), QFile::exists(junk)}),
             QList<bool>({false, true, true}));
    QVERIFY(QFile::remove(junk));
    TOwnerSheetIndex::instance().forget();
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
    QCOMPARE(child<QLabel>(*dlg, "LabelSkipped")->text(),
             "Není zaškrtnut žádný okres, nic nebylo prohledáno.");
    // ALFA ticked again and BETA by hand: both searched, OK the default.
    dlg->SetTicked(0, true);
    dlg->SetTicked(rowOf(*dlg, "BETA"), true);
    dlg->SearchBtnClick();
    QCOMPARE(dlg->ResultCount(), plainScan(districts({"ALFA", "BETA"}), m_ident).size());
    QVERIFY(ok->isEnabled() && ok->isDefault() && !search->isDefault());
    // The first row is current without a click: OK and "Výpis" act on it.
    // No column title is cut.
    auto* grid = child<QTableView>(*dlg, "Grid");
    for (int column = 1; column < grid->model()->columnCount(); ++column)
        QVERIFY(grid->columnWidth(column) >= grid->horizontalHeader()->sectionSizeHint(column));
    QCOMPARE(grid->currentIndex().row(), 0);
    QCOMPARE(grid->selectionModel()->selectedRows().size(), 1);
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
    // The number column holds ten digits whole, also after the owner list
    // was looked up again.
    child<QPushButton>(*dlg, "HledatBtn")->click();
    QVERIFY(owners->columnWidth(0) >
            owners->fontMetrics().horizontalAdvance(QString(10, u'0')) + 8);
    // A click on a check box only ticks; a single click on a row shows the
    // district (and ticks it), which is remembered for the next opening.
    const auto click = [&](const char* alias, bool onBox) {
        const QRect r = aliases->visualItemRect(aliases->item(rowOf(*dlg, alias)));
        const int box = aliases->style()->pixelMetric(QStyle::PM_IndicatorWidth);
        QTest::mouseClick(aliases->viewport(), Qt::LeftButton, {},
                          onBox ? QPoint(r.left() + box / 2 + 4, r.center().y()) : r.center());
    };
    click("GAMA", true);
    QCOMPARE(aliases->item(rowOf(*dlg, "GAMA"))->checkState(), Qt::Checked);
    QCOMPARE(dlg->ShownAlias(), QString("ALFA"));
    aliases->item(rowOf(*dlg, "BETA"))->setCheckState(Qt::Unchecked);
    click("BETA", false);
    QCOMPARE(dlg->ShownAlias(), QString("BETA"));
    QCOMPARE(aliases->item(rowOf(*dlg, "BETA"))->checkState(), Qt::Checked);
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
    // An owner without sheets: the search says so.
    emit aliases->itemActivated(aliases->item(rowOf(*dlg, "OMEGA")));
    dlg->SetTicked(0, false);
    TListVlSearch::OpenOwners(dlg->TableOborg(), "OMEGA", false, "555", false);
    auto* owners = child<QTableView>(*dlg, "DBGrid");
    owners->setCurrentIndex(owners->model()->index(0, 0));
    dlg->SearchBtnClick();
    QCOMPARE(dlg->ResultCount(), 0);
    QCOMPARE(child<QLabel>(*dlg, "LabelSkipped")->text(),
             "Vlastník nemá v zaškrtnutých okresech žádný list vlastnictví.");
    QVERIFY(m_messages.isEmpty());
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
    // A bad option value is a bad command line, as for every option.
    QTest::newRow("bad number") << QStringList{"--alias", "ALFA", "--ident", "12a"} << 2
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

    // With the output type "Mapa" the listing of a sheet whose area has a
    // map ends the dialog with 6: the main window opens that area's map on
    // the sheet's parts, now in the work table.
    QTemporaryDir maps;
    qputenv("ORV_MAP_DIR", maps.path().toLocal8Bit());
    TestSupport::writeOneParcelMap(maps.path(), "600016", "KÚ");
    entries.Lookup = [](const QString&, const QString&, TKUInfo& info) {
        info.Kod = "600016";
        return true;
    };
    QList<TKUInfo> added;
    entries.AddKU = [&](const TKUInfo& info) { added << info; };
    entries.Browser = SheetDialogEntries(true).Browser;
    TListVlDialog toMap(m_fixture->app(), entries);
    TListVlSearch::OpenOwners(toMap.TableOborg(), "ALFA", false, QString::number(qint64(m_ident)),
                              false);
    auto* mapOwners = child<QTableView>(toMap, "DBGrid");
    mapOwners->setCurrentIndex(mapOwners->model()->index(0, 0));
    toMap.SearchBtnClick();
    child<QTableView>(toMap, "Grid")->setCurrentIndex(toMap.ResultModel()->index(0, 1));
    toMap.ListingClick(false);
    qunsetenv("ORV_MAP_DIR");
    QCOMPARE(toMap.result(), int(TListVlDialog::ResultMap));
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(added.size(), 1);
    QCOMPARE(added[0].Kod, QString("600016"));
}

QTEST_MAIN(TstListVlDialog)
#include "tst_listvldialog.moc"
