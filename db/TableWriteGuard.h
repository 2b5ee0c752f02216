#pragma once

#include <QString>

// Decides whether the engine may write a table file. The registry tables of a
// district and the shared code tables come from the cadastral office and are
// only read; the engine writes its own tables (work, history, user-text and
// exported tables) and never through a symbolic link, because a link could
// point at a registry table or anywhere else on the disk.
class TableWriteGuard
{
public:
    // "NYSPA001.DB", "NYSOBORG.DB", "DRUHPOZ.DB", ...: a table of the registry
    // set or a code table, by its file name (any case, with or without path).
    static bool isRegistryTable(const QString& fileName);
    // The Czech reason why the file may not be written, empty when it may.
    static QString refusal(const QString& path);
    // Throws ETalvekException with the reason when the file may not be written.
    static void check(const QString& path);
    // A table name relative to a database directory with a directory part
    // ("sub/PRAC.DB") must stay in that directory: no ".." and no link on the
    // way. Names with a full path or an alias name the place themselves.
    static void checkInside(const QString& directory, const QString& fileName);
    // Deleting removes a link itself, never its target: only registry tables
    // are refused.
    static void checkDelete(const QString& path);

    // Every file ORV writes besides its tables (PDF, text listing, export,
    // clipboard text, statistics, owner index, settings, aliases) passes this
    // check of its target: it is not a registry, code or user-text table (any
    // letter case, any directory) nor one of their index and memo files
    // (.PX, .MB, .Xnn, .Ynn), and its final name is not a symbolic link, which
    // a replacing write would follow to the file it points at. Links among the
    // directories on the way are fine (a linked ~/Documents keeps working).
    // Returns the Czech reason naming the file, empty when it may be written.
    static QString outputRefusal(const QString& path);
    // Throws ETalvekException with that reason.
    static void checkOutputFile(const QString& path);
};
