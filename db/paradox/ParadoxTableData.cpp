#include "db/paradox/ParadoxTableData.h"

#include "base/ETalvekException.h"
#include "db/paradox/CodePage.h"
#include "db/paradox/ParadoxFormat.h"
#include "db/paradox/ParadoxSortOrder.h"

#include <algorithm>

using namespace ParadoxFormat;

namespace {
int versionFromId(int id)
{
    switch (id) {
    case 3:
        return 30;
    case 4:
        return 35;
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
        return 40;
    case 10:
    case 11:
        return 50;
    case 12:
        return 70;
    default:
        return 0;
    }
}
} // namespace

ParadoxTableData::ParadoxTableData(QByteArray db, QByteArray px, bool hasPx, QString fileName,
                                   const ParadoxReadOptions& options)
    : m_db(std::move(db)), m_px(std::move(px)), m_fileName(std::move(fileName))
{
    m_header.hasIndexFile = hasPx;
    parseHeader(options);
    readBlockChain();
}

void ParadoxTableData::attachMemoFile(QByteArray mb)
{
    m_mb = std::move(mb);
    m_hasMb = true;
    m_header.hasMemoFile = true;
}

qint64 ParadoxTableData::memoFileReach() const
{
    qint64 reach = 0;
    for (const FieldLayout& l : m_layout) {
        if (!isBlob(l.type))
            continue;
        const int leader = l.size - 10;
        forEachRecordPointer([&](const char* record) {
            const char* p = record + l.offset + leader;
            const quint32 length = le32(p + 4);
            if (length <= quint32(leader))
                return;
            // A blob of its own block starts with a 9-byte header; a small
            // one lies inside a 4 KiB block of several.
            const qint64 block = le32(p) & 0xFFFFFF00u;
            reach = std::max(reach, block + std::max<qint64>(MemoBlockSize, 9 + qint64(length)));
        });
    }
    return reach;
}

void ParadoxTableData::fail(const QString& problem) const
{
    throw ETalvekException(
        QStringLiteral("Tabulka \"%1\" je poškozená nebo nečitelná: %2.").arg(m_fileName, problem));
}

void ParadoxTableData::failIndex(const QString& problem) const
{
    throw ETalvekException(QStringLiteral("Primární index (.PX) tabulky \"%1\" je poškozený: %2.")
                               .arg(m_fileName, problem));
}

const ParadoxTableData::FieldLayout& ParadoxTableData::layout(int field) const
{
    if (field < 0 || field >= int(m_layout.size()))
        throw ETalvekException(
            QStringLiteral("Tabulka \"%1\" nemá pole s pořadím %2.").arg(m_fileName).arg(field));
    return m_layout[size_t(field)];
}

