#pragma once

#include "db/FieldDef.h"
#include "db/SqlTokenizer.h"

#include <QMap>
#include <QSet>
#include <functional>

// Translates a statement of the program's SQL dialect into SQLite SQL, token
// by token. Table names are Paradox (or dBASE) file names in double quotes,
// relative to the query's database or full paths with either separator; the
// resolver maps each to the SQLite table that holds its rows. 'A'.'B' are
// identifiers; TRUE/FALSE and 'T'/'F' next to a logical field are booleans;
// SUM of an empty set reads 0. CREATE TABLE is parsed into field definitions.
class SqlTranslator
{
public:
    enum class Kind
    {
        Select,
        Update,
        Delete,
        Insert,
        CreateTable
    };

    struct TableInfo
    {
        QString path;
        QString sqlName;
        QList<FieldDef> fields;
    };
    using Resolver = std::function<TableInfo(const QString& fileName)>;

    struct Result
    {
        Kind kind = Kind::Select;
        QString sql;            // SQLite text (not for CREATE TABLE)
        QStringList tablePaths; // every table the statement reads or writes
        QString targetPath;     // the table an UPDATE, DELETE or INSERT changes
        QString createFileName; // CREATE TABLE: the file name as written
        QList<FieldDef> createFields;
        int createKeyFieldCount = 0;
        // SELECT * FROM one table [WHERE ...] [ORDER BY ...]: the rows can be
        // read and changed in place.
        bool live = false;
        QString liveAlias;
        QString liveWhere;
        QString liveOrder;
        // Columns compared for equality with a constant ("DRUHPOZ = 13"):
        // worth an index when the statement is repeated with other values.
        QStringList equalityColumns;
    };

    static Result translate(const QString& sql, const Resolver& resolver);

private:
    SqlTranslator(const QString& source, QList<SqlToken> tokens, const Resolver& resolver);
    Result run();
    void parseCreateTable(Result& result);
    FieldDef parseColumn(int& i);
    void findTableRefs();
    int tableRefAt(int i);
    QString emitRange(int from, int to);
    QString emitToken(int& i, QList<int>& sumDepths, int& depth);
    bool isLogicalComparison(int i) const;
    bool isLogicalColumnAt(int i) const;
    bool isIdentifierString(int i) const;
    void detectLive(Result& result);
    void addSelectAliases();
    void addOrderCollations();
    void collateOrderTerms(int from);
    void collateOrderTerm(int from, int to);
    QStringList equalityColumns() const;

    struct TableRef
    {
        int first = 0;
        int count = 0;
        QString replacement;
        QString alias; // correlation name, written or derived from the file name
    };

    const QString& m_source;
    QList<SqlToken> m_t;
    const Resolver& m_resolver;
    QList<TableRef> m_refs;
    QStringList m_paths;
    QSet<QString> m_logicalColumns;
    QMap<int, QString> m_aliasAfter; // token index -> text appended after it
};
