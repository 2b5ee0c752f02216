#pragma once

#include "db/Dataset.h"

#include <QPointer>
#include <QVariantList>

// The rows in view of a dataset as the item models over it read them: their
// count, taken when the view changes, and the values of the one row asked for
// last, so that the cells of a painted row read the row (and fill its
// calculated fields) once. The dataset may go away first: the cache then
// holds no rows.
class DatasetRowCache
{
public:
    explicit DatasetRowCache(Dataset* dataset) : m_dataset(dataset) {}

    Dataset* dataset() const { return m_dataset; }
    // The dataset is there and open.
    bool active() const;
    int rows() const { return m_rows; }
    // `row` is within the rows in view of an open dataset.
    bool holds(int row) const { return row >= 0 && row < m_rows && active(); }
    // Counts the rows in view again and forgets the kept row (a new view).
    void recount();
    // Forgets the kept row: its values may have changed.
    void forget() { m_row = -1; }
    // Forgets the dataset (while it is being destroyed: it is not called).
    void detach();
    // The values of `row`, calculated fields filled; read once until forgotten.
    const QVariantList& values(int row) const;

private:
    QPointer<Dataset> m_dataset;
    int m_rows = 0;
    mutable int m_row = -1;
    mutable QVariantList m_values;
};
