#include "db/paradox/ParadoxBlobStore.h"

#include "base/ETalvekException.h"
#include "db/paradox/ParadoxFormat.h"

using namespace ParadoxFormat;

namespace {
constexpr int ChunkSize = 16;
constexpr int SubEntries = 64;
constexpr int SubHeaderSize = 12;
constexpr int FirstDataChunk = (SubHeaderSize + 5 * SubEntries + ChunkSize - 1) / ChunkSize;
constexpr int SmallBlobLimit = 2048;
constexpr int SingleHeaderSize = 9;
} // namespace

ParadoxBlobStore::ParadoxBlobStore() : m_data(MemoBlockSize, '\0')
{
    char* h = m_data.data();
    h[0] = 0; // header block
    putLe16(h + 1, 1);
    putLe16(h + 3, 1);             // modification count
    putLe16(h + 0x0B, 0x1000);     // base size of data blocks
    putLe16(h + 0x0D, 0x1000);     // size of suballocated blocks
    h[0x10] = ChunkSize;           // suballocation chunk size
    putLe16(h + 0x11, SubEntries); // suballocations per block
    putLe16(h + 0x13, SmallBlobLimit);
}

quint32 ParadoxBlobStore::add(const QByteArray& data)
{
    if (m_data.size() + qint64(data.size()) + 2 * MemoBlockSize > 0xFFFFFF00LL)
        throw ETalvekException(QStringLiteral(
            "Memo a blob data tabulky přesahují největší velikost souboru .MB (4 GB)."));
    ++m_blobCount;
    return data.size() < SmallBlobLimit ? addSuballocated(data) : addSingle(data);
}

quint32 ParadoxBlobStore::addSingle(const QByteArray& data)
{
    const qsizetype offset = m_data.size();
    const qsizetype chunks = (SingleHeaderSize + data.size() + MemoBlockSize - 1) / MemoBlockSize;
    if (chunks > 0xFFFF)
        throw ETalvekException(QStringLiteral("Memo nebo blob pole je delší než 256 MB."));
    m_data.resize(offset + chunks * MemoBlockSize, '\0');
    char* b = m_data.data() + offset;
    b[0] = 2;
    putLe16(b + 1, quint16(chunks));
    putLe32(b + 3, quint32(data.size()));
    putLe16(b + 7, 1);
    std::memcpy(b + SingleHeaderSize, data.constData(), size_t(data.size()));
    return quint32(offset) | 0xFF;
}

void ParadoxBlobStore::startSuballocatedBlock()
{
    m_subBlock = m_data.size();
    m_data.resize(m_subBlock + MemoBlockSize, '\0');
    char* b = m_data.data() + m_subBlock;
    b[0] = 3;
    putLe16(b + 1, 1);
    m_nextChunk = FirstDataChunk;
    m_nextIndex = SubEntries - 1;
}

quint32 ParadoxBlobStore::addSuballocated(const QByteArray& data)
{
    const int chunks = int((data.size() + ChunkSize - 1) / ChunkSize);
    if (m_subBlock < 0 || m_nextIndex < 0 || (m_nextChunk + chunks) * ChunkSize > MemoBlockSize)
        startSuballocatedBlock();
    char* b = m_data.data() + m_subBlock;
    std::memcpy(b + m_nextChunk * ChunkSize, data.constData(), size_t(data.size()));
    char* entry = b + SubHeaderSize + 5 * m_nextIndex;
    entry[0] = char(m_nextChunk);
    entry[1] = char(chunks);
    putLe16(entry + 2, 1);
    const int lastChunk = int(data.size() % ChunkSize);
    entry[4] = char(lastChunk == 0 ? ChunkSize : lastChunk);
    const quint32 pointer = quint32(m_subBlock) | quint32(m_nextIndex);
    m_nextChunk += chunks;
    --m_nextIndex;
    return pointer;
}
