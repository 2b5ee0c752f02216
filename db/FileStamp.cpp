#include "db/FileStamp.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

bool FileStamp::Read(const char* path, FileStamp& stamp, int directoryFd, mode_t type)
{
    struct stat st
    {
    };
    const int failed = directoryFd >= 0 ? ::fstatat(directoryFd, path, &st, 0) : ::stat(path, &st);
    if (failed != 0)
        return false;
    stamp = {qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
             qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec, quint64(st.st_ino)};
    return type == 0 || (st.st_mode & S_IFMT) == type;
}

bool FileStamp::Read(const QString& path, FileStamp& stamp)
{
    return Read(QFile::encodeName(path).constData(), stamp);
}
