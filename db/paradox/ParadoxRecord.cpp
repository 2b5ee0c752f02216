#include "db/paradox/ParadoxFormat.h"
#include "db/paradox/ParadoxTableData.h"

#include <cmath>

using namespace ParadoxFormat;

namespace {
using Layout = ParadoxTableData::FieldLayout;

bool isIntegerType(ParadoxFieldType t)
{
    return t == ParadoxFieldType::Short || t == ParadoxFieldType::Long ||
           t == ParadoxFieldType::AutoIncrement || t == ParadoxFieldType::Date ||
           t == ParadoxFieldType::Time;
}

bool isDoubleType(ParadoxFieldType t)
{
    return t == ParadoxFieldType::Number || t == ParadoxFieldType::Currency ||
           t == ParadoxFieldType::Timestamp;
}

bool logicalValue(char byte)
{
    return byte != 0 && quint8(byte) != 0x80;
}

// The first byte of a BCD field holds the sign (bit 7 set: positive), a
// "value present" bit (bit 6) and the number of decimals. The present bit
// alone tells a blank from a value: c2 00..00 is the number 0, 00 00..00 a
// blank.
bool bcdBlank(const char* p)
{
    return (quint8(p[0]) & 0x40) == 0;
}

// 32 decimal digits of a BCD field; an invalid nibble ends the significant
// digits (some writers leave garbage after the digits of a converted double).
QString bcdText(const char* p, int decimals)
{
    if (bcdBlank(p))
        return {};
    const bool negative = (quint8(p[0]) & 0x80) == 0;
    char digits[32];
    bool valid = true;
    for (int i = 0; i < 32; ++i) {
        quint8 byte = quint8(p[1 + i / 2]);
        if (negative)
            byte ^= 0xFF;
        const int nibble = i % 2 == 0 ? byte >> 4 : byte & 0x0F;
        valid = valid && nibble <= 9;
        digits[i] = valid ? char('0' + nibble) : '0';
    }
    const int integerDigits = 32 - decimals;
    QString integerPart = QString::fromLatin1(digits, integerDigits);
    while (integerPart.size() > 1 && integerPart.startsWith(QLatin1Char('0')))
        integerPart.remove(0, 1);
    if (integerPart.isEmpty())
        integerPart = QStringLiteral("0");
    QString fraction = QString::fromLatin1(digits + integerDigits, decimals);
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    QString text = fraction.isEmpty() ? integerPart : integerPart + QLatin1Char('.') + fraction;
    if (negative && text != QLatin1String("0"))
        text.prepend(QLatin1Char('-'));
    return text;
}
} // namespace

const char* ParadoxRecord::raw(int field) const
{
    return m_data + m_table->layout(field).offset;
}

bool ParadoxRecord::isBlank(int field) const
{
    const Layout& l = m_table->layout(field);
    const char* p = m_data + l.offset;
    switch (l.type) {
    case ParadoxFieldType::Alpha:
    case ParadoxFieldType::Logical:
        return p[0] == 0;
    case ParadoxFieldType::Bcd:
        return bcdBlank(p);
    case ParadoxFieldType::Memo:
    case ParadoxFieldType::BinaryBlob:
    case ParadoxFieldType::FormattedMemo:
    case ParadoxFieldType::Ole:
    case ParadoxFieldType::Graphic:
        return le32(p + l.size - 6) == 0 || m_table->inMissingMemoFile(field, p);
    default:
        return allZero(p, l.size);
    }
}

qint64 ParadoxRecord::toInt64(int field) const
{
    const Layout& l = m_table->layout(field);
    const char* p = m_data + l.offset;
    if (isIntegerType(l.type))
        return allZero(p, l.size) ? 0 : decodeInt(p, l.size);
    if (l.type == ParadoxFieldType::Logical)
        return logicalValue(p[0]) ? 1 : 0;
    if (isDoubleType(l.type) || l.type == ParadoxFieldType::Bcd) {
        const double d = toDouble(field);
        if (!(std::fabs(d) < 9.2e18))
            return 0;
        return qint64(std::nearbyint(d)); // round half to even
    }
    if (l.type == ParadoxFieldType::Alpha)
        return toString(field).trimmed().toLongLong();
    return 0;
}

double ParadoxRecord::toDouble(int field) const
{
    const Layout& l = m_table->layout(field);
    const char* p = m_data + l.offset;
    if (isDoubleType(l.type))
        return allZero(p, 8) ? 0.0 : decodeDouble(p);
    if (l.type == ParadoxFieldType::Bcd)
        return bcdText(p, l.decimals).toDouble();
    if (l.type == ParadoxFieldType::Alpha)
        return toString(field).trimmed().toDouble();
    return double(toInt64(field));
}

bool ParadoxRecord::toBool(int field) const
{
    const Layout& l = m_table->layout(field);
    if (l.type == ParadoxFieldType::Logical)
        return logicalValue(m_data[l.offset]);
    return toInt64(field) != 0;
}

