#pragma once

#include <QString>

// Where the tables of a district directory came from. The registry's own
// districts use the old code lists; a district made from a VFK exchange file
// uses today's, and one use code (kind of land 14, use 30) means something
// else in each. The import leaves a one-line marker file in the directory it
// writes; a directory without it (the registry's, or an import older than the
// marker) counts as the registry's.
class DistrictOrigin
{
public:
    enum class Kind
    {
        Registry,
        Vfk
    };

    // The marker file; its first line names the origin ("VFK").
    static constexpr const char* MarkerFile = "ORVPUVOD.TXT";

    // The origin of the district in `directory` (the marker's name is matched
    // without regard to case, as the table files are). An unreadable marker
    // counts as none.
    static Kind Of(const QString& directory);
    // Writes the marker of a VFK import into `directory`; throws
    // ETalvekException naming the file when it cannot be written.
    static void MarkVfk(const QString& directory);
};
