// Area statistics: every row's figures against sums taken here from the table
// rows, totals, title, layout, an empty area, a cancelled run, damaged tables.
#include "common/ParcelFormFixture.h"
#include "common/TestSupport.h"
#include "base/ETalvekException.h"
#include "data/DistrictOrigin.h"
#include "import/VfkImporter.h"
#include "output/TStatistikaDlg.h"
#include "output/core/TAreaStatistics.h"
#include "output/core/TStatistikaReport.h"
#include "select/TCProcessDlg.h"
#include "widgets/MessageDlg.h"

#include <QProgressBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {
using Part = ParcelFormFixture::Part;

// Lines 21..53 as the form defines them: kind, use bounds and name.
const QStringList Uses =
    QStringLiteral(
        "10 26 0 budova-lesní pozemek|11 111 0 rybník|11 120 0 tok přírodní|"
        "11 121 0 tok umělý|11 122 0 vodní nádrž přírodní|11 123 0 vodní nádrž umělá|"
        "11 124 0 močál-mokřaď|13 100 109 průmyslový objekt|13 200 209 zemědělská usedlost|"
        "13 210 219 zemědělská hosp.budova|13 300 309 objekt dopravy|"
        "13 400 409 objekt bydlení|13 420 429 rekreační objekt|"
        "13 500 509 objekt les.hospodářství|13 600 609 občanská vybavenost|"
        "13 700 709 technická vybavenost|13 900 909 ostatní stavební objekt|"
        "14 30 0 dráhy-provozní plochy|14 31 32 silnice|14 33 0 ostatní komunikace|"
        "14 40 0 zeleň v zástavbě|14 41 0 ostatní veřejná zeleň|14 50 0 hřiště-stadion|"
        "14 51 0 koupaliště|14 52 0 ostatní sportoviště|14 54 0 soukromá rekreace|"
        "14 60 0 hřbitov|14 70 0 manipulační plocha|14 71 0 těžba surovin|"
        "14 73 0 řízená skládka|14 90 0 jiná plocha|14 91 0 staveniště|14 92 0 svah, skála")
        .split('|');

// Today's use codes (VFK) counted under each use line, as "line:code,code".
const QStringList TodayUses =
    QStringLiteral("21:5 22:6 23:7 24:8 25:9 26:10 27:11 38:14 39:15,16 40:17,18 41:19 45:20 "
                   "47:21 48:23 49:24 50:25 51:12,13,22,26,29 53:27")
        .split(' ');

QList<int> todayUsesOf(int row)
{
    for (const QString& entry : TodayUses)
        if (entry.section(':', 0, 0).toInt() == row) {
            QList<int> codes;
            for (const QString& code : entry.section(':', 1).split(','))
                codes.append(code.toInt());
            return codes;
        }
    return {};
}

// Every kind 2-14 with uses on and around each bound, in groups 1, 2, 3 and 5;
// some parts of 200,000 hectares push the sums far past 32 bits.
QList<Part> controlledParts()
{
    const int uses[] = {0,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14,  15,  16,  17,
                        18,  19,  20,  21,  22,  23,  24,  25,  27,  28,  26,  29,  30,  31,
                        32,  33,  34,  40,  41,  50,  51,  52,  53,  54,  60,  70,  71,  72,
                        73,  90,  91,  92,  99,  100, 105, 109, 110, 111, 120, 121, 122, 123,
                        124, 125, 199, 200, 209, 210, 219, 220, 300, 309, 400, 401, 409, 410,
                        420, 425, 429, 500, 509, 600, 609, 700, 709, 800, 900, 909, 910};
    QList<Part> parts;
    for (int kind = 2; kind <= 14; ++kind)
        for (int use : uses)
            for (int group : {1, 2, 3, 5}) {
                const int n = int(parts.size()) + 1;
                parts.append({group, n, 0, 1, n % 50 ? 1.0 + (n * 7919) % 100000 : 2.0e9, kind, 0,
                              use, n % 3 ? 0.0 : n, 1000 + n, 1, "", n, ""});
            }
    return parts;
}

