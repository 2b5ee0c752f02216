#pragma once

#include "import/VfkDataSet.h"

#include <QList>
#include <QStringList>

#include <vector>

// Rows that files read in different groups repeat (owners, deeds, code
// lists of neighbouring areas) must agree as the rows of one group do
// (VfkDataSet); the groups before are gone from memory, so each of their
// rows with an ID or KOD is remembered as two 64-bit hashes, of the block
// and key and of the values, with the file it came from: 16 bytes a row
// (the one thing an import keeps that grows with the district's rows).
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
    template <typename F>
    static void forEachKeyedRow(const VfkDataSet& data, const QList<int>& files, F&& f);
    // Throws the refusal for `row` of this group, which differs from `earlier`.
    [[noreturn]] static void refuse(const VfkDataSet& data, const QList<int>& files,
                                    const QStringList& paths, const Entry& earlier,
                                    const Entry& row);

    // One vector per group, each sorted by key and of its exact size: a key
    // is in at most one. Merging them into one vector would need the old
    // and the new one at once, twice the memory at the last group.
    std::vector<std::vector<Entry>> m_groups;
};
