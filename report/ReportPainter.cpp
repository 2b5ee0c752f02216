#include "report/ReportPainter.h"

#include "report/PieChartPainter.h"
#include "report/ReportDefinition.h"

#include <QPaintDevice>
#include <QPainter>

namespace {
QRectF scaled(const QRectF& r, double s)
{
    return QRectF(r.x() * s, r.y() * s, r.width() * s, r.height() * s);
}

QPen linePen(double width, double scale)
{
    QPen pen(Qt::black);
    pen.setWidthF(std::max(width * scale, 1.0));
    pen.setCapStyle(Qt::SquareCap);
    return pen;
}
} // namespace

ReportPainter::ReportPainter(const ReportDocument& document) : m_document(document) {}

void ReportPainter::paintPage(int index, QPainter& painter) const
{
    if (index < 0 || index >= m_document.pageCount())
        return;
    const QPaintDevice* device = painter.device();
    const double scale = device ? device->logicalDpiX() / ReportDefinition::UnitsPerInch : 1.0;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (const ReportBox& box : m_document.pages.at(index).boxes)
        paintBox(box, painter, scale);
    painter.restore();
}

void ReportPainter::paintBox(const ReportBox& box, QPainter& painter, double scale) const
{
    switch (box.kind) {
    case ReportBox::Kind::Text:
        paintText(box, painter, scale);
        break;
    case ReportBox::Kind::Line:
        painter.setPen(linePen(box.lineWidth, scale));
        painter.drawLine(QLineF(box.line.p1() * scale, box.line.p2() * scale));
        break;
    case ReportBox::Kind::Rect:
        painter.setPen(box.outline ? linePen(box.lineWidth, scale) : QPen(Qt::NoPen));
        painter.setBrush(box.fill.isValid() ? QBrush(box.fill) : QBrush(Qt::NoBrush));
        painter.drawRect(scaled(box.rect, scale));
        painter.setBrush(Qt::NoBrush);
        break;
    case ReportBox::Kind::Chart:
        PieChartPainter::paint(painter, scaled(box.rect, scale), box.chart, box.font, scale);
        break;
    }
}

void ReportPainter::paintText(const ReportBox& box, QPainter& painter, double scale) const
{
    if (box.text.isEmpty())
        return;
    const QRectF rect = scaled(box.rect, scale);
    painter.save();
    // Text never spills over its neighbours: it is cut at its own box.
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.setFont(box.font);
    painter.setPen(Qt::black);
    int flags = int(box.alignment);
    if (!box.multiLine)
        flags |= Qt::TextSingleLine;
    painter.drawText(rect, flags, box.text);
    painter.restore();
}
