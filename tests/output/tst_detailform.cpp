// The detailed parcel form and its text and soil-quality variants: owner
// lists by relation, computed values, texts across pages, ratings per parcel,
// failures, dispatch, and the real district through orv-tool to PDF.
#include "common/ParcelFormFixture.h"
#include "base/ETalvekException.h"
#include "data/WorkTable.h"
#include "db/Table.h"
#include "output/core/CreateReportForm.h"
#include "output/core/TBonitaForm.h"
#include "output/core/TDetailForm.h"
#include "output/core/TTextForm.h"
#include "report/ReportLayouter.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

namespace {
using Fixture = ParcelFormFixture;
const QDateTime PrintTime(QDate(2026, 12, 6), QTime(10, 0));

// Texts of the named element over all pages, in page order.
QStringList texts(const ReportDocument& doc, const QString& element)
{
    QStringList result;
    for (const ReportPage& page : doc.pages)
        for (const ReportBox* b : page.textsOf(element))
            result.append(b->text);
    return result;
}

// The first line box of the named element on a page, or null.
const ReportBox* lineOf(const ReportPage& page, const QString& element)
{
    for (const ReportBox& b : page.boxes)
        if (b.kind == ReportBox::Kind::Line && b.elementName == element)
            return &b;
    return nullptr;
}

// True when the words of `item` occur in `words` in order, each within a few
// words of the one before: a name wrapped in its column is interleaved with the
// neighbouring columns' texts in the extracted page text.
bool containsInOrder(const QStringList& words, const QStringList& item)
{
    constexpr int MaxGap = 16;
    for (qsizetype start = 0; start < words.size(); ++start) {
        if (words[start] != item.value(0))
            continue;
        qsizetype at = start;
        qsizetype matched = 1;
        for (qsizetype i = start + 1; i < words.size() && matched < item.size(); ++i) {
            if (i - at > MaxGap)
                break;
            if (words[i] == item[matched]) {
                at = i;
                ++matched;
            }
        }
        if (matched == item.size())
            return true;
    }
    return false;
}

// Two parts of parcel 1 on sheet 1001 and one part of parcel 2 on sheet 1002.
QList<Fixture::Part> twoParcels()
{
    Fixture::Part a = Fixture::numberedPart(1);
    Fixture::Part b = a;
    b.pardil = 2;
    Fixture::Part c = Fixture::numberedPart(2);
    return {a, b, c};
}

Fixture::DetailTables owners()
{
    Fixture::DetailTables t;
    t.persons = {{7001, 1, "NOVÁK JAN, KŘIŽANOV 5"},
                 {7002, 1, "NOVÁKOVÁ MARIE, KŘIŽANOV 5"},
                 {7120, 1, "OBEC KŘIŽANOV, NÁMĚSTÍ 1"},
                 {7300, 11, "DRUŽSTVO ZEMĚDĚLCŮ, BUDEČ 2"}};
    t.relations = {{1001, 1, 7001, 1, 100002},
                   {1001, 2, 7002, 1, 100002},
                   {1002, 1, 7001, 1, 0},
                   {120, 1, 7120, 1, 100001}};
    return t;
}
} // namespace

class TestDetailForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void ownerListsFollowTheRelation_data();
    void ownerListsFollowTheRelation();
    void ownerLineValues_data();
    void ownerLineValues();
    void partBlockValues_data();
    void partBlockValues();
    void parcelLayoutAndPages();
    void textBlocks_data();
    void textBlocks();
    void longTextsContinueOnTheNextPage();
    void ratingsOncePerParcel_data();
    void ratingsOncePerParcel();
    void missingTablesAreReported_data();
    void missingTablesAreReported();
    void dispatchByKind();
    void realDistrictThroughTheTool_data();
    void realDistrictThroughTheTool();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Fixture> m_fixture;
    ReportDocument layout(int kind = 2)
    {
        std::unique_ptr<TReportForm> form = CreateReportForm(
            m_fixture->app(), kind, m_fixture->area(), m_fixture->workTable(), QString());
        return form->Layout(PrintTime);
    }
};

