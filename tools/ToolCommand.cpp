#include "tools/ToolCommand.h"

ToolCommandRegistry& ToolCommandRegistry::instance()
{
    static ToolCommandRegistry registry;
    return registry;
}

void ToolCommandRegistry::add(ToolCommand command)
{
    m_commands.append(std::move(command));
}

const ToolCommand* ToolCommandRegistry::find(const QString& name) const
{
    for (const ToolCommand& c : m_commands) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}
