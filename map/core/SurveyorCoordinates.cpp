#include "map/core/SurveyorCoordinates.h"

#include <cmath>

namespace {
// `metres` to two decimals with a decimal comma and spaces between thousands.
QString surveyorNumber(double metres)
{
    const qint64 hundredths = qint64(std::llround(std::fabs(metres) * 100));
    QString whole = QString::number(hundredths / 100);
    for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
        whole.insert(i, QLatin1Char(' '));
    const QString sign = metres < 0 && hundredths != 0 ? QStringLiteral("-") : QString();
    return sign + whole + QLatin1Char(',') +
           QStringLiteral("%1").arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}
} // namespace

QString SurveyorCoordinates(const QPointF& world)
{
    // The survey's Y is the negated easting, its X the negated northing.
    return QStringLiteral("Y = ") + surveyorNumber(-world.x()) + QStringLiteral("  X = ") +
           surveyorNumber(-world.y());
}
