#pragma once

#include "report/ReportPage.h"

#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QSizeF>

// The finished layout of a report: plain pages of positioned boxes, ready for
// the preview, the printer and PDF export. Holds no reference to the data.
class ReportDocument
{
public:
    QString title;
    QPageSize pageSize{QPageSize::A4};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QSizeF paperSize; // report units, oriented
    int copies = 1;
    QList<ReportPage> pages;

    int pageCount() const { return int(pages.size()); }
    bool isEmpty() const { return pages.isEmpty(); }
    // Texts of the boxes of the named element over all pages, in page order.
    QStringList textsOf(const QString& elementName) const;
    // The page layout for a printer or PDF writer: the paper, no margins (the
    // boxes are positioned from the paper's corner).
    QPageLayout pageLayout() const;
};
