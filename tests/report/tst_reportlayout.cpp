// Layout of banded reports: the bands no form of the program reaches (groups,
// child bands, page footers), frames, errors and oversized bands. Pagination,
// nested sections and memo heights are checked through the forms' own tests.
#include "common/TestSupport.h"
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
    void groupsChildBandsAndPageFooter();
    void framesBecomeLines();
    void dataErrorEndsTheRunWithTheEngineMessage();
    void oversizedBandDoesNotLoopForever();
};

void TestReportLayout::groupsChildBandsAndPageFooter()
{
    // Odd rows only, each with its child band, in groups of ten rows.
    ReportMemorySource source(numberedRows(100));
    ReportDefinition r = simpleReport(&source);
    ReportSection& main = r.sections.front();
    main.detail.beforePrint = [&](ReportBand&) { return source.value("N").toInt() % 2 == 1; };
    main.detail.setChild(ReportBand(ReportBand::Type::Child, 10))
        .add(ReportElement::label("Child", QRectF(0, 0, 50, 10), "pod řádkem"));
    ReportGroup& group = main.addGroup([&] { return source.value("GROUP"); });
    group.header = ReportBand(ReportBand::Type::GroupHeader, 10);
    group.header->add(ReportElement::dataField("GH", QRectF(0, 0, 50, 10), "GROUP"));
    group.footer = ReportBand(ReportBand::Type::GroupFooter, 10);
    group.footer->add(ReportElement::label("GF", QRectF(0, 0, 50, 10), "konec skupiny"));
    ReportBand footer(ReportBand::Type::PageFooter, 20);
    footer.add(ReportElement::systemData("Of", QRectF(0, 0, 100, 20),
                                         ReportElement::SystemKind::PageCount, "z "));
    footer.add(ReportElement::systemData("Date", QRectF(100, 0, 100, 20),
                                         ReportElement::SystemKind::Date, "Dne: "));
    r.setPageFooter(footer);
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
    QCOMPARE(doc.textsOf("Name").size(), 50);
    QCOMPARE(doc.textsOf("Child").size(), 50);
    QCOMPARE(doc.pages[0].textOf("Child")->rect.top(),
             doc.pages[0].textsOf("Name").first()->rect.bottom());
    QCOMPARE(doc.textsOf("GH"), QStringList({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    QCOMPARE(doc.textsOf("GF").size(), 10);
    QStringList order;
    for (const ReportBox& b : doc.pages[0].boxes)
        if (b.elementName.startsWith('G') || b.text == "Řádek 9" || b.text == "Řádek 11")
            order.append(b.elementName + b.text);
    QCOMPARE(order.mid(0, 5),
             QStringList({"GH0", "NameŘádek 9", "GFkonec skupiny", "GH1", "NameŘádek 11"}));
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
    const ReportPage page = ReportLayouter(r).run().pages.value(0);
    // 4 header lines + 3 per detail row (2 rows) + the shaded cell's top line twice.
    QCOMPARE(page.count(ReportBox::Kind::Line), 4 + 3 * 2 + 2);
    QCOMPARE(page.count(ReportBox::Kind::Rect), 2 + 2); // frame boxes and fills
    int fullWidth = 0;
    for (const ReportBox& b : page.boxes)
        fullWidth += b.kind == ReportBox::Kind::Line &&
                     qFuzzyCompare(b.line.length(), r.contentRect().width());
    QCOMPARE(fullWidth, 2 + 2); // header top and bottom, row bottoms
}

void TestReportLayout::dataErrorEndsTheRunWithTheEngineMessage()
{
    FailingSource source(numberedRows(500), 300);
    ReportDefinition r = simpleReport(&source);
    QCOMPARE(TestSupport::refusal([&] { ReportLayouter(r).run(); }),
             QStringLiteral("Chyba čtení tabulky NYSPA001.DB"));
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
