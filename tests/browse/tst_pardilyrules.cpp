#include "data/LVSupplementText.h"
#include "browse/core/ParDilyRules.h"
#include "browse/core/TMarkSummary.h"
#include "browse/TDoplnDlg.h"

#include <QtTest>

using namespace ParDilyRules;
Q_DECLARE_METATYPE(ParDilyRules::SheetRecord)

class TestParDilyRules : public QObject
{
    Q_OBJECT

private slots:
    // Unmarked rows have silver text; a missing part (MAPA "-") is red, also over
    // the current parcel; in parcel view the current parcel's parts are yellow.
    void rowColours()
    {
        const QColor silver(192, 192, 192), none, red(Qt::red), yellow(Qt::yellow),
            black(Qt::black);
        // marked, MAPA, parcel view, parcel (the current one is "15"), text, background
        const QList<std::tuple<bool, const char*, bool, const char*, QColor, QColor>> rows = {
            {false, "A1", false, "15", silver, none}, {true, "-", true, "15", none, red},
            {true, "A1", true, "15", black, yellow},  {false, "A1", true, "15", silver, yellow},
            {true, "A1", true, "16", none, none},     {true, "A1", false, "15", none, none}};
        for (const auto& [marked, mapa, view, parcel, text, background] : rows) {
            const CellColours c = RowColours(marked, mapa, view, parcel, "15");
            QCOMPARE(c.text, text);
            QCOMPARE(c.background, background);
        }
    }

    // The line under the browser's grid: hectares from whole m² without
    // rounding, "z 1 dílu"; single changes keep the count and the area.
    void markSummary()
    {
        // parts, marked, area in m², changes (was, now, m²), shown
        using Change = std::tuple<bool, bool, qint64>;
        const QList<std::tuple<int, int, qint64, QList<Change>, QString>> rows = {
            {5, 0, 0, {}, "Označeno: 0 z 5 dílů, výměra 0,0000 ha"},
            {1, 0, 0, {{false, true, 12345}}, "Označeno: 1 z 1 dílu, výměra 1,2345 ha"},
            {40000,
             3,
             123456789,
             {{true, false, 9}, {true, true, 7}, {false, false, 5}},
             "Označeno: 2 z 40000 dílů, výměra 12345,6780 ha"},
        };
        for (const auto& [parts, marked, area, changes, shown] : rows) {
            TMarkSummary summary(parts, marked, area);
            for (const auto& [was, now, m2] : changes)
                summary.Changed(was, now, m2);
            QCOMPARE(summary.Text(), shown);
        }
    }

    void landSheet_data()
    {
        QTest::addColumn<QList<SheetRecord>>("records");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("lv");
        // The part is group 2, stem 15, subdivision 3 on sheet 10.
        const double key = 2 * 10000000000.0 + 15 * 1000 + 3;
        QTest::newRow("82 then 90 naming the part")
            << QList<SheetRecord>{{1, 82, 25}, {1, 90, key}} << true << 25;
        QTest::newRow("82 alone") << QList<SheetRecord>{{1, 82, 25}} << true << 25;
        QTest::newRow("90 naming another part")
            << QList<SheetRecord>{{1, 82, 25}, {1, 90, key + 1}} << false << 10;
        QTest::newRow("90 of another order number")
            << QList<SheetRecord>{{1, 82, 25}, {2, 90, key}} << false << 10;
        QTest::newRow("second pair matches")
            << QList<SheetRecord>{{1, 82, 25}, {1, 90, key + 1}, {2, 82, 31}, {2, 90, key}} << true
            << 31;
        QTest::newRow("unmatched pair then lone 82")
            << QList<SheetRecord>{{1, 82, 25}, {1, 90, key + 1}, {2, 82, 31}} << true << 31;
        QTest::newRow("packed value off by a fraction rounds")
            << QList<SheetRecord>{{4, 82, 40}, {4, 90, key + 0.2}} << true << 40;
        QTest::newRow("no records") << QList<SheetRecord>{} << false << 10;
    }

    void landSheet()
    {
        QFETCH(QList<SheetRecord>, records);
        QFETCH(bool, found);
        QFETCH(int, lv);
        const LandSheet result = FindLandLV(records, 2, 15, 3, 10);
        QCOMPARE(result.found, found);
        QCOMPARE(result.lv, lv);
    }

    void supplementFilter()
    {
        QCOMPARE(TDoplnDlg::FilterLines(10, 0, 2), QStringList{"WHERE DLVCIS = 10"});
        QCOMPARE(TDoplnDlg::FilterLines(10, 125003, 2),
                 (QStringList{"WHERE DLVCIS = 10",
                              "and (DOPLUDAJ = 125003 or DOPLUDAJ = 20000125003)"}));
        QCOMPARE(TDoplnDlg::FilterLines(10, 125003, 3),
                 (QStringList{"WHERE DLVCIS = 10", "and DOPLUDAJ = 30000125003"}));
    }

    void supplementValuesAndSections()
    {
        using namespace LVSupplementText;
        QCOMPARE(ValueLabel(30000125003.0, true), QStringLiteral("3:125/3"));
        QCOMPARE(ValueLabel(125003.0, true), QStringLiteral("125/3"));
        QCOMPARE(ValueLabel(125003.0, false), QStringLiteral("     125003"));

        // Type name in 32, addition in 10 (not cut), value in 12, deed and item in
        // 8; a record without a type goes to B1, a title to E.
        Record right{"Věcné břemeno", "ve prospěch", "B",     "125/3",        "12/34",
                     "1/ 2",          "Smlouva",     "kupní", {"řádek jedna"}};
        Record title{"Kupní smlouva", "", "E", "     000000", "", "", "", "", {}};
        Record unknown{"", "", "", "7", "", "", "", "", {}};
        const QString text = Lines({right, title, unknown}, 0).join('\n');
        QVERIFY2(text.contains("B1 Jiná práva\n") &&
                     text.contains("Věcné břemeno" + QString(19, ' ') + "  ve prospěch  125/3" +
                                   QString(16, ' ') + "12/34    1/ 2\nSmlouva kupní\n" +
                                   QString(10, ' ') + "řádek jedna\n" + QString(46, ' ') + "7 ") &&
                     text.indexOf("E  Nabývací tituly") < text.indexOf("Kupní smlouva"),
                 qPrintable(text));

        // The 32-character type column keeps an emoji at its end whole (a plain
        // left(32) split its surrogate pair), and no value keeps a tab.
        const QString emoji = QString(31, 'x') + QString::fromUtf8("😀") + "y";
        Record cut{emoji, "a\tb", "B", "1\t2", "", "", "", "", {"t\tu"}};
        const QString cutText = Lines({cut}, 0).join('\n');
        QVERIFY2(cutText.isValidUtf16() && !cutText.contains('\t') &&
                     cutText.contains(emoji.chopped(1) + "         a b  1 2" + QString(9, ' ')),
                 qPrintable(cutText));
    }
};

QTEST_GUILESS_MAIN(TestParDilyRules)
#include "tst_pardilyrules.moc"
