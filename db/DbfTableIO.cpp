#include "db/DbfTableIO.h"

#include "base/ETalvekException.h"
#include "db/SqliteDatabase.h"
#include "db/SqliteStatement.h"
#include "db/ValueConvert.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <shapefil.h>

#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

const char* const kCodePage = "LDID/200"; // Windows 1250

class DbfHandle
{
public:
    explicit DbfHandle(DBFHandle h) : m_h(h) {}
    ~DbfHandle()
    {
        if (m_h)
            DBFClose(m_h);
    }
    void close()
    {
        DBFClose(m_h);
        m_h = nullptr;
    }
    DBFHandle get() const { return m_h; }
    DbfHandle(const DbfHandle&) = delete;
    DbfHandle& operator=(const DbfHandle&) = delete;

private:
    DBFHandle m_h;
};

FieldDef fieldFromDbf(DBFHandle h, int i)
{
    char name[XBASE_FLDNAME_LEN_READ + 1] = {};
    int width = 0;
    int decimals = 0;
    const DBFFieldType type = DBFGetFieldInfo(h, i, name, &width, &decimals);
    FieldDef def;
    def.name = QString::fromLatin1(name);
    def.size = width;
    def.decimals = decimals;
    switch (type) {
    case FTInteger:
        def.type = FieldType::Integer;
        break;
    case FTDouble:
        def.type = FieldType::Float;
        break;
    case FTLogical:
        def.type = FieldType::Boolean;
        break;
    case FTDate:
        def.type = FieldType::Date;
        break;
    default:
        def.type = FieldType::String;
    }
    return def;
}

QVariant readValue(DBFHandle h, int row, int column, const FieldDef& def, QStringDecoder& decoder)
{
    if (DBFIsAttributeNULL(h, row, column))
        return QVariant();
    switch (def.type) {
    case FieldType::Integer:
    case FieldType::Float:
        return QVariant(DBFReadDoubleAttribute(h, row, column));
    case FieldType::Boolean:
        return QVariant(
            ValueConvert::toBool(QString::fromLatin1(DBFReadLogicalAttribute(h, row, column))));
    case FieldType::Date: {
        const QDate d =
            QDate::fromString(QString::fromLatin1(DBFReadStringAttribute(h, row, column)),
                              QStringLiteral("yyyyMMdd"));
        return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant();
    }
    default: {
        const QString text =
            QString(decoder.decode(QByteArray(DBFReadStringAttribute(h, row, column)))).trimmed();
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    }
}

void addDbfField(DBFHandle h, const FieldDef& f, const QString& path)
{
    QByteArray name = f.name.toLatin1().left(XBASE_FLDNAME_LEN_WRITE);
    DBFFieldType type = FTString;
    int width = f.size;
    int decimals = 0;
    if (FieldTypes::isIntegral(f.type)) {
        type = FTInteger;
        width = width > 0 ? width : 11;
    } else if (FieldTypes::isNumeric(f.type)) {
        type = FTDouble;
        width = width > 0 ? width : 19;
        decimals = f.decimals;
    } else if (f.type == FieldType::Boolean) {
        type = FTLogical;
        width = 1;
    } else if (f.type == FieldType::Date) {
        type = FTDate;
        width = 8;
    } else {
        width = qBound(1, width > 0 ? width : 254, 254);
    }
    if (DBFAddField(h, name.constData(), type, width, decimals) < 0)
        throw ETalvekException(
            QStringLiteral("Položku %1 nelze vytvořit v tabulce '%2'").arg(f.name, path));
}

// shapelib returns false when a value does not fit the field's width (and
// would have written it cut).
bool writeCell(DBFHandle h, int row, int column, const FieldDef& f, const QVariant& v,
               QStringEncoder& encoder)
{
    if (!v.isValid() || v.isNull())
        return DBFWriteNULLAttribute(h, row, column);
    if (FieldTypes::isIntegral(f.type))
        return DBFWriteDoubleAttribute(h, row, column, double(ValueConvert::toInteger(v)));
    if (FieldTypes::isNumeric(f.type))
        return DBFWriteDoubleAttribute(h, row, column, ValueConvert::toDouble(v));
    if (f.type == FieldType::Boolean)
        return DBFWriteLogicalAttribute(h, row, column, ValueConvert::toBool(v) ? 'T' : 'F');
    if (f.type == FieldType::Date) {
        const QDate d = QDate::fromString(v.toString(), Qt::ISODate);
        return DBFWriteStringAttribute(h, row, column,
                                       d.toString(QStringLiteral("yyyyMMdd")).toLatin1());
    }
    const QByteArray bytes = encoder.encode(ValueConvert::toText(v));
    // Text longer than the field is cut by design (the field size is the limit).
    DBFWriteStringAttribute(h, row, column, bytes.constData());
    return true;
}

void writeValue(DBFHandle h, int row, int column, const FieldDef& f, const QVariant& v,
                QStringEncoder& encoder, const QString& path)
{
    const bool numeric = FieldTypes::isNumeric(f.type);
    if (!writeCell(h, row, column, f, v, encoder) ||
        (numeric && !std::isfinite(ValueConvert::toDouble(v))))
        throw ETalvekException(QStringLiteral("Hodnotu '%1' nelze uložit do položky %2 tabulky "
                                              "'%3': číslo je mimo rozsah položky")
                                   .arg(ValueConvert::toText(v), f.name, path));
}

void syncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// shapelib opens a new file by name for writing ("wb" or "wb+") and then
// for update ("rb+"). The temporary file is created exclusively and never
// through a link: whatever lies under its name makes the write fail instead
// of landing on another file.
SAFile openNoFollow(const char* name, const char* access)
{
    const bool create = access[0] == 'w';
    const bool update = create || std::strchr(access, '+') != nullptr;
    int flags = O_NOFOLLOW | O_CLOEXEC | (update ? O_RDWR : O_RDONLY);
    if (create)
        flags |= O_CREAT | O_EXCL;
    const int fd = ::open(name, flags, 0666);
    if (fd < 0)
        return nullptr;
    FILE* file = ::fdopen(fd, update ? "r+b" : "rb");
    if (!file) {
        ::close(fd);
        return nullptr;
    }
    return reinterpret_cast<SAFile>(file);
}

DBFHandle createExclusive(const QString& path)
{
    static SAHooks hooks = [] {
        SAHooks h;
        SASetupDefaultHooks(&h);
        h.FOpen = openNoFollow;
        return h;
    }();
    return DBFCreateLL(QFile::encodeName(path).constData(), kCodePage, &hooks);
}

void writeTemp(const QString& temp, const QString& path, const TableSchema& schema,
               SqliteDatabase& db, const QString& sqlName)
{
    // A temporary file left by an earlier crash of this process id goes
    // (a link is removed itself, not its target).
    ::unlink(QFile::encodeName(temp).constData());
    DbfHandle h(createExclusive(temp));
    if (!h.get())
        throw ETalvekException(QStringLiteral("Tabulku '%1' nelze zapsat").arg(path));
    for (const FieldDef& f : schema.fields)
        addDbfField(h.get(), f, path);
    QStringEncoder encoder("windows-1250");
    SqliteStatement rows(db.handle(), QStringLiteral("SELECT * FROM ") +
                                          SqliteDatabase::quoteIdentifier(sqlName) +
                                          QStringLiteral(" ORDER BY rowid"));
    int r = 0;
    while (rows.step()) {
        for (int c = 0; c < schema.fields.size(); ++c)
            writeValue(h.get(), r, c, schema.fields[c], rows.value(c), encoder, path);
        ++r;
    }
    h.close();
}

} // namespace

