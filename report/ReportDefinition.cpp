#include "report/ReportDefinition.h"

#include <algorithm>

namespace {
ReportBand& assign(std::optional<ReportBand>& slot, const ReportBand& band, ReportBand::Type type)
{
    slot = band;
    slot->type = type;
    return *slot;
}
} // namespace

ReportDefinition::ReportDefinition()
{
    baseFont = QFont(QStringLiteral("Liberation Serif"));
    baseFont.setPointSizeF(10);
}

ReportBand& ReportDefinition::setTitleBand(const ReportBand& band)
{
    return assign(titleBand, band, ReportBand::Type::Title);
}

ReportBand& ReportDefinition::setPageHeader(const ReportBand& band)
{
    return assign(pageHeader, band, ReportBand::Type::PageHeader);
}

ReportBand& ReportDefinition::setPageFooter(const ReportBand& band)
{
    return assign(pageFooter, band, ReportBand::Type::PageFooter);
}

ReportBand& ReportDefinition::setColumnHeader(const ReportBand& band)
{
    return assign(columnHeader, band, ReportBand::Type::ColumnHeader);
}

ReportBand& ReportDefinition::setSummary(const ReportBand& band)
{
    return assign(summary, band, ReportBand::Type::Summary);
}

ReportSection& ReportDefinition::addSection(const ReportSection& section)
{
    sections.push_back(section);
    return sections.back();
}

QSizeF ReportDefinition::paperSize() const
{
    QSizeF inches = pageSize.size(QPageSize::Inch);
    if (orientation == QPageLayout::Landscape)
        inches.transpose();
    return inches * UnitsPerInch;
}

QRectF ReportDefinition::contentRect() const
{
    const QSizeF paper = paperSize();
    const double left = mmToUnits(marginsMm.left());
    const double top = mmToUnits(marginsMm.top());
    const double right = mmToUnits(marginsMm.right());
    const double bottom = mmToUnits(marginsMm.bottom());
    return QRectF(left, top, paper.width() - left - right, paper.height() - top - bottom);
}

double ReportDefinition::layoutWidth() const
{
    return std::max(designWidth, contentRect().width());
}
