#include "browse/TListingPrinter.h"

#include "app/core/ListingOptions.h"
#include "base/ETalvekException.h"
#include "report/ui/PrintTarget.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

namespace {
constexpr qreal PointSize = 11;
constexpr int PageColumns = 80 + ListingOptions::kDefaultPrinterMarginChars;

// Characters of a text as whole code points (a column each).
int ColumnCount(const QString& text)
{
    int count = 0;
    for (int i = 0; i < text.size(); ++i, ++count)
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            ++i;
    return count;
}
} // namespace

TListingPrinter::TListingPrinter(QPagedPaintDevice& device) : m_device(device)
{
    m_font = QFont(QStringLiteral("Liberation Mono"));
    m_font.setStyleHint(QFont::Monospace);
    m_font.setFixedPitch(true);
    m_font.setPointSizeF(PointSize);
    // Smaller type when the page is too narrow for the listing's columns.
    const qreal width = QFontMetricsF(m_font, &m_device).horizontalAdvance(u'M');
    if (width * PageColumns > m_device.width())
        m_font.setPointSizeF(PointSize * m_device.width() / (width * PageColumns));
    m_bold = m_font;
    m_bold.setBold(true);
    const QFontMetricsF metrics(m_font, &m_device);
    m_charWidth = metrics.horizontalAdvance(u'M');
    m_lineHeight = metrics.lineSpacing();
    m_ascent = metrics.ascent();
    m_linesPerPage = qMax(1, int(m_device.height() / m_lineHeight));
}

void TListingPrinter::NewPage()
{
    m_device.newPage();
    ++m_pages;
    m_line = 0;
}

void TListingPrinter::WriteLine(QPainter& painter, const TTextListing::Line& line)
{
    if (line.text == QLatin1String("\f")) {
        if (m_line > 0)
            NewPage();
        return;
    }
    if (m_line >= m_linesPerPage)
        NewPage();
    const qreal y = m_line * m_lineHeight + m_ascent;
    // Runs of regular and bold text, each placed at its column so that bold
    // never shifts what follows.
    QList<QPair<int, int>> bold = line.bold;
    int pos = 0;
    auto draw = [&](int from, int to, bool isBold) {
        if (to <= from)
            return;
        painter.setFont(isBold ? m_bold : m_font);
        painter.drawText(QPointF(ColumnCount(line.text.left(from)) * m_charWidth, y),
                         line.text.mid(from, to - from));
    };
    for (const auto& [start, length] : bold) {
        draw(pos, start, false);
        draw(start, start + length, true);
        pos = start + length;
    }
    draw(pos, int(line.text.size()), false);
    ++m_line;
}

void TListingPrinter::Print(TTextListing& listing, int kind, int copies,
                            const QList<TTextListing::OwnerRow>& owners, const TAreaSums& sums)
{
    QPainter painter;
    if (!painter.begin(&m_device))
        throw StartFailed(QStringLiteral("Tisk nelze zahájit"));
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    m_pages = 1;
    m_line = 0;
    listing.SetSink([&](const TTextListing::Line& line) { WriteLine(painter, line); });
    for (int copy = 0; copy < qMax(1, copies); ++copy) {
        if (copy > 0)
            NewPage();
        listing.StartPrinterCopy(ListingOptions::ListingLeftMargin);
        listing.Run(kind, owners, sums);
    }
    listing.SetSink({});
    painter.end();
}

QString TListingPrinter::DocumentTitle(int kind)
{
    switch (kind) {
    case TTextListing::AreaSummary:
        return QStringLiteral("Výměry");
    case TTextListing::OwnersListing:
        return QStringLiteral("Vlastníci");
    default:
        return QStringLiteral("Sestava");
    }
}

void TListingPrinter::PreparePrinter(QPrinter& printer)
{
    printer.setPageMargins(QMarginsF(8, 10, 8, 10), QPageLayout::Millimeter);
}

void TListingPrinter::PrintTextReport(QWidget* parent, TTextListing& listing, int kind,
                                      const QList<TTextListing::OwnerRow>& owners,
                                      const TAreaSums& sums)
{
    QPrinter printer(QPrinter::HighResolution);
    PreparePrinter(printer);
    if (!PrintTarget::Choose(printer, parent, DocumentTitle(kind), PrintTarget::Mode::Dialog))
        return;
    // The copies are run here, each from page 1.
    const int copies = printer.copyCount();
    printer.setCopyCount(1);
    try {
        TListingPrinter(printer).Print(listing, kind, copies, owners, sums);
    } catch (const StartFailed&) {
        throw ETalvekException(PrintTarget::StartFailedMessage(printer));
    }
    PrintTarget::Finished(printer, parent);
}
