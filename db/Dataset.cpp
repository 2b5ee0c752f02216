#include "db/Dataset.h"

#include "base/ETalvekException.h"
#include "db/Engine.h"
#include "db/FilterTranslator.h"
#include "db/ValueConvert.h"

Dataset::Dataset(QObject* parent) : QObject(parent) {}

Dataset::~Dataset() = default;

void Dataset::fail(const QString& message) const
{
    throw ETalvekException(message);
}

void Dataset::checkActive() const
{
    if (m_state == State::Inactive)
        fail(QStringLiteral("Tabulka '%1' není otevřena").arg(datasetName()));
}

void Dataset::open()
{
    if (isActive())
        return;
    doOpen();
    m_state = State::Browse;
    try {
        rebuildView();
    } catch (...) {
        m_state = State::Inactive;
        throw;
    }
    setPosition(0);
    emit viewChanged();
}

void Dataset::close()
{
    if (!isActive())
        return;
    m_state = State::Inactive;
    m_rowids.clear();
    m_positionOf.clear();
    m_cachedPos = -1;
    m_rowStatement = SqliteStatement();
    m_editBuffer.clear();
    m_eof = m_bof = true;
    doClose();
    emit viewChanged();
}

void Dataset::setSource(const QString& sqlName, const QString& alias, const QList<FieldDef>& fields,
                        LoadedTable* table)
{
    m_sqlName = sqlName;
    m_alias = alias;
    m_dataFields = fields;
    m_table = table;
    m_allFields = m_dataFields + m_calcFields;
    m_rowStatement = SqliteStatement();
}

QString Dataset::fromClause() const
{
    QString from = SqliteDatabase::quoteIdentifier(m_sqlName);
    if (!m_alias.isEmpty())
        from += QStringLiteral(" AS ") + SqliteDatabase::quoteIdentifier(m_alias);
    return from;
}

void Dataset::bindParams(SqliteStatement& stmt, const QVariantMap& params)
{
    for (auto it = params.begin(); it != params.end(); ++it) {
        const int index = stmt.parameterIndex(it.key());
        if (index > 0)
            stmt.bind(index, it.value());
    }
}

QString Dataset::viewCondition(QVariantMap&) const
{
    return QString();
}

QString Dataset::viewSql(QVariantMap& params) const
{
    checkActive();
    QStringList conditions;
    const QString own = viewCondition(params);
    if (!own.isEmpty())
        conditions.append(u'(' + own + u')');
    if (m_filtered && !m_filterText.trimmed().isEmpty())
        conditions.append(u'(' + FilterTranslator::translate(m_filterText, m_dataFields, params) +
                          u')');
    QStringList columns;
    for (const FieldDef& f : m_dataFields)
        columns.append(SqliteDatabase::quoteIdentifier(f.name));
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(columns.join(u','), fromClause());
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    return sql;
}

void Dataset::rebuildView()
{
    QVariantMap params;
    QString sql = viewSql(params);
    // Replace the column list by the rowid: the view is kept as row ids.
    const int from = sql.indexOf(QStringLiteral(" FROM "));
    sql = QStringLiteral("SELECT rowid") + sql.mid(from);
    m_viewRowidSql = sql;
    m_viewParams = params;
    ++m_viewVersion;
    QStringList order = orderTerms();
    order.append(QStringLiteral("rowid"));
    sql += QStringLiteral(" ORDER BY ") + order.join(u',');
    SqliteStatement stmt(Engine::instance().db().handle(), sql);
    bindParams(stmt, params);
    m_rowids.clear();
    while (stmt.step())
        m_rowids.push_back(stmt.int64(0));
    m_positionOf.clear();
    m_cachedPos = -1;
}

int Dataset::positionOf(qint64 rowid) const
{
    if (m_positionOf.isEmpty() && !m_rowids.empty()) {
        m_positionOf.reserve(qsizetype(m_rowids.size()));
        for (int i = 0; i < int(m_rowids.size()); ++i)
            m_positionOf.insert(m_rowids[i], i);
    }
    return m_positionOf.value(rowid, -1);
}

qint64 Dataset::currentRowid() const
{
    return m_rowids.empty() ? 0 : m_rowids[size_t(m_pos)];
}

bool Dataset::moveToRowid(qint64 rowid)
{
    const int position = positionOf(rowid);
    if (position < 0)
        return false;
    setPosition(position);
    return true;
}

void Dataset::setPosition(int position)
{
    const int count = recordCount();
    m_pos = count == 0 ? 0 : qBound(0, position, count - 1);
    m_eof = m_bof = count == 0;
    emit currentChanged();
}

void Dataset::refresh()
{
    checkActive();
    checkBrowse();
    const qint64 rowid = currentRowid();
    const int position = m_pos;
    doRefresh();
    rebuildView();
    if (!moveToRowid(rowid))
        setPosition(position);
    emit viewChanged();
}

void Dataset::checkBrowse()
{
    if (m_state == State::Edit || m_state == State::Insert)
        post();
}

