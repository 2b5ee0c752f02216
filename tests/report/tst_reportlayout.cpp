// Layout of banded reports: which boxes land on which page, where.
#include "base/ETalvekException.h"
#include "report/ReportLayouter.h"
#include "report/ReportMemorySource.h"

#include <QtTest>

namespace {
QList<QVariantMap> numberedRows(int count)
{
    QList<QVariantMap> rows;
    for (int i = 1; i <= count; ++i)
        rows.append(
            {{"N", i}, {"NAME", QStringLiteral("Řádek %1").arg(i)}, {"GROUP", (i - 1) / 10}});
    return rows;
}

// A report over `source`: page header, title, column header, one 20-unit
// detail line per row, summary.
ReportDefinition simpleReport(ReportDataSource* source)
{
    ReportDefinition r;
    r.pageSize = QPageSize(QPageSize::Letter);
    r.marginsMm = QMarginsF(10, 10, 10, 10);
    ReportBand header(ReportBand::Type::PageHeader, 20);
    header.add(ReportElement::systemData("Page", QRectF(600, 0, 100, 20),
                                         ReportElement::SystemKind::PageNumber, "Strana: "));
    r.setPageHeader(header);
    ReportBand title(ReportBand::Type::Title, 100);
    title.add(ReportElement::label("Heading", QRectF(0, 0, 700, 40), "Nadpis"));
    r.setTitleBand(title);
    ReportBand columns(ReportBand::Type::ColumnHeader, 20);
    columns.add(ReportElement::label("Caption", QRectF(0, 0, 200, 20), "Název"));
    r.setColumnHeader(columns);
    ReportSection& main = r.addSection(ReportSection(source));
    main.detail = ReportBand(ReportBand::Type::Detail, 20);
    main.detail.add(ReportElement::dataField("Name", QRectF(0, 0, 200, 20), "NAME"));
    main.detail.add(ReportElement::dataField("N", QRectF(200, 0, 60, 20), "N"));
    ReportBand summary(ReportBand::Type::Summary, 20);
    summary.add(ReportElement::label("End", QRectF(0, 0, 200, 20), "Konec"));
    r.setSummary(summary);
    return r;
}

class FailingSource : public ReportMemorySource
{
public:
    FailingSource(QList<QVariantMap> rows, int failAt) : ReportMemorySource(rows), m_failAt(failAt)
    {
    }
    void next() override
    {
        if (++m_read == m_failAt)
            throw ETalvekException("Chyba čtení tabulky NYSPA001.DB");
        ReportMemorySource::next();
    }

private:
    int m_failAt;
    int m_read = 0;
};
} // namespace

class TestReportLayout : public QObject
{
    Q_OBJECT

private slots:
    void paginationKeepsEveryRowOnceInOrder();
    void pageHeaderOnFirstPageIsAnOption();
    void emptyDatasetSuppressedOrPrinted();
    void subSectionsNestAndFollowTheirMaster();
    void groupHeadersAndFootersFrameEachRun();
    void memoHeightSetWhilePrintingMovesFollowingBands();
    void systemDataAndChildBands();
    void framesBecomeLines();
    void dataErrorEndsTheRunWithTheEngineMessage();
    void oversizedBandDoesNotLoopForever();
};

