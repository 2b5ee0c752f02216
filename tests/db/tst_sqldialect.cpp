#include "base/ETalvekException.h"
#include "common/TestSupport.h"
#include "db/FilterTranslator.h"
#include "db/SqlTranslator.h"

#include <QtTest>

// The dialect translator and the filter translator, with tables resolved
// by a fake resolver (no files involved).
class TestSqlDialect : public QObject
{
    Q_OBJECT

private slots:
    void tokenizerKeepsStringsWhole();
    void statementsAreTranslated_data();
    void statementsAreTranslated();
    void kindsAndRefusals();
    void liveSelectIsRecognised();
    void filtersBindValues();

private:
    static SqlTranslator::Result translated(const QString& sql);
};

SqlTranslator::Result TestSqlDialect::translated(const QString& sql)
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

void TestSqlDialect::tokenizerKeepsStringsWhole()
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

void TestSqlDialect::statementsAreTranslated_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QStringList>("fragments");
    const QStringList a{"/d/A.DB"};
    // File names become tables, under their aliases; full paths, unquoted
    // names and joins too.
    QTest::newRow("aliases") << "SELECT DISTINCT PA.PARSKUP FROM \"NYSPA001.DB\" PA, "
                                "\"NYSOBORG.DB\" OBORG, \"NYSUV001.DB\" NYSUV WHERE "
                                "(PA.LVCIS = NYSUV.ELLVCIS)"
                             << QStringList{"/d/NYSPA001.DB", "/d/NYSOBORG.DB", "/d/NYSUV001.DB"}
                             << QStringList{"\"t_NYSPA001\" PA", "\"t_NYSUV001\" NYSUV"};
    QTest::newRow("backslash path") << "Select * From \"/opt/WorkDB\\NIXDTEXT.DB\" Where KOD = 999"
                                    << QStringList{"/d/NIXDTEXT.DB"} << QStringList{};
    QTest::newRow("unquoted name") << "SELECT KATUZ FROM NYSKATAL.DB WHERE PORCIS = '001'"
                                   << QStringList{"/d/NYSKATAL.DB"} << QStringList{"'001'"};
    QTest::newRow("self join") << "SELECT DB2.PARSKUP FROM \"A.DB\" DB1 LEFT JOIN \"A.DB\" DB2 ON "
                                  "DB1.PARCISLO = DB2.PARCISLO WHERE DB1.PARSKUP = 2"
                               << a << QStringList{"LEFT JOIN \"t_A\" DB2 ON"};
    // Quoted identifiers and logical constants.
    QTest::newRow("quoted identifiers")
        << "Select * From \"NYSVL001.DB\" A, \"W\\NIXDTEXT.DB\" B Where 'A'.'DLVCIS' = 5 AND "
           "'A'.'DOPLKOD' = 'B'.'KOD' AND 'B'.'CAST' LIKE 'B%'"
        << QStringList{"/d/NYSVL001.DB", "/d/NIXDTEXT.DB"}
        << QStringList{"\"A\" . \"DLVCIS\" = 5", "\"B\" . \"CAST\" LIKE 'B%'"};
    QTest::newRow("T is true") << "UPDATE \"A.DB\" SET FLAG = 'T'" << a << QStringList{"FLAG = 1"};
    QTest::newRow("T of a text field stays")
        << "UPDATE \"A.DB\" SET FLAG = FALSE WHERE PARSKUP = 'T'" << a
        << QStringList{"FLAG = 0", "PARSKUP = 'T'"};
    QTest::newRow("F on the left")
        << "SELECT * FROM \"A.DB\" WHERE 'F' = FLAG" << a << QStringList{"0 = FLAG"};
    // SUM of nothing reads 0; aggregate columns keep their names.
    QTest::newRow("sum and count")
        << "SELECT SUM(VYMERA), COUNT(VYMERA) FROM \"A.DB\" WHERE FLAG = TRUE" << a
        << QStringList{"COALESCE(SUM ( VYMERA ),0) AS \"SUM(VYMERA)\"",
                       "COUNT ( VYMERA ) AS \"COUNT(VYMERA)\" FROM", "FLAG = 1"};
    QTest::newRow("sum of expression") << "SELECT SUM(A*(B+1)) AS TOTAL FROM \"A.DB\"" << a
                                       << QStringList{"COALESCE(SUM ( A * ( B + 1 ) ),0) AS TOTAL"};
}

void TestSqlDialect::statementsAreTranslated()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, paths);
    QFETCH(QStringList, fragments);
    const auto r = translated(sql);
    QCOMPARE(r.tablePaths, paths);
    for (const QString& fragment : fragments)
        QVERIFY2(r.sql.contains(fragment), qPrintable(r.sql));
}

void TestSqlDialect::kindsAndRefusals()
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

void TestSqlDialect::liveSelectIsRecognised()
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

void TestSqlDialect::filtersBindValues()
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
    p.clear();
    // Quotes, % and non-ASCII letters stay data.
    sql = FilterTranslator::translate("NAZEV = 'O''Ř%_ x' or FLAG", fields, p);
    QCOMPARE(sql, QString("(\"NAZEV\" = :f0 OR \"FLAG\" = 1)"));
    QCOMPARE(p.value(":f0").toString(), QString("O'Ř%_ x"));
    p.clear();
    sql = FilterTranslator::translate("flag = FALSE AND (CPCE=-12.5 OR NAZEV <> '')", fields, p);
    QCOMPARE(sql, QString("(\"FLAG\" = :f0 AND ((\"CPCE\" = :f1 OR (\"NAZEV\" IS NOT NULL AND "
                          "\"NAZEV\" <> ''))))"));
    QCOMPARE(p.value(":f0").toLongLong(), 0);
    QCOMPARE(p.value(":f1").toDouble(), -12.5);
    for (const char* bad :
         {"NOSUCH = 'A'", "PORCIS =", "PORCIS", "PORCIS = 'A' and", "(PORCIS = 1"})
        QVERIFY_THROWS_EXCEPTION(ETalvekException, FilterTranslator::translate(bad, fields, p));
}

QTEST_GUILESS_MAIN(TestSqlDialect)
#include "tst_sqldialect.moc"
