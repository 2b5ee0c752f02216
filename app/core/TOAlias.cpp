#include "app/core/TOAlias.h"

#include "base/TextHelpers.h"

#include <utility>

TOAlias::TOAlias(QString entry) : m_entry(std::move(entry)) {}

QString TOAlias::Name() const
{
    const int eq = m_entry.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : m_entry.left(eq);
}

QString TOAlias::directoryPart() const
{
    const int eq = m_entry.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : m_entry.mid(eq + 1);
}

void TOAlias::SetName(const QString& name)
{
    m_entry = name + QLatin1Char('=') + directoryPart();
}

QString TOAlias::Path() const
{
    return IncludeTrailingBackslash(directoryPart());
}

void TOAlias::SetPath(const QString& path)
{
    m_entry = Name() + QLatin1Char('=') + path;
}

bool TOAlias::Internal() const
{
    return Name().compare(WorkAliasName(), Qt::CaseInsensitive) == 0;
}
