#include "import/VfkImporter.h"
#include "base/CzechPlural.h"
#include "base/ETalvekException.h"
#include "base/ParallelJobs.h"
#include "base/OrvPaths.h"
#include "base/StagedDirectory.h"
#include "data/CadastralTables.h"
#include "data/DemoFields.h"
#include "data/DistrictOrigin.h"
#include "import/VfkCodeTables.h"
#include "import/VfkDataSet.h"
#include "import/VfkDistrictBuilder.h"
#include "import/VfkImportPlan.h"
#include "import/VfkMapBuilder.h"
#include "import/VfkReader.h"
#include "import/VfkRowFingerprints.h"
#include "map/core/MapStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

using namespace DemoFields;
using namespace CadastralTables;

QString nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

void cancelIfAsked(const VfkImporter::Progress& progress, int percent, const QString& what)
{
    if (progress && !progress(percent, what))
        throw ETalvekException(QStringLiteral("Import byl zrušen."));
}

using Jobs = QList<std::function<void()>>;

void addTable(Jobs& jobs, const QString& path, const QList<ParadoxField>& fields, int keys,
              const QList<QVariantList>& rows)
{
    jobs.append(
        [path, fields, keys, &rows] { ParadoxWriter::writeTable(path, fields, keys, rows); });
}

void addAreaTables(Jobs& jobs, const VfkArea& area, const QString& dir)
{
    auto path = [&](const char* prefix) {
        return dir + QLatin1Char('/') + PerAreaTable(prefix, area.suffix);
    };
    addTable(jobs, path(ParcelPrefix), parcelFields(), 4, area.parcels);
    addTable(jobs, path(RelationPrefix),
             {numberField("ELLVCIS"), shortField("VLPOR"), numberField("IDENT"),
              shortField("UVCHAR"), numberField("PODIL"), shortField("SEKTOR")},
             2, area.relations);
    // The sheets' records are produced while they are written (they repeat
    // one right on many sheets).
    const QList<ParadoxField> recordFields{numberField("DLVCIS"),  shortField("DOPLPOR"),
                                           shortField("DOPLKOD"),  numberField("DOPLUDAJ"),
                                           shortField("LISTDRUH"), numberField("LISTCIS"),
                                           numberField("DOPLVZ"),  shortField("DOPLZM")};
    const QList<ParadoxField> textFields{numberField("DLVCIS"), shortField("DOPLPOR"),
                                         shortField("RADEK"), alphaField("TEXT", 60)};
    jobs.append([path = path(RecordPrefix), recordFields, &area] {
        ParadoxWriter writer(path, recordFields, 3);
        area.records.forEachRecord([&](const QVariantList& row) { writer.addRow(row); });
        writer.commit();
    });
    jobs.append([path = path(RecordTextPrefix), textFields, &area] {
        ParadoxWriter writer(path, textFields, 3);
        area.records.forEachText([&](const QVariantList& row) { writer.addRow(row); });
        writer.commit();
    });
    addTable(jobs, path(SoilPrefix),
             {shortField("PARSKUP"), numberField("PARCIS"), shortField("PARPOD"),
              numberField("VYMERA"), alphaField("BONITA", 5), numberField("BPOLVZ")},
             0, area.soil);
}

// Writing a table waits mostly for the disk to confirm the file; eight
// tables at once overlap those waits.
void runAll(const Jobs& jobs)
{
    RunParallelJobs(int(jobs.size()), 8, [&jobs](int i) { jobs[i](); });
}

// The path with every link on the way resolved, also for a path (or its
// last parts) that does not exist yet.
QString resolvedPath(const QString& path)
{
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString rest;
    while (!QFileInfo::exists(existing) && existing != QDir::rootPath()) {
        rest = QLatin1Char('/') + QFileInfo(existing).fileName() + rest;
        existing = QFileInfo(existing).absolutePath();
    }
    return QDir::cleanPath(QFileInfo(existing).canonicalFilePath() + rest);
}

