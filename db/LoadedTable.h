#pragma once

#include "db/FileStamp.h"
#include "db/TableSchema.h"

#include <QSet>

// A table file held in the engine's SQLite database. The file's stamp
// (size, modification and status change times, inode) tells when it changed
// on disk; size -1: not loaded.
struct LoadedTable
{
    QString path;    // directory canonical, file name as on disk
    QString sqlName; // table name in SQLite
    TableSchema schema;
    FileStamp stamp;
    quint64 generation = 0; // grows with every reload and change
    quint64 loads = 0;      // grows with every (re)load: SQLite row ids change
    bool uniqueKey = false; // the primary key is enforced by a unique index
    QString primaryIndexName;
    QList<IndexDef> secondaryIndexes;
    QSet<QString> sqlIndexes; // field lists with an SQLite index

    const QList<FieldDef>& fields() const { return schema.fields; }
    QStringList keyFields() const;
    bool hasTextField(const QStringList& names) const;
    // The quoted column of a field as an ordering term: text fields sort in
    // Czech alphabetical order (collation CS), others as stored.
    QString orderColumn(const QString& name) const;
};
