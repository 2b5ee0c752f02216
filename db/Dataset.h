#pragma once

#include "db/FieldDef.h"
#include "db/SqliteStatement.h"

#include <QHash>
#include <QObject>
#include <QVariantMap>
#include <functional>
#include <vector>

struct LoadedTable;

// A cursor over rows of one SQLite table of the engine (a loaded table file
// or a query result), in the dialogs' style: first/next/eof, fields by name,
// a boolean filter, append/edit/post/cancel and calculated fields. The rows
// in view and their order are fixed when the view is built (open, refresh,
// filter, range and each change) and read lazily one row at a time.
class Dataset : public QObject
{
    Q_OBJECT

public:
    enum class State
    {
        Inactive,
        Browse,
        Edit,
        Insert
    };
    using CalcHandler = std::function<void(Dataset&)>;

    explicit Dataset(QObject* parent = nullptr);
    ~Dataset() override;

    void open();
    void close();
    bool isActive() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    void refresh(); // re-reads a changed file and rebuilds the view

    // Navigation. Position is 0-based; eof() after next() past the last row.
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty() const { return m_rowids.empty(); }
    int recordCount() const { return int(m_rowids.size()); }
    int recNo() const { return m_pos; }
    void setRecNo(int position);

    // Fields: the stored ones, then the calculated ones.
    const QList<FieldDef>& fields() const { return m_allFields; }
    int fieldCount() const { return int(m_allFields.size()); }
    int fieldIndex(const QString& name) const; // -1 when absent
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }
    QVariant value(const QString& name) const;
    QVariant value(int field) const;
    bool isNull(const QString& name) const;
    qint64 asInteger(const QString& name) const;
    double asFloat(const QString& name) const;
    QString asString(const QString& name) const;
    bool asBoolean(const QString& name) const;
    // All values of the row at a position (calculated fields filled).
    QVariantList rowValues(int position) const;
    // Every row in view, in order, as the values of the stored fields (no
    // calculated ones): one statement for the whole view, for readers that
    // go through tens of thousands of rows once. The cursor does not move.
    void forEachRow(const std::function<void(const QVariantList& values)>& each) const;

    // Calculated fields, filled per row by the owner's handler through
    // setCalculatedValue(). Define them before open().
    void addCalculatedField(const FieldDef& field);
    void setCalcHandler(CalcHandler handler) { m_calcHandler = std::move(handler); }
    const CalcHandler& calcHandler() const { return m_calcHandler; }
    void setCalculatedValue(const QString& name, const QVariant& value);

    void setFilter(const QString& filter);
    QString filter() const { return m_filterText; }
    void setFiltered(bool on);
    bool isFiltered() const { return m_filtered; }

    // Editing. Moving the cursor while editing posts first.
    void append();
    void edit();
    void setValue(const QString& name, const QVariant& value);
    void post();
    void cancel();
    void deleteRecord();
    bool canModify() const;
    // Throws when the dataset may not change its table (read-only, registry
    // table, link), with a Czech message naming it.
    void checkModifiable() const;

    // The rows in view as an SQL source: "SELECT <fields> FROM ... WHERE ..."
    // with its named parameters (calculated fields excluded).
    QString viewSql(QVariantMap& params) const;
    QString sqlTableName() const { return m_sqlName; }
    LoadedTable* loadedTable() const { return m_table; }

signals:
    void currentChanged(); // the cursor moved to another row (or its values changed)
    void viewChanged();    // rows in view changed: open, close, refresh, filter, edits

protected:
    // Subclasses bind the dataset to its SQLite table on open.
    virtual void doOpen() = 0;
    virtual void doClose() {}
    virtual void doRefresh() {}
    // Extra conditions of the view (ranges, links, query WHERE).
    virtual QString viewCondition(QVariantMap& params) const;
    // SQL ORDER BY terms of the view, without the final rowid.
    virtual QStringList orderTerms() const { return {}; }
    virtual bool writable() const { return false; }
    // Throws when the table's name as written leads out of its directory.
    virtual void checkWriteName() const {}
    virtual QString datasetName() const = 0;

    void setSource(const QString& sqlName, const QString& alias, const QList<FieldDef>& fields,
                   LoadedTable* table);
    void rebuildView();
    // "SELECT rowid FROM ... [WHERE ...]" of the current view and its
    // parameters, as of the last rebuild; the version grows with each rebuild.
    const QString& viewRowidSql() const { return m_viewRowidSql; }
    const QVariantMap& viewParams() const { return m_viewParams; }
    quint64 viewVersion() const { return m_viewVersion; }
    // The view of the last rebuild has a WHERE clause.
    bool viewConditioned() const { return m_viewConditioned; }
    bool moveToRowid(qint64 rowid);
    int positionOf(qint64 rowid) const;
    qint64 currentRowid() const;
    [[noreturn]] void fail(const QString& message) const;
    QString fromClause() const;
    static void bindParams(SqliteStatement& stmt, const QVariantMap& params);
    void checkActive() const;
    void checkBrowse();

private:
    // " FROM <source> [WHERE <conditions>]" of the rows in view.
    QString viewSource(QVariantMap& params, bool& conditioned) const;
    const QVariantList& currentRow() const;
    QVariantList fetchRow(qint64 rowid) const;
    void setPosition(int position);
    void leaveEditState();
    // The row id of a row read as `original` when the table had been loaded
    // `loads` times; fails with a Czech message when another writer changed
    // or removed the row meanwhile.
    qint64 rowidSince(qint64 rowid, const QVariantList& original, quint64 loads) const;
    [[noreturn]] void failChangedMeanwhile() const;
    // Engine::runChange for this dataset's table, keeping the view in step
    // when the table had to be read again and the change then failed.
    void runTracked(const QList<LoadedTable*>& changed, const std::function<void()>& change);
    void checkRequired() const;
    int checkedIndex(const QString& name) const;

    State m_state = State::Inactive;
    QString m_sqlName;
    QString m_alias;
    LoadedTable* m_table = nullptr;
    QList<FieldDef> m_dataFields;
    QList<FieldDef> m_calcFields;
    QList<FieldDef> m_allFields;
    std::vector<qint64> m_rowids;
    mutable QHash<qint64, int> m_positionOf;
    int m_pos = 0;
    bool m_eof = true;
    bool m_bof = true;
    mutable int m_cachedPos = -1;
    mutable QVariantList m_cachedRow;
    mutable SqliteStatement m_rowStatement;
    mutable QVariantList* m_calcRow = nullptr;
    QVariantList m_editBuffer;
    qint64 m_editRowid = 0;
    QVariantList m_editOriginal; // the edited row as read, to find it again
    quint64 m_editLoads = 0;
    CalcHandler m_calcHandler;
    QString m_filterText;
    bool m_filtered = false;
    QString m_viewRowidSql;
    QVariantMap m_viewParams;
    bool m_viewConditioned = false;
    quint64 m_viewVersion = 0;
};
