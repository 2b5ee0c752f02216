#pragma once

#include "import/VfkBlock.h"

#include <QByteArray>
#include <QSet>

// Reads one VFK exchange file (versions 5.x and 6.x) into memory: header,
// block definitions and rows, in the code page the header names (ISO 8859-2,
// Windows-1250 or UTF-8). Values continued with '¤' are joined with a line
// break; text encoded twice (UTF-8 read as ISO 8859-2 and written again) is
// repaired. Anything malformed throws ETalvekException naming the file and
// the line.
class VfkReader
{
public:
    // With `onlyBlocks`, the rows of other blocks are skipped unread (their
    // definitions are kept): a reader of the map needs a fraction of a file.
    static VfkFile readFile(const QString& path, const QSet<QString>& onlyBlocks = {});
    static VfkFile parse(const QByteArray& bytes, const QString& path,
                         const QSet<QString>& onlyBlocks = {});
    // The text once more decoded from UTF-8 when it is UTF-8 read as ISO
    // 8859-2 ("SaladĂ­n" -> "Saladín"); the text itself otherwise.
    // The district name (OKRESY.NAZEV) a file carries, or "" without one;
    // reads only what it needs.
    static QString districtName(const QString& path);
    static QString repairDoubleEncoding(const QString& text, bool* repaired = nullptr);
};
