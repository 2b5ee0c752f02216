#include "base/ETalvekException.h"
#include "common/TestSupport.h"
#include "db/CzechCollation.h"
#include "db/FilterTranslator.h"
#include "db/SqlTranslator.h"
#include "db/Query.h"
#include "db/Table.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
// Place names in the order the table receives them, and in Czech alphabetical order.
const QStringList places = {"Zbraslav", "Čáslav",   "Cheb",   "Hradec",  "Chrudim",
                            "Žatec",    "Šumava",   "Sázava", "Ústí",    "Určice",
                            "Řevnice",  "Rakovník", "adamov", "Adamov",  "1. máj",
                            "",         "Ďáblice",  "Dobříš", "Hlinsko", "Iglau"};

const QStringList placesInOrder = {"",        "1. máj", "adamov",   "Adamov",   "Čáslav",
                                   "Ďáblice", "Dobříš", "Hlinsko",  "Hradec",   "Cheb",
                                   "Chrudim", "Iglau",  "Rakovník", "Řevnice",  "Sázava",
                                   "Šumava",  "Určice", "Ústí",     "Zbraslav", "Žatec"};
} // namespace

// The program's SQL texts run on the real district sample, with the results
// the registry facts (expected-saladin.json) give.
class TestEngineSql : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void programQueries_data();
    void programQueries();
    void parametersStayData();
    void toolPrintsCsv();
    void namesHoldingKeywords_data();
    void namesHoldingKeywords();
    void twoWritersLoseNothing();

    // The dialect and filter translators alone, tables resolved by a fake resolver.
    void tokenizerKeepsStringsWhole();
    void statementsAreTranslated_data();
    void statementsAreTranslated();
    void kindsAndRefusals();
    void liveSelectIsRecognised();
    void filtersBindValuesAndRefuseBadText();

    // Czech alphabetical order: the comparison itself, and tables, lookups,
    // ranges and statements that order text by it.
    void lettersInAlphabetOrder_data();
    void lettersInAlphabetOrder();
    void malformedUtf8OrdersConsistently();
    void tableOrderNearestRangeAndExactLookups();
    void textPrimaryKeyKeepsExactKeys();
    void sqlOrderBySortsCzech_data();
    void sqlOrderBySortsCzech();

private:
    static QStringList column(Dataset& d, const QString& field);
    QTemporaryDir m_dir;
    static SqlTranslator::Result translated(const QString& sql);
    Query* query(const QString& database, const QStringList& sql);
    QString m_d = TestSupport::realDistrictDir();
};

Query* TestEngineSql::query(const QString& database, const QStringList& sql)
{
    auto* q = new Query(this);
    q->setDatabaseName(database);
    q->setSql(sql);
    q->open();
    return q;
}

static int runTool(const QStringList& args, QByteArray* out)
{
    QProcess p;
    p.start(TestSupport::orvToolPath(), args);
    p.waitForFinished(60000);
    *out = p.readAllStandardOutput();
    return p.exitCode();
}