void TestDetailForm::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_fixture = std::make_unique<Fixture>(m_dir->path());
}

void TestDetailForm::ownerListsFollowTheRelation_data()
{
    QTest::addColumn<int>("vlvztah");
    QTest::addColumn<int>("recordKind");
    QTest::addColumn<int>("recordSheet");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("landOwners");

    const QStringList split{"VLASTNICTVÍ POZEMKU", "VLASTNICTVÍ STAVBY"};
    QTest::newRow("5, code 82 names 120")
        << 5 << 82 << 120 << split << QStringList{"OBEC KŘIŽANOV, NÁMĚSTÍ 1"};
    QTest::newRow("5, no code-82 record")
        << 5 << 0 << 0 << QStringList{"VLASTNICTVÍ STAVBY"} << QStringList();
    QTest::newRow("5, only code 90")
        << 5 << 90 << 120 << QStringList{"VLASTNICTVÍ STAVBY"} << QStringList();
    QTest::newRow("5, sheet 121 without owners")
        << 5 << 82 << 121 << QStringList{"VLASTNICTVÍ STAVBY"} << QStringList();
    QTest::newRow("1, code 82 ignored")
        << 1 << 82 << 120 << QStringList{"VLASTNICTVÍ POZEMKU A STAVBY"} << QStringList();
}

void TestDetailForm::ownerListsFollowTheRelation()
{
    QFETCH(int, vlvztah);
    QFETCH(int, recordKind);
    QFETCH(int, recordSheet);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, landOwners);
    Fixture::Part p = Fixture::numberedPart(1);
    p.vlvztah = vlvztah;
    m_fixture->write({p});
    Fixture::DetailTables t = owners();
    if (recordKind)
        t.records = {{1001, recordKind, double(recordSheet)}};
    m_fixture->writeDetail(t);
    const ReportDocument doc = layout();
    QCOMPARE(doc.pageCount(), 1);
    const ReportPage& page = doc.pages[0];

    QStringList shown;
    for (const char* name : {"QRLabelDoplVl", "QRLabelVl"})
        for (const ReportBox* b : page.textsOf(name))
            shown.append(b->text);
    QCOMPARE(shown, titles);
    QCOMPARE(texts(doc, "DoplNazev"), landOwners);
    QCOMPARE(texts(doc, "Nazev"),
             QStringList({"NOVÁK JAN, KŘIŽANOV 5", "NOVÁKOVÁ MARIE, KŘIŽANOV 5"}));
    // The land owners come first, each list under its own title.
    if (!landOwners.isEmpty()) {
        QVERIFY(page.textOf("QRLabelDoplVl")->rect.bottom() <=
                page.textOf("DoplNazev")->rect.top());
        QVERIFY(page.textOf("DoplNazev")->rect.bottom() <= page.textOf("QRLabelVl")->rect.top());
    }
    QVERIFY(page.textOf("QRLabelVl")->rect.bottom() <= page.textOf("Nazev")->rect.top());
}

void TestDetailForm::ownerLineValues_data()
{
    QTest::addColumn<double>("podil");
    QTest::addColumn<double>("ident");
    QTest::addColumn<int>("uvchar");
    QTest::addColumn<QString>("share");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("characteristic");

    QTest::newRow("share 0") << 0.0 << 7001.0 << 1 << ""
                             << "NOVÁK JAN, KŘIŽANOV 5"
                             << "vlastník";
    QTest::newRow("share 1/2") << 100002.0 << 7001.0 << 1 << "1/2"
                               << "NOVÁK JAN, KŘIŽANOV 5"
                               << "vlastník";
    QTest::newRow("share 13/120") << 1300120.0 << 7001.0 << 1 << "13/120"
                                  << "NOVÁK JAN, KŘIŽANOV 5"
                                  << "vlastník";
    // The owner table knows 7300 only as a user (11), 7001 only as owner (1).
    QTest::newRow("characteristic below the table's") << 100001.0 << 7300.0 << 1 << "1/1"
                                                      << "DRUŽSTVO ZEMĚDĚLCŮ, BUDEČ 2"
                                                      << "vlastník";
    QTest::newRow("characteristic above the table's") << 100001.0 << 7001.0 << 11 << "1/1"
                                                      << "NOVÁK JAN, KŘIŽANOV 5"
                                                      << "uživatel";
    QTest::newRow("long name and characteristic wrap")
        << 100001.0 << 7400.0 << 4 << "1/1"
        << "ZEMĚDĚLSKÉ DRUŽSTVO VLASTNÍKŮ PŮDY, HORNÍ DOLNÍ 1234/56"
        << "Organizační složka státu (účetní jednotka)";
    QTest::newRow("unknown owner and characteristic") << 100001.0 << 9999.0 << 42 << "1/1"
                                                      << "nenalezen"
                                                      << "";
}

