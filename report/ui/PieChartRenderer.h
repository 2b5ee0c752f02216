#pragma once

#include <QRectF>

class QPainter;
struct ReportBox;

// Draws the pie-chart boxes of reports with Qt Charts: slices in the order
// they were added, automatic colours, no slice marks, the title above and the
// legend as plain text beside the pie.
class PieChartRenderer
{
public:
    // Registers the renderer with ReportPainter (once; later calls do nothing).
    static void install();
    // Draws the chart of `box` into `rect` (device coordinates of `painter`).
    static void render(QPainter& painter, const QRectF& rect, const ReportBox& box);
};
