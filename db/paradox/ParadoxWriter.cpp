#include "db/paradox/ParadoxTable.h"

#include "app/core/ETalvekException.h"
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
    std::vector<char> records;
    qint64 rowCount = 0;

    std::vector<qint64> sortedOrder() const;
    std::vector<char> recordsInKeyOrder() const;
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
    const size_t start = d->records.size();
    d->records.resize(start + size, '\0');
    try {
        d->encoder->encode(row, d->records.data() + start);
    } catch (...) {
        d->records.resize(start);
        throw;
    }
    ++d->rowCount;
}

qint64 ParadoxWriter::rowCount() const
{
    return d->rowCount;
}

std::vector<qint64> ParadoxWriter::Private::sortedOrder() const
{
    std::vector<qint64> order(static_cast<size_t>(rowCount));
    std::iota(order.begin(), order.end(), 0);
    const char* base = records.data();
    const size_t size = size_t(encoder->recordSize());
    // Encoded keys compare bytewise in key order (sign-flipped big endian
    // numbers, text in code page 1250 byte order, blanks first).
    std::stable_sort(order.begin(), order.end(), [&](qint64 a, qint64 b) {
        return std::memcmp(base + size_t(a) * size, base + size_t(b) * size, size_t(keySize)) < 0;
    });
    return order;
}

std::vector<char> ParadoxWriter::Private::recordsInKeyOrder() const
{
    const std::vector<qint64> order = sortedOrder();
    const size_t size = size_t(encoder->recordSize());
    std::vector<char> sorted(records.size());
    for (size_t i = 0; i < order.size(); ++i) {
        const char* record = records.data() + size_t(order[i]) * size;
        if (i > 0 && std::memcmp(sorted.data() + (i - 1) * size, record, size_t(keySize)) == 0)
            throw ETalvekException(
                QStringLiteral("Tabulku \"%1\" nelze uložit: dva záznamy mají stejný klíč.")
                    .arg(QDir::toNativeSeparators(path)));
        std::memcpy(sorted.data() + i * size, record, size);
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
    std::vector<char> sorted;
    if (keyed)
        sorted = d->recordsInKeyOrder();
    const char* records = keyed ? sorted.data() : d->records.data();

    ParadoxTableImage image(d->fields, d->keyFieldCount, d->encoder->recordSize(), dbPath);
    image.chooseBlockSize(d->rowCount);
    ParadoxFileSet files;
    if (!d->blobs.isEmpty())
        files.write(mbPath, d->blobs.contents());
    else if (QFileInfo::exists(mbPath))
        files.removeAfterCommit(mbPath);
    if (keyed)
        files.write(pxPath, image.primaryIndexFile(records, d->rowCount));
    else if (QFileInfo::exists(pxPath))
        files.removeAfterCommit(pxPath);
    files.write(dbPath, image.dataFile(records, d->rowCount, d->encoder->highestAutoIncrement()));
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