// The target must be new or an empty directory of its own (not a link, not a
// file), and the code tables must not be written into it: checked before
// the files are read, so that the clerk learns the real reason at once.
void checkTarget(const QString& out, const QString& workDb)
{
    struct stat st = {};
    if (::lstat(QFile::encodeName(out).constData(), &st) == 0) {
        if (S_ISLNK(st.st_mode))
            throw ETalvekException(
                QStringLiteral("%1 je symbolický odkaz; okres se importuje jen do nového nebo "
                               "prázdného adresáře, ne přes odkaz.")
                    .arg(nativePath(out)));
        if (!S_ISDIR(st.st_mode))
            throw ETalvekException(QStringLiteral("%1 je soubor, ne adresář; okres se importuje "
                                                  "jen do nového nebo prázdného adresáře.")
                                       .arg(nativePath(out)));
        if (!QDir(out).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                               QDir::System))
            throw ETalvekException(QStringLiteral("Adresář %1 není prázdný; okres se importuje jen "
                                                  "do nového nebo prázdného adresáře.")
                                       .arg(nativePath(out)));
    }
    if (StagedDirectory::isStagedName(out))
        throw ETalvekException(QStringLiteral("Název %1 patří rozpracovanému importu; zvolte jiný "
                                              "název adresáře okresu.")
                                   .arg(nativePath(out)));
    const QString realOut = resolvedPath(out), realWorkDb = resolvedPath(workDb);
    if (realWorkDb == realOut || realWorkDb.startsWith(realOut + QLatin1Char('/')))
        throw ETalvekException(
            QStringLiteral("Adresář číselníků %1 leží v adresáři okresu %2; okres se importuje "
                           "do nového nebo prázdného adresáře, číselníky zvolte jinde.")
                .arg(nativePath(workDb), nativePath(out)));
}

// What the district and its maps read: the union of both builders' lists
// (an empty list is a block read whole).
VfkReader::Selection columnsRead()
{
    VfkReader::Selection selection = VfkDistrictBuilder::columnsRead();
    const VfkReader::Selection map = VfkMapBuilder::columnsRead();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const auto known = selection.find(it.key());
        if (known == selection.end())
            selection.insert(it.key(), it.value());
        else if (known->isEmpty() || it->isEmpty())
            known->clear();
        else
            for (const QString& column : it.value())
                if (!known->contains(column))
                    known->append(column);
    }
    return selection;
}

// Maps written into the store under temporary names, renamed over the
// areas' files only by commit(); whatever is not committed is removed when
// this goes away (a failure or a cancel of the import).
class StagedMaps
{
public:
    explicit StagedMaps(const QString& mapDir)
        : m_store(mapDir.isEmpty() ? OrvPaths::mapDir() : mapDir)
    {
    }
    ~StagedMaps()
    {
        for (const QString& code : std::as_const(m_codes))
            m_store.discardStaged(code);
    }
    StagedMaps(const StagedMaps&) = delete;
    StagedMaps& operator=(const StagedMaps&) = delete;

    void add(const MapArea& map, const MapStore::Progress& progress = {})
    {
        // Listed first: a write that fails half-way leaves its file too.
        m_codes.append(map.code);
        m_store.stage(map, progress);
    }
    // A rename within one directory hardly fails; when one does, the maps
    // renamed before it stay and the rest are removed.
    void commit()
    {
        while (!m_codes.isEmpty()) {
            m_store.commitStaged(m_codes.first());
            m_codes.removeFirst();
        }
    }

private:
    MapStore m_store;
    QStringList m_codes;
};

} // namespace

VfkImporter::VfkImporter(Options options, Progress progress)
    : m_options(std::move(options)), m_progress(std::move(progress))
{
}

void VfkImporter::step(int percent, const QString& what) const
{
    cancelIfAsked(m_progress, percent, what);
}

VfkDistrict VfkImporter::readDistrict(const QStringList& files, const Progress& progress)
{
    return buildDistrict(files, progress, Sinks());
}

