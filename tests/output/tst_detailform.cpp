// The detailed form and its text and soil-quality variants: owners, computed values, texts
// across pages, ratings, failures; the real district through orv-tool's report command.
#include "common/ParcelFormFixture.h"
#include "common/TestSupport.h"
#include "base/ETalvekException.h"
#include "data/WorkTable.h"
#include "db/Table.h"
#include "output/core/CreateReportForm.h"
#include "output/core/TTextForm.h"
#include "report/ReportLayouter.h"

#include <QProcess>
#include <QtTest>

namespace {
using Fixture = ParcelFormFixture;
using Rows = QList<QVariantList>;

// Heights of the rules the named element drew, top to bottom.
QList<double> rules(const ReportPage& page, const QString& element)
{
    QList<double> ys;
    for (const ReportBox& b : page.boxes)
        if (b.kind == ReportBox::Kind::Line && b.elementName == element)
            ys.append(b.line.y1());
    return ys;
}

// The words of `item` in `text` in order, each within 16 words of the one
// before: a wrapped name is interleaved with its neighbours' texts.
bool containsInOrder(const QString& text, const QString& item)
{
    QStringList words = item.split(' ');
    for (QString& word : words)
        word = QRegularExpression::escape(word);
    return QRegularExpression("(^|\\s)" + words.join("(\\s+\\S+){0,15}\\s+") + "(\\s|$)")
        .match(text)
        .hasMatch();
}

// Parcel 1 with parts 1 and 2 on sheet 1001, parcel 2 on sheet 1002.
QList<Fixture::Part> twoParcels()
{
    return {Fixture::numberedPart(1),
            {2, 1, 0, 2, 101, 3, 0, 13, 0, 1001, 1, "M1", 1, "1"},
            Fixture::numberedPart(2)};
}

// Two owners of sheet 1001, one of 1002, one of 120; users and others apart.
const Fixture::DetailTables Owners{
    {{1001, 1, 7001, 1, 100002},
     {1001, 2, 7002, 1, 100002},
     {1002, 1, 7001, 1, 0},
     {120, 1, 7120, 1, 100001}},
    {{7001, 1, "NOVÁK JAN, KŘIŽANOV 5"},
     {7002, 1, "NOVÁKOVÁ MARIE, KŘIŽANOV 5"},
     {7120, 1, "OBEC KŘIŽANOV, NÁMĚSTÍ 1"},
     {7300, 11, "DRUŽSTVO ZEMĚDĚLCŮ, BUDEČ 2"},
     {7400, 4, "ZEMĚDĚLSKÉ DRUŽSTVO VLASTNÍKŮ PŮDY, HORNÍ DOLNÍ 1234/56"}}};
} // namespace

class TestDetailForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void ownerListsFollowTheRelation_data();
    void ownerListsFollowTheRelation();
    void computedValues_data();
    void computedValues();
    void parcelsKindsAndPages();
    void textBlocks_data();
    void textBlocks();
    void longTextsContinueOnTheNextPage();
    void ratingsOncePerParcel_data();
    void ratingsOncePerParcel();
    void missingTablesAreReported_data();
    void missingTablesAreReported();
    void realDistrictThroughTheTool_data();
    void realDistrictThroughTheTool();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Fixture> m_fixture;
    ReportDocument layout(int kind = 2)
    {
        return CreateReportForm(m_fixture->app(), kind, m_fixture->area(), m_fixture->workTable(),
                                QString())
            ->Layout(QDateTime(QDate(2026, 12, 6), QTime(10, 0)));
    }
    ReportDocument layout(const QList<Fixture::Part>& parts, const Fixture::DetailTables& tables,
                          int kind = 2)
    {
        m_fixture->write(parts);
        m_fixture->writeDetail(tables);
        return layout(kind);
    }
};

void TestDetailForm::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_fixture = std::make_unique<Fixture>(m_dir->path());
}

void TestDetailForm::ownerListsFollowTheRelation_data()
{
    QTest::addColumn<int>("vlvztah");
    QTest::addColumn<Rows>("records"); // of sheet 1001
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("landOwners");
    const QStringList building{"VLASTNICTVÍ STAVBY"};
    QTest::newRow("5, code 82 names 120")
        << 5 << Rows{{1001, 82, 120}} << QStringList{"VLASTNICTVÍ POZEMKU", "VLASTNICTVÍ STAVBY"}
        << QStringList{"OBEC KŘIŽANOV, NÁMĚSTÍ 1"};
    QTest::newRow("5, no record") << 5 << Rows{} << building << QStringList();
    QTest::newRow("5, only code 90") << 5 << Rows{{1001, 90, 120}} << building << QStringList();
    QTest::newRow("5, sheet without owners")
        << 5 << Rows{{1001, 82, 121}} << building << QStringList();
    QTest::newRow("1") << 1 << Rows{{1001, 82, 120}} << QStringList{"VLASTNICTVÍ POZEMKU A STAVBY"}
                       << QStringList();
}