void ParadoxTableData::parseHeader(const ParadoxReadOptions& options)
{
    const char* d = m_db.constData();
    const qint64 size = m_db.size();
    if (size < CommonHeaderEnd)
        fail(QStringLiteral("soubor má jen %1 bajtů, méně než hlavička tabulky").arg(size));

    ParadoxHeader& h = m_header;
    h.recordSize = le16(d + RecordSize);
    h.headerSize = le16(d + HeaderSize);
    h.fileType = quint8(d[FileType]);
    const int blockCode = quint8(d[BlockSizeCode]);
    h.recordCount = le32(d + RecordCount);
    h.usedBlocks = le16(d + FileBlocks);
    h.firstBlock = le16(d + FirstBlock);
    h.lastBlock = le16(d + LastBlock);
    const int fieldCount = le16(d + FieldCount);
    h.keyFieldCount = le16(d + KeyFieldCount);
    h.sortOrder = quint8(d[SortOrder]);
    h.autoIncrement = qint32(le32(d + AutoIncrement));
    h.version = versionFromId(quint8(d[FileVersionId]));

    if (h.fileType == 1)
        fail(QStringLiteral("jde o soubor primárního indexu (.PX), ne o tabulku"));
    if (h.fileType != 0 && h.fileType != 2)
        fail(QStringLiteral("neznámý typ souboru %1").arg(h.fileType));
    if (h.version == 0)
        fail(QStringLiteral("neznámá verze formátu (kód %1)").arg(quint8(d[FileVersionId])));
    if (blockCode < 1 || blockCode > 32)
        fail(QStringLiteral("neplatná velikost bloku (kód %1)").arg(blockCode));
    h.blockSize = blockCode * 1024;
    if (h.recordSize == 0)
        fail(QStringLiteral("nulová délka záznamu"));
    const bool dataHeader = h.version >= 40;
    const int fieldInfoStart = dataHeader ? int(DataHeaderEnd) : int(CommonHeaderEnd);
    if (h.headerSize < fieldInfoStart)
        fail(QStringLiteral("hlavička má neplatnou délku %1").arg(h.headerSize));
    if (h.headerSize > size)
        fail(QStringLiteral("soubor je zkrácený: hlavička má %1 bajtů, soubor jen %2")
                 .arg(h.headerSize)
                 .arg(size));
    const qint64 declared = h.headerSize + qint64(h.usedBlocks) * h.blockSize;
    if (declared > size)
        fail(QStringLiteral("soubor je zkrácený: hlavička udává %1 bloků, tedy %2 bajtů, soubor "
                            "má jen %3")
                 .arg(h.usedBlocks)
                 .arg(declared)
                 .arg(size));
    if (fieldCount < 1 || fieldCount > 255)
        fail(QStringLiteral("neplatný počet polí %1").arg(fieldCount));
    if (h.keyFieldCount > fieldCount)
        fail(
            QStringLiteral("klíč má %1 polí, tabulka jen %2").arg(h.keyFieldCount).arg(fieldCount));
    if (h.fileType == 2)
        h.keyFieldCount = 0;

    const quint32 encryption1 = le32(d + Encryption1);
    const quint32 encryption =
        dataHeader && encryption1 == EncryptionMarker ? le32(d + Encryption2) : encryption1;
    h.encrypted = encryption != 0;
    if (h.encrypted)
        throw ETalvekException(
            QStringLiteral("Tabulka \"%1\" je zašifrovaná (chráněná heslem). ORV šifrované "
                           "tabulky neotevírá; odstraňte heslo v programu, který tabulku vytvořil.")
                .arg(m_fileName));
    h.codePage = dataHeader ? le16(d + DosCodePage) : 0;

    if (fieldInfoStart + 2 * fieldCount > h.headerSize)
        fail(QStringLiteral("popis polí přesahuje hlavičku"));
    int offset = 0;
    for (int i = 0; i < fieldCount; ++i) {
        const int code = quint8(d[fieldInfoStart + 2 * i]);
        const int stored = quint8(d[fieldInfoStart + 2 * i + 1]);
        ParadoxField field;
        if (!typeFromCode(code, &field.type))
            fail(QStringLiteral("pole č. %1 má neznámý typ %2").arg(i + 1).arg(code));
        if (!validStoredSize(field.type, stored))
            fail(QStringLiteral("pole č. %1 má neplatnou délku %2").arg(i + 1).arg(stored));
        field.size = stored;
        const int bytes = field.type == ParadoxFieldType::Bcd ? 17 : stored;
        m_layout.push_back(
            {offset, bytes, field.type, field.type == ParadoxFieldType::Bcd ? stored : 0});
        offset += bytes;
        h.fields.append(field);
    }
    if (offset != h.recordSize)
        fail(QStringLiteral("součet délek polí (%1) nesouhlasí s délkou záznamu (%2)")
                 .arg(offset)
                 .arg(h.recordSize));
    chooseCodePage(options, fieldInfoStart + 2 * fieldCount);
    parseFieldNames(fieldInfoStart + 2 * fieldCount);
}

void ParadoxTableData::parseFieldNames(int afterFieldInfo)
{
    ParadoxHeader& h = m_header;
    const int fieldCount = h.fields.size();
    const int tableNameLength = h.version >= 70 ? 261 : 79;
    // Table name pointer and one name pointer per field precede the table name.
    int pos = afterFieldInfo + 4 + 4 * fieldCount;
    if (pos + tableNameLength > h.headerSize)
        fail(QStringLiteral("jména polí přesahují hlavičku"));
    const char* d = m_db.constData();
    h.tableName = decodeText(d + pos, qstrnlen(d + pos, size_t(tableNameLength)));
    pos += tableNameLength;
    for (int i = 0; i < fieldCount; ++i) {
        const char* start = d + pos;
        const int room = h.headerSize - pos;
        const int length = int(qstrnlen(start, size_t(std::max(room, 0))));
        if (length >= room)
            fail(QStringLiteral("jméno pole č. %1 přesahuje hlavičku").arg(i + 1));
        h.fields[i].name = decodeText(start, length);
        pos += length + 1;
    }
}

