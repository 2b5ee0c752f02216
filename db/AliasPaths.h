#pragma once

#include <QString>
#include <QStringList>

// Paths written with an engine alias ("DATA1:\TEXTY\" or "DATA1:/TEXTY/").
// The lists are lines "name=directory", one per engine alias in the engine's
// order; the overloads without a list read the engine's aliases.conf.

// Fills `list` with one line per engine alias (any driver): name=PATH.
void AliasPathList(QStringList& list);

// Turns "alias:\rest" into the alias's directory + "/rest". Text that names no
// alias comes back unchanged apart from one trailing separator removed.
QString ExpandAliasPath(const QString& text, const QStringList& aliasList);
QString ExpandAliasPath(const QString& text);

// The engine alias (spelled as the engine spells it) that `text` starts with
// ("alias:..."), or an empty text.
QString AliasOfPath(const QString& text, const QStringList& aliasList);
QString AliasOfPath(const QString& text);
