#include "browse/core/TExportFile.h"

#include "base/ETalvekException.h"
#include "db/DbfTableIO.h"
#include "db/SqliteDatabase.h"
#include "db/SqliteStatement.h"
#include "db/TableFileIO.h"
#include "db/TableWriteGuard.h"
#include "db/paradox/CodePage.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cmath>

namespace {

const int ExportCodePage = 1250;
// dBASE floating column: 20 characters with 4 decimals (hectares to the m²).
const int DbfFloatWidth = 20;
const int DbfFloatDecimals = 4;
// Longest text a column can hold, in bytes: dBASE 254, Paradox 255.
const int DbfTextLimit = 254;
const int ParadoxTextLimit = 255;

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The digits (and sign) a whole number takes in a dBASE numeric column.
int DigitsOf(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return 0;
    return int(QString::number(qint64(std::llround(value.toDouble()))).size());
}

// dBASE text is code page 1250 of at most `size` bytes: a value that does not
// fit is refused, never cut or replaced.
void CheckDbfText(const QString& text, const ExportColumn& column)
{
    QByteArray encoded;
    qsizetype bad = 0;
    if (!CodePage::require(ExportCodePage).encode(text, encoded, &bad))
        throw ETalvekException(
            QStringLiteral("Hodnotu \"%1\" položky %2 nelze zapsat v kódové stránce %3: "
                           "znak \"%4\"")
                .arg(text, column.name)
                .arg(ExportCodePage)
                .arg(text.mid(bad, 1)));
    if (encoded.size() > column.size)
        throw ETalvekException(QStringLiteral("Hodnota \"%1\" položky %2 je delší než %3 znaků")
                                   .arg(text, column.name)
                                   .arg(column.size));
}

// A text column as wide as its longest value, never narrower than declared
// and at most `limit` bytes: an owner's name over 60 characters or a flat's
// share such as "12345/1000000" is written whole. Code page 1250 has one byte
// per character, so the length in characters is the length in bytes (a text
// it cannot encode is refused by the writer). A longer value stays too long
// and is refused by the writer's check.
void WidenTextColumns(QList<ExportColumn>& columns, const QList<QVariantList>& rows, int limit)
{
    for (int i = 0; i < columns.size(); ++i) {
        ExportColumn& c = columns[i];
        if (c.kind != ExportColumn::Kind::Char)
            continue;
        for (const QVariantList& row : rows) {
            const QVariant& value = row.at(i);
            if (value.typeId() == QMetaType::QString) // read in place, no copy
                c.size =
                    qMax(c.size,
                         qMin(int(static_cast<const QString*>(value.constData())->size()), limit));
            else if (!value.isNull())
                c.size = qMax(c.size, qMin(int(TExportFile::Text(value).size()), limit));
        }
    }
}

FieldDef DbfField(const ExportColumn& c)
{
    switch (c.kind) {
    case ExportColumn::Kind::Char:
        return {c.name, FieldType::String, c.size};
    case ExportColumn::Kind::Numeric:
        return {c.name, FieldType::Integer, c.size};
    case ExportColumn::Kind::Float:
        break;
    }
    return {c.name, FieldType::Float, DbfFloatWidth, false, DbfFloatDecimals};
}

} // namespace

TExportFile::Type TExportFile::TypeOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("db"))
        return Type::Paradox;
    if (suffix == QLatin1String("dbf"))
        return Type::DBase;
    if (suffix == QLatin1String("csv"))
        return Type::Csv;
    throw ETalvekException(
        QStringLiteral("Soubor \"%1\" nemá příponu tabulky: zvolte .db, .dbf nebo .csv")
            .arg(Native(path)));
}

void TExportFile::Write(const QString& path, const QList<ExportColumn>& columns,
                        const QList<QVariantList>& rows)
{
    const Type type = TypeOf(path);
    TableWriteGuard::checkOutputFile(path);
    try {
        if (type == Type::Paradox)
            WriteParadox(path, columns, rows);
        else if (type == Type::DBase)
            WriteDBase(path, columns, rows);
        else
            WriteCsv(path, columns, rows);
    } catch (const ETalvekException& e) {
        throw ETalvekException(
            QStringLiteral("Soubor \"%1\" nebyl zapsán: %2").arg(Native(path), e.message()));
    }
}

