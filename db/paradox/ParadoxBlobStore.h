#pragma once

// Builds the contents of a .MB file (memo and blob data) in memory.
// Blobs below 2 KiB share 4 KiB suballocated blocks (up to 64 each, in
// 16-byte chunks); larger ones get a block of their own.

#include <QByteArray>

class ParadoxBlobStore
{
public:
    ParadoxBlobStore();

    // Stores the bytes and returns the pointer the record keeps (block
    // offset in the file with the entry index in its low byte).
    quint32 add(const QByteArray& data);
    bool isEmpty() const { return m_blobCount == 0; }
    const QByteArray& contents() const { return m_data; }

private:
    quint32 addSingle(const QByteArray& data);
    quint32 addSuballocated(const QByteArray& data);
    void startSuballocatedBlock();

    QByteArray m_data;
    qsizetype m_blobCount = 0;
    qsizetype m_subBlock = -1; // offset of the current suballocated block
    int m_nextChunk = 0;       // first free 16-byte chunk in it
    int m_nextIndex = -1;      // next free pointer-array entry (used downwards)
};