void TestDetailForm::ownerListsFollowTheRelation()
{
    QFETCH(int, vlvztah);
    QFETCH(Rows, records);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, landOwners);
    Fixture::Part p = Fixture::numberedPart(1);
    p.vlvztah = vlvztah;
    Fixture::DetailTables t = Owners;
    t.records = records;
    const ReportDocument doc = layout({p}, t);
    QCOMPARE(doc.textsOf("QRLabelDoplVl") + doc.textsOf("QRLabelVl"), titles);
    QCOMPARE(doc.textsOf("DoplNazev"), landOwners);
    QCOMPARE(doc.textsOf("Nazev"),
             QStringList({"NOVÁK JAN, KŘIŽANOV 5", "NOVÁKOVÁ MARIE, KŘIŽANOV 5"}));
    // Top to bottom: land title, land owners, own title, own owners.
    const ReportPage& page = doc.pages[0];
    QList<const ReportBox*> order{page.textOf("QRLabelDoplVl"), page.textOf("DoplNazev"),
                                  page.textOf("QRLabelVl"), page.textOf("Nazev")};
    order.removeAll(nullptr);
    for (int i = 1; i < order.size(); ++i)
        QVERIFY(order[i - 1]->rect.bottom() <= order[i]->rect.top());
}

void TestDetailForm::computedValues_data()
{
    QTest::addColumn<int>("parskup");
    QTest::addColumn<double>("cpce");
    QTest::addColumn<int>("nemvyuz");
    QTest::addColumn<QVariantList>("owner");
    // Caption, number, use (DRUHPOZ 3 of numbered part 1), share, name, characteristic.
    QTest::addColumn<QString>("shown");
    using R = QVariantList;
    QTest::newRow("no number, share 0") << 2 << 0.0 << 0 << R{1001, 3, 7001, 1, 0}
                                        << "Číslo popisné:||||NOVÁK JAN, KŘIŽANOV 5|vlastník";
    QTest::newRow("descriptive, share 1/2")
        << 1 << 30012.0 << 10 << R{1001, 3, 7001, 1, 100002}
        << "Číslo popisné:|12/3||1/2|NOVÁK JAN, KŘIŽANOV 5|vlastník";
    // The owner table knows 7300 only as a user (11), 7001 only as owner (1).
    QTest::newRow("registration, owner by IDENT below")
        << 1 << 25.0 << 13 << R{1001, 3, 7300, 1, 1300120}
        << "Evidenční číslo:|25|chmelnice se stavbou|13/120|DRUŽSTVO ZEMĚDĚLCŮ, BUDEČ 2|vlastník";
    QTest::newRow("group 3 part of KN, owner by IDENT above")
        << 3 << 12.0 << 13 << R{1001, 3, 7001, 11, 100001}
        << "Součást parcely KN:|12|chmelnice se stavbou|1/1|NOVÁK JAN, KŘIŽANOV 5|uživatel";
    QTest::newRow("unknown owner and characteristic")
        << 3 << 0.0 << 0 << R{1001, 3, 9999, 42, 1} << "Číslo popisné:|||0/1|nenalezen|";
    QTest::newRow("long texts wrap")
        << 2 << 0.0 << 0 << R{1001, 3, 7400, 4, 100001}
        << "Číslo popisné:|||1/1|ZEMĚDĚLSKÉ DRUŽSTVO VLASTNÍKŮ PŮDY,\nHORNÍ DOLNÍ "
           "1234/56|Organizační složka státu (účetní\njednotka)";
}

void TestDetailForm::computedValues()
{
    QFETCH(int, parskup);
    QFETCH(double, cpce);
    QFETCH(int, nemvyuz);
    QFETCH(QVariantList, owner);
    QFETCH(QString, shown);
    Fixture::Part p = Fixture::numberedPart(1);
    p.parskup = parskup;
    p.cpce = cpce;
    p.nemvyuz = nemvyuz;
    p.ppolvz = 1203;
    Fixture::DetailTables t = Owners;
    t.relations = {owner, {1001, 4, 7001, 1, 0}};
    const ReportPage page = layout({p}, t).pages.value(0);
    QStringList texts;
    for (const char* name : {"LabelCisPop", "CisPop", "Vyuziti", "PodilStr", "Nazev", "Charakter"})
        texts << page.textOf(name)->text;
    QCOMPARE(texts.join('|'), shown);
    QCOMPARE(page.textOf("Vykaz")->text, QStringLiteral("12/3"));
    // A wrapped owner pushes the next one down.
    const QList<const ReportBox*> names = page.textsOf("Nazev");
    QVERIFY(names[1]->rect.top() >=
            std::max(names[0]->rect.bottom(), page.textOf("Charakter")->rect.bottom()) - 0.01);
}

