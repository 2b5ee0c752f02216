#pragma once

#include <QString>

// Path and token helpers shared by every dialog.
//
// The names keep the backslash of the system they come from; on Linux they add
// and remove the platform separator "/". A trailing "\" (from alias-form
// names such as "DATA1:\TEXTY\") also counts as a separator.

// `path` with one separator at its end; an empty text stays empty.
QString IncludeTrailingBackslash(const QString& path);
// `path` with one trailing separator removed; an empty text stays empty.
QString ExcludeTrailingBackslash(const QString& path);

// The token starting at `position` (0-based) up to the next delimiter (any
// character 0-31, "," or ";"), with blanks trimmed; `position` moves past the
// delimiter. Two delimiters in a row give an empty token; at or beyond the end
// of `text` the result is empty and `position` is left at the end.
QString NextToken(const QString& text, int& position);

// Decimal integer of a token, `defaultValue` when the text is not one.
int TokenToInt(const QString& token, int defaultValue = 0);