void TestReportLayout::paginationKeepsEveryRowOnceInOrder()
{
    ReportMemorySource source(numberedRows(120));
    ReportDefinition r = simpleReport(&source);
    const ReportDocument doc = ReportLayouter(r).run();

    QStringList expected;
    for (int i = 1; i <= 120; ++i)
        expected.append(QStringLiteral("Řádek %1").arg(i));
    QCOMPARE(doc.textsOf("Name"), expected);

    // Content 1056 - 2 * 37.8 units high; the first page has page header (20),
    // title (100) and column header (20) above the rows, the others page header
    // and column header.
    const QRectF content = r.contentRect();
    const int firstPageRows = int((content.height() - 140) / 20);
    const int otherPageRows = int((content.height() - 40) / 20);
    QCOMPARE(doc.pages[0].textsOf("Name").size(), firstPageRows);
    QCOMPARE(doc.pages[1].textsOf("Name").size(), otherPageRows);
    const int pages = 1 + (120 - firstPageRows + otherPageRows - 1) / otherPageRows;
    QCOMPARE(doc.pageCount(), pages);

    for (int p = 0; p < doc.pageCount(); ++p) {
        const ReportPage& page = doc.pages[p];
        QCOMPARE(page.textsOf("Caption").size(), 1); // column header on every page
        for (const ReportBox& b : page.boxes)
            QVERIFY2(b.rect.bottom() <= content.bottom() + 1e-6, qPrintable(b.text));
        if (p > 0) {
            QCOMPARE(page.textOf("Page")->text, QStringLiteral("Strana: %1").arg(p + 1));
            QVERIFY(page.textOf("Page")->rect.top() < page.textOf("Caption")->rect.top());
            QVERIFY(page.textOf("Caption")->rect.top() < page.textsOf("Name").first()->rect.top());
        }
    }
    QVERIFY(!doc.pages[1].textOf("Heading"));
    QCOMPARE(doc.pages.last().textOf("End")->text, QStringLiteral("Konec"));
    QCOMPARE(doc.pages[0].textsOf("N").first()->text, QStringLiteral("1"));
}

void TestReportLayout::pageHeaderOnFirstPageIsAnOption()
{
    ReportMemorySource source(numberedRows(3));
    ReportDefinition r = simpleReport(&source);
    r.pageHeaderOnFirstPage = true;
    ReportDocument doc = ReportLayouter(r).run();
    QCOMPARE(doc.pageCount(), 1);
    QVERIFY(doc.pages[0].textOf("Page"));
    QVERIFY(doc.pages[0].textOf("Page")->rect.top() < doc.pages[0].textOf("Heading")->rect.top());

    r.pageHeaderOnFirstPage = false;
    doc = ReportLayouter(r).run();
    QVERIFY(!doc.pages[0].textOf("Page"));
    // The title then starts at the top margin.
    QCOMPARE(doc.pages[0].textOf("Heading")->rect.top(), r.contentRect().top());
}

void TestReportLayout::emptyDatasetSuppressedOrPrinted()
{
    ReportMemorySource empty;
    ReportDefinition r = simpleReport(&empty);
    r.suppressEmpty = true;
    QCOMPARE(ReportLayouter(r).run().pageCount(), 0);

    r.suppressEmpty = false;
    ReportDocument doc = ReportLayouter(r).run();
    QCOMPARE(doc.pageCount(), 1);
    QVERIFY(doc.pages[0].textOf("Heading"));
    QVERIFY(doc.pages[0].textsOf("Name").isEmpty());

    // A section over an empty source: skipped, or header and footer only.
    ReportMemorySource one(numberedRows(1));
    ReportDefinition s = simpleReport(&one);
    ReportSection sub(&empty);
    sub.setHeader(ReportBand(ReportBand::Type::Header, 20))
        .add(ReportElement::label("SubHeader", QRectF(0, 0, 100, 20), "TEXTOVÉ POZNÁMKY"));
    sub.setFooter(ReportBand(ReportBand::Type::Footer, 5));
    sub.detail.height = 20;
    s.sections.front().addSubSection(sub);
    QVERIFY(!ReportLayouter(s).run().pages[0].textOf("SubHeader"));
    s.sections.front().subSections.front().printIfEmpty = true;
    QVERIFY(ReportLayouter(s).run().pages[0].textOf("SubHeader"));
}

