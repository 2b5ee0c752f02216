#pragma once

#include "import/VfkSheetRecords.h"
#include "map/core/MapArea.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantList>

// One cadastral area of an import: its rows of the per-area tables, in the
// field order of the district's Paradox tables.
struct VfkArea
{
    QString code;                  // cadastral area code (KATUZE.KOD)
    QString name;                  // as the file writes it
    QString suffix;                // table suffix "001", "002", ...
    QList<QVariantList> parcels;   // NYSPA
    QList<QVariantList> relations; // NYSUV
    VfkSheetRecords records;       // NYSVL and NYSTX
    QList<QVariantList> soil;      // NYSBO
    int sheets = 0;
    int owners = 0; // distinct owners on the area's sheets
    // Rows of NYSPA and NYSBO, kept when the rows are released.
    qsizetype parcelCount = 0;
    qsizetype soilCount = 0;

    // Frees the rows once they are written; the counts stay for the summary.
    void release()
    {
        parcelCount = parcels.size();
        soilCount = soil.size();
        QList<QVariantList>().swap(parcels);
        QList<QVariantList>().swap(relations);
        QList<QVariantList>().swap(soil);
        records.release();
    }
};

// What an import writes: the district's tables and the rows the code tables
// gain from the files' code lists, plus what the summary reports.
struct VfkDistrict
{
    QString code; // district code, 4 digits as the file writes it
    QString name;
    QList<QVariantList> catalogue; // NYSKATAL
    QList<QVariantList> owners;    // NYSOBORG
    QList<VfkArea> areas;
    // Code-table file name ("DRUHPOZ.DB") -> rows offered by the files.
    QMap<QString, QList<QVariantList>> codeRows;
    // The maps of the areas whose files carry the map groups, when the
    // district is only read (an import writes each map once it is built).
    QList<MapArea> maps;
    // Area code -> the summary line of its map (VfkMapBuilder::summary), for
    // every map built, read or written.
    QMap<QString, QString> mapSummaries;
    QStringList warnings;
    // The codes the import added to code tables that existed (VfkCodeTables::addedCodes).
    QStringList codeTablesAdded;
    int repairedTexts = 0;
};
