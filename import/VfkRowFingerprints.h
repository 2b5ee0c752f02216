#pragma once

#include "import/VfkDataSet.h"

#include <QList>
#include <QStringList>

#include <vector>

// Rows that files read in different groups repeat (owners, deeds, code
// lists of neighbouring areas) must agree as the rows of one group do
// (VfkDataSet); the groups before are gone from memory, so each of their
// rows with an ID or KOD is remembered as two 64-bit hashes, of the block
// and key and of the values, with the file it came from: 16 bytes a row.
// A chance collision of the key hashes (about one in 10^12 for a district)
// could only refuse an import, never change its tables.
class VfkRowFingerprints
{
public:
    // Checks the rows of a group's data set against the groups before and
    // then remembers them. `files` are the group's file indexes among all
    // files, `paths` all files. Throws ETalvekException naming both files
    // and the block when a row differs.
    void add(const VfkDataSet& data, const QList<int>& files, const QStringList& paths);

private:
    struct Entry
    {
        quint64 key;    // block name and ID / KOD
        quint64 values; // the row's values (upper 48 bits) and file index (lower 16)
        bool operator<(const Entry& other) const { return key < other.key; }
    };
    std::vector<Entry> m_entries; // sorted by key
};
