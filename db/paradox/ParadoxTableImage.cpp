#include "db/paradox/ParadoxTableImage.h"

#include "base/ETalvekException.h"
#include "db/paradox/CodePage.h"
#include "db/paradox/ParadoxFormat.h"

#include <QFileInfo>

using namespace ParadoxFormat;

namespace {
constexpr int TableNameLength = 261; // version 7
constexpr int VersionId7 = 0x0C;
constexpr int CodePage1250 = 1250;
const char SortOrderName[8] = {'a', 's', 'c', 'i', 'i', 0, 0, 0}; // byte order

int roundUp(int value, int unit)
{
    return (value + unit - 1) / unit * unit;
}

void fillBlockHeader(char* block, int next, int prev, int count, int recordSize)
{
    putLe16(block, quint16(next));
    putLe16(block + 2, quint16(prev));
    putLe16(block + 4, quint16(qint16((count - 1) * recordSize)));
}
} // namespace

ParadoxTableImage::ParadoxTableImage(const QList<ParadoxField>& fields, int keyFieldCount,
                                     int recordSize, QString tableName)
    : m_fields(fields), m_keyFieldCount(keyFieldCount), m_recordSize(recordSize),
      m_tableName(std::move(tableName))
{
    const CodePage& codePage = CodePage::require(CodePage1250);
    for (const ParadoxField& f : m_fields) {
        QByteArray name;
        if (!codePage.encode(f.name, name))
            throw ETalvekException(
                QStringLiteral(
                    "Jméno pole \"%1\" obsahuje znak, který nelze zapsat v kódové stránce 1250.")
                    .arg(f.name));
        m_names.append(name);
    }
}

int ParadoxTableImage::namesLength(int fieldCount) const
{
    int sum = 0;
    for (int i = 0; i < fieldCount; ++i)
        sum += int(m_names[i].size()) + 1;
    return sum;
}

void ParadoxTableImage::chooseBlockSize(qint64 count)
{
    for (int kib : {2, 4, 8, 16, 32}) {
        m_blockSize = kib * 1024;
        const int perBlock = recordsPerBlock();
        if (perBlock >= 1 && (count + perBlock - 1) / perBlock <= 0xFFFF)
            return;
    }
    throw ETalvekException(
        QStringLiteral(
            "Tabulka \"%1\" by byla příliš velká pro formát Paradox (%2 záznamů po %3 bajtech).")
            .arg(m_tableName)
            .arg(count)
            .arg(m_recordSize));
}

int ParadoxTableImage::keySize() const
{
    int size = 0;
    for (int i = 0; i < m_keyFieldCount; ++i)
        size += paradoxFieldStorageSize(m_fields[i]);
    return size;
}

int ParadoxTableImage::dataHeaderSize() const
{
    const int n = int(m_fields.size());
    return DataHeaderEnd + n * (2 + 4 + 2) + 4 + TableNameLength +
           namesLength(int(m_fields.size())) + int(sizeof SortOrderName) + 1;
}

QByteArray ParadoxTableImage::header(int fileType, int headerSize) const
{
    const bool index = fileType == 1;
    const QList<ParadoxField> fields = index ? m_fields.mid(0, m_keyFieldCount) : m_fields;
    const int n = int(fields.size());
    QByteArray bytes(headerSize, '\0');
    char* h = bytes.data();
    putLe16(h + RecordSize, quint16(index ? keySize() + 6 : m_recordSize));
    putLe16(h + HeaderSize, quint16(headerSize));
    h[FileType] = char(fileType);
    h[BlockSizeCode] = char(m_blockSize / 1024);
    putLe16(h + FieldCount, quint16(n));
    putLe16(h + KeyFieldCount, quint16(index ? 0 : m_keyFieldCount));
    h[FileVersionId] = char(VersionId7);
    h[SortOrder] = 0;
    const int names = namesLength(n);
    if (!index) {
        putLe32(h + Encryption1, EncryptionMarker);
        h[Unknown3E] = 0x1F;
        h[Unknown3E + 1] = 0x0F;
        h[Unknown56] = 0x20;
        putLe16(h + RealHeaderSize, quint16(dataHeaderSize()));
        putLe16(h + FileVersionId3, 0x010C);
        putLe16(h + FileVersionId4, 0x010C);
        putLe16(h + HiFieldId, quint16(n + 1));
        putLe16(h + HiFieldIdInfo, quint16(0x20 + n * 6 + 4 + TableNameLength + names));
        putLe16(h + DosCodePage, CodePage1250);
        h[Unknown6C] = 1;
        h[Unknown6C + 1] = 1;
        putLe16(h + Unknown6C + 2, quint16(0x18 + n * 8 + 4 + TableNameLength + names + 8));
    }
    int pos = index ? int(CommonHeaderEnd) : int(DataHeaderEnd);
    for (const ParadoxField& f : fields) {
        h[pos++] = char(typeCode(f.type));
        h[pos++] = char(f.size);
    }
    pos += 4; // table name pointer
    if (!index)
        pos += 4 * n; // field name pointers
    const QByteArray tableName =
        QFileInfo(m_tableName).fileName().toLatin1().left(TableNameLength - 1);
    std::memcpy(h + pos, tableName.constData(), size_t(tableName.size()));
    pos += TableNameLength;
    if (index)
        return bytes;
    for (const QByteArray& name : m_names) {
        std::memcpy(h + pos, name.constData(), size_t(name.size()));
        pos += int(name.size()) + 1;
    }
    for (int i = 0; i < n; ++i, pos += 2)
        putLe16(h + pos, quint16(i + 1));
    std::memcpy(h + pos, SortOrderName, sizeof SortOrderName);
    return bytes;
}

