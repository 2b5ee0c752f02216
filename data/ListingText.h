#pragma once

#include <QString>

// Column texts of the plain-text listings. Every listing is written in a
// monospaced font one character per column, so every value that lands in a
// column is first made one line long: control characters (tabs, line breaks,
// form feeds) become blanks, and widths count characters, never halves of a
// surrogate pair.
namespace ListingText {

inline constexpr int LineWidth = 80;

// The value made one line: every character below 32 (and DEL) becomes a blank.
QString SingleLine(const QString& text);
// One line, padded with blanks or cut to n characters.
QString LeftAligned(const QString& text, int n);
// One line, cut to n characters and right-aligned in n.
QString RightAligned(const QString& text, int n);
// The parcel number placed so that the stem ends in column 7 and "/" stands
// in column 8 of a 12-character column: "123/4" -> "    123/4   ",
// "1234" -> "   1234     ".
QString AlignedParcelNumber(const QString& parcislo);
// A rule of 80 "-" or, double, of 80 "=".
QString Rule(bool doubled = false);
// The caption followed by "-" up to 80 characters ("Vlastník ----...").
QString CaptionRule(const QString& caption);
// The page line "- N -" centred on column 40.
QString PageLine(int page);
// An area sum in square metres as hectares with four decimals in 12
// characters, then the count in 6: "      1.2345     1". Wider values keep
// every digit (the columns then shift rather than lose a figure).
QString AreaValue(qint64 squareMetres, qint64 count);

} // namespace ListingText
