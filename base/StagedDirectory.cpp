#include "base/StagedDirectory.h"

#include "base/ETalvekException.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char MarkerName[] = ".orv-import";

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

const QRegularExpression& stagedPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^.+\\.import-([0-9]{1,9})$"));
    return pattern;
}

// The marker's text: the host and the process that write the directory.
QByteArray markerText(qint64 pid)
{
    return QSysInfo::machineHostName().toUtf8() + '\n' + QByteArray::number(pid) + '\n';
}

// True when `dir` is a staged directory of a process of this host that is
// gone: its marker is a regular file naming this host and the process of its
// name, and no such process runs (the directory of a running import, of
// another host sharing the disk, or of someone else is left alone).
bool abandoned(const QString& dir, qint64 pid)
{
    const QString marker = dir + QLatin1Char('/') + QLatin1String(MarkerName);
    struct stat st = {};
    if (::lstat(native(marker).constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > 4096)
        return false;
    QFile file(marker);
    if (!file.open(QIODevice::ReadOnly) || file.readAll() != markerText(pid))
        return false;
    return pid != ::getpid() && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

StagedDirectory::StagedDirectory(const QString& target)
    : m_target(QDir::cleanPath(target)),
      m_path(m_target + QStringLiteral(".import-") + QString::number(::getpid()))
{
    if (::mkdir(native(m_path).constData(), 0777) != 0)
        throw ETalvekException(
            errno == EEXIST
                ? QStringLiteral("Do adresáře %1 právě zapisuje jiný import.").arg(shown(m_target))
                : QStringLiteral("Dočasný adresář %1 nelze vytvořit: %2")
                      .arg(shown(m_path), systemError()));
    QFile marker(m_path + QLatin1Char('/') + QLatin1String(MarkerName));
    const QByteArray text = markerText(::getpid());
    if (!marker.open(QIODevice::WriteOnly) || marker.write(text) != text.size()) {
        QDir(m_path).removeRecursively();
        throw ETalvekException(QStringLiteral("Dočasný adresář %1 nelze zapsat: %2")
                                   .arg(shown(m_path), marker.errorString()));
    }
}

StagedDirectory::~StagedDirectory()
{
    if (!m_committed)
        QDir(m_path).removeRecursively();
}

void StagedDirectory::commit()
{
    struct stat st = {};
    m_replacedEmpty = ::lstat(native(m_target).constData(), &st) == 0 && S_ISDIR(st.st_mode);
    // rename() replaces an empty directory in one step and refuses a full
    // one, a file or a link.
    if (::rename(native(m_path).constData(), native(m_target).constData()) != 0)
        throw ETalvekException(
            QStringLiteral("Adresář %1 nelze zapsat: %2").arg(shown(m_target), systemError()));
    m_committed = true;
    QFile::remove(m_target + QLatin1Char('/') + QLatin1String(MarkerName));
}

void StagedDirectory::revert() noexcept
{
    if (!m_committed)
        return;
    if (::rename(native(m_target).constData(), native(m_path).constData()) != 0)
        return; // the target stays whole; nothing better can be done
    m_committed = false;
    if (m_replacedEmpty)
        ::mkdir(native(m_target).constData(), 0777);
}

bool StagedDirectory::isStagedName(const QString& directory)
{
    return stagedPattern().match(QFileInfo(QDir::cleanPath(directory)).fileName()).hasMatch();
}

int StagedDirectory::removeAbandoned(const QString& parent)
{
    int removed = 0;
    const QDir dir(parent);
    for (const QString& name :
         dir.entryList({QStringLiteral("*.import-*")},
                       QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        const QRegularExpressionMatch match = stagedPattern().match(name);
        if (match.hasMatch() && abandoned(dir.filePath(name), match.captured(1).toLongLong()) &&
            QDir(dir.filePath(name)).removeRecursively())
            ++removed;
    }
    return removed;
}
