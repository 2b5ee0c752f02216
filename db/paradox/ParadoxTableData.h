#pragma once

// The validated contents of one Paradox table: the .DB bytes, the block list
// in chain order, the field layout, and the .MB and .PX companions. Every
// offset, size, count and chain read from the files is checked here once, so
// that record access afterwards needs no further bounds checks except for
// blob pointers, which are checked when a blob is read.

#include "db/paradox/ParadoxTable.h"

#include <vector>

class CodePage;

class ParadoxTableData
{
public:
    struct FieldLayout
    {
        int offset;
        int size;
        ParadoxFieldType type;
        int decimals; // Bcd only
    };

    ParadoxTableData(QByteArray db, QByteArray px, bool hasPx, QString fileName,
                     const ParadoxReadOptions& options);
    // The bytes of the .MB from its start up to memoFileReach() (or all of
    // it); a table without one reads the cells kept there as blank.
    void attachMemoFile(QByteArray mb);
    // How far into the .MB the table's cells point: the end of the furthest
    // block they name (0 when every cell fits its record).
    qint64 memoFileReach() const;

    const ParadoxHeader& header() const { return m_header; }
    const QString& fileName() const { return m_fileName; }
    const FieldLayout& layout(int field) const;
    int fieldCount() const { return int(m_layout.size()); }

    template <typename Visit> void forEachRecordPointer(Visit&& visit) const
    {
        const char* base = m_db.constData();
        const int size = m_header.recordSize;
        for (const Block& block : m_blocks) {
            const char* p = base + block.offset + 6;
            for (int i = 0; i < block.count; ++i, p += size)
                visit(p);
        }
    }
    void forEachRecord(const std::function<void(const ParadoxRecord&)>& visit) const;

    // Decoding helpers used by ParadoxRecord.
    QString decodeText(const char* data, qsizetype length) const;
    void decodeTextUtf8(const char* data, qsizetype length, QByteArray& out) const;
    // The bytes of a blob field (leader or .MB); empty when blank.
    QByteArray blobBytes(int field, const char* fieldData) const;
    // True when a blob cell's contents lie in the .MB and there is none:
    // such a cell reads as blank.
    bool inMissingMemoFile(int field, const char* fieldData) const;
    // True when some record has a blob cell in the missing .MB.
    bool needsMissingMemoFile() const;

    QList<ParadoxReader::IndexEntry> primaryIndex() const;

    [[noreturn]] void fail(const QString& problem) const;

private:
    struct Block
    {
        qint64 offset;
        int count;
    };

    void parseHeader(const ParadoxReadOptions& options);
    void parseFieldNames(int afterFieldInfo);
    QByteArray sortOrderIdentifier(int afterFieldInfo) const;
    void chooseCodePage(const ParadoxReadOptions& options, int afterFieldInfo);
    void readBlockChain();
    void checkPrimaryIndexHeader();
    QByteArray memoBlockBytes(quint32 pointer, quint32 length, bool graphic) const;
    struct IndexGeometry
    {
        int headerSize = 0;
        int blockSize = 0;
        int recordSize = 0;
        int fileBlocks = 0;
    };
    void collectIndexEntries(const IndexGeometry& g, int block, int level, int depth,
                             std::vector<bool>& visited,
                             QList<ParadoxReader::IndexEntry>& out) const;
    QVariant decodeKeyValue(int field, const char* p) const;
    [[noreturn]] void failIndex(const QString& problem) const;

    QByteArray m_db;
    QByteArray m_mb;
    QByteArray m_px;
    bool m_hasMb = false;
    QString m_fileName;
    ParadoxHeader m_header;
    std::vector<FieldLayout> m_layout;
    std::vector<Block> m_blocks;
    const CodePage* m_codePage = nullptr;
};
