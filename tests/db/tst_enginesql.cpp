#include "base/ETalvekException.h"
#include "common/TestSupport.h"
#include "db/FilterTranslator.h"
#include "db/SqlTranslator.h"
#include "db/Query.h"
#include "db/Table.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The program's SQL texts run on the real district sample, with the results
// the registry facts (expected-saladin.json) give.
class TestEngineSql : public QObject
{
    Q_OBJECT

private slots:
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

private:
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

static int runTool(const QStringList& args, QByteArray* out, QByteArray* err = nullptr)
{
    QProcess p;
    p.start(TestSupport::orvToolPath(), args);
    p.waitForFinished(60000);
    *out = p.readAllStandardOutput();
    if (err)
        *err = p.readAllStandardError();
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
    row("built-up", {sums.arg(13)}, 1, {"SUM(VYMERA)=4115", "COUNT(VYMERA)=10"});
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
    byName.setSql({"Select IDENT, NAZEV From \"NYSOBORG.DB\"", "Where NAZEV LIKE :PATTERN",
                   "Order By NAZEV"});
    byName.bindValue("PATTERN", QString("BEDNÁŘ%"));
    byName.open();
    QCOMPARE(byName.recordCount(), 1);
    QCOMPARE(byName.asInteger("IDENT"), 4612271713LL);
    byName.close();
    byName.bindValue("PATTERN", QString("x' OR '1'='1%"));
    byName.open();
    QCOMPARE(byName.recordCount(), 0);
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
    QTest::newRow("FROM in an alias")
        << "SELECT NAZEV AS \"x FROM t2 --\" FROM \"NYSKATAL.DB\" WHERE PORCIS = '001' AND "
           "EXISTS (SELECT 1 FROM \"NYSPA001.DB\")"
        << "x FROM t2 --"
        << "SALADÍN";
    QTest::newRow("WHERE in an alias")
        << "SELECT NAZEV AS \"a WHERE b\", PORCIS FROM \"NYSKATAL.DB\" WHERE PORCIS = '001'"
        << "a WHERE b"
        << "SALADÍN";
    QTest::newRow("scalar subquery without AS")
        << "SELECT NAZEV, (SELECT COUNT(*) FROM \"NYSPA001.DB\") FROM \"NYSKATAL.DB\" WHERE "
           "PORCIS = '001'"
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
    auto r = translated("UPDATE \"PRAC.DB\" SET FLAG = 'T'");
    QCOMPARE(r.kind, SqlTranslator::Kind::Update);
    QCOMPARE(r.targetPath, QString("/d/PRAC.DB"));
    r = translated("CREATE TABLE \"export.dbf\" (PARCISLO CHAR(12), VYMERA NUMERIC(9, 0), ICO "
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

QTEST_GUILESS_MAIN(TestEngineSql)
#include "tst_enginesql.moc"
