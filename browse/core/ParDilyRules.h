#pragma once

#include "db/FieldDef.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// Rules of the parcel-part browser that need no widgets: the calculated
// texts, the three protection lines, the colours of a grid row, the window
// caption, the mark button and the sort key of a column.
namespace ParDilyRules {

// "Výkaz" column: item of the change record, "%d/%d" of PPOLVZ div 100, mod 100.
QString VykazText(qint64 ppolvz);

// The three protection codes packed in NEMOCHR as hundreds, tens and units.
std::array<int, 3> ProtectionCodes(int nemochr);
// The three protection lines shown below each other: when the second text is
// empty, the third moves up into the second line and the third is cleared.
std::array<QString, 3> ProtectionLines(const std::array<QString, 3>& texts);

// Colours of a grid cell; an invalid colour means "the default".
struct CellColours
{
    QColor text;
    QColor background;
};
// Unmarked rows have silver text; a part missing from the area's parcel
// table (MAPA "-") has a red background; otherwise in parcel view the parts
// of the current parcel are yellow (with black text when marked).
CellColours RowColours(bool marked, const QString& mapa, bool parcelView, const QString& parcislo,
                       const QString& currentParcislo);

// Window caption by the view mode (1 parts, else parcels) and list number
// (> 0 ownership sheet, < 0 minus an evidence list, 0 none).
QString BrowserCaption(int mode, int listNumber, const QString& katastr);
inline constexpr char RestingCaption[] = "Přehled vlastníků dílů parcel";

// The mark button names what its next click does: false clears all marks.
QString MarkButtonCaption(bool markToggle);
// The statement that sets or clears every mark of the work table.
QString MarkAllSql(const QString& workTableFile, bool mark);

// Sort key of a grid column: a stored field sorts by itself, the house
// number text by "CPCE"; other calculated columns cannot be sorted (nullopt).
std::optional<QString> SortKey(const QString& field, bool calculated);
// The message for a column that cannot be sorted.
QString CannotSortMessage(const QString& columnTitle);

// One supplementary record of a sheet as the land-sheet check reads it.
struct SheetRecord
{
    int doplpor = 0;
    int doplkod = 0;
    double dopludaj = 0;
};
struct LandSheet
{
    bool found = false;
    int lv = 0;
};
// Finds the sheet of the land under a building part: a record of kind 82
// names a sheet, the kind-90 record of the same order number names the
// parcel (PARSKUP * 10^10 + PARCIS * 1000 + PARPOD). A kind-82 record left
// without a kind-90 record at the end also counts. Records come ordered by
// DOPLPOR, DOPLKOD. When nothing is found the own sheet is returned.
LandSheet FindLandLV(const QList<SheetRecord>& records, int parskup, int parcis, int parpod,
                     int ownLv);
// The caption of the land-sheet check box.
QString LandSheetCaption(int lv);

// Layout of the own-text table "ORVTX" + suffix + ".DB" when the browser
// creates it: the part's key, the user name, the memo text and the parcel
// number; primary key over the part and the user, secondary index "KLIC".
QList<FieldDef> OwnTextFields();
QList<IndexDef> OwnTextIndexes();

} // namespace ParDilyRules
