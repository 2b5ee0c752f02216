#include "base/TextHelpers.h"

#include <QDir>

namespace {
bool endsWithSeparator(const QString& path)
{
    return path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'));
}

bool isDelimiter(QChar c)
{
    return c.unicode() < 32 || c == QLatin1Char(',') || c == QLatin1Char(';');
}
} // namespace

QString IncludeTrailingBackslash(const QString& path)
{
    if (path.isEmpty() || endsWithSeparator(path))
        return path;
    return path + QDir::separator();
}

QString ExcludeTrailingBackslash(const QString& path)
{
    if (endsWithSeparator(path))
        return path.left(path.size() - 1);
    return path;
}

QString NextToken(const QString& text, int& position)
{
    if (position < 0)
        position = 0;
    if (position >= text.size()) {
        position = text.size();
        return QString();
    }
    const int start = position;
    while (position < text.size() && !isDelimiter(text[position]))
        ++position;
    const QString token = text.mid(start, position - start).trimmed();
    if (position < text.size())
        ++position; // step over the delimiter
    return token;
}

int TokenToInt(const QString& token, int defaultValue)
{
    bool ok = false;
    const int value = token.toInt(&ok, 10);
    return ok ? value : defaultValue;
}
