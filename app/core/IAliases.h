#pragma once

#include "app/core/IAlias.h"

#include <memory>

// The program's own list of named directories, kept in the registry key
// "Software\VELDO\ORV\Aliases". Separate from the engine's data aliases.
class IAliases
{
public:
    virtual ~IAliases() = default;
    // The first alias whose name equals `name` ignoring case, or nullptr.
    virtual std::shared_ptr<IAlias> Find(const QString& name) const = 0;
    // Reloads the list from the registry.
    virtual void Refresh() = 0;
    virtual int Count() const = 0;
    // A new object holding a copy of entry `idx` (0 <= idx < Count()).
    virtual std::shared_ptr<IAlias> Item(int idx) const = 0;
};
