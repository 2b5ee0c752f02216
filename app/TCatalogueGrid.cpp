#include "app/TCatalogueGrid.h"

#include "app/core/DistrictCatalogue.h"
#include "db/DatasetModel.h"
#include "db/Table.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

TCatalogueGrid::TCatalogueGrid(QTableView* grid, Table* table, int nameWidth, int minimumRows,
                               Guard guard)
    : m_grid(grid), m_table(table), m_model(new DatasetModel(table, this)),
      m_guard(std::move(guard))
{
    m_model->setColumns({{QStringLiteral("NAZEV"), QStringLiteral("NAZEV")}});
    grid->setModel(m_model);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setMinimumWidth(nameWidth + grid->frameWidth() * 2 + 20);
    grid->setColumnWidth(0, nameWidth);
    grid->setMinimumHeight(grid->fontMetrics().height() * minimumRows);

    // The cursor is followed before the dialog's own handlers of the move run.
    connect(table, &Dataset::currentChanged, this, &TCatalogueGrid::syncToTable);
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_syncing = true; });
    connect(m_model, &QAbstractItemModel::modelReset, this, &TCatalogueGrid::viewChanged);
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { m_guard([&] { rowChanged(current.row()); }); });
    connect(grid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TCatalogueGrid::selectionChanged);
}

void TCatalogueGrid::setMultiSelect(bool on)
{
    m_multiSelect = on;
    m_selectedAreas.clear();
    m_grid->clearSelection();
    m_grid->setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                                : QAbstractItemView::SingleSelection);
    syncToTable();
}

QString TCatalogueGrid::areaKeyAt(int row) const
{
    const QVariantList values = m_table->rowValues(row);
    return DistrictCatalogue::areaKey(
        values.value(m_table->fieldIndex(QStringLiteral("KATUZ"))).toString(),
        values.value(m_table->fieldIndex(QStringLiteral("PORCIS"))).toString());
}

void TCatalogueGrid::selectionChanged(const QItemSelection& selected,
                                      const QItemSelection& deselected)
{
    if (m_syncing || !m_multiSelect || !m_table->isActive())
        return;
    for (const QModelIndex& index : deselected.indexes())
        m_selectedAreas.remove(areaKeyAt(index.row()));
    for (const QModelIndex& index : selected.indexes())
        m_selectedAreas.insert(areaKeyAt(index.row()));
}

void TCatalogueGrid::viewChanged()
{
    // The rows in view changed (a search or another municipality): the areas
    // chosen before stay chosen where they are still shown.
    m_syncing = true;
    if (m_multiSelect && m_table->isActive() && !m_selectedAreas.isEmpty()) {
        QItemSelection selection;
        for (int row = 0; row < m_model->rowCount(); ++row) {
            if (m_selectedAreas.contains(areaKeyAt(row)))
                selection.select(m_model->index(row, 0), m_model->index(row, 0));
        }
        m_grid->selectionModel()->select(selection,
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    m_syncing = false;
    syncToTable();
}

void TCatalogueGrid::syncToTable()
{
    if (!m_table->isActive() || m_table->isEmpty() || m_table->recNo() >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(m_table->recNo(), 0);
    const bool wasSyncing = m_syncing;
    m_syncing = true;
    m_grid->selectionModel()->setCurrentIndex(
        index, m_multiSelect ? QItemSelectionModel::NoUpdate
                             : QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_grid->scrollTo(index);
    m_syncing = wasSyncing;
}

void TCatalogueGrid::rowChanged(int row)
{
    if (m_syncing || row < 0 || !m_table->isActive() || m_table->recNo() == row)
        return;
    m_table->setRecNo(row);
}