// A statement of the program (W: the code-table directory), its record count and
// "FIELD=value" of the first record.
void TestEngineSql::programQueries_data()
{
    QTest::addColumn<QStringList>("sql");
    QTest::addColumn<int>("records");
    QTest::addColumn<QStringList>("first");
    const QString sums = "SELECT SUM(VYMERA), COUNT(VYMERA) FROM \"NYSPA001.DB\" WHERE PARSKUP "
                         "<= 2 AND DRUHPOZ = %1";
    const auto row = [](const char* name, const QStringList& sql, int records,
                        const QStringList& first = {}) {
        QTest::newRow(name) << sql << records << first;
    };
    row("no such kind sums to 0", {sums.arg(3)}, 1, {"SUM(VYMERA)=0", "COUNT(VYMERA)=0"});
    row("unquoted catalogue",
        {"SELECT KATUZ, IDENTCIS, NAZEV FROM NYSKATAL.DB", "WHERE PORCIS = '001'"}, 1,
        {"IDENTCIS=789160"});
    row("section B",
        {"Select * From \"NYSVL001.DB\" A, \"W\\NIXDTEXT.DB\" B",
         "Where 'A'.'DLVCIS' = 153 AND 'A'.'DOPLKOD' = 'B'.'KOD' AND 'B'.'CAST' LIKE 'B%'",
         "Order By DOPLPOR"},
        2, {"CAST=B"});
    row("LIKE is case-sensitive",
        {"Select * From \"NYSVL001.DB\" A, \"W/NIXDTEXT.DB\" B",
         "Where 'A'.'DOPLKOD' = 'B'.'KOD' AND 'B'.'CAST' LIKE 'b%'"},
        0);
    row("soil quality", {"Select * From \"NYSBO001.DB\""}, 90);
    row("no parcels of group 3", {"Select PARCISLO From \"NYSPA001.DB\" Where PARSKUP > 2"}, 0);
    row("owners of two sheets",
        {"SELECT DISTINCT NYSUV.ELLVCIS, OBORG.IDENT, OBORG.NAZEV FROM "
         "\"NYSOBORG.DB\" OBORG, \"NYSUV001.DB\" NYSUV",
         "WHERE (OBORG.IDENT = NYSUV.IDENT)", "AND (OBORG.UVCHAR = NYSUV.UVCHAR)",
         "AND (NYSUV.ELLVCIS IN (3,123))", "ORDER BY OBORG.NAZEV"},
        4, {"NAZEV=ČESKÁ REPUBLIKA"});
}

void TestEngineSql::programQueries()
{
    QFETCH(QStringList, sql);
    QFETCH(QStringList, first);
    sql.replaceInStrings("\"W\\", "\"" + TestSupport::realWorkDbDir() + "\\");
    sql.replaceInStrings("\"W/", "\"" + TestSupport::realWorkDbDir() + "/");
    Query* q = query(m_d, sql);
    QTEST(q->recordCount(), "records");
    for (const QString& check : first)
        QCOMPARE(check.section('=', 0, 0) + '=' + q->asString(check.section('=', 0, 0)), check);
}

void TestEngineSql::parametersStayData()
{
    // A user's name goes in as a parameter, never into the text.
    Query byName;
    byName.setDatabaseName(m_d);
    byName.setSql({"Select IDENT, NAZEV From \"NYSOBORG.DB\"", "Where NAZEV LIKE :PATTERN"});
    for (const QString pattern : {"BEDNÁŘ%", "x' OR '1'='1%"}) {
        byName.close();
        byName.bindValue("PATTERN", pattern);
        byName.open();
        QCOMPARE(byName.recordCount(), pattern.startsWith('B') ? 1 : 0);
    }
}

void TestEngineSql::toolPrintsCsv()
{
    QByteArray sqlOut;
    QByteArray dumpOut;
    QCOMPARE(runTool({"sql", "--dir", m_d, "SELECT * FROM \"nyspa001.db\""}, &sqlOut), 0);
    QCOMPARE(runTool({"dump", m_d + "/NYSPA001.DB"}, &dumpOut), 0);
    QCOMPARE(sqlOut, dumpOut); // a whole table reads as its dump
    QCOMPARE(runTool({"sql", "--dir", m_d,
                      "SELECT SUM(VYMERA), COUNT(VYMERA) FROM \"NYSPA001.DB\" WHERE PARSKUP "
                      "<= 2 AND DRUHPOZ = 13"},
                     &sqlOut),
             0);
    QCOMPARE(sqlOut, QByteArray("SUM(VYMERA),COUNT(VYMERA)\r\n4115,10\r\n"));
}
void TestEngineSql::namesHoldingKeywords_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("value");
    const QString where = " FROM \"NYSKATAL.DB\" WHERE PORCIS = '001'";
    QTest::newRow("FROM in an alias") << "SELECT NAZEV AS \"x FROM t2 --\"" + where +
                                             " AND EXISTS (SELECT 1 FROM \"NYSPA001.DB\")"
                                      << "x FROM t2 --"
                                      << "SALADÍN";
    QTest::newRow("WHERE in an alias")
        << "SELECT NAZEV AS \"a WHERE b\", PORCIS" + where << "a WHERE b"
        << "SALADÍN";
    QTest::newRow("scalar subquery without AS")
        << "SELECT NAZEV, (SELECT COUNT(*) FROM \"NYSPA001.DB\")" + where
        << "(SELECT COUNT(*) FROM \"NYSPA001.DB\")"
        << "144";
}

