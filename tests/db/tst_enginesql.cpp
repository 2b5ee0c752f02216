#include "base/ETalvekException.h"
#include "common/TestSupport.h"
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

private:
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

QTEST_GUILESS_MAIN(TestEngineSql)
#include "tst_enginesql.moc"
