#include "base/ETalvekException.h"
#include "common/TestSupport.h"
#include "db/BatchMove.h"
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
    void statisticsQueries();
    void sheetQueries();
    void catalogueAndOwnerQueries();
    void workTableStatements();
    void selectionQueries();
    void exportTables();
    void toolPrintsCsvAndCounts();
    void namesHoldingKeywords_data();
    void twoWritersLoseNothing();
    void namesHoldingKeywords();

private:
    Query* query(const QString& database, const QStringList& sql);
    QString m_d = TestSupport::realDistrictDir();
    QString m_w = TestSupport::realWorkDbDir();
};

Query* TestEngineSql::query(const QString& database, const QStringList& sql)
{
    auto* q = new Query(this);
    q->setDatabaseName(database);
    q->setSql(sql);
    q->open();
    return q;
}

void TestEngineSql::statisticsQueries()
{
    const QString f = "SELECT SUM(VYMERA), COUNT(VYMERA) FROM \"%1\" WHERE PARSKUP <= 2 AND "
                      "DRUHPOZ = %2";
    const QList<QPair<int, QPair<int, int>>> expected{
        {2, {268939, 7}},  {5, {6932, 5}},   {7, {435150, 32}}, {10, {420433, 42}},
        {11, {24722, 14}}, {13, {4115, 10}}, {14, {83468, 34}}, {3, {0, 0}}};
    for (const auto& [kind, sums] : expected) {
        Query* q = query(m_d, {f.arg("NYSPA001.DB").arg(kind)});
        QCOMPARE(q->recordCount(), 1);
        QCOMPARE(q->asInteger("SUM(VYMERA)"), sums.first);
        QCOMPARE(q->asInteger("COUNT(VYMERA)"), sums.second);
        QVERIFY(!q->isNull("SUM(VYMERA)")); // an empty set sums to 0
    }
    Query* pk =
        query(m_d, {"SELECT SUM(VYMERA), COUNT(VYMERA) FROM \"NYSPA001.DB\" WHERE PARSKUP > 2"});
    QCOMPARE(pk->asFloat("SUM(VYMERA)"), 0.0);
    Query* houses = query(m_d, {"SELECT CPCE, NEMVYUZ FROM \"NYSPA001.DB\" WHERE PARSKUP <= 2 "
                                "AND DRUHPOZ = 13 AND CPCE > 0"});
    int cp = 0;
    for (houses->first(); !houses->eof(); houses->next())
        cp += houses->asInteger("NEMVYUZ") % 10 == 0 ? 1 : 0;
    QCOMPARE(cp, 7);
    Query* kat =
        query(m_d, {"SELECT KATUZ, IDENTCIS, NAZEV FROM NYSKATAL.DB", "WHERE PORCIS = '001'"});
    QCOMPARE(kat->asString("IDENTCIS"), QString("789160"));
    Query* obec = query(m_d, {"SELECT IDENTCIS, NAZEV FROM NYSKATAL.DB", "WHERE KATUZ = '00100'"});
    QCOMPARE(obec->asString("NAZEV"), QString("ZÁBLATÍ"));
}

