#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// One column of an exported table: text of at most `size` characters, a
// whole number of `size` digits, or a floating number.
struct ExportColumn
{
    enum class Kind
    {
        Char,
        Numeric,
        Float
    };
    QString name;
    Kind kind = Kind::Char;
    int size = 0;
    // The column's title in a CSV header line (the grid's "Parcelní číslo");
    // empty: the field name. Tables keep their field names.
    QString title = {};
};

// Writes an exported table, its type chosen by the file's extension: ".db" a
// Paradox table (code page 1250), ".dbf" a dBASE table (code page 1250
// declared in the header and in a ".cpg" file beside it), ".csv" RFC 4180
// text in UTF-8 for spreadsheets: a header line of the column titles, values
// without leading and trailing blanks, and a text that a spreadsheet would
// take for a formula led by "'". The file is written under a temporary
// name and renamed over the target, so a failure leaves an earlier file of
// that name as it was; errors name the file and the value.
class TExportFile
{
public:
    enum class Type
    {
        Paradox,
        DBase,
        Csv
    };
    // Throws for an extension other than .db, .dbf and .csv.
    static Type TypeOf(const QString& path);
    // Rows hold one value per column: text for Char, a number for Numeric
    // and Float; an invalid value is blank. A table's Char column grows to
    // its longest value (up to the format's limit), so nothing is cut.
    static void Write(const QString& path, const QList<ExportColumn>& columns,
                      const QList<QVariantList>& rows);
    // Replaces `path` with `bytes` atomically (also the clipboard text file).
    static void WriteBytes(const QString& path, const QByteArray& bytes);
    // A value as the exported text shows it: whole numbers without decimals.
    static QString Text(const QVariant& value);
    // A CSV cell as a spreadsheet should show it: trimmed, and led by "'"
    // when it begins with "=", "+", "@", a tab, a carriage return, or "-"
    // not followed by a digit (numbers and building parcels "-5/1" stay).
    static QString CsvCell(const QString& text);

private:
    static void WriteParadox(const QString& path, QList<ExportColumn> columns,
                             const QList<QVariantList>& rows);
    static void WriteDBase(const QString& path, QList<ExportColumn> columns,
                           const QList<QVariantList>& rows);
    static void WriteCsv(const QString& path, const QList<ExportColumn>& columns,
                         const QList<QVariantList>& rows);
};
