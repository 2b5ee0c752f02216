#pragma once

#include "import/VfkBlock.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>

#include <functional>

// Reads one VFK exchange file (versions 5.x and 6.x) into memory: header,
// block definitions and rows, in the code page the header names (ISO 8859-2,
// Windows-1250 or UTF-8). Values continued with '¤' are joined with a line
// break; text encoded twice (UTF-8 read as ISO 8859-2 and written again) is
// repaired. Anything malformed throws ETalvekException naming the file and
// the line.
class VfkReader
{
public:
    // Block name -> the columns to keep (empty: all). With a selection, the
    // rows of other blocks are skipped unread (their definitions are kept)
    // and a selected block holds only the named columns: the map needs a
    // fraction of a file, and memory grows with every value kept.
    // The key "*" keeps every block the selection does not name, whole.
    using Selection = QHash<QString, QStringList>;
    // Called every few thousand lines with the bytes read so far; it may
    // throw to stop the reading (a cancel).
    using Progress = std::function<void(qint64 bytesRead)>;
    static VfkFile readFile(const QString& path, const Selection& only = {},
                            const Progress& progress = {});
    static VfkFile parse(const QByteArray& bytes, const QString& path, const Selection& only = {});
    // The text once more decoded from UTF-8 when it is UTF-8 read as ISO
    // 8859-2 ("SaladĂ­n" -> "Saladín"); the text itself otherwise.
    // The district name (OKRESY.NAZEV) a file carries, or "" without one;
    // reads only what it needs.
    static QString districtName(const QString& path);
    static QString repairDoubleEncoding(const QString& text, bool* repaired = nullptr);
};