void TestDetailForm::parcelsKindsAndPages()
{
    // A parcel missing from the parcel table prints its key with empty fields.
    QList<Fixture::Part> parts = twoParcels();
    parts.append({1, 5, 3, 1, 105, 4, 0, 13, 5, 1005, 1, "M5", 5, "5", true, false});
    Fixture::DetailTables t = Owners;
    t.texts = {{1, 2, "a", "poznámka"}};
    t.ratings = {{2, "50100", 10, 7}};
    for (int kind : {2, -22, 20, 21}) {
        const ReportDocument doc = layout(parts, t, kind);
        QCOMPARE(doc.textsOf("PARCISLO"), QStringList({"-5/3", "1", "2"}));
        QCOMPARE(doc.textsOf("PSKUP"), QStringList({"", "KN - pozemek", "KN - pozemek"}));
        QCOMPARE(doc.textsOf("DruhText"), QStringList({"chmelnice", "chmelnice", "vinice"}));
        QCOMPARE(doc.textsOf("QRMemoTxt"), kind == 20 ? QStringList{"poznámka"} : QStringList());
        QCOMPARE(doc.textsOf("BONITA"), kind == 21 ? QStringList{"50100"} : QStringList());
        // One closing rule per parcel, after its last owner.
        const QList<double> ends = rules(doc.pages[0], "ParcelFooterRule");
        QCOMPARE(ends.size(), 3);
        QVERIFY(ends[1] > doc.pages[0].textsOf("Nazev")[3]->rect.bottom());
        QVERIFY(ends[1] < doc.pages[0].textsOf("Nazev")[4]->rect.top());
    }
    // An area whose text table was never created prints empty text blocks.
    QFile::remove(m_fixture->areaDir() + "/ORVTX001.DB");
    QFile::remove(m_fixture->areaDir() + "/ORVTX001.MB");
    QCOMPARE(layout(20).textsOf("TextTitle").size(), 3);
    // Nothing marked: no pages.
    for (Fixture::Part& p : parts)
        p.marked = false;
    QVERIFY(layout(parts, t).isEmpty());
}

void TestDetailForm::textBlocks_data()
{
    QTest::addColumn<Rows>("records");
    QTest::addColumn<QList<int>>("memoLines");
    QTest::newRow("none") << Rows{} << QList<int>{};
    QTest::newRow("five lines") << Rows{{1, 1, "a", "1\r\n2\r\n3\r\n4\r\n5"}} << QList<int>{5};
    QTest::newRow("trailing break, empty")
        << Rows{{1, 1, "a", "jedna\n"}, {1, 1, "b", ""}} << QList<int>{1, 0};
    QTest::newRow("other part's") << Rows{{1, 2, "a", "cizí"}} << QList<int>{};
}

void TestDetailForm::textBlocks()
{
    QFETCH(Rows, records);
    QFETCH(QList<int>, memoLines);
    Fixture::DetailTables t = Owners;
    t.texts = records;
    const ReportPage page = layout({Fixture::numberedPart(1)}, t, 20).pages.value(0);
    const ReportBox* title = page.textOf("TextTitle");
    QCOMPARE(title->text, QStringLiteral("TEXTOVÉ POZNÁMKY"));
    QVERIFY(title->rect.top() >= page.textsOf("Nazev").last()->rect.bottom());
    // Each text band is 16 per line + 8 high; the closing rule follows.
    const QList<const ReportBox*> memos = page.textsOf("QRMemoTxt");
    QCOMPARE(memos.size(), memoLines.size());
    double end = title->rect.top() - 4 + 22;
    for (int i = 0; i < memos.size(); ++i) {
        QCOMPARE(memos[i]->rect.height(), 16.0 * memoLines[i]);
        QCOMPARE(memos[i]->rect.top() - 4, end);
        end += TTextForm::TextBandHeight(memoLines[i]);
    }
    QCOMPARE(TTextForm::TextBandHeight(5), 88.0);
    QCOMPARE(rules(page, "ParcelFooterRule").value(0), end + 3);
}

