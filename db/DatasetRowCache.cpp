#include "db/DatasetRowCache.h"

#include "db/Dataset.h"

bool DatasetRowCache::active() const
{
    return m_dataset && m_dataset->isActive();
}

void DatasetRowCache::recount()
{
    m_rows = active() ? m_dataset->recordCount() : 0;
    m_row = -1;
    m_values.clear();
}

void DatasetRowCache::detach()
{
    m_dataset = nullptr;
    m_rows = 0;
    m_row = -1;
    m_values.clear();
}

const QVariantList& DatasetRowCache::values(int row) const
{
    if (row != m_row) {
        m_values = m_dataset->rowValues(row);
        m_row = row;
    }
    return m_values;
}
