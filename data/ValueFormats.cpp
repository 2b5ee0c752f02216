#include "data/ValueFormats.h"

#include "data/CadastralTables.h"

#include <cmath>

namespace {

QString padded(qint64 value, int width)
{
    return QStringLiteral("%1").arg(value, width);
}

// "p" (descriptive number) or "e" (registration number, garage included) for
// parcels of the current cadastre; the older registers show no kind.
QString withKind(const QString& text, int nemvyuz, int parskup)
{
    if (text.isEmpty() || parskup >= 3)
        return text;
    return text + (HouseNumberKindOf(nemvyuz) == HouseNumberKind::Descriptive
                       ? QStringLiteral("p")
                       : QStringLiteral("e"));
}

} // namespace

qint64 WholeNumber(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9.2e18)
        return std::numeric_limits<qint64>::max();
    if (value <= -9.2e18)
        return std::numeric_limits<qint64>::min();
    return qint64(std::nearbyint(value)); // default rounding mode: half to even
}

QString HouseNumberGridText(qint64 cpce, int nemvyuz, int parskup)
{
    QString text;
    if (cpce < 1)
        return text;
    if (cpce < HouseNumberSplit)
        text = padded(cpce, 4) + QStringLiteral("  ");
    else
        text = padded(cpce % 10000, 4) + QLatin1Char('/') + QString::number(cpce / 10000);
    return withKind(text, nemvyuz, parskup);
}

QString HouseNumberReportText(qint64 cpce, int nemvyuz, int parskup)
{
    QString text;
    if (cpce == 0)
        return text;
    if (cpce < HouseNumberSplit)
        text = QString::number(cpce);
    else
        text = QString::number(cpce % 10000) + QLatin1Char('/') + QString::number(cpce / 10000);
    return withKind(text, nemvyuz, parskup);
}

QString ShareText(qint64 podil)
{
    if (podil == 0)
        return {};
    return QString::number(podil / 100000) + QLatin1Char('/') + QString::number(podil % 100000);
}

QString ChangeItemText(qint64 ppolvz)
{
    return QString::number(ppolvz / 100) + QLatin1Char('/') + QString::number(ppolvz % 100);
}

QString DeedNumberText(qint64 value)
{
    if (value == 0)
        return {};
    return QString::number(value / 100) + QLatin1Char('/') + padded(value % 100, 2);
}
