#include "import/VfkLineSource.h"
#include "base/ETalvekException.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Lines are read in chunks of this size: the file is never held whole.
constexpr qsizetype ChunkBytes = 4 << 20;

const QByteArray Utf8Bom("\xEF\xBB\xBF");

// What a path is when it is not a regular file, in a message.
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("adresář");
    if (S_ISFIFO(mode))
        return QStringLiteral("roura");
    if (S_ISSOCK(mode))
        return QStringLiteral("soket");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("zařízení");
    return QStringLiteral("zvláštní soubor");
}

} // namespace

VfkLineSource::VfkLineSource(const QByteArray& bytes, const QString& path)
    : m_buffer(bytes), m_path(path), m_atEof(true)
{
}

VfkLineSource::VfkLineSource(QIODevice* device, const QString& path)
    : m_device(device), m_path(path)
{
}

QString VfkLineSource::lineError(const QString& path, int line, const QString& what)
{
    return QStringLiteral("Soubor %1, řádek %2: %3")
        .arg(QDir::toNativeSeparators(path))
        .arg(line)
        .arg(what);
}

// Opens `path` for reading only when it is a regular file: a device such as
// /dev/zero never ends and a FIFO blocks the open until someone writes to it,
// so the open does not wait (O_NONBLOCK) and the kind is checked on the open
// file itself.
void VfkLineSource::openRegular(QFile& file, const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw ETalvekException(QStringLiteral("Soubor %1 nelze otevřít: %2")
                                   .arg(shown, QString::fromLocal8Bit(std::strerror(errno))));
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw ETalvekException(
            QStringLiteral("%1 není obyčejný soubor, ale %2; import čte jen soubory VFK.")
                .arg(shown, kindOf(st.st_mode)));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw ETalvekException(
            QStringLiteral("Soubor %1 nelze otevřít: %2").arg(shown, file.errorString()));
    }
}

bool VfkLineSource::skipByteOrderMark()
{
    if (!atEnd() && m_buffer.size() < Utf8Bom.size())
        refill();
    if (!m_buffer.startsWith(Utf8Bom))
        return false;
    m_pos = Utf8Bom.size();
    return true;
}

// Reads the next chunk of the device after what is left of the buffer;
// false at the end of the input.
bool VfkLineSource::refill()
{
    if (m_atEof)
        return false;
    m_consumed += m_pos;
    m_buffer.remove(0, m_pos);
    m_pos = 0;
    const qsizetype kept = m_buffer.size();
    m_buffer.resize(kept + ChunkBytes);
    const qint64 read = m_device->read(m_buffer.data() + kept, ChunkBytes);
    if (read < 0)
        throw ETalvekException(QStringLiteral("Soubor %1 nelze přečíst: %2")
                                   .arg(QDir::toNativeSeparators(m_path), m_device->errorString()));
    m_buffer.resize(kept + qsizetype(read));
    if (read == 0)
        m_atEof = true;
    return read > 0;
}

bool VfkLineSource::atEnd()
{
    while (m_pos >= m_buffer.size())
        if (!refill())
            return true;
    return false;
}

// The next line without its end of line, valid until the next call. A line
// without an end within MaxRecordBytes is refused before more is read.
QByteArrayView VfkLineSource::nextLine(int line)
{
    qsizetype eol = m_buffer.indexOf('\n', m_pos);
    while (eol < 0) {
        if (m_buffer.size() - m_pos > MaxRecordBytes + 1)
            throw ETalvekException(lineError(
                m_path, line,
                QStringLiteral("řádek je delší než 1 MB; takový řádek soubor VFK nemá.")));
        const qsizetype searched = m_buffer.size() - m_pos;
        if (!refill()) {
            eol = m_buffer.size();
            break;
        }
        eol = m_buffer.indexOf('\n', m_pos + searched);
    }
    QByteArrayView text(m_buffer.constData() + m_pos, eol - m_pos);
    m_pos = eol + 1;
    if (text.endsWith('\r'))
        text.chop(1);
    return text;
}