void TestEngineSql::namesHoldingKeywords()
{
    QFETCH(QString, sql);
    QFETCH(QString, column);
    QFETCH(QString, value);
    Query q;
    q.setDatabaseName(m_d);
    q.setSql(sql);
    q.open();
    QCOMPARE(q.recordCount(), 1);
    QCOMPARE(q.asString(column), value);
    q.setFilter("PORCIS = '001'");
    q.setFiltered(q.hasField("PORCIS")); // a filter adds its own WHERE
    QCOMPARE(q.recordCount(), 1);
}

// This process and orv-tool (a second clerk on the same directory) write one
// own-text table in turns.
void TestEngineSql::twoWritersLoseNothing()
{
    QTemporaryDir dir;
    const auto other = [&](const QString& sql) {
        QByteArray out;
        return runTool({"sql", "--dir", dir.path(), sql}, &out) == 0 ? out : QByteArray("failed");
    };
    const QByteArray one = "1\n"; // rows changed
    const QString texts = "SELECT PARCIS, TEXT FROM \"ORVTX001.DB\" ORDER BY PARCIS";
    other("CREATE TABLE \"ORVTX001.DB\" (PARCIS INTEGER, TEXT CHAR(20), PRIMARY KEY (PARCIS))");
    Table mine;
    mine.setDatabaseName(dir.path());
    mine.setTableName("ORVTX001.DB");
    mine.open();
    // Types a text into row `parcis`, a new one when `appending`; the caller posts.
    const auto type = [&](int parcis, const QString& text, bool appending) {
        if (appending) {
            mine.append();
            mine.setValue("PARCIS", parcis);
        } else {
            QVERIFY(mine.findKey({parcis}));
            mine.edit();
        }
        mine.setValue("TEXT", text);
    };
    type(1, "první", true);
    mine.post();
    QCOMPARE(other("INSERT INTO \"ORVTX001.DB\" (PARCIS, TEXT) VALUES (2, 'cizí')"), one);
    type(3, "třetí", true);
    mine.post();
    QCOMPARE(other("UPDATE \"ORVTX001.DB\" SET TEXT = 'cizí 2' WHERE PARCIS = 2"), one);
    type(1, "moje 1", false);
    mine.post(); // another row than the other writer's
    QCOMPARE(other(texts), QByteArray("PARCIS,TEXT\r\n1,moje 1\r\n2,cizí 2\r\n3,třetí\r\n"));
    // Both change one row: this one is refused and the typed text stays.
    type(3, "moje 3", false);
    QCOMPARE(other("UPDATE \"ORVTX001.DB\" SET TEXT = 'cizí 3' WHERE PARCIS = 3"), one);
    QVERIFY(TestSupport::refusal([&] { mine.post(); }).contains("ORVTX001.DB"));
    QCOMPARE(mine.state(), Dataset::State::Edit);
    QCOMPARE(mine.asString("TEXT"), QString("moje 3"));
    mine.cancel();
    type(2, "moje 2", true); // the other writer's key
    QVERIFY_THROWS_EXCEPTION(ETalvekException, mine.post());
    mine.cancel();
    QCOMPARE(other(texts), QByteArray("PARCIS,TEXT\r\n1,moje 1\r\n2,cizí 2\r\n3,cizí 3\r\n"));
    QVERIFY(!QFile::exists(dir.filePath(".ORVTX001.DB.orvlock")));
}

