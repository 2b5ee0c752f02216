#pragma once

#include "report/ReportBand.h"

#include <QVariant>
#include <functional>
#include <optional>
#include <vector>

class ReportDataSource;

// A group inside a section: its header is printed before the first row of
// each run of rows with the same key, its footer after the last one. The
// footer is printed once the key has changed, so the sources already stand on
// the next run's first row: footers show what callbacks gathered, not fields.
struct ReportGroup
{
    std::function<QVariant()> key;
    std::optional<ReportBand> header;
    std::optional<ReportBand> footer;
};

// A run of bands over one data source: header, a detail band per row (with
// its groups), the sub-sections printed after every detail row (each with its
// own source, usually linked to this one), footer. Without a source the
// detail band is printed once.
class ReportSection
{
public:
    ReportSection() = default;
    explicit ReportSection(ReportDataSource* source, const QString& name = {});

    QString name;
    ReportDataSource* source = nullptr;
    // When the source has no rows: false skips the whole section (header and
    // footer too), true still prints the header and footer.
    bool printIfEmpty = false;

    std::optional<ReportBand> header;
    ReportBand detail{ReportBand::Type::Detail, 0};
    std::optional<ReportBand> footer;
    std::vector<ReportGroup> groups;
    std::vector<ReportSection> subSections;

    ReportBand& setHeader(const ReportBand& band);
    ReportBand& setFooter(const ReportBand& band);
    ReportSection& addSubSection(const ReportSection& section);
    ReportGroup& addGroup(std::function<QVariant()> key);
};
