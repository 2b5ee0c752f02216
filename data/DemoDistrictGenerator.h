#pragma once

#include "data/DemoDistrictSummary.h"

#include <QString>

// Writes a deterministic synthetic district in the layout ORV reads:
//   DIR/NYSKATAL.DB, DIR/NYSOBORG.DB and per area NYSPA/NYSUV/NYSVL/NYSTX/
//   NYSBO/ORVTX + suffix + ".DB" (the data alias directory), and
//   DIR/WorkDB/ with the shared code tables.
// All tables are Paradox 7 in code page 1250. The same size and seed always
// give the same files.
class DemoDistrictGenerator
{
public:
    enum class Size
    {
        Small,    // 3 areas, about 1,200 parcel parts: for tests
        District, // about 170 areas, 270,000 parts, 55,000 owners
        City      // one area with 40,000 parts
    };
    struct Options
    {
        Size size = Size::Small;
        quint64 seed = 1;
    };
    // What was written, by kind of row.
    using Summary = DemoDistrictSummary;

    explicit DemoDistrictGenerator(const Options& options);

    // Creates `directory` (and WorkDB inside it) and writes every table. The
    // directory must be new or empty, so that no other data are overwritten.
    // Throws ETalvekException with a Czech message on failure.
    Summary generate(const QString& directory) const;

    // "small", "district" or "city"; throws ETalvekException otherwise.
    static Size parseSize(const QString& name);
    static QString codeTableSubdirectory() { return QStringLiteral("WorkDB"); }

private:
    Options m_options;
};
