#include "db/Table.h"

#include "base/ETalvekException.h"
#include "db/Engine.h"
#include "db/TableWriteGuard.h"

#include <QFileInfo>

Table::Table(QObject* parent) : Dataset(parent) {}

QString Table::resolvedPath(bool mustExist) const
{
    Engine& engine = Engine::instance();
    return engine.tablePath(engine.directoryOf(m_database), m_tableName, mustExist);
}

QString Table::filePath() const
{
    return resolvedPath(false);
}

bool Table::exists() const
{
    return QFileInfo::exists(resolvedPath(false));
}

void Table::doOpen()
{
    Engine& engine = Engine::instance();
    m_path = resolvedPath(true);
    m_lookups.clear();
    LoadedTable& t = engine.table(m_path);
    setSource(t.sqlName, QString(), t.fields(), &t);
    resolveOrder();
}

void Table::doClose()
{
    m_lookups.clear();
}

void Table::doRefresh()
{
    m_lookups.clear();
    LoadedTable& t = Engine::instance().table(m_path);
    setSource(t.sqlName, QString(), t.fields(), &t);
    resolveOrder();
}

void Table::resolveOrder()
{
    LoadedTable* t = loadedTable();
    if (!t)
        return;
    QStringList fields;
    if (!m_indexFieldNames.isEmpty()) {
        fields = m_indexFieldNames.split(u';', Qt::SkipEmptyParts);
    } else if (!m_indexName.isEmpty()) {
        if (m_indexName.compare(t->primaryIndexName, Qt::CaseInsensitive) == 0)
            fields = t->keyFields();
        for (const IndexDef& index : std::as_const(t->secondaryIndexes))
            if (fields.isEmpty() && index.name.compare(m_indexName, Qt::CaseInsensitive) == 0)
                fields = index.fields;
        // A single-field index of these tables carries the field's name.
        if (fields.isEmpty() && FieldTypes::indexOf(t->fields(), m_indexName) >= 0)
            fields = QStringList{m_indexName};
        if (fields.isEmpty())
            throw ETalvekException(
                QStringLiteral("Index '%1' tabulky '%2' neexistuje").arg(m_indexName, tableName()));
    } else {
        fields = t->keyFields();
    }
    for (QString& f : fields) {
        f = f.trimmed();
        const int index = FieldTypes::indexOf(t->fields(), f);
        if (index < 0)
            throw ETalvekException(
                QStringLiteral("Položka '%1' v tabulce '%2' neexistuje").arg(f, tableName()));
        f = t->fields()[index].name;
    }
    m_orderFields = fields;
    Engine::instance().ensureOrderIndex(*t, fields);
}

void Table::rebuildAndNotify()
{
    if (!isActive())
        return;
    checkBrowse();
    rebuildView();
    first();
    emit viewChanged();
}

void Table::setIndexName(const QString& name)
{
    m_indexName = name.trimmed();
    m_indexFieldNames.clear();
    if (isActive()) {
        resolveOrder();
        rebuildAndNotify();
    }
}

void Table::setIndexFieldNames(const QString& fields)
{
    m_indexFieldNames = fields.trimmed();
    m_indexName.clear();
    if (isActive()) {
        resolveOrder();
        rebuildAndNotify();
    }
}

QStringList Table::orderTerms() const
{
    QStringList terms;
    for (const QString& f : m_orderFields)
        terms.append(orderColumn(f));
    return terms;
}

QString Table::orderColumn(const QString& field) const
{
    // Comparisons on text fields use the order's collation so that nearest
    // lookups and ranges agree with the row order; it tells two texts equal
    // only when they are identical, so exact lookups stay exact.
    const LoadedTable* t = loadedTable();
    return t ? t->orderColumn(field) : SqliteDatabase::quoteIdentifier(field);
}

QString Table::keyCondition(const QVariantList& key, const QString& op, QVariantMap& params,
                            const QString& prefix) const
{
    const int n = int(qMin(key.size(), m_orderFields.size()));
    if (key.size() > m_orderFields.size())
        throw ETalvekException(
            QStringLiteral("Klíč má více hodnot, než má index tabulky '%1' položek")
                .arg(tableName()));
    if (n == 0)
        return QString();
    QStringList columns;
    QStringList values;
    for (int i = 0; i < n; ++i) {
        columns.append(orderColumn(m_orderFields[i]));
        const QString name = QStringLiteral(":%1%2").arg(prefix).arg(i);
        params.insert(name, key[i]);
        values.append(name);
    }
    if (n == 1)
        return columns[0] + u' ' + op + u' ' + values[0];
    return QStringLiteral("(%1) %2 (%3)").arg(columns.join(u','), op, values.join(u','));
}

QString Table::viewCondition(QVariantMap& params) const
{
    QStringList parts;
    if (m_ranged) {
        const QString low = keyCondition(m_rangeStart, QStringLiteral(">="), params, "rs");
        const QString high = keyCondition(m_rangeEnd, QStringLiteral("<="), params, "re");
        if (!low.isEmpty())
            parts.append(low);
        if (!high.isEmpty())
            parts.append(high);
    }
    if (m_master && m_master->isActive()) {
        QVariantList values;
        for (const QString& f : m_masterFields)
            values.append(m_master->isEmpty() ? QVariant() : m_master->value(f));
        // An empty master or a blank link value shows no detail rows.
        QStringList columns;
        for (int i = 0; i < values.size(); ++i) {
            const QString name = QStringLiteral(":ml%1").arg(i);
            params.insert(name, values[i]);
            columns.append(orderColumn(m_orderFields.value(i)) + QStringLiteral(" = ") + name);
        }
        parts.append(columns.join(QStringLiteral(" AND ")));
    }
    return parts.join(QStringLiteral(" AND "));
}

