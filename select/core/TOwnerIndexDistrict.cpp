#include "select/core/TOwnerIndexDistrict.h"

#include "base/ParallelJobs.h"
#include "data/CadastralTables.h"
#include "db/ValueConvert.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace {

// File layout: header (magic, version, byte-order tag, payload length,
// payload checksum), then the payload: the district directory, the number of
// areas and per area its suffix, table file name, stamp, readable flag and
// pairs. Numbers in the machine's byte order, which the tag checks.
constexpr char Magic[8] = {'O', 'R', 'V', 'O', 'W', 'N', 'I', 'X'};
constexpr quint32 FormatVersion = 1;
constexpr quint32 ByteOrderTag = 0x01020304;
constexpr int HeaderSize = 32;

// A 64-bit checksum of the payload, word by word (FNV-1a style); it finds
// damage, it does not resist forgery.
quint64 checksum(const char* data, qint64 size)
{
    quint64 hash = 0xcbf29ce484222325ull;
    qint64 i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, 8);
        hash = (hash ^ word) * 0x100000001b3ull;
        hash ^= hash >> 29;
    }
    for (; i < size; ++i)
        hash = (hash ^ quint8(data[i])) * 0x100000001b3ull;
    return hash;
}

class Writer
{
public:
    template <typename T> void put(const T& value)
    {
        m_bytes.append(reinterpret_cast<const char*>(&value), sizeof(T));
    }
    void putText(const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        put(quint32(utf8.size()));
        m_bytes.append(utf8);
    }
    void putRaw(const void* data, qint64 size)
    {
        m_bytes.append(static_cast<const char*>(data), size);
    }
    QByteArray& bytes() { return m_bytes; }

private:
    QByteArray m_bytes;
};

// Reads the payload; every length is checked against what is left.
class Reader
{
public:
    Reader(const char* data, qint64 size) : m_data(data), m_left(size) {}
    template <typename T> bool get(T& value) { return getRaw(&value, sizeof(T)); }
    bool getRaw(void* out, qint64 size)
    {
        if (size < 0 || size > m_left)
            return false;
        std::memcpy(out, m_data, size_t(size));
        m_data += size;
        m_left -= size;
        return true;
    }
    bool getText(QString& text)
    {
        quint32 size = 0;
        if (!get(size) || size > m_left)
            return false;
        text = QString::fromUtf8(m_data, qsizetype(size));
        m_data += size;
        m_left -= size;
        return true;
    }
    qint64 left() const { return m_left; }

private:
    const char* m_data;
    qint64 m_left;
};

