#include "db/paradox/ParadoxRecordEncoder.h"

#include "base/ETalvekException.h"
#include "db/paradox/CodePage.h"
#include "db/paradox/ParadoxBlobStore.h"
#include "db/paradox/ParadoxFormat.h"

#include <cmath>

using namespace ParadoxFormat;

ParadoxRecordEncoder::ParadoxRecordEncoder(const QList<ParadoxField>& fields,
                                           const CodePage& codePage, ParadoxBlobStore& blobs,
                                           QString tableName)
    : m_fields(fields), m_codePage(codePage), m_blobs(blobs), m_tableName(std::move(tableName))
{
    for (const ParadoxField& f : m_fields) {
        m_offsets.push_back(m_recordSize);
        m_recordSize += paradoxFieldStorageSize(f);
    }
}

void ParadoxRecordEncoder::failValue(int field, const QVariant& value, const QString& problem) const
{
    throw ETalvekException(
        QStringLiteral("Hodnotu \"%1\" nelze uložit do pole %2 tabulky \"%3\": %4.")
            .arg(value.toString().left(40), m_fields[field].name, m_tableName, problem));
}

void ParadoxRecordEncoder::encode(const QVariantList& row, char* out)
{
    if (row.size() != m_fields.size())
        throw ETalvekException(
            QStringLiteral("Řádek pro tabulku \"%1\" má %2 hodnot, tabulka má %3 polí.")
                .arg(m_tableName)
                .arg(row.size())
                .arg(m_fields.size()));
    for (int i = 0; i < row.size(); ++i)
        encodeValue(i, row[i], out + m_offsets[size_t(i)]);
}

namespace {
// Direct access to the common value types; QVariant's general conversion is
// several times slower and the writer encodes millions of values.
bool directInteger(const QVariant& value, qint64* out)
{
    switch (value.typeId()) {
    case QMetaType::Int:
        *out = *static_cast<const int*>(value.constData());
        return true;
    case QMetaType::LongLong:
        *out = *static_cast<const qlonglong*>(value.constData());
        return true;
    case QMetaType::Short:
        *out = *static_cast<const short*>(value.constData());
        return true;
    default:
        return false;
    }
}

bool directDouble(const QVariant& value, double* out)
{
    switch (value.typeId()) {
    case QMetaType::Double:
        *out = *static_cast<const double*>(value.constData());
        return true;
    case QMetaType::Int:
        *out = *static_cast<const int*>(value.constData());
        return true;
    default:
        return false;
    }
}

bool isBlankValue(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return true;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::Bool:
        return false;
    case QMetaType::QString:
        return static_cast<const QString*>(value.constData())->isNull();
    default:
        return value.isNull();
    }
}
} // namespace

void ParadoxRecordEncoder::encodeValue(int field, const QVariant& value, char* out)
{
    const ParadoxFieldType type = m_fields[field].type;
    if (isBlankValue(value)) {
        if (type == ParadoxFieldType::AutoIncrement)
            encodeInteger(field, QVariant(qint64(m_autoIncrement) + 1), out);
        return; // blank: zero bytes
    }
    switch (type) {
    case ParadoxFieldType::Alpha:
        if (value.typeId() == QMetaType::QString)
            encodeText(field, *static_cast<const QString*>(value.constData()), out);
        else
            encodeText(field, value.toString(), out);
        break;
    case ParadoxFieldType::Short:
    case ParadoxFieldType::Long:
    case ParadoxFieldType::AutoIncrement:
        encodeInteger(field, value, out);
        break;
    case ParadoxFieldType::Number:
    case ParadoxFieldType::Currency:
        encodeNumber(field, value, out);
        break;
    case ParadoxFieldType::Bcd:
        encodeBcd(field, value, out);
        break;
    case ParadoxFieldType::Logical:
        out[0] = char(logicalValue(field, value) ? 0x81 : 0x80);
        break;
    case ParadoxFieldType::Date: {
        const QDate date = value.toDate();
        if (!date.isValid())
            return;
        const qint64 day = date.toJulianDay() - JulianDayOfDayZero;
        if (day < 1)
            failValue(field, value, QStringLiteral("datum před rokem 1"));
        encodeInt(out, qint32(day), 4);
        break;
    }
    case ParadoxFieldType::Time: {
        const QTime time = value.toTime();
        if (time.isValid())
            encodeInt(out, time.msecsSinceStartOfDay(), 4);
        break;
    }
    case ParadoxFieldType::Timestamp: {
        const QDateTime stamp = value.toDateTime();
        if (!stamp.isValid())
            return;
        const qint64 day = stamp.date().toJulianDay() - JulianDayOfDayZero;
        if (day < 1)
            failValue(field, value, QStringLiteral("datum před rokem 1"));
        encodeDouble(out, double(day * MsecsPerDay + stamp.time().msecsSinceStartOfDay()));
        break;
    }
    case ParadoxFieldType::Bytes: {
        const QByteArray bytes = value.toByteArray();
        if (bytes.size() > m_fields[field].size)
            failValue(field, value,
                      QStringLiteral("má %1 bajtů, pole jen %2")
                          .arg(bytes.size())
                          .arg(m_fields[field].size));
        std::memcpy(out, bytes.constData(), size_t(bytes.size()));
        break;
    }
    default:
        encodeBlob(field, value, out);
        break;
    }
}

