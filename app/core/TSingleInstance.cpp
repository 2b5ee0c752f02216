#include "app/core/TSingleInstance.h"

#include "base/OrvPaths.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

TSingleInstance::TSingleInstance(const QString& lockPath) : m_lock(lockPath)
{
    m_lock.setStaleLockTime(0); // only a dead owner makes the lock stale
}

bool TSingleInstance::IsPrivateDirectory(const QString& path)
{
    struct stat st = {};
    // lstat: a symbolic link planted under the expected name is not followed.
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

QString TSingleInstance::DefaultLockPath()
{
    const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty() && QDir().mkpath(runtime))
        return runtime + QStringLiteral("/orv.lock");
    // The temporary directory is shared by all users: a lock file there could
    // be planted by another user to keep ORV from starting. The lock goes into
    // a directory of this user that nobody else may enter.
    const QString own = QDir::tempPath() + QStringLiteral("/orv-%1").arg(::getuid());
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    if (IsPrivateDirectory(own))
        return own + QStringLiteral("/orv.lock");
    // Someone else holds that name: the configuration directory in the home
    // directory is the user's own.
    const QString config = OrvPaths::configDir();
    QDir().mkpath(config);
    return config + QStringLiteral("/orv.lock");
}

bool TSingleInstance::Acquire()
{
    if (m_lock.tryLock(0))
        return true;
    m_otherRuns = m_lock.error() == QLockFile::LockFailedError;
    return !m_otherRuns;
}
