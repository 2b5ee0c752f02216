#include "db/DatasetModel.h"

#include "db/Dataset.h"
#include "db/ValueConvert.h"

DatasetModel::DatasetModel(Dataset* dataset, QObject* parent)
    : QAbstractTableModel(parent), m_dataset(dataset)
{
    connect(dataset, &Dataset::viewChanged, this, &DatasetModel::reset);
    m_rows = dataset->isActive() ? dataset->recordCount() : 0;
}

void DatasetModel::setColumns(const QList<Column>& columns)
{
    beginResetModel();
    m_columns = columns;
    m_cachedRow = -1;
    endResetModel();
}

void DatasetModel::reset()
{
    beginResetModel();
    m_rows = m_dataset && m_dataset->isActive() ? m_dataset->recordCount() : 0;
    m_cachedRow = -1;
    endResetModel();
}

int DatasetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DatasetModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_dataset)
        return 0;
    return m_columns.isEmpty() ? m_dataset->fieldCount() : int(m_columns.size());
}

int DatasetModel::fieldOfColumn(int column) const
{
    if (m_columns.isEmpty())
        return column;
    return m_dataset->fieldIndex(m_columns.value(column).field);
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_dataset || !m_dataset->isActive() || index.row() >= m_rows ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    const int field = fieldOfColumn(index.column());
    if (field < 0)
        return QVariant();
    if (m_cachedRow != index.row()) {
        m_cachedValues = m_dataset->rowValues(index.row());
        m_cachedRow = index.row();
    }
    const QVariant value = m_cachedValues.value(field);
    if (role == Qt::EditRole)
        return value;
    if (m_dataset->fields()[field].type == FieldType::Boolean && value.isValid() && !value.isNull())
        return ValueConvert::toBool(value) ? QStringLiteral("T") : QStringLiteral("F");
    return ValueConvert::toText(value);
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || !m_dataset)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    if (!m_columns.isEmpty())
        return m_columns.value(section).caption;
    if (section < 0 || section >= m_dataset->fieldCount())
        return QVariant();
    return m_dataset->fields()[section].name;
}
