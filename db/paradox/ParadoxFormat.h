#pragma once

// Byte-level layout of Paradox files shared by the reader and the writer.
// Headers and block headers are little endian; field values in records are
// "modified big endian": big endian with the sign bit flipped (numbers), so
// that the bytes of encoded keys sort like their values.

#include "db/paradox/ParadoxTable.h"

#include <QtGlobal>
#include <cstring>

namespace ParadoxFormat {

// Offsets in the common file header.
enum HeaderOffset : int
{
    RecordSize = 0x00,
    HeaderSize = 0x02,
    FileType = 0x04,
    BlockSizeCode = 0x05,
    RecordCount = 0x06,
    UsedBlocks = 0x0A,
    FileBlocks = 0x0C,
    FirstBlock = 0x0E,
    LastBlock = 0x10,
    ChangeCount12 = 0x12,
    IndexRoot = 0x1E,
    IndexLevels = 0x20,
    FieldCount = 0x21,
    KeyFieldCount = 0x23,
    Encryption1 = 0x25,
    SortOrder = 0x29,
    ChangeCount1 = 0x2D,
    ChangeCount2 = 0x2E,
    TableNamePtrPtr = 0x30,
    FieldInfoPtr = 0x34,
    FileVersionId = 0x39,
    MaxBlocks = 0x3A,
    Unknown3E = 0x3E,
    AutoIncrement = 0x49,
    RealHeaderSize = 0x51,
    Unknown56 = 0x56,
    CommonHeaderEnd = 0x58,
    // Data header of .DB files of version 4 and later.
    FileVersionId3 = 0x58,
    FileVersionId4 = 0x5A,
    Encryption2 = 0x5C,
    FileUpdateTime = 0x60,
    HiFieldId = 0x64,
    HiFieldIdInfo = 0x66,
    DosCodePage = 0x6A,
    Unknown6C = 0x6C,
    DataHeaderEnd = 0x78,
};

constexpr int BlockHeaderSize = 6;
constexpr int MemoBlockSize = 4096;
constexpr quint32 EncryptionMarker = 0xFF00FF00u;
// Julian day of 31 December 0000 (proleptic Gregorian): Paradox day 1 is 1 Jan 0001.
constexpr qint64 JulianDayOfDayZero = 1721425;
constexpr qint64 MsecsPerDay = 86400000;

inline quint16 le16(const char* p)
{
    return quint16(quint8(p[0]) | (quint8(p[1]) << 8));
}
inline quint32 le32(const char* p)
{
    return quint32(quint8(p[0])) | (quint32(quint8(p[1])) << 8) | (quint32(quint8(p[2])) << 16) |
           (quint32(quint8(p[3])) << 24);
}
inline void putLe16(char* p, quint16 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}
inline void putLe32(char* p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}

inline bool allZero(const char* p, int size)
{
    for (int i = 0; i < size; ++i) {
        if (p[i])
            return false;
    }
    return true;
}

// Modified big-endian integers: sign bit flipped.
inline qint32 decodeInt(const char* p, int size)
{
    quint32 v = 0;
    for (int i = 0; i < size; ++i)
        v = (v << 8) | quint8(p[i]);
    const quint32 signBit = 1u << (size * 8 - 1);
    v ^= signBit;
    if (size < 4 && (v & signBit))
        v |= ~((signBit << 1) - 1); // sign-extend a short
    return qint32(v);
}
inline void encodeInt(char* p, qint32 value, int size)
{
    quint32 v = quint32(value) ^ (1u << (size * 8 - 1));
    for (int i = size - 1; i >= 0; --i) {
        p[i] = char(v & 0xFF);
        v >>= 8;
    }
}

// Doubles: positive values have the sign bit set, negative ones are inverted.
inline double decodeDouble(const char* p)
{
    quint64 v = 0;
    for (int i = 0; i < 8; ++i)
        v = (v << 8) | quint8(p[i]);
    if (v & (quint64(1) << 63))
        v &= ~(quint64(1) << 63);
    else
        v = ~v;
    double d;
    std::memcpy(&d, &v, 8);
    return d;
}
inline void encodeDouble(char* p, double d)
{
    quint64 v;
    if (d == 0)
        d = 0.0; // no negative zero: it would encode like a blank's neighbour
    std::memcpy(&v, &d, 8);
    if (v & (quint64(1) << 63))
        v = ~v;
    else
        v |= quint64(1) << 63;
    for (int i = 7; i >= 0; --i) {
        p[i] = char(v & 0xFF);
        v >>= 8;
    }
}

enum TypeCode : quint8
{
    CodeAlpha = 0x01,
    CodeDate = 0x02,
    CodeShort = 0x03,
    CodeLong = 0x04,
    CodeCurrency = 0x05,
    CodeNumber = 0x06,
    CodeLogical = 0x09,
    CodeMemo = 0x0C,
    CodeBlob = 0x0D,
    CodeFormattedMemo = 0x0E,
    CodeOle = 0x0F,
    CodeGraphic = 0x10,
    CodeTime = 0x14,
    CodeTimestamp = 0x15,
    CodeAutoIncrement = 0x16,
    CodeBcd = 0x17,
    CodeBytes = 0x18,
};

quint8 typeCode(ParadoxFieldType type);
bool typeFromCode(int code, ParadoxFieldType* type);
// Fixed size in a record, or 0 for types whose size is given per field.
int fixedSize(ParadoxFieldType type);
bool isBlob(ParadoxFieldType type);
// Checks a field's size as stored in a header; returns false when invalid.
bool validStoredSize(ParadoxFieldType type, int storedSize);
// The length in bytes that a .DB or .PX file has by its own header: the
// header and the blocks it counts. Bytes after that are spare and never read.
// Only the header size when the block size code is invalid (the table then
// refuses the header); at most 64 KiB + 65,535 blocks of 32 KiB.
qint64 declaredFileSize(const QByteArray& file);

} // namespace ParadoxFormat
