#include "db/DatasetModel.h"

#include "db/Dataset.h"
#include "db/ValueConvert.h"

DatasetModel::DatasetModel(Dataset* dataset, QObject* parent)
    : QAbstractTableModel(parent), m_rows(dataset)
{
    connect(dataset, &Dataset::viewChanged, this, &DatasetModel::reset);
    connect(dataset, &QObject::destroyed, this, [this] {
        // The dataset is half gone here: do not call it.
        beginResetModel();
        m_rows.detach();
        endResetModel();
    });
    m_rows.recount();
}

void DatasetModel::setColumns(const QList<Column>& columns)
{
    beginResetModel();
    m_columns = columns;
    m_rows.forget();
    endResetModel();
}

void DatasetModel::reset()
{
    beginResetModel();
    m_rows.recount();
    endResetModel();
}

int DatasetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.rows();
}

int DatasetModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_rows.dataset())
        return 0;
    return m_columns.isEmpty() ? m_rows.dataset()->fieldCount() : int(m_columns.size());
}

int DatasetModel::fieldOfColumn(int column) const
{
    if (m_columns.isEmpty())
        return column;
    return m_rows.dataset()->fieldIndex(m_columns.value(column).field);
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_rows.holds(index.row()) ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    const int field = fieldOfColumn(index.column());
    if (field < 0)
        return QVariant();
    const QVariant value = m_rows.values(index.row()).value(field);
    if (role == Qt::EditRole)
        return value;
    if (m_rows.dataset()->fields()[field].type == FieldType::Boolean && value.isValid() &&
        !value.isNull())
        return ValueConvert::toBool(value) ? QStringLiteral("T") : QStringLiteral("F");
    return ValueConvert::toText(value);
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const Dataset* dataset = m_rows.dataset();
    if (role != Qt::DisplayRole || !dataset)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    if (!m_columns.isEmpty())
        return m_columns.value(section).caption;
    if (section < 0 || section >= dataset->fieldCount())
        return QVariant();
    return dataset->fields()[section].name;
}