TableSchema DbfTableIO::load(const QString& path, SqliteDatabase& db, const QString& sqlName)
{
    DbfHandle h(DBFOpen(QFile::encodeName(path).constData(), "rb"));
    if (!h.get())
        throw ETalvekException(QStringLiteral("Tabulku '%1' nelze otevřít").arg(path));
    TableSchema schema;
    schema.dbf = true;
    const int columns = DBFGetFieldCount(h.get());
    for (int i = 0; i < columns; ++i)
        schema.fields.append(fieldFromDbf(h.get(), i));

    SqliteDatabase::Savepoint transaction(db);
    db.exec(SqliteDatabase::createTableSql(sqlName, schema.fields));
    QStringList marks;
    for (int i = 0; i < columns; ++i)
        marks.append(QStringLiteral("?"));
    SqliteStatement insert(db.handle(),
                           QStringLiteral("INSERT INTO %1 VALUES (%2)")
                               .arg(SqliteDatabase::quoteIdentifier(sqlName), marks.join(u',')));
    QStringDecoder decoder("windows-1250");
    const int rows = DBFGetRecordCount(h.get());
    for (int r = 0; r < rows; ++r) {
        if (DBFIsRecordDeleted(h.get(), r))
            continue;
        for (int c = 0; c < columns; ++c)
            insert.bind(c + 1, readValue(h.get(), r, c, schema.fields[c], decoder));
        insert.step();
        insert.reset();
    }
    transaction.commit();
    return schema;
}

void DbfTableIO::save(const QString& path, const TableSchema& schema, SqliteDatabase& db,
                      const QString& sqlName)
{
    const QFileInfo target(path);
    const QString temp = target.dir().filePath(QStringLiteral(".orvtmp-%1-%2.dbf")
                                                   .arg(QCoreApplication::applicationPid())
                                                   .arg(target.completeBaseName()));
    try {
        writeTemp(temp, path, schema, db, sqlName);
    } catch (...) {
        QFile::remove(temp); // nothing half-written stays behind
        throw;
    }
    syncFile(temp);
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(temp);
        throw ETalvekException(QStringLiteral("Tabulku '%1' nelze zapsat").arg(path));
    }
}