// An area of `parts` with its catalogue rows (district 36, katuz 12301).
void writeArea(const ParcelFormFixture& fixture, const QList<Part>& parts)
{
    fixture.write(parts);
    ParcelFormFixture::writeTable(fixture.areaDir() + "/NYSKATAL.DB",
                                  "KATUZ:A5 IDENTCIS:A6 PORCIS:A3 NAZEV:A30", 0,
                                  {{"00000", "0036", "000", "Žďár nad Sázavou"},
                                   {"12300", "596001", "000", "Křižanov"},
                                   {"12301", "675601", "001", "Kundratice u Křižanova"}});
}

const ReportBox* cell(const ReportPage& page, int column, int row)
{
    return page.textOf(TStatistikaReport::ElementName(column, row));
}
} // namespace

class TestStatistics : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void rowFigures_data();
    void rowFigures();
    void totalsHousesRegisterAndTitle();
    void usesStandBesideTheirKindWithoutOverlap();
    void twoMeaningCodeFollowsOrigin();
    void importedDistrictCountsTodaysUses();
    void cancelledRunShowsNoPreview();
    void emptyOrBadTables_data();
    void emptyOrBadTables();

private:
    QTemporaryDir m_dir;
    QList<Part> m_parts = controlledParts();
    std::unique_ptr<ParcelFormFixture> m_fixture;
    std::unique_ptr<TAreaStatistics> m_stats;
    ReportDocument m_doc;
};

void TestStatistics::initTestCase()
{
    m_fixture = std::make_unique<ParcelFormFixture>(m_dir.path());
    writeArea(*m_fixture, m_parts);
    m_stats = std::make_unique<TAreaStatistics>(m_fixture->workDbPath(), m_dir.path(), "001");
    m_stats->Run();
    m_doc = TStatistikaReport(*m_stats).Layout();
    QCOMPARE(m_doc.pageCount(), 1);
}

void TestStatistics::rowFigures_data()
{
    QTest::addColumn<QList<int>>("rule"); // row, kind, use from, use to
    QTest::addColumn<QString>("name");
    // Kinds 2-4 are in the fixture's DRUHPOZ.DB; the others are missing from it.
    const QStringList kindNames{" orná půda", " chmelnice", " vinice"};
    for (int kind = 2; kind <= 14; ++kind)
        if (kind != 12)
            QTest::addRow("kind %d", kind)
                << QList<int>{kind, kind, 0, 0} << kindNames.value(kind - 2);
    for (int i = 0; i < Uses.size(); ++i) {
        const QStringList rule = Uses[i].split(' ');
        QTest::addRow("use %d", 21 + i)
            << QList<int>{21 + i, rule[0].toInt(), rule[1].toInt(), rule[2].toInt()}
            << " " + rule.mid(3).join(' ');
    }
}

void TestStatistics::rowFigures()
{
    QFETCH(QList<int>, rule);
    QFETCH(QString, name);
    double area = 0;
    qint64 count = 0;
    // Groups 1 and 2 of the kind, with the use, or within the bounds, or any;
    // or with one of today's codes of the line.
    for (const Part& p : m_parts) {
        const bool old = rule[3] > 0 ? p.nemvyuz >= rule[2] && p.nemvyuz <= rule[3]
                                     : rule[2] == 0 || p.nemvyuz == rule[2];
        if (p.parskup <= 2 && p.druhpoz == rule[1] &&
            (old || todayUsesOf(rule[0]).contains(p.nemvyuz)))
            area += p.vymera, ++count;
    }
    QVERIFY(count > 0); // every line has parts in the controlled area
    const TAreaStatistics::Row* r = m_stats->RowAt(rule[0]);
    QVERIFY(r && cell(m_doc.pages[0], 2, rule[0]));
    QCOMPARE(r->name, name);
    QCOMPARE(r->count, count);
    QCOMPARE(r->areaM2, area);
    QCOMPARE(
        QStringList({cell(m_doc.pages[0], 0, rule[0])->text, cell(m_doc.pages[0], 1, rule[0])->text,
                     cell(m_doc.pages[0], 2, rule[0])->text}),
        QStringList({name, TAreaStatistics::HectaresText(area), QString::number(count) + " "}));
}

