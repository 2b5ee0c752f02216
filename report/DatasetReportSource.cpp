#include "report/DatasetReportSource.h"

#include "db/Dataset.h"

DatasetReportSource::DatasetReportSource(Dataset& dataset) : m_dataset(dataset) {}

void DatasetReportSource::first()
{
    if (m_dataset.isActive())
        m_dataset.first();
}

void DatasetReportSource::next()
{
    if (m_dataset.isActive())
        m_dataset.next();
}

bool DatasetReportSource::eof() const
{
    return !m_dataset.isActive() || m_dataset.eof();
}

bool DatasetReportSource::hasRow() const
{
    return m_dataset.isActive() && !m_dataset.isEmpty() && !m_dataset.eof();
}

QVariant DatasetReportSource::value(const QString& field) const
{
    if (!hasRow())
        return {};
    return m_dataset.value(field);
}
