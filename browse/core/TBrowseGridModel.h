#pragma once

#include "browse/core/ParDilyRules.h"
#include "db/DatasetRowCache.h"

#include <QAbstractTableModel>
#include <functional>

class Dataset;

// A read-only grid model over the rows in view of a dataset, with the
// browser's columns (title, width in characters, alignment) and an optional
// colouring of whole rows. A painted row is read (and its calculated fields
// filled) only once (DatasetRowCache).
class TBrowseGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    struct Column
    {
        QString field;
        QString title;
        int widthChars = 0;
        Qt::Alignment alignment = Qt::AlignLeft;
    };
    using RowStyle = std::function<ParDilyRules::CellColours(const QVariantList& values)>;

    TBrowseGridModel(Dataset* dataset, QList<Column> columns, QObject* parent = nullptr);

    void setRowStyle(RowStyle style) { m_style = std::move(style); }
    // Shows the Boolean `field` as a check mark in the first column, so that
    // a row's mark is seen also while the row is highlighted.
    void setMarkField(const QString& field)
    {
        m_markField = field;
        reset();
    }
    bool hasMarkColumn() const { return !m_markField.isEmpty(); }
    const QList<Column>& columns() const { return m_columns; }
    // Index of a field within a row's values; -1 when the dataset lacks it.
    int valueIndex(const QString& field) const;
    // Repaints every row (after a change of the colouring's inputs).
    void repaintAll();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void reset();
    static QString displayText(const QVariant& value);

    DatasetRowCache m_rows;
    QList<Column> m_columns;
    QList<int> m_fieldOf;
    RowStyle m_style;
    QString m_markField;
    int m_markIndex = -1;
};