namespace {

// Percent of the whole import for a place in the files: the scan takes
// 0-20 %, reading and building the groups 20-90 %, each by the bytes passed.
class ImportProgress
{
public:
    ImportProgress(const QStringList& files, const VfkImporter::Progress& progress)
        : m_files(files), m_progress(progress)
    {
        for (const QString& file : files) {
            m_before.append(m_total);
            m_total += std::max<qint64>(1, QFileInfo(file).size());
        }
    }
    // `what` with the file's place: "Čtu soubor 3 z 20: name".
    void file(int from, int span, const char* what, int index, qint64 bytes) const
    {
        const double done = double(m_before.value(index) + bytes) / double(m_total);
        report(from + int(span * std::min(1.0, done)),
               QStringLiteral("%1 soubor %2 z %3: %4")
                   .arg(QString::fromUtf8(what))
                   .arg(index + 1)
                   .arg(m_files.size())
                   .arg(QFileInfo(m_files[index]).fileName()));
    }
    // "Území 5 z 20: Saladín – zapisuji tabulky"; several areas read together
    // are named together.
    void areas(int percent, int first, int count, const QStringList& names, const char* what) const
    {
        const int last = first + std::max<int>(1, int(names.size())) - 1;
        report(percent, QStringLiteral("Území %1 z %2: %3 – %4")
                            .arg(last == first ? QString::number(first)
                                               : QStringLiteral("%1–%2").arg(first).arg(last))
                            .arg(count)
                            .arg(names.join(QStringLiteral(", ")), QString::fromUtf8(what)));
    }
    qint64 before(int index) const { return m_before.value(index); }
    qint64 total() const { return m_total; }

private:
    // A new step is shown at once; the same step's percent at most every
    // 50 ms (the reader reports a few hundred times a second), which still
    // lets a cancel stop the import well within a second.
    void report(int percent, const QString& what) const
    {
        if (what == m_lastStep && m_shown.isValid() && m_shown.elapsed() < 50)
            return;
        m_lastStep = what;
        m_shown.start();
        cancelIfAsked(m_progress, percent, what);
    }

    const QStringList& m_files;
    const VfkImporter::Progress& m_progress;
    QList<qint64> m_before;
    qint64 m_total = 0;
    mutable QString m_lastStep;
    mutable QElapsedTimer m_shown;
};

// The group's data is freed, but the allocator keeps most of it for the
// process (and the next group's data lands elsewhere, between what stays):
// handing it back keeps the process's memory at one group's, not growing
// with every group.
void releaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

// The rows of the code tables that the groups offer, each code once.
void addCodeRows(QMap<QString, QList<QVariantList>>& to,
                 const QMap<QString, QList<QVariantList>>& from,
                 QHash<QString, QSet<qint64>>& offered)
{
    for (auto it = from.cbegin(); it != from.cend(); ++it) {
        QSet<qint64>& codes = offered[it.key()];
        for (const QVariantList& row : it.value())
            if (!codes.contains(row.value(0).toLongLong())) {
                codes.insert(row.value(0).toLongLong());
                to[it.key()].append(row);
            }
    }
}

} // namespace

