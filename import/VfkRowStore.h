#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <vector>

// The rows of one VFK block, kept compactly: every value as its UTF-8 bytes
// after a length prefix (one byte below 128 bytes, else more), one row's
// values after another in a single buffer, plus the offset where each row
// starts. A value is decoded to text only when it is read. Kept this way a
// row costs about its bytes in the file, where a list of strings per row
// costs several times that (a string object per field, UTF-16 text).
class VfkRowStore
{
public:
    void append(const QStringList& values);
    // A row as encoded() of this or another store gives it.
    void appendEncoded(QByteArrayView row);
    // Takes back the last row appended.
    void removeLast();

    qsizetype size() const { return qsizetype(m_start.size()); }
    bool isEmpty() const { return m_start.empty(); }
    // The value of a column (0-based) of a row; "" past the row's end.
    QString value(qsizetype row, int column) const;
    // The same as UTF-8 bytes, valid while the store is unchanged.
    QByteArrayView bytes(qsizetype row, int column) const;
    QStringList row(qsizetype row) const;
    // The row's bytes as stored: two rows with the same values compare equal.
    QByteArrayView encoded(qsizetype row) const;
    // Frees what the buffers hold beyond their content.
    void squeeze();

private:
    QByteArray m_bytes;
    std::vector<qint64> m_start;
};
