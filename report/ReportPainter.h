#pragma once

#include "report/ReportDocument.h"

class QPainter;

// Draws the pages of a laid-out report. One routine serves the preview, the
// printer and PDF export: the painter's device must have its origin at the
// paper's top-left corner; its resolution (logical DPI) sets the scale, so a
// page fills the paper at any resolution.
class ReportPainter
{
public:
    explicit ReportPainter(const ReportDocument& document);

    void paintPage(int index, QPainter& painter) const;

private:
    void paintBox(const ReportBox& box, QPainter& painter, double scale) const;
    void paintText(const ReportBox& box, QPainter& painter, double scale) const;

    const ReportDocument& m_document;
};
