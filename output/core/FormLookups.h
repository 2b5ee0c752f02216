#pragma once

#include <QString>

class Table;

// Code-table lookups that the parcel and sheet forms print the same way.

// The owner's name from NYSOBORG (ordered by IDENT;UVCHAR) by the rule that
// the browser and the listings share, see OwnerNameLookup.
QString OwnerNameFrom(Table& oborg, double ident, int uvchar);
// The use text of a part from NIXVYUZ (ordered by KOD = DRUHPOZ * 1000 +
// NEMVYUZ); a key missing from the code table prints nothing rather than the
// text of the part before.
QString LandUseTextFrom(Table& vyuz, int druhpoz, int nemvyuz);