VfkDistrict VfkImporter::buildDistrict(const QStringList& files, const Progress& progress,
                                       const Sinks& written)
{
    const ImportProgress shown(files, progress);
    VfkImportPlan plan(
        files, [&](int file, qint64 bytes) { shown.file(0, 20, "Prohlížím", file, bytes); });
    VfkDistrict district = plan.district();
    const QStringList catalogueWarnings = district.warnings;
    const int areaCount = int(district.areas.size());
    district.areas.clear();
    district.warnings.clear();
    QStringList readerWarnings, builderWarnings, mapWarnings;
    std::map<std::pair<double, int>, QString> owners;
    QHash<QString, QSet<qint64>> offered;
    const VfkReader::Selection selection = columnsRead();
    VfkRowFingerprints fingerprints;
    for (int g = 0; g < plan.groups().size(); ++g) {
        const QList<int>& group = plan.groups()[g];
        const QStringList& names = plan.groupAreas()[g];
        const int percent =
            20 +
            int(70 * double(shown.before(group.last()) + QFileInfo(files[group.last()]).size()) /
                double(shown.total()));
        const int first = int(district.areas.size()) + 1;
        VfkDistrict part;
        QList<MapArea> maps;
        {
            VfkDataSet data;
            for (const int f : group) {
                shown.file(20, 70, "Čtu", f, 0);
                data.add(VfkReader::readFile(files[f], selection, [&](qint64 bytes) {
                    shown.file(20, 70, "Čtu", f, bytes);
                }));
            }
            // Rows repeated by files of other groups must agree with this group's.
            if (plan.groups().size() > 1)
                fingerprints.add(data, group, files);
            shown.areas(percent, first, areaCount, names, "převádím data");
            part = VfkDistrictBuilder(data, &plan.builderPlan()).build();
            readerWarnings += data.readerWarnings();
            if (VfkMapBuilder::hasMap(data)) {
                shown.areas(percent, first, areaCount, names, "sestavuji mapu");
                VfkMapBuilder builder(data);
                maps = builder.build(
                    [&] { shown.areas(percent, first, areaCount, names, "sestavuji mapu"); });
                mapWarnings += builder.warnings();
            }
        } // the group's blocks are freed before its tables and maps are written
        builderWarnings += part.warnings;
        district.repairedTexts += part.repairedTexts;
        for (const QVariantList& owner : std::as_const(part.owners))
            owners.emplace(std::pair{owner[0].toDouble(), owner[1].toInt()}, owner[2].toString());
        addCodeRows(district.codeRows, part.codeRows, offered);
        for (MapArea& map : maps) {
            district.mapSummaries.insert(map.code, VfkMapBuilder::summary(map));
            if (!written.map) {
                district.maps.append(std::move(map));
                continue;
            }
            // The map's area by its number among all areas.
            int number = first;
            for (int i = 0; i < part.areas.size(); ++i)
                if (part.areas[i].code == map.code)
                    number = first + i;
            const auto writing = [&] {
                shown.areas(percent, number, areaCount, {map.name}, "zapisuji mapu");
                return true;
            };
            writing();
            written.map(map, writing);
            map = MapArea();
        }
        maps.clear();
        for (VfkArea& area : part.areas) {
            if (written.area) {
                shown.areas(percent, int(district.areas.size()) + 1, areaCount, {area.name},
                            "zapisuji tabulky");
                written.area(area);
                area.release();
            }
            district.areas.append(std::move(area));
        }
        releaseFreedMemory();
    }
    std::sort(district.areas.begin(), district.areas.end(),
              [](const VfkArea& a, const VfkArea& b) { return a.suffix < b.suffix; });
    // The maps by area code, as one map builder over every file gives them
    // (the summary lines are already).
    std::sort(district.maps.begin(), district.maps.end(),
              [](const MapArea& a, const MapArea& b) { return a.code < b.code; });
    for (const auto& [key, name] : owners)
        district.owners.append({key.first, key.second, name});
    district.warnings = readerWarnings + catalogueWarnings + builderWarnings + mapWarnings;
    return district;
}

