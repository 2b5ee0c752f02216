#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QFile;
class QIODevice;

// The lines of a VFK file, read chunk by chunk so that the file is never
// held whole, and with a line too long for any VFK row refused before more
// of it is read.
class VfkLineSource
{
public:
    // One row of a VFK file is a few hundred bytes, a long deed description a
    // few kilobytes; a line (with its continuations) beyond 1 MB is no VFK row
    // and is refused before it is split into fields.
    static constexpr qsizetype MaxRecordBytes = 1 << 20;

    // The lines of bytes already in memory.
    VfkLineSource(const QByteArray& bytes, const QString& path);
    // The lines of an open device, read as they are asked for.
    VfkLineSource(QIODevice* device, const QString& path);

    // Opens `path` for reading only when it is a regular file; throws
    // ETalvekException naming what it is otherwise.
    static void openRegular(QFile& file, const QString& path);
    // How a fault in a line is named: "Soubor <path>, řádek <line>: <what>".
    static QString lineError(const QString& path, int line, const QString& what);

    // Passes over a UTF-8 byte-order mark at the start; true when there was one.
    bool skipByteOrderMark();
    bool atEnd();
    // The next line without its end of line, valid until the next call;
    // `line` is its number, for the message refusing it.
    QByteArrayView nextLine(int line);
    // The bytes of the input read so far (for the progress).
    qint64 bytesRead() const { return m_consumed + m_pos; }

private:
    bool refill();

    // The lines not yet read: the whole input, or a chunk of the device's.
    QIODevice* m_device = nullptr;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qint64 m_consumed = 0; // bytes of the device before m_buffer
    QString m_path;
    bool m_atEof = false;
};
