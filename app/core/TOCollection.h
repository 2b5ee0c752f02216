#pragma once

#include "app/core/ICollection.h"

#include <vector>

// A list of variants growing in steps of 50 elements.
class TOCollection : public ICollection
{
public:
    QVariant Item(int idx) const override;
    void SetItem(int idx, const QVariant& value) override;
    int Count() const override { return m_count; }
    void Add(const QVariant& value) override;
    void Clear() override;
    void Delete(int idx) override;

    int Capacity() const { return int(m_items.size()); }

private:
    void checkIndex(int idx) const;

    std::vector<QVariant> m_items;
    int m_count = 0;
};
