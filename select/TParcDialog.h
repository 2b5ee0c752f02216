#pragma once

#include "app/core/IApp.h"
#include "db/Table.h"
#include "select/core/TParcGridModel.h"

#include <QDialog>
#include <memory>

class QAction;
class QButtonGroup;
class QKeyEvent;
class QMenu;
class QTableView;
namespace Ui {
class TParcDialog;
}

// "Výběr parcel": the list of parcel numbers (mode 0), house numbers (mode 1)
// or the previous selection (mode 3) from which the work table is built when
// the dialog closes with "Výpis". The main window keeps one instance for the
// whole run, so the grids keep what the user typed between openings; it binds
// TablePa (the area's parcel table) and TableParc (the work table) before
// each use. Mode 2 (all parcels) fills the work table without the dialog.
class TParcDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TParcDialog(std::shared_ptr<IApp> app, QWidget* parent = nullptr);
    ~TParcDialog() override;

    Table& TablePa() { return m_tablePa; }
    Table& TableParc() { return m_tableParc; }
    void SetWorkPath(const QString& path) { m_workPath = path; }
    QString WorkPath() const { return m_workPath; }

    void SetVyber(int mode);
    int Vyber() const;
    // Shows the grid of the mode, loads the previous selection in mode 3 and
    // enables the import for modes 0 and 1. Runs on every activation.
    void VyberClick();
    // The previous-selection grid back to one empty row (reloaded on next use).
    void ClearLastFParc();

    QTableView* ParcelniCislo() const;
    QTableView* PopisneCislo() const;
    QTableView* LastFParc() const;
    QTableView* CurrentGrid() const { return m_grid; }
    TParcGridModel* CurrentModel() const;
    TParcGridModel* ModelOf(QTableView* grid) const;
    QMenu* PopupMenuParCis() const { return m_popupParCis; }
    QMenu* PopupMenuPopCis() const { return m_popupPopCis; }
    QMenu* PopupMenuImport() const { return m_popupImport; }
    QMenu* CurrentPopup() const;
    // Current cell of the current grid (row 0-based, column 1..3).
    int CurrentRow() const;
    int CurrentColumn() const;
    void SetCurrentCell(int row, int column);

    // Validation of typed cells: "Chybné číslo" (ETalvekException) with the
    // grid's current cell moved to the bad cell.
    void ValidateCell(int row, int column);
    void ValidateRow(int row);
    // Enter, Up, Down, Ctrl+Delete and Space in a grid; true when the key was
    // taken. Validation errors are thrown.
    bool ParcelniCisloKeyDown(int key, Qt::KeyboardModifiers modifiers);
    // Deletes the selected rows, or the current row.
    void DelBtnClick();
    // Opens the current grid's popup at the current cell when its column has one.
    bool OpenCellPopup();
    // An item of the group or kind popup: writes its value into the current cell.
    void PopupItemClick(QAction* item);

    // Import into the current grid (errors are thrown).
    void ImportFromFile(const QString& path);
    void ImportFromClipboard();
    void ImportLines(const QStringList& lines);

    // Builds the work table for a closing result other than Rejected and
    // decides whether the dialog may close; shows errors and warnings itself.
    bool FormCloseQuery(int result);
    // The all-parcels fill of the work table (mode 2).
    void AllParcels();

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void setupGrid(QTableView* grid, TParcGridModel* model);
    void setupPopups();
    void importFileClick();
    void importClipboardClick();
    void gridKey(int key, Qt::KeyboardModifiers modifiers);
    void gridContextMenu(QTableView* grid, const QPoint& pos);
    bool popupColumn(int column) const;
    void validateAllRows();
    void buildWorkTable();
    void moveToNextRow(bool appendAtEnd);
    template <typename F> bool guarded(F action);

    std::unique_ptr<Ui::TParcDialog> ui;
    std::shared_ptr<IApp> m_app;
    QButtonGroup* m_vyber = nullptr;
    TParcGridModel* m_parcelModel = nullptr;
    TParcGridModel* m_houseModel = nullptr;
    TParcGridModel* m_lastModel = nullptr;
    QTableView* m_grid = nullptr;
    QMenu* m_popupParCis = nullptr;
    QMenu* m_popupPopCis = nullptr;
    QMenu* m_popupImport = nullptr;
    Table m_tablePa;
    Table m_tableParc;
    QString m_workPath;
};