VfkImporter::Maps VfkImporter::readMaps(const QStringList& files, const Progress& progress)
{
    if (files.isEmpty())
        throw ETalvekException(QStringLiteral("Není zadán žádný soubor VFK."));
    // Reported while each file is read, so that a cancel stops a large file
    // within a second rather than after it.
    const ImportProgress reading(files, progress);
    VfkDataSet data;
    for (int i = 0; i < files.size(); ++i) {
        reading.file(0, 80, "Čtu", i, 0);
        data.add(VfkReader::readFile(files[i], VfkMapBuilder::columnsRead(),
                                     [&](qint64 bytes) { reading.file(0, 80, "Čtu", i, bytes); }));
    }
    QStringList shown;
    for (const QString& file : files)
        shown.append(nativePath(file));
    const QString named = shown.join(QStringLiteral(", "));
    for (const char* block : {"PAR", "HP"})
        if (data.block(QString::fromLatin1(block)).rows.isEmpty())
            throw ETalvekException(
                QStringLiteral("Soubory %1 nemají žádný řádek bloku %2 (%3); mapa potřebuje "
                               "parcely i jejich hranice, zadejte i soubor s popisnými údaji "
                               "území.")
                    .arg(named, QString::fromLatin1(block),
                         qstrcmp(block, "PAR") == 0 ? QStringLiteral("parcely")
                                                    : QStringLiteral("hranice parcel")));
    cancelIfAsked(progress, 80, QStringLiteral("Sestavuji mapu"));
    VfkMapBuilder builder(data);
    Maps result{builder.build(), data.readerWarnings() + builder.warnings()};
    if (result.maps.isEmpty())
        throw ETalvekException(QStringLiteral("Hranice v souborech %1 nenáleží žádné parcele "
                                              "souborů; mapa nevznikla.")
                                   .arg(named));
    return result;
}

void VfkImporter::writeMaps(const QList<MapArea>& maps, const QString& mapDir)
{
    StagedMaps staged(mapDir);
    for (const MapArea& map : maps)
        staged.add(map);
    staged.commit();
}

void VfkImporter::writeDistrict(const VfkDistrict& district, const QString& dir)
{
    writeDistrictTables(district, dir);
    Jobs jobs;
    for (const VfkArea& area : district.areas)
        addAreaTables(jobs, area, dir);
    runAll(jobs);
}

void VfkImporter::writeDistrictTables(const VfkDistrict& district, const QString& dir)
{
    Jobs jobs;
    addTable(jobs, dir + QLatin1Char('/') + QLatin1String(CatalogueTable),
             {alphaField("KATUZ", 5), alphaField("IDENTCIS", 6), alphaField("PORCIS", 3),
              alphaField("NAZEV", 30)},
             1, district.catalogue);
    addTable(jobs, dir + QLatin1Char('/') + QLatin1String(OwnerTable),
             {numberField("IDENT"), shortField("UVCHAR"), alphaField("NAZEV", 60)}, 2,
             district.owners);
    runAll(jobs);
}

VfkDistrict VfkImporter::run()
{
    if (m_options.files.isEmpty())
        throw ETalvekException(QStringLiteral("Není zadán žádný soubor VFK."));
    const QString out = QDir::cleanPath(QFileInfo(m_options.outDir).absoluteFilePath());
    checkTarget(out, m_options.workDb);
    const QString parent = QFileInfo(out).absolutePath();
    // The directories made on the way to the target, deepest first: a
    // failure removes them again (while empty), as it removes the tables.
    QStringList made;
    for (QString dir = parent; !QFileInfo::exists(dir); dir = QFileInfo(dir).absolutePath())
        made.append(dir);
    if (!QDir().mkpath(parent))
        throw ETalvekException(
            QStringLiteral("Adresář %1 nelze vytvořit.").arg(nativePath(parent)));
    try {
        return runInto(out);
    } catch (...) {
        for (const QString& dir : std::as_const(made))
            QDir().rmdir(dir);
        throw;
    }
}

