#include "app/TAliasListModel.h"

#include <QDir>

void TAliasListModel::setDistricts(const QList<DistrictAliasEditor::District>& districts)
{
    beginResetModel();
    m_districts = districts;
    endResetModel();
}

int TAliasListModel::rowOf(const QString& name) const
{
    for (int row = 0; row < m_districts.size(); ++row)
        if (m_districts[row].name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return row;
    return -1;
}

int TAliasListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_districts.size());
}

int TAliasListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant TAliasListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_districts.size() || index.column() > 1)
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const DistrictAliasEditor::District& d = m_districts[index.row()];
    return index.column() == 0 ? d.name : QDir::toNativeSeparators(d.directory);
}

QVariant TAliasListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 1)
        return {};
    return section == 0 ? QStringLiteral("Alias") : QStringLiteral("Adresář");
}
