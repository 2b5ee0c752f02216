#pragma once

// Replaces a set of files (a table's .DB with its .MB and .PX) so that an
// interrupted write never leaves a half-written file: every file is written
// completely to a temporary file in its directory and flushed, and only then
// renamed over the old one, the .DB last. Files that the new set no longer
// needs are removed after the renames.

#include <QByteArray>
#include <QList>
#include <QString>

class ParadoxFileSet
{
public:
    // Files are committed in the order they are added: add the .DB last.
    void write(const QString& path, const QByteArray& contents);
    void removeAfterCommit(const QString& path);
    // Writes and renames everything; throws ETalvekException and leaves the
    // old files untouched when any temporary file cannot be written.
    void commit();

private:
    struct Entry
    {
        QString path;
        QByteArray contents;
    };
    QList<Entry> m_writes;
    QStringList m_removals;
};
