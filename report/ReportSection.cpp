#include "report/ReportSection.h"

ReportSection::ReportSection(ReportDataSource* source, const QString& name)
    : name(name), source(source)
{
}

ReportBand& ReportSection::setHeader(const ReportBand& band)
{
    header = band;
    header->type = ReportBand::Type::Header;
    return *header;
}

ReportBand& ReportSection::setFooter(const ReportBand& band)
{
    footer = band;
    footer->type = ReportBand::Type::Footer;
    return *footer;
}

ReportSection& ReportSection::addSubSection(const ReportSection& section)
{
    subSections.push_back(section);
    return subSections.back();
}

ReportGroup& ReportSection::addGroup(std::function<QVariant()> key)
{
    groups.push_back(ReportGroup{std::move(key), std::nullopt, std::nullopt});
    return groups.back();
}