SqlTranslator::Result TestEngineSql::translated(const QString& sql)
{
    auto resolver = [](const QString& fileName) {
        QString name = QString(fileName).replace(u'\\', u'/');
        name = name.mid(name.lastIndexOf(u'/') + 1).toUpper();
        if (name == "MISSING.DB")
            throw ETalvekException("Tabulka 'MISSING.DB' nebyla nalezena");
        QList<FieldDef> fields{{"PARSKUP", FieldType::SmallInt}, {"FLAG", FieldType::Boolean}};
        return SqlTranslator::TableInfo{"/d/" + name, "t_" + name.section('.', 0, 0), fields};
    };
    return SqlTranslator::translate(sql, resolver);
}

void TestEngineSql::tokenizerKeepsStringsWhole()
{
    const auto t = SqlTokenizer::tokenize("WHERE NAZEV LIKE 'O''NEIL -- %' -- comment\nAND x<>1");
    QCOMPARE(t.size(), 8);
    QCOMPARE(t[3].kind, SqlToken::String);
    QCOMPARE(t[3].text, QString("O'NEIL -- %"));
    QVERIFY(t[6].isSymbol("<>"));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, SqlTokenizer::tokenize("SELECT 'open"));
    // A quoted user value comes back as one string token, unchanged.
    const QString value = "x' OR '1'='1 %*Ř";
    const auto q = SqlTokenizer::tokenize("NAZEV = " + SqlTokenizer::quoteString(value));
    QCOMPARE(q.size(), 3);
    QCOMPARE(q[2].text, value);
}

void TestEngineSql::statementsAreTranslated_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QStringList>("fragments");
    const QStringList a{"/d/A.DB"};
    // The joins, aliases, quoted identifiers and SUM of nothing of the program's
    // statements run on the sample district; here the cases it does not reach.
    QTest::newRow("backslash path") << "Select * From \"/opt/WorkDB\\NIXDTEXT.DB\" Where KOD = 999"
                                    << QStringList{"/d/NIXDTEXT.DB"} << QStringList{};
    QTest::newRow("T of a text field stays")
        << "UPDATE \"A.DB\" SET FLAG = FALSE WHERE PARSKUP = 'T'" << a
        << QStringList{"FLAG = 0", "PARSKUP = 'T'"};
    QTest::newRow("F on the left")
        << "SELECT * FROM \"A.DB\" WHERE 'F' = FLAG" << a << QStringList{"0 = FLAG"};
    QTest::newRow("sum of expression") << "SELECT SUM(A*(B+1)) AS TOTAL FROM \"A.DB\"" << a
                                       << QStringList{"COALESCE(SUM ( A * ( B + 1 ) ),0) AS TOTAL"};
}

void TestEngineSql::statementsAreTranslated()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, paths);
    QFETCH(QStringList, fragments);
    const auto r = translated(sql);
    QCOMPARE(r.tablePaths, paths);
    for (const QString& fragment : fragments)
        QVERIFY2(r.sql.contains(fragment), qPrintable(r.sql));
}

