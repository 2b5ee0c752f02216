#pragma once

#include "app/core/IAliases.h"
#include "settings/TRegistry.h"

#include <QStringList>
#include <memory>

// The program's alias list, loaded from the registry key
// "Software\VELDO\ORV\Aliases" at construction and on Refresh().
class TOAliases : public IAliases
{
public:
    explicit TOAliases(std::shared_ptr<TRegistry> registry);

    std::shared_ptr<IAlias> Find(const QString& name) const override;
    void Refresh() override;
    int Count() const override;
    std::shared_ptr<IAlias> Item(int idx) const override;

private:
    std::shared_ptr<TRegistry> m_registry;
    QStringList m_entries; // "name=directory", in the registry's order
};