void TestEngineSql::sheetQueries()
{
    // Section B of sheet 153 joins records with their code-table kinds.
    Query* b =
        query(m_d, {QString("Select * From \"NYSVL001.DB\" A, \"%1\\NIXDTEXT.DB\" B").arg(m_w),
                    "Where 'A'.'DLVCIS' = 153 AND 'A'.'DOPLKOD' = 'B'.'KOD' AND "
                    "'B'.'CAST' LIKE 'B%'",
                    "Order By DOPLPOR"});
    QVERIFY(b->recordCount() >= 2);
    for (b->first(); !b->eof(); b->next())
        QCOMPARE(b->asString("CAST"), QString("B"));
    Query* lower =
        query(m_d, {QString("Select * From \"NYSVL001.DB\" A, \"%1/NIXDTEXT.DB\" B").arg(m_w),
                    "Where 'A'.'DOPLKOD' = 'B'.'KOD' AND 'B'.'CAST' LIKE 'b%'"});
    QCOMPARE(lower->recordCount(), 0); // LIKE is case-sensitive
    Query* none =
        query(m_d, {QString("Select * From \"%1\\NIXDTEXT.DB\" Where KOD = 999").arg(m_w)});
    QCOMPARE(none->recordCount(), 1);
    Query* land =
        query(m_d, {"Select DOPLPOR, DOPLKOD, DOPLUDAJ From \"NYSVL001.DB\"",
                    "Where DLVCIS = 153 and DOPLKOD in (82, 90)", "Order by DOPLPOR, DOPLKOD"});
    QCOMPARE(land->recordCount(), 2);
    QCOMPARE(land->asInteger("DOPLUDAJ"), 106);
    Query* ref =
        query(m_d, {"Select DOPLUDAJ From \"NYSVL001.DB\"", "Where DLVCIS = 106 and DOPLKOD = 93"});
    QVERIFY(ref->recordCount() >= 1);
    Query* texts = query(
        m_d, {"SELECT RADEK, TEXT FROM \"NYSTX001.DB\"", "WHERE DLVCIS = 153 AND DOPLPOR = 1"});
    QCOMPARE(texts->recordCount(), 2);
    QCOMPARE(texts->fieldCount(), 2);
    Query* other =
        query(m_d, {"Select DOPLUDAJ From \"NYSVL001.DB\"", "Where DLVCIS = 153 and DOPLKOD = 82"});
    QCOMPARE(other->asInteger("DOPLUDAJ"), 106);
    Query* landOwners = query(m_d, {"Select * From \"NYSUV001.DB\"", "WHERE ELLVCIS = 106"});
    QCOMPARE(landOwners->recordCount(), 1);
    QCOMPARE(landOwners->asInteger("IDENT"), 7757149372LL);
    // The soil-quality query is narrowed by a filter, as the browser does.
    Query* bonity = query(m_d, {"Select * From \"NYSBO001.DB\""});
    QCOMPARE(bonity->recordCount(), 90);
    bonity->setFilter(QString("PARSKUP=%1 AND PARCIS=%2 AND PARPOD=%3")
                          .arg(bonity->asInteger("PARSKUP"))
                          .arg(bonity->asInteger("PARCIS"))
                          .arg(bonity->asInteger("PARPOD")));
    bonity->setFiltered(true);
    QVERIFY(bonity->recordCount() >= 1 && bonity->recordCount() < 90);
    Query* pk = query(m_d, {"Select PARSKUP, PARCISLO, PARDIL, VYMERA, CPCE From \"NYSPA001.DB\"",
                            "Where PARSKUP > 2"});
    QCOMPARE(pk->recordCount(), 0);
}

void TestEngineSql::catalogueAndOwnerQueries()
{
    Query* owners =
        query(m_d, {"SELECT DISTINCT NYSUV.ELLVCIS, OBORG.IDENT, OBORG.NAZEV FROM "
                    "\"NYSOBORG.DB\" OBORG, \"NYSUV001.DB\" NYSUV",
                    "WHERE (OBORG.IDENT = NYSUV.IDENT)", "AND (OBORG.UVCHAR = NYSUV.UVCHAR)",
                    "AND (NYSUV.ELLVCIS IN (3,123))", "ORDER BY OBORG.NAZEV"});
    QCOMPARE(owners->recordCount(), 4);
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
    Query* parts =
        query(m_d, {"SELECT DISTINCT PA.PARSKUP,PA.PARCIS,PA.PARPOD,PA.PARDIL,PA.VYMERA,"
                    "PA.DRUHPOZ,PA.CPCE,PA.NEMVYUZ,PA.PARCISLO",
                    "FROM \"NYSPA001.DB\" PA, \"NYSOBORG.DB\" OBORG, \"NYSUV001.DB\" NYSUV",
                    "WHERE (PA.LVCIS = NYSUV.ELLVCIS) AND (OBORG.IDENT = NYSUV.IDENT) ",
                    "AND (OBORG.UVCHAR = NYSUV.UVCHAR)", "AND (OBORG.IDENT >= 0)"});
    QVERIFY(parts->recordCount() > 0);
    QCOMPARE(parts->fieldCount(), 9);
}

