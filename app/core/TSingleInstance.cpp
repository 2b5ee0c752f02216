#include "app/core/TSingleInstance.h"

#include <QDir>
#include <unistd.h>

TSingleInstance::TSingleInstance(const QString& lockPath) : m_lock(lockPath)
{
    m_lock.setStaleLockTime(0); // only a dead owner makes the lock stale
}

QString TSingleInstance::DefaultLockPath()
{
    const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty() && QDir().mkpath(runtime))
        return runtime + QStringLiteral("/orv.lock");
    return QDir::tempPath() + QStringLiteral("/orv-%1.lock").arg(getuid());
}

bool TSingleInstance::Acquire()
{
    if (m_lock.tryLock(0))
        return true;
    m_otherRuns = m_lock.error() == QLockFile::LockFailedError;
    return !m_otherRuns;
}
