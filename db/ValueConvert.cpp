#include "db/ValueConvert.h"

#include <QDate>
#include <cmath>

namespace ValueConvert {

qint64 roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return 0;
    // std::nearbyint uses the current rounding mode, which is to-nearest-even.
    return qint64(std::nearbyint(value));
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