SqliteStatement& Table::lookupStatement(int keyCount, bool nearest)
{
    // The view's part of a lookup is fixed until the view is rebuilt: the
    // statement is prepared and its view parameters bound once per view.
    if (m_lookupVersion != viewVersion()) {
        m_lookups.clear();
        m_lookupVersion = viewVersion();
    }
    std::unique_ptr<SqliteStatement>& slot = m_lookups[{keyCount, nearest}];
    if (!slot) {
        QVariantMap params = viewParams();
        QVariantList placeholders;
        for (int i = 0; i < keyCount; ++i)
            placeholders.append(QVariant());
        QString sql = viewRowidSql();
        const QString condition = keyCondition(
            placeholders, nearest ? QStringLiteral(">=") : QStringLiteral("="), params, "k");
        if (!condition.isEmpty())
            sql += (viewConditioned() ? QStringLiteral(" AND ") : QStringLiteral(" WHERE ")) +
                   condition;
        sql += QStringLiteral(" ORDER BY ") + (orderTerms() << QStringLiteral("rowid")).join(u',') +
               QStringLiteral(" LIMIT 1");
        slot = std::make_unique<SqliteStatement>(Engine::instance().db().handle(), sql);
        bindParams(*slot, params);
    }
    return *slot;
}

bool Table::lookup(const QVariantList& key, bool nearest, qint64& rowid)
{
    checkActive();
    checkBrowse();
    if (key.size() > m_orderFields.size())
        throw ETalvekException(
            QStringLiteral("Klíč má více hodnot, než má index tabulky '%1' položek")
                .arg(tableName()));
    SqliteStatement& stmt = lookupStatement(int(key.size()), nearest);
    for (int i = 0; i < key.size(); ++i)
        stmt.bind(stmt.parameterIndex(QStringLiteral(":k%1").arg(i)), key[i]);
    const bool found = stmt.step();
    rowid = found ? stmt.int64(0) : 0;
    stmt.reset();
    return found;
}

bool Table::findKey(const QVariantList& key)
{
    qint64 rowid = 0;
    return lookup(key, false, rowid) && moveToRowid(rowid);
}

void Table::findNearest(const QVariantList& key)
{
    qint64 rowid = 0;
    if (!lookup(key, true, rowid) || !moveToRowid(rowid))
        last();
}

void Table::setRange(const QVariantList& start, const QVariantList& end)
{
    m_ranged = true;
    m_rangeStart = start;
    m_rangeEnd = end;
    rebuildAndNotify();
}

void Table::cancelRange()
{
    m_ranged = false;
    m_rangeStart.clear();
    m_rangeEnd.clear();
    rebuildAndNotify();
}

void Table::setMasterSource(Dataset* master, const QString& masterFields)
{
    if (m_master)
        disconnect(m_master, nullptr, this, nullptr);
    m_master = master;
    m_masterFields = masterFields.split(u';', Qt::SkipEmptyParts);
    for (QString& f : m_masterFields)
        f = f.trimmed();
    if (master) {
        connect(master, &Dataset::currentChanged, this, &Table::applyMasterLink);
        connect(master, &Dataset::viewChanged, this, &Table::applyMasterLink);
    }
    applyMasterLink();
}

void Table::applyMasterLink()
{
    if (!isActive())
        return;
    if (m_master && m_masterFields.size() > m_orderFields.size())
        throw ETalvekException(
            QStringLiteral("Vazba tabulky '%1' má více položek než její index").arg(tableName()));
    rebuildAndNotify();
}

QList<IndexDef> Table::indexDefs() const
{
    LoadedTable* t = loadedTable();
    if (!t)
        return m_indexDefs;
    QList<IndexDef> result;
    if (t->schema.keyFieldCount > 0)
        result.append(IndexDef{t->primaryIndexName, t->keyFields(), true, true});
    result.append(t->secondaryIndexes);
    return result;
}

void Table::checkWriteName() const
{
    if (!m_tableName.contains(u'/') && !m_tableName.contains(u'\\'))
        return; // a plain file name stays in its directory
    TableWriteGuard::checkInside(Engine::instance().directoryOf(m_database), m_tableName);
}

void Table::createTable()
{
    close();
    checkWriteName();
    m_path = resolvedPath(false);
    Engine::instance().createTable(m_path, m_fieldDefs, m_indexDefs);
}

void Table::addIndex(const IndexDef& index)
{
    Engine& engine = Engine::instance();
    LoadedTable& t = engine.table(isActive() ? m_path : resolvedPath(true));
    engine.addIndex(t, index);
}

void Table::emptyTable()
{
    Engine& engine = Engine::instance();
    if (m_readOnly)
        throw ETalvekException(QStringLiteral("Tabulku '%1' nelze měnit").arg(tableName()));
    checkWriteName();
    LoadedTable& t = engine.table(isActive() ? m_path : resolvedPath(true));
    engine.emptyTable(t);
    if (isActive())
        rebuildAndNotify();
}

void Table::deleteTable()
{
    close();
    Engine::instance().deleteTable(resolvedPath(true));
}
