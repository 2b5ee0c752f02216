#include "db/TableRowSql.h"

#include "db/SqliteDatabase.h"

#include <QStringList>

QString TableRowSql::table() const
{
    return SqliteDatabase::quoteIdentifier(m_sqlName);
}

QString TableRowSql::columns() const
{
    QStringList names;
    for (const FieldDef& f : m_fields)
        names.append(SqliteDatabase::quoteIdentifier(f.name));
    return names.join(u',');
}

QString TableRowSql::selectRow() const
{
    // Joined, not formatted: a field name may hold "%1".
    return QStringLiteral("SELECT ") + columns() + QStringLiteral(" FROM ") + table() +
           QStringLiteral(" WHERE rowid = ?");
}

QString TableRowSql::insertRow() const
{
    QStringList marks;
    for (int i = 0; i < m_fields.size(); ++i)
        marks.append(QStringLiteral("?%1").arg(i + 1));
    return QStringLiteral("INSERT INTO ") + table() + QStringLiteral(" (") + columns() +
           QStringLiteral(") VALUES (") + marks.join(u',') + u')';
}

QString TableRowSql::updateRow() const
{
    QStringList sets;
    for (int i = 0; i < m_fields.size(); ++i)
        sets.append(SqliteDatabase::quoteIdentifier(m_fields[i].name) + QStringLiteral("=?") +
                    QString::number(i + 1));
    return QStringLiteral("UPDATE ") + table() + QStringLiteral(" SET ") + sets.join(u',') +
           QStringLiteral(" WHERE rowid = ?") + QString::number(m_fields.size() + 1);
}

QString TableRowSql::findRow() const
{
    QStringList conditions;
    for (int i = 0; i < m_fields.size(); ++i)
        conditions.append(SqliteDatabase::quoteIdentifier(m_fields[i].name) +
                          QStringLiteral(" IS ?") + QString::number(i + 1));
    return QStringLiteral("SELECT rowid FROM ") + table() + QStringLiteral(" WHERE ") +
           conditions.join(QStringLiteral(" AND ")) + QStringLiteral(" LIMIT 1");
}

QString TableRowSql::deleteRow(qint64 rowid) const
{
    return QStringLiteral("DELETE FROM ") + table() + QStringLiteral(" WHERE rowid = ") +
           QString::number(rowid);
}
