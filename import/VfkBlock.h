#pragma once

#include "import/VfkRowStore.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// One block of a VFK file (&B line and its &D rows), values decoded to text
// when read. Blank fields are empty strings; numbers keep the file's spelling.
struct VfkBlock
{
    QString name;
    QStringList columns;
    QString types; // per column: 'N' number, 'T' text, 'D' date
    // The file's columns that the reader's selection left out: asking for
    // one of them is a mistake of the selection, not of the file.
    QStringList unread;
    VfkRowStore rows;
    // Where the block was defined and each row read: the &B line, and per
    // row the file (index among the files of an import; 0 within one file)
    // and its &D line, so that the mapping can name them when it refuses a
    // value.
    struct Origin
    {
        int file = 0;
        int line = 0;
    };
    int definitionFile = 0;
    int definitionLine = 0;
    QList<Origin> origins; // parallel to rows

    // Index of the column, or -1 when the block has no such column.
    int column(const QString& columnName) const { return int(columns.indexOf(columnName)); }
    // The value of a column (index from column()) in a row, "" for -1.
    QString value(qsizetype row, int columnIndex) const { return rows.value(row, columnIndex); }
};

// A read VFK file: its header values (&H name -> first value, unquoted) and
// its blocks by name.
struct VfkFile
{
    QString path;
    QHash<QString, QString> header;
    QHash<QString, VfkBlock> blocks;
    int repairedTexts = 0; // texts decoded once more from double UTF-8 encoding
    QStringList warnings;  // what the reader changed, naming the file and line
};
