#include "map/core/MapSheet.h"

#include "map/core/MapArea.h"
#include "map/core/MapPrintPage.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {
// The title block's font size in points, and its padding in line heights.
constexpr double TitlePoints = 9;
constexpr double TitlePadding = 0.5;
} // namespace

QStringList MapSheet::TitleLines(const QString& areaName, const QDate& date, int scale)
{
    QStringList lines{QStringLiteral("Katastrální území: ") + areaName,
                      QStringLiteral("Datum: ") + date.toString(QStringLiteral("d. M. yyyy"))};
    if (scale > 0)
        lines << QStringLiteral("Měřítko: ") + MapPrintPage::ScaleText(scale);
    lines << QStringLiteral("Informativní zobrazení, nemá povahu veřejné listiny");
    return lines;
}

MapPainter::Drawn MapSheet::Paint(QPainter& painter, const QRectF& page, const MapArea& area,
                                  const MapPainter::Options& options, const QDate& date)
{
    painter.save();
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(TitlePoints);
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const QStringList lines = TitleLines(area.name, date, options.scale);
    const double line = metrics.height();
    const double blockHeight = line * (lines.size() + 2 * TitlePadding);
    const QRectF block(page.left(), page.bottom() - blockHeight, page.width(), blockHeight);
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(block);
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(QPointF(block.left() + line * TitlePadding,
                                 block.top() + line * (TitlePadding + i) + metrics.ascent()),
                         lines[i]);
    painter.restore();
    const QRectF mapRect(page.left(), page.top(), page.width(), page.height() - blockHeight);
    return MapPainter::paint(painter, mapRect, area, options);
}
