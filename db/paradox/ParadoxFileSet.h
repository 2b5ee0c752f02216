#pragma once

// Replaces a set of files (a table's .DB with its .MB and .PX) so that an
// interrupted write never leaves a half-written file: every file is written
// completely to a temporary file in its directory and flushed to disk, each
// old file is kept under a second name (a hard link), and only then are the
// new files renamed over the old ones, the .DB last. When a rename fails, the
// files already renamed get their old contents back, so the old set stays
// whole and matching. Files that the new set no longer needs are removed
// after the renames.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class ParadoxFileSet
{
public:
    // Renames a file over another: 0 on success, else -1 with errno set.
    using Rename = std::function<int(const char* from, const char* to)>;

    // `rename` is the system's unless a test needs a rename to fail.
    explicit ParadoxFileSet(Rename rename = {});

    // Files are committed in the order they are added: add the .DB last.
    // A path that is a symbolic link throws ETalvekException.
    void write(const QString& path, const QByteArray& contents);
    void removeAfterCommit(const QString& path);
    // Writes and renames everything; throws ETalvekException naming the file
    // and leaves the old files as they were when any file cannot be written
    // or renamed.
    void commit();

private:
    struct Entry
    {
        QString path;
        QByteArray contents;
    };
    struct Staged
    {
        QStringList temporaries; // per entry: the complete new file
        QStringList backups;     // per entry: the old file's second name, or empty
        qsizetype renamed = 0;   // entries already renamed into place
    };
    static QString writeTemporary(const Entry& e);
    void rollBack(const Staged& staged);
    Rename m_rename;
    QList<Entry> m_writes;
    QStringList m_removals;
};
