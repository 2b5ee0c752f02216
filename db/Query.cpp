#include "db/Query.h"

#include "base/ETalvekException.h"
#include "db/Engine.h"
#include "db/TableWriteGuard.h"

#include <QFileInfo>

namespace {
int s_resultCounter = 0;
}

Query::Query(QObject* parent) : Dataset(parent) {}

Query::~Query()
{
    try {
        dropResultTable();
    } catch (const ETalvekException&) {
        // The engine is going away with the process.
    }
}

void Query::setSql(const QStringList& lines)
{
    close();
    m_sql = lines;
}

void Query::setSqlLine(int line, const QString& text)
{
    close();
    while (m_sql.size() <= line)
        m_sql.append(QString());
    m_sql[line] = text;
}

void Query::bindValue(const QString& name, const QVariant& value)
{
    m_bindings.insert(name.startsWith(u':') ? name : u':' + name, value);
}

QString Query::datasetName() const
{
    return m_sql.join(u' ').simplified().left(60);
}

SqlTranslator::Result Query::translate(QString* target) const
{
    Engine& engine = Engine::instance();
    const QString dir = engine.directoryOf(m_database);
    auto resolver = [&](const QString& fileName) {
        if (target && target->isEmpty())
            *target = fileName;
        const QString path = engine.tablePath(dir, fileName, true);
        LoadedTable& t = engine.table(path);
        return SqlTranslator::TableInfo{path, t.sqlName, t.fields()};
    };
    return SqlTranslator::translate(m_sql.join(u'\n'), resolver);
}

QVariantMap Query::bindingsFor(const QString& sql) const
{
    QVariantMap params;
    for (const SqlToken& t : SqlTokenizer::tokenize(sql))
        if (t.kind == SqlToken::Parameter && t.text.startsWith(u':')) {
            if (!m_bindings.contains(t.text))
                throw ETalvekException(
                    QStringLiteral("Parametr '%1' příkazu SQL nemá hodnotu").arg(t.text));
            params.insert(t.text, m_bindings.value(t.text));
        }
    return params;
}

void Query::doOpen()
{
    const SqlTranslator::Result result = translate();
    if (result.kind != SqlTranslator::Kind::Select)
        throw ETalvekException(
            QStringLiteral("Příkaz '%1' nevrací žádné řádky").arg(datasetName()));
    if (result.live)
        openLive(result);
    else
        openCopy(result);
}

void Query::openLive(const SqlTranslator::Result& result)
{
    indexEqualityColumns(result);
    LoadedTable& t = Engine::instance().table(result.tablePaths.first());
    m_live = true;
    m_liveWhere = result.liveWhere;
    m_liveOrder = result.liveOrder;
    setSource(t.sqlName, result.liveAlias, t.fields(), &t);
}

void Query::indexEqualityColumns(const SqlTranslator::Result& result)
{
    Engine& engine = Engine::instance();
    for (const QString& path : result.tablePaths) {
        LoadedTable& t = engine.table(path);
        for (const QString& column : result.equalityColumns) {
            const int field = FieldTypes::indexOf(t.fields(), column);
            if (field >= 0)
                engine.ensureIndex(t, {t.fields()[field].name});
        }
    }
}