void TestEngineSql::workTableStatements()
{
    QTemporaryDir dir;
    Table work;
    work.setDatabaseName(dir.path());
    work.setTableName("PRAC.DB");
    work.setFieldDefs({{"PARSKUP", FieldType::SmallInt},
                       {"PARCIS", FieldType::Integer},
                       {"PARPOD", FieldType::SmallInt},
                       {"PARDIL", FieldType::SmallInt},
                       {"VYMERA", FieldType::Integer},
                       {"DRUHPOZ", FieldType::SmallInt},
                       {"CPCE", FieldType::Integer},
                       {"NEMVYUZ", FieldType::SmallInt},
                       {"PARCISLO", FieldType::String, 12},
                       {"LVCIS", FieldType::Integer},
                       {"FLAG", FieldType::Boolean}});
    work.setIndexDefs({{"PCDIL", {"PARSKUP", "PARCIS", "PARPOD", "PARDIL"}, true, true}});
    work.createTable();
    Query* all = query(m_d, {"SELECT PARSKUP,PARCIS,PARPOD,PARDIL,VYMERA,DRUHPOZ,CPCE,NEMVYUZ,"
                             "PARCISLO,LVCIS FROM \"NYSPA001.DB\""});
    QCOMPARE(BatchMove::execute(*all, work, BatchMove::Mode::Append), 144);
    Query mark;
    mark.setDatabaseName(dir.path());
    mark.setSql("UPDATE \"PRAC.DB\" SET FLAG = TRUE");
    QCOMPARE(mark.execSql(), 144);
    Query* sums =
        query(dir.path(), {"SELECT SUM(VYMERA), COUNT(VYMERA) FROM \"PRAC.DB\" WHERE FLAG = TRUE"});
    QCOMPARE(sums->asInteger("COUNT(VYMERA)"), 144);
    Query* distinct = query(dir.path(), {"SELECT DISTINCT PARCISLO FROM \"PRAC.DB\""});
    QCOMPARE(distinct->recordCount(), 144);
    Query* buildings =
        query(dir.path(), {"SELECT VYMERA,CPCE,NEMVYUZ FROM \"PRAC.DB\" WHERE FLAG = "
                           "TRUE AND DRUHPOZ = 13 AND CPCE > 0"});
    QCOMPARE(buildings->recordCount(), 7);
    Query* list =
        query(dir.path(), {"Select Distinct FLAG, PARSKUP, PARCIS, PARPOD, PARDIL, PARCISLO",
                           "From \"PRAC.DB\"", "Order By PARSKUP, PARCIS, PARPOD, PARDIL"});
    list->setFilter("FLAG");
    list->setFiltered(true);
    QCOMPARE(list->recordCount(), 144);
    mark.setSql("UPDATE \"PRAC.DB\" SET FLAG = FALSE");
    mark.execSql();
    list->refresh();
    QCOMPARE(list->recordCount(), 0);
    // Whole parcels through the self join of the conditions dialog.
    Query* whole = query(m_d, {"SELECT DB2.PARSKUP,DB2.PARCIS,DB2.PARPOD,DB2.PARDIL,DB2.VYMERA,"
                               "DB2.DRUHPOZ,DB2.CPCE,DB2.NEMVYUZ,DB2.PARCISLO,DB2.LVCIS",
                               "FROM \"NYSPA001.DB\" DB1 LEFT JOIN \"NYSPA001.DB\" DB2 ON "
                               "DB1.PARCISLO = DB2.PARCISLO WHERE DB1.DRUHPOZ = 13"});
    QCOMPARE(whole->recordCount(), 10);
    QCOMPARE(BatchMove::execute(*whole, work, BatchMove::Mode::Delete), 10);
    QCOMPARE(work.recordCount(), 134);
}