void TestEngineSql::kindsAndRefusals()
{
    auto r = translated("CREATE TABLE \"export.dbf\" (PARCISLO CHAR(12), VYMERA NUMERIC(9, 0), ICO "
                        "NUMERIC(11, 0), VLASTNIK CHAR(60))");
    QCOMPARE(r.kind, SqlTranslator::Kind::CreateTable);
    QCOMPARE(r.createFileName, QString("export.dbf"));
    QCOMPARE(r.createFields.size(), 4);
    QCOMPARE(r.createFields[0].type, FieldType::String);
    QCOMPARE(r.createFields[0].size, 12);
    QCOMPARE(r.createFields[1].type, FieldType::Float);
    QCOMPARE(r.createFields[1].size, 9);
    QCOMPARE(translated("CREATE TABLE \"k.db\" (A SMALLINT, B CHAR(3), PRIMARY KEY (A))")
                 .createKeyFieldCount,
             1);
    // A missing table, a statement the dialect does not know, bad definitions.
    const QList<QPair<QString, QString>> refused = {
        {"SELECT * FROM \"MISSING.DB\"", "MISSING.DB"},
        {"DROP TABLE \"A.DB\"", "DROP"},
        {"   ", ""},
        {"CREATE TABLE \"k.db\" (A CHAR(0))", ""},
        {"CREATE TABLE \"k.db\" (A WHATEVER)", ""},
        {"CREATE TABLE \"k.db\" (A CHAR(2), B CHAR(2), PRIMARY KEY (B))", ""}};
    for (const auto& [sql, named] : refused) {
        const QString message = TestSupport::refusal([&] { translated(sql); });
        QVERIFY2(!message.isEmpty() && message.contains(named), qPrintable(sql));
    }
}

void TestEngineSql::liveSelectIsRecognised()
{
    auto r = translated("Select * From \"NYSBO001.DB\"");
    QVERIFY(r.live);
    QCOMPARE(r.liveAlias, QString("NYSBO001"));
    r = translated("Select * From \"NYSVL001.DB\" Where DLVCIS = 5 Order by DOPLPOR, DOPLKOD");
    QVERIFY(r.live);
    QCOMPARE(r.liveWhere, QString("DLVCIS = 5"));
    // Ordering terms sort text in Czech order.
    QCOMPARE(r.liveOrder, QString("DOPLPOR COLLATE CS , DOPLKOD COLLATE CS"));
    for (const char* sql : {"Select DISTINCT * From \"A.DB\"",
                            "Select * From \"A.DB\" X, \"B.DB\" Y", "Select PARSKUP From \"A.DB\""})
        QVERIFY2(!translated(sql).live, sql);
}

void TestEngineSql::filtersBindValuesAndRefuseBadText()
{
    const QList<FieldDef> fields{{"PORCIS", FieldType::String, 3},
                                 {"NAZEV", FieldType::String, 30},
                                 {"FLAG", FieldType::Boolean},
                                 {"CPCE", FieldType::Float}};
    QVariantMap p;
    QString sql = FilterTranslator::translate("PORCIS > '000' and NAZEV = 'SAL*'", fields, p);
    QCOMPARE(sql, QString("(\"PORCIS\" > :f0 AND (\"NAZEV\" IS NOT NULL AND "
                          "coalesce(substr(\"NAZEV\",1,3),'') = :f1))"));
    QCOMPARE(p.value(":f0").toString(), QString("000"));
    QCOMPARE(p.value(":f1").toString(), QString("SAL"));
    for (const char* bad :
         {"NOSUCH = 'A'", "PORCIS =", "PORCIS", "PORCIS = 'A' and", "(PORCIS = 1"})
        QVERIFY_THROWS_EXCEPTION(ETalvekException, FilterTranslator::translate(bad, fields, p));
}

void TestEngineSql::lettersInAlphabetOrder_data()
{
    QTest::addColumn<QString>("lower");
    QTest::addColumn<QString>("higher");
    // Accents and case only break ties: Á counts as A until the rest is equal,
    // lower case comes first, an accent outweighs case.
    // The last: decomposed á (a + combining acute) differs from the precomposed one.
    const QStringList pairs = {
        "C < Č", "Č < D", "H < CH", "CH < I", "hrad < chata", "cizí < chata", "čára < chata",
        "Čáslav < Zbraslav", "Šumava < Žatec", "Sázava < Šumava", "rz < řa", "Zz < Ža", " < a",
        "Praha < Praha 1", "a b < ab", "- < 0", "9 < A", "10 < 9", "Ďáblice < Dobříš",
        "Úvoz < Uzel", "Ž < Ω", "ch < Ch", "Chata < chatb", "Abc < Ábc", "Ábc < Abd", "de < dě",
        "adamov < Adamov", "Adamov < adamova", "CHATA < chatb", "A < á", u"á < a\u0301"_s,
        // Relations the system's Czech collator (ICU) gives too.
        "a b < a-b", "a-b < ab", "ďábel < dasa", "éra < ěř", "ěř < Eva", "kůň < kuna", "Tuk < ťuk",
        "úl < ůl", "yko < Ýko", "Praha 10 < Praha 9"};
    for (const QString& pair : pairs)
        QTest::newRow(qPrintable(pair)) << pair.section(" < ", 0, 0) << pair.section(" < ", 1);
}

