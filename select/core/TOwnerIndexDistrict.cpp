#include "select/core/TOwnerIndexDistrict.h"

#include "base/ParallelJobs.h"
#include "data/CadastralTables.h"
#include "db/TableWriteGuard.h"
#include "db/ValueConvert.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace {

// File layout: header (magic, version, byte-order tag, payload length,
// payload checksum), then the payload: the district directory, the
// catalogue's file name, stamp and areas, the number of areas and per area its suffix, table file
// name, stamp, readable flag and pairs. Numbers in the machine's byte order, which the tag checks.
constexpr char Magic[8] = {'O', 'R', 'V', 'O', 'W', 'N', 'I', 'X'};
constexpr quint32 FormatVersion = 3;
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
        if (size == 0) // an empty area's pairs: `out` may be null
            return true;
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

// Opens `path` for reading when it is a regular file, not through a link
// and without waiting on a FIFO; its size in `size`. -1 when it is not.
int openRegularFile(const QString& path, qint64& size)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st
    {
    };
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    size = qint64(st.st_size);
    return fd;
}

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

TOwnerIndexDistrict::~TOwnerIndexDistrict()
{
    if (m_directoryFd >= 0)
        ::close(m_directoryFd);
}

void TOwnerIndexDistrict::openDirectory()
{
    Stamp now;
    const bool exists =
        FileStamp::Read(QFile::encodeName(m_directory).constData(), now, -1, S_IFDIR);
    if (m_directoryFd >= 0 && exists && now.inode == m_directoryStamp.inode)
        return;
    if (m_directoryFd >= 0)
        ::close(m_directoryFd);
    m_directoryFd = exists ? ::open(QFile::encodeName(m_directory).constData(),
                                    O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                           : -1;
    m_directoryStamp = now;
}

bool TOwnerIndexDistrict::stampOf(const QByteArray& fileName, Stamp& stamp) const
{
    if (m_directoryFd >= 0)
        return FileStamp::Read(fileName.constData(), stamp, m_directoryFd, S_IFREG);
    const QByteArray path = QFile::encodeName(m_directory + QLatin1Char('/')) + fileName;
    return FileStamp::Read(path.constData(), stamp, -1, S_IFREG);
}

// The table file of the area as it is now: the name found last time, the
// usual upper-case name, or any case of it; empty when there is none.
QString TOwnerIndexDistrict::currentName(const QString& suffix, Stamp& stamp) const
{
    const auto known = m_areas.constFind(suffix);
    if (known != m_areas.constEnd() && stampOf(known->encodedName, stamp))
        return known->fileName;
    const QString usual = tableName(suffix);
    if (stampOf(QFile::encodeName(usual), stamp))
        return usual;
    const QString other =
        QFileInfo(ParadoxFiles::resolveCaseInsensitive(m_directory, usual)).fileName();
    return !other.isEmpty() && stampOf(QFile::encodeName(other), stamp) ? other : QString();
}

TOwnerIndexDistrict::Area TOwnerIndexDistrict::readArea(const QString& path, const Stamp& stamp)
{
    Area area;
    area.fileName = QFileInfo(path).fileName();
    area.encodedName = QFile::encodeName(area.fileName);
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

bool TOwnerIndexDistrict::catalogue(Catalogue& areas, Stamp& stamp)
{
    openDirectory();
    const QString usual = QString::fromLatin1(CadastralTables::CatalogueTable);
    const bool exists = !m_catalogueName.isEmpty() &&
                        stampOf(QFile::encodeName(m_catalogueName), stamp) &&
                        stamp == m_catalogueStamp;
    if (exists) {
        areas = m_catalogue;
        return true;
    }
    // Taken before the catalogue is queried: a change while it is read
    // makes the stamp differ next time.
    if (!stampOf(QFile::encodeName(usual), stamp))
        stamp = {};
    return false;
}

void TOwnerIndexDistrict::setCatalogue(const Catalogue& areas, const Stamp& stamp)
{
    if (stamp.size < 0)
        return; // the file under another case of its name: asked again next time
    m_catalogueName = QString::fromLatin1(CadastralTables::CatalogueTable);
    m_catalogueStamp = stamp;
    m_catalogue = areas;
    m_dirty = true;
}

int TOwnerIndexDistrict::refresh(const QStringList& suffixes)
{
    openDirectory();
    QStringList staleSuffixes;
    QStringList stalePaths;
    QList<Stamp> staleStamps;
    for (const QString& suffix : suffixes) {
        Stamp stamp;
        const QString name = threeDigits(suffix) ? currentName(suffix, stamp) : QString();
        const auto known = m_areas.constFind(suffix);
        if (name.isEmpty()) {
            m_dirty = m_dirty || known != m_areas.constEnd();
            m_areas.remove(suffix);
        } else if (known == m_areas.constEnd() || !(known->stamp == stamp) ||
                   name != known->fileName) {
            staleSuffixes << suffix;
            stalePaths << m_directory + QLatin1Char('/') + name;
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
    payload.putText(m_catalogueName);
    payload.put(m_catalogueStamp);
    payload.put(quint32(m_catalogue.size()));
    for (const auto& [porcis, name] : m_catalogue) {
        payload.putText(porcis);
        payload.putText(name);
    }
    payload.put(quint32(m_areas.size()));
    for (auto it = m_areas.constBegin(); it != m_areas.constEnd(); ++it) {
        payload.putText(it.key());
        payload.putText(it->fileName);
        payload.put(it->stamp.size);
        payload.put(it->stamp.mtimeNs);
        payload.put(it->stamp.ctimeNs);
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
    QString catalogueName;
    Stamp catalogueStamp;
    Catalogue catalogue;
    if (!in.getText(directory) || directory != m_directory || !in.getText(catalogueName) ||
        !in.get(catalogueStamp) || !in.get(count))
        return false;
    for (quint32 i = 0; i < count; ++i) {
        QPair<QString, QString> area;
        if (!in.getText(area.first) || !in.getText(area.second))
            return false;
        catalogue << area;
    }
    if (!in.get(count))
        return false;
    QHash<QString, Area> areas;
    for (quint32 i = 0; i < count; ++i) {
        QString suffix;
        Area area;
        quint32 readable = 0;
        quint32 pairs = 0;
        if (!in.getText(suffix) || !in.getText(area.fileName) || !in.get(area.stamp.size) ||
            !in.get(area.stamp.mtimeNs) || !in.get(area.stamp.ctimeNs) ||
            !in.get(area.stamp.inode) || !in.get(readable) || !in.get(pairs) ||
            qint64(pairs) * qint64(sizeof(Pair)) > in.left())
            return false;
        area.readable = readable == 1;
        area.encodedName = QFile::encodeName(area.fileName);
        area.pairs.resize(pairs);
        if (!in.getRaw(area.pairs.data(), qint64(pairs) * qint64(sizeof(Pair))))
            return false;
        areas.insert(suffix, std::move(area));
    }
    if (in.left() != 0)
        return false;
    m_areas = std::move(areas);
    m_catalogueName = catalogueName;
    m_catalogueStamp = catalogueStamp;
    m_catalogue = catalogue;
    return true;
}

QString TOwnerIndexDistrict::directoryOfFile(const QString& indexFile)
{
    // The header, then the directory's length and text (a path is short).
    constexpr qint64 Beginning = HeaderSize + 4 + 16384;
    qint64 size = 0;
    const int fd = openRegularFile(indexFile, size);
    QFile file;
    if (fd < 0)
        return {};
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    const QByteArray bytes = file.read(Beginning);
    Reader in(bytes.constData(), bytes.size());
    char magic[8];
    quint32 version = 0;
    QString directory;
    if (!in.getRaw(magic, 8) || std::memcmp(magic, Magic, 8) != 0 || !in.get(version) ||
        version != FormatVersion || bytes.size() < HeaderSize)
        return {};
    Reader payload(bytes.constData() + HeaderSize, bytes.size() - HeaderSize);
    return payload.getText(directory) ? directory : QString();
}

// An index holds at most one pair (16 bytes) per record of the district's
// relation tables, whose records are longer than that, plus names and
// stamps: twice the size of the district's files and a megabyte for the
// rest is more than any true index file needs.
qint64 TOwnerIndexDistrict::largestSaneFile() const
{
    qint64 tables = 0;
    for (const QFileInfo& file : QDir(m_directory).entryInfoList(QDir::Files))
        tables += file.size();
    return (qint64(1) << 20) + 2 * tables;
}

void TOwnerIndexDistrict::load()
{
    m_areas.clear();
    m_catalogueName.clear();
    m_dirty = false;
    if (m_indexFile.isEmpty())
        return;
    // Only a regular file of a sane size is read: a link (say to /dev/zero),
    // a FIFO or a huge file is no index and is rebuilt.
    if (!QFileInfo(m_indexFile).isSymLink() && !QFileInfo::exists(m_indexFile))
        return;
    qint64 size = 0;
    const int fd = openRegularFile(m_indexFile, size);
    QFile file;
    const bool sane = fd >= 0 && size <= largestSaneFile() &&
                      file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    if (fd >= 0 && !file.isOpen())
        ::close(fd);
    if (!sane || !parse(file.read(size))) {
        m_areas.clear();
        m_catalogueName.clear();
        m_dirty = true; // rewritten after the next search
    }
}

void TOwnerIndexDistrict::save()
{
    if (!m_dirty || m_indexFile.isEmpty())
        return;
    // A link in place of the file (or any name the output guard refuses) is
    // never written through: the index stays in memory.
    if (!QDir().mkpath(QFileInfo(m_indexFile).path()) ||
        !TableWriteGuard::outputRefusal(m_indexFile).isEmpty())
        return;
    QSaveFile file(m_indexFile);
    const QByteArray bytes = serialize();
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        m_dirty = false;
}
