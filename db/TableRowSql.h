#pragma once

#include "db/FieldDef.h"

#include <QList>
#include <QString>

// The statements a dataset runs on single rows of its SQLite table, found by
// row id: read a row, insert, update, find a row again by all its values,
// delete. Names are quoted; values are bound as ?1..?n, never written into
// the text (only a row id, a number, is).
class TableRowSql
{
public:
    TableRowSql(const QString& sqlName, const QList<FieldDef>& fields)
        : m_sqlName(sqlName), m_fields(fields)
    {
    }

    // The quoted field names joined by commas.
    QString columns() const;
    // "SELECT <fields> FROM <table> WHERE rowid = ?".
    QString selectRow() const;
    // "INSERT INTO <table> (<fields>) VALUES (?1,..,?n)".
    QString insertRow() const;
    // "UPDATE <table> SET f1=?1,..,fn=?n WHERE rowid = ?n+1".
    QString updateRow() const;
    // "SELECT rowid FROM <table> WHERE f1 IS ?1 AND .. LIMIT 1": a row found
    // again by its values (NULLs match NULLs).
    QString findRow() const;
    QString deleteRow(qint64 rowid) const;

private:
    QString table() const;

    QString m_sqlName;
    QList<FieldDef> m_fields;
};
