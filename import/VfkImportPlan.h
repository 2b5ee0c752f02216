#pragma once

#include "import/VfkDistrict.h"
#include "import/VfkDistrictBuilder.h"

#include <QList>
#include <QStringList>
#include <functional>

// How the files of one import are read: a first pass over every file keeps
// only the area codes of its parcels and map points, the areas' catalogue
// rows and the buildings' parts of municipality (a few bytes per parcel).
// From them come the district's catalogue, each area's table suffix and the
// groups of files that are read and built together: the files that share an
// area (a descriptive file and its map, a file of several areas; the points
// of a neighbour's boundary in a file with parcels do not count), each group
// read, built and written before the next, so that memory holds one group's
// data, not the district's.
class VfkImportPlan
{
public:
    // Called before each file is scanned (index among the files) and every
    // few thousand lines with the bytes read; it may throw (a cancel).
    using Progress = std::function<void(int file, qint64 bytesRead)>;
    VfkImportPlan(const QStringList& files, const Progress& progress = {});

    // File indexes per group, groups in the order of their first file.
    const QList<QList<int>>& groups() const { return m_groups; }
    // The names of the areas (with parcels) of each group, in suffix order.
    const QList<QStringList>& groupAreas() const { return m_groupAreas; }
    // The district without its areas' rows: catalogue, code, name, the areas
    // (code, name, suffix) and the catalogue's warnings.
    const VfkDistrict& district() const { return m_district; }
    VfkDistrictBuilder::Plan& builderPlan() { return m_plan; }

private:
    void group(const QList<QSet<QString>>& areasOfFile);

    QList<QList<int>> m_groups;
    QList<QStringList> m_groupAreas;
    VfkDistrict m_district;
    VfkDistrictBuilder::Plan m_plan;
};