void TestReportLayout::subSectionsNestAndFollowTheirMaster()
{
    // Parcels -> parts -> owners, each detail linked to its master's key.
    ReportMemorySource parcels({{{"P", 1}}, {{"P", 2}}, {{"P", 3}}});
    ReportMemorySource parts({{{"P", 1}, {"D", 1}}, {{"P", 1}, {"D", 2}}, {{"P", 3}, {"D", 1}}});
    ReportMemorySource owners({{{"P", 1}, {"D", 2}, {"O", "Novák"}},
                               {{"P", 3}, {"D", 1}, {"O", "Dvořák"}},
                               {{"P", 3}, {"D", 1}, {"O", "Šťastná"}}});
    parts.setRowFilter([&](const QVariantMap& row) { return row["P"] == parcels.value("P"); });
    owners.setRowFilter([&](const QVariantMap& row) {
        return row["P"] == parts.value("P") && row["D"] == parts.value("D");
    });

    ReportDefinition r;
    ReportSection& main = r.addSection(ReportSection(&parcels));
    main.detail = ReportBand(ReportBand::Type::Detail, 10);
    main.detail.add(ReportElement::dataField("Parcel", QRectF(0, 0, 50, 10), "P"));
    ReportSection partSection(&parts);
    partSection.detail = ReportBand(ReportBand::Type::Detail, 10);
    partSection.detail.add(ReportElement::dataField("Part", QRectF(0, 0, 50, 10), "D"));
    ReportSection ownerSection(&owners);
    ownerSection.setHeader(ReportBand(ReportBand::Type::Header, 10))
        .add(ReportElement::label("OwnerHeader", QRectF(0, 0, 50, 10), "Vlastníci"));
    ownerSection.detail = ReportBand(ReportBand::Type::Detail, 10);
    ownerSection.detail.add(ReportElement::dataField("Owner", QRectF(0, 0, 50, 10), "O"));
    partSection.addSubSection(ownerSection);
    main.addSubSection(partSection);

    const ReportDocument doc = ReportLayouter(r).run();
    QCOMPARE(doc.pageCount(), 1);
    QStringList sequence;
    for (const ReportBox& b : doc.pages[0].boxes)
        sequence.append(b.elementName + "=" + b.text);
    QCOMPARE(sequence, QStringList({"Parcel=1", "Part=1", "Part=2", "OwnerHeader=Vlastníci",
                                    "Owner=Novák", "Parcel=2", "Parcel=3", "Part=1",
                                    "OwnerHeader=Vlastníci", "Owner=Dvořák", "Owner=Šťastná"}));
    // Each band sits right under the previous one.
    for (qsizetype i = 1; i < doc.pages[0].boxes.size(); ++i)
        QCOMPARE(doc.pages[0].boxes[i].rect.top(), doc.pages[0].boxes[i - 1].rect.bottom());
}

void TestReportLayout::groupHeadersAndFootersFrameEachRun()
{
    ReportMemorySource source(numberedRows(25)); // groups 0, 1, 2 of 10, 10, 5 rows
    ReportDefinition r;
    ReportSection& main = r.addSection(ReportSection(&source));
    main.detail = ReportBand(ReportBand::Type::Detail, 10);
    main.detail.add(ReportElement::dataField("N", QRectF(0, 0, 50, 10), "N"));
    ReportGroup& group = main.addGroup([&] { return source.value("GROUP"); });
    group.header = ReportBand(ReportBand::Type::GroupHeader, 10);
    group.header->add(ReportElement::dataField("GH", QRectF(0, 0, 50, 10), "GROUP"));
    int footers = 0;
    group.footer = ReportBand(ReportBand::Type::GroupFooter, 10);
    group.footer->add(ReportElement::label("GF", QRectF(0, 0, 50, 10), "konec skupiny"));
    group.footer->beforePrint = [&](ReportBand&) { return ++footers > 0; };

    const ReportDocument doc = ReportLayouter(r).run();
    QCOMPARE(doc.textsOf("GH"), QStringList({"0", "1", "2"}));
    QCOMPARE(footers, 3);
    QStringList order;
    for (const ReportBox& b : doc.pages[0].boxes)
        if (b.elementName != "N" || b.text == "10" || b.text == "11")
            order.append(b.elementName + b.text);
    QCOMPARE(order.mid(0, 5), QStringList({"GH0", "N10", "GFkonec skupiny", "GH1", "N11"}));
}

