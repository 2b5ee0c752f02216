#include "db/paradox/ParadoxFileSet.h"

#include "base/ETalvekException.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {
QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

bool isRegularFile(const QString& path)
{
    struct stat st = {};
    return ::lstat(native(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isLink(const QString& path)
{
    struct stat st = {};
    return ::lstat(native(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// The old file kept under a second name while the set is replaced: a hard
// link (no copy), or a copy where the file system has no links.
bool keepOld(const QString& path, const QString& backup)
{
    ::unlink(native(backup).constData()); // left by an interrupted run
    return ::link(native(path).constData(), native(backup).constData()) == 0 ||
           QFile::copy(path, backup);
}
} // namespace

ParadoxFileSet::ParadoxFileSet(Rename rename)
    : m_rename(rename ? std::move(rename) : Rename(&std::rename))
{
}

void ParadoxFileSet::write(const QString& path, const QByteArray& contents)
{
    // A symbolic link is refused, never followed: it could lead the write to
    // a registry table or any other file on the disk.
    if (isLink(path))
        throw ETalvekException(
            QStringLiteral("Soubor %1 nelze zapsat: je to symbolický odkaz; zvolte jiný název "
                           "souboru")
                .arg(shown(path)));
    m_writes.append({path, contents});
}

void ParadoxFileSet::removeAfterCommit(const QString& path)
{
    m_removals.append(path);
}

QString ParadoxFileSet::writeTemporary(const Entry& e)
{
    QTemporaryFile file(e.path + QStringLiteral(".XXXXXX"));
    file.setAutoRemove(false);
    const bool written = file.open() && file.write(e.contents) == e.contents.size() &&
                         file.flush() && ::fsync(file.handle()) == 0;
    if (!written) {
        const QString error = file.errorString();
        if (!file.fileName().isEmpty())
            file.remove();
        throw ETalvekException(
            QStringLiteral("Soubor \"%1\" nelze zapsat: %2").arg(shown(e.path), error));
    }
    // The new file gets the old one's permissions, else the usual ones.
    file.setPermissions(QFileInfo::exists(e.path)
                            ? QFile::permissions(e.path)
                            : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                  QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return file.fileName();
}

void ParadoxFileSet::commit()
{
    Staged staged;
    try {
        for (const Entry& e : m_writes)
            staged.temporaries.append(writeTemporary(e));
        for (const Entry& e : m_writes) {
            const QString backup = e.path + QStringLiteral(".orv-old");
            const bool hadOld = isRegularFile(e.path);
            if (hadOld && !keepOld(e.path, backup))
                throw ETalvekException(
                    QStringLiteral("Soubor \"%1\" nelze zapsat: kopii původního souboru nelze "
                                   "vytvořit")
                        .arg(shown(e.path)));
            staged.backups.append(hadOld ? backup : QString());
        }
        // All new files are complete and the old ones kept: rename the new
        // ones into place in order.
        for (qsizetype i = 0; i < m_writes.size(); ++i) {
            const QString& path = m_writes[i].path;
            if (m_rename(native(staged.temporaries[i]).constData(), native(path).constData()) != 0)
                throw ETalvekException(
                    QStringLiteral("Soubor \"%1\" nelze uložit: %2")
                        .arg(shown(path), QString::fromLocal8Bit(std::strerror(errno))));
            staged.renamed = i + 1;
        }
    } catch (...) {
        rollBack(staged);
        throw;
    }
    for (const QString& backup : std::as_const(staged.backups))
        if (!backup.isEmpty())
            QFile::remove(backup);
    for (const QString& path : m_removals)
        QFile::remove(path);
}

// Puts the old files back over the ones already renamed into place, so that
// a failure leaves the old set whole, and removes what the commit created.
void ParadoxFileSet::rollBack(const Staged& staged)
{
    for (qsizetype i = 0; i < staged.renamed; ++i) {
        const QString& path = m_writes[i].path;
        const QString& backup = staged.backups.value(i);
        if (backup.isEmpty())
            QFile::remove(path); // there was no old file
        else
            std::rename(native(backup).constData(), native(path).constData());
    }
    for (qsizetype i = staged.renamed; i < staged.temporaries.size(); ++i)
        QFile::remove(staged.temporaries[i]);
    for (qsizetype i = staged.renamed; i < staged.backups.size(); ++i)
        if (!staged.backups[i].isEmpty())
            QFile::remove(staged.backups[i]);
}
