#include "data/BirthNumberMask.h"

#include "base/Format.h"

#include <QDate>
#include <atomic>
#include <cmath>

namespace {

std::atomic<bool> enabled{false};

constexpr qint64 TenDigits = 10'000'000'000LL;
constexpr qint64 NineDigits = 1'000'000'000LL;
constexpr qint64 EightDigits = 100'000'000LL;

// The IDENT as a whole number of up to ten digits; -1 when it is none.
qint64 WholeIdent(double ident)
{
    if (!std::isfinite(ident) || ident <= 0 || ident >= double(TenDigits) ||
        ident != std::floor(ident))
        return -1;
    return qint64(ident);
}

// YYMMDD of a number as a date of birth in `century` (19 or 20); `later`
// allows the +20 months of numbers issued from 2004.
bool IsBirthDate(qint64 yymmdd, int century)
{
    const int yy = int(yymmdd / 10000);
    int month = int(yymmdd / 100 % 100);
    const int day = int(yymmdd % 100);
    const int year = century * 100 + yy;
    if (month > 50)
        month -= 50; // women
    if (month > 20 && year >= 2004)
        month -= 20; // the months added when a day's numbers ran out
    return month >= 1 && month <= 12 && QDate(year, month, day).isValid();
}

// Ten digits (leading zeros restored): issued from 1954, so 00-53 are 2000s.
bool IsTenDigitNumber(qint64 n)
{
    const bool checked = n % 11 == 0 || (n / 10 % 11 == 10 && n % 10 == 0);
    const qint64 yymmdd = n / 10000;
    return checked && IsBirthDate(yymmdd, yymmdd / 10000 >= 54 ? 19 : 20);
}

// Nine digits, YYMMDDSSS before 1954: no check digit and no +20 months.
bool IsNineDigitNumber(qint64 n)
{
    if (n < EightDigits)
        return false;
    const qint64 yymmdd = n / 1000;
    return yymmdd / 10000 <= 53 && IsBirthDate(yymmdd, 19);
}

} // namespace

bool BirthNumberMask::IsPersonCharacteristic(int uvchar)
{
    return uvchar == 1 || uvchar == 2 || uvchar == 16;
}

bool BirthNumberMask::IsImportSurrogate(double ident)
{
    return ident >= 100'000'000'000.0;
}

bool BirthNumberMask::IsBirthNumber(double ident)
{
    const qint64 n = WholeIdent(ident);
    if (n < 0)
        return false;
    return IsTenDigitNumber(n) || (n < NineDigits && IsNineDigitNumber(n));
}

bool BirthNumberMask::Hides(double ident, int uvchar)
{
    if (ident == 0)
        return false;
    if (IsPersonCharacteristic(uvchar) && !IsImportSurrogate(ident))
        return true;
    return IsBirthNumber(ident);
}

QString BirthNumberMask::MaskedText(double ident)
{
    const qint64 n = WholeIdent(ident);
    if (n < 0)
        return QStringLiteral("******/****");
    // A nine-digit number valid only as one of before 1954 shows its own date.
    const bool old =
        n >= EightDigits && n < NineDigits && !IsTenDigitNumber(n) && IsNineDigitNumber(n);
    // The date part: the first six of nine digits, else of ten (zeros kept).
    qint64 date = old ? n / 1000 : n / 10000;
    QString text(11, QLatin1Char('*'));
    text[6] = QLatin1Char('/');
    for (int i = 5; i >= 0; --i, date /= 10)
        text[i] = QLatin1Char(char('0' + date % 10));
    return text;
}

bool BirthNumberMask::Enabled()
{
    return enabled.load(std::memory_order_relaxed);
}

void BirthNumberMask::SetEnabled(bool on)
{
    enabled.store(on, std::memory_order_relaxed);
}

QString BirthNumberMask::Text(double ident, int uvchar)
{
    if (Enabled() && Hides(ident, uvchar))
        return MaskedText(ident);
    // Whole numbers (every IDENT but a damaged one) skip the formatter:
    // listings print tens of thousands of them.
    if (std::fabs(ident) < 1e15 && ident == std::floor(ident))
        return QString::number(qint64(ident));
    return Format(QStringLiteral("%.0f"), ident);
}

QVariant BirthNumberMask::Value(double ident, int uvchar)
{
    if (!Enabled())
        return ident;
    return Text(ident, uvchar);
}
