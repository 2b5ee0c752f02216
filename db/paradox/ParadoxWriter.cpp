#include "db/paradox/ParadoxTable.h"

#include "base/ETalvekException.h"
#include "db/paradox/CodePage.h"
#include "db/paradox/ParadoxBlobStore.h"
#include "db/paradox/ParadoxFileSet.h"
#include "db/paradox/ParadoxFormat.h"
#include "db/paradox/ParadoxRecordEncoder.h"
#include "db/paradox/ParadoxTableImage.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

namespace {
constexpr int MaxFieldNameLength = 25;

[[noreturn]] void failDefinition(const QString& path, const QString& problem)
{
    throw ETalvekException(QStringLiteral("Tabulku \"%1\" nelze vytvořit: %2.")
                               .arg(QDir::toNativeSeparators(path), problem));
}

// Fills in the record sizes of fixed-size and default-size fields and checks
// the definitions.
QList<ParadoxField> normalisedFields(const QString& path, QList<ParadoxField> fields,
                                     int keyFieldCount)
{
    if (fields.isEmpty() || fields.size() > 255)
        failDefinition(path, QStringLiteral("tabulka musí mít 1 až 255 polí"));
    if (keyFieldCount < 0 || keyFieldCount > fields.size())
        failDefinition(path, QStringLiteral("neplatný počet klíčových polí %1").arg(keyFieldCount));
    for (int i = 0; i < fields.size(); ++i) {
        ParadoxField& f = fields[i];
        if (f.name.isEmpty() || f.name.size() > MaxFieldNameLength)
            failDefinition(path, QStringLiteral("jméno pole \"%1\" musí mít 1 až %2 znaků")
                                     .arg(f.name)
                                     .arg(MaxFieldNameLength));
        for (int j = 0; j < i; ++j) {
            if (fields[j].name.compare(f.name, Qt::CaseInsensitive) == 0)
                failDefinition(path, QStringLiteral("pole \"%1\" je uvedeno dvakrát").arg(f.name));
        }
        const int fixed = ParadoxFormat::fixedSize(f.type);
        if (fixed && f.type != ParadoxFieldType::Bcd)
            f.size = fixed;
        else if (f.size == 0 && f.type == ParadoxFieldType::Memo)
            f.size = 11;
        else if (f.size == 0 && ParadoxFormat::isBlob(f.type))
            f.size = 10;
        if (!ParadoxFormat::validStoredSize(f.type, f.size) ||
            (f.type == ParadoxFieldType::Memo && f.size < 11))
            failDefinition(path, QStringLiteral("pole \"%1\" typu %2 nemůže mít délku %3")
                                     .arg(f.name, paradoxFieldTypeName(f.type))
                                     .arg(f.size));
        if (i < keyFieldCount && ParadoxFormat::isBlob(f.type))
            failDefinition(
                path, QStringLiteral("memo ani blob pole \"%1\" nemůže být v klíči").arg(f.name));
    }
    return fields;
}

QString existingOrNew(const QString& dir, const QString& fileName)
{
    const QString existing = ParadoxFiles::resolveCaseInsensitive(dir, fileName);
    return existing.isEmpty() ? QDir(dir).filePath(fileName) : existing;
}
} // namespace

struct ParadoxWriter::Private
{
    QString path;
    QList<ParadoxField> fields;
    int keyFieldCount = 0;
    int keySize = 0;
    ParadoxBlobStore blobs;
    std::unique_ptr<ParadoxRecordEncoder> encoder;
    // Encoded records in chunks, so that growing never copies them.
    static constexpr qint64 ChunkRecords = 8192;
    std::vector<std::unique_ptr<char[]>> chunks;
    qint64 rowCount = 0;

    char* record(qint64 index) const
    {
        return chunks[size_t(index / ChunkRecords)].get() +
               size_t(index % ChunkRecords) * size_t(encoder->recordSize());
    }

    std::vector<const char*> recordPointers() const;
    std::vector<const char*> recordsInKeyOrder() const;
};

ParadoxWriter::ParadoxWriter(const QString& path, const QList<ParadoxField>& fields,
                             int keyFieldCount)
    : d(std::make_unique<Private>())
{
    d->path = path;
    d->fields = normalisedFields(path, fields, keyFieldCount);
    d->keyFieldCount = keyFieldCount;
    for (int i = 0; i < keyFieldCount; ++i)
        d->keySize += paradoxFieldStorageSize(d->fields[i]);
    d->encoder = std::make_unique<ParadoxRecordEncoder>(d->fields, CodePage::require(1250),
                                                        d->blobs, QDir::toNativeSeparators(path));
    if (d->encoder->recordSize() > 32 * 1024 - 6)
        failDefinition(path,
                       QStringLiteral("záznam by měl %1 bajtů").arg(d->encoder->recordSize()));
}