QByteArray ParadoxTableData::sortOrderIdentifier(int afterFieldInfo) const
{
    // Versions 4 and later follow the field names with one field number per
    // field and then the sort order's name; version 3 headers have neither.
    const ParadoxHeader& h = m_header;
    if (h.version < 40)
        return {};
    const char* d = m_db.constData();
    const int fieldCount = h.fields.size();
    qint64 pos = afterFieldInfo + 4 + 4 * fieldCount + (h.version >= 70 ? 261 : 79);
    for (int i = 0; i < fieldCount && pos < h.headerSize; ++i)
        pos += qstrnlen(d + pos, size_t(h.headerSize - pos)) + 1;
    pos += 2 * fieldCount;
    if (pos >= h.headerSize)
        return {};
    return QByteArray(
        d + pos, qsizetype(qstrnlen(d + pos, size_t(std::min<qint64>(h.headerSize - pos, 32)))));
}

void ParadoxTableData::chooseCodePage(const ParadoxReadOptions& options, int afterFieldInfo)
{
    // A code-page field of 0 leaves the sort order to tell the page, and
    // only then the caller's fallback (Czech DOS for ORV's old tables).
    int wanted = m_header.codePage;
    if (wanted == 0 && m_header.version >= 40)
        wanted =
            ParadoxSortOrder::codePageOf(sortOrderIdentifier(afterFieldInfo), m_header.sortOrder);
    if (wanted == 0)
        wanted = options.fallbackCodePage;
    m_header.textCodePage = wanted;
    m_codePage = CodePage::find(wanted);
}

QString ParadoxTableData::decodeText(const char* data, qsizetype length) const
{
    if (m_codePage)
        return m_codePage->decode(data, length);
    for (qsizetype i = 0; i < length; ++i) {
        if (quint8(data[i]) >= 0x80)
            fail(QStringLiteral("text je v kódové stránce %1, kterou ORV neumí převést")
                     .arg(m_header.textCodePage));
    }
    return QString::fromLatin1(data, length);
}

void ParadoxTableData::decodeTextUtf8(const char* data, qsizetype length, QByteArray& out) const
{
    if (m_codePage) {
        m_codePage->decodeToUtf8(data, length, out);
        return;
    }
    decodeText(data, length); // throws for non-ASCII text
    out = QByteArray(data, length);
}

void ParadoxTableData::readBlockChain()
{
    const ParadoxHeader& h = m_header;
    const qint64 size = m_db.size();
    const int perBlock = (h.blockSize - BlockHeaderSize) / h.recordSize;
    if (perBlock < 1)
        fail(QStringLiteral("záznam (%1 bajtů) se nevejde do bloku (%2 bajtů)")
                 .arg(h.recordSize)
                 .arg(h.blockSize));
    if (h.recordCount > qint64(h.usedBlocks) * perBlock)
        fail(QStringLiteral("hlavička udává %1 záznamů, do %2 bloků se jich vejde nejvýše %3")
                 .arg(h.recordCount)
                 .arg(h.usedBlocks)
                 .arg(qint64(h.usedBlocks) * perBlock));
    std::vector<bool> visited(size_t(h.usedBlocks) + 1, false);
    qint64 total = 0;
    int block = h.recordCount > 0 || h.firstBlock != 0 ? h.firstBlock : 0;
    while (block != 0) {
        if (block > h.usedBlocks)
            fail(QStringLiteral("řetěz bloků odkazuje na blok %1, soubor má jen %2 bloků")
                     .arg(block)
                     .arg(h.usedBlocks));
        if (visited[size_t(block)])
            fail(QStringLiteral("řetěz bloků se zacyklil na bloku %1").arg(block));
        visited[size_t(block)] = true;
        const qint64 offset = h.headerSize + qint64(block - 1) * h.blockSize;
        if (offset + BlockHeaderSize > size)
            fail(QStringLiteral("soubor je zkrácený: blok %1 leží za jeho koncem").arg(block));
        const char* p = m_db.constData() + offset;
        const int lastOffset = qint16(le16(p + 4));
        int count = 0;
        if (lastOffset >= 0) {
            if (lastOffset % h.recordSize != 0 || lastOffset / h.recordSize + 1 > perBlock)
                fail(QStringLiteral("blok %1 udává neplatný počet záznamů").arg(block));
            count = lastOffset / h.recordSize + 1;
        }
        if (offset + BlockHeaderSize + qint64(count) * h.recordSize > size)
            fail(QStringLiteral("soubor je zkrácený: záznamy bloku %1 leží za jeho koncem")
                     .arg(block));
        if (count > 0)
            m_blocks.push_back({offset, count});
        total += count;
        block = le16(p);
    }
    if (total != h.recordCount)
        fail(QStringLiteral("hlavička udává %1 záznamů, bloky jich obsahují %2")
                 .arg(h.recordCount)
                 .arg(total));
}

