#pragma once

#include "db/DatasetRowCache.h"

#include <QAbstractTableModel>

class Dataset;

// A read-only Qt item model over a dataset for the grids: one row per row in
// view, one column per field (or per chosen field with a caption). Follows
// the dataset's view changes.
class DatasetModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    struct Column
    {
        QString field;
        QString caption;
    };

    explicit DatasetModel(Dataset* dataset, QObject* parent = nullptr);
    // Shows only these fields, in this order; empty: every field.
    void setColumns(const QList<Column>& columns);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void reset();
    int fieldOfColumn(int column) const;

    DatasetRowCache m_rows;
    QList<Column> m_columns;
};