void TestReportLayout::memoHeightSetWhilePrintingMovesFollowingBands()
{
    ReportMemorySource texts({{{"TEXT", "a\nb\nc\nd\ne"}}, {{"TEXT", QVariant()}}});
    ReportDefinition r;
    ReportSection& main = r.addSection(ReportSection(&texts));
    main.detail = ReportBand(ReportBand::Type::Detail, 8);
    main.detail.add(ReportElement::memo("Memo", QRectF(20, 4, 300, 0)));
    main.detail.beforePrint = [&](ReportBand& band) {
        const QString text = texts.value("TEXT").toString();
        const QStringList lines = text.isEmpty() ? QStringList() : text.split('\n');
        ReportElement& memo = band.element("Memo");
        memo.lines = lines;
        memo.rect.setHeight(16 * lines.size());
        band.height = 16 * lines.size() + 8;
        return true;
    };
    ReportBand summary(ReportBand::Type::Summary, 10);
    summary.add(ReportElement::label("After", QRectF(0, 0, 50, 10), "x"));
    r.setSummary(summary);

    const ReportDocument doc = ReportLayouter(r).run();
    const QList<const ReportBox*> memos = doc.pages[0].textsOf("Memo");
    QCOMPARE(memos.size(), 2);
    QCOMPARE(memos[0]->text, QStringLiteral("a\nb\nc\nd\ne"));
    QVERIFY(memos[0]->multiLine);
    QCOMPARE(memos[0]->rect.height(), 80.0);
    QCOMPARE(memos[1]->rect.top() - memos[0]->rect.top(), 88.0); // 5 lines: band 88 high
    QCOMPARE(doc.pages[0].textOf("After")->rect.top() - memos[1]->rect.top(), 4.0);

    // Automatic height: the memo grows by the font's line height.
    ReportDefinition a;
    ReportSection& once = a.addSection(ReportSection(nullptr));
    once.detail = ReportBand(ReportBand::Type::Detail, 10);
    ReportElement& memo =
        once.detail.add(ReportElement::memo("Auto", QRectF(0, 0, 100, 10), {"1", "2", "3", "4"}));
    memo.autoHeight = true;
    a.setSummary(summary);
    const ReportDocument grown = ReportLayouter(a).run();
    const double line = ReportLayouter::lineHeight(a.baseFont);
    QVERIFY(line > 10 && line < 20);
    QCOMPARE(grown.pages[0].textOf("Auto")->rect.height(), 4 * line);
    QCOMPARE(grown.pages[0].textOf("After")->rect.top(), a.contentRect().top() + 4 * line);
}

void TestReportLayout::systemDataAndChildBands()
{
    ReportMemorySource source(numberedRows(100));
    ReportDefinition r = simpleReport(&source);
    ReportBand footer(ReportBand::Type::PageFooter, 20);
    footer.add(ReportElement::systemData("Of", QRectF(0, 0, 100, 20),
                                         ReportElement::SystemKind::PageCount, "z "));
    footer.add(ReportElement::systemData("Date", QRectF(100, 0, 100, 20),
                                         ReportElement::SystemKind::Date, "Dne: "));
    r.setPageFooter(footer);
    ReportBand child(ReportBand::Type::Child, 10);
    child.add(ReportElement::label("Child", QRectF(0, 0, 50, 10), "pod řádkem"));
    r.sections.front().detail.setChild(child);
    r.sections.front().detail.beforePrint = [&](ReportBand&) {
        return source.value("N").toInt() % 2 == 1; // odd rows only, with their child
    };

    ReportLayouter layouter(r);
    layouter.setPrintTime(QDateTime(QDate(2026, 3, 7), QTime(8, 5)));
    const ReportDocument doc = layouter.run();
    QVERIFY(doc.pageCount() >= 2);
    for (const ReportPage& page : doc.pages) {
        QCOMPARE(page.textOf("Of")->text, QStringLiteral("z %1").arg(doc.pageCount()));
        QCOMPARE(page.textOf("Date")->text, QStringLiteral("Dne: 07.03.2026"));
        // The footer sits at the bottom margin, below every row.
        QCOMPARE(page.textOf("Of")->rect.bottom(), r.contentRect().bottom());
        QVERIFY(page.textsOf("Name").last()->rect.bottom() <= page.textOf("Of")->rect.top());
    }
    const QStringList names = doc.textsOf("Name");
    QCOMPARE(names.size(), 50);
    QCOMPARE(names.at(1), QStringLiteral("Řádek 3"));
    QCOMPARE(doc.textsOf("Child").size(), 50);
    const ReportBox* firstRow = doc.pages[0].textsOf("Name").first();
    QCOMPARE(doc.pages[0].textOf("Child")->rect.top(), firstRow->rect.bottom());
}

