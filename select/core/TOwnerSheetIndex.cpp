#include "select/core/TOwnerSheetIndex.h"

#include "base/ETalvekException.h"
#include "base/OrvPaths.h"
#include "base/StagedDirectory.h"
#include "base/ParallelJobs.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <vector>

TOwnerSheetIndex& TOwnerSheetIndex::instance()
{
    static TOwnerSheetIndex index;
    return index;
}

QString TOwnerSheetIndex::cacheDirectory()
{
    return OrvPaths::cacheDir() + QStringLiteral("/owner-index");
}

QString TOwnerSheetIndex::indexFile(const QString& canonicalDirectory)
{
    // The directory's path may be long and hold any character: its hash
    // names the file; the file itself holds the path, checked when loading.
    const QByteArray hash =
        QCryptographicHash::hash(canonicalDirectory.toUtf8(), QCryptographicHash::Sha1).toHex();
    return cacheDirectory() + QLatin1Char('/') + QString::fromLatin1(hash) + QStringLiteral(".idx");
}

TOwnerIndexDistrict& TOwnerSheetIndex::district(const QString& directory)
{
    // An import's directory before it is renamed into place is no district:
    // it vanishes when the import ends.
    if (StagedDirectory::isStagedName(directory))
        throw ETalvekException(
            QStringLiteral("Adresář '%1' je rozpracovaný import okresu, ne adresář okresu")
                .arg(QDir::toNativeSeparators(directory)));
    const QString canonical = QFileInfo(directory).canonicalFilePath();
    const QString key = canonical.isEmpty() ? directory : canonical;
    std::unique_ptr<TOwnerIndexDistrict>& slot = m_districts[key];
    if (!slot) {
        slot = std::make_unique<TOwnerIndexDistrict>(key, indexFile(key));
        slot->load();
    }
    return *slot;
}

void TOwnerSheetIndex::pruneVanished()
{
    const QDir cache(cacheDirectory());
    for (const QString& name : cache.entryList({QStringLiteral("*.idx")}, QDir::Files)) {
        const QString directory = TOwnerIndexDistrict::directoryOfFile(cache.filePath(name));
        // The file must be the one this directory's index is written to:
        // never a file that only claims a directory.
        if (!directory.isEmpty() && !QFileInfo(directory).isDir() &&
            indexFile(directory) == cache.filePath(name))
            QFile::remove(cache.filePath(name));
    }
}

void TOwnerSheetIndex::saveChanged() noexcept
{
    try {
        if (!m_pruned) {
            m_pruned = true;
            pruneVanished();
        }
        std::vector<TOwnerIndexDistrict*> districts;
        for (auto& entry : m_districts)
            if (entry.second->changed())
                districts.push_back(entry.second.get());
        // Each file is synced to the disk before it replaces the old one:
        // the waits of several files overlap.
        RunParallelJobs(int(districts.size()), 8, [&](int i) { districts[size_t(i)]->save(); });
    } catch (const std::exception&) {
        // Out of memory or threads: the index stays in memory only.
    }
}

void TOwnerSheetIndex::forget()
{
    m_districts.clear();
}