bool ParadoxRecordEncoder::logicalValue(int field, const QVariant& value) const
{
    if (value.typeId() != QMetaType::QString)
        return value.toBool();
    // Text: the program's own 'T'/'F' and the usual spellings; nothing else.
    const QString text = value.toString().trimmed().toLower();
    if (text == QLatin1String("t") || text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("f") || text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    failValue(field, value, QStringLiteral("není to logická hodnota"));
}

void ParadoxRecordEncoder::encodeText(int field, const QString& text, char* out)
{
    qsizetype bad = 0;
    const qsizetype n = m_codePage.encodeTo(text, out, m_fields[field].size, &bad);
    if (n == CodePage::EncodeTooLong)
        failValue(field, text,
                  QStringLiteral("text má %1 znaků, pole jen %2")
                      .arg(text.size())
                      .arg(m_fields[field].size));
    if (n == CodePage::EncodeUnmappable)
        failValue(field, text,
                  QStringLiteral("znak \"%1\" nelze zapsat v kódové stránce %2")
                      .arg(text.mid(bad, 1))
                      .arg(m_codePage.number()));
}

void ParadoxRecordEncoder::encodeInteger(int field, const QVariant& value, char* out)
{
    qint64 v = 0;
    if (!directInteger(value, &v)) {
        bool ok = false;
        v = value.toLongLong(&ok);
        if (!ok)
            failValue(field, value, QStringLiteral("není to celé číslo"));
    }
    const ParadoxFieldType type = m_fields[field].type;
    const int size = type == ParadoxFieldType::Short ? 2 : 4;
    // The lowest value of each width encodes as all zeros, i.e. as a blank.
    const qint64 limit = size == 2 ? 32767 : 2147483647;
    if (v < -limit || v > limit)
        failValue(field, value, QStringLiteral("číslo je mimo rozsah pole (±%1)").arg(limit));
    if (type == ParadoxFieldType::AutoIncrement && v > m_autoIncrement)
        m_autoIncrement = qint32(v);
    encodeInt(out, qint32(v), size);
}

void ParadoxRecordEncoder::encodeNumber(int field, const QVariant& value, char* out)
{
    double d = 0;
    bool ok = directDouble(value, &d);
    if (!ok)
        d = value.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        failValue(field, value, QStringLiteral("není to konečné číslo"));
    encodeDouble(out, d);
}

void ParadoxRecordEncoder::encodeBcd(int field, const QVariant& value, char* out)
{
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        failValue(field, value, QStringLiteral("není to konečné číslo"));
    const int decimals = m_fields[field].size;
    const QByteArray text = QByteArray::number(std::fabs(d), 'f', decimals);
    const qsizetype point = text.indexOf('.');
    QByteArray integerPart = point < 0 ? text : text.left(point);
    const QByteArray fraction = point < 0 ? QByteArray() : text.mid(point + 1);
    if (integerPart == "0")
        integerPart.clear();
    if (integerPart.size() > 32 - decimals)
        failValue(field, value, QStringLiteral("číslo má příliš mnoho číslic"));
    const QByteArray digits =
        QByteArray(32 - decimals - integerPart.size(), '0') + integerPart + fraction;
    // Sign bit (set: positive), "value present" bit, decimals. Zero is
    // positive, as Paradox writes it, also when a tiny negative rounds to it.
    const bool zero = digits.count('0') == digits.size();
    const bool negative = !zero && d < 0;
    out[0] = char((negative ? 0 : 0x80) | 0x40 | decimals);
    for (int i = 0; i < 16; ++i) {
        quint8 byte = quint8(((digits[2 * i] - '0') << 4) | (digits[2 * i + 1] - '0'));
        out[1 + i] = char(negative ? byte ^ 0xFF : byte);
    }
}

void ParadoxRecordEncoder::encodeBlob(int field, const QVariant& value, char* out)
{
    const ParadoxField& f = m_fields[field];
    QByteArray data;
    if (f.type == ParadoxFieldType::Memo) {
        const QString text = value.toString();
        qsizetype bad = 0;
        if (!m_codePage.encode(text, data, &bad))
            failValue(field, value,
                      QStringLiteral("znak \"%1\" nelze zapsat v kódové stránce %2")
                          .arg(text.mid(bad, 1))
                          .arg(m_codePage.number()));
    } else {
        data = value.toByteArray();
    }
    if (data.isEmpty())
        return;
    const int leader = f.size - 10;
    std::memcpy(out, data.constData(), size_t(std::min<qsizetype>(leader, data.size())));
    quint32 pointer = 0;
    if (data.size() > leader) {
        if (f.type == ParadoxFieldType::Graphic) {
            // Graphic blobs carry 8 bytes of their own before the image.
            QByteArray prefix(8, '\0');
            prefix[0] = 1;
            prefix[3] = 1;
            putLe32(prefix.data() + 4, quint32(data.size()));
            data.prepend(prefix);
        }
        pointer = m_blobs.add(data);
    }
    putLe32(out + leader, pointer);
    putLe32(out + leader + 4, quint32(data.size()));
    putLe16(out + leader + 8, 1);
}
