#pragma once

#include "report/ReportDocument.h"

#include <functional>

class QPainter;

// Draws the pages of a laid-out report. One routine serves the preview, the
// printer and PDF export: the painter's device must have its origin at the
// paper's top-left corner; its resolution (logical DPI) sets the scale, so a
// page fills the paper at any resolution.
class ReportPainter
{
public:
    // Draws a chart box into a rectangle given in device coordinates. The
    // widget side registers the real renderer (charts need widgets); without
    // one a chart is drawn as its framed title.
    using ChartRenderer =
        std::function<void(QPainter& painter, const QRectF& rect, const ReportBox& box)>;
    static void setChartRenderer(ChartRenderer renderer);
    static bool hasChartRenderer();

    explicit ReportPainter(const ReportDocument& document);

    void paintPage(int index, QPainter& painter) const;

private:
    void paintBox(const ReportBox& box, QPainter& painter, double scale) const;
    void paintText(const ReportBox& box, QPainter& painter, double scale) const;
    void paintChart(const ReportBox& box, QPainter& painter, const QRectF& rect) const;

    const ReportDocument& m_document;
};
