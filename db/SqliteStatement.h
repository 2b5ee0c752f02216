#pragma once

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

// One prepared SQLite statement. Errors raise ETalvekException with the
// engine's message. Move-only.
class SqliteStatement
{
public:
    SqliteStatement() = default;
    SqliteStatement(sqlite3* db, const QString& sql);
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    ~SqliteStatement();

    bool isValid() const { return m_stmt != nullptr; }
    sqlite3_stmt* handle() const { return m_stmt; }

    // Parameters are numbered from 1, as in SQLite.
    void bind(int index, const QVariant& value);
    void bindNull(int index);
    void bindInt64(int index, qint64 value);
    void bindDouble(int index, double value);
    void bindText(int index, const QString& text);
    void bindAll(const QVariantList& values); // parameters 1..n
    int parameterCount() const;
    int parameterIndex(const QString& name) const; // 0 when absent

    // Runs one step: true when a row is there.
    bool step();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QString columnDeclType(int column) const;
    bool isNull(int column) const;
    qint64 int64(int column) const;
    double real(int column) const;
    QString text(int column) const;
    QVariant value(int column) const; // NULL -> invalid QVariant

private:
    void check(int rc) const;

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};
