#include "db/ParadoxTableIO.h"

#include "base/ETalvekException.h"
#include "db/SqliteDatabase.h"
#include "db/SqliteStatement.h"

#include <QDebug>
#include <QDir>

#include <sqlite3.h>

namespace {

const QString kTimeFormat = QStringLiteral("HH:mm:ss.zzz");
const QString kStampFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");

// The text must stay unchanged until the statement has been stepped.
void bindUtf8(sqlite3_stmt* stmt, int index, const QByteArray& text)
{
    if (text.isEmpty())
        sqlite3_bind_null(stmt, index);
    else
        sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_STATIC);
}

void bindField(sqlite3_stmt* stmt, int index, const ParadoxRecord& record, int field,
               ParadoxFieldType type, QByteArray& buffer)
{
    switch (type) {
    case ParadoxFieldType::Alpha:
    case ParadoxFieldType::Memo:
        record.toUtf8(field, buffer);
        bindUtf8(stmt, index, buffer);
        break;
    case ParadoxFieldType::Short:
    case ParadoxFieldType::Long:
    case ParadoxFieldType::AutoIncrement:
    case ParadoxFieldType::Logical:
        sqlite3_bind_int64(stmt, index, record.toInt64(field));
        break;
    case ParadoxFieldType::Number:
    case ParadoxFieldType::Currency:
    case ParadoxFieldType::Bcd:
        sqlite3_bind_double(stmt, index, record.toDouble(field));
        break;
    case ParadoxFieldType::Date:
        buffer = record.toDate(field).toString(Qt::ISODate).toUtf8();
        bindUtf8(stmt, index, buffer);
        break;
    case ParadoxFieldType::Time:
        buffer = record.toTime(field).toString(kTimeFormat).toUtf8();
        bindUtf8(stmt, index, buffer);
        break;
    case ParadoxFieldType::Timestamp:
        buffer = record.toDateTime(field).toString(kStampFormat).toUtf8();
        bindUtf8(stmt, index, buffer);
        break;
    default: {
        const QByteArray bytes = record.toBytes(field);
        sqlite3_bind_blob(stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    }
    }
}

QVariant fileValue(const SqliteStatement& row, int column, ParadoxFieldType type)
{
    if (row.isNull(column))
        return QVariant();
    switch (type) {
    case ParadoxFieldType::Alpha:
    case ParadoxFieldType::Memo:
        return row.text(column);
    case ParadoxFieldType::Short:
    case ParadoxFieldType::Long:
    case ParadoxFieldType::AutoIncrement:
        return QVariant(qint64(row.int64(column)));
    case ParadoxFieldType::Logical:
        return QVariant(row.int64(column) != 0);
    case ParadoxFieldType::Number:
    case ParadoxFieldType::Currency:
    case ParadoxFieldType::Bcd:
        return QVariant(row.real(column));
    case ParadoxFieldType::Date:
        return QDate::fromString(row.text(column), Qt::ISODate);
    case ParadoxFieldType::Time:
        return QTime::fromString(row.text(column), kTimeFormat);
    case ParadoxFieldType::Timestamp:
        return QDateTime::fromString(row.text(column), kStampFormat);
    default:
        return row.value(column).toByteArray();
    }
}

} // namespace

TableSchema ParadoxTableIO::load(const QString& path, SqliteDatabase& db, const QString& sqlName)
{
    ParadoxReader reader(path);
    const ParadoxHeader& header = reader.header();
    TableSchema schema;
    schema.keyFieldCount = header.keyFieldCount;
    schema.paradoxFields = header.fields;
    schema.missingMemoFile = reader.missingMemoFile();
    if (!reader.warning().isEmpty())
        qWarning().noquote() << reader.warning();
    for (const ParadoxField& f : header.fields)
        schema.fields.append(fieldDef(f));

    SqliteDatabase::Savepoint transaction(db);
    db.exec(SqliteDatabase::createTableSql(sqlName, schema.fields));
    QStringList marks;
    for (int i = 0; i < schema.fields.size(); ++i)
        marks.append(QStringLiteral("?"));
    SqliteStatement insert(db.handle(),
                           QStringLiteral("INSERT INTO %1 VALUES (%2)")
                               .arg(SqliteDatabase::quoteIdentifier(sqlName), marks.join(u',')));
    sqlite3_stmt* stmt = insert.handle();
    QList<ParadoxFieldType> types;
    for (const ParadoxField& f : header.fields)
        types.append(f.type);
    // One buffer per field: the texts are bound without copying.
    QList<QByteArray> buffers(types.size());
    reader.forEachRecord([&](const ParadoxRecord& record) {
        for (int i = 0; i < types.size(); ++i) {
            if (record.isBlank(i))
                sqlite3_bind_null(stmt, i + 1);
            else
                bindField(stmt, i + 1, record, i, types[i], buffers[i]);
        }
        insert.step();
        insert.reset();
    });
    transaction.commit();
    return schema;
}

