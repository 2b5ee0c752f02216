#include "db/paradox/ParadoxInputFile.h"

#include "base/ETalvekException.h"

#include <QDir>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ParadoxInputFile::ParadoxInputFile(const QString& path, const QString& what)
    : m_what(what), m_shown(QDir::toNativeSeparators(path))
{
    // Opened without waiting (a named pipe would block the open until a
    // writer comes) and checked on the open handle, so that what is read is
    // the regular file that was checked.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT)
            throw ETalvekException(QStringLiteral("%1 \"%2\" neexistuje.").arg(what, m_shown));
        throw ETalvekException(
            QStringLiteral("Soubor \"%2\" (%1) nelze otevřít: %3")
                .arg(what, m_shown, QString::fromLocal8Bit(std::strerror(error))));
    }
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw ETalvekException(QStringLiteral("Soubor \"%2\" (%1) není obyčejný soubor (je to "
                                              "adresář, zařízení nebo roura); ORV jej nečte.")
                                   .arg(what, m_shown));
    }
    if (!m_file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw ETalvekException(QStringLiteral("Soubor \"%2\" (%1) nelze otevřít: %3")
                                   .arg(what, m_shown, m_file.errorString()));
    }
    m_size = qint64(st.st_size);
}

QByteArray ParadoxInputFile::read(qint64 offset, qint64 length)
{
    const qint64 wanted = std::clamp<qint64>(m_size - offset, 0, std::max<qint64>(length, 0));
    if (wanted == 0)
        return {};
    if (!m_file.seek(offset))
        throw ETalvekException(QStringLiteral("Soubor \"%2\" (%1) nelze přečíst: %3")
                                   .arg(m_what, m_shown, m_file.errorString()));
    QByteArray bytes = m_file.read(wanted);
    if (m_file.error() != QFileDevice::NoError)
        throw ETalvekException(QStringLiteral("Soubor \"%2\" (%1) nelze přečíst: %3")
                                   .arg(m_what, m_shown, m_file.errorString()));
    return bytes;
}
