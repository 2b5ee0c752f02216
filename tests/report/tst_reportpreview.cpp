// Banded reports: frames, errors, oversized bands (pagination, nested sections, memo heights:
// through the forms); pages painted (scale, clip, charts), exported, previewed and printed.
#include "common/ParcelFormFixture.h"
#include "common/TestSupport.h"
#include "base/ETalvekException.h"
#include "report/ReportLayouter.h"
#include "report/ReportMemorySource.h"
#include "report/ReportPainter.h"
#include "report/ui/ReportPreviewDialog.h"
#include "report/ui/PrintTarget.h"
#include "report/ui/ReportPrinter.h"

#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QPrinter>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {
QList<QVariantMap> numberedRows(int count)
{
    QList<QVariantMap> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({{"N", i}, {"NAME", QStringLiteral("Řádek %1").arg(i)}});
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

// Page `page` of `doc` painted on white paper at `dpi`.
QImage render(const ReportDocument& doc, int page, double dpi)
{
    QImage image((doc.paperSize * (dpi / 96.0)).toSize(), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    ReportPainter(doc).paintPage(page, painter);
    return image;
}

// Bounding box of the non-white pixels.
QRect inkBounds(const QImage& image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).lightness() < 160)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

int colouredPixels(const QImage& image, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixelColor(x, y).hsvSaturation() > 80;
    return n;
}

ReportDocument oneBandDocument(const QList<ReportElement>& elements)
{
    ReportDefinition r;
    r.pageSize = QPageSize(QPageSize::A5);
    ReportSection& s = r.addSection(ReportSection(nullptr));
    s.detail = ReportBand(ReportBand::Type::Detail, 300);
    for (const ReportElement& e : elements)
        s.detail.add(e);
    return ReportLayouter(r).run();
}

ReportDocument pagesOfRows(int rows)
{
    ReportMemorySource source(numberedRows(rows));
    ReportDefinition r;
    r.title = "Výpis";
    ReportSection& s = r.addSection(ReportSection(&source));
    s.detail = ReportBand(ReportBand::Type::Detail, 100);
    s.detail.add(ReportElement::dataField("N", QRectF(0, 0, 100, 20), "N"));
    return ReportLayouter(r).run();
}

// Pages of a PDF file, -1 when it cannot be read.
int pdfPages(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? int(QString::fromLatin1(f.readAll())
                                                 .count(QRegularExpression("/Type\\s*/Page\\b")))
                                       : -1;
}
} // namespace

class TestReportPreview : public QObject
{
    Q_OBJECT

private slots:
    void framesBecomeLines();
    void dataErrorEndsTheRunWithTheEngineMessage();
    void oversizedBandDoesNotLoopForever();
    void groupsChildBandsAndPageFooter();
    void pagesScaleWithTheDeviceResolution();
    void textIsClippedToItsBox();
    void pieChartsAreDrawnInTheirBox();
    void navigationKeysAndZoom();
    void pdfExportReplacesOldFileAndReportsErrors();
    void printingOnAPrinter();
};

void TestReportPreview::framesBecomeLines()
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

void TestReportPreview::dataErrorEndsTheRunWithTheEngineMessage()
{
    // A data error on a later page ends the run with the engine's message;
    // other exceptions reach the caller as the program's exception.
    for (bool engineError : {true, false}) {
        ReportMemorySource source(numberedRows(500));
        ReportDefinition r = simpleReport(&source);
        r.sections.front().detail.beforePrint = [&](ReportBand&) -> bool {
            if (source.value("N").toInt() < 300)
                return true;
            if (engineError)
                throw ETalvekException("Chyba čtení tabulky NYSPA001.DB");
            throw std::runtime_error("disk full");
        };
        const QString message = TestSupport::refusal([&] { ReportLayouter(r).run(); });
        QVERIFY(engineError ? message == "Chyba čtení tabulky NYSPA001.DB" : !message.isEmpty());
    }
}

void TestReportPreview::oversizedBandDoesNotLoopForever()
{
    ReportMemorySource source(numberedRows(3));
    ReportDefinition r = simpleReport(&source);
    r.sections.front().detail.height = 5000; // taller than a page
    const ReportDocument doc = ReportLayouter(r).run();
    QCOMPARE(doc.textsOf("Name").size(), 3);
    QCOMPARE(doc.pageCount(), 4); // one row per page, then the summary
    QVERIFY(doc.pages[3].textOf("End"));
}

