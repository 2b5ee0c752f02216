#include "db/paradox/ParadoxTable.h"

#include "base/ETalvekException.h"
#include "db/paradox/ParadoxFormat.h"
#include "db/paradox/ParadoxTableData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
QByteArray readWholeFile(const QString& path, const QString& what)
{
    QFile file(path);
    if (!file.exists())
        throw ETalvekException(
            QStringLiteral("%1 \"%2\" neexistuje.").arg(what, QDir::toNativeSeparators(path)));
    if (!file.open(QIODevice::ReadOnly))
        throw ETalvekException(QStringLiteral("Soubor \"%2\" (%1) nelze otevřít: %3")
                                   .arg(what, QDir::toNativeSeparators(path), file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ETalvekException(QStringLiteral("Soubor \"%2\" (%1) nelze přečíst: %3")
                                   .arg(what, QDir::toNativeSeparators(path), file.errorString()));
    return bytes;
}

bool hasBlobFields(const QByteArray& db)
{
    // Peek at the field types without validating: the table does the checks.
    if (db.size() < ParadoxFormat::CommonHeaderEnd)
        return false;
    const int version = quint8(db[ParadoxFormat::FileVersionId]);
    const int start = version >= 5 ? ParadoxFormat::DataHeaderEnd : ParadoxFormat::CommonHeaderEnd;
    const int count = ParadoxFormat::le16(db.constData() + ParadoxFormat::FieldCount);
    for (int i = 0; i < count && start + 2 * i < db.size(); ++i) {
        ParadoxFieldType type;
        if (ParadoxFormat::typeFromCode(quint8(db[start + 2 * i]), &type) &&
            ParadoxFormat::isBlob(type))
            return true;
    }
    return false;
}

// Where the .MB of a table would be: its name with the extension's case.
QString memoFileBeside(const QString& dbPath)
{
    const QString suffix = QFileInfo(dbPath).suffix();
    if (suffix.isEmpty())
        return dbPath + QStringLiteral(".MB");
    const bool lower = suffix == suffix.toLower();
    return dbPath.left(dbPath.size() - suffix.size()) +
           (lower ? QStringLiteral("mb") : QStringLiteral("MB"));
}
} // namespace

ParadoxReader::ParadoxReader(const QString& path, const ParadoxReadOptions& options)
{
    const QString name = QDir::toNativeSeparators(path);
    // The data come from a case-insensitive file system: NYSPA001.DB may be nyspa001.db.
    const QFileInfo info(path);
    const QString resolved = ParadoxFiles::resolveCaseInsensitive(info.path(), info.fileName());
    const QString dbPath = resolved.isEmpty() ? path : resolved;
    QByteArray db = readWholeFile(dbPath, QStringLiteral("Tabulka"));
    QByteArray mb;
    QByteArray px;
    bool hasMb = false;
    bool hasPx = false;
    if (hasBlobFields(db)) {
        const QString mbPath = ParadoxFiles::companionFile(dbPath, QStringLiteral("MB"));
        if (!mbPath.isEmpty()) {
            mb = readWholeFile(mbPath, QStringLiteral("Soubor memo polí"));
            hasMb = true;
        }
    }
    const QString pxPath = ParadoxFiles::companionFile(dbPath, QStringLiteral("PX"));
    if (!pxPath.isEmpty()) {
        px = readWholeFile(pxPath, QStringLiteral("Primární index"));
        hasPx = true;
    }
    m_data = std::make_unique<ParadoxTableData>(std::move(db), std::move(mb), hasMb, std::move(px),
                                                hasPx, name, options);
    noteMissingMemoFile();
}

void ParadoxReader::noteMissingMemoFile()
{
    if (m_data->needsMissingMemoFile())
        m_missingMemoFile = memoFileBeside(m_data->fileName());
}

QString ParadoxReader::missingMemoFile() const
{
    return m_missingMemoFile;
}

QString ParadoxReader::warning() const
{
    if (m_missingMemoFile.isEmpty())
        return {};
    return QStringLiteral("Soubor memo a blob polí \"%1\" chybí: memo a blob pole tabulky \"%2\" "
                          "jsou prázdná.")
        .arg(m_missingMemoFile, m_data->fileName());
}

ParadoxReader ParadoxReader::fromBytes(const QByteArray& db, const QByteArray& mb,
                                       const QString& name, const ParadoxReadOptions& options)
{
    ParadoxReader reader;
    reader.m_data = std::make_unique<ParadoxTableData>(db, mb, !mb.isEmpty(), QByteArray(), false,
                                                       name, options);
    reader.noteMissingMemoFile();
    return reader;
}

ParadoxReader::~ParadoxReader() = default;
ParadoxReader::ParadoxReader(ParadoxReader&&) noexcept = default;
ParadoxReader& ParadoxReader::operator=(ParadoxReader&&) noexcept = default;

const ParadoxHeader& ParadoxReader::header() const
{
    return m_data->header();
}

QString ParadoxReader::path() const
{
    return m_data->fileName();
}

int ParadoxReader::fieldIndex(const QString& name) const
{
    const QList<ParadoxField>& fields = header().fields;
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void ParadoxReader::forEachRecord(const std::function<void(const ParadoxRecord&)>& visit) const
{
    m_data->forEachRecord(visit);
}

QList<QVariantList> ParadoxReader::readAll() const
{
    QList<QVariantList> rows;
    rows.reserve(header().recordCount);
    const int fieldCount = header().fields.size();
    m_data->forEachRecord([&](const ParadoxRecord& record) {
        QVariantList row;
        row.reserve(fieldCount);
        for (int i = 0; i < fieldCount; ++i)
            row.append(record.value(i));
        rows.append(std::move(row));
    });
    return rows;
}

QList<ParadoxReader::IndexEntry> ParadoxReader::primaryIndex() const
{
    return m_data->primaryIndex();
}