void TestDetailForm::ownerLineValues()
{
    QFETCH(double, podil);
    QFETCH(double, ident);
    QFETCH(int, uvchar);
    QFETCH(QString, share);
    QFETCH(QString, name);
    QFETCH(QString, characteristic);
    m_fixture->write({Fixture::numberedPart(1)});
    Fixture::DetailTables t = owners();
    t.relations = {{1001, 3, ident, uvchar, podil}, {1001, 4, 7001, 1, 0}};
    t.persons.append({7400, 4, "ZEMĚDĚLSKÉ DRUŽSTVO VLASTNÍKŮ PŮDY, HORNÍ DOLNÍ 1234/56"});
    m_fixture->writeDetail(t);
    const ReportPage page = layout().pages.value(0);
    // A wrapped line pushes the next owner down.
    const QList<const ReportBox*> names = page.textsOf("Nazev");
    QCOMPARE(names.size(), 2);
    QVERIFY(names[1]->rect.top() >= names[0]->rect.bottom() - 0.01);
    QVERIFY(names[1]->rect.top() >= page.textOf("Charakter")->rect.bottom() - 0.01);
    QCOMPARE(page.textOf("PodilStr")->text, share);
    // Long texts wrap within their column: every word kept, two lines.
    for (const auto& [element, expected] :
         {std::pair{"Nazev", name}, std::pair{"Charakter", characteristic}}) {
        const ReportBox* box = page.textOf(element);
        QCOMPARE(QString(box->text).replace('\n', ' '), expected);
        QCOMPARE(box->text.count('\n'), ident == 7400 ? 1 : 0);
    }
    QCOMPARE(page.textOf("VLPOR")->text, QStringLiteral("3"));
    QCOMPARE(page.textOf("IDENT")->text, QString::number(qint64(ident)));
    QCOMPARE(page.textOf("UVCHAR")->text, QString::number(uvchar));
}

void TestDetailForm::partBlockValues_data()
{
    QTest::addColumn<int>("parskup");
    QTest::addColumn<double>("cpce");
    QTest::addColumn<int>("nemvyuz");
    QTest::addColumn<int>("druhpoz");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("use");

    QTest::newRow("no house number") << 2 << 0.0 << 0 << 2 << "Číslo popisné:"
                                     << ""
                                     << "orná bez využití";
    QTest::newRow("descriptive") << 1 << 30012.0 << 10 << 4 << "Číslo popisné:"
                                 << "12/3"
                                 << "";
    QTest::newRow("registration") << 1 << 25.0 << 13 << 3 << "Evidenční číslo:"
                                  << "25"
                                  << "chmelnice se stavbou";
    QTest::newRow("group 3 part of a KN parcel") << 3 << 12.0 << 13 << 3 << "Součást parcely KN:"
                                                 << "12"
                                                 << "chmelnice se stavbou";
    QTest::newRow("group 3 without number") << 3 << 0.0 << 0 << 4 << "Číslo popisné:"
                                            << ""
                                            << "vinice";
}