void Dataset::first()
{
    checkActive();
    checkBrowse();
    setPosition(0);
    m_bof = true;
}

void Dataset::last()
{
    checkActive();
    checkBrowse();
    setPosition(recordCount() - 1);
    m_eof = true;
}

void Dataset::next()
{
    checkActive();
    checkBrowse();
    if (m_pos + 1 >= recordCount()) {
        m_eof = true;
        return;
    }
    setPosition(m_pos + 1);
}

void Dataset::prior()
{
    checkActive();
    checkBrowse();
    if (m_pos <= 0) {
        m_bof = true;
        return;
    }
    setPosition(m_pos - 1);
}

void Dataset::setRecNo(int position)
{
    checkActive();
    checkBrowse();
    setPosition(position);
}

int Dataset::fieldIndex(const QString& name) const
{
    return FieldTypes::indexOf(m_allFields, name);
}

int Dataset::checkedIndex(const QString& name) const
{
    const int index = fieldIndex(name);
    if (index < 0)
        fail(QStringLiteral("Položka '%1' v tabulce '%2' neexistuje").arg(name, datasetName()));
    return index;
}

QVariantList Dataset::fetchRow(qint64 rowid) const
{
    if (!m_rowStatement.isValid()) {
        QStringList columns;
        for (const FieldDef& f : m_dataFields)
            columns.append(SqliteDatabase::quoteIdentifier(f.name));
        m_rowStatement = SqliteStatement(
            Engine::instance().db().handle(),
            QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                .arg(columns.join(u','), SqliteDatabase::quoteIdentifier(m_sqlName)));
    }
    QVariantList row;
    row.reserve(m_allFields.size());
    m_rowStatement.bindInt64(1, rowid);
    const bool found = m_rowStatement.step();
    for (int i = 0; i < m_dataFields.size(); ++i)
        row.append(found ? m_rowStatement.value(i) : QVariant());
    m_rowStatement.reset();
    for (int i = 0; i < m_calcFields.size(); ++i)
        row.append(QVariant());
    if (m_calcHandler && found) {
        QVariantList* saved = m_calcRow;
        m_calcRow = &row;
        try {
            m_calcHandler(const_cast<Dataset&>(*this));
        } catch (...) {
            m_calcRow = saved;
            throw;
        }
        m_calcRow = saved;
    }
    return row;
}

const QVariantList& Dataset::currentRow() const
{
    if (m_cachedPos != m_pos) {
        m_cachedRow = fetchRow(currentRowid());
        m_cachedPos = m_pos;
    }
    return m_cachedRow;
}

void Dataset::forEachRow(const std::function<void(const QVariantList& values)>& each) const
{
    checkActive();
    QVariantMap params;
    QString sql = viewSql(params);
    QStringList order = orderTerms();
    order.append(QStringLiteral("rowid"));
    sql += QStringLiteral(" ORDER BY ") + order.join(u',');
    SqliteStatement stmt(Engine::instance().db().handle(), sql);
    bindParams(stmt, params);
    QVariantList row(m_dataFields.size());
    while (stmt.step()) {
        for (int i = 0; i < m_dataFields.size(); ++i)
            row[i] = stmt.value(i);
        each(row);
    }
}

QVariantList Dataset::rowValues(int position) const
{
    checkActive();
    if (position < 0 || position >= recordCount())
        return {};
    if (position == m_cachedPos)
        return m_cachedRow;
    return fetchRow(m_rowids[size_t(position)]);
}

QVariant Dataset::value(int field) const
{
    if (m_calcRow)
        return m_calcRow->value(field);
    checkActive();
    if (m_state == State::Edit || m_state == State::Insert)
        return m_editBuffer.value(field);
    if (m_rowids.empty())
        return QVariant();
    return currentRow().value(field);
}

QVariant Dataset::value(const QString& name) const
{
    return value(checkedIndex(name));
}

bool Dataset::isNull(const QString& name) const
{
    const QVariant v = value(name);
    return !v.isValid() || v.isNull();
}

qint64 Dataset::asInteger(const QString& name) const
{
    return ValueConvert::toInteger(value(name));
}

double Dataset::asFloat(const QString& name) const
{
    return ValueConvert::toDouble(value(name));
}

QString Dataset::asString(const QString& name) const
{
    const int index = checkedIndex(name);
    const QVariant v = value(index);
    if (m_allFields[index].type == FieldType::Boolean && v.isValid() && !v.isNull())
        return ValueConvert::toBool(v) ? QStringLiteral("T") : QStringLiteral("F");
    return ValueConvert::toText(v);
}

bool Dataset::asBoolean(const QString& name) const
{
    return ValueConvert::toBool(value(name));
}

void Dataset::addCalculatedField(const FieldDef& field)
{
    if (isActive())
        fail(QStringLiteral("Počítanou položku '%1' nelze přidat do otevřené tabulky")
                 .arg(field.name));
    m_calcFields.append(field);
    m_allFields = m_dataFields + m_calcFields;
}

