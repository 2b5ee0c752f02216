#pragma once

#include "import/VfkDistrict.h"
#include "map/core/MapStore.h"

#include <QString>
#include <QStringList>
#include <functional>

class StagedDirectory;

// Turns one or more VFK files into a district directory and brings the code
// tables up to date. The files are read one group of areas at a time
// (VfkImportPlan) and each area's tables and map written before the next
// group is read; the tables go into a temporary directory beside the target
// ("NAME.import-<pid>"), the maps into the map store under temporary names,
// and all are renamed at the end together with the code tables'
// replacement, so a failure or a cancel leaves neither a directory, nor a
// new map, nor a changed code table behind.
class VfkImporter
{
public:
    struct Options
    {
        QStringList files;
        QString outDir; // must not exist or be empty
        QString workDb; // code-table directory
    };
    // Called with the share done (0..100) and what is being done; returning
    // false cancels the import.
    using Progress = std::function<bool(int percent, const QString& step)>;

    VfkImporter(Options options, Progress progress = {});
    // The map store the maps go to; OrvPaths::mapDir() unless set.
    void setMapDir(const QString& dir) { m_mapDir = dir; }
    // Throws ETalvekException with a Czech message; a cancel throws too.
    // The areas it returns have their rows written and freed: only their
    // counts (parcelCount, soilCount, records' counts) remain.
    VfkDistrict run();

    // Reads and maps the files without writing anything.
    static VfkDistrict readDistrict(const QStringList& files, const Progress& progress = {});
    // Writes the district's tables into an existing directory.
    static void writeDistrict(const VfkDistrict& district, const QString& dir);

    // The maps of the areas in the files, without a district: the files must
    // hold the parcels (PAR) that the boundaries (HP) name, in one file or
    // across several. Reads only the blocks the map needs.
    struct Maps
    {
        QList<MapArea> maps;
        QStringList warnings;
    };
    // `progress` as for the district; returning false cancels (throws).
    static Maps readMaps(const QStringList& files, const Progress& progress = {});
    // Writes each map into the store, replacing the area's older map; all of
    // them or, on a failure, none.
    static void writeMaps(const QList<MapArea>& maps, const QString& mapDir);

    // The summary lines the command line and the window print.
    static QStringList summary(const VfkDistrict& district);

private:
    // Called with each area, and each map with what to call while it is
    // written, once its group of files is built, before the next group is
    // read.
    struct Sinks
    {
        std::function<void(const VfkArea& area)> area;
        std::function<void(const MapArea& map, const MapStore::Progress& progress)> map;
    };
    // Reads and builds the files group by group (VfkImportPlan); with
    // sinks, each area's rows and each map are passed to them and then freed
    // (the counts and the map's summary line stay for the summary); without,
    // the maps are kept in the district.
    static VfkDistrict buildDistrict(const QStringList& files, const Progress& progress,
                                     const Sinks& written);
    // The catalogue and the owners.
    static void writeDistrictTables(const VfkDistrict& district, const QString& dir);
    // run() once the target's parent exists.
    VfkDistrict runInto(const QString& out);
    void step(int percent, const QString& what) const;
    // `commitMaps` renames the staged maps, just before the district's
    // directory is renamed (a map without its district harms nothing).
    void commit(VfkDistrict& district, StagedDirectory& staged,
                const std::function<void()>& commitMaps) const;

    Options m_options;
    Progress m_progress;
    QString m_mapDir;
};
