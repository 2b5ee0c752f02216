#include "db/paradox/ParadoxTable.h"

#include "db/paradox/ParadoxFormat.h"
#include "db/paradox/ParadoxInputFile.h"
#include "db/paradox/ParadoxTableData.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {
// A .DB or .PX file up to the length its header gives it.
QByteArray readDeclaredFile(const QString& path, const QString& what)
{
    ParadoxInputFile file(path, what);
    QByteArray bytes = file.read(0, ParadoxFormat::CommonHeaderEnd);
    bytes += file.read(bytes.size(), ParadoxFormat::declaredFileSize(bytes) - bytes.size());
    return bytes;
}

bool hasBlobFields(const ParadoxHeader& header)
{
    return std::any_of(header.fields.begin(), header.fields.end(),
                       [](const ParadoxField& f) { return ParadoxFormat::isBlob(f.type); });
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
    QByteArray db = readDeclaredFile(dbPath, QStringLiteral("Tabulka"));
    QByteArray px;
    const QString pxPath = ParadoxFiles::companionFile(dbPath, QStringLiteral("PX"));
    if (!pxPath.isEmpty())
        px = readDeclaredFile(pxPath, QStringLiteral("Primární index"));
    m_data = std::make_unique<ParadoxTableData>(std::move(db), std::move(px), !pxPath.isEmpty(),
                                                name, options);
    if (hasBlobFields(m_data->header())) {
        const QString mbPath = ParadoxFiles::companionFile(dbPath, QStringLiteral("MB"));
        if (!mbPath.isEmpty()) {
            // The .MB has no length of its own: it is read as far as the
            // table's cells point into it.
            ParadoxInputFile mb(mbPath, QStringLiteral("Soubor memo polí"));
            m_data->attachMemoFile(mb.read(0, m_data->memoFileReach()));
        }
    }
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
    reader.m_data = std::make_unique<ParadoxTableData>(db, QByteArray(), false, name, options);
    if (!mb.isEmpty())
        reader.m_data->attachMemoFile(mb);
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