void TestDetailForm::partBlockValues()
{
    QFETCH(int, parskup);
    QFETCH(double, cpce);
    QFETCH(int, nemvyuz);
    QFETCH(int, druhpoz);
    QFETCH(QString, caption);
    QFETCH(QString, number);
    QFETCH(QString, use);
    Fixture::Part p = Fixture::numberedPart(7);
    p.parskup = parskup;
    p.cpce = cpce;
    p.nemvyuz = nemvyuz;
    p.druhpoz = druhpoz;
    p.ppolvz = 1203;
    p.parcislo = "X7";
    m_fixture->write({p});
    m_fixture->writeDetail(owners());
    const ReportPage page = layout().pages.value(0);
    QCOMPARE(page.textOf("LabelCisPop")->text, caption);
    QCOMPARE(page.textOf("CisPop")->text, number);
    QCOMPARE(page.textOf("Vyuziti")->text, use);
    QCOMPARE(page.textOf("Vykaz")->text, QStringLiteral("12/3"));
    QCOMPARE(page.textOf("PARCISLO")->text, QStringLiteral("X7"));
    QCOMPARE(page.textOf("PARSKUP")->text, QString::number(parskup));
    // Line 2 of the block lies below line 1.
    QVERIFY(page.textOf("LabelCisPop")->rect.top() >= page.textOf("PARDIL")->rect.bottom());
}

void TestDetailForm::parcelLayoutAndPages()
{
    // Parcel 1 (two parts), a parcel missing from the parcel table, parcel 2.
    QList<Fixture::Part> parts = twoParcels();
    Fixture::Part missing = Fixture::numberedPart(5);
    missing.parskup = 1;
    missing.parpod = 3;
    missing.inArea = false;
    parts.insert(2, missing);
    m_fixture->write(parts);
    m_fixture->writeDetail(owners());
    ReportDocument doc = layout();
    const ReportPage& page = doc.pages[0];
    // Group 1 first; the missing parcel prints its key with empty fields.
    QCOMPARE(texts(doc, "PARCISLO"), QStringList({"-5/3", "1", "2"}));
    QCOMPARE(texts(doc, "PSKUP"), QStringList({"", "KN - pozemek", "KN - pozemek"}));
    QCOMPARE(texts(doc, "PARDIL"), QStringList({"1", "2", "1"}));
    QCOMPARE(texts(doc, "DruhText"), QStringList({"chmelnice", "chmelnice", "vinice"}));
    QCOMPARE(texts(doc, "Nazev").size(), 2 + 2 + 1);
    // One closing rule per parcel, below its last owner.
    QList<double> rules;
    for (const ReportBox& b : page.boxes)
        if (b.kind == ReportBox::Kind::Line && b.elementName == "ParcelFooterRule")
            rules.append(b.line.y1());
    QCOMPARE(rules.size(), 3);
    QVERIFY(rules[1] > page.textsOf("Nazev")[3]->rect.bottom());
    QVERIFY(rules[1] < page.textsOf("Nazev")[4]->rect.top());

    // A long selection: the page header from page 2 on, no block cut by a page end.
    QList<Fixture::Part> many;
    for (int i = 1; i <= 60; ++i)
        many.append(Fixture::numberedPart(i));
    m_fixture->write(many);
    doc = layout();
    QVERIFY(doc.pageCount() >= 3);
    const double bottom = (11 - 10 / 25.4) * 96 + 0.01;
    for (int p = 1; p < doc.pageCount(); ++p) {
        QCOMPARE(doc.pages[p].textOf("StranaNumber")->text, QString::number(p + 1));
        QVERIFY(!doc.pages[p].textOf("Nadpis"));
        for (const ReportBox& b : doc.pages[p].boxes)
            QVERIFY(b.rect.bottom() <= bottom);
    }
    QCOMPARE(texts(doc, "PARCISLO").size(), 60);
}

void TestDetailForm::textBlocks_data()
{
    QTest::addColumn<QList<Fixture::Text>>("records");
    QTest::addColumn<QList<int>>("memoLines");

    QTest::newRow("no texts") << QList<Fixture::Text>{} << QList<int>{};
    QTest::newRow("five lines") << QList<Fixture::Text>{{1, 1, "a", "1\r\n2\r\n3\r\n4\r\n5"}}
                                << QList<int>{5};
    QTest::newRow("trailing break, empty text")
        << QList<Fixture::Text>{{1, 1, "a", "jedna\n"}, {1, 1, "b", ""}} << QList<int>{1, 0};
    QTest::newRow("other part's text") << QList<Fixture::Text>{{1, 2, "a", "cizí"}} << QList<int>{};
}