void TestEngineSql::selectionQueries()
{
    const QString columns = "SELECT PARSKUP,PARCIS,PARPOD,PARDIL,VYMERA,DRUHPOZ,CPCE,NEMVYUZ,"
                            "PARCISLO,LVCIS";
    // House number 5 in any part of the municipality.
    Query* house = query(m_d, {columns, "FROM \"NYSPA001.DB\" WHERE CPCE=5",
                               "OR CPCE-5 IN (0, 10000, 20000, 30000, 40000, 50000, 60000, 70000, "
                               "80000, 90000,100000,110000,120000,130000,140000,150000,160000,"
                               "170000,180000,190000,200000,210000,220000,230000,240000,250000,"
                               "260000,270000,280000,290000)"});
    QCOMPARE(house->recordCount(), 1);
    QCOMPARE(house->asString("PARCISLO"), QString("-5/1"));
    // One sheet and the parcel it references through a code-93 record.
    Query* sheet = query(m_d, {columns + " FROM \"NYSPA001.DB\" WHERE LVCIS = 106"});
    QCOMPARE(sheet->recordCount(), 3);
    Query* referenced = query(m_d, {columns + " FROM \"NYSPA001.DB\"",
                                    "Where PARSKUP=1 and PARCIS=14 and PARPOD=2 and VLVZTAH=5"});
    QCOMPARE(referenced->recordCount(), 1);
    // Owners from an identification number on, and by the start of a name.
    Query* fromIdent = query(m_d, {"Select IDENT, NAZEV From \"NYSOBORG.DB\"",
                                   "Where IDENT >= 5559095800", "Order By IDENT"});
    QVERIFY(fromIdent->recordCount() >= 2);
    QCOMPARE(fromIdent->asInteger("IDENT"), 5559095800LL);
    Query* byName = query(m_d, {"Select IDENT, NAZEV From \"NYSOBORG.DB\"",
                                "Where NAZEV LIKE '%KATEŘINA%'", "Order By NAZEV"});
    QCOMPARE(byName->recordCount(), 1);
    // The catalogue rows of one municipality, by a filter.
    Table kat;
    kat.setDatabaseName(m_d);
    kat.setTableName("NYSKATAL.DB");
    kat.setIndexFieldNames("NAZEV");
    kat.setFilter("KATUZ >= '00101' and KATUZ <= '00199'");
    kat.setFiltered(true);
    kat.open();
    QCOMPARE(kat.recordCount(), 1);
    QCOMPARE(kat.asString("PORCIS"), QString("001"));
    Query* district =
        query(m_d, {"SELECT IDENTCIS, NAZEV FROM NYSKATAL.DB", "WHERE KATUZ = '00000'"});
    QCOMPARE(district->asString("NAZEV"), QString("PRACHATICE"));
}

