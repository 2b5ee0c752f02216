#pragma once

#include "select/core/TParcGridModel.h"

#include <QStringList>

// Parcel and house numbers read from a text file or the clipboard into the
// rows of a selection grid. The first line decides the layout: three columns
// (group / stem / subdivision, or part / house number / kind) separated by a
// blank or a tab, or lists of numbers in their text form ("12/1;15;(7)").
class TParcelImport
{
public:
    struct Result
    {
        QList<TParcGridRow> rows;
        int errorLine = 0; // 1-based line that did not fit; 0 when all did
        QString errorText; // message for errors other than a line that did not fit
    };

    // Larger files are refused: the grid is for typed lists, not for data sets.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;
    static constexpr int MaxRows = 200000;

    // The lines of a text file: UTF-8, or code page 1250 when the bytes are
    // not valid UTF-8. A file that is too large or not text raises
    // ETalvekException naming the file; nothing else happens then.
    static QStringList ReadTextFile(const QString& path);
    // The lines of clipboard text; an empty text is one empty line.
    static QStringList SplitText(const QString& text);
    // Parses the lines into grid rows; stops at the first line that does not fit.
    static Result Parse(const QStringList& lines, TParcGridModel::Kind kind);

private:
    static QChar separatorOf(const QString& firstLine, TParcGridModel::Kind kind);
    static bool columnLine(const QString& line, QChar separator, TParcGridModel::Kind kind,
                           TParcGridRow& row);
    static bool listNumber(const QString& number, TParcGridModel::Kind kind, TParcGridRow& row);
};
