#pragma once

#include "report/ReportElement.h"
#include "report/ReportFrame.h"

#include <QList>
#include <functional>
#include <memory>

// A horizontal strip of the page holding elements. The engine prints a band
// as a whole: when it does not fit on the rest of the page it starts a new
// page. Heights are in report units (1/96 inch).
class ReportBand
{
public:
    enum class Type
    {
        Title,        // once, at the top of the first page
        PageHeader,   // top of every page (the first one by option)
        PageFooter,   // bottom of every page
        ColumnHeader, // under the page header (and title) on every page
        Header,       // before the rows of a section
        Detail,       // once per row of a section
        Footer,       // after the rows of a section
        GroupHeader,
        GroupFooter,
        Summary, // once, after all sections
        Child    // printed right after its parent band
    };
    // Called just before the band is laid out (data sources are on the row
    // being printed); may change texts, heights and visibility. Returning
    // false skips the band (and its child) this time.
    using BeforePrint = std::function<bool(ReportBand& band)>;

    ReportBand() = default;
    ReportBand(Type type, double height, const QString& name = {});

    Type type = Type::Detail;
    QString name;
    double height = 0;
    QList<ReportElement> elements;
    FrameSides frame;
    double frameWidth = 1;
    BeforePrint beforePrint;
    std::shared_ptr<ReportBand> child;

    ReportElement& add(const ReportElement& element);
    // The element of that name; throws ETalvekException when there is none.
    ReportElement& element(const QString& name);
    const ReportElement* findElement(const QString& name) const;
    ReportBand& setChild(const ReportBand& band);
};
