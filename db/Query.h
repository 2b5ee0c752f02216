#pragma once

#include "db/Dataset.h"
#include "db/SqlTranslator.h"

#include <QStringList>

// A statement of the program's SQL dialect on a database (alias or
// directory). A SELECT is opened and read like a table; its rows are copied
// into a result table, except for "SELECT * FROM one table [WHERE] [ORDER BY]"
// whose rows are read and changed in place. Other statements are executed
// and return the number of rows they changed; CREATE TABLE creates a Paradox
// (.db) or dBASE (.dbf) file. Values from the user go in as named parameters
// (":NAME") and never into the text.
class Query : public Dataset
{
    Q_OBJECT

public:
    explicit Query(QObject* parent = nullptr);
    ~Query() override;

    void setDatabaseName(const QString& database) { m_database = database; }
    QString databaseName() const { return m_database; }
    // The statement as lines (joined by line breaks).
    void setSql(const QStringList& lines);
    void setSql(const QString& text) { setSql(QStringList{text}); }
    const QStringList& sql() const { return m_sql; }
    void setSqlLine(int line, const QString& text);
    void bindValue(const QString& name, const QVariant& value);
    void clearBindings() { m_bindings.clear(); }

    // Runs a statement that returns no rows; the number of changed rows.
    int execSql();

protected:
    void doOpen() override;
    void doClose() override;
    void doRefresh() override;
    QString viewCondition(QVariantMap& params) const override;
    QStringList orderTerms() const override;
    bool writable() const override { return m_live; }
    QString datasetName() const override;

private:
    // `target`, when given, receives the first table name as written.
    SqlTranslator::Result translate(QString* target = nullptr) const;
    void openLive(const SqlTranslator::Result& result);
    void openCopy(const SqlTranslator::Result& result);
    void dropResultTable();
    static void indexEqualityColumns(const SqlTranslator::Result& result);
    QVariantMap bindingsFor(const QString& sql) const;

    QString m_database;
    QStringList m_sql;
    QVariantMap m_bindings;
    bool m_live = false;
    QString m_liveWhere;
    QString m_liveOrder;
    QString m_resultTable;
};
