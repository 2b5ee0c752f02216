#pragma once

#include <QString>

// VFK files of cadastral areas of their own, made from the public sample of
// one area (its descriptive file and its map read as one): the data blocks
// repeated `copies` times with new identifiers, and the sample's area given
// the code areaCode(index) in KATUZE and in every KATUZE_KOD… column. Files
// with different indexes share no identifier, so together they form a
// district of as many areas, each with its map. Code lists and the
// neighbouring areas' rows stay as in the sample (equal in every file).
namespace VfkAreaFiles {
// The code of the area of the file numbered `index` (1..99).
QString areaCode(int index);
// Writes the file (through PATH.part, renamed when complete) and returns
// its size in bytes, or -1 when the sample cannot be read or the file
// cannot be written. `copies` is 1..99.
qint64 write(const QString& samplesDir, const QString& path, int index, int copies);
} // namespace VfkAreaFiles