VfkDistrict VfkImporter::runInto(const QString& out)
{
    // What an import killed earlier left behind; only directories whose
    // process is gone.
    StagedDirectory::removeAbandoned(QFileInfo(out).absolutePath());

    // Each area's tables are written as soon as its files are built, and its
    // rows freed; a failure or a cancel later removes the whole directory.
    // Each map likewise goes into the store under a temporary name at once;
    // a failure or a cancel removes them.
    StagedDirectory staged(out);
    StagedMaps maps(m_mapDir);
    Sinks sinks;
    sinks.area = [&](const VfkArea& area) {
        Jobs jobs;
        addAreaTables(jobs, area, staged.path());
        runAll(jobs);
    };
    sinks.map = [&](const MapArea& map, const MapStore::Progress& progress) {
        maps.add(map, progress);
    };
    VfkDistrict district = buildDistrict(m_options.files, m_progress, sinks);
    step(90, QStringLiteral("Zapisuji tabulky okresu"));
    writeDistrictTables(district, staged.path());
    DistrictOrigin::MarkVfk(staged.path()); // today's code lists
    step(95, QStringLiteral("Zapisuji číselníky"));
    commit(district, staged, [&] { maps.commit(); });
    // Everything is written: a cancel now would report a failure that is none.
    if (m_progress)
        m_progress(100, QStringLiteral("Hotovo"));
    return district;
}

// The code tables are merged and written under their lock, and replaced
// only once the district's directory is in place; when they cannot be, the
// directory is taken back. Either both change or neither does. Code tables
// that already hold every code are only read (no lock, no write: the
// directory may be read-only).
void VfkImporter::commit(VfkDistrict& district, StagedDirectory& staged,
                         const std::function<void()>& commitMaps) const
{
    const QString& workDb = m_options.workDb;
    VfkCodeTables codeTables(workDb);
    QStringList warnings = codeTables.merge(district.codeRows);
    if (!codeTables.changed()) {
        commitMaps();
        staged.commit();
        district.warnings += warnings;
        return;
    }
    const bool madeWorkDb = !QFileInfo::exists(workDb);
    if (!QDir().mkpath(workDb))
        throw ETalvekException(
            QStringLiteral("Adresář číselníků %1 nelze vytvořit.").arg(nativePath(workDb)));
    try {
        const VfkCodeTables::Locks locks = codeTables.lock();
        // Read again under the lock: another import may have added codes.
        warnings = codeTables.merge(district.codeRows);
        codeTables.prepare();
        commitMaps();
        staged.commit();
        try {
            codeTables.commit();
        } catch (...) {
            staged.revert();
            throw;
        }
        district.codeTablesAdded = codeTables.addedCodes();
    } catch (...) {
        if (madeWorkDb)
            QDir().rmdir(workDb);
        throw;
    }
    district.warnings += warnings;
}

QStringList VfkImporter::summary(const VfkDistrict& district)
{
    const auto n = [](qint64 count, const char* one, const char* few, const char* many) {
        return CzechPlural::Count(count, QString::fromUtf8(one), QString::fromUtf8(few),
                                  QString::fromUtf8(many));
    };
    QStringList lines;
    lines.append(QStringLiteral("okres %1 (%2): %3, %4")
                     .arg(district.name, district.code,
                          n(district.areas.size(), "katastrální území", "katastrální území",
                            "katastrálních území"),
                          n(district.owners.size(), "vlastník", "vlastníci", "vlastníků")));
    for (const VfkArea& area : district.areas)
        lines.append(
            QStringLiteral("  %1 %2 (%3): ").arg(area.suffix, area.name, area.code) +
            QStringList{
                n(area.parcelCount, "díl parcel", "díly parcel", "dílů parcel"),
                n(area.sheets, "list vlastnictví", "listy vlastnictví", "listů vlastnictví"),
                n(area.owners, "vlastník", "vlastníci", "vlastníků"),
                n(area.records.recordCount(), "doplněk", "doplňky", "doplňků"),
                n(area.records.textCount(), "řádek textů", "řádky textů", "řádků textů"),
                n(area.soilCount, "bonita", "bonity", "bonit")}
                .join(QStringLiteral(", ")));
    for (const QString& line : district.mapSummaries)
        lines.append(line);
    lines.append(QStringLiteral("opravené dvojitě kódované texty: %1").arg(district.repairedTexts));
    lines += district.codeTablesAdded;
    for (const QString& warning : district.warnings)
        lines.append(QStringLiteral("upozornění: ") + warning);
    return lines;
}