void Dataset::setCalculatedValue(const QString& name, const QVariant& value)
{
    const int index = checkedIndex(name);
    if (index < m_dataFields.size() || !m_calcRow)
        fail(QStringLiteral("Položku '%1' lze nastavit jen při výpočtu počítaných položek")
                 .arg(name));
    (*m_calcRow)[index] = value;
}

void Dataset::setFilter(const QString& filter)
{
    m_filterText = filter;
    if (isActive() && m_filtered) {
        checkBrowse();
        rebuildView();
        setPosition(0);
        emit viewChanged();
    }
}

void Dataset::setFiltered(bool on)
{
    if (m_filtered == on)
        return;
    m_filtered = on;
    if (isActive()) {
        checkBrowse();
        rebuildView();
        setPosition(0);
        emit viewChanged();
    }
}

bool Dataset::canModify() const
{
    return writable();
}

void Dataset::append()
{
    checkActive();
    checkBrowse();
    if (!writable())
        fail(QStringLiteral("Tabulku '%1' nelze měnit").arg(datasetName()));
    m_editBuffer = QVariantList();
    for (int i = 0; i < m_allFields.size(); ++i)
        m_editBuffer.append(QVariant());
    m_editRowid = 0;
    m_state = State::Insert;
}

void Dataset::edit()
{
    checkActive();
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    if (!writable())
        fail(QStringLiteral("Tabulku '%1' nelze měnit").arg(datasetName()));
    if (m_rowids.empty())
        fail(QStringLiteral("Tabulka '%1' je prázdná").arg(datasetName()));
    m_editBuffer = currentRow();
    m_editRowid = currentRowid();
    m_state = State::Edit;
}

void Dataset::setValue(const QString& name, const QVariant& value)
{
    if (m_state != State::Edit && m_state != State::Insert)
        fail(QStringLiteral("Tabulka '%1' není v režimu úprav").arg(datasetName()));
    const int index = checkedIndex(name);
    if (index >= m_dataFields.size())
        fail(QStringLiteral("Počítanou položku '%1' nelze měnit").arg(name));
    m_editBuffer[index] = ValueConvert::toStorage(value, m_dataFields[index]);
}

void Dataset::checkRequired() const
{
    for (int i = 0; i < m_dataFields.size(); ++i) {
        const QVariant& v = m_editBuffer[i];
        if (m_dataFields[i].required && (!v.isValid() || v.isNull()))
            fail(QStringLiteral("Položka '%1' musí mít hodnotu").arg(m_dataFields[i].name));
    }
}

void Dataset::post()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    checkRequired();
    QStringList columns;
    QStringList marks;
    for (int i = 0; i < m_dataFields.size(); ++i) {
        columns.append(SqliteDatabase::quoteIdentifier(m_dataFields[i].name));
        marks.append(QStringLiteral("?%1").arg(i + 1));
    }
    const QString table = SqliteDatabase::quoteIdentifier(m_sqlName);
    QString sql;
    if (m_state == State::Insert) {
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(table, columns.join(u','), marks.join(u','));
    } else {
        QStringList sets;
        for (int i = 0; i < columns.size(); ++i)
            sets.append(columns[i] + u'=' + marks[i]);
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = %3")
                  .arg(table, sets.join(u','))
                  .arg(m_editRowid);
    }
    Engine& engine = Engine::instance();
    qint64 rowid = m_editRowid;
    QList<LoadedTable*> changed;
    if (m_table)
        changed.append(m_table);
    engine.runChange(changed, [&] {
        SqliteStatement stmt(engine.db().handle(), sql);
        stmt.bindAll(m_editBuffer.mid(0, m_dataFields.size()));
        stmt.step();
        if (m_state == State::Insert)
            rowid = engine.db().lastInsertRowId();
    });
    leaveEditState();
    const int position = m_pos;
    rebuildView();
    if (!moveToRowid(rowid))
        setPosition(position);
    emit viewChanged();
}

void Dataset::leaveEditState()
{
    m_state = State::Browse;
    m_editBuffer.clear();
    m_cachedPos = -1;
}

void Dataset::cancel()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    leaveEditState();
    emit currentChanged();
}

void Dataset::deleteRecord()
{
    checkActive();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (!writable())
        fail(QStringLiteral("Tabulku '%1' nelze měnit").arg(datasetName()));
    if (m_rowids.empty())
        fail(QStringLiteral("Tabulka '%1' je prázdná").arg(datasetName()));
    leaveEditState();
    const qint64 rowid = currentRowid();
    Engine& engine = Engine::instance();
    QList<LoadedTable*> changed;
    if (m_table)
        changed.append(m_table);
    engine.runChange(changed, [&] {
        engine.db().exec(QStringLiteral("DELETE FROM %1 WHERE rowid = %2")
                             .arg(SqliteDatabase::quoteIdentifier(m_sqlName))
                             .arg(rowid));
    });
    const int position = m_pos;
    rebuildView();
    setPosition(position);
    emit viewChanged();
}
