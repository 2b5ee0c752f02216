#include "report/ReportMemorySource.h"

ReportMemorySource::ReportMemorySource(QList<QVariantMap> rows) : m_rows(std::move(rows))
{
    m_pos = m_rows.size();
}

void ReportMemorySource::setRows(QList<QVariantMap> rows)
{
    m_rows = std::move(rows);
    m_pos = m_rows.size();
}

void ReportMemorySource::appendRow(QVariantMap row)
{
    m_rows.append(std::move(row));
}

void ReportMemorySource::setRowFilter(RowFilter filter)
{
    m_filter = std::move(filter);
}

void ReportMemorySource::first()
{
    m_pos = 0;
    skipFilteredOut();
}

void ReportMemorySource::next()
{
    if (m_pos < m_rows.size()) {
        ++m_pos;
        skipFilteredOut();
    }
}

bool ReportMemorySource::eof() const
{
    return m_pos >= m_rows.size();
}

QVariant ReportMemorySource::value(const QString& field) const
{
    if (eof())
        return {};
    return m_rows.at(m_pos).value(field);
}

void ReportMemorySource::skipFilteredOut()
{
    if (!m_filter)
        return;
    while (m_pos < m_rows.size() && !m_filter(m_rows.at(m_pos)))
        ++m_pos;
}
