#pragma once

#include "app/core/DistrictAliasEditor.h"

#include <QAbstractTableModel>

// The district aliases for the alias manager's grid: one row per alias,
// columns "Alias" and "Adresář".
class TAliasListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setDistricts(const QList<DistrictAliasEditor::District>& districts);
    const QList<DistrictAliasEditor::District>& districts() const { return m_districts; }
    // The row of an alias (case ignored), -1 when absent.
    int rowOf(const QString& name) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QList<DistrictAliasEditor::District> m_districts;
};