// Group bands frame each run of equal keys; a child band follows its printed
// row only; the page footer sits on the bottom margin with the page count.
void TestReportPreview::groupsChildBandsAndPageFooter()
{
    ReportMemorySource source(numberedRows(100));
    ReportDefinition r = simpleReport(&source);
    ReportSection& main = r.sections.front();
    ReportGroup& group = main.addGroup([&] { return (source.value("N").toInt() - 1) / 40; });
    group.header = ReportBand(ReportBand::Type::GroupHeader, 10);
    group.header->add(ReportElement::label("GH", QRectF(0, 0, 50, 10), "skupina"));
    group.footer = ReportBand(ReportBand::Type::GroupFooter, 10);
    group.footer->add(ReportElement::label("GF", QRectF(0, 0, 50, 10), "konec"));
    ReportBand child(ReportBand::Type::Child, 10);
    child.add(ReportElement::label("Child", QRectF(0, 0, 50, 10), "pod řádkem"));
    main.detail.setChild(child);
    main.detail.beforePrint = [&](ReportBand&) { return source.value("N").toInt() % 2 == 1; };
    ReportBand footer(ReportBand::Type::PageFooter, 20);
    footer.add(ReportElement::systemData("Of", QRectF(0, 0, 100, 20),
                                         ReportElement::SystemKind::PageCount, "z "));
    r.setPageFooter(footer);

    const ReportDocument doc = ReportLayouter(r).run();
    QVERIFY(doc.pageCount() >= 2);
    QCOMPARE(doc.textsOf("GH").size(), 3); // rows 1-40, 41-80, 81-100
    QCOMPARE(doc.textsOf("GF").size(), 3);
    QCOMPARE(doc.textsOf("Name").size(), 50);
    QCOMPARE(doc.textsOf("Name").at(1), QStringLiteral("Řádek 3"));
    QCOMPARE(doc.textsOf("Child").size(), 50);
    const ReportPage& first = doc.pages[0];
    QCOMPARE(first.textOf("Child")->rect.top(), first.textsOf("Name").first()->rect.bottom());
    QVERIFY(first.textOf("GH")->rect.bottom() <= first.textsOf("Name").first()->rect.top());
    for (const ReportPage& page : doc.pages) {
        QCOMPARE(page.textOf("Of")->text, QStringLiteral("z %1").arg(doc.pageCount()));
        QCOMPARE(page.textOf("Of")->rect.bottom(), r.contentRect().bottom());
        QVERIFY(page.textsOf("Name").last()->rect.bottom() <= page.textOf("Of")->rect.top());
    }
}

void TestReportPreview::pagesScaleWithTheDeviceResolution()
{
    const ReportDocument doc =
        oneBandDocument({ReportElement::line("Rule", QRectF(96, 96, 192, 0), 2)});
    const QRect at96 = inkBounds(render(doc, 0, 96));
    const QRect at192 = inkBounds(render(doc, 0, 192));
    QVERIFY(!at96.isEmpty());
    // The rule starts one inch right of the margin; twice the resolution, twice the pixels.
    QVERIFY(qAbs(at192.left() - 2 * at96.left()) <= 2);
    QVERIFY(qAbs(at192.width() - 2 * at96.width()) <= 3);
    QVERIFY(qAbs(at96.width() - 192) <= 2);
    QVERIFY(inkBounds(render(doc, 5, 96)).isEmpty()); // out-of-range pages paint nothing
}

void TestReportPreview::textIsClippedToItsBox()
{
    const QString longText = QString(200, QChar(u'Ž'));
    ReportElement cell = ReportElement::label("Cell", QRectF(100, 10, 60, 20), longText);
    ReportElement memo = ReportElement::memo("Memo", QRectF(100, 60, 80, 32),
                                             {longText, longText, longText, longText});
    const ReportDocument doc = oneBandDocument({cell, memo});
    const ReportBox* cellBox = doc.pages[0].textOf("Cell");
    const ReportBox* memoBox = doc.pages[0].textOf("Memo");
    const QRect ink = inkBounds(render(doc, 0, 96));
    QVERIFY(!ink.isEmpty());
    QVERIFY(ink.left() >= int(cellBox->rect.left()) - 1);
    QVERIFY(ink.right() <= int(std::max(cellBox->rect.right(), memoBox->rect.right())) + 1);
    QVERIFY(ink.bottom() <= int(memoBox->rect.bottom()) + 1);
    // Both lines of the memo that fit are drawn, the third one not.
    const double line = ReportLayouter::lineHeight(QFont("Liberation Serif", 10));
    QVERIFY(memoBox->rect.height() < 3 * line);
    QVERIFY(ink.bottom() > int(memoBox->rect.top() + line));
}

