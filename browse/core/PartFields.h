#pragma once

#include "browse/core/TBrowseGridModel.h"
#include "browse/core/TListingData.h"
#include "db/FieldDef.h"

class Dataset;
class Table;

// The browser's view of a work-table row, shared by the browser window, the
// exports and orv-tool: the grid's visible columns and the calculated fields
// completed from the area's parcel table.
namespace PartFields {

// Visible columns of the parts grid in their order (title, width in characters).
QList<TBrowseGridModel::Column> GridColumns();
// ELCIS, MAPA, PPOLVZ, BONITA, VLVZTAH, NEMOCHR, Kvalita, PopCis, KodVyuz, Vykaz.
QList<FieldDef> CalculatedFields();
bool IsCalculated(const QString& field);
// Fills the calculated fields of the row `ds` is calculating from the values
// of the part in the area's parcel table; a part the area lacks (not found)
// reads MAPA "-", zeros and no house number.
void Calculate(Dataset& ds, const TListingData::Part& part);
// The same, the part looked up in `parcels` (the area's parcel table,
// ordered by its key).
void Calculate(Dataset& ds, Table& parcels);
// Adds the calculated fields to a work table that is not open yet and
// computes them from `parcels` (which must outlive `work`).
void Install(Table& work, Table& parcels);

} // namespace PartFields
