#pragma once

#include <QString>
#include <QVariant>

// The rows a report section runs over. The report engine only needs a
// forward cursor and field values by name, so it does not depend on how the
// rows are stored (engine tables and queries, or rows built in memory).
//
// A source that is the detail of another (linked on key fields) repositions
// itself in first(): the engine calls first() each time the master row
// changes. value() of a source positioned past its last row (no current row)
// returns an invalid QVariant, which prints as an empty cell.
// Errors are thrown as ETalvekException carrying the engine's message.
class ReportDataSource
{
public:
    virtual ~ReportDataSource();

    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;
    virtual QVariant value(const QString& field) const = 0;
};
