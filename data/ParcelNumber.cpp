#include "data/ParcelNumber.h"

#include <QRegularExpression>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

QString parcelBody(qint64 parcis, qint64 parpod)
{
    QString body = QString::number(parcis);
    if (parpod != 0)
        body += QLatin1Char('/') + QString::number(parpod);
    return body;
}

// A number typed by the user: blanks around it are ignored, anything that is
// not a whole 32-bit number gives 0.
int numberOrZero(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

// "st." not inside a word, the blanks after it and a digit next.
const QRegularExpression& buildingMark()
{
    static const QRegularExpression mark(QStringLiteral("(?<!\\p{L})st\\.\\s*(?=[0-9])"),
                                         QRegularExpression::CaseInsensitiveOption);
    return mark;
}

int saturatedInt(qint64 value)
{
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(value);
}

} // namespace

QString FormatParcelNumber(int parskup, int parcis, int parpod)
{
    const qint64 group = std::llabs(qint64(parskup));
    const QString body = parcelBody(parcis, parpod);
    switch (group) {
    case 1:
        return QLatin1Char('-') + body;
    case 2:
        return body;
    case 4:
        return QStringLiteral("(-") + body + QLatin1Char(')');
    case 5:
        return QLatin1Char('(') + body + QLatin1Char(')');
    default:
        return QString::number(group) + QLatin1Char(':') + body;
    }
}

QString JoinBuildingParcelMarks(const QString& text)
{
    return QString(text).replace(buildingMark(), QStringLiteral("-"));
}

bool HasBuildingParcelMark(const QString& text)
{
    return text.contains(buildingMark());
}

ParcelKey ParseParcelNumber(const QString& input)
{
    ParcelKey key;
    QString text = JoinBuildingParcelMarks(input);
    const bool negate = text.contains(QLatin1Char('?'));
    if (negate)
        text.remove(QLatin1Char('?'));

    int group = 2;
    if (text.startsWith(QLatin1Char('('))) {
        text.remove(0, 1);
        const qsizetype close = text.indexOf(QLatin1Char(')'));
        if (close >= 0)
            text.remove(close, 1);
        group = 5;
    } else if (text.size() >= 2 && text.at(1) == QLatin1Char(':')) {
        const QChar first = text.at(0);
        group =
            (first >= QLatin1Char('0') && first <= QLatin1Char('9')) ? first.unicode() - '0' : 0;
        text.remove(0, 2);
    }
    if (text.startsWith(QLatin1Char('-'))) {
        --group;
        text.remove(0, 1);
    }

    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash >= 0) {
        key.parcis = numberOrZero(text.left(slash));
        key.parpod = numberOrZero(text.mid(slash + 1));
    } else {
        key.parcis = numberOrZero(text);
    }
    key.parskup = negate ? -group : group;
    return key;
}

ParcelKey UnpackParcelReference(double packed)
{
    // Beyond 9.2e18 the value no longer fits a 64-bit integer.
    if (!std::isfinite(packed) || std::fabs(packed) >= 9.2e18)
        return {};
    const qint64 number = qint64(packed);
    const qint64 q = number / 1000; // C++ division truncates toward zero
    ParcelKey key;
    key.parpod = int(number - q * 1000);
    key.parskup = saturatedInt(q / 10000000);
    key.parcis = int(q % 10000000);
    if (key.parskup == 0)
        key.parskup = 2;
    return key;
}

qint64 PackParcelReference(const ParcelKey& key)
{
    return (qint64(key.parskup) * 10000000 + key.parcis) * 1000 + key.parpod;
}