void TestDetailForm::longTextsContinueOnTheNextPage()
{
    QStringList lines;
    for (int i = 1; i <= 130; ++i)
        lines.append(QStringLiteral("řádek %1 poznámky").arg(i));
    lines.insert(60, QString(400, QChar(u'Ž'))); // no blank to break at
    lines.insert(61, QString("slovo ").repeated(120).trimmed());
    Fixture::DetailTables t = Owners;
    t.texts = {{1, 1, "a", lines.join("\r\n")}, {2, 1, "a", "krátká"}};
    const ReportDocument doc = layout({Fixture::numberedPart(1), Fixture::numberedPart(2)}, t, 20);
    QVERIFY(doc.pageCount() >= 3);
    QStringList printed;
    for (const ReportPage& page : doc.pages) {
        for (const ReportBox* memo : page.textsOf("QRMemoTxt")) {
            printed += memo->text.split('\n');
            QVERIFY(memo->rect.bottom() <= (11 - 10 / 25.4) * 96 + 0.01);
            for (const QString& line : memo->text.split('\n'))
                QVERIFY(ReportLayouter::wrapText(memo->font, line, memo->rect.width()).size() <= 1);
            for (const ReportBox& b : page.boxes)
                if (&b != memo && b.kind == ReportBox::Kind::Text && !b.text.isEmpty())
                    QVERIFY2(!b.rect.intersects(memo->rect), qPrintable(b.elementName));
        }
    }
    QCOMPARE(printed.takeLast(), QStringLiteral("krátká"));
    QCOMPARE(printed.first(), lines.first());
    QCOMPARE(printed.join(QString()).remove(' '), lines.join(QString()).remove(' '));
}

void TestDetailForm::ratingsOncePerParcel_data()
{
    QTest::addColumn<Rows>("ratings");
    QTest::addColumn<QStringList>("printed"); // parcel 1's, a bar, parcel 2's
    QTest::newRow("none") << Rows{} << QStringList{"|"};
    QTest::newRow("three and one") << Rows{{1, "32401", 120, 1203},
                                           {1, "32411", 80, 0},
                                           {2, "50100", 10, 7},
                                           {1, "32451", 5, 1}}
                                   << QStringList{"32401", "32411", "32451", "|", "50100"};
    QTest::newRow("other group, other subdivision")
        << Rows{{1, "11111", 1, 0, 1, 0}, {1, "22222", 1, 0, 2, 4}} << QStringList{"|"};
}

void TestDetailForm::ratingsOncePerParcel()
{
    QFETCH(Rows, ratings);
    QFETCH(QStringList, printed);
    Fixture::DetailTables t = Owners;
    t.ratings = ratings;
    const ReportPage page = layout(twoParcels(), t, 21).pages.value(0);
    // One block per parcel, after both parts of parcel 1, before parcel 2.
    const QList<const ReportBox*> titles = page.textsOf("RatingTitle");
    QCOMPARE(titles.size(), 2);
    QCOMPARE(titles[0]->text, QStringLiteral("BONITACE POZEMKU"));
    const double second = page.textsOf("PARCISLO")[1]->rect.top();
    QVERIFY(titles[0]->rect.top() > page.textsOf("PARDIL")[1]->rect.bottom());
    QVERIFY(titles[0]->rect.bottom() < second);
    QStringList bonita{"|"};
    for (const ReportBox* b : page.textsOf("BONITA"))
        bonita.insert(b->rect.top() < second ? bonita.indexOf("|") : bonita.size(), b->text);
    QCOMPARE(bonita, printed);
    if (printed.size() > 1)
        QCOMPARE(page.textOf("BVYMERA")->text + " " + page.textOf("BPOLVZ")->text,
                 QStringLiteral("120 1203"));
}

void TestDetailForm::missingTablesAreReported_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content"); // empty: removed, else written over
    QTest::newRow("sheets' owners") << 2 << "NYSUV001.DB" << QByteArray();
    QTest::newRow("owners") << 22 << "NYSOBORG.DB" << QByteArray();
    QTest::newRow("use codes") << 2 << "WorkDB/NIXVYUZ.DB" << QByteArray();
    QTest::newRow("characteristics") << 20 << "WorkDB/CHARUV.DB" << QByteArray();
    QTest::newRow("groups, damaged") << 21 << "WorkDB/PARSKUP.DB" << QByteArray("no table");
    QTest::newRow("ratings") << 21 << "NYSBO001.DB" << QByteArray();
    QTest::newRow("texts, damaged") << 20 << "ORVTX001.DB" << QByteArray(4000, 'x');
}

