#include "db/Engine.h"

#include "db/AliasPaths.h"
#include "base/ETalvekException.h"
#include "db/TableFileIO.h"
#include "db/TableLock.h"
#include "db/TableWriteGuard.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

Engine& Engine::instance()
{
    static Engine engine;
    return engine;
}

EngineAliases& Engine::aliases()
{
    const QString file = EngineAliases::defaultFilePath();
    FileStamp stamp; // size -1 while the file does not exist
    FileStamp::Read(file, stamp);
    if (file != m_aliases.filePath() || !m_aliasesStamp || !(stamp == *m_aliasesStamp)) {
        m_aliases = EngineAliases(file);
        m_aliases.load();
        m_aliasesStamp = stamp;
    }
    return m_aliases;
}

QString Engine::directoryOf(const QString& database)
{
    const QString name = database.trimmed();
    if (name.isEmpty())
        throw ETalvekException(QStringLiteral("Není zadána databáze (alias nebo adresář)"));
    QString dir;
    if (name.contains(u':')) {
        dir = ExpandAliasPath(name); // "DATA1:\TEXTY\" -> the alias's directory + TEXTY
    } else if (name.contains(u'/') || name.contains(u'\\')) {
        dir = QString(name).replace(u'\\', u'/');
    } else {
        EngineAliases& all = aliases();
        if (!all.contains(name))
            throw ETalvekException(QStringLiteral("Alias '%1' není definován").arg(name));
        dir = all.path(name);
    }
    if (!QFileInfo(dir).isDir())
        throw ETalvekException(QStringLiteral("Adresář '%1' neexistuje").arg(dir));
    return dir;
}

QString Engine::tablePath(const QString& directory, const QString& fileName, bool mustExist)
{
    QString name = QString(fileName).trimmed();
    if (name.contains(u':'))
        name = ExpandAliasPath(name);
    name.replace(u'\\', u'/');
    QString dir = QString(directory).replace(u'\\', u'/');
    const int slash = name.lastIndexOf(u'/');
    if (slash >= 0) {
        const QString part = name.left(slash);
        dir = QDir::isAbsolutePath(part) ? part : QDir(dir).filePath(part);
        name = name.mid(slash + 1);
    }
    if (name.isEmpty())
        throw ETalvekException(QStringLiteral("Není zadán název tabulky"));
    const QFileInfo dirInfo(dir.isEmpty() ? QStringLiteral("/") : dir);
    if (!dirInfo.isDir())
        throw ETalvekException(
            QStringLiteral("Adresář '%1' tabulky '%2' neexistuje").arg(dir, name));
    const QString canonicalDir = dirInfo.canonicalFilePath();
    QString found = ParadoxFiles::resolveCaseInsensitive(canonicalDir, name);
    // A table name without an extension ("NYSOBORG") names a Paradox table.
    if (found.isEmpty() && !name.contains(u'.')) {
        name += QStringLiteral(".DB");
        found = ParadoxFiles::resolveCaseInsensitive(canonicalDir, name);
    }
    if (!found.isEmpty())
        return found;
    if (mustExist)
        throw ETalvekException(
            QStringLiteral("Tabulka '%1' nebyla nalezena v adresáři '%2'").arg(name, canonicalDir));
    return QDir(canonicalDir).filePath(name);
}

void Engine::updateStamp(LoadedTable& table)
{
    FileStamp::Read(table.path, table.stamp);
}

LoadedTable& Engine::table(const QString& path)
{
    FileStamp now;
    if (!FileStamp::Read(path, now))
        throw ETalvekException(QStringLiteral("Tabulka '%1' neexistuje").arg(path));
    auto it = m_tables.find(path);
    if (it != m_tables.end()) {
        LoadedTable& t = *it->second;
        if (t.stamp.size >= 0 && t.stamp == now)
            return t;
        return load(path, &t);
    }
    return load(path, nullptr);
}

