#pragma once

#include <QStringList>
#include <functional>

// orv-tool subcommands register themselves here, one source file each
// (tools/Cmd*.cpp), so that adding a command never touches main.cpp.
// A command gets its arguments after the command name and returns the exit
// status; ETalvekException escaping it is printed by main as an error.
struct ToolCommand
{
    QString name;
    QString usage; // one line shown by "orv-tool help"
    std::function<int(const QStringList& args)> run;
};

class ToolCommandRegistry
{
public:
    static ToolCommandRegistry& instance();
    void add(ToolCommand command);
    const ToolCommand* find(const QString& name) const;
    const QList<ToolCommand>& commands() const { return m_commands; }

private:
    QList<ToolCommand> m_commands;
};

// Use at namespace scope in a command's source file:
//   static ToolCommandRegistrar reg{{"dump", "dump FILE  ...", &runDump}};
struct ToolCommandRegistrar
{
    explicit ToolCommandRegistrar(ToolCommand command)
    {
        ToolCommandRegistry::instance().add(std::move(command));
    }
};
