#include "db/BatchMove.h"

#include "base/ETalvekException.h"
#include "db/Engine.h"
#include "db/Table.h"
#include "db/ValueConvert.h"

namespace {

struct ColumnMap
{
    QStringList destination; // quoted destination columns
    QStringList source;      // converted source expressions
    QStringList plainSource; // source columns as they are
};

ColumnMap mapColumns(const Dataset& source, const LoadedTable& dest)
{
    ColumnMap map;
    for (const FieldDef& f : dest.fields()) {
        const int s = FieldTypes::indexOf(source.fields(), f.name);
        if (s < 0 || s >= source.fields().size())
            continue;
        const QString column = SqliteDatabase::quoteIdentifier(source.fields()[s].name);
        map.destination.append(SqliteDatabase::quoteIdentifier(f.name));
        map.plainSource.append(column);
        // Joined, not formatted: a field name may hold "%1".
        map.source.append(QStringLiteral("orv_cast(") + column + QStringLiteral(",'") +
                          QChar::fromLatin1(ValueConvert::storageCode(f.type)) +
                          QStringLiteral("',") +
                          QString::number(f.type == FieldType::String ? f.size : 0) + u')');
    }
    return map;
}

QString sourceKeyList(const LoadedTable& dest, const ColumnMap& map)
{
    QStringList keys;
    for (const QString& k : dest.keyFields()) {
        const int i = map.destination.indexOf(SqliteDatabase::quoteIdentifier(k));
        if (i < 0)
            throw ETalvekException(
                QStringLiteral("Zdroj přesunu neobsahuje klíčovou položku '%1'").arg(k));
        keys.append(map.source[i]);
    }
    return keys.join(u',');
}

QString quotedKeys(const LoadedTable& dest)
{
    QStringList keys;
    for (const QString& k : dest.keyFields())
        keys.append(SqliteDatabase::quoteIdentifier(k));
    return keys.join(u',');
}

QString appendSql(const LoadedTable& dest, const ColumnMap& map, const QString& view,
                  BatchMove::Mode mode)
{
    const QString table = SqliteDatabase::quoteIdentifier(dest.sqlName);
    QString sql =
        QStringLiteral("INSERT %1 INTO %2 (%3) SELECT %4 FROM (%5) AS src WHERE true")
            .arg(mode == BatchMove::Mode::Append && dest.uniqueKey ? QStringLiteral("OR IGNORE")
                                                                   : QString(),
                 table, map.destination.join(u','), map.source.join(u','), view);
    if (dest.keyFields().isEmpty())
        return sql;
    if (!dest.uniqueKey) {
        // Duplicate keys in the file: no unique index to lean on.
        sql += QStringLiteral(" AND (%1) NOT IN (SELECT %2 FROM %3)")
                   .arg(sourceKeyList(dest, map), quotedKeys(dest), table);
        return sql;
    }
    if (mode == BatchMove::Mode::AppendUpdate) {
        QStringList sets;
        for (const QString& d : map.destination)
            sets.append(d + QStringLiteral("=excluded.") + d);
        sql += QStringLiteral(" ON CONFLICT(%1) DO UPDATE SET %2")
                   .arg(quotedKeys(dest), sets.join(u','));
    }
    return sql;
}

} // namespace

int BatchMove::execute(Dataset& source, Table& destination, Mode mode)
{
    if (!source.isActive())
        source.open();
    if (!destination.isActive())
        destination.open();
    destination.checkModifiable();
    LoadedTable* dest = destination.loadedTable();
    const ColumnMap map = mapColumns(source, *dest);
    if (map.destination.isEmpty())
        throw ETalvekException(QStringLiteral("Zdroj a tabulka '%1' nemají společné položky")
                                   .arg(destination.tableName()));
    if (mode == Mode::AppendUpdate && dest->keyFields().isEmpty())
        mode = Mode::Append;
    QVariantMap params;
    const QString view = source.viewSql(params);
    QString sql;
    if (mode == Mode::Delete) {
        if (dest->keyFields().isEmpty())
            throw ETalvekException(
                QStringLiteral("Tabulka '%1' nemá primární klíč").arg(destination.tableName()));
        sql = QStringLiteral("DELETE FROM %1 WHERE (%2) IN (SELECT %3 FROM (%4) AS src)")
                  .arg(SqliteDatabase::quoteIdentifier(dest->sqlName), quotedKeys(*dest),
                       sourceKeyList(*dest, map), view);
    } else {
        sql = appendSql(*dest, map, view, mode);
    }
    Engine& engine = Engine::instance();
    int changed = 0;
    engine.runChange({dest}, [&] {
        SqliteStatement stmt(engine.db().handle(), sql);
        for (auto it = params.begin(); it != params.end(); ++it) {
            const int index = stmt.parameterIndex(it.key());
            if (index > 0)
                stmt.bind(index, it.value());
        }
        stmt.step();
        changed = int(engine.db().changes());
    });
    destination.refresh();
    return changed;
}
