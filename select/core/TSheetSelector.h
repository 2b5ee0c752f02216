#pragma once

#include "select/core/TSheetSearch.h"

#include <QString>

class Query;
class Table;

// The selection by ownership or registration sheet: the owner list of an
// area (pairs sheet number - owner) and the filling of the work table with
// the parcel parts of the sheets a search finds. Used by the sheet dialog,
// the search across districts, the sheet forms and orv-tool.
class TSheetSelector
{
public:
    // Points `query` at the owner list of the area (`alias`, NYSUV + suffix
    // joined with NYSOBORG) narrowed by `search`, columns ELLVCIS, IDENT,
    // NAZEV, and opens it. An area without ownership relations gives an
    // empty list.
    static void OpenOwnerList(Query& query, const QString& alias, const QString& suffix,
                              const TSheetSearch& search);
    // Whether NYSUV + suffix has a row of the sheet.
    static bool SheetExists(const QString& alias, const QString& suffix, qint64 sheet);

    // Recreates the work table (its database and table name set) and fills
    // it with the parts found, every row marked. One sheet (mode OneSheet):
    // the parts whose LVCIS (ownership sheet) or ELCIS (`registration`) is
    // the number, LVCIS copied; for an ownership sheet also the parts of
    // relation 5 of the parcels its kind-93 records name (an unreadable
    // records table leaves only the sheet's own parts). Other modes: the
    // parts of every sheet of the owners the search finds, LVCIS empty.
    // A sheet whose only parcels are referenced ones is found through them.
    // Returns whether any part was found; the work table is empty otherwise.
    static bool SelectSheetsIntoWork(Table& work, const QString& alias, const QString& suffix,
                                     const TSheetSearch& search, bool registration);

    // "LVCIS" or "ELCIS": the parcel table's column that holds the sheet.
    static QString SheetField(bool registration);

private:
    static void prepareOneSheet(Query& query, const QString& suffix, const QString& field,
                                qint64 sheet);
    static void prepareOwnersSheets(Query& query, const QString& suffix, const QString& field,
                                    const TSheetSearch& search);
    // True when it added parts.
    static bool addReferencedParcels(Table& work, const QString& alias, const QString& suffix,
                                     qint64 sheet);
};
