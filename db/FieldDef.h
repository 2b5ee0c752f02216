#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Field types the engine keeps for a table column. They follow the Paradox
// field types; dBASE columns map onto the same set.
enum class FieldType
{
    String,   // alpha, size = characters
    SmallInt, // 16-bit
    Integer,  // 32-bit
    AutoInc,
    Float, // Paradox number (double)
    Currency,
    Bcd,
    Boolean,
    Date,
    Time,
    DateTime,
    Memo,
    Blob,
};

struct FieldDef
{
    QString name;
    FieldType type = FieldType::String;
    int size = 0; // characters of a string, digits of a dBASE number
    bool required = false;
    int decimals = 0; // dBASE numbers
};

// An index of a table. The primary index is over the leading fields of the
// table (Paradox key); secondary indexes exist for the run of the program.
struct IndexDef
{
    QString name;
    QStringList fields;
    bool primary = false;
    bool unique = false;
};

namespace FieldTypes {
bool isIntegral(FieldType type);
bool isNumeric(FieldType type);
bool isText(FieldType type);
// Declared column type used in the SQLite copy of a table. The SQLite type
// affinity follows from it, and it survives into query results, so that the
// engine's type can be read back from a result column.
QString sqlDeclType(FieldType type);
// The engine's type from a declared SQLite type; unknown -> fallback.
FieldType fromSqlDeclType(const QString& declType, FieldType fallback);
// Finds a field by name, ignoring case; -1 when absent.
int indexOf(const QList<FieldDef>& fields, const QString& name);
QStringList names(const QList<FieldDef>& fields);
} // namespace FieldTypes
