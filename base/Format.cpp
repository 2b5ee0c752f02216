#include "base/Format.h"

#include "base/ETalvekException.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Significant decimal digits a floating-point value is written with before it
// is rounded for output.
constexpr int kSignificantDigits = 18;
// Default precisions of the floating-point directives.
constexpr int kDefaultFixedDecimals = 2;
constexpr int kDefaultGeneralDigits = 15;
// Minimum number of exponent digits in %g and %e.
constexpr int kExponentDigits = 3;

struct Directive
{
    bool leftAlign = false;
    int width = -1;     // -1: none
    int precision = -1; // -1: none
    QChar type;
};

[[noreturn]] void fail(const QString& format, const QString& reason)
{
    throw ETalvekException(QStringLiteral("Formát \"%1\" je chybný nebo neodpovídá parametru: %2")
                               .arg(format, reason));
}

// A finite double as sign, digits and decimal exponent: value = 0.d1d2d3... * 10^exponent,
// the digits without trailing zeros ("" for zero).
struct DecimalValue
{
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

DecimalValue toDecimal(double value)
{
    DecimalValue d;
    d.negative = std::signbit(value);
    if (value == 0.0)
        return d;
    char buffer[64];
    // "%.17e" gives 18 significant digits, correctly rounded from the binary value.
    std::snprintf(buffer, sizeof buffer, "%.*e", kSignificantDigits - 1, std::fabs(value));
    const char* p = buffer;
    std::string digits;
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9')
            digits.push_back(*p);
    }
    const int exp10 = (*p == 'e') ? std::atoi(p + 1) : 0;
    d.digits = digits;
    d.exponent = exp10 + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// Keeps `keep` leading digits, rounding half away from zero on the digits held.
void roundToDigits(DecimalValue& d, int keep)
{
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    if (static_cast<int>(d.digits.size()) <= keep)
        return;
    const bool roundUp = d.digits[static_cast<size_t>(keep)] >= '5';
    d.digits.resize(static_cast<size_t>(keep));
    if (roundUp) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') {
            d.digits[static_cast<size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[static_cast<size_t>(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            d.digits.resize(static_cast<size_t>(keep > 0 ? keep : 1));
            ++d.exponent;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
}

char digitAt(const DecimalValue& d, int index)
{
    return (index >= 0 && index < static_cast<int>(d.digits.size()))
               ? d.digits[static_cast<size_t>(index)]
               : '0';
}

QString groupThousands(const QString& integerPart, const QLocale& locale)
{
    const QString separator = locale.groupSeparator();
    QString out;
    const int n = integerPart.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += integerPart[i];
    }
    return out;
}

QString fixedText(double value, int decimals, bool thousands, const QLocale& locale)
{
    DecimalValue d = toDecimal(value);
    roundToDigits(d, d.exponent + decimals);
    QString integerPart;
    for (int i = 0; i < d.exponent; ++i)
        integerPart += QLatin1Char(digitAt(d, i));
    if (integerPart.isEmpty())
        integerPart = QStringLiteral("0");
    if (thousands)
        integerPart = groupThousands(integerPart, locale);
    QString text = integerPart;
    if (decimals > 0) {
        text += locale.decimalPoint();
        for (int i = 0; i < decimals; ++i)
            text += QLatin1Char(digitAt(d, d.exponent + i));
    }
    if (d.negative && !d.digits.empty())
        text.prepend(QLatin1Char('-'));
    return text;
}

QString exponentText(int exponent, int minDigits, bool plusSign)
{
    QString digits = QString::number(std::abs(exponent));
    while (digits.size() < minDigits)
        digits.prepend(QLatin1Char('0'));
    if (exponent < 0)
        return QStringLiteral("E-") + digits;
    return (plusSign ? QStringLiteral("E+") : QStringLiteral("E")) + digits;
}

// Mantissa d1.d2d3... of a rounded value; trailing zeros trimmed unless `fixedDigits`.
QString mantissaText(const DecimalValue& d, int fixedDigits, const QLocale& locale)
{
    QString text(QLatin1Char(digitAt(d, 0)));
    const int count = fixedDigits > 0 ? fixedDigits : static_cast<int>(d.digits.size());
    if (count > 1) {
        text += locale.decimalPoint();
        for (int i = 1; i < count; ++i)
            text += QLatin1Char(digitAt(d, i));
    }
    return text;
}

QString scientificText(double value, int digits, const QLocale& locale)
{
    DecimalValue d = toDecimal(value);
    roundToDigits(d, digits);
    if (d.digits.empty())
        return mantissaText(d, digits, locale) + exponentText(0, kExponentDigits, true);
    QString text =
        mantissaText(d, digits, locale) + exponentText(d.exponent - 1, kExponentDigits, true);
    if (d.negative)
        text.prepend(QLatin1Char('-'));
    return text;
}

QString generalText(double value, int precision, const QLocale& locale)
{
    if (precision <= 0 || precision > kDefaultGeneralDigits)
        precision = kDefaultGeneralDigits;
    DecimalValue d = toDecimal(value);
    roundToDigits(d, precision);
    if (d.digits.empty())
        return QStringLiteral("0");
    QString text;
    // Fixed notation while the integer digits fit the precision and the value
    // is at least 0.00001; scientific otherwise.
    if (d.exponent > precision || d.exponent < -4) {
        text = mantissaText(d, 0, locale) + exponentText(d.exponent - 1, kExponentDigits, false);
    } else if (d.exponent <= 0) {
        text = QStringLiteral("0") + locale.decimalPoint() +
               QString(-d.exponent, QLatin1Char('0')) + QString::fromStdString(d.digits);
    } else {
        for (int i = 0; i < d.exponent; ++i)
            text += QLatin1Char(digitAt(d, i));
        if (static_cast<int>(d.digits.size()) > d.exponent)
            text += locale.decimalPoint() +
                    QString::fromStdString(d.digits.substr(static_cast<size_t>(d.exponent)));
    }
    if (d.negative)
        text.prepend(QLatin1Char('-'));
    return text;
}

QString nonFiniteText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

bool isIntegerType(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

bool isFloatType(const QVariant& v)
{
    return v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float;
}

class Formatter
{
public:
    Formatter(const QString& format, const QVariantList& args, const QLocale& locale)
        : m_format(format), m_args(args), m_locale(locale)
    {
    }

    QString run()
    {
        QString out;
        out.reserve(m_format.size() + 16);
        while (m_pos < m_format.size()) {
            const QChar c = m_format[m_pos++];
            if (c != QLatin1Char('%')) {
                out += c;
                continue;
            }
            if (m_pos < m_format.size() && m_format[m_pos] == QLatin1Char('%')) {
                out += QLatin1Char('%');
                ++m_pos;
                continue;
            }
            out += directive();
        }
        return out;
    }

private:
    QString directive()
    {
        Directive d;
        int number = readNumberOrStar();
        if (m_pos < m_format.size() && m_format[m_pos] == QLatin1Char(':')) {
            if (number < 0)
                fail(m_format, QStringLiteral("chybný index parametru"));
            m_nextArg = number;
            ++m_pos;
            number = -2; // consumed as index
        }
        if (number == -2 || number == -1) {
            if (m_pos < m_format.size() && m_format[m_pos] == QLatin1Char('-')) {
                d.leftAlign = true;
                ++m_pos;
            }
            number = readNumberOrStar();
        }
        d.width = number;
        if (m_pos < m_format.size() && m_format[m_pos] == QLatin1Char('.')) {
            ++m_pos;
            d.precision = readNumberOrStar();
            if (d.precision < 0)
                d.precision = 0;
        }
        if (m_pos >= m_format.size())
            fail(m_format, QStringLiteral("neúplná direktiva"));
        d.type = m_format[m_pos++].toLower();
        return pad(convert(d, takeArg()), d);
    }

    // A decimal number or "*" (the next argument); -1 when neither is there.
    int readNumberOrStar()
    {
        if (m_pos < m_format.size() && m_format[m_pos] == QLatin1Char('*')) {
            ++m_pos;
            const QVariant v = takeArg();
            if (!isIntegerType(v))
                fail(m_format, QStringLiteral("šířka \"*\" musí být celé číslo"));
            return static_cast<int>(qBound(0LL, static_cast<long long>(v.toLongLong()), 100000LL));
        }
        int value = -1;
        while (m_pos < m_format.size() && m_format[m_pos].isDigit() &&
               m_format[m_pos].unicode() < 128) {
            value = (value < 0 ? 0 : value) * 10 + (m_format[m_pos].unicode() - '0');
            if (value > 100000)
                fail(m_format, QStringLiteral("příliš velká šířka"));
            ++m_pos;
        }
        return value;
    }

    QVariant takeArg()
    {
        if (m_nextArg < 0 || m_nextArg >= m_args.size())
            fail(m_format, QStringLiteral("chybí parametr č. %1").arg(m_nextArg + 1));
        return m_args[m_nextArg++];
    }

    QString convert(const Directive& d, const QVariant& arg)
    {
        switch (d.type.unicode()) {
        case 'd':
        case 'u':
            return integerText(d, arg, 10);
        case 'x':
            return integerText(d, arg, 16);
        case 's':
            return stringText(d, arg);
        case 'f':
        case 'n':
        case 'e':
        case 'g':
            return floatText(d, arg);
        default:
            fail(m_format, QStringLiteral("neznámá direktiva %%%1").arg(d.type));
        }
    }

    QString integerText(const Directive& d, const QVariant& arg, int base)
    {
        if (!isIntegerType(arg))
            fail(m_format, QStringLiteral("%%%1 očekává celé číslo").arg(d.type));
        bool negative = false;
        QString digits;
        if (arg.typeId() == QMetaType::ULongLong || arg.typeId() == QMetaType::ULong) {
            digits = QString::number(arg.toULongLong(), base);
        } else {
            const qlonglong v = arg.toLongLong();
            negative = v < 0;
            // The magnitude as unsigned so that the most negative value survives.
            const qulonglong magnitude =
                negative ? 0ULL - static_cast<qulonglong>(v) : static_cast<qulonglong>(v);
            digits = QString::number(magnitude, base);
        }
        digits = digits.toUpper();
        if (d.precision > digits.size())
            digits.prepend(QString(d.precision - digits.size(), QLatin1Char('0')));
        return negative ? QLatin1Char('-') + digits : digits;
    }

    QString stringText(const Directive& d, const QVariant& arg)
    {
        if (arg.typeId() != QMetaType::QString && arg.typeId() != QMetaType::QChar)
            fail(m_format, QStringLiteral("%s očekává text"));
        QString s = arg.toString();
        if (d.precision >= 0 && d.precision < characterCount(s))
            s = leftCharacters(s, d.precision);
        return s;
    }

    QString floatText(const Directive& d, const QVariant& arg)
    {
        double value = 0.0;
        if (isFloatType(arg))
            value = arg.toDouble();
        else if (isIntegerType(arg))
            value = static_cast<double>(arg.toLongLong());
        else
            fail(m_format, QStringLiteral("%%%1 očekává číslo").arg(d.type));
        if (!std::isfinite(value))
            return nonFiniteText(value);
        switch (d.type.unicode()) {
        case 'f':
        case 'n': {
            const int decimals =
                d.precision >= 0 ? qMin(d.precision, kSignificantDigits) : kDefaultFixedDecimals;
            // Values too large for 18 digits before the point go out in scientific form.
            if (std::fabs(value) >= 1e18)
                return scientificText(value, kDefaultGeneralDigits, m_locale);
            return fixedText(value, decimals, d.type == QLatin1Char('n'), m_locale);
        }
        case 'e':
            return scientificText(value,
                                  d.precision > 0 ? qMin(d.precision, kSignificantDigits)
                                                  : kDefaultGeneralDigits,
                                  m_locale);
        default:
            return generalText(value, d.precision, m_locale);
        }
    }

    static int characterCount(const QString& s)
    {
        int n = 0;
        for (int i = 0; i < s.size(); ++i) {
            if (!(s[i].isLowSurrogate() && i > 0 && s[i - 1].isHighSurrogate()))
                ++n;
        }
        return n;
    }

    static QString leftCharacters(const QString& s, int count)
    {
        int i = 0;
        for (int n = 0; i < s.size() && n < count; ++n) {
            i += (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) ? 2 : 1;
        }
        return s.left(i);
    }

    static QString pad(const QString& text, const Directive& d)
    {
        const int missing = d.width - characterCount(text);
        if (missing <= 0)
            return text;
        const QString spaces(missing, QLatin1Char(' '));
        return d.leftAlign ? text + spaces : spaces + text;
    }

    const QString& m_format;
    const QVariantList& m_args;
    const QLocale& m_locale;
    int m_pos = 0;
    int m_nextArg = 0;
};

} // namespace

QString Format(const QString& format, const QVariantList& args, const QLocale& locale)
{
    return Formatter(format, args, locale).run();
}
