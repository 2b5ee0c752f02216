#include "select/core/TOwnerSheetIndex.h"

#include "base/OrvPaths.h"
#include "base/ParallelJobs.h"

#include <QCryptographicHash>
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
    const QString canonical = QFileInfo(directory).canonicalFilePath();
    const QString key = canonical.isEmpty() ? directory : canonical;
    std::unique_ptr<TOwnerIndexDistrict>& slot = m_districts[key];
    if (!slot) {
        slot = std::make_unique<TOwnerIndexDistrict>(key, indexFile(key));
        slot->load();
    }
    return *slot;
}

void TOwnerSheetIndex::saveChanged() noexcept
{
    std::vector<TOwnerIndexDistrict*> districts;
    for (auto& entry : m_districts)
        if (entry.second->changed())
            districts.push_back(entry.second.get());
    // Each file is synced to the disk before it replaces the old one: the
    // waits of several files overlap.
    try {
        RunParallelJobs(int(districts.size()), 8, [&](int i) { districts[size_t(i)]->save(); });
    } catch (const std::exception&) {
        // Out of memory or threads: the index stays in memory only.
    }
}

void TOwnerSheetIndex::forget()
{
    m_districts.clear();
}
