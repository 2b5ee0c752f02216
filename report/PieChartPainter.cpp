#include "report/PieChartPainter.h"

#include "report/PieChartData.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {
// Height of the tilted pie's ellipse as a fraction of its width, and of its
// side wall per unit of 3D depth, both relative to the width.
constexpr double Tilt = 0.62;
constexpr double WallPerDepth = 0.16;

struct Wedge
{
    double start; // degrees, counter-clockwise from three o'clock (Qt's convention)
    double span;  // degrees, negative: clockwise
    QColor colour;
    QString label;
};

QList<Wedge> wedgesOf(const PieChartData& chart)
{
    double total = 0;
    for (const PieChartData::Slice& s : chart.slices())
        total += std::max(s.value, 0.0);
    QList<Wedge> wedges;
    if (total <= 0)
        return wedges;
    double angle = 90; // twelve o'clock
    for (qsizetype i = 0; i < chart.slices().size(); ++i) {
        const PieChartData::Slice& s = chart.slices().at(i);
        if (s.value <= 0)
            continue;
        const double span = -360.0 * s.value / total;
        wedges.append({angle, span, PieChartPainter::sliceColour(i), s.label});
        angle += span;
    }
    return wedges;
}

QPointF onEllipse(const QRectF& r, double degrees)
{
    const double a = qDegreesToRadians(degrees);
    return {r.center().x() + r.width() / 2 * std::cos(a),
            r.center().y() - r.height() / 2 * std::sin(a)};
}

// The visible side wall of the part of a wedge that lies in the front half
// of the ellipse (angles 180-360 modulo 360).
void paintWall(QPainter& painter, const QRectF& top, double wall, const Wedge& w)
{
    const double from = w.start + w.span; // counter-clockwise order
    const double to = w.start;
    for (double base = -360; base <= 360; base += 360) {
        const double a = std::max(from, base + 180);
        const double b = std::min(to, base + 360);
        if (b <= a)
            continue;
        const QRectF bottom = top.translated(0, wall);
        QPainterPath path(onEllipse(top, a));
        path.arcTo(top, a, b - a);
        path.lineTo(onEllipse(bottom, b));
        path.arcTo(bottom, b, a - b);
        path.closeSubpath();
        painter.setBrush(w.colour.darker(140));
        painter.drawPath(path);
    }
}

void paintPie(QPainter& painter, const QRectF& top, double wall, const QList<Wedge>& wedges,
              double unit)
{
    QPen border(Qt::black);
    border.setWidthF(std::max(0.5 * unit, 0.5));
    painter.setPen(border);
    if (wall > 0)
        for (const Wedge& w : wedges)
            paintWall(painter, top, wall, w);
    for (const Wedge& w : wedges) {
        painter.setBrush(w.colour);
        if (std::abs(w.span) >= 359.999)
            painter.drawEllipse(top);
        else
            painter.drawPie(top, qRound(w.start * 16), qRound(w.span * 16));
    }
    painter.setBrush(Qt::NoBrush);
}

// The largest font (at most the chart's own size) whose lines all fit in
// `height`; never below 5 points, below which print is no longer legible.
QFont legendFont(const QFont& base, int lines, double height, const QPaintDevice* device)
{
    QFont font = base;
    double size = base.pointSizeF() > 0 ? base.pointSizeF() : 9;
    for (; size > 5; size -= 0.25) {
        font.setPointSizeF(size);
        if (QFontMetricsF(font, device).lineSpacing() * lines <= height)
            break;
    }
    font.setPointSizeF(std::max(size, 5.0));
    return font;
}

void paintLegend(QPainter& painter, const QRectF& area, const QList<Wedge>& wedges,
                 const QFont& base, double unit)
{
    const QFont font = legendFont(base, int(wedges.size()), area.height(), painter.device());
    const QFontMetricsF metrics(font, painter.device());
    const double line = metrics.lineSpacing();
    const double box = metrics.ascent() * 0.8;
    painter.setFont(font);
    double y = area.top() + std::max(0.0, (area.height() - line * wedges.size()) / 2);
    for (const Wedge& w : wedges) {
        const QRectF swatch(area.left(), y + (line - box) / 2, box, box);
        painter.setPen(QPen(Qt::black, std::max(0.5 * unit, 0.5)));
        painter.setBrush(w.colour);
        painter.drawRect(swatch);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(Qt::black);
        const QRectF text(swatch.right() + 3 * unit, y, area.right() - swatch.right() - 3 * unit,
                          line);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         metrics.elidedText(w.label, Qt::ElideRight, text.width()));
        y += line;
    }
}
} // namespace

QColor PieChartPainter::sliceColour(qsizetype index)
{
    // Distinct enough for the sixteen slices of the largest statistics chart
    // and still apart when printed in grey.
    static const QRgb palette[] = {0xE41A1C, 0x377EB8, 0x4DAF4A, 0xFF7F00, 0xFFFF33, 0x984EA3,
                                   0xA65628, 0xF781BF, 0x999999, 0x66C2A5, 0x1F3A93, 0xB2DF8A,
                                   0xFB9A99, 0x00CED1, 0x8B0000, 0x6A3D9A};
    return QColor(palette[index % qsizetype(std::size(palette))]);
}

void PieChartPainter::paint(QPainter& painter, const QRectF& rect, const PieChartData& chart,
                            const QFont& font, double unit)
{
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    QFont titleFont = font;
    titleFont.setBold(true);
    painter.setFont(titleFont);
    painter.setPen(Qt::black);
    const double titleHeight = QFontMetricsF(titleFont, painter.device()).lineSpacing() * 1.3;
    painter.drawText(QRectF(rect.left(), rect.top(), rect.width(), titleHeight),
                     Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, chart.title);

    const QList<Wedge> wedges = wedgesOf(chart);
    if (!wedges.isEmpty()) {
        const QRectF body = rect.adjusted(4 * unit, titleHeight, -2 * unit, -2 * unit);
        const double legendWidth = chart.showLegend ? body.width() * 0.5 : 0;
        const double depth = std::clamp(chart.depth, 0.0, 1.0);
        // The pie's width so that its ellipse and wall fit the body's height.
        const double pieWidth = std::min(body.width() - legendWidth - 6 * unit,
                                         body.height() / (Tilt + WallPerDepth * depth));
        const double wall = pieWidth * WallPerDepth * depth;
        const QRectF top(body.left(), body.top() + (body.height() - pieWidth * Tilt - wall) / 2,
                         pieWidth, pieWidth * Tilt);
        paintPie(painter, top, wall, wedges, unit);
        if (chart.showLegend)
            paintLegend(painter,
                        QRectF(body.left() + pieWidth + 6 * unit, body.top(),
                               body.right() - body.left() - pieWidth - 6 * unit, body.height()),
                        wedges, font, unit);
    }
    painter.restore();
}