ParadoxWriter::~ParadoxWriter() = default;

void ParadoxWriter::addRow(const QVariantList& row)
{
    const size_t size = size_t(d->encoder->recordSize());
    if (d->rowCount % Private::ChunkRecords == 0)
        d->chunks.emplace_back(new char[size_t(Private::ChunkRecords) * size]());
    char* out = d->record(d->rowCount);
    try {
        d->encoder->encode(row, out);
    } catch (...) {
        std::memset(out, 0, size);
        throw;
    }
    ++d->rowCount;
}

qint64 ParadoxWriter::rowCount() const
{
    return d->rowCount;
}

std::vector<const char*> ParadoxWriter::Private::recordPointers() const
{
    std::vector<const char*> pointers(static_cast<size_t>(rowCount));
    for (size_t i = 0; i < pointers.size(); ++i)
        pointers[i] = record(qint64(i));
    return pointers;
}

std::vector<const char*> ParadoxWriter::Private::recordsInKeyOrder() const
{
    // Encoded keys compare bytewise in key order (sign-flipped big-endian
    // numbers, text in code page 1250 byte order, blanks first). The first
    // eight key bytes are compared as one integer.
    struct Entry
    {
        quint64 prefix;
        const char* record;
    };
    const size_t prefixSize = std::min<size_t>(8, size_t(keySize));
    const size_t restSize = size_t(keySize) - prefixSize;
    std::vector<Entry> entries;
    entries.reserve(static_cast<size_t>(rowCount));
    for (const char* record : recordPointers()) {
        quint64 prefix = 0;
        for (size_t i = 0; i < 8; ++i)
            prefix = (prefix << 8) | (i < prefixSize ? quint8(record[i]) : 0);
        entries.push_back({prefix, record});
    }
    const auto less = [&](const Entry& a, const Entry& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        return std::memcmp(a.record + prefixSize, b.record + prefixSize, restSize) < 0;
    };
    if (!std::is_sorted(entries.begin(), entries.end(), less))
        std::sort(entries.begin(), entries.end(), less);
    std::vector<const char*> sorted;
    sorted.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0 && !less(entries[i - 1], entries[i]))
            throw ETalvekException(
                QStringLiteral("Tabulku \"%1\" nelze uložit: dva záznamy mají stejný klíč.")
                    .arg(QDir::toNativeSeparators(path)));
        sorted.push_back(entries[i].record);
    }
    return sorted;
}

void ParadoxWriter::commit()
{
    const QFileInfo info(d->path);
    const QString dir = info.path();
    if (!QFileInfo(dir).isDir())
        failDefinition(
            d->path,
            QStringLiteral("adresář \"%1\" neexistuje").arg(QDir::toNativeSeparators(dir)));
    const QString dbPath = existingOrNew(dir, info.fileName());
    const bool lowerCase = info.suffix() == info.suffix().toLower() && !info.suffix().isEmpty();
    const QString base = QFileInfo(dbPath).completeBaseName();
    const QString mbPath = existingOrNew(dir, base + (lowerCase ? ".mb" : ".MB"));
    const QString pxPath = existingOrNew(dir, base + (lowerCase ? ".px" : ".PX"));

    const bool keyed = d->keyFieldCount > 0;
    const std::vector<const char*> records = keyed ? d->recordsInKeyOrder() : d->recordPointers();

    ParadoxTableImage image(d->fields, d->keyFieldCount, d->encoder->recordSize(), dbPath);
    image.chooseBlockSize(d->rowCount);
    ParadoxFileSet files;
    // A table with a memo or blob field always gets its .MB, even with no
    // text stored yet: other Paradox readers refuse such a table without it.
    const bool hasBlobField = std::any_of(d->fields.begin(), d->fields.end(), [](const auto& f) {
        return ParadoxFormat::isBlob(f.type);
    });
    if (hasBlobField)
        files.write(mbPath, d->blobs.contents());
    else if (QFileInfo::exists(mbPath))
        files.removeAfterCommit(mbPath);
    if (keyed)
        files.write(pxPath, image.primaryIndexFile(records));
    else if (QFileInfo::exists(pxPath))
        files.removeAfterCommit(pxPath);
    files.write(dbPath, image.dataFile(records, d->encoder->highestAutoIncrement()));
    files.commit();
}

void ParadoxWriter::writeTable(const QString& path, const QList<ParadoxField>& fields,
                               int keyFieldCount, const QList<QVariantList>& rows)
{
    ParadoxWriter writer(path, fields, keyFieldCount);
    for (const QVariantList& row : rows)
        writer.addRow(row);
    writer.commit();
}