void ParadoxTableData::forEachRecord(const std::function<void(const ParadoxRecord&)>& visit) const
{
    forEachRecordPointer([&](const char* p) { visit(ParadoxRecord(this, p)); });
}

QByteArray ParadoxTableData::blobBytes(int field, const char* fieldData) const
{
    const FieldLayout& l = layout(field);
    const int leader = l.size - 10;
    const quint32 pointer = le32(fieldData + leader);
    const quint32 length = le32(fieldData + leader + 4);
    if (length == 0)
        return {};
    if (length <= quint32(leader))
        return QByteArray(fieldData, qsizetype(length));
    if (!m_hasMb)
        return {};
    return memoBlockBytes(pointer, length, l.type == ParadoxFieldType::Graphic);
}

bool ParadoxTableData::inMissingMemoFile(int field, const char* fieldData) const
{
    if (m_hasMb)
        return false;
    const FieldLayout& l = layout(field);
    return isBlob(l.type) && le32(fieldData + l.size - 6) > quint32(l.size - 10);
}

bool ParadoxTableData::needsMissingMemoFile() const
{
    if (m_hasMb)
        return false;
    bool needed = false;
    for (int field = 0; field < fieldCount() && !needed; ++field) {
        if (!isBlob(m_layout[size_t(field)].type))
            continue;
        const int offset = m_layout[size_t(field)].offset;
        forEachRecordPointer([&](const char* record) {
            needed = needed || inMissingMemoFile(field, record + offset);
        });
    }
    return needed;
}

QByteArray ParadoxTableData::memoBlockBytes(quint32 pointer, quint32 length, bool graphic) const
{
    const qint64 blockOffset = pointer & 0xFFFFFF00u;
    const int index = int(pointer & 0xFF);
    const qint64 size = m_mb.size();
    const char* mb = m_mb.constData();
    if (blockOffset == 0 || blockOffset + 12 > size)
        fail(QStringLiteral("odkaz do souboru .MB (%1) míří mimo soubor").arg(blockOffset));
    const int type = quint8(mb[blockOffset]);
    qint64 dataOffset = 0;
    if (type == 2) {
        if (index != 0xFF)
            fail(
                QStringLiteral("odkaz do souboru .MB má u samostatného bloku index %1").arg(index));
        if (le32(mb + blockOffset + 3) != length)
            fail(QStringLiteral("délka memo pole nesouhlasí se souborem .MB"));
        dataOffset = blockOffset + 9;
    } else if (type == 3) {
        if (index >= 64)
            fail(QStringLiteral("odkaz do souboru .MB má neplatný index %1").arg(index));
        const char* entry = mb + blockOffset + 12 + 5 * index;
        if (blockOffset + 12 + 5 * index + 5 > size)
            fail(QStringLiteral("odkaz do souboru .MB míří mimo soubor"));
        const int start = quint8(entry[0]) * 16;
        const int chunks = quint8(entry[1]);
        const int lastChunk = quint8(entry[4]);
        if (start == 0 || chunks == 0 || quint32((chunks - 1) * 16 + lastChunk) != length ||
            start + qint64(length) > MemoBlockSize)
            fail(QStringLiteral("memo pole v souboru .MB je smazané nebo má chybnou délku"));
        dataOffset = blockOffset + start;
    } else {
        fail(QStringLiteral("odkaz do souboru .MB míří na blok typu %1").arg(type));
    }
    if (dataOffset + qint64(length) > size)
        fail(QStringLiteral("memo pole přesahuje konec souboru .MB"));
    // Graphic blobs start with 8 bytes of their own before the image data.
    const qint64 skip = graphic && length >= 8 ? 8 : 0;
    return QByteArray(mb + dataOffset + skip, qsizetype(length - skip));
}

