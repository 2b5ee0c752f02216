#pragma once

#include "browse/core/TMarkSummary.h"

#include <QObject>
#include <functional>

class QLabel;
class QTableView;
class TBrowseGridModel;
class TBrowseTables;

// The parts grid of the browser: the model over the work table with the mark
// column and the row colours, the selection kept on the current part, and
// the marks, changed by a double click, Space (toggle), Insert (mark and
// move down) and the mark button, counted in the line under the grid. A
// click on a column title sorts the parts by it.
class TPartsGrid : public QObject
{
    Q_OBJECT

public:
    // Runs an action of the user, showing its ETalvekException.
    using Guard = std::function<void(const std::function<void()>&)>;

    TPartsGrid(QTableView* view, QLabel* summary, TBrowseTables& tables, Guard guard,
               QObject* parent);

    TBrowseGridModel* Model() const { return m_model; }
    // Parcel view: the parts of the parcel `parcislo` are shown yellow.
    void ShowParcel(bool parcelView, const QString& parcislo);
    // Counts the marks of the work table again.
    void ReadMarks(const QString& workTablePath);
    // Sets or clears every mark; the count is read again.
    void MarkAll(bool mark, const QString& workTablePath);
    // Inverts the mark of the part at `row` (double click) or of the current
    // one (Space); Insert marks the current part and moves to the next.
    void ToggleMark(int row);
    void ToggleCurrentMark();
    void MarkCurrentAndNext();
    // Sorts by the column's field; throws for a column that cannot be sorted.
    void SortByColumn(int column);
    // Selects the current part's row.
    void SyncToDataset();

    // The common look of the browser's grids: whole rows, no editing, no row
    // numbers, columns as wide as their width in digits or their title.
    static void SetupView(QTableView* view, TBrowseGridModel* model);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rowChosen(int row);
    void setMark(int row, std::optional<bool> mark);

    QTableView* m_view;
    QLabel* m_summary;
    TBrowseTables& m_tables;
    Guard m_guard;
    TBrowseGridModel* m_model = nullptr;
    TMarkSummary m_marks;
    bool m_parcelView = false;
    QString m_parcel;
    bool m_syncing = false;
};