void TestStatistics::totalsHousesRegisterAndTitle()
{
    double total = 0, simplified = 0;
    qint64 totalCount = 0, simplifiedCount = 0, cp = 0, ce = 0;
    for (const Part& p : m_parts) {
        if (p.parskup > 2) {
            simplified += p.vymera, ++simplifiedCount;
            continue;
        }
        if (p.druhpoz != 12) // kind 12 is in no line and no total
            total += p.vymera, ++totalCount;
        if (p.druhpoz == 13 && p.cpce > 0)
            ++(p.nemvyuz % 10 ? ce : cp);
    }
    QVERIFY(total > 4e9); // far beyond a 32-bit sum
    QVERIFY(cp > 0 && ce > 0);
    QCOMPARE((QList<double>{m_stats->TotalAreaM2(), m_stats->SimplifiedAreaM2()}),
             (QList<double>{total, simplified}));
    QCOMPARE((QList<qint64>{m_stats->TotalCount(), m_stats->SimplifiedCount(), m_stats->HousesCp(),
                            m_stats->HousesCe()}),
             (QList<qint64>{totalCount, simplifiedCount, cp, ce}));
    QVERIFY(!m_stats->RowAt(12));
    // m² to hectares with four places and a blank, far past 32 bits.
    QCOMPARE(TAreaStatistics::HectaresText(3.3e11 + 1, QLocale("cs_CZ")), "33000000,0001 ");
    QStringList printed;
    for (const char* name :
         {"CelkemVymera", "CelkemPocet", "PocetCP", "PocetEC", "CelkemVymeraPK", "CelkemPocetPK"})
        printed << m_doc.pages[0].textOf(name)->text;
    const auto number = [](qint64 n) { return QString::number(n) + " "; };
    QCOMPARE(printed,
             (QStringList{TAreaStatistics::HectaresText(total), number(totalCount), number(cp),
                          number(ce), TAreaStatistics::HectaresText(simplified),
                          number(simplifiedCount)}));
    const TAreaStatistics::Title& t = m_stats->TitleData();
    QCOMPARE((QStringList{t.KUName, t.KUIdent, t.KUCis, t.ObceName, t.ObceIdent, t.OkresName,
                          t.OkresIdent, t.BigIdent}),
             (QStringList{"Kundratice u Křižanova", "675601", "001", " Křižanov", "596001",
                          " Žďár nad Sázavou", "36", "3612301"}));
    QCOMPARE(m_doc.pages[0].textOf("BigIdent")->text, QStringLiteral("3612301"));
    // An area code missing from the catalogue, or one trying to widen the
    // catalogue query, finds no row.
    for (const char* suffix : {"002", "001' OR '1'='1"}) {
        TAreaStatistics other(m_fixture->workDbPath(), m_dir.path(), suffix);
        QVERIFY_THROWS_EXCEPTION(ETalvekException, other.Run());
    }
}

void TestStatistics::usesStandBesideTheirKindWithoutOverlap()
{
    const ReportPage& page = m_doc.pages[0];
    // Uses of kinds 10 and 11 beside them; those of 13 and 14 from their line down.
    for (auto [use, kind] : {std::pair{21, 10}, {22, 11}, {28, 13}, {38, 14}}) {
        QCOMPARE(cell(page, 0, use)->rect.top(), cell(page, 0, kind)->rect.top());
        QVERIFY(cell(page, 0, use)->rect.left() > cell(page, 2, kind)->rect.right());
    }
    const auto top = [&](int row) { return cell(page, 0, row)->rect.top(); };
    QCOMPARE(top(29) - top(28), TStatistikaReport::LineHeight);
    QCOMPARE(top(53) - top(38), 15 * TStatistikaReport::LineHeight);
    QVERIFY(!cell(page, 0, 12));
    // Printed texts and charts never overlap one another; the charts hold
    // their series in the order of the lines.
    QList<const ReportBox*> boxes;
    QList<qsizetype> slices;
    for (const ReportBox& b : page.boxes) {
        if (b.kind == ReportBox::Kind::Chart)
            slices.append(b.chart.slices().size());
        if ((b.kind == ReportBox::Kind::Text && !b.text.isEmpty()) ||
            b.kind == ReportBox::Kind::Chart)
            boxes.append(&b);
    }
    for (qsizetype i = 0; i < boxes.size(); ++i)
        for (qsizetype j = i + 1; j < boxes.size(); ++j)
            QVERIFY2(!boxes[i]->rect.adjusted(0.5, 0.5, -0.5, -0.5).intersects(boxes[j]->rect),
                     qPrintable(boxes[i]->elementName + " / " + boxes[j]->elementName));
    QCOMPARE(slices, (QList<qsizetype>{12, 10, 16}));
}

