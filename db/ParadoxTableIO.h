#pragma once

#include "db/TableSchema.h"

class SqliteDatabase;

// Paradox files <-> SQLite tables, through the reader's typed record access.
class ParadoxTableIO
{
public:
    static TableSchema load(const QString& path, SqliteDatabase& db, const QString& sqlName);
    static void save(const QString& path, const TableSchema& schema, SqliteDatabase& db,
                     const QString& sqlName);
    static FieldDef fieldDef(const ParadoxField& field);
    static ParadoxField paradoxField(const FieldDef& field);
};