void TestDetailForm::textBlocks()
{
    QFETCH(QList<Fixture::Text>, records);
    QFETCH(QList<int>, memoLines);
    m_fixture->write({Fixture::numberedPart(1)});
    Fixture::DetailTables t = owners();
    t.texts = records;
    m_fixture->writeDetail(t);
    const ReportDocument doc = layout(20);
    QCOMPARE(doc.pageCount(), 1);
    const ReportPage& page = doc.pages[0];
    const ReportBox* title = page.textOf("TextTitle");
    QVERIFY(title);
    QCOMPARE(title->text, QStringLiteral("TEXTOVÉ POZNÁMKY"));
    // Under the owners, above the parcel's closing rule.
    QVERIFY(title->rect.top() >= page.textsOf("Nazev").last()->rect.bottom());
    const QList<const ReportBox*> memos = page.textsOf("QRMemoTxt");
    QCOMPARE(memos.size(), memoLines.size());
    double expectedEnd = title->rect.top() - 4 + 22; // the header band's end
    for (int i = 0; i < memos.size(); ++i) {
        QCOMPARE(memos[i]->rect.height(), 16.0 * memoLines[i]);
        QCOMPARE(memos[i]->rect.top() - 4, expectedEnd);
        expectedEnd += TTextForm::TextBandHeight(memoLines[i]);
    }
    if (memoLines == QList<int>{5})
        QCOMPARE(TTextForm::TextBandHeight(5), 88.0);
    // The closing rule sits at the top of the band after the last text band.
    QCOMPARE(lineOf(page, "ParcelFooterRule")->line.y1(), expectedEnd + 3);
}

void TestDetailForm::longTextsContinueOnTheNextPage()
{
    QStringList lines;
    for (int i = 1; i <= 130; ++i)
        lines.append(QStringLiteral("řádek %1 poznámky").arg(i));
    const QString word(400, QChar(u'Ž')); // no blank to break at
    const QString sentence = QString("slovo ").repeated(120).trimmed();
    lines.insert(60, word);
    lines.insert(61, sentence);
    m_fixture->write({Fixture::numberedPart(1), Fixture::numberedPart(2)});
    Fixture::DetailTables t = owners();
    t.texts = {{1, 1, "a", lines.join("\r\n")}, {2, 1, "a", "krátká"}};
    m_fixture->writeDetail(t);
    const ReportDocument doc = layout(20);
    QVERIFY(doc.pageCount() >= 3);

    QStringList printed;
    const double bottom = (11 - 10 / 25.4) * 96 + 0.01;
    for (const ReportPage& page : doc.pages) {
        for (const ReportBox* memo : page.textsOf("QRMemoTxt")) {
            printed += memo->text.split('\n');
            QVERIFY(memo->rect.bottom() <= bottom);
            // Every printed line fits the memo's width.
            for (const QString& line : memo->text.split('\n'))
                QVERIFY(ReportLayouter::wrapText(memo->font, line, memo->rect.width()).size() <= 1);
            // No other box of the page overlaps the memo.
            for (const ReportBox& b : page.boxes)
                if (&b != memo && b.kind == ReportBox::Kind::Text && !b.text.isEmpty())
                    QVERIFY2(!b.rect.intersects(memo->rect), qPrintable(b.elementName));
        }
    }
    QCOMPARE(printed.last(), QStringLiteral("krátká"));
    printed.removeLast();
    // Every line in order, nothing lost: wrapped pieces join back to the text.
    QCOMPARE(printed.join(QString()).remove(' '), lines.join(QString()).remove(' '));
    QCOMPARE(printed.first(), lines.first());
    QVERIFY(printed.contains(lines.last()));
}

