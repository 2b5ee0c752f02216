#include "import/VfkValueCodes.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <map>

namespace {
constexpr qint64 ExactMax = 1LL << 53; // a whole number a double holds exactly
} // namespace

qint64 VfkValueCodes::packShare(qint64 numerator, qint64 denominator, bool* approximated)
{
    if (approximated)
        *approximated = false;
    if (numerator <= 0 || denominator <= 0)
        return 0;
    if (numerator < 21474 && denominator < 100000)
        return numerator * 100000 + denominator;
    const double value = double(numerator) / double(denominator);
    if (value > 21473.5 || numerator > ExactMax || denominator > ExactMax)
        return -1; // no fraction of the packed field comes near
    if (approximated)
        *approximated = true;
    // Best rational approximation by continued fractions under a bound on
    // the denominator that also keeps the numerator below 21474. The bound
    // is taken in double: a tiny share would overflow an integer division.
    const qint64 maxDen = qint64(std::clamp(std::floor(21473.0 / value), 1.0, 99999.0));
    qint64 p0 = 0, q0 = 1, p1 = 1, q1 = 0;
    qint64 n = numerator, d = denominator;
    while (d != 0) {
        const qint64 a = n / d;
        if (q1 != 0 && a > (maxDen - q0) / q1)
            break; // the next denominator would pass the bound
        const qint64 q2 = q0 + a * q1;
        const qint64 p2 = p0 + a * p1;
        p0 = p1, q0 = q1, p1 = p2, q1 = q2;
        const qint64 r = n - a * d;
        n = d, d = r;
    }
    // The semiconvergent with the largest allowed denominator may be nearer.
    const qint64 k = q1 ? (maxDen - q0) / q1 : 0;
    const qint64 pk = p0 + k * p1, qk = q0 + k * q1;
    const bool semi = qk > 0 && std::abs(double(pk) / double(qk) - value) <
                                    std::abs(double(p1) / double(q1) - value);
    qint64 p = semi ? pk : p1, q = semi ? qk : q1;
    if (p <= 0)
        p = 1, q = maxDen; // a share too small to show keeps the smallest fraction
    return p * 100000 + q;
}

int VfkValueCodes::protectionCode(const QList<int>& values)
{
    int hundreds = 0, tens = 0, units = 0;
    for (const int wanted : {3, 1, 2, 4}) {
        for (const int v : values)
            if (v / 100 % 10 == wanted && hundreds == 0)
                hundreds = wanted;
    }
    for (const int v : values) {
        tens |= v / 10 % 10;
        units |= v % 10;
    }
    return hundreds * 100 + tens * 10 + units;
}

int VfkValueCodes::buildingUse(int zpvybu, int typbud, bool hasNumber)
{
    static const std::map<int, int> classes{{1, 100},  {12, 100}, {2, 200},  {13, 210}, {21, 210},
                                            {17, 300}, {18, 300}, {3, 400},  {6, 400},  {7, 400},
                                            {8, 420},  {4, 500},  {5, 600},  {9, 600},  {10, 600},
                                            {11, 600}, {14, 600}, {15, 600}, {16, 700}};
    int use = 900;
    if (const auto it = classes.find(zpvybu); it != classes.end())
        use = it->second;
    else if (zpvybu >= 22 && zpvybu <= 29)
        use = 700;
    if (typbud == 1)
        return use;
    if (typbud != 2 || !hasNumber)
        return use + 5;
    return use + (zpvybu == 18 ? 2 : 1);
}

qint64 VfkValueCodes::legacyItem(const QString& text)
{
    static const QRegularExpression joined(
        QStringLiteral("POL\\.?\\s*VZ\\s*:?\\s*(\\d+)(\\d{4})\\b"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression slashed(
        QStringLiteral("POL\\.?\\s*VZ\\s*:?\\s*(\\d+)\\s*/\\s*(\\d{2,4})\\b"),
        QRegularExpression::CaseInsensitiveOption);
    QRegularExpressionMatch m = slashed.match(text);
    if (!m.hasMatch())
        m = joined.match(text);
    if (!m.hasMatch())
        return 0;
    // An item too long for a number is as much too large as one above 99999.
    bool ok = false;
    const qint64 item = m.captured(1).toLongLong(&ok);
    return !ok || item > 99999 ? 0 : item * 100 + m.captured(2).toInt() % 100;
}