void TestReportLayout::framesBecomeLines()
{
    ReportMemorySource source(numberedRows(2));
    ReportDefinition r = simpleReport(&source);
    r.columnHeader->frame = FrameSide::All;
    r.sections.front().detail.frame = FrameSide::Left | FrameSide::Right | FrameSide::Bottom;
    r.sections.front().detail.add(ReportElement::frameBox("Box", QRectF(300, 2, 50, 16)));
    ReportElement& cell =
        r.sections.front().detail.add(ReportElement::label("Shaded", QRectF(400, 0, 50, 20), "x"));
    cell.background = QColor(0xC0, 0xC0, 0xC0);
    cell.frame = FrameSide::Top;
    const ReportDocument doc = ReportLayouter(r).run();
    const ReportPage& page = doc.pages[0];
    // 4 header lines + 3 per detail row (2 rows) + the shaded cell's top line twice.
    QCOMPARE(page.count(ReportBox::Kind::Line), 4 + 3 * 2 + 2);
    QCOMPARE(page.count(ReportBox::Kind::Rect), 2 + 2); // frame boxes and fills
    const double width = r.contentRect().width();
    int fullWidth = 0;
    for (const ReportBox& b : page.boxes)
        if (b.kind == ReportBox::Kind::Line && qFuzzyCompare(b.line.length(), width))
            ++fullWidth;
    QCOMPARE(fullWidth, 2 + 2); // header top and bottom, row bottoms
}

void TestReportLayout::dataErrorEndsTheRunWithTheEngineMessage()
{
    FailingSource source(numberedRows(500), 300);
    ReportDefinition r = simpleReport(&source);
    ReportLayouter layouter(r);
    try {
        layouter.run();
        QFAIL("the data error was swallowed");
    } catch (const ETalvekException& e) {
        QCOMPARE(e.message(), QStringLiteral("Chyba čtení tabulky NYSPA001.DB"));
    }
    // Other exceptions reach the caller as the program's exception.
    ReportMemorySource ok(numberedRows(5));
    ReportDefinition s = simpleReport(&ok);
    s.sections.front().detail.beforePrint = [](ReportBand&) -> bool {
        throw std::runtime_error("disk full");
    };
    QVERIFY_THROWS_EXCEPTION(ETalvekException, ReportLayouter(s).run());
}

void TestReportLayout::oversizedBandDoesNotLoopForever()
{
    ReportMemorySource source(numberedRows(3));
    ReportDefinition r = simpleReport(&source);
    r.sections.front().detail.height = 5000; // taller than a page
    const ReportDocument doc = ReportLayouter(r).run();
    QCOMPARE(doc.textsOf("Name").size(), 3);
    QCOMPARE(doc.pageCount(), 4); // one row per page, then the summary
    QVERIFY(doc.pages[3].textOf("End"));
}

QTEST_MAIN(TestReportLayout)
#include "tst_reportlayout.moc"