LoadedTable& Engine::load(const QString& path, LoadedTable* previous)
{
    // Table objects stay at one address for the life of the process, so that
    // datasets may keep pointers to them across reloads.
    std::unique_ptr<LoadedTable>& slot = m_tables[path];
    if (!slot) {
        slot = std::make_unique<LoadedTable>();
        slot->path = path;
        slot->sqlName = QStringLiteral("t%1").arg(++m_counter);
    }
    LoadedTable& t = *slot;
    Q_UNUSED(previous);
    m_db.exec(QStringLiteral("DROP TABLE IF EXISTS ") + SqliteDatabase::quoteIdentifier(t.sqlName));
    t.sqlIndexes.clear();
    t.stamp.size = -1; // not loaded until the load below succeeds
    ++t.generation;
    ++t.loads;
    FileStamp stamp;
    FileStamp::Read(path, stamp);
    t.schema = TableFileIO::load(path, m_db, t.sqlName);
    createKeyIndex(t);
    QList<IndexDef> kept;
    for (const IndexDef& index : std::as_const(t.secondaryIndexes)) {
        bool fieldsExist = true;
        for (const QString& f : index.fields)
            fieldsExist = fieldsExist && FieldTypes::indexOf(t.fields(), f) >= 0;
        if (fieldsExist)
            kept.append(index);
    }
    t.secondaryIndexes = kept;
    t.stamp = stamp;
    return t;
}

void Engine::forget(LoadedTable& t)
{
    m_db.exec(QStringLiteral("DROP TABLE IF EXISTS ") + SqliteDatabase::quoteIdentifier(t.sqlName));
    t.sqlIndexes.clear();
    t.secondaryIndexes.clear();
    t.primaryIndexName.clear();
    t.schema = TableSchema();
    t.stamp.size = -1;
    ++t.generation;
}

void Engine::createKeyIndex(LoadedTable& table)
{
    const QStringList keys = table.keyFields();
    if (keys.isEmpty())
        return;
    QStringList quoted;
    for (const QString& k : keys)
        quoted.append(SqliteDatabase::quoteIdentifier(k));
    const QString indexName =
        SqliteDatabase::quoteIdentifier(table.sqlName + QStringLiteral("_pk"));
    const QString on = QStringLiteral(" ON %1 (%2)")
                           .arg(SqliteDatabase::quoteIdentifier(table.sqlName), quoted.join(u','));
    try {
        m_db.exec(QStringLiteral("CREATE UNIQUE INDEX ") + indexName + on);
        table.uniqueKey = true;
    } catch (const ETalvekException&) {
        // The file holds duplicate keys: keep it readable, order still works.
        m_db.exec(QStringLiteral("CREATE INDEX ") + indexName + on);
        table.uniqueKey = false;
    }
    table.sqlIndexes.insert(keys.join(u';').toUpper());
}

void Engine::ensureIndex(LoadedTable& table, const QStringList& fields)
{
    QStringList quoted;
    for (const QString& f : fields)
        quoted.append(SqliteDatabase::quoteIdentifier(f));
    createIndex(table, fields.join(u';').toUpper(), quoted);
}

void Engine::ensureOrderIndex(LoadedTable& table, const QStringList& fields)
{
    if (!table.hasTextField(fields)) {
        ensureIndex(table, fields);
        return;
    }
    QStringList columns;
    for (const QString& f : fields)
        columns.append(table.orderColumn(f));
    createIndex(table, QStringLiteral("CS:") + fields.join(u';').toUpper(), columns);
}

void Engine::createIndex(LoadedTable& table, const QString& key, const QStringList& columns)
{
    if (columns.isEmpty() || table.sqlIndexes.contains(key))
        return;
    m_db.exec(
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
            .arg(SqliteDatabase::quoteIdentifier(
                     QStringLiteral("%1_i%2").arg(table.sqlName).arg(table.sqlIndexes.size())),
                 SqliteDatabase::quoteIdentifier(table.sqlName), columns.join(u',')));
    table.sqlIndexes.insert(key);
}

