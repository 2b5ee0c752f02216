#pragma once

#include "import/VfkDistrict.h"

#include <QString>
#include <QStringList>
#include <functional>

class StagedDirectory;

// Turns one or more VFK files into a district directory and brings the code
// tables up to date. The files are read one group of areas at a time
// (VfkImportPlan) and each area's tables written before the next group is
// read; the tables go into a temporary directory beside the target
// ("NAME.import-<pid>") that is renamed at the end together with the code
// tables' replacement, so a failure or a cancel leaves neither a directory
// nor a changed code table behind.
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
    static Maps readMaps(const QStringList& files);
    // Writes each map into the store, replacing the area's older map.
    static void writeMaps(const QList<MapArea>& maps, const QString& mapDir);

    // The summary lines the command line and the window print.
    static QStringList summary(const VfkDistrict& district);

private:
    // Called with each area once its group of files is built, before the
    // next group is read.
    using AreaSink = std::function<void(const VfkArea& area)>;
    // Reads and builds the files group by group (VfkImportPlan); with
    // `written`, each area's rows are passed to it and then freed (the
    // counts stay for the summary).
    static VfkDistrict buildDistrict(const QStringList& files, const Progress& progress,
                                     const AreaSink& written);
    // The catalogue and the owners.
    static void writeDistrictTables(const VfkDistrict& district, const QString& dir);
    // run() once the target's parent exists.
    VfkDistrict runInto(const QString& out);
    void step(int percent, const QString& what) const;
    void commit(VfkDistrict& district, StagedDirectory& staged) const;

    Options m_options;
    Progress m_progress;
    QString m_mapDir;
};
