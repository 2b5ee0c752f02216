#include "data/SelectionHistory.h"

#include "data/WorkTable.h"
#include "db/Engine.h"
#include "db/Table.h"

SelectionHistory::SelectionHistory(Table& work)
    : m_work(work), m_directory(Engine::instance().directoryOf(work.databaseName()))
{
}

SelectionHistory::~SelectionHistory()
{
    try {
        close();
    } catch (...) {
        // Leftover history tables do no harm: the next history overwrites them.
    }
}

void SelectionHistory::start(const QString& startLine)
{
    m_lines = {startLine};
    m_count = 0;
}

void SelectionHistory::bindHistoryTable(Table& table, int n) const
{
    table.setDatabaseName(m_directory);
    table.setTableName(HistoryTableName(n));
}

bool SelectionHistory::step(const std::function<void()>& apply,
                            const std::function<QString()>& describe)
{
    if (!canStep())
        return false;
    Table saved;
    bindHistoryTable(saved, m_count);
    CreateWorkTable(saved);
    // All rows of the work file, whatever view the caller's table object has.
    Table current;
    current.setDatabaseName(m_work.databaseName());
    current.setTableName(m_work.tableName());
    CopyIntoWork(current, saved, BatchMove::Mode::Append);
    saved.close();
    apply();
    m_lines.append(describe());
    ++m_count;
    return true;
}

void SelectionHistory::recall(int i)
{
    if (i < 0 || i >= m_count)
        return;
    Table saved;
    bindHistoryTable(saved, i);
    saved.open();
    CreateWorkTable(m_work);
    CopyIntoWorkAndMark(saved, m_work, BatchMove::Mode::Append);
    saved.close();
    while (m_count > i) {
        m_lines.removeAt(m_count);
        --m_count;
        Table old;
        bindHistoryTable(old, m_count);
        old.deleteTable();
    }
}

void SelectionHistory::clear(const std::function<QString()>& startLine)
{
    CreateWorkTable(m_work);
    m_count = 0;
    m_lines = {startLine()};
    DeleteHistoryTables(m_directory);
}

void SelectionHistory::close()
{
    DeleteHistoryTables(m_directory);
}
