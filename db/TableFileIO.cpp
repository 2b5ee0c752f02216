#include "db/TableFileIO.h"

#include "db/DbfTableIO.h"
#include "db/ParadoxTableIO.h"
#include "db/SqliteDatabase.h"

bool TableFileIO::isDbf(const QString& path)
{
    return path.endsWith(QLatin1String(".dbf"), Qt::CaseInsensitive);
}

TableSchema TableFileIO::load(const QString& path, SqliteDatabase& db, const QString& sqlName)
{
    return isDbf(path) ? DbfTableIO::load(path, db, sqlName)
                       : ParadoxTableIO::load(path, db, sqlName);
}

void TableFileIO::save(const QString& path, const TableSchema& schema, SqliteDatabase& db,
                       const QString& sqlName)
{
    if (schema.dbf)
        DbfTableIO::save(path, schema, db, sqlName);
    else
        ParadoxTableIO::save(path, schema, db, sqlName);
}

void TableFileIO::createEmpty(const QString& path, const TableSchema& schema)
{
    if (schema.dbf) {
        SqliteDatabase scratch;
        scratch.exec(SqliteDatabase::createTableSql(QStringLiteral("t"), schema.fields));
        DbfTableIO::save(path, schema, scratch, QStringLiteral("t"));
    } else {
        ParadoxWriter::writeTable(path, schema.paradoxFields, schema.keyFieldCount, {});
    }
}

TableSchema TableFileIO::schemaFor(const QString& path, const QList<FieldDef>& fields,
                                   int keyFieldCount)
{
    TableSchema schema;
    schema.fields = fields;
    schema.dbf = isDbf(path);
    schema.keyFieldCount = schema.dbf ? 0 : keyFieldCount;
    if (!schema.dbf)
        for (const FieldDef& f : fields)
            schema.paradoxFields.append(ParadoxTableIO::paradoxField(f));
    return schema;
}