QList<ParadoxReader::IndexEntry> ParadoxTableData::primaryIndex() const
{
    QList<ParadoxReader::IndexEntry> out;
    if (!m_header.hasIndexFile || m_header.keyFieldCount == 0)
        return out;
    const char* d = m_px.constData();
    if (m_px.size() < CommonHeaderEnd)
        failIndex(QStringLiteral("soubor je kratší než hlavička"));
    if (quint8(d[FileType]) != 1)
        failIndex(QStringLiteral("nejde o soubor primárního indexu"));
    int keySize = 0;
    for (int i = 0; i < m_header.keyFieldCount; ++i)
        keySize += m_layout[size_t(i)].size;
    IndexGeometry g;
    g.recordSize = le16(d + RecordSize);
    g.headerSize = le16(d + HeaderSize);
    g.blockSize = quint8(d[BlockSizeCode]) * 1024;
    g.fileBlocks = le16(d + FileBlocks);
    const int root = le16(d + IndexRoot);
    const int levels = quint8(d[IndexLevels]);
    if (root == 0)
        return out; // an empty table has an empty index
    if (g.recordSize != keySize + 6)
        failIndex(QStringLiteral("délka položky indexu nesouhlasí s klíčem tabulky"));
    if (g.blockSize == 0 || g.blockSize > 32 * 1024 || g.headerSize > m_px.size())
        failIndex(QStringLiteral("neplatná hlavička"));
    if (g.headerSize + qint64(g.fileBlocks) * g.blockSize > m_px.size())
        failIndex(QStringLiteral("soubor je zkrácený: hlavička udává %1 bloků, soubor má jen %2 "
                                 "bajtů")
                      .arg(g.fileBlocks)
                      .arg(m_px.size()));
    if (levels < 1 || levels > 16)
        failIndex(QStringLiteral("neplatný počet úrovní %1").arg(levels));
    std::vector<bool> visited(size_t(g.fileBlocks) + 1, false);
    collectIndexEntries(g, root, levels, 0, visited, out);
    return out;
}

void ParadoxTableData::collectIndexEntries(const IndexGeometry& g, int block, int level, int depth,
                                           std::vector<bool>& visited,
                                           QList<ParadoxReader::IndexEntry>& out) const
{
    if (block < 1 || block > g.fileBlocks || visited[size_t(block)] || depth > 16)
        failIndex(QStringLiteral("odkaz na blok %1 je neplatný nebo cyklický").arg(block));
    visited[size_t(block)] = true;
    const qint64 offset = g.headerSize + qint64(block - 1) * g.blockSize;
    if (offset + BlockHeaderSize > m_px.size())
        failIndex(QStringLiteral("blok %1 leží za koncem souboru").arg(block));
    const char* p = m_px.constData() + offset;
    const int lastOffset = qint16(le16(p + 4));
    const int count = lastOffset < 0 ? 0 : lastOffset / g.recordSize + 1;
    if (lastOffset >= 0 && (lastOffset % g.recordSize != 0 ||
                            BlockHeaderSize + qint64(count) * g.recordSize > g.blockSize ||
                            offset + BlockHeaderSize + qint64(count) * g.recordSize > m_px.size()))
        failIndex(QStringLiteral("blok %1 má neplatný počet položek").arg(block));
    const int keySize = g.recordSize - 6;
    for (int i = 0; i < count; ++i) {
        const char* entry = p + BlockHeaderSize + qint64(i) * g.recordSize;
        const int target = decodeInt(entry + keySize, 2);
        if (level > 1) {
            collectIndexEntries(g, target, level - 1, depth + 1, visited, out);
            continue;
        }
        ParadoxReader::IndexEntry e;
        const ParadoxRecord key(this, entry);
        for (int f = 0; f < m_header.keyFieldCount; ++f)
            e.key.append(key.value(f));
        e.block = target;
        e.recordCount = decodeInt(entry + keySize + 2, 2);
        out.append(e);
    }
}
