#pragma once

#include <QLocale>
#include <QString>
#include <QVariant>
#include <QVariantList>

// Format: the printf-like routine behind every text, listing and form of ORV.
//
// Directives: %[index:][-][width][.precision]type with type one of
//   d  integer; precision = minimum digits, padded with zeros ("%.3d" -> "007")
//   u  unsigned integer, as d
//   x  integer in upper-case hexadecimal; precision = minimum digits
//   s  text; precision = maximum characters
//   f  fixed, default 2 decimals
//   n  as f with thousands separators
//   e  scientific, default 15 significant digits, exponent "E+000"
//   g  general: shortest of fixed and scientific with 15 significant digits,
//      trailing zeros removed, exponent as "E020"/"E-007" (at least three
//      digits, no plus sign)
// and %% for a percent sign. Width pads with spaces on the left (on the right
// with "-") and never truncates; it counts characters, not bytes. Width and
// precision may be "*", taken from the next argument.
//
// Floating-point values are first written with 18 significant decimal digits
// and then rounded half away from zero at the requested place, so 2.5 with
// "%.0f" gives 3 and 0.125 with "%.2f" gives 0,13; a result that is zero
// never carries a minus sign. The decimal separator is the locale's.
//
// An argument that does not fit its directive (text for %d, a float for %d,
// a number for %s), a missing argument or an unknown directive throws
// ETalvekException.
QString Format(const QString& format, const QVariantList& args, const QLocale& locale = QLocale());

namespace FormatDetail {
inline QVariant toArg(const QVariant& v)
{
    return v;
}
inline QVariant toArg(const QString& v)
{
    return v;
}
inline QVariant toArg(const char* v)
{
    return QString::fromUtf8(v);
}
inline QVariant toArg(QChar v)
{
    return QString(v);
}
inline QVariant toArg(bool v)
{
    return v;
}
inline QVariant toArg(int v)
{
    return v;
}
inline QVariant toArg(unsigned v)
{
    return qulonglong(v);
}
inline QVariant toArg(long v)
{
    return qlonglong(v);
}
inline QVariant toArg(unsigned long v)
{
    return qulonglong(v);
}
inline QVariant toArg(long long v)
{
    return qlonglong(v);
}
inline QVariant toArg(unsigned long long v)
{
    return qulonglong(v);
}
inline QVariant toArg(short v)
{
    return int(v);
}
inline QVariant toArg(float v)
{
    return double(v);
}
inline QVariant toArg(double v)
{
    return v;
}
} // namespace FormatDetail

// Convenience: Format("%d/%d", a, b).
template <typename... Args> QString Format(const QString& format, const Args&... args)
{
    return Format(format, QVariantList{FormatDetail::toArg(args)...});
}