LoadedTable& Engine::createTable(const QString& path, const QList<FieldDef>& fields,
                                 const QList<IndexDef>& indexes)
{
    if (fields.isEmpty())
        throw ETalvekException(QStringLiteral("Tabulka '%1' nemá žádné položky").arg(path));
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name.trimmed().isEmpty() || FieldTypes::indexOf(fields, fields[i].name) != i)
            throw ETalvekException(QStringLiteral("Chybný nebo opakovaný název položky '%1' "
                                                  "v tabulce '%2'")
                                       .arg(fields[i].name, path));
    int keyCount = 0;
    QString primaryName;
    for (const IndexDef& index : indexes) {
        if (!index.primary)
            continue;
        for (int i = 0; i < index.fields.size(); ++i)
            if (i >= fields.size() ||
                fields[i].name.compare(index.fields[i], Qt::CaseInsensitive) != 0)
                throw ETalvekException(
                    QStringLiteral("Primární klíč tabulky '%1' musí tvořit její první položky")
                        .arg(path));
        keyCount = int(index.fields.size());
        primaryName = index.name;
    }
    TableWriteGuard::check(path);
    auto it = m_tables.find(path);
    if (it != m_tables.end())
        forget(*it->second);
    TableFileIO::createEmpty(path, TableFileIO::schemaFor(path, fields, keyCount));
    LoadedTable& t = table(path);
    // Paradox keeps "required" in a separate validity file; the engine keeps
    // it for the run.
    for (int i = 0; i < fields.size() && i < t.schema.fields.size(); ++i)
        t.schema.fields[i].required = fields[i].required;
    t.primaryIndexName = primaryName;
    for (const IndexDef& index : indexes)
        if (!index.primary)
            addIndex(t, index);
    return t;
}

void Engine::deleteTable(const QString& path)
{
    TableWriteGuard::checkDelete(path);
    auto it = m_tables.find(path);
    if (it != m_tables.end())
        forget(*it->second);
    if (!QFile::exists(path))
        throw ETalvekException(QStringLiteral("Tabulka '%1' neexistuje").arg(path));
    for (const char* ext : {"MB", "PX"}) {
        const QString companion = ParadoxFiles::companionFile(path, QString::fromLatin1(ext));
        if (!companion.isEmpty())
            QFile::remove(companion);
    }
    if (!QFile::remove(path))
        throw ETalvekException(QStringLiteral("Tabulku '%1' nelze smazat").arg(path));
}

void Engine::emptyTable(LoadedTable& table)
{
    runChange({&table}, [&] {
        m_db.exec(QStringLiteral("DELETE FROM ") + SqliteDatabase::quoteIdentifier(table.sqlName));
    });
}

void Engine::addIndex(LoadedTable& table, const IndexDef& index)
{
    for (const QString& f : index.fields)
        if (FieldTypes::indexOf(table.fields(), f) < 0)
            throw ETalvekException(
                QStringLiteral("Index '%1': neznámá položka '%2'").arg(index.name, f));
    bool known = false;
    for (const IndexDef& existing : std::as_const(table.secondaryIndexes))
        known = known || existing.name.compare(index.name, Qt::CaseInsensitive) == 0;
    if (!known)
        table.secondaryIndexes.append(index);
    ensureOrderIndex(table, index.fields);
}

bool Engine::changedOnDisk(const LoadedTable& table)
{
    FileStamp now;
    return FileStamp::Read(table.path, now) && !(now == table.stamp);
}

void Engine::runChange(const QList<LoadedTable*>& changed, const std::function<void()>& change)
{
    QList<LoadedTable*> tables;
    for (LoadedTable* t : changed)
        if (!tables.contains(t))
            tables.append(t);
    for (const LoadedTable* t : std::as_const(tables))
        TableWriteGuard::check(t->path);
    // Another ORV (a second clerk on a shared directory) may write the same
    // files. Each is locked for the moment of the change, and a file that
    // changed since it was loaded is read again first: the change applies to
    // the other writer's rows and keeps them.
    std::vector<std::unique_ptr<TableLock>> locks;
    for (LoadedTable* t : std::as_const(tables)) {
        locks.push_back(std::make_unique<TableLock>(t->path));
        if (changedOnDisk(*t))
            load(t->path, t);
    }
    const qint64 before = m_db.totalChanges();
    SqliteDatabase::Savepoint savepoint(m_db);
    change();
    // A change of no row leaves the files alone.
    if (m_db.totalChanges() != before)
        for (LoadedTable* t : std::as_const(tables))
            writeBack(*t);
    savepoint.commit();
}

void Engine::writeBack(LoadedTable& table)
{
    TableWriteGuard::check(table.path);
    TableFileIO::save(table.path, table.schema, m_db, table.sqlName);
    updateStamp(table);
    ++table.generation;
}
