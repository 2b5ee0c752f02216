#pragma once

#include "select/core/TOwnerIndexDistrict.h"

#include <QString>

#include <map>
#include <memory>

// The owner indexes of the districts searched in this process, each loaded
// from ORV's cache directory (OrvPaths::cacheDir() + "/owner-index") at its
// first search and kept in memory afterwards, so that later searches cost a
// stat per relation table and a few lookups. Used from one thread.
class TOwnerSheetIndex
{
public:
    static TOwnerSheetIndex& instance();

    // The index of a district directory (resolved to its canonical path);
    // throws for an import's directory not yet renamed into place.
    TOwnerIndexDistrict& district(const QString& directory);
    // Writes the index files of the districts that changed, several at once;
    // files that cannot be written leave those indexes in memory only.
    void saveChanged() noexcept;
    // Forgets what is kept in memory, as a new process would; the files stay.
    void forget();
    // Removes the index files of district directories that no longer exist
    // (a district moved or deleted), so that the cache does not grow for
    // ever; files of other programs or versions are left alone. Done once
    // per process, at the first save.
    static void pruneVanished();

    // The directory of the index files, and the file of a district directory.
    static QString cacheDirectory();
    static QString indexFile(const QString& canonicalDirectory);

private:
    TOwnerSheetIndex() = default;
    std::map<QString, std::unique_ptr<TOwnerIndexDistrict>> m_districts;
    bool m_pruned = false;
};
