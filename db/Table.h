#pragma once

#include "db/Dataset.h"

#include <QPointer>
#include <map>
#include <memory>

// A table file bound to a database (alias or directory) and a file name.
// Orders by an index name or a field list; exact and nearest key lookups and
// inclusive key ranges work on the leading fields of the current order;
// a master link limits the rows to the master's current values.
class Table : public Dataset
{
    Q_OBJECT

public:
    explicit Table(QObject* parent = nullptr);

    void setDatabaseName(const QString& database) { m_database = database; }
    QString databaseName() const { return m_database; }
    void setTableName(const QString& fileName) { m_tableName = fileName; }
    QString tableName() const { return m_tableName; }
    void setReadOnly(bool on) { m_readOnly = on; }
    bool isReadOnly() const { return m_readOnly; }
    // The full path of the file (resolved case-insensitively when it exists).
    QString filePath() const;
    bool exists() const;

    // Order: an index name (primary or secondary, or a field name) or a
    // field list "A;B;C". Setting one clears the other. Empty: key order.
    void setIndexName(const QString& name);
    QString indexName() const { return m_indexName; }
    void setIndexFieldNames(const QString& fields);
    QStringList orderFields() const { return m_orderFields; }

    // Exact lookup on the leading fields of the order; when not found the
    // position stays and false is returned.
    bool findKey(const QVariantList& key);
    // The first row at or after the key, else the last row.
    void findNearest(const QVariantList& key);
    // Rows whose leading order fields lie between the keys, inclusive.
    void setRange(const QVariantList& start, const QVariantList& end);
    void cancelRange();

    // Master-detail link: master fields ("A;B") map by position onto the
    // leading fields of this table's order. nullptr removes the link.
    void setMasterSource(Dataset* master, const QString& masterFields);

    // Structure, for create().
    void setFieldDefs(const QList<FieldDef>& fields) { m_fieldDefs = fields; }
    void setIndexDefs(const QList<IndexDef>& indexes) { m_indexDefs = indexes; }
    QList<IndexDef> indexDefs() const;
    // Creates the file (replacing an existing one) from the definitions.
    void createTable();
    void addIndex(const IndexDef& index);
    void emptyTable();
    void deleteTable();

protected:
    void doOpen() override;
    void doRefresh() override;
    void doClose() override;
    QString viewCondition(QVariantMap& params) const override;
    QStringList orderTerms() const override;
    bool writable() const override { return !m_readOnly; }
    void checkWriteName() const override;
    QString datasetName() const override { return m_tableName; }

private:
    QString resolvedPath(bool mustExist) const;
    void resolveOrder();
    QString orderColumn(const QString& field) const;
    QString keyCondition(const QVariantList& key, const QString& op, QVariantMap& params,
                         const QString& prefix) const;
    void rebuildAndNotify();
    void applyMasterLink();
    SqliteStatement& lookupStatement(int keyCount, bool nearest);
    bool lookup(const QVariantList& key, bool nearest, qint64& rowid);

    QString m_database;
    QString m_tableName;
    bool m_readOnly = false;
    QString m_indexName;
    QString m_indexFieldNames;
    QStringList m_orderFields;
    bool m_ranged = false;
    QVariantList m_rangeStart;
    QVariantList m_rangeEnd;
    QPointer<Dataset> m_master;
    QStringList m_masterFields;
    QList<FieldDef> m_fieldDefs;
    QList<IndexDef> m_indexDefs;
    QString m_path;
    std::map<std::pair<int, bool>, std::unique_ptr<SqliteStatement>> m_lookups;
    quint64 m_lookupVersion = 0;
};
