#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <functional>

class DatasetModel;
class QItemSelection;
class QTableView;
class Table;

// One grid of the catalogue dialog over one catalogue table: shows the name
// column, keeps the grid's current row and the table's cursor in step both
// ways and, with multiple selection on, keeps the chosen areas by area
// (KATUZ + PORCIS) across filters, so that the areas chosen before a search
// stay chosen where they are shown again.
class TCatalogueGrid : public QObject
{
    Q_OBJECT

public:
    // Runs a step that may throw, showing its error to the user.
    using Guard = std::function<void(const std::function<void()>&)>;

    // Sets `grid` up over `table`: `nameWidth` pixels for the name column,
    // at least `minimumRows` rows high. Neither is owned.
    TCatalogueGrid(QTableView* grid, Table* table, int nameWidth, int minimumRows, Guard guard);

    DatasetModel* model() const { return m_model; }
    // Moves the grid's current row onto the table's cursor.
    void syncToTable();

    void setMultiSelect(bool on);
    bool multiSelect() const { return m_multiSelect; }
    const QSet<QString>& selectedAreas() const { return m_selectedAreas; }

private:
    void rowChanged(int row);
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void viewChanged();
    QString areaKeyAt(int row) const;

    QTableView* m_grid;
    Table* m_table;
    DatasetModel* m_model;
    Guard m_guard;
    bool m_multiSelect = false;
    QSet<QString> m_selectedAreas; // DistrictCatalogue::areaKey of each chosen area
    bool m_syncing = false;
};
