#pragma once

#include <QString>

// Writes the code tables that all districts share (PARSKUP, KVALVYM1, DRUHPOZ,
// NIXVYUZ, OCHRNEM1-3, VLAVZT, CHARUV, SEKTOR, NIXDTEXT, NIXLIST) as keyed
// Paradox 7 tables in code page 1250, with the Czech registry code lists.
// The demo-district generator draws its codes from the same lists.
class DemoCodeTables
{
public:
    // Throws ETalvekException (Czech message naming the file) on failure.
    static void writeAll(const QString& directory);

    // Building uses (NEMVYUZ of parts of kind 13 without the last digit):
    // 100, 200, ... 900; the last digit is 0 descriptive number, 1
    // registration number, 2 garage, 5 no house number.
    static const QList<int>& buildingUses();
    // Supplementary-record kinds the generator writes, by section letter.
    static const QList<int>& rightKinds();       // section C (encumbrances)
    static const QList<int>& entitlementKinds(); // section B (rights of the sheet)
    static const QList<int>& noteKinds();        // section D (notes)
    // Deed kinds (NIXLIST.KOD) the generator uses.
    static const QList<int>& deedKinds();
};
