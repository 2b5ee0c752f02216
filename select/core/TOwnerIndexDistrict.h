#pragma once

#include "db/FileStamp.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// The owner index of one district directory: for every cadastral area the
// distinct (IDENT, ELLVCIS) pairs of its ownership relations NYSUV + suffix +
// ".DB", sorted by IDENT, stamped with the table file's size, modification
// and change times (ns) and inode: an edit in place that keeps the size and
// sets the modification time back still changes the change time. A table whose stamp changed is
// read again, alone; the district directory is only read, never written. The index is kept in a
// file of ORV's cache directory that is checked (version, lengths, checksum,
// directory) before use: a damaged or foreign file, anything but a regular
// file, or one larger than the district's tables could give is simply rebuilt.
class TOwnerIndexDistrict
{
public:
    using Stamp = FileStamp;
    struct Pair
    {
        double ident = 0;
        qint64 sheet = 0;
    };
    // (sheet, IDENT) of the owners sought in one area.
    using Found = std::vector<std::pair<qint64, double>>;

    // `directory`: the district's canonical directory; `indexFile`: its file
    // in the cache directory (empty: kept in memory only).
    TOwnerIndexDistrict(const QString& directory, const QString& indexFile);
    ~TOwnerIndexDistrict();
    TOwnerIndexDistrict(const TOwnerIndexDistrict&) = delete;
    TOwnerIndexDistrict& operator=(const TOwnerIndexDistrict&) = delete;

    // Reads the index file; a missing or damaged one leaves the index empty.
    void load();
    // The cadastral areas of the catalogue, (PORCIS, NAZEV), as the query
    // gave them last time, when the catalogue file kept its stamp; false
    // otherwise, with `stamp` the stamp to pass to setCatalogue().
    using Catalogue = QList<QPair<QString, QString>>;
    bool catalogue(Catalogue& areas, Stamp& stamp);
    void setCatalogue(const Catalogue& areas, const Stamp& stamp);

    // Brings the areas of `suffixes` up to date with their tables, reading
    // the new and changed ones in parallel; returns how many were read.
    int refresh(const QStringList& suffixes);
    // The sheets of the owners `idents` (sorted, distinct) in the area, in
    // the order of the plain search (sheet, then IDENT). False when the
    // area's relation table is missing, unreadable or was not refreshed.
    bool lookup(const QString& suffix, const std::vector<double>& idents, Found& found) const;
    // Forgets the areas that are not in `suffixes` (no longer in the catalogue).
    void keepOnly(const QStringList& suffixes);
    // Writes the index file atomically when anything changed; a cache
    // directory that cannot be written leaves the index in memory only.
    void save();
    // Whether the index differs from its file.
    bool changed() const { return m_dirty; }

    // The relation table's name of an area: NYSUV + suffix + ".DB".
    static QString tableName(const QString& suffix);
    // The district directory an index file was written for; empty when the
    // file is not an index file of this version. Reads only its beginning.
    static QString directoryOfFile(const QString& indexFile);

private:
    struct Area
    {
        QString fileName;
        QByteArray encodedName; // fileName as the file system spells it
        Stamp stamp;
        bool readable = false;
        std::vector<Pair> pairs;
    };
    void openDirectory();
    bool stampOf(const QByteArray& fileName, Stamp& stamp) const;
    static Area readArea(const QString& path, const Stamp& stamp);
    QString currentName(const QString& suffix, Stamp& stamp) const;
    QByteArray serialize() const;
    qint64 largestSaneFile() const;
    bool parse(const QByteArray& bytes);

    QString m_directory;
    QString m_indexFile;
    QHash<QString, Area> m_areas; // by area suffix
    QString m_catalogueName;      // empty: no catalogue known
    Stamp m_catalogueStamp;
    Catalogue m_catalogue;
    bool m_dirty = false;
    // The district directory held open, so that a stamp costs no walk of
    // its path; opened again when the directory was replaced.
    int m_directoryFd = -1;
    Stamp m_directoryStamp;
};
