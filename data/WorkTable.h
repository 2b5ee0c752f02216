#pragma once

#include "db/BatchMove.h"
#include "db/FieldDef.h"

#include <QString>
#include <QStringList>

class Dataset;
class Table;

// The work table "PRAC.DB" (the current selection, one row per parcel part,
// with the mark FLAG) and the history tables "PRAC_" + n + ".DB" of the same
// structure beside it. The functions work on the caller's table objects;
// failures raise ETalvekException with a Czech message, and a table that
// cannot be written keeps its previous content on disk.

inline constexpr char WorkTableFile[] = "PRAC.DB";
inline constexpr char WorkTableIndex[] = "PCDIL";
// "PRAC_" + n + ".DB"
QString HistoryTableName(int n);

// PARSKUP, PARCIS, PARPOD, PARDIL (the primary index PCDIL), VYMERA, DRUHPOZ,
// CPCE, NEMVYUZ, PARCISLO, LVCIS, FLAG.
QList<FieldDef> WorkTableFields();
QList<IndexDef> WorkTableIndexes();

// Gives the table the work-table structure, creates its file (replacing an
// existing one, which leaves it empty) and opens it. The table's database
// and table name must be set.
void CreateWorkTable(Table& table);
// Binds the table to the directory and file of `fullPath`; opens the file
// when it exists, otherwise creates it.
void OpenOrCreateWorkTable(Table& table, const QString& fullPath);
void EmptyWorkTable(Table& table);

// Adds every part of the parcel typed as `text` from the area's parcel table
// (opened by OpenParcelTable) to the work table, marked. Nothing is added
// when the work table already holds the parcel (its group and stem, and its
// subdivision when one is given). A parcel the area does not have is added
// as one placeholder row (PARDIL 0, zero data, the text as PARCISLO) when
// `addIfMissing`. Returns the number of rows added.
int AddParcelToWork(const QString& text, Table& work, Table& parcels, bool addIfMissing);
// The same for a list of parcel numbers, in order, as one change: the work
// table file is written once, and an error (a number beyond the fields'
// range) leaves the work table as it was.
int AddParcelsToWork(const QStringList& texts, Table& work, Table& parcels, bool addIfMissing);
// A parcel number with its own add-if-missing choice.
struct ParcelRequest
{
    QString text;
    bool addIfMissing = false;
};
// The same for numbers that differ in the add-if-missing choice, still as one
// change: the work table file is written once however the choices alternate.
int AddParcelsToWork(const QList<ParcelRequest>& requests, Table& work, Table& parcels);

// Batch move of all rows in view of `source` into the work table, matched on
// its primary key.
void CopyIntoWork(Dataset& source, Table& work, BatchMove::Mode mode);
// The same, then every row of the work table marked.
void CopyIntoWorkAndMark(Dataset& source, Table& work, BatchMove::Mode mode);
void MarkAll(Table& work);
// The number of parts (rows) when `parts`, else of parcels (distinct PARCISLO).
int CountSelection(Table& work, bool parts);
// Deletes "PRAC_0.DB", "PRAC_1.DB", ... in `directory`, stopping at the first
// number whose file does not exist.
void DeleteHistoryTables(const QString& directory);