void ParadoxTableIO::save(const QString& path, const TableSchema& schema, SqliteDatabase& db,
                          const QString& sqlName)
{
    if (!schema.missingMemoFile.isEmpty())
        throw ETalvekException(
            QStringLiteral("Tabulku \"%1\" nelze zapsat: chybí její soubor memo a blob polí "
                           "\"%2\" a memo a blob pole by se ztratila.")
                .arg(QDir::toNativeSeparators(path), schema.missingMemoFile));
    ParadoxWriter writer(path, schema.paradoxFields, schema.keyFieldCount);
    SqliteStatement rows(db.handle(), QStringLiteral("SELECT * FROM %1 ORDER BY rowid")
                                          .arg(SqliteDatabase::quoteIdentifier(sqlName)));
    const int count = int(schema.paradoxFields.size());
    QVariantList row;
    row.reserve(count);
    while (rows.step()) {
        row.clear();
        for (int i = 0; i < count; ++i)
            row.append(fileValue(rows, i, schema.paradoxFields[i].type));
        writer.addRow(row);
    }
    writer.commit();
}

FieldDef ParadoxTableIO::fieldDef(const ParadoxField& field)
{
    FieldDef def;
    def.name = field.name;
    switch (field.type) {
    case ParadoxFieldType::Alpha:
        def.type = FieldType::String;
        def.size = field.size;
        break;
    case ParadoxFieldType::Date:
        def.type = FieldType::Date;
        break;
    case ParadoxFieldType::Short:
        def.type = FieldType::SmallInt;
        break;
    case ParadoxFieldType::Long:
        def.type = FieldType::Integer;
        break;
    case ParadoxFieldType::AutoIncrement:
        def.type = FieldType::AutoInc;
        break;
    case ParadoxFieldType::Currency:
        def.type = FieldType::Currency;
        break;
    case ParadoxFieldType::Number:
        def.type = FieldType::Float;
        break;
    case ParadoxFieldType::Bcd:
        def.type = FieldType::Bcd;
        def.decimals = field.size;
        break;
    case ParadoxFieldType::Logical:
        def.type = FieldType::Boolean;
        break;
    case ParadoxFieldType::Memo:
        def.type = FieldType::Memo;
        break;
    case ParadoxFieldType::Time:
        def.type = FieldType::Time;
        break;
    case ParadoxFieldType::Timestamp:
        def.type = FieldType::DateTime;
        break;
    default:
        def.type = FieldType::Blob;
    }
    return def;
}

ParadoxField ParadoxTableIO::paradoxField(const FieldDef& field)
{
    ParadoxField f;
    f.name = field.name;
    switch (field.type) {
    case FieldType::String:
        f.type = ParadoxFieldType::Alpha;
        f.size = field.size;
        break;
    case FieldType::SmallInt:
        f.type = ParadoxFieldType::Short;
        break;
    case FieldType::Integer:
        f.type = ParadoxFieldType::Long;
        break;
    case FieldType::AutoInc:
        f.type = ParadoxFieldType::AutoIncrement;
        break;
    case FieldType::Float:
        f.type = ParadoxFieldType::Number;
        break;
    case FieldType::Currency:
        f.type = ParadoxFieldType::Currency;
        break;
    case FieldType::Bcd:
        f.type = ParadoxFieldType::Bcd;
        f.size = field.decimals;
        break;
    case FieldType::Boolean:
        f.type = ParadoxFieldType::Logical;
        break;
    case FieldType::Date:
        f.type = ParadoxFieldType::Date;
        break;
    case FieldType::Time:
        f.type = ParadoxFieldType::Time;
        break;
    case FieldType::DateTime:
        f.type = ParadoxFieldType::Timestamp;
        break;
    case FieldType::Memo:
        f.type = ParadoxFieldType::Memo;
        f.size = 11; // 10 bytes of reference and one leading character
        break;
    case FieldType::Blob:
        f.type = ParadoxFieldType::BinaryBlob;
        f.size = 11;
        break;
    }
    return f;
}