QString ParadoxRecord::toString(int field) const
{
    const Layout& l = m_table->layout(field);
    const char* p = m_data + l.offset;
    switch (l.type) {
    case ParadoxFieldType::Alpha:
        return m_table->decodeText(p, qstrnlen(p, size_t(l.size)));
    case ParadoxFieldType::Memo:
    case ParadoxFieldType::FormattedMemo: {
        const QByteArray bytes = m_table->blobBytes(field, p);
        return m_table->decodeText(bytes.constData(), bytes.size());
    }
    case ParadoxFieldType::Bcd:
        return bcdText(p, l.decimals);
    default:
        break;
    }
    if (isBlank(field))
        return {};
    switch (l.type) {
    case ParadoxFieldType::Short:
    case ParadoxFieldType::Long:
    case ParadoxFieldType::AutoIncrement:
        return QString::number(toInt64(field));
    case ParadoxFieldType::Number:
    case ParadoxFieldType::Currency:
        return QString::number(toDouble(field), 'g', 17);
    case ParadoxFieldType::Logical:
        return toBool(field) ? QStringLiteral("true") : QStringLiteral("false");
    case ParadoxFieldType::Date:
        return toDate(field).toString(Qt::ISODate);
    case ParadoxFieldType::Time:
        return toTime(field).toString(Qt::ISODateWithMs);
    case ParadoxFieldType::Timestamp:
        return toDateTime(field).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    default:
        return QString::fromLatin1(toBytes(field).toHex());
    }
}

void ParadoxRecord::toUtf8(int field, QByteArray& out) const
{
    const Layout& l = m_table->layout(field);
    const char* p = m_data + l.offset;
    if (l.type == ParadoxFieldType::Alpha) {
        m_table->decodeTextUtf8(p, qstrnlen(p, size_t(l.size)), out);
    } else if (l.type == ParadoxFieldType::Memo || l.type == ParadoxFieldType::FormattedMemo) {
        const QByteArray bytes = m_table->blobBytes(field, p);
        m_table->decodeTextUtf8(bytes.constData(), bytes.size(), out);
    } else {
        out = toString(field).toUtf8();
    }
}

QByteArray ParadoxRecord::toBytes(int field) const
{
    const Layout& l = m_table->layout(field);
    const char* p = m_data + l.offset;
    if (ParadoxFormat::isBlob(l.type))
        return m_table->blobBytes(field, p);
    if (l.type == ParadoxFieldType::Alpha)
        return QByteArray(p, qsizetype(qstrnlen(p, size_t(l.size))));
    if (isBlank(field))
        return {};
    return QByteArray(p, l.size);
}

int ParadoxRecord::toJulianDay(int field) const
{
    const Layout& l = m_table->layout(field);
    const char* p = m_data + l.offset;
    if (l.type != ParadoxFieldType::Date || allZero(p, 4))
        return 0;
    return int(decodeInt(p, 4) + JulianDayOfDayZero);
}

QDate ParadoxRecord::toDate(int field) const
{
    const int jd = toJulianDay(field);
    return jd > 0 ? QDate::fromJulianDay(jd) : QDate();
}

int ParadoxRecord::toMsecsOfDay(int field) const
{
    const Layout& l = m_table->layout(field);
    const char* p = m_data + l.offset;
    if (l.type != ParadoxFieldType::Time || allZero(p, 4))
        return 0;
    return decodeInt(p, 4);
}

QTime ParadoxRecord::toTime(int field) const
{
    if (isBlank(field))
        return {};
    const int ms = toMsecsOfDay(field);
    return ms >= 0 && ms < MsecsPerDay ? QTime::fromMSecsSinceStartOfDay(ms) : QTime();
}

qint64 ParadoxRecord::toTimestampMsecs(int field) const
{
    const Layout& l = m_table->layout(field);
    const char* p = m_data + l.offset;
    if (l.type != ParadoxFieldType::Timestamp || allZero(p, 8))
        return 0;
    const double ms = decodeDouble(p);
    return std::fabs(ms) < 9.2e18 ? qint64(std::llround(ms)) : 0;
}

QDateTime ParadoxRecord::toDateTime(int field) const
{
    const qint64 ms = toTimestampMsecs(field);
    if (ms <= 0)
        return {};
    const QDate date = QDate::fromJulianDay(ms / MsecsPerDay + JulianDayOfDayZero);
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(ms % MsecsPerDay));
    return QDateTime(date, time, Qt::UTC);
}

QString ParadoxRecord::toBcdText(int field) const
{
    const Layout& l = m_table->layout(field);
    return l.type == ParadoxFieldType::Bcd ? bcdText(m_data + l.offset, l.decimals)
                                           : toString(field);
}

QVariant ParadoxRecord::value(int field) const
{
    if (isBlank(field))
        return {};
    switch (m_table->layout(field).type) {
    case ParadoxFieldType::Alpha:
    case ParadoxFieldType::Memo:
        return toString(field);
    case ParadoxFieldType::Short:
    case ParadoxFieldType::Long:
    case ParadoxFieldType::AutoIncrement:
        return int(toInt64(field));
    case ParadoxFieldType::Number:
    case ParadoxFieldType::Currency:
    case ParadoxFieldType::Bcd:
        return toDouble(field);
    case ParadoxFieldType::Logical:
        return toBool(field);
    case ParadoxFieldType::Date:
        return toDate(field);
    case ParadoxFieldType::Time:
        return toTime(field);
    case ParadoxFieldType::Timestamp:
        return toDateTime(field);
    default:
        return toBytes(field);
    }
}
