#pragma once

#include "db/TableSchema.h"

class SqliteDatabase;

// Moves whole tables between their files (Paradox .DB, dBASE .dbf) and
// tables of the engine's SQLite database.
class TableFileIO
{
public:
    static bool isDbf(const QString& path);
    // Creates the SQLite table `sqlName` with the file's columns and fills it
    // in one transaction; returns the file's structure.
    static TableSchema load(const QString& path, SqliteDatabase& db, const QString& sqlName);
    // Writes all rows of `sqlName` to the file atomically (temporary file in
    // the same directory, flushed, renamed over the old one).
    static void save(const QString& path, const TableSchema& schema, SqliteDatabase& db,
                     const QString& sqlName);
    // Creates an empty table file.
    static void createEmpty(const QString& path, const TableSchema& schema);
    // Fills in the file-specific parts of a schema built from field definitions.
    static TableSchema schemaFor(const QString& path, const QList<FieldDef>& fields,
                                 int keyFieldCount);
};