void TestEngineSql::exportTables()
{
    QTemporaryDir dir;
    for (const QString& name : {QString("export.db"), QString("export.dbf")}) {
        Query create;
        create.setDatabaseName(dir.path());
        create.setSql("CREATE TABLE \"" + name +
                      "\" (PARCISLO CHAR(12), VYMERA NUMERIC(9, 0), VLASTNIK CHAR(60))");
        create.execSql();
        QVERIFY(QFile::exists(dir.filePath(name)));
        QVERIFY_THROWS_EXCEPTION(ETalvekException, create.execSql()); // exists already
        Query out;
        out.setDatabaseName(dir.path());
        out.setSql("Select * From \"" + name + "\"");
        out.open();
        out.append();
        out.setValue("PARCISLO", "-14/2");
        out.setValue("VYMERA", 4);
        out.setValue("VLASTNIK", "ŠIMKOVÁ ALENA, LUČNÍ 390, STACHY");
        out.post();
        out.close();
        Query back;
        back.setDatabaseName(dir.path());
        back.setSql("SELECT PARCISLO, VYMERA, VLASTNIK FROM \"" + name.toUpper() + "\"");
        back.open();
        QCOMPARE(back.recordCount(), 1);
        QCOMPARE(back.asString("VLASTNIK"), QString("ŠIMKOVÁ ALENA, LUČNÍ 390, STACHY"));
        QCOMPARE(back.asInteger("VYMERA"), 4);
    }
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

void TestEngineSql::toolPrintsCsvAndCounts()
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

    QTemporaryDir dir;
    QVERIFY(QFile::copy(m_d + "/NYSKATAL.DB", dir.filePath("NYSKATAL.DB")));
    QFile::setPermissions(dir.filePath("NYSKATAL.DB"), QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray before = [&] {
        QFile f(dir.filePath("NYSKATAL.DB"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    QByteArray err;
    // The registry is read only, also for the tool.
    QCOMPARE(runTool({"sql", "--dir", dir.path(),
                      "UPDATE NYSKATAL.DB SET NAZEV = 'X' WHERE "
                      "PORCIS > '000'"},
                     &sqlOut, &err),
             1);
    QVERIFY2(err.contains("NYSKATAL.DB"), err.constData());
    QCOMPARE(runTool({"sql", "--dir", dir.path(), "SELECT NOSUCH FROM NYSKATAL.DB"}, &sqlOut, &err),
             1);
    QVERIFY(err.contains("NOSUCH"));
    QCOMPARE(runTool({"sql", "--alias", "NOSUCHALIAS", "SELECT * FROM \"A.DB\""}, &sqlOut, &err),
             1);
    QVERIFY(err.contains("NOSUCHALIAS"));
    QFile f(dir.filePath("NYSKATAL.DB"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before); // nothing written
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
    Query create;
    create.setDatabaseName(dir.path());
    create.setSql("CREATE TABLE \"ORVTX001.DB\" (PARCIS INTEGER, TEXT CHAR(20), PRIMARY KEY "
                  "(PARCIS))");
    create.execSql();
    Table mine;
    mine.setDatabaseName(dir.path());
    mine.setTableName("ORVTX001.DB");
    mine.open();
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
    const auto other = [&](const QString& sql) {
        QByteArray out;
        QCOMPARE(runTool({"sql", "--dir", dir.path(), sql}, &out), 0);
        QCOMPARE(out, QByteArray("1\n"));
    };
    const auto texts = [&] {
        QByteArray out;
        runTool({"sql", "--dir", dir.path(),
                 "SELECT PARCIS, TEXT FROM \"ORVTX001.DB\" ORDER BY PARCIS"},
                &out);
        return out;
    };
    type(1, "první", true);
    mine.post();
    other("INSERT INTO \"ORVTX001.DB\" (PARCIS, TEXT) VALUES (2, 'cizí')");
    type(3, "třetí", true);
    mine.post();
    other("UPDATE \"ORVTX001.DB\" SET TEXT = 'cizí 2' WHERE PARCIS = 2");
    type(1, "moje 1", false);
    mine.post(); // another row than the other writer's
    QCOMPARE(texts(), QByteArray("PARCIS,TEXT\r\n1,moje 1\r\n2,cizí 2\r\n3,třetí\r\n"));

    // Both change one row: this one is refused and the typed text stays.
    type(3, "moje 3", false);
    other("UPDATE \"ORVTX001.DB\" SET TEXT = 'cizí 3' WHERE PARCIS = 3");
    try {
        mine.post();
        QFAIL("a row changed by the other writer must not be overwritten");
    } catch (const ETalvekException& e) {
        QVERIFY2(e.message().contains("ORVTX001.DB"), qPrintable(e.message()));
    }
    QCOMPARE(mine.state(), Dataset::State::Edit);
    QCOMPARE(mine.asString("TEXT"), QString("moje 3"));
    mine.cancel();
    type(2, "moje 2", true); // the other writer's key
    QVERIFY_THROWS_EXCEPTION(ETalvekException, mine.post());
    mine.cancel();
    QCOMPARE(texts(), QByteArray("PARCIS,TEXT\r\n1,moje 1\r\n2,cizí 2\r\n3,cizí 3\r\n"));
    QVERIFY(!QFile::exists(dir.filePath(".ORVTX001.DB.orvlock")));
}

QTEST_GUILESS_MAIN(TestEngineSql)
#include "tst_enginesql.moc"
