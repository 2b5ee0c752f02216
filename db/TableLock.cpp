#include "db/TableLock.h"

#include "base/ETalvekException.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A writer holds the lock for one write of one table (milliseconds up to a
// few seconds for a large table); an older lock belongs to a crashed writer.
constexpr qint64 kStaleAfterMs = 30000;
constexpr int kPollMs = 10;
} // namespace

QString TableLock::lockPath(const QString& tablePath)
{
    const QFileInfo info(tablePath);
    return info.dir().filePath(u'.' + info.fileName() + QStringLiteral(".orvlock"));
}

TableLock::TableLock(const QString& tablePath, int waitMs) : m_path(lockPath(tablePath))
{
    QElapsedTimer waited;
    waited.start();
    while (!tryCreate()) {
        if (errno != EEXIST)
            throw ETalvekException(
                QStringLiteral("Tabulku '%1' nelze zamknout pro zápis: soubor '%2' nelze vytvořit")
                    .arg(QDir::toNativeSeparators(tablePath), QDir::toNativeSeparators(m_path)));
        if (removeIfStale())
            continue;
        if (waited.elapsed() > waitMs)
            throw ETalvekException(
                QStringLiteral("Tabulku '%1' právě zapisuje jiný uživatel; zkuste to znovu")
                    .arg(QDir::toNativeSeparators(tablePath)));
        QThread::msleep(kPollMs);
    }
    m_held = true;
}

TableLock::~TableLock()
{
    if (m_held)
        ::unlink(QFile::encodeName(m_path).constData());
}

bool TableLock::tryCreate()
{
    const int fd = ::open(QFile::encodeName(m_path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    // The holder's process id, for whoever finds the lock left behind.
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    [[maybe_unused]] const ssize_t written = ::write(fd, pid.constData(), size_t(pid.size()));
    ::close(fd);
    return true;
}

bool TableLock::removeIfStale()
{
    struct stat st
    {
    };
    if (::lstat(QFile::encodeName(m_path).constData(), &st) != 0)
        return true; // released meanwhile: try again at once
    const qint64 ageMs = QDateTime::currentMSecsSinceEpoch() - qint64(st.st_mtime) * 1000;
    if (ageMs < kStaleAfterMs)
        return false;
    return ::unlink(QFile::encodeName(m_path).constData()) == 0 || errno == ENOENT;
}
