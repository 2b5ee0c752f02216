#pragma once

#include "report/ReportDataSource.h"

#include <QList>
#include <QVariantMap>
#include <functional>

// Rows held in memory, for reports computed by the program itself (statistics)
// and for exercising the engine. An optional row filter, evaluated in first(),
// makes it follow a master source like a linked detail table.
class ReportMemorySource : public ReportDataSource
{
public:
    using RowFilter = std::function<bool(const QVariantMap& row)>;

    ReportMemorySource() = default;
    explicit ReportMemorySource(QList<QVariantMap> rows);

    void setRows(QList<QVariantMap> rows);
    void appendRow(QVariantMap row);
    void setRowFilter(RowFilter filter);
    int rowCount() const { return int(m_rows.size()); }

    void first() override;
    void next() override;
    bool eof() const override;
    QVariant value(const QString& field) const override;

private:
    void skipFilteredOut();

    QList<QVariantMap> m_rows;
    RowFilter m_filter;
    qsizetype m_pos = 0;
};
