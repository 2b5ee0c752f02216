#include "base/ETalvekException.h"
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
    void fileNamesBecomeTables();
    void quotedIdentifiersAndBooleans();
    void sumReadsZeroAndKeepsColumnName();
    void liveSelectIsRecognised();
    void createTableIsParsed();
    void unknownStatementsAreRefused();
    void filtersBindValues();
    void badFiltersAreRefused();

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

void TestSqlDialect::fileNamesBecomeTables()
{
    auto r =
        translated("SELECT DISTINCT PA.PARSKUP FROM \"NYSPA001.DB\" PA, \"NYSOBORG.DB\" OBORG, "
                   "\"NYSUV001.DB\" NYSUV WHERE (PA.LVCIS = NYSUV.ELLVCIS)");
    QCOMPARE(r.tablePaths, QStringList({"/d/NYSPA001.DB", "/d/NYSOBORG.DB", "/d/NYSUV001.DB"}));
    QVERIFY(r.sql.contains("\"t_NYSPA001\" PA"));
    QVERIFY(r.sql.contains("\"t_NYSUV001\" NYSUV"));
    // Full paths with backslashes, unquoted NAME.DB and LEFT JOIN.
    r = translated("Select * From \"/opt/WorkDB\\NIXDTEXT.DB\" Where KOD = 999");
    QCOMPARE(r.tablePaths, QStringList({"/d/NIXDTEXT.DB"}));
    r = translated("SELECT KATUZ FROM NYSKATAL.DB WHERE PORCIS = '001'");
    QCOMPARE(r.tablePaths, QStringList({"/d/NYSKATAL.DB"}));
    QVERIFY(r.sql.contains("'001'"));
    r = translated("SELECT DB2.PARSKUP FROM \"A.DB\" DB1 LEFT JOIN \"A.DB\" DB2 ON DB1.PARCISLO = "
                   "DB2.PARCISLO WHERE DB1.PARSKUP = 2");
    QCOMPARE(r.tablePaths.size(), 1);
    QVERIFY(r.sql.contains("LEFT JOIN \"t_A\" DB2 ON"));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, translated("SELECT * FROM \"MISSING.DB\""));
}

void TestSqlDialect::quotedIdentifiersAndBooleans()
{
    auto r =
        translated("Select * From \"NYSVL001.DB\" A, \"W\\NIXDTEXT.DB\" B Where 'A'.'DLVCIS' = 5 "
                   "AND 'A'.'DOPLKOD' = 'B'.'KOD' AND 'B'.'CAST' LIKE 'B%'");
    QVERIFY(r.sql.contains("\"A\" . \"DLVCIS\" = 5"));
    QVERIFY(r.sql.contains("\"B\" . \"CAST\" LIKE 'B%'"));
    r = translated("UPDATE \"PRAC.DB\" SET FLAG = 'T'");
    QCOMPARE(r.kind, SqlTranslator::Kind::Update);
    QCOMPARE(r.targetPath, QString("/d/PRAC.DB"));
    QVERIFY(r.sql.endsWith("SET FLAG = 1"));
    r = translated("UPDATE \"PRAC.DB\" SET FLAG = FALSE WHERE PARSKUP = 'T'");
    QVERIFY(r.sql.contains("FLAG = 0"));
    QVERIFY(r.sql.contains("PARSKUP = 'T'")); // not a logical field
    r = translated("SELECT * FROM \"PRAC.DB\" WHERE 'F' = FLAG");
    QVERIFY(r.sql.endsWith("0 = FLAG"));
}

void TestSqlDialect::sumReadsZeroAndKeepsColumnName()
{
    auto r = translated("SELECT SUM(VYMERA), COUNT(VYMERA) FROM \"X.DB\" WHERE FLAG = TRUE");
    QVERIFY(r.sql.contains("COALESCE(SUM ( VYMERA ),0) AS \"SUM(VYMERA)\""));
    QVERIFY(r.sql.contains("COUNT ( VYMERA ) AS \"COUNT(VYMERA)\" FROM"));
    QVERIFY(r.sql.endsWith("FLAG = 1"));
    r = translated("SELECT SUM(A*(B+1)) AS TOTAL FROM \"X.DB\"");
    QVERIFY(r.sql.contains("COALESCE(SUM ( A * ( B + 1 ) ),0) AS TOTAL"));
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
    QVERIFY(!translated("Select DISTINCT * From \"A.DB\"").live);
    QVERIFY(!translated("Select * From \"A.DB\" X, \"B.DB\" Y").live);
    QVERIFY(!translated("Select PARSKUP From \"A.DB\"").live);
}

void TestSqlDialect::createTableIsParsed()
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
    r = translated("CREATE TABLE \"k.db\" (A SMALLINT, B CHAR(3), PRIMARY KEY (A))");
    QCOMPARE(r.createKeyFieldCount, 1);
    QVERIFY_THROWS_EXCEPTION(ETalvekException, translated("CREATE TABLE \"k.db\" (A CHAR(0))"));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, translated("CREATE TABLE \"k.db\" (A WHATEVER)"));
    QVERIFY_THROWS_EXCEPTION(
        ETalvekException,
        translated("CREATE TABLE \"k.db\" (A CHAR(2), B CHAR(2), PRIMARY KEY (B))"));
}

void TestSqlDialect::unknownStatementsAreRefused()
{
    try {
        translated("DROP TABLE \"A.DB\"");
        QFAIL("DROP must be refused");
    } catch (const ETalvekException& e) {
        QVERIFY(e.message().contains("DROP"));
    }
    QVERIFY_THROWS_EXCEPTION(ETalvekException, translated("   "));
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
}

void TestSqlDialect::badFiltersAreRefused()
{
    const QList<FieldDef> fields{{"PORCIS", FieldType::String, 3}};
    QVariantMap p;
    for (const char* bad : {"NAZEV = 'A'", "PORCIS =", "PORCIS", "PORCIS = 'A' and", "(PORCIS = 1"})
        QVERIFY_THROWS_EXCEPTION(ETalvekException, FilterTranslator::translate(bad, fields, p));
}

QTEST_GUILESS_MAIN(TestSqlDialect)
#include "tst_sqldialect.moc"