bool threeDigits(const QString& suffix)
{
    return suffix.size() == 3 &&
           std::all_of(suffix.begin(), suffix.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

TOwnerIndexDistrict::TOwnerIndexDistrict(const QString& directory, const QString& indexFile)
    : m_directory(directory), m_indexFile(indexFile)
{
}

QString TOwnerIndexDistrict::tableName(const QString& suffix)
{
    return CadastralTables::PerAreaTable(CadastralTables::RelationPrefix, suffix);
}

bool TOwnerIndexDistrict::stampOf(const QString& path, Stamp& stamp)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    stamp = {qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
             quint64(st.st_ino)};
    return true;
}

// The table file of the area as it is now: the name found last time, the
// usual upper-case name, or any case of it; empty when there is none.
QString TOwnerIndexDistrict::currentPath(const QString& suffix, Stamp& stamp) const
{
    const auto known = m_areas.constFind(suffix);
    QStringList names;
    if (known != m_areas.constEnd())
        names << known->fileName;
    names << tableName(suffix);
    for (const QString& name : names) {
        const QString path = m_directory + QLatin1Char('/') + name;
        if (stampOf(path, stamp))
            return path;
    }
    const QString other = ParadoxFiles::resolveCaseInsensitive(m_directory, tableName(suffix));
    return !other.isEmpty() && stampOf(other, stamp) ? other : QString();
}

TOwnerIndexDistrict::Area TOwnerIndexDistrict::readArea(const QString& path, const Stamp& stamp)
{
    Area area;
    area.fileName = QFileInfo(path).fileName();
    area.stamp = stamp;
    try {
        const ParadoxReader reader(path);
        const int identField = reader.fieldIndex(QStringLiteral("IDENT"));
        const int sheetField = reader.fieldIndex(QStringLiteral("ELLVCIS"));
        if (identField < 0 || sheetField < 0)
            return area;
        reader.forEachRecord([&](const ParadoxRecord& r) {
            // A blank IDENT matches no owner; a blank sheet number reads as 0.
            if (!r.isBlank(identField))
                area.pairs.push_back({r.toDouble(identField),
                                      r.isBlank(sheetField)
                                          ? 0
                                          : ValueConvert::roundHalfEven(r.toDouble(sheetField))});
        });
    } catch (const std::exception&) {
        // Missing, truncated or corrupt: the area is skipped and counted.
        area.pairs.clear();
        return area;
    }
    auto byIdentSheet = [](const Pair& a, const Pair& b) {
        return a.ident < b.ident || (a.ident == b.ident && a.sheet < b.sheet);
    };
    std::sort(area.pairs.begin(), area.pairs.end(), byIdentSheet);
    area.pairs.erase(std::unique(area.pairs.begin(), area.pairs.end(),
                                 [](const Pair& a, const Pair& b) {
                                     return a.ident == b.ident && a.sheet == b.sheet;
                                 }),
                     area.pairs.end());
    area.pairs.shrink_to_fit();
    area.readable = true;
    return area;
}

int TOwnerIndexDistrict::refresh(const QStringList& suffixes)
{
    QStringList staleSuffixes;
    QStringList stalePaths;
    QList<Stamp> staleStamps;
    for (const QString& suffix : suffixes) {
        Stamp stamp;
        const QString path = threeDigits(suffix) ? currentPath(suffix, stamp) : QString();
        const auto known = m_areas.constFind(suffix);
        if (path.isEmpty()) {
            m_dirty = m_dirty || known != m_areas.constEnd();
            m_areas.remove(suffix);
        } else if (known == m_areas.constEnd() || !(known->stamp == stamp) ||
                   QFileInfo(path).fileName() != known->fileName) {
            staleSuffixes << suffix;
            stalePaths << path;
            staleStamps << stamp;
        }
    }
    if (staleSuffixes.isEmpty())
        return 0;
    std::vector<Area> read(size_t(staleSuffixes.size()));
    // Parsing a table keeps a core busy: one thread per core.
    const int threads = std::clamp(int(std::thread::hardware_concurrency()), 1, 8);
    RunParallelJobs(int(read.size()), threads,
                    [&](int i) { read[size_t(i)] = readArea(stalePaths[i], staleStamps[i]); });
    for (int i = 0; i < staleSuffixes.size(); ++i)
        m_areas.insert(staleSuffixes[i], std::move(read[size_t(i)]));
    m_dirty = true;
    return int(staleSuffixes.size());
}

bool TOwnerIndexDistrict::lookup(const QString& suffix, const std::vector<double>& idents,
                                 Found& found) const
{
    found.clear();
    const auto area = m_areas.constFind(suffix);
    if (area == m_areas.constEnd() || !area->readable)
        return false;
    const std::vector<Pair>& pairs = area->pairs;
    // Few owners: a binary search each; many (a name found in a large
    // district): one walk through both sorted lists.
    if (idents.size() * 16 < pairs.size()) {
        for (const double ident : idents) {
            auto it = std::lower_bound(pairs.begin(), pairs.end(), ident,
                                       [](const Pair& p, double v) { return p.ident < v; });
            for (; it != pairs.end() && it->ident == ident; ++it)
                found.push_back({it->sheet, ident});
        }
    } else {
        auto want = idents.begin();
        for (const Pair& p : pairs) {
            while (want != idents.end() && *want < p.ident)
                ++want;
            if (want == idents.end())
                break;
            if (*want == p.ident)
                found.push_back({p.sheet, p.ident});
        }
    }
    std::sort(found.begin(), found.end());
    return true;
}

void TOwnerIndexDistrict::keepOnly(const QStringList& suffixes)
{
    const QSet<QString> keep(suffixes.begin(), suffixes.end());
    for (auto it = m_areas.begin(); it != m_areas.end();) {
        if (keep.contains(it.key())) {
            ++it;
        } else {
            it = m_areas.erase(it);
            m_dirty = true;
        }
    }
}

QByteArray TOwnerIndexDistrict::serialize() const
{
    Writer payload;
    payload.putText(m_directory);
    payload.put(quint32(m_areas.size()));
    for (auto it = m_areas.constBegin(); it != m_areas.constEnd(); ++it) {
        payload.putText(it.key());
        payload.putText(it->fileName);
        payload.put(it->stamp.size);
        payload.put(it->stamp.mtimeNs);
        payload.put(it->stamp.inode);
        payload.put(quint32(it->readable ? 1 : 0));
        payload.put(quint32(it->pairs.size()));
        payload.putRaw(it->pairs.data(), qint64(it->pairs.size() * sizeof(Pair)));
    }
    Writer file;
    file.putRaw(Magic, sizeof(Magic));
    file.put(FormatVersion);
    file.put(ByteOrderTag);
    file.put(quint64(payload.bytes().size()));
    file.put(checksum(payload.bytes().constData(), payload.bytes().size()));
    file.bytes().append(payload.bytes());
    return file.bytes();
}

bool TOwnerIndexDistrict::parse(const QByteArray& bytes)
{
    Reader header(bytes.constData(), bytes.size());
    char magic[8];
    quint32 version = 0;
    quint32 tag = 0;
    quint64 length = 0;
    quint64 sum = 0;
    if (!header.getRaw(magic, 8) || std::memcmp(magic, Magic, 8) != 0 || !header.get(version) ||
        version != FormatVersion || !header.get(tag) || tag != ByteOrderTag ||
        !header.get(length) || !header.get(sum) || length != quint64(bytes.size() - HeaderSize) ||
        checksum(bytes.constData() + HeaderSize, qint64(length)) != sum)
        return false;
    Reader in(bytes.constData() + HeaderSize, qint64(length));
    QString directory;
    quint32 count = 0;
    if (!in.getText(directory) || directory != m_directory || !in.get(count))
        return false;
    QHash<QString, Area> areas;
    for (quint32 i = 0; i < count; ++i) {
        QString suffix;
        Area area;
        quint32 readable = 0;
        quint32 pairs = 0;
        if (!in.getText(suffix) || !in.getText(area.fileName) || !in.get(area.stamp.size) ||
            !in.get(area.stamp.mtimeNs) || !in.get(area.stamp.inode) || !in.get(readable) ||
            !in.get(pairs) || qint64(pairs) * qint64(sizeof(Pair)) > in.left())
            return false;
        area.readable = readable == 1;
        area.pairs.resize(pairs);
        if (!in.getRaw(area.pairs.data(), qint64(pairs) * qint64(sizeof(Pair))))
            return false;
        areas.insert(suffix, std::move(area));
    }
    if (in.left() != 0)
        return false;
    m_areas = std::move(areas);
    return true;
}

void TOwnerIndexDistrict::load()
{
    m_areas.clear();
    m_dirty = false;
    QFile file(m_indexFile);
    if (m_indexFile.isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    if (!parse(file.readAll())) {
        m_areas.clear();
        m_dirty = true; // rewritten after the next search
    }
}

void TOwnerIndexDistrict::save()
{
    if (!m_dirty || m_indexFile.isEmpty())
        return;
    if (!QDir().mkpath(QFileInfo(m_indexFile).path()))
        return;
    QSaveFile file(m_indexFile);
    const QByteArray bytes = serialize();
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        m_dirty = false;
}