// Kind 14, use 30 is "dráhy-provozní plochy" in a registry district and
// "mez, stráň" in one that the VFK import marked.
void TestStatistics::twoMeaningCodeFollowsOrigin()
{
    qint64 thirty = 0;
    for (const Part& p : m_parts)
        thirty += p.parskup <= 2 && p.druhpoz == 14 && p.nemvyuz == 30;
    QVERIFY(thirty > 0 && m_stats->Origin() == DistrictOrigin::Kind::Registry);
    DistrictOrigin::MarkVfk(m_dir.path());
    TAreaStatistics marked(m_fixture->workDbPath(), m_dir.path(), "001");
    marked.Run();
    QVERIFY(QFile::remove(m_dir.filePath(DistrictOrigin::MarkerFile)));
    QCOMPARE(marked.Origin(), DistrictOrigin::Kind::Vfk);
    QCOMPARE(marked.RowAt(38)->count, m_stats->RowAt(38)->count - thirty);
    QCOMPARE(marked.RowAt(53)->count, m_stats->RowAt(53)->count + thirty);
    QCOMPARE(marked.TotalAreaM2(), m_stats->TotalAreaM2());
}

// The public sample imported: every use code present lands in its line, in
// the statistics and in orv-tool stats (asked with the area "1").
void TestStatistics::importedDistrictCountsTodaysUses()
{
    QTemporaryDir dir;
    const QString district = dir.filePath("SALADIN"), workDb = dir.filePath("WorkDB");
    const VfkDistrict imported =
        VfkImporter({{TestSupport::samplesDir() + "/vfk/789160.vfk"}, district, workDb}).run();
    // The summary counts in Czech forms: one area, many parts.
    const QStringList summary = VfkImporter::summary(imported);
    QVERIFY2(summary[0].contains(": 1 katastrální území, ") &&
                 summary[1].contains(" dílů parcel, "),
             qPrintable(summary.join('\n')));
    TAreaStatistics stats(workDb, district, "001");
    stats.Run();
    QCOMPARE(stats.Origin(), DistrictOrigin::Kind::Vfk);
    // 11/7 x13, 11/10, 14/16, 14/17 x8, 14/26 x9, 14/27 x16; 13/400 x7, 13/905 x2
    // and a ruin (13/13) that only its kind counts.
    const QMap<int, qint64> expected{{23, 13}, {26, 1},  {39, 1}, {40, 8},
                                     {51, 9},  {53, 16}, {32, 7}, {37, 2}};
    QMap<int, qint64> usesOfKind;
    for (const TAreaStatistics::Row& r : stats.Rows()) {
        if (r.rule.row < 20)
            continue;
        QVERIFY2(r.count == expected.value(r.rule.row), qPrintable(r.name));
        usesOfKind[r.rule.kind] += r.count;
    }
    QCOMPARE(usesOfKind.value(11), stats.RowAt(11)->count);
    QCOMPARE(usesOfKind.value(14), stats.RowAt(14)->count);
    QCOMPARE(usesOfKind.value(13) + 1, stats.RowAt(13)->count);
    // One page with three filled charts on either paper, inside its margins.
    for (QPageSize::PageSizeId paper : {QPageSize::A4, QPageSize::Letter}) {
        const ReportDocument doc = TStatistikaReport(stats, nullptr, paper).Layout();
        QCOMPARE(doc.pageCount(), 1);
        const QRectF content =
            QRectF(QPointF(), doc.paperSize).adjusted(37.79, 37.79, -37.79, -37.79);
        for (const ReportBox& b : doc.pages[0].boxes) {
            QVERIFY(b.kind != ReportBox::Kind::Chart || b.chart.total() > 0);
            const QRectF r = b.rect.normalized();
            QVERIFY2(r.left() >= content.left() - 0.01 && r.right() <= content.right() + 0.01 &&
                         r.top() >= content.top() - 0.01 && r.bottom() <= content.bottom() + 0.01,
                     qPrintable(b.elementName));
        }
    }

    QString csv;
    QCOMPARE(ParcelFormFixture::runTool({"stats", "--dir", district, "--area", "1"}, workDb, &csv),
             0);
    for (auto [row, count] : expected.asKeyValueRange())
        QVERIFY2(csv.contains(
                     QRegularExpression(QStringLiteral("\\n%1,[^\\n]*,%2\\n").arg(row).arg(count))),
                 qPrintable(csv));
}

