#pragma once

#include "select/core/TParcGridModel.h"

#include <QStringList>

// Parcel and house numbers read from a text file or the clipboard into the
// rows of a selection grid. The first line decides the layout: three columns
// (group / stem / subdivision, or part / house number / kind) separated by a
// blank or a tab, or lists of numbers in their text form ("12/1;15;(7)").
// No number is dropped silently: a cell or trailing text holding digits that
// do not make the cell's number refuses the line.
class TParcelImport
{
public:
    struct Result
    {
        QList<TParcGridRow> rows;
        int errorLine = 0; // 1-based line that did not fit; 0 when all did
        // The message when it says more than the line number: "Chybné číslo"
        // naming a cell that holds digits but no number, too many rows.
        QString errorText;
    };

    // Larger files are refused: the grid is for typed lists, not for data sets.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;
    static constexpr int MaxRows = 200000;

    // The lines of a text file: UTF-8, or code page 1250 when the bytes are
    // not valid UTF-8. A file that is not a regular file (a device, a named
    // pipe), holds more than MaxFileSize bytes or is not text raises
    // ETalvekException naming the file; nothing else happens then.
    static QStringList ReadTextFile(const QString& path);
    // The lines of clipboard text; an empty text is one empty line.
    static QStringList SplitText(const QString& text);
    // Parses the lines into grid rows; stops at the first line that does not fit.
    static Result Parse(const QStringList& lines, TParcGridModel::Kind kind);

private:
    struct Layout
    {
        QChar separator = QLatin1Char(' ');
        bool columns = true; // three columns per line, else lists of numbers
    };
    struct LineCheck
    {
        bool fits = true;
        QString badCell; // a cell that holds digits but no number
    };
    static Layout layoutOf(const QString& firstLine, TParcGridModel::Kind kind);
    static bool hidesNumber(const QString& cell);
    static LineCheck columnLine(const QString& line, QChar separator, TParcGridModel::Kind kind,
                                TParcGridRow& row);
    static bool listNumber(const QString& number, TParcGridModel::Kind kind, TParcGridRow& row);
};
