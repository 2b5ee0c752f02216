#pragma once

#include "db/EngineAliases.h"
#include "db/LoadedTable.h"
#include "db/SqliteDatabase.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>

// The database engine of the process: one in-memory SQLite database holding
// every table file used so far, keyed by its canonical path. A table is read
// from its file once and read again only when its FileStamp changed (size,
// modification or status change time, inode). Changes the program makes are written back to the
// file (atomically) before the call that made them returns.
class Engine
{
public:
    static Engine& instance();

    SqliteDatabase& db() { return m_db; }
    // The aliases of aliases.conf, read again when the file changed.
    EngineAliases& aliases();

    // The directory of a database name: an alias or a plain directory.
    QString directoryOf(const QString& database);
    // The full path of a table file in a directory, matching the file name
    // without regard to case; `fileName` may also be a full path with either
    // separator. Missing files raise ETalvekException unless !mustExist.
    QString tablePath(const QString& directory, const QString& fileName, bool mustExist = true);

    // The table of an existing file, loaded or reloaded as needed.
    LoadedTable& table(const QString& path);
    // Creates (or replaces) a table file from field and index definitions.
    LoadedTable& createTable(const QString& path, const QList<FieldDef>& fields,
                             const QList<IndexDef>& indexes);
    void deleteTable(const QString& path);
    void emptyTable(LoadedTable& table);
    void addIndex(LoadedTable& table, const IndexDef& index);
    // An SQLite index over the fields, for equality searches (plain order).
    void ensureIndex(LoadedTable& table, const QStringList& fields);
    // An SQLite index over the fields in the order datasets show them: text
    // fields in Czech alphabetical order (LoadedTable::orderColumn).
    void ensureOrderIndex(LoadedTable& table, const QStringList& fields);

    // Runs a change of the SQLite copies in a savepoint and writes the changed
    // tables back to their files; any failure undoes the change in memory.
    // Each table is locked for the moment (TableLock) and read again first
    // when its file changed since it was loaded (another writer): the change
    // sees the current rows, so that none of the other writer's is lost.
    void runChange(const QList<LoadedTable*>& changed, const std::function<void()>& change);
    void writeBack(LoadedTable& table);

    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

private:
    void createIndex(LoadedTable& table, const QString& key, const QStringList& columns);

private:
    Engine() = default;
    LoadedTable& load(const QString& path, LoadedTable* previous);
    void createKeyIndex(LoadedTable& table);
    void forget(LoadedTable& table);
    static bool changedOnDisk(const LoadedTable& table);
    void updateStamp(LoadedTable& table);

    SqliteDatabase m_db;
    std::map<QString, std::unique_ptr<LoadedTable>> m_tables;
    int m_counter = 0;
    EngineAliases m_aliases;
    std::optional<FileStamp> m_aliasesStamp; // of the aliases file last read
};
