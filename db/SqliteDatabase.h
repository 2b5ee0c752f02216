#pragma once

#include "db/FieldDef.h"

#include <QString>

struct sqlite3;

// The engine's one in-process SQLite database (in memory). Tables loaded from
// files live here; nothing in it is durable, so syncing is off and the rollback
// journal (needed to undo a change whose file cannot be written) is in memory.
// Registers the helper functions the engine's SQL uses:
//   orv_cast(value, code, size)  conversion to a field's storage class
//   orv_round(value)             number to integer, half to even
// and the collation CS (Czech alphabetical order, see CzechCollation).
class SqliteDatabase
{
public:
    SqliteDatabase();
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    sqlite3* handle() const { return m_db; }
    void exec(const QString& sql);
    qint64 changes() const;
    // Rows changed since the database opened, by every statement.
    qint64 totalChanges() const;
    qint64 lastInsertRowId() const;

    // The last error of a connection as a Czech message for the user.
    static QString errorMessage(sqlite3* db);
    static QString quoteIdentifier(const QString& name);
    // "CREATE TABLE" of `sqlName` with a column of each field's declared type.
    static QString createTableSql(const QString& sqlName, const QList<FieldDef>& fields);

    // A nested transaction: rolled back unless commit() was called.
    class Savepoint
    {
    public:
        explicit Savepoint(SqliteDatabase& db);
        ~Savepoint();
        void commit();
        Savepoint(const Savepoint&) = delete;
        Savepoint& operator=(const Savepoint&) = delete;

    private:
        SqliteDatabase& m_db;
        QString m_name;
        bool m_done = false;
    };

private:
    void registerFunctions();

    sqlite3* m_db = nullptr;
    int m_savepointCounter = 0;
};