void Query::openCopy(const SqlTranslator::Result& result)
{
    Engine& engine = Engine::instance();
    m_live = false;
    indexEqualityColumns(result);
    dropResultTable();
    SqliteStatement select(engine.db().handle(), result.sql);
    QList<FieldDef> fields;
    QStringList columns;
    for (int i = 0; i < select.columnCount(); ++i) {
        FieldDef f;
        f.name = select.columnName(i);
        // Columns of the same name (from joined tables) get a numbered suffix.
        for (int n = 1; FieldTypes::indexOf(fields, f.name) >= 0; ++n)
            f.name = select.columnName(i) + QStringLiteral("_%1").arg(n);
        f.type = FieldTypes::fromSqlDeclType(select.columnDeclType(i), FieldType::Float);
        if (select.columnDeclType(i).isEmpty()) {
            // An expression: integers for counts, text for text, else numbers.
            const QString upper = f.name.toUpper();
            f.type =
                upper.startsWith(QLatin1String("COUNT")) ? FieldType::Integer : FieldType::Float;
        }
        fields.append(f);
        columns.append(SqliteDatabase::quoteIdentifier(f.name) + u' ' +
                       FieldTypes::sqlDeclType(f.type));
    }
    const QString name = QStringLiteral("q%1").arg(++s_resultCounter);
    engine.db().exec(QStringLiteral("CREATE TEMP TABLE %1 (%2)")
                         .arg(SqliteDatabase::quoteIdentifier(name), columns.join(u',')));
    m_resultTable = name;
    // The result keeps the statement's order as row order.
    SqliteStatement fill(
        engine.db().handle(),
        QStringLiteral("INSERT INTO %1 %2").arg(SqliteDatabase::quoteIdentifier(name), result.sql));
    bindParams(fill, bindingsFor(result.sql));
    fill.step();
    setSource(name, QString(), fields, nullptr);
}

void Query::dropResultTable()
{
    if (m_resultTable.isEmpty())
        return;
    Engine::instance().db().exec(QStringLiteral("DROP TABLE IF EXISTS temp.") +
                                 SqliteDatabase::quoteIdentifier(m_resultTable));
    m_resultTable.clear();
}

void Query::doClose()
{
    dropResultTable();
    m_live = false;
}

void Query::doRefresh()
{
    const SqlTranslator::Result result = translate();
    if (result.live)
        openLive(result);
    else
        openCopy(result);
}

QString Query::viewCondition(QVariantMap& params) const
{
    if (!m_live || m_liveWhere.isEmpty())
        return QString();
    const QVariantMap own = bindingsFor(m_liveWhere);
    for (auto it = own.begin(); it != own.end(); ++it)
        params.insert(it.key(), it.value());
    return m_liveWhere;
}

QStringList Query::orderTerms() const
{
    if (m_live && !m_liveOrder.isEmpty())
        return {m_liveOrder};
    return {};
}

int Query::execSql()
{
    close();
    QString targetName;
    const SqlTranslator::Result result = translate(&targetName);
    Engine& engine = Engine::instance();
    switch (result.kind) {
    case SqlTranslator::Kind::Select:
        open();
        return recordCount();
    case SqlTranslator::Kind::CreateTable: {
        const QString dir = engine.directoryOf(m_database);
        const QString path = engine.tablePath(dir, result.createFileName, false);
        TableWriteGuard::checkInside(dir, result.createFileName);
        TableWriteGuard::check(path);
        if (QFileInfo::exists(path))
            throw ETalvekException(QStringLiteral("Tabulka '%1' již existuje").arg(path));
        QList<IndexDef> indexes;
        if (result.createKeyFieldCount > 0) {
            QStringList keys;
            for (int i = 0; i < result.createKeyFieldCount; ++i)
                keys.append(result.createFields[i].name);
            indexes.append(IndexDef{QString(), keys, true, true});
        }
        engine.createTable(path, result.createFields, indexes);
        return 0;
    }
    default:
        break;
    }
    // Refused before it runs: also a statement that would change no row.
    TableWriteGuard::checkInside(engine.directoryOf(m_database), targetName);
    TableWriteGuard::check(result.targetPath);
    LoadedTable& target = engine.table(result.targetPath);
    indexEqualityColumns(result);
    // The statement runs on the rows the file holds when the table is locked
    // for writing (the table is read again if another writer changed it); a
    // statement that changes nothing leaves the file alone.
    int changed = 0;
    engine.runChange({&target}, [&] {
        SqliteStatement stmt(engine.db().handle(), result.sql);
        bindParams(stmt, bindingsFor(result.sql));
        stmt.step();
        changed = int(engine.db().changes());
    });
    return changed;
}
