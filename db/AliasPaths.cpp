#include "db/AliasPaths.h"

#include "db/EngineAliases.h"

namespace {
bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

// Removes one trailing separator, but never turns the root "/" into nothing.
QString withoutTrailingSeparator(const QString& path)
{
    if (path.size() > 1 && isSeparator(path.back()))
        return path.left(path.size() - 1);
    return path;
}

QString aliasPart(const QString& text)
{
    const int colon = text.indexOf(QLatin1Char(':'));
    return colon > 0 ? text.left(colon) : QString();
}

// Index of the line of `aliasList` whose name equals `alias` ignoring case.
int findAlias(const QStringList& aliasList, const QString& alias)
{
    for (int i = 0; i < aliasList.size(); ++i) {
        const QString name = aliasList[i].section(QLatin1Char('='), 0, 0);
        if (name.compare(alias, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int firstSeparator(const QString& text)
{
    for (int i = 0; i < text.size(); ++i)
        if (isSeparator(text[i]))
            return i;
    return -1;
}
} // namespace

void AliasPathList(QStringList& list)
{
    EngineAliases aliases(EngineAliases::defaultFilePath());
    aliases.load();
    list.clear();
    for (const QString& name : aliases.names())
        list << name + QLatin1Char('=') + aliases.path(name);
}

QString ExpandAliasPath(const QString& text, const QStringList& aliasList)
{
    const QString alias = aliasPart(text);
    QString result = text;
    if (!alias.isEmpty()) {
        const int line = findAlias(aliasList, alias);
        if (line >= 0) {
            result = withoutTrailingSeparator(aliasList[line].section(QLatin1Char('='), 1));
            const int sep = firstSeparator(text);
            if (sep >= 0) {
                QString rest = text.mid(sep);
                rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
                result += rest;
            }
        }
    }
    return withoutTrailingSeparator(result);
}

QString ExpandAliasPath(const QString& text)
{
    QStringList list;
    AliasPathList(list);
    return ExpandAliasPath(text, list);
}

QString AliasOfPath(const QString& text, const QStringList& aliasList)
{
    const QString alias = aliasPart(text);
    if (alias.isEmpty())
        return QString();
    const int line = findAlias(aliasList, alias);
    return line < 0 ? QString() : aliasList[line].section(QLatin1Char('='), 0, 0);
}

QString AliasOfPath(const QString& text)
{
    QStringList list;
    AliasPathList(list);
    return AliasOfPath(text, list);
}
