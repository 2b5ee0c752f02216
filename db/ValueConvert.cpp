#include "db/ValueConvert.h"

#include <QDate>
#include <cmath>
#include <limits>

namespace ValueConvert {

namespace {
// 2^63: the first double above every 64-bit integer.
constexpr double kInt64Bound = 9223372036854775808.0;
} // namespace

bool fitsInteger(double value)
{
    // Doubles this large are whole numbers: no rounding crosses the bounds.
    return std::isfinite(value) && value >= -kInt64Bound && value < kInt64Bound;
}

qint64 roundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    // Beyond the range the conversion would be undefined: the nearest end of
    // the range stands in, which no field of a table can hold.
    if (!fitsInteger(value))
        return value < 0 ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
    // std::nearbyint uses the current rounding mode, which is to-nearest-even.
    return qint64(std::nearbyint(value));
}

bool fitsField(const QVariant& stored, const FieldDef& field)
{
    if (!stored.isValid() || stored.isNull())
        return true;
    const double d = stored.toDouble();
    switch (field.type) {
    case FieldType::SmallInt:
        // The lowest value of a width reads as blank in a Paradox file.
        return std::fabs(d) <= 32767;
    case FieldType::Integer:
    case FieldType::AutoInc:
        return std::fabs(d) <= 2147483647;
    case FieldType::Float:
    case FieldType::Currency:
        return std::isfinite(d);
    case FieldType::Bcd:
        // 32 digits, `decimals` of them after the point.
        return std::isfinite(d) && std::fabs(d) < std::pow(10.0, 32 - field.decimals);
    default:
        return true;
    }
}

qint64 toInteger(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return 0;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return roundHalfEven(value.toDouble());
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        bool ok = false;
        const qint64 n = text.toLongLong(&ok);
        if (ok)
            return n;
        const double d = text.toDouble(&ok);
        return ok ? roundHalfEven(d) : 0;
    }
    default:
        return value.toLongLong();
    }
}

double toDouble(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return 0.0;
    if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        const double d = value.toString().trimmed().toDouble(&ok);
        return ok ? d : 0.0;
    }
    return value.toDouble();
}

QString toText(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("T") : QStringLiteral("F");
    default:
        return value.toString();
    }
}

bool toBool(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return false;
    if (value.typeId() == QMetaType::QString) {
        const QString t = value.toString().trimmed().toUpper();
        return t == QLatin1String("T") || t == QLatin1String("TRUE") || t == QLatin1String("1") ||
               t == QLatin1String("Y");
    }
    return value.toDouble() != 0.0;
}

char storageCode(FieldType type)
{
    if (FieldTypes::isIntegral(type))
        return 'I';
    switch (type) {
    case FieldType::Float:
    case FieldType::Currency:
    case FieldType::Bcd:
        return 'F';
    case FieldType::String:
    case FieldType::Memo:
        return 'S';
    case FieldType::Boolean:
        return 'B';
    case FieldType::Date:
        return 'D';
    default:
        return 'X';
    }
}

QVariant toStorage(const QVariant& value, char code, int size)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (code) {
    case 'I':
        if (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty())
            return QVariant();
        return QVariant(toInteger(value));
    case 'F':
        if (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty())
            return QVariant();
        return QVariant(toDouble(value));
    case 'B':
        return QVariant(qint64(toBool(value) ? 1 : 0));
    case 'S': {
        QString text = toText(value);
        if (size > 0 && text.size() > size)
            text.truncate(size);
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    case 'D':
        if (value.typeId() == QMetaType::QDate)
            return QVariant(value.toDate().toString(Qt::ISODate));
        return value;
    default:
        return value;
    }
}

QVariant toStorage(const QVariant& value, const FieldDef& field)
{
    return toStorage(value, storageCode(field.type),
                     field.type == FieldType::String ? field.size : 0);
}

} // namespace ValueConvert
