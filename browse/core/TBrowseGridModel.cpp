#include "browse/core/TBrowseGridModel.h"

#include "db/Dataset.h"

#include <QBrush>

TBrowseGridModel::TBrowseGridModel(Dataset* dataset, QList<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), m_rows(dataset), m_columns(std::move(columns))
{
    connect(dataset, &Dataset::viewChanged, this, &TBrowseGridModel::reset);
    connect(dataset, &Dataset::currentChanged, this, [this] { m_rows.forget(); });
    reset();
}

int TBrowseGridModel::valueIndex(const QString& field) const
{
    return m_rows.active() ? m_rows.dataset()->fieldIndex(field) : -1;
}

void TBrowseGridModel::repaintAll()
{
    m_rows.forget();
    if (m_rows.rows() > 0)
        emit dataChanged(index(0, 0), index(m_rows.rows() - 1, int(m_columns.size()) - 1));
}

void TBrowseGridModel::reset()
{
    beginResetModel();
    m_rows.recount();
    m_fieldOf.clear();
    for (const Column& c : m_columns)
        m_fieldOf.append(valueIndex(c.field));
    m_markIndex = m_markField.isEmpty() ? -1 : valueIndex(m_markField);
    endResetModel();
}

int TBrowseGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.rows();
}

int TBrowseGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString TBrowseGridModel::displayText(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    if (value.typeId() == QMetaType::Double) {
        const double d = value.toDouble();
        if (d == double(qint64(d)))
            return QString::number(qint64(d));
    }
    return value.toString();
}

QVariant TBrowseGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_rows.holds(index.row()))
        return {};
    const Column& column = m_columns.at(index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
    if (role == Qt::CheckStateRole) {
        if (index.column() != 0 || m_markIndex < 0)
            return {};
        return m_rows.values(index.row()).value(m_markIndex).toBool() ? Qt::Checked : Qt::Unchecked;
    }
    if (role != Qt::DisplayRole && role != Qt::ForegroundRole && role != Qt::BackgroundRole)
        return {};
    const QVariantList& values = m_rows.values(index.row());
    if (role == Qt::DisplayRole) {
        const int field = m_fieldOf.at(index.column());
        return field >= 0 ? displayText(values.value(field)) : QString();
    }
    if (!m_style || values.isEmpty())
        return {};
    const ParDilyRules::CellColours colours = m_style(values);
    const QColor& colour = role == Qt::ForegroundRole ? colours.text : colours.background;
    return colour.isValid() ? QVariant(QBrush(colour)) : QVariant();
}

QVariant TBrowseGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_columns.at(section).title;
    return {};
}
