#include "base/ETalvekException.h"
#include "db/CzechCollation.h"
#include "db/Query.h"
#include "db/Table.h"

#include <QCollator>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

// Czech alphabetical order: the comparison itself, and tables, lookups,
// ranges and SQL statements that order text by it.
class TestCzechCollation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void lettersInAlphabetOrder_data();
    void lettersInAlphabetOrder();
    void malformedUtf8OrdersConsistently();
    void agreesWithTheSystemCzechCollator();
    void tableOrderNearestRangeAndExactLookups();
    void textPrimaryKeyKeepsExactKeys();
    void sqlOrderBySortsCzech_data();
    void sqlOrderBySortsCzech();

private:
    QTemporaryDir m_dir;
    static QStringList column(Dataset& d, const QString& field);
    static const QStringList places;
    static const QStringList placesInOrder;
};

const QStringList TestCzechCollation::places = {
    "Zbraslav", "Čáslav", "Cheb",    "Hradec",  "Chrudim",  "Žatec",  "Šumava",
    "Sázava",   "Ústí",   "Určice",  "Řevnice", "Rakovník", "adamov", "Adamov",
    "1. máj",   "",       "Ďáblice", "Dobříš",  "Hlinsko",  "Iglau"};

const QStringList TestCzechCollation::placesInOrder = {
    "",        "1. máj", "adamov", "Adamov",  "Čáslav",   "Ďáblice",  "Dobříš",
    "Hlinsko", "Hradec", "Cheb",   "Chrudim", "Iglau",    "Rakovník", "Řevnice",
    "Sázava",  "Šumava", "Určice", "Ústí",    "Zbraslav", "Žatec"};

void TestCzechCollation::lettersInAlphabetOrder_data()
{
    QTest::addColumn<QString>("lower");
    QTest::addColumn<QString>("higher");
    // Accents and case only break ties: Á counts as A until the rest is equal,
    // lower case comes first, an accent outweighs case.
    // The last: decomposed á (a + combining acute) differs from the precomposed one.
    const QStringList pairs = {
        "C < Č",          "Č < D",           "H < CH",           "CH < I",
        "hrad < chata",   "cizí < chata",    "čára < chata",     "Čáslav < Zbraslav",
        "Šumava < Žatec", "Sázava < Šumava", "rz < řa",          "Zz < Ža",
        " < a",           "Praha < Praha 1", "a b < ab",         "- < 0",
        "9 < A",          "10 < 9",          "Ďáblice < Dobříš", "Úvoz < Uzel",
        "Ž < Ω",          "ch < Ch",         "Chata < chatb",    "Abc < Ábc",
        "Ábc < Abd",      "de < dě",         "adamov < Adamov",  "Adamov < adamova",
        "CHATA < chatb",  "A < á",           u"á < a\u0301"_s};
    for (const QString& pair : pairs)
        QTest::newRow(qPrintable(pair)) << pair.section(" < ", 0, 0) << pair.section(" < ", 1);
}

void TestCzechCollation::lettersInAlphabetOrder()
{
    QFETCH(QString, lower);
    QFETCH(QString, higher);
    QVERIFY(CzechCollation::compare(lower, higher) < 0);
    QVERIFY(CzechCollation::compare(higher, lower) > 0);
    QCOMPARE(CzechCollation::compare(lower, lower), 0);
}

void TestCzechCollation::malformedUtf8OrdersConsistently()
{
    const char bad1[] = "a\xC4";
    const char bad2[] = "a\xC5";
    const int forward = CzechCollation::compareUtf8(bad1, 2, bad2, 2);
    QVERIFY(forward != 0);
    QCOMPARE(CzechCollation::compareUtf8(bad2, 2, bad1, 2), -forward);
    QCOMPARE(CzechCollation::compareUtf8(bad1, 2, bad1, 2), 0);
}

void TestCzechCollation::agreesWithTheSystemCzechCollator()
{
    QStringList ours = places;
    std::sort(ours.begin(), ours.end(),
              [](const QString& a, const QString& b) { return CzechCollation::compare(a, b) < 0; });
    QCOMPARE(ours, placesInOrder);
    QCollator system{QLocale(QLocale::Czech, QLocale::CzechRepublic)};
    system.setCaseSensitivity(Qt::CaseSensitive);
    if (system.compare(QString("chata"), QString("hrad")) < 0)
        QSKIP("The system collator has no Czech rules here (Qt without ICU)");
    const QStringList words = {"Čech", "cech",   "Cech", "čepice", "ďábel", "Dáša",     "dasa",
                               "ěř",   "Eva",    "éra",  "hora",   "Chýně", "chyba",    "ihned",
                               "Ivan", "Íránec", "kůň",  "kuna",   "Kúra",  "ňadra",    "Nová",
                               "nova", "ovce",   "Óda",  "řada",   "Rada",  "rada",     "šála",
                               "Sala", "ťuk",    "Tuk",  "úl",     "ul",    "ůl",       "Ýko",
                               "yko",  "žába",   "Zába", "zabit",  "1a",    "10",       "9",
                               "a-b",  "a b",    "ab",   "Abc",    "abc",   "Praha 10", "Praha 9"};
    ours = words;
    std::sort(ours.begin(), ours.end(),
              [](const QString& a, const QString& b) { return CzechCollation::compare(a, b) < 0; });
    QStringList theirs = words;
    std::sort(theirs.begin(), theirs.end(),
              [&](const QString& a, const QString& b) { return system.compare(a, b) < 0; });
    QCOMPARE(ours, theirs);
}

// A table of places keyed by their code, with a secondary index by name.
void TestCzechCollation::initTestCase()
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

QStringList TestCzechCollation::column(Dataset& d, const QString& field)
{
    QStringList values;
    for (d.first(); !d.eof(); d.next())
        values.append(d.value(field).toString());
    return values;
}

void TestCzechCollation::tableOrderNearestRangeAndExactLookups()
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
    // Exact lookups and filters stay exact: case and accents count.
    t.setIndexName("NAZEV");
    for (const QString name : {"Adamov", "adamov", "ADAMOV", "Caslav", "Čáslav"}) {
        const bool found = t.findKey({name});
        QCOMPARE(found, places.contains(name));
        QVERIFY(!found || t.value("KOD").toInt() == places.indexOf(name) + 1);
    }
    t.setFilter("NAZEV = 'Cheb'");
    t.setFiltered(true);
    QCOMPARE(t.recordCount(), 1);
    t.setFilter("NAZEV = 'cheb'");
    QCOMPARE(t.recordCount(), 0);
}

void TestCzechCollation::textPrimaryKeyKeepsExactKeys()
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

void TestCzechCollation::sqlOrderBySortsCzech_data()
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

void TestCzechCollation::sqlOrderBySortsCzech()
{
    QFETCH(QString, sql);
    Query q;
    q.setDatabaseName(m_dir.path());
    q.setSql(sql);
    q.open();
    QTEST(column(q, sql.contains("ORDER BY KOD") ? "KOD" : "NAZEV"), "expected");
}

QTEST_GUILESS_MAIN(TestCzechCollation)
#include "tst_czechcollation.moc"
