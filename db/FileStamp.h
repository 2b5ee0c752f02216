#pragma once

#include <QString>
#include <QtGlobal>

#include <sys/types.h>

// What tells that a file changed on disk: its size, modification and status
// change times (ns) and inode. The status change time catches a file written
// back with its old modification time (a copy that keeps times, `touch -d`),
// the inode a file replaced by a rename.
struct FileStamp
{
    qint64 size = -1;
    qint64 mtimeNs = 0;
    qint64 ctimeNs = 0;
    quint64 inode = 0;

    bool operator==(const FileStamp&) const = default;

    // The stamp of `path` (relative to `directoryFd` when that is an open
    // directory); false when it cannot be read or, with `type` (S_IFREG,
    // S_IFDIR) given, is of another file type. The stamp is filled either way
    // when the file exists.
    static bool Read(const char* path, FileStamp& stamp, int directoryFd = -1, mode_t type = 0);
    static bool Read(const QString& path, FileStamp& stamp);
};
