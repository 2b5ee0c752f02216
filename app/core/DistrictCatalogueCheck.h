#pragma once

#include <QString>

// Checks that a directory is the data directory of a district: it exists and
// holds a readable catalogue "NYSKATAL.DB" with the fields KATUZ, IDENTCIS,
// PORCIS and NAZEV. Used before an alias is bound to a directory.
class DistrictCatalogueCheck
{
public:
    // Returns the district name (NAZEV of the district row, possibly empty).
    // Throws ETalvekException with a Czech message when the directory is
    // missing, has no catalogue, or the catalogue can't be read (the engine's
    // own message) or lacks one of the fields.
    static QString check(const QString& directory);
};
