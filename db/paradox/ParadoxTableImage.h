#pragma once

// Lays out the bytes of a Paradox 7 table (code page 1250): the .DB header
// and data blocks from encoded records already in key order, and the
// matching .PX primary index (a tree of blocks, one entry per data block).

#include "db/paradox/ParadoxTable.h"

#include <vector>

class ParadoxTableImage
{
public:
    ParadoxTableImage(const QList<ParadoxField>& fields, int keyFieldCount, int recordSize,
                      QString tableName);

    // `records` points to the encoded records (recordSize() bytes each) in
    // their final order.
    QByteArray dataFile(const std::vector<const char*>& records, qint32 autoIncrement) const;
    QByteArray primaryIndexFile(const std::vector<const char*>& records) const;
    int blockSize() const { return m_blockSize; }
    int recordsPerBlock() const { return (m_blockSize - 6) / m_recordSize; }

    // Chooses the smallest block size (2 to 32 KiB) that holds `count` records
    // in at most 65535 blocks; throws when none does.
    void chooseBlockSize(qint64 count);

private:
    QByteArray header(int fileType, int headerSize) const;
    int dataHeaderSize() const;
    int keySize() const;
    int namesLength(int fieldCount) const;

    QList<ParadoxField> m_fields;
    QList<QByteArray> m_names; // field names in code page 1250
    int m_keyFieldCount;
    int m_recordSize;
    int m_blockSize = 2048;
    QString m_tableName;
};
