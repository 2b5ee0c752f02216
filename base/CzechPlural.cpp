#include "base/CzechPlural.h"

QString CzechPlural::Form(qint64 count, const QString& one, const QString& few, const QString& many)
{
    // The magnitude in unsigned arithmetic: no overflow at the minimum.
    const quint64 n = count < 0 ? 0 - quint64(count) : quint64(count);
    if (n == 1)
        return one;
    if (n >= 2 && n <= 4)
        return few;
    return many;
}

QString CzechPlural::Count(qint64 count, const QString& one, const QString& few,
                           const QString& many)
{
    return QString::number(count) + QLatin1Char(' ') + Form(count, one, few, many);
}
