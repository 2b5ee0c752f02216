#pragma once

#include <QVariant>

// A growable list of variants (valid indices 0 .. Count() - 1).
class ICollection
{
public:
    virtual ~ICollection() = default;
    virtual QVariant Item(int idx) const = 0;
    virtual void SetItem(int idx, const QVariant& value) = 0;
    virtual int Count() const = 0;
    virtual void Add(const QVariant& value) = 0;
    virtual void Clear() = 0;
    virtual void Delete(int idx) = 0;
};
