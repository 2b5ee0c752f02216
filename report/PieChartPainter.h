#pragma once

#include <QFont>
#include <QRectF>

class PieChartData;
class QPainter;

// Draws a report's pie chart with plain QPainter calls, so that the preview,
// the printer and PDF files (also those of orv-tool, which has no widgets)
// show the same picture: the title on top, a pie tilted by the chart's 3D
// depth on the left, slices from twelve o'clock clockwise in the order they
// were added, in distinct colours with black borders, no slice marks, and the
// legend as plain text on the right. Slices of zero or negative value are
// left out of the pie and the legend; a chart without any positive slice
// shows its title only.
class PieChartPainter
{
public:
    // `rect` is in device coordinates; `unit` is device pixels per report
    // unit (1/96 inch), used for line widths and gaps.
    static void paint(QPainter& painter, const QRectF& rect, const PieChartData& chart,
                      const QFont& font, double unit);
    // The colour of the slice added as number `index` (0-based).
    static QColor sliceColour(qsizetype index);
};
