// The preview window and printing: navigation, zoom, keys, PDF, printer output.
#include "widgets/MessageDlg.h"
#include "report/ReportLayouter.h"
#include "report/ReportMemorySource.h"
#include "report/ui/ReportPreviewDialog.h"
#include "report/ui/ReportPrinter.h"

#include <QLabel>
#include <QPrinter>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {
ReportDocument pagesOfRows(int rows)
{
    ReportMemorySource source;
    for (int i = 1; i <= rows; ++i)
        source.appendRow({{"N", i}});
    ReportDefinition r;
    r.title = "Výpis";
    ReportSection& s = r.addSection(ReportSection(&source));
    s.detail = ReportBand(ReportBand::Type::Detail, 100);
    s.detail.add(ReportElement::dataField("N", QRectF(0, 0, 100, 20), "N"));
    return ReportLayouter(r).run();
}

int pdfPages(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = f.readAll();
    return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page ") + pdf.count("/Type /Page>") +
               pdf.count("/Type /Page/"));
}
} // namespace

class TestReportPreview : public QObject
{
    Q_OBJECT

private slots:
    void navigationStaysWithinTheDocument();
    void keysDriveThePreview();
    void zoomModes();
    void pdfExportAndItsErrors();
    void printingOnAPrinter();
};

void TestReportPreview::navigationStaysWithinTheDocument()
{
    const ReportDocument doc = pagesOfRows(35); // 100-unit rows, 10 on an A4 page: 4 pages
    QCOMPARE(doc.pageCount(), 4);
    ReportPreviewDialog preview(doc);
    QCOMPARE(preview.windowTitle(), QStringLiteral("Náhled – Výpis"));
    QCOMPARE(preview.pageLabelText(), QStringLiteral("Strana 1 z 4"));
    auto* prev = preview.findChild<QToolButton*>("PrevBtn");
    auto* next = preview.findChild<QToolButton*>("NextBtn");
    QVERIFY(!prev->isEnabled() && next->isEnabled());
    preview.PrevBtnClick();
    QCOMPARE(preview.currentPage(), 0);
    next->click();
    next->click();
    QCOMPARE(preview.pageLabelText(), QStringLiteral("Strana 3 z 4"));
    preview.LastBtnClick();
    QCOMPARE(preview.currentPage(), 3);
    QVERIFY(prev->isEnabled() && !next->isEnabled());
    preview.NextBtnClick();
    QCOMPARE(preview.currentPage(), 3);
    preview.FirstBtnClick();
    QCOMPARE(preview.currentPage(), 0);
}

void TestReportPreview::keysDriveThePreview()
{
    ReportPreviewDialog preview(pagesOfRows(35));
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QTest::keyClick(&preview, Qt::Key_PageDown);
    QTest::keyClick(&preview, Qt::Key_PageDown);
    QCOMPARE(preview.currentPage(), 2);
    QTest::keyClick(&preview, Qt::Key_PageUp);
    QCOMPARE(preview.currentPage(), 1);
    QTest::keyClick(&preview, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(preview.currentPage(), 3);
    QTest::keyClick(&preview, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(preview.currentPage(), 0);
    QTest::keyClick(&preview, Qt::Key_1, Qt::ControlModifier);
    QCOMPARE(preview.zoomMode(), ReportPreviewDialog::ZoomMode::Actual);
    QTest::keyClick(&preview, Qt::Key_2, Qt::ControlModifier);
    QCOMPARE(preview.zoomMode(), ReportPreviewDialog::ZoomMode::FitPage);
    QTest::keyClick(&preview, Qt::Key_Escape);
    QVERIFY(!preview.isVisible());
}

void TestReportPreview::zoomModes()
{
    ReportPreviewDialog preview(pagesOfRows(3));
    preview.resize(700, 500);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    auto* scroll = preview.findChild<QScrollArea*>("PageScroll");
    const QSize room = scroll->viewport()->size();
    const QWidget* page = scroll->widget();

    QCOMPARE(preview.zoomMode(), ReportPreviewDialog::ZoomMode::FitWidth);
    QVERIFY(qAbs(page->width() - room.width()) <= 6);
    preview.setZoomMode(ReportPreviewDialog::ZoomMode::FitPage);
    QVERIFY(page->height() <= room.height());
    QVERIFY(page->height() >= room.height() - 8 || page->width() >= room.width() - 8);
    preview.setZoomMode(ReportPreviewDialog::ZoomMode::Actual);
    QCOMPARE(preview.zoom(), 1.0);
    // A4 at the screen's resolution.
    QVERIFY(qAbs(page->width() - qRound(210 / 25.4 * page->logicalDpiX())) <= 2);

    // Fit modes follow the window's size.
    preview.setZoomMode(ReportPreviewDialog::ZoomMode::FitWidth);
    const double before = preview.zoom();
    preview.resize(900, 500);
    QTRY_VERIFY(preview.zoom() > before);
}

void TestReportPreview::pdfExportAndItsErrors()
{
    QTemporaryDir dir;
    ReportPreviewDialog preview(pagesOfRows(35));
    QVERIFY(preview.exportPdfTo(dir.filePath("náhled.pdf")));
    QCOMPARE(pdfPages(dir.filePath("náhled.pdf")), 4);

    QStringList errors;
    SetMessageDlgInterceptor([&](const QString& text, TMsgDlgType kind, TMsgDlgButtons) {
        if (kind == mtError)
            errors.append(text);
        return int(mrOk);
    });
    QVERIFY(!preview.exportPdfTo(dir.filePath("není/náhled.pdf")));
    SetMessageDlgInterceptor(nullptr);
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0].startsWith("Soubor "));
}

void TestReportPreview::printingOnAPrinter()
{
    // The printer path, on a PDF printer: every page, the copies the printer
    // cannot make itself one after another.
    QTemporaryDir dir;
    const ReportDocument doc = pagesOfRows(35);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("tisk.pdf"));
    printer.setCopyCount(2);
    QVERIFY(ReportPrinter::printTo(doc, printer, nullptr));
    const int copiesPrinted = printer.supportsMultipleCopies() ? 1 : 2;
    QCOMPARE(pdfPages(dir.filePath("tisk.pdf")), doc.pageCount() * copiesPrinted);

    // A page range prints only those pages.
    QPrinter range(QPrinter::HighResolution);
    range.setOutputFormat(QPrinter::PdfFormat);
    range.setOutputFileName(dir.filePath("rozsah.pdf"));
    range.setPrintRange(QPrinter::PageRange);
    range.setFromTo(2, 3);
    QVERIFY(ReportPrinter::printTo(doc, range, nullptr));
    QCOMPARE(pdfPages(dir.filePath("rozsah.pdf")), 2);

    if (ReportPrinter::hasPrinter())
        QSKIP("a printer is installed here; the no-printer message cannot be checked");
    QStringList messages;
    SetMessageDlgInterceptor([&](const QString& text, TMsgDlgType, TMsgDlgButtons) {
        messages.append(text);
        return int(mrOk);
    });
    QVERIFY(!ReportPrinter::printDirect(doc, 1, nullptr));
    QVERIFY(!ReportPrinter::printWithDialog(doc, nullptr));
    SetMessageDlgInterceptor(nullptr);
    QCOMPARE(messages, QStringList({"Není nainstalována žádná tiskárna.",
                                    "Není nainstalována žádná tiskárna."}));
}

QTEST_MAIN(TestReportPreview)
#include "tst_reportpreview.moc"
