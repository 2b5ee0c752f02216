// Painting laid-out pages: scale, clipping, charts, PDF export.
#include "base/ETalvekException.h"
#include "report/ReportLayouter.h"
#include "report/ReportMemorySource.h"
#include "report/ReportPainter.h"
#include "report/ReportPdfExporter.h"
#include "report/ui/PieChartRenderer.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QImage blankPage(const ReportDocument& doc, double dpi)
{
    const QSize size = (doc.paperSize * (dpi / 96.0)).toSize();
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    return image;
}

QImage render(const ReportDocument& doc, int page, double dpi)
{
    QImage image = blankPage(doc, dpi);
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

int pdfPageCount(const QByteArray& pdf)
{
    return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page ") + pdf.count("/Type /Page/") +
               pdf.count("/Type /Page>"));
}
} // namespace

class TestReportPainter : public QObject
{
    Q_OBJECT

private slots:
    void pagesScaleWithTheDeviceResolution();
    void textIsClippedToItsBox();
    void pieChartsAreDrawnByTheRegisteredRenderer();
    void pdfHoldsEveryPage();
    void pdfToAnUnwritablePlaceFailsCleanly();
};

void TestReportPainter::pagesScaleWithTheDeviceResolution()
{
    ReportElement rule = ReportElement::line("Rule", QRectF(96, 96, 192, 0), 2);
    const ReportDocument doc = oneBandDocument({rule});
    const QRect at96 = inkBounds(render(doc, 0, 96));
    const QRect at192 = inkBounds(render(doc, 0, 192));
    QVERIFY(!at96.isEmpty());
    // The rule starts one inch right of the margin; twice the resolution, twice the pixels.
    QVERIFY(qAbs(at192.left() - 2 * at96.left()) <= 2);
    QVERIFY(qAbs(at192.width() - 2 * at96.width()) <= 3);
    QVERIFY(qAbs(at96.width() - 192) <= 2);
    // Out-of-range pages paint nothing.
    QImage image = blankPage(doc, 96);
    QPainter painter(&image);
    ReportPainter(doc).paintPage(5, painter);
    painter.end();
    QVERIFY(inkBounds(image).isEmpty());
}

void TestReportPainter::textIsClippedToItsBox()
{
    const QString longText = QString(200, QChar(u'Ž'));
    ReportElement cell = ReportElement::label("Cell", QRectF(100, 10, 60, 20), longText);
    ReportElement memo = ReportElement::memo("Memo", QRectF(100, 60, 80, 32),
                                             {longText, longText, longText, longText});
    const ReportDocument doc = oneBandDocument({cell, memo});
    const QImage image = render(doc, 0, 96);
    const ReportBox* cellBox = doc.pages[0].textOf("Cell");
    const ReportBox* memoBox = doc.pages[0].textOf("Memo");
    const QRect ink = inkBounds(image);
    QVERIFY(!ink.isEmpty());
    QVERIFY(ink.left() >= int(cellBox->rect.left()) - 1);
    QVERIFY(ink.right() <= int(std::max(cellBox->rect.right(), memoBox->rect.right())) + 1);
    QVERIFY(ink.bottom() <= int(memoBox->rect.bottom()) + 1);
    // Both lines of the memo that fit are drawn, the third one not.
    const double line = ReportLayouter::lineHeight(QFont("Liberation Serif", 10));
    QVERIFY(memoBox->rect.height() < 3 * line);
    QVERIFY(ink.bottom() > int(memoBox->rect.top() + line));
}

void TestReportPainter::pieChartsAreDrawnByTheRegisteredRenderer()
{
    ReportElement chart =
        ReportElement::pieChart("Pie", QRectF(20, 20, 360, 240), "Podíly druhů pozemků");
    chart.chart.addSlice(60, "orná půda");
    chart.chart.addSlice(30, "zahrada");
    chart.chart.addSlice(10, "les");
    const ReportDocument doc = oneBandDocument({chart});
    const ReportBox* box = nullptr;
    for (const ReportBox& b : doc.pages[0].boxes)
        if (b.kind == ReportBox::Kind::Chart)
            box = &b;
    QVERIFY(box);
    QCOMPARE(box->chart.slices().size(), 3);
    QCOMPARE(box->chart.slices()[1].label, QStringLiteral("zahrada"));
    QCOMPARE(box->chart.total(), 100.0);

    const QRect area = box->rect.toRect();
    ReportPainter::setChartRenderer(nullptr);
    QCOMPARE(colouredPixels(render(doc, 0, 96), area), 0); // the framed title only
    PieChartRenderer::install();
    QVERIFY(ReportPainter::hasChartRenderer());
    const QImage drawn = render(doc, 0, 96);
    QVERIFY(colouredPixels(drawn, area) > 2000);
    // Nothing drawn outside the chart's box.
    QCOMPARE(colouredPixels(drawn, QRect(0, area.bottom() + 2, drawn.width(),
                                         drawn.height() - area.bottom() - 2)),
             0);
}

void TestReportPainter::pdfHoldsEveryPage()
{
    ReportMemorySource source;
    for (int i = 0; i < 200; ++i)
        source.appendRow({{"T", QStringLiteral("Příliš žluťoučký kůň %1").arg(i)}});
    ReportDefinition r;
    r.title = "Zkouška";
    ReportSection& s = r.addSection(ReportSection(&source));
    s.detail = ReportBand(ReportBand::Type::Detail, 20);
    s.detail.add(ReportElement::dataField("T", QRectF(0, 0, 300, 20), "T"));
    const ReportDocument doc = ReportLayouter(r).run();
    QVERIFY(doc.pageCount() > 3);

    QTemporaryDir dir;
    const QString path = dir.filePath("sestava.pdf");
    ReportPdfExporter::write(doc, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.startsWith("%PDF-"));
    QVERIFY(pdf.trimmed().endsWith("%%EOF"));
    QCOMPARE(pdfPageCount(pdf), doc.pageCount());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"sestava.pdf"}));
}

void TestReportPainter::pdfToAnUnwritablePlaceFailsCleanly()
{
    const ReportDocument doc =
        oneBandDocument({ReportElement::label("x", QRectF(0, 0, 9, 9), "x")});
    QTemporaryDir dir;
    const QString missingDir = dir.filePath("chybí/sestava.pdf");
    try {
        ReportPdfExporter::write(doc, missingDir);
        QFAIL("no error for a missing directory");
    } catch (const ETalvekException& e) {
        QVERIFY(e.message().startsWith("Soubor "));
        QVERIFY(e.message().contains("sestava.pdf"));
    }
    // An existing file is replaced only by a complete new one.
    const QString existing = dir.filePath("stará.pdf");
    QFile old(existing);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    ReportPdfExporter::write(doc, existing);
    QVERIFY(QFileInfo(existing).size() > 100);
}

QTEST_MAIN(TestReportPainter)
#include "tst_reportpainter.moc"