QString TExportFile::Text(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    if (value.typeId() == QMetaType::Double) {
        const double d = value.toDouble();
        if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.0e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    return value.toString();
}

void TExportFile::WriteParadox(const QString& path, QList<ExportColumn> columns,
                               const QList<QVariantList>& rows)
{
    WidenTextColumns(columns, rows, ParadoxTextLimit);
    QList<ParadoxField> fields;
    for (const ExportColumn& c : columns)
        fields.append(c.kind == ExportColumn::Kind::Char
                          ? ParadoxField{c.name, ParadoxFieldType::Alpha, c.size}
                          : ParadoxField{c.name, ParadoxFieldType::Number, 0});
    ParadoxWriter writer(path, fields, 0);
    QVariantList record;
    for (const QVariantList& row : rows) {
        record.clear();
        for (int i = 0; i < columns.size(); ++i) {
            const QVariant& v = row.at(i);
            const bool blank = !v.isValid() || v.isNull();
            record.append(
                blank || columns[i].kind == ExportColumn::Kind::Char ? v : QVariant(v.toDouble()));
        }
        writer.addRow(record);
    }
    writer.commit();
}

void TExportFile::WriteDBase(const QString& path, QList<ExportColumn> columns,
                             const QList<QVariantList>& rows)
{
    // A whole-number column as wide as its widest value: a part number 10
    // must not be lost in a column declared one digit wide.
    WidenTextColumns(columns, rows, DbfTextLimit);
    for (int i = 0; i < columns.size(); ++i) {
        ExportColumn& c = columns[i];
        for (const QVariantList& row : rows) {
            if (c.kind == ExportColumn::Kind::Numeric)
                c.size = qMax(c.size, DigitsOf(row.at(i)));
            else if (c.kind == ExportColumn::Kind::Char && !row.at(i).isNull())
                CheckDbfText(row.at(i).toString(), c);
        }
    }
    QList<FieldDef> fields;
    for (const ExportColumn& c : columns)
        fields.append(DbfField(c));
    SqliteDatabase scratch;
    const QString table = QStringLiteral("t");
    scratch.exec(SqliteDatabase::createTableSql(table, fields));
    {
        SqliteDatabase::Savepoint transaction(scratch);
        QStringList marks;
        for (int i = 0; i < columns.size(); ++i)
            marks.append(QStringLiteral("?"));
        SqliteStatement insert(scratch.handle(),
                               QStringLiteral("INSERT INTO t VALUES (%1)").arg(marks.join(u',')));
        for (const QVariantList& row : rows) {
            insert.bindAll(row);
            insert.step();
            insert.reset();
        }
        transaction.commit();
    }
    DbfTableIO::save(path, TableFileIO::schemaFor(path, fields, 0), scratch, table);
    // The code page is in the header's language driver byte and, for readers
    // that look for it (QGIS, GDAL), in the ".cpg" beside the table (written
    // after the table, so that a refused table leaves no new file behind).
    WriteBytes(
        QFileInfo(path).dir().filePath(QFileInfo(path).completeBaseName() + QStringLiteral(".cpg")),
        QByteArray::number(ExportCodePage));
}

void TExportFile::WriteCsv(const QString& path, const QList<ExportColumn>& columns,
                           const QList<QVariantList>& rows)
{
    auto field = [](const QString& text) {
        if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
            !text.contains(u'\r'))
            return text;
        return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
    };
    QString out;
    QStringList line;
    for (const ExportColumn& c : columns)
        line.append(field(CsvCell(c.title.isEmpty() ? c.name : c.title)));
    out += line.join(u',') + QStringLiteral("\r\n");
    for (const QVariantList& row : rows) {
        line.clear();
        for (const QVariant& v : row)
            line.append(field(CsvCell(Text(v))));
        out += line.join(u',') + QStringLiteral("\r\n");
    }
    WriteBytes(path, out.toUtf8());
}

QString TExportFile::CsvCell(const QString& text)
{
    const QString cell = text.trimmed();
    if (cell.isEmpty())
        return cell;
    const QChar first = cell.front();
    const bool formula = first == u'=' || first == u'+' || first == u'@' || first == u'\t' ||
                         first == u'\r' ||
                         (first == u'-' && (cell.size() == 1 || !cell[1].isDigit()));
    return formula ? u'\'' + cell : cell;
}

void TExportFile::WriteBytes(const QString& path, const QByteArray& bytes)
{
    TableWriteGuard::checkOutputFile(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw ETalvekException(
            QStringLiteral("Soubor \"%1\" nelze zapsat: %2").arg(Native(path), file.errorString()));
}