void TestDetailForm::missingTablesAreReported()
{
    QFETCH(int, kind);
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    m_fixture->write(twoParcels());
    m_fixture->writeDetail(Owners);
    QFile f(m_fixture->areaDir() + "/" + file);
    QVERIFY(f.remove() &&
            (content.isEmpty() || (f.open(QIODevice::WriteOnly) && f.write(content))));
    f.close();
    const QString message = TestSupport::refusal([&] { layout(kind); });
    QVERIFY2(message.contains(QFileInfo(file).baseName(), Qt::CaseInsensitive),
             qPrintable(message));
}

void TestDetailForm::realDistrictThroughTheTool_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<int>("exitCode");
    for (int kind : {1, 2, 20, 21, 22})
        QTest::addRow("kind %d", kind) << QString("--kind %1").arg(kind) << 0;
    QTest::newRow("full statement") << QString("--kind 3 --sheet 149") << 0;
    QTest::newRow("full statement on A4") << QString("--kind 3 --sheet 149 --paper A4") << 0;
    QTest::newRow("detailed form on Letter") << QString("--kind 2 --paper Letter") << 0;
    QTest::newRow("unknown paper") << QString("--kind 1 --paper B5") << 2;
    QTest::newRow("short statement") << QString("--kind 4 --sheet 153") << 0;
    QTest::newRow("negative sheet") << QString("--kind 3 --sheet -149") << 2; // bad value
    QTest::newRow("sheet without parcels") << QString("--kind 4 --sheet 7") << 1;
    QTest::newRow("parcel form with sheet") << QString("--kind 1 --sheet 3") << 2;
}

void TestDetailForm::realDistrictThroughTheTool()
{
    QFETCH(QString, options);
    QFETCH(int, exitCode);
    const int kind = options.section(' ', 1, 1).toInt();
    // Every parcel part of the area marked; the form must name every parcel
    // number and every owner of the parts' sheets.
    const QString district = TestSupport::realDistrictDir();
    Table parcels, work;
    parcels.setDatabaseName(district);
    parcels.setTableName("NYSPA001.DB");
    parcels.open();
    OpenOrCreateWorkTable(work, m_dir->filePath("PRAC.DB"));
    CopyIntoWorkAndMark(parcels, work, BatchMove::Mode::Append);
    work.close();
    QStringList expected = Fixture::queryColumn(district, "SELECT PARCISLO FROM \"NYSPA001.DB\"");
    if (kind != 1)
        expected += Fixture::queryColumn(
            district, "SELECT DISTINCT O.NAZEV FROM \"NYSPA001.DB\" P, \"NYSUV001.DB\" U, "
                      "\"NYSOBORG.DB\" O WHERE U.ELLVCIS = P.LVCIS AND O.IDENT = U.IDENT");
    const QString pdf = m_dir->filePath("form.pdf");
    QString output;
    // The area as typed without its leading zeros.
    QCOMPARE(Fixture::runTool(QStringList{"report", "--dir", district, "--area", "1", "--work",
                                          m_dir->filePath("PRAC.DB"), "--pdf", pdf} +
                                  options.split(' '),
                              TestSupport::realWorkDbDir(), &output),
             exitCode);
    QCOMPARE(QFile::exists(pdf), exitCode == 0);
    QVERIFY2(exitCode != 1 || output.contains("nenalezena žádná parcela."), qPrintable(output));
    if (exitCode == 0 && options.contains("--paper")) {
        // The PDF's pages are the paper asked for.
        QProcess info;
        info.start("pdfinfo", {pdf});
        if (!info.waitForFinished(60000))
            QSKIP("pdfinfo (poppler-utils) is not installed");
        const QString a4 = "595 x 842 pts (A4)", letter = "612 x 792 pts (letter)";
        QVERIFY2(
            info.readAllStandardOutput().contains((options.endsWith("A4") ? a4 : letter).toUtf8()),
            qPrintable(options));
    }
    if (exitCode != 0 || options.contains("--sheet"))
        return; // the statements' contents: tst_sheetform
    QVERIFY2(output.startsWith(pdf + "\t"), qPrintable(output));
    const QString text = Fixture::pdfText(pdf, true);
    if (text.isNull())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QVERIFY(expected.size() > 100);
    for (const QString& item : std::as_const(expected))
        QVERIFY2(containsInOrder(text, item.simplified()), qPrintable(item));
    // Parcel -14/2 (relation 5): the land's sheet apart from the building's.
    QCOMPARE(text.contains("VLASTNICTVÍ POZEMKU Vlastník"), kind != 1);
    QCOMPARE(text.contains("VLASTNICTVÍ STAVBY Vlastník"), kind != 1);
}

QTEST_MAIN(TestDetailForm)
#include "tst_detailform.moc"
