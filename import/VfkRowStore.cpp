#include "import/VfkRowStore.h"

namespace {

void appendLength(QByteArray& out, quint32 length)
{
    while (length >= 0x80) {
        out.append(char(0x80 | (length & 0x7F)));
        length >>= 7;
    }
    out.append(char(length));
}

// The length at `pos`; moves `pos` past it.
quint32 readLength(const char* data, qsizetype& pos)
{
    quint32 length = 0;
    int shift = 0;
    while (true) {
        const auto byte = static_cast<unsigned char>(data[pos++]);
        length |= quint32(byte & 0x7F) << shift;
        if (byte < 0x80)
            return length;
        shift += 7;
    }
}

} // namespace

void VfkRowStore::append(const QStringList& values)
{
    m_start.push_back(m_bytes.size());
    for (const QString& value : values) {
        const QByteArray utf8 = value.toUtf8();
        appendLength(m_bytes, quint32(utf8.size()));
        m_bytes.append(utf8);
    }
}

void VfkRowStore::appendEncoded(QByteArrayView row)
{
    m_start.push_back(m_bytes.size());
    m_bytes.append(row);
}

void VfkRowStore::removeLast()
{
    m_bytes.truncate(m_start.back());
    m_start.pop_back();
}

QByteArrayView VfkRowStore::encoded(qsizetype row) const
{
    const qint64 begin = m_start[size_t(row)];
    const qint64 end = size_t(row) + 1 < m_start.size() ? m_start[size_t(row) + 1] : m_bytes.size();
    return QByteArrayView(m_bytes.constData() + begin, end - begin);
}

QByteArrayView VfkRowStore::bytes(qsizetype row, int column) const
{
    const QByteArrayView whole = encoded(row);
    const char* data = whole.data();
    qsizetype pos = 0;
    for (int c = 0; pos < whole.size(); ++c) {
        const quint32 length = readLength(data, pos);
        if (c == column)
            return QByteArrayView(data + pos, length);
        pos += length;
    }
    return {};
}

QString VfkRowStore::value(qsizetype row, int column) const
{
    if (column < 0)
        return QString();
    return QString::fromUtf8(bytes(row, column));
}

QStringList VfkRowStore::row(qsizetype row) const
{
    const QByteArrayView whole = encoded(row);
    QStringList values;
    qsizetype pos = 0;
    while (pos < whole.size()) {
        const quint32 length = readLength(whole.data(), pos);
        values.append(QString::fromUtf8(whole.data() + pos, length));
        pos += length;
    }
    return values;
}

void VfkRowStore::squeeze()
{
    m_bytes.squeeze();
    m_start.shrink_to_fit();
}