void TestDetailForm::ratingsOncePerParcel_data()
{
    QTest::addColumn<QList<Fixture::Rating>>("ratings");
    QTest::addColumn<QStringList>("firstParcel");
    QTest::addColumn<QStringList>("secondParcel");

    QTest::newRow("none") << QList<Fixture::Rating>{} << QStringList() << QStringList();
    QTest::newRow("three and one")
        << QList<Fixture::Rating>{{1, "32401", 120, 1203},
                                  {1, "32411", 80, 0},
                                  {2, "50100", 10, 7},
                                  {1, "32451", 5, 1}}
        << QStringList({"32401", "32411", "32451"}) << QStringList({"50100"});
    QTest::newRow("other group and subdivision not counted")
        << QList<Fixture::Rating>{{1, "11111", 1, 0, 1, 0}, {1, "22222", 1, 0, 2, 4}}
        << QStringList() << QStringList();
}

void TestDetailForm::ratingsOncePerParcel()
{
    QFETCH(QList<Fixture::Rating>, ratings);
    QFETCH(QStringList, firstParcel);
    QFETCH(QStringList, secondParcel);
    m_fixture->write(twoParcels());
    Fixture::DetailTables t = owners();
    t.ratings = ratings;
    m_fixture->writeDetail(t);
    const ReportDocument doc = layout(21);
    const ReportPage& page = doc.pages[0];
    // One block per parcel, after the parcel's closing rule.
    const QList<const ReportBox*> titles = page.textsOf("RatingTitle");
    QCOMPARE(titles.size(), 2);
    QCOMPARE(titles[0]->text, QStringLiteral("BONITACE POZEMKU"));
    const QList<const ReportBox*> parcels = page.textsOf("PARCISLO");
    QVERIFY(titles[0]->rect.top() > page.textsOf("PARDIL")[1]->rect.bottom());
    QVERIFY(titles[0]->rect.bottom() < parcels[1]->rect.top());
    QStringList first;
    QStringList second;
    for (const ReportBox* b : page.textsOf("BONITA"))
        (b->rect.top() < parcels[1]->rect.top() ? first : second).append(b->text);
    QCOMPARE(first, firstParcel);
    QCOMPARE(second, secondParcel);
    if (!firstParcel.isEmpty()) {
        QCOMPARE(page.textOf("BVYMERA")->text, QStringLiteral("120"));
        QCOMPARE(page.textOf("BPOLVZ")->text, QStringLiteral("1203"));
    }
}

void TestDetailForm::missingTablesAreReported_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content"); // empty: removed, else written over

    QTest::newRow("owners' sheets") << 2 << "NYSUV001.DB" << QByteArray();
    QTest::newRow("owner table") << 22 << "NYSOBORG.DB" << QByteArray();
    QTest::newRow("land use codes") << 2 << "WorkDB/NIXVYUZ.DB" << QByteArray();
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
    m_fixture->writeDetail(owners());
    const QString path = m_fixture->areaDir() + "/" + file;
    QFile::remove(path);
    if (!content.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    try {
        layout(kind);
        QFAIL("no error");
    } catch (const ETalvekException& e) {
        QVERIFY2(e.message().contains(QFileInfo(file).baseName(), Qt::CaseInsensitive),
                 qPrintable(e.message()));
    }
}

void TestDetailForm::dispatchByKind()
{
    m_fixture->write(twoParcels());
    Fixture::DetailTables t = owners();
    t.texts = {{1, 2, "a", "poznámka"}};
    t.ratings = {{2, "50100", 10, 7}};
    m_fixture->writeDetail(t);
    struct Expect
    {
        int kind;
        const char* only;
    };
    for (const Expect& e :
         {Expect{2, ""}, Expect{-22, ""}, Expect{20, "QRMemoTxt"}, Expect{21, "BONITA"}}) {
        const ReportDocument doc = layout(e.kind);
        QCOMPARE(texts(doc, "PARCISLO"), QStringList({"1", "2"}));
        QCOMPARE(texts(doc, "QRMemoTxt"),
                 QString(e.only) == "QRMemoTxt" ? QStringList{"poznámka"} : QStringList());
        QCOMPARE(texts(doc, "BONITA"),
                 QString(e.only) == "BONITA" ? QStringList{"50100"} : QStringList());
    }
    // An area whose own text table was never created prints empty text blocks.
    QFile::remove(m_fixture->areaDir() + "/ORVTX001.DB");
    QFile::remove(m_fixture->areaDir() + "/ORVTX001.MB");
    const ReportDocument doc = layout(20);
    QCOMPARE(texts(doc, "TextTitle").size(), 3);
    QVERIFY(texts(doc, "QRMemoTxt").isEmpty());
    // Nothing marked: no pages.
    QList<Fixture::Part> none = twoParcels();
    for (Fixture::Part& p : none)
        p.marked = false;
    m_fixture->write(none);
    QVERIFY(layout(2).isEmpty());
}

