#pragma once

#include "select/core/TParcGridModel.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QVariantList>

class Table;

// Fills the work table from the rows of the parcel-number dialog, and holds
// the all-parcels fill and the reading of the previous selection. Long lists
// cost few writes of the work table file: parcel numbers go in through the
// work table's list operation, house numbers are gathered in memory from a
// few statements over the parcel table and written in one go.
// Every row written is marked (FLAG TRUE).
class TParcSelector
{
public:
    // Parcel numbers (group, stem, subdivision). A row with a group adds every
    // part of that parcel, or one placeholder row when the area has no such
    // parcel; a row without a group adds the parcel of every group 1 to 9
    // that exists. A parcel already selected (same group and stem, and the
    // same subdivision when one is given) adds nothing. Rows without a stem
    // number are skipped.
    static void SelectParcels(const QList<TParcGridRow>& rows, Table& work, Table& parcels);
    // House numbers (part of municipality, number, kind letter P/E/G/else
    // all). Raises "Nenalezeno číslo popisné (evidenční) %d" for a row that
    // finds no part; the parts found before stay selected.
    static void SelectHouseNumbers(const QList<TParcGridRow>& rows, Table& work, Table& parcels);
    // Every part of the area, marked. `parcelTable` is "NYSPA" + suffix + ".DB".
    static void SelectAllParcels(Table& work, const QString& alias, const QString& parcelTable);
    // The marked rows of the work table in key order as grid rows (group,
    // stem, subdivision); a parcel with several parts gives several rows.
    static QList<TParcGridRow> PreviousSelection(Table& work);

    // The kind letter's test of a part's land-use code NEMVYUZ.
    static bool KindAccepts(const QString& kindCell, qint64 nemvyuz);

private:
    struct Staged;
    // The parts of the parcel table whose `field` holds one of `values`,
    // grouped by that value, each group in key order.
    static QHash<qint64, QList<QVariantList>> partsBy(Table& parcels, const QString& field,
                                                      const QList<qint64>& values);
    static void writeRows(Table& work, const QList<QVariantList>& rows);
};
