#include "app/core/TOAliases.h"

#include "base/ETalvekException.h"
#include "settings/RegistryKeys.h"
#include "app/core/TOAlias.h"

#include <utility>

TOAliases::TOAliases(std::shared_ptr<TRegistry> registry) : m_registry(std::move(registry))
{
    Refresh();
}

void TOAliases::Refresh()
{
    constexpr auto hive = TRegistry::Hive::CurrentUser;
    m_entries.clear();
    for (const QString& name : m_registry->ValueNames(hive, RegistryKeys::Aliases)) {
        const std::optional<RegValue> value = m_registry->Value(hive, RegistryKeys::Aliases, name);
        // An alias whose data is not text can't name a directory.
        m_entries << name + QLatin1Char('=') +
                         (value && value->isString() ? value->text : QString());
    }
}

int TOAliases::Count() const
{
    return int(m_entries.size());
}

std::shared_ptr<IAlias> TOAliases::Item(int idx) const
{
    if (idx < 0 || idx >= m_entries.size())
        throw ETalvekException(QStringLiteral("Index aliasu %1 je mimo rozsah.").arg(idx));
    return std::make_shared<TOAlias>(m_entries[idx]);
}

std::shared_ptr<IAlias> TOAliases::Find(const QString& name) const
{
    for (const QString& entry : m_entries) {
        auto alias = std::make_shared<TOAlias>(entry);
        if (alias->Name().compare(name, Qt::CaseInsensitive) == 0)
            return alias;
    }
    return nullptr;
}