void TestDetailForm::realDistrictThroughTheTool_data()
{
    QTest::addColumn<int>("kind");
    for (int kind : {1, 2, 20, 21, 22})
        QTest::newRow(qPrintable(QString::number(kind))) << kind;
}

void TestDetailForm::realDistrictThroughTheTool()
{
    QFETCH(int, kind);
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const QString district = QStringLiteral(ORV_SAMPLES_DIR "/real/SALADIN");
    // Every parcel part of the area, marked.
    Table parcels;
    parcels.setDatabaseName(district);
    parcels.setTableName("NYSPA001.DB");
    parcels.setReadOnly(true);
    parcels.open();
    Table work;
    OpenOrCreateWorkTable(work, m_dir->filePath("PRAC.DB"));
    CopyIntoWorkAndMark(parcels, work, BatchMove::Mode::Append);
    work.close();

    // What the form must name: every parcel number, every owner of the
    // parts' sheets.
    QStringList expected;
    QSet<qint64> sheets;
    for (parcels.first(); !parcels.eof(); parcels.next()) {
        expected.append(parcels.asString("PARCISLO").trimmed());
        sheets.insert(parcels.asInteger("LVCIS"));
    }
    if (kind != 1) {
        Table relations;
        relations.setDatabaseName(district);
        relations.setTableName("NYSUV001.DB");
        relations.open();
        Table persons;
        persons.setDatabaseName(district);
        persons.setTableName("NYSOBORG.DB");
        persons.setIndexFieldNames("IDENT;UVCHAR");
        persons.open();
        for (relations.first(); !relations.eof(); relations.next()) {
            if (!sheets.contains(relations.asInteger("ELLVCIS")))
                continue;
            QVERIFY(persons.findKey({relations.value("IDENT")}));
            expected.append(persons.asString("NAZEV").simplified());
        }
    }
    const QString pdf = m_dir->filePath(QStringLiteral("form%1.pdf").arg(kind));
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ORV_WORKDB", ORV_SAMPLES_DIR "/real/WorkDB");
    tool.setProcessEnvironment(env);
    tool.start(ORV_TOOL_PATH,
               {"report", "--dir", district, "--area", "001", "--work", m_dir->filePath("PRAC.DB"),
                "--kind", QString::number(kind), "--pdf", pdf});
    QVERIFY(tool.waitForFinished(120000));
    QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
    QVERIFY(tool.readAllStandardOutput().startsWith(pdf.toUtf8() + "\t"));

    QProcess extract;
    extract.start("pdftotext", {"-layout", pdf, "-"});
    QVERIFY(extract.waitForFinished(60000));
    const QString text = QString::fromUtf8(extract.readAllStandardOutput());
    const QStringList words = text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    const QString joined = " " + words.join(' ') + " ";
    for (const QString& item : std::as_const(expected))
        QVERIFY2(containsInOrder(words, item.split(' ', Qt::SkipEmptyParts)), qPrintable(item));
    // Parcel -14/2 (relation 5): the land's sheet apart from the building's.
    if (kind != 1) {
        QVERIFY(joined.contains("VLASTNICTVÍ POZEMKU Vlastník (pořadí,"));
        QVERIFY(joined.contains("VLASTNICTVÍ STAVBY Vlastník (pořadí,"));
    }
}

QTEST_MAIN(TestDetailForm)
#include "tst_detailform.moc"
