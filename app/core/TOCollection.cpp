#include "app/core/TOCollection.h"

#include "base/ETalvekException.h"

namespace {
constexpr int kGrowth = 50;
}

void TOCollection::checkIndex(int idx) const
{
    if (idx < 0 || idx >= m_count)
        throw ETalvekException(
            QStringLiteral("Index %1 je mimo rozsah seznamu (0 až %2).").arg(idx).arg(m_count - 1));
}

QVariant TOCollection::Item(int idx) const
{
    checkIndex(idx);
    return m_items[idx];
}

void TOCollection::SetItem(int idx, const QVariant& value)
{
    checkIndex(idx);
    m_items[idx] = value;
}

void TOCollection::Add(const QVariant& value)
{
    if (m_count == int(m_items.size()))
        m_items.resize(m_count + kGrowth);
    m_items[m_count++] = value;
}

void TOCollection::Clear()
{
    m_items.clear();
    m_count = 0;
}

void TOCollection::Delete(int idx)
{
    checkIndex(idx);
    for (int i = idx; i + 1 < m_count; ++i)
        m_items[i] = m_items[i + 1];
    m_items[--m_count] = QVariant();
}