void TestReportPreview::pieChartsAreDrawnInTheirBox()
{
    ReportElement chart =
        ReportElement::pieChart("Pie", QRectF(20, 20, 360, 240), "Podíly druhů pozemků");
    chart.chart.addSlice(60, "orná půda");
    chart.chart.addSlice(30, "zahrada");
    chart.chart.addSlice(10, "les");
    const ReportDocument doc = oneBandDocument({chart});
    const ReportBox& box = doc.pages[0].boxes.value(0);
    QCOMPARE(box.kind, ReportBox::Kind::Chart);
    QCOMPARE(box.chart.slices().size(), 3);
    QCOMPARE(box.chart.slices()[1].label, QStringLiteral("zahrada"));
    QCOMPARE(box.chart.total(), 100.0);
    const QRect area = box.rect.toRect();
    const QImage drawn = render(doc, 0, 96);
    QVERIFY(colouredPixels(drawn, area) > 2000);
    // Nothing drawn outside the chart's box.
    QCOMPARE(colouredPixels(drawn, QRect(0, area.bottom() + 2, drawn.width(),
                                         drawn.height() - area.bottom() - 2)),
             0);
}

void TestReportPreview::navigationKeysAndZoom()
{
    const ReportDocument doc = pagesOfRows(35); // 100-unit rows, 10 on an A4 page: 4 pages
    QCOMPARE(doc.pageCount(), 4);
    ReportPreviewDialog preview(doc);
    preview.resize(700, 500);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QCOMPARE(preview.windowTitle(), QStringLiteral("Náhled – Výpis"));
    QCOMPARE(preview.pageLabelText(), QStringLiteral("Strana 1 z 4"));
    auto* prev = preview.findChild<QToolButton*>("PrevBtn");
    auto* next = preview.findChild<QToolButton*>("NextBtn");
    QVERIFY(!prev->isEnabled() && next->isEnabled());
    next->click();
    QCOMPARE(preview.pageLabelText(), QStringLiteral("Strana 2 z 4"));
    // Keys (with Ctrl or not) move within the document and stop at its ends.
    const std::tuple<Qt::Key, bool, int> steps[] = {
        {Qt::Key_PageDown, false, 2}, {Qt::Key_PageUp, false, 1}, {Qt::Key_Home, true, 0},
        {Qt::Key_PageUp, false, 0},   {Qt::Key_End, true, 3},     {Qt::Key_PageDown, false, 3}};
    for (auto [key, ctrl, page] : steps) {
        QTest::keyClick(&preview, key, ctrl ? Qt::ControlModifier : Qt::NoModifier);
        QCOMPARE(preview.currentPage(), page);
    }
    QVERIFY(prev->isEnabled() && !next->isEnabled());
    // Fit width at first; fit page; the page at the screen's resolution.
    auto* scroll = preview.findChild<QScrollArea*>("PageScroll");
    const QSize room = scroll->viewport()->size();
    const QWidget* page = scroll->widget();
    QCOMPARE(preview.zoomMode(), ReportPreviewDialog::ZoomMode::FitWidth);
    QVERIFY(qAbs(page->width() - room.width()) <= 6);
    QTest::keyClick(&preview, Qt::Key_2, Qt::ControlModifier);
    QCOMPARE(preview.zoomMode(), ReportPreviewDialog::ZoomMode::FitPage);
    QVERIFY(page->height() <= room.height());
    QVERIFY(page->height() >= room.height() - 8 || page->width() >= room.width() - 8);
    QTest::keyClick(&preview, Qt::Key_1, Qt::ControlModifier);
    QCOMPARE(preview.zoomMode(), ReportPreviewDialog::ZoomMode::Actual);
    QCOMPARE(preview.zoom(), 1.0);
    QVERIFY(qAbs(page->width() - qRound(210 / 25.4 * page->logicalDpiX())) <= 2); // A4
    // Fit modes follow the window's size.
    preview.setZoomMode(ReportPreviewDialog::ZoomMode::FitWidth);
    const double before = preview.zoom();
    preview.resize(900, 500);
    QTRY_VERIFY(preview.zoom() > before);
    QTest::keyClick(&preview, Qt::Key_Escape);
    QVERIFY(!preview.isVisible());
}