void TestEngineSql::lettersInAlphabetOrder()
{
    QFETCH(QString, lower);
    QFETCH(QString, higher);
    QVERIFY(CzechCollation::compare(lower, higher) < 0);
    QVERIFY(CzechCollation::compare(higher, lower) > 0);
    QCOMPARE(CzechCollation::compare(lower, lower), 0);
}

void TestEngineSql::malformedUtf8OrdersConsistently()
{
    const char bad1[] = "a\xC4";
    const char bad2[] = "a\xC5";
    const int forward = CzechCollation::compareUtf8(bad1, 2, bad2, 2);
    QVERIFY(forward != 0);
    QCOMPARE(CzechCollation::compareUtf8(bad2, 2, bad1, 2), -forward);
    QCOMPARE(CzechCollation::compareUtf8(bad1, 2, bad1, 2), 0);
}

// A table of places keyed by their code, with a secondary index by name.
void TestEngineSql::initTestCase()
{
    Table t;
    t.setDatabaseName(m_dir.path());
    t.setTableName("OBCE.DB");
    t.setFieldDefs({{"KOD", FieldType::Integer, 0, true}, {"NAZEV", FieldType::String, 30}});
    t.setIndexDefs({{"KOD", {"KOD"}, true, true}, {"NAZEV", {"NAZEV"}, false, false}});
    t.createTable();
    t.open();
    for (int i = 0; i < places.size(); ++i) {
        t.append();
        t.setValue("KOD", i + 1);
        t.setValue("NAZEV", places[i].isEmpty() ? QVariant() : QVariant(places[i]));
        t.post();
    }
}

QStringList TestEngineSql::column(Dataset& d, const QString& field)
{
    QStringList values;
    for (d.first(); !d.eof(); d.next())
        values.append(d.value(field).toString());
    return values;
}

