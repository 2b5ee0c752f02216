#pragma once

#include "output/core/TAreaStatistics.h"
#include "output/core/TReportForm.h"

// The one-page report "Statistické údaje" of a computed area statistics:
// the identification of the area, the kinds of land in the left block and
// their uses in the right block (each use beside or below its kind), three
// pie charts and the totals. Laid out without a window, so that the preview,
// the printer and orv-tool's PDF come from the same pages.
class TStatistikaReport : public TReportForm
{
public:
    static constexpr double LineHeight = 19; // one statistic line, report units

    // Elements of a statistic row are named Name<row>, Vymera<row>, Pocet<row>.
    static QString ElementName(int column, int row);

    // Designed for A4 inside 10 mm margins; on another paper (Letter) the
    // same bands are laid out, scaled down where the paper is narrower.
    explicit TStatistikaReport(const TAreaStatistics& stats, QWidget* owner = nullptr,
                               QPageSize::PageSizeId paper = QPageSize::A4);

private:
    struct Block
    {
        double x, nameWidth, areaWidth, countWidth;
    };
    static const Block& BlockOf(int row);

    ReportBand TitleBand() const;
    ReportBand DetailBand() const;
    ReportBand SummaryBand() const;
    void AddRowLabels(ReportBand& band, const TAreaStatistics::Row& row) const;
    void AddCaptions(ReportBand& band, const Block& block, int line, const QString& first) const;
    void AddCharts(ReportBand& band) const;

    const TAreaStatistics& m_stats;
};