QByteArray ParadoxTableImage::dataFile(const std::vector<const char*>& records,
                                       qint32 autoIncrement) const
{
    const qint64 count = qint64(records.size());
    const int headerSize = roundUp(dataHeaderSize(), 2048);
    const int perBlock = recordsPerBlock();
    const int blocks = int((count + perBlock - 1) / perBlock);
    QByteArray file = header(m_keyFieldCount > 0 ? 0 : 2, headerSize);
    file.resize(headerSize + qint64(blocks) * m_blockSize, '\0');
    char* h = file.data();
    putLe32(h + RecordCount, quint32(count));
    putLe16(h + UsedBlocks, quint16(blocks));
    putLe16(h + FileBlocks, quint16(blocks));
    putLe16(h + FirstBlock, quint16(blocks > 0 ? 1 : 0));
    putLe16(h + LastBlock, quint16(blocks));
    putLe16(h + MaxBlocks, quint16(blocks));
    putLe32(h + AutoIncrement, quint32(autoIncrement));
    for (int b = 0; b < blocks; ++b) {
        const qint64 first = qint64(b) * perBlock;
        const int inBlock = int(std::min<qint64>(perBlock, count - first));
        char* block = h + headerSize + qint64(b) * m_blockSize;
        fillBlockHeader(block, b + 1 < blocks ? b + 2 : 0, b, inBlock, m_recordSize);
        char* out = block + BlockHeaderSize;
        for (int i = 0; i < inBlock; ++i, out += m_recordSize)
            std::memcpy(out, records[size_t(first + i)], size_t(m_recordSize));
    }
    return file;
}

QByteArray ParadoxTableImage::primaryIndexFile(const std::vector<const char*>& records) const
{
    const qint64 count = qint64(records.size());
    const int entrySize = keySize() + 6;
    const int perIndexBlock = (m_blockSize - BlockHeaderSize) / entrySize;
    const int perBlock = recordsPerBlock();
    // Level 1: one entry per data block (its first key, block number, record count).
    struct Entry
    {
        const char* key;
        int block;
        qint64 count;
    };
    std::vector<Entry> level;
    for (qint64 first = 0, b = 1; first < count; first += perBlock, ++b)
        level.push_back(
            {records[size_t(first)], int(b), std::min<qint64>(perBlock, count - first)});
    const qint64 leafEntries = qint64(level.size());
    QByteArray blocks;
    int blockCount = 0;
    int levels = 0;
    int root = 0;
    while (!level.empty()) {
        ++levels;
        std::vector<Entry> parents;
        const int firstOfLevel = blockCount + 1;
        const int levelBlocks = int((level.size() + perIndexBlock - 1) / perIndexBlock);
        for (int b = 0; b < levelBlocks; ++b) {
            const size_t from = size_t(b) * size_t(perIndexBlock);
            const size_t to = std::min(level.size(), from + size_t(perIndexBlock));
            QByteArray block(m_blockSize, '\0');
            const int number = firstOfLevel + b;
            fillBlockHeader(block.data(), b + 1 < levelBlocks ? number + 1 : 0,
                            b > 0 ? number - 1 : 0, int(to - from), entrySize);
            qint64 sum = 0;
            for (size_t i = from; i < to; ++i) {
                char* e = block.data() + BlockHeaderSize + qint64(i - from) * entrySize;
                std::memcpy(e, level[i].key, size_t(entrySize - 6));
                encodeInt(e + entrySize - 6, level[i].block, 2);
                encodeInt(e + entrySize - 4, qint32(std::min<qint64>(level[i].count, 32767)), 2);
                encodeInt(e + entrySize - 2, 0, 2);
                sum += level[i].count;
            }
            blocks += block;
            parents.push_back({level[from].key, number, sum});
        }
        blockCount += levelBlocks;
        if (levelBlocks == 1) {
            root = blockCount;
            break;
        }
        level = std::move(parents);
    }
    if (blockCount > 0xFFFF)
        throw ETalvekException(
            QStringLiteral("Primární index tabulky \"%1\" by byl příliš velký.").arg(m_tableName));
    QByteArray file = header(1, 2048);
    char* h = file.data();
    putLe32(h + RecordCount, quint32(leafEntries));
    putLe16(h + UsedBlocks, quint16(blockCount));
    putLe16(h + FileBlocks, quint16(blockCount));
    putLe16(h + FirstBlock, quint16(blockCount > 0 ? 1 : 0));
    putLe16(h + LastBlock, quint16(blockCount));
    putLe16(h + MaxBlocks, quint16(blockCount));
    putLe16(h + IndexRoot, quint16(root));
    h[IndexLevels] = char(levels);
    return file + blocks;
}