void TestReportPreview::pdfExportReplacesOldFileAndReportsErrors()
{
    // Written over an existing file: replaced by a complete new one, nothing left beside it.
    QTemporaryDir dir;
    const QString path = dir.filePath("stará sestava.pdf");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("old") == 3);
    file.close();
    ReportPreviewDialog preview(pagesOfRows(35));
    QVERIFY(preview.exportPdfTo(path));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.startsWith("%PDF-") && pdf.trimmed().endsWith("%%EOF"));
    QCOMPARE(pdfPages(path), 4);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"stará sestava.pdf"}));
    ParcelFormFixture::Messages errors;
    QVERIFY(!preview.exportPdfTo(dir.filePath("není/náhled.pdf")));
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0].startsWith("Soubor "));
    QVERIFY2(errors[0].contains("náhled.pdf"), qPrintable(errors[0]));
}

void TestReportPreview::printingOnAPrinter()
{
    // The printer path, on a PDF printer: every page, the copies the printer
    // cannot make itself one after another; a page range only those pages.
    QTemporaryDir dir;
    const ReportDocument doc = pagesOfRows(35);
    for (bool range : {false, true}) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("tisk.pdf"));
        printer.setCopyCount(range ? 1 : 2);
        if (range)
            printer.setPrintRange(QPrinter::PageRange), printer.setFromTo(2, 3);
        QVERIFY(ReportPrinter::printTo(doc, printer, nullptr));
        const int copiesPrinted = range || printer.supportsMultipleCopies() ? 1 : 2;
        QCOMPARE(pdfPages(dir.filePath("tisk.pdf")), (range ? 2 : 4) * copiesPrinted);
    }
    if (ReportPrinter::hasPrinter())
        QSKIP("a printer is installed here; printing without one cannot be checked");
    // Without a print service both commands write a PDF file chosen in a save
    // dialog and say where; a cancelled choice writes nothing and says
    // nothing; a file that cannot be written is named in the one error.
    const QStringList answers = {
        dir.filePath("bez tiskárny"), dir.filePath("přímo.pdf"), {}, dir.filePath("není/tisk.pdf")};
    QStringList offered;
    int next = 0;
    PrintTarget::SetFileAsker([&](QWidget*, const QString& suggested) {
        offered << QFileInfo(suggested).fileName();
        return answers.value(next++);
    });
    ParcelFormFixture::Messages messages;
    QVERIFY(ReportPrinter::printWithDialog(doc, nullptr));
    QVERIFY(ReportPrinter::printDirect(doc, 1, nullptr));
    QVERIFY(!ReportPrinter::printWithDialog(doc, nullptr));
    QVERIFY(!ReportPrinter::printDirect(doc, 1, nullptr));
    PrintTarget::SetFileAsker(nullptr);
    QCOMPARE(pdfPages(dir.filePath("bez tiskárny.pdf")), doc.pageCount());
    QCOMPARE(pdfPages(dir.filePath("přímo.pdf")), doc.pageCount());
    QCOMPARE(offered.size(), 4);
    QVERIFY2(offered[0].endsWith(".pdf") && !offered[0].contains(' '), qPrintable(offered[0]));
    QCOMPARE(messages, QStringList({"Není nainstalována žádná tiskárna a soubor PDF " +
                                    QDir::toNativeSeparators(dir.filePath("není/tisk.pdf")) +
                                    " nelze zapsat."}));
    QStringList notices;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w);
            box && box->objectName() == "FileWrittenNotice" && box->isVisible()) {
            notices << box->text();
            QVERIFY(box->findChild<QPushButton*>() != nullptr);
            box->close();
        }
    // Every PDF written says where (the two above on the PDF printer too).
    for (const QString file : {"tisk.pdf", "bez tiskárny.pdf", "přímo.pdf"})
        QVERIFY2(notices.contains("Tisk byl uložen do souboru PDF:\n" +
                                  QDir::toNativeSeparators(dir.filePath(file))),
                 qPrintable(notices.join('|')));
    QCOMPARE(notices.size(), 4);
}

QTEST_MAIN(TestReportPreview)
#include "tst_reportpreview.moc"
