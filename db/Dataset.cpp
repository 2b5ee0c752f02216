#include "db/Dataset.h"

#include "base/ETalvekException.h"
#include "db/Engine.h"
#include "db/FilterTranslator.h"
#include "db/TableRowSql.h"
#include "db/TableWriteGuard.h"
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

QString Dataset::viewSource(QVariantMap& params, bool& conditioned) const
{
    checkActive();
    QStringList conditions;
    const QString own = viewCondition(params);
    if (!own.isEmpty())
        conditions.append(u'(' + own + u')');
    if (m_filtered && !m_filterText.trimmed().isEmpty())
        conditions.append(u'(' + FilterTranslator::translate(m_filterText, m_dataFields, params) +
                          u')');
    conditioned = !conditions.isEmpty();
    QString source = QStringLiteral(" FROM ") + fromClause();
    if (conditioned)
        source += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    return source;
}

QString Dataset::viewSql(QVariantMap& params) const
{
    bool conditioned = false;
    return QStringLiteral("SELECT ") + TableRowSql(m_sqlName, m_dataFields).columns() +
           viewSource(params, conditioned);
}

void Dataset::rebuildView()
{
    // The view is kept as row ids. The statement is put together from its
    // parts, never found again in the text: a column name may hold any word.
    QVariantMap params;
    QString sql = QStringLiteral("SELECT rowid") + viewSource(params, m_viewConditioned);
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
    if (!m_rowStatement.isValid())
        m_rowStatement = SqliteStatement(Engine::instance().db().handle(),
                                         TableRowSql(m_sqlName, m_dataFields).selectRow());
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
    return writable() && (!m_table || TableWriteGuard::refusal(m_table->path).isEmpty());
}

void Dataset::checkModifiable() const
{
    if (!writable())
        fail(QStringLiteral("Tabulku '%1' nelze měnit").arg(datasetName()));
    checkWriteName();
    if (m_table)
        TableWriteGuard::check(m_table->path);
}

void Dataset::append()
{
    checkActive();
    checkBrowse();
    checkModifiable();
    m_editBuffer = QVariantList();
    for (int i = 0; i < m_allFields.size(); ++i)
        m_editBuffer.append(QVariant());
    m_editRowid = 0;
    m_editOriginal.clear();
    m_editLoads = m_table ? m_table->loads : 0;
    m_state = State::Insert;
}

void Dataset::edit()
{
    checkActive();
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    checkModifiable();
    if (m_rowids.empty())
        fail(QStringLiteral("Tabulka '%1' je prázdná").arg(datasetName()));
    m_editBuffer = currentRow();
    m_editRowid = currentRowid();
    m_editOriginal = m_editBuffer.mid(0, m_dataFields.size());
    m_editLoads = m_table ? m_table->loads : 0;
    m_state = State::Edit;
}

void Dataset::setValue(const QString& name, const QVariant& value)
{
    if (m_state != State::Edit && m_state != State::Insert)
        fail(QStringLiteral("Tabulka '%1' není v režimu úprav").arg(datasetName()));
    const int index = checkedIndex(name);
    if (index >= m_dataFields.size())
        fail(QStringLiteral("Počítanou položku '%1' nelze měnit").arg(name));
    const QVariant stored = ValueConvert::toStorage(value, m_dataFields[index]);
    // Checked here, not only when the file is written: the rounded value of
    // a number beyond the range must not stand in for it.
    const bool number = value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
    if (!ValueConvert::fitsField(stored, m_dataFields[index]) ||
        (number && FieldTypes::isIntegral(m_dataFields[index].type) &&
         !ValueConvert::fitsInteger(value.toDouble())))
        fail(QStringLiteral("Hodnota '%1' se nevejde do položky '%2' tabulky '%3'")
                 .arg(ValueConvert::toText(value), m_dataFields[index].name, datasetName()));
    m_editBuffer[index] = stored;
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
    const bool inserting = m_state == State::Insert;
    const TableRowSql rows(m_sqlName, m_dataFields);
    const QString sql = inserting ? rows.insertRow() : rows.updateRow();
    Engine& engine = Engine::instance();
    qint64 rowid = m_editRowid;
    QList<LoadedTable*> changed;
    if (m_table)
        changed.append(m_table);
    runTracked(changed, [&] {
        if (!inserting)
            rowid = rowidSince(m_editRowid, m_editOriginal, m_editLoads);
        SqliteStatement stmt(engine.db().handle(), sql);
        QVariantList values = m_editBuffer.mid(0, m_dataFields.size());
        if (!inserting)
            values.append(rowid);
        stmt.bindAll(values);
        try {
            stmt.step();
        } catch (const ETalvekException&) {
            // The other writer added a row of the same key meanwhile.
            if (m_table && m_table->loads != m_editLoads)
                failChangedMeanwhile();
            throw;
        }
        if (inserting)
            rowid = engine.db().lastInsertRowId();
    });
    leaveEditState();
    const int position = m_pos;
    rebuildView();
    if (!moveToRowid(rowid))
        setPosition(position);
    emit viewChanged();
}

void Dataset::runTracked(const QList<LoadedTable*>& changed, const std::function<void()>& change)
{
    const quint64 loads = m_table ? m_table->loads : 0;
    try {
        Engine::instance().runChange(changed, change);
    } catch (...) {
        // The table was read again before the change failed: the rows in
        // view are rebuilt over the new copy (an edit stays in its buffer).
        if (m_table && m_table->loads != loads) {
            rebuildView();
            m_pos = qBound(0, m_pos, qMax(0, recordCount() - 1));
            emit viewChanged();
        }
        throw;
    }
}

void Dataset::failChangedMeanwhile() const
{
    fail(QStringLiteral("Záznam tabulky '%1' mezitím změnil jiný uživatel; změna nebyla uložena")
             .arg(datasetName()));
}

qint64 Dataset::rowidSince(qint64 rowid, const QVariantList& original, quint64 loads) const
{
    if (!m_table || m_table->loads == loads)
        return rowid;
    // The table was read again from its file (another writer changed it):
    // the row is found again by its values as they were read.
    SqliteStatement find(Engine::instance().db().handle(),
                         TableRowSql(m_sqlName, m_dataFields).findRow());
    find.bindAll(original);
    if (!find.step())
        failChangedMeanwhile();
    return find.int64(0);
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
    checkModifiable();
    if (m_rowids.empty())
        fail(QStringLiteral("Tabulka '%1' je prázdná").arg(datasetName()));
    leaveEditState();
    const qint64 shown = currentRowid();
    const QVariantList original = currentRow().mid(0, m_dataFields.size());
    const quint64 loads = m_table ? m_table->loads : 0;
    Engine& engine = Engine::instance();
    QList<LoadedTable*> changed;
    if (m_table)
        changed.append(m_table);
    runTracked(changed, [&] {
        const qint64 rowid = rowidSince(shown, original, loads);
        engine.db().exec(TableRowSql(m_sqlName, m_dataFields).deleteRow(rowid));
    });
    const int position = m_pos;
    rebuildView();
    setPosition(position);
    emit viewChanged();
}
