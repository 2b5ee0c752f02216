#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class Table;

// The step-by-step history of the work table kept by the selection by
// conditions. Before each step the work table is saved as history table
// "PRAC_" + n + ".DB" beside it; the list holds one line per state (line 0
// the starting state, line k the state after step k), so that any earlier
// state can be recalled. History tables live only as long as this object:
// close() (or the destructor) deletes them.
class SelectionHistory
{
public:
    static constexpr int MaxTables = 100;

    // `work` is the open work table "PRAC.DB", owned by the caller.
    explicit SelectionHistory(Table& work);
    ~SelectionHistory();
    SelectionHistory(const SelectionHistory&) = delete;
    SelectionHistory& operator=(const SelectionHistory&) = delete;

    // Starts the list with the line of the current (starting) state.
    void start(const QString& startLine);

    const QStringList& lines() const { return m_lines; }
    int tableCount() const { return m_count; }
    bool canStep() const { return m_count < MaxTables; }
    QString directory() const { return m_directory; }

    // One step: saves the work table as history table n, runs `apply` (which
    // changes the work table), then appends the line `describe` gives (it may
    // count the new state) and n grows by one. When `apply` throws, the saved
    // table stays for the next step to overwrite, no line is added and n is
    // unchanged; the exception passes on. Returns false, doing nothing, when
    // MaxTables steps have been taken.
    bool step(const std::function<void()>& apply, const std::function<QString()>& describe);

    // Makes the work table the state of line i and forgets the later lines
    // and their tables. Recalling the newest line (i >= n) does nothing.
    void recall(int i);

    // Empties the work table, deletes the history tables and restarts the
    // list with the line `startLine` gives for the empty table.
    void clear(const std::function<QString()>& startLine);

    // Deletes the history tables (the list is kept).
    void close();

private:
    void bindHistoryTable(Table& table, int n) const;

    Table& m_work;
    QString m_directory;
    QStringList m_lines;
    int m_count = 0;
};
