#pragma once

#include "db/TableSchema.h"

class SqliteDatabase;

// dBASE files <-> SQLite tables, through shapelib's DBF API. Text is code
// page 1250 (language driver id 200).
class DbfTableIO
{
public:
    static TableSchema load(const QString& path, SqliteDatabase& db, const QString& sqlName);
    static void save(const QString& path, const TableSchema& schema, SqliteDatabase& db,
                     const QString& sqlName);
};