void TestStatistics::cancelledRunShowsNoPreview()
{
    int previews = 0;
    ParcelFormFixture::Messages asked(mrYes);
    TStatistikaDlg dlg(nullptr,
                       [&](const ReportDocument& doc, QWidget*) { previews += doc.pageCount(); });
    dlg.Run(m_fixture->workDbPath(), m_dir.path(), "001");
    QCOMPARE(previews, 1);
    QVERIFY(asked.isEmpty());
    // "Storno" pressed while the first rows are computed.
    QProgressBar* bar = dlg.Progress().findChild<QProgressBar*>();
    QVERIFY(bar);
    QMetaObject::Connection press = connect(bar, &QProgressBar::valueChanged, &dlg.Progress(),
                                            [&dlg] { dlg.Progress().CancelBtnClick(); });
    const QString message =
        TestSupport::refusal([&] { dlg.Run(m_fixture->workDbPath(), m_dir.path(), "001"); });
    disconnect(press);
    QCOMPARE(message, QStringLiteral("Operace byla přerušena"));
    QCOMPARE(asked, QStringList{QStringLiteral("Chcete přerušit operaci?")});
    QCOMPARE(previews, 1);
    QVERIFY(!dlg.Progress().isVisible());
}

void TestStatistics::emptyOrBadTables_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("file");
    QTest::newRow("no parts: zeros, empty charts") << QString("none") << "";
    QTest::newRow("parcel table missing") << QString("remove") << "NYSPA001.DB";
    QTest::newRow("parcel table garbage") << QString("garbage") << "NYSPA001.DB";
    QTest::newRow("parcel table without VYMERA") << QString("omit") << "VYMERA";
    QTest::newRow("code table missing") << QString("remove") << "WorkDB/DRUHPOZ.DB";
    QTest::newRow("catalogue missing") << QString("remove") << "NYSKATAL.DB";
}

void TestStatistics::emptyOrBadTables()
{
    QFETCH(QString, damage);
    QFETCH(QString, file);
    QTemporaryDir dir;
    ParcelFormFixture fixture(dir.path());
    if (damage == "omit")
        fixture.omitParcelField(file);
    writeArea(fixture, damage == "none" ? QList<Part>() : m_parts.mid(0, 40));
    QFile f(dir.path() + '/' + file);
    if (damage == "remove")
        QVERIFY(f.remove());
    if (damage == "garbage")
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(QByteArray(3000, '\x5a')) == 3000);
    f.close();
    QList<ReportDocument> previews;
    TStatistikaDlg dlg(nullptr, [&](const ReportDocument& doc, QWidget*) { previews << doc; });
    const QString message =
        TestSupport::refusal([&] { dlg.Run(fixture.workDbPath(), dir.path(), "001"); });
    QVERIFY(!dlg.Progress().isVisible());
    QCOMPARE(message.isEmpty(), damage == "none");
    QCOMPARE(previews.size(), damage == "none" ? 1 : 0);
    for (const ReportPage& page : previews.value(0).pages) {
        QCOMPARE(page.textOf("CelkemPocet")->text, QStringLiteral("0 "));
        for (int row = 2; row <= 53; row += row == 14 ? 7 : 1) // kinds 2-14, uses 21-53
            QVERIFY(row == 12 || cell(page, 1, row)->text == TAreaStatistics::HectaresText(0));
        for (const ReportBox& b : page.boxes)
            QVERIFY(b.kind != ReportBox::Kind::Chart || b.chart.total() == 0);
    }
}

QTEST_MAIN(TestStatistics)
#include "tst_statistics.moc"
