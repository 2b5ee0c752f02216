#pragma once

#include "report/ReportBand.h"
#include "report/ReportSection.h"

#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QSizeF>
#include <optional>
#include <vector>

// A banded report: paper, margins, base font, options and the bands. The
// first section's source is the report's own dataset.
class ReportDefinition
{
public:
    // Report units per inch: all band and element geometry is in 1/96 inch.
    static constexpr double UnitsPerInch = 96.0;
    static double mmToUnits(double mm) { return mm * UnitsPerInch / 25.4; }

    ReportDefinition();

    QString title; // document name for the print job and the PDF
    QPageSize pageSize{QPageSize::A4};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF marginsMm{10, 10, 10, 10};
    QFont baseFont;
    int copies = 1;

    // No pages at all when the report's own dataset has no rows.
    bool suppressEmpty = false;
    // Print the page header on the first page too.
    bool pageHeaderOnFirstPage = true;
    // The width the bands are designed for (report units; 0: the content
    // width). On paper whose content is narrower, every page is scaled down
    // as a whole, text included, so that no column is cut or squeezed.
    double designWidth = 0;
    // Likewise the height a one-page report is designed to fill (0: pages
    // flow): on shorter paper the page is scaled down to keep it one page.
    double designHeight = 0;

    std::optional<ReportBand> titleBand;
    std::optional<ReportBand> pageHeader;
    std::optional<ReportBand> pageFooter;
    std::optional<ReportBand> columnHeader;
    std::optional<ReportBand> summary;
    std::vector<ReportSection> sections;

    ReportBand& setTitleBand(const ReportBand& band);
    ReportBand& setPageHeader(const ReportBand& band);
    ReportBand& setPageFooter(const ReportBand& band);
    ReportBand& setColumnHeader(const ReportBand& band);
    ReportBand& setSummary(const ReportBand& band);
    ReportSection& addSection(const ReportSection& section);

    // Paper size in report units, oriented.
    QSizeF paperSize() const;
    // The printable area inside the margins, in report units.
    QRectF contentRect() const;
    // The width bands are laid out on: the design width or the content width,
    // whichever is larger.
    double layoutWidth() const;
};