void TestEngineSql::tableOrderNearestRangeAndExactLookups()
{
    Table t;
    t.setDatabaseName(m_dir.path());
    t.setTableName("OBCE.DB");
    t.setIndexName("NAZEV");
    t.open();
    QCOMPARE(column(t, "NAZEV"), placesInOrder);
    // A field list orders the same way; numbers still order as numbers.
    t.setIndexFieldNames("NAZEV;KOD");
    QCOMPARE(column(t, "NAZEV"), placesInOrder);
    t.setIndexName(QString());
    QCOMPARE(t.value("KOD").toInt(), 1);
    t.setIndexName("NAZEV");
    const QList<QPair<QString, QString>> nearest = {
        {"Ch", "Cheb"}, {"Ci", "Čáslav"}, {"Hr", "Hradec"}, {"Š", "Šumava"}, {"Źz", "Žatec"}};
    for (const auto& [key, found] : nearest) {
        t.findNearest({key});
        QCOMPARE(t.value("NAZEV").toString(), found);
    }
    t.setRange({"C"}, {"Hz"});
    QCOMPARE(column(t, "NAZEV"), QStringList({"Čáslav", "Ďáblice", "Dobříš", "Hlinsko", "Hradec"}));
    // The end key is inclusive: "Ř" itself would end before "Řevnice".
    t.setRange({"H"}, {"Ř"});
    QCOMPARE(column(t, "NAZEV").last(), QString("Rakovník"));
    t.setRange({"H"}, {"Řz"});
    QCOMPARE(column(t, "NAZEV"),
             QStringList({"Hlinsko", "Hradec", "Cheb", "Chrudim", "Iglau", "Rakovník", "Řevnice"}));
    t.cancelRange();
    QCOMPARE(t.recordCount(), places.size());
    // Two order fields: the text one still decides first.
    t.setIndexFieldNames("NAZEV;KOD");
    t.findNearest({"Ch", 0});
    QCOMPARE(t.value("NAZEV").toString(), QString("Cheb"));
    t.findNearest({"Adamov", 100});
    QCOMPARE(t.value("NAZEV").toString(), QString("Čáslav"));
    t.setRange({"Cheb", 0}, {"Chrudim", 100});
    QCOMPARE(column(t, "NAZEV"), QStringList({"Cheb", "Chrudim"}));
    t.cancelRange();
    // Exact lookups stay exact: case and accents count.
    t.setIndexName("NAZEV");
    for (const QString name : {"Adamov", "adamov", "ADAMOV", "Caslav", "Čáslav"}) {
        const bool found = t.findKey({name});
        QCOMPARE(found, places.contains(name));
        QVERIFY(!found || t.value("KOD").toInt() == places.indexOf(name) + 1);
    }
}

void TestEngineSql::textPrimaryKeyKeepsExactKeys()
{
    Table t;
    t.setDatabaseName(m_dir.path());
    t.setTableName("ZKRATKY.DB");
    t.setFieldDefs({{"ZKR", FieldType::String, 10, true}, {"POCET", FieldType::Integer}});
    t.setIndexDefs({{"", {"ZKR"}, true, true}});
    t.createTable();
    t.open();
    // Keys differing only in case or accent are different keys.
    for (const char* key : {"ch", "Ch", "c", "č", "C", "d", "h"}) {
        t.append();
        t.setValue("ZKR", QString::fromUtf8(key));
        t.post();
    }
    t.append();
    t.setValue("ZKR", "Ch");
    QVERIFY_THROWS_EXCEPTION(ETalvekException, t.post());
    t.cancel();
    QCOMPARE(column(t, "ZKR"), QStringList({"c", "C", "č", "d", "h", "ch", "Ch"}));
    QVERIFY(t.findKey({"Ch"}));
    QCOMPARE(t.recNo(), 6);
    QVERIFY(!t.findKey({"CH"}));
}

void TestEngineSql::sqlOrderBySortsCzech_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("expected"); // of the ordered column
    const QString table = "SELECT NAZEV, KOD FROM \"OBCE.DB\" WHERE ";
    const QStringList first3 = {"Čáslav", "Cheb", "Zbraslav"};
    QTest::newRow("descending") << table + "NAZEV LIKE 'C%' OR NAZEV LIKE 'Č%' ORDER BY NAZEV DESC"
                                << QStringList({"Chrudim", "Cheb", "Čáslav"});
    QTest::newRow("live query") << "SELECT * FROM \"OBCE.DB\" WHERE KOD <= 3 ORDER BY NAZEV"
                                << first3;
    QTest::newRow("column number") << table + "KOD <= 3 ORDER BY 1" << first3;
    QTest::newRow("numeric term") << table + "KOD >= 9 AND KOD <= 11 ORDER BY KOD DESC"
                                  << QStringList({"11", "10", "9"});
}

void TestEngineSql::sqlOrderBySortsCzech()
{
    QFETCH(QString, sql);
    Query q;
    q.setDatabaseName(m_dir.path());
    q.setSql(sql);
    q.open();
    QTEST(column(q, sql.contains("ORDER BY KOD") ? "KOD" : "NAZEV"), "expected");
}

QTEST_GUILESS_MAIN(TestEngineSql)
#include "tst_enginesql.moc"
