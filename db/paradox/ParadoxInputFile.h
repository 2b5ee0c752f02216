#pragma once

// One file of a Paradox table set opened for reading. Only a regular file is
// read: a device (/dev/zero), a named pipe or a directory is refused before a
// byte is read, since a pipe would block and a device never ends. Reads take
// at most the bytes asked for, so that a file is read no further than its
// header (or, for the .MB, its table) says it reaches.

#include <QByteArray>
#include <QFile>
#include <QString>

class ParadoxInputFile
{
public:
    // Opens the file; throws ETalvekException naming it with `what`
    // ("Tabulka", "Primární index", ...).
    ParadoxInputFile(const QString& path, const QString& what);

    qint64 size() const { return m_size; }
    // The bytes from `offset` on, at most `length` of them (fewer at the end
    // of the file); throws on a read error.
    QByteArray read(qint64 offset, qint64 length);

private:
    QString m_what;
    QString m_shown;
    QFile m_file;
    qint64 m_size = 0;
};
