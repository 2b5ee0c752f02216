#pragma once

#include <QStringList>
#include <cstdio>
#include <functional>

// orv-tool subcommands register themselves here, one source file each
// (tools/Cmd*.cpp), so that adding a command never touches main.cpp.
// A command gets its arguments after the command name and returns the exit
// status (ToolExit); ETalvekException escaping it is printed as an error and
// ends with ToolExit::BadData. Every text the tool prints is Czech.
struct ToolCommand
{
    QString name;
    QString usage; // one line shown by "orv-tool help": synopsis, blanks, what it does
    std::function<int(const QStringList& args)> run;
    // Draws text or pages (fonts, PDF): runs under a GUI application, on the
    // "offscreen" platform unless QT_QPA_PLATFORM names another.
    bool needsGui = false;
    // Options that may be given more than once (the steps of "select", the
    // districts of "sheets"). Any other option ("--out") given twice is a
    // usage error before the command runs, never "the last one wins".
    QStringList repeatable = {};
    // Prints or writes owners: takes the options that hide birth numbers
    // (ToolMasking).
    bool writesOwners = false;
};

// The exit status of orv-tool, the same for every command (man orv-tool).
namespace ToolExit {
constexpr int Ok = 0;      // done
constexpr int BadData = 1; // a file, table, alias, value or statement could not be used
constexpr int Usage = 2;   // wrong command line: unknown command, missing or extra argument
} // namespace ToolExit

// A command whose arguments do not fit calls this: it prints
// "použití: orv-tool SYNOPSIS" to stderr and returns ToolExit::Usage.
int toolUsageError(const QString& synopsis);
// The same after the line "orv-tool: chybná hodnota volby OPTION: „VALUE“".
int toolBadValue(const QString& option, const QString& value, const QString& synopsis);

// A whole number written as digits only (no sign, blank, decimals or
// exponent) within min..max: option values such as a sheet number. False
// for anything else, "abc", "3.5", "" and "99999999999" included.
bool toolWholeNumber(const QString& text, qint64 min, qint64 max, qint64& value);

// The option given more than once among `args` that `command` does not allow
// to repeat; empty when there is none. An option is "--" and a word.
QString toolRepeatedOption(const ToolCommand& command, const QStringList& args);

class ToolCommandRegistry
{
public:
    static ToolCommandRegistry& instance();
    void add(ToolCommand command);
    const ToolCommand* find(const QString& name) const;
    bool needsGui(const QString& name) const;
    const QList<ToolCommand>& commands() const { return m_commands; }

    // Runs orv-tool with its arguments (without the program name): help,
    // --version, or the named command; returns the exit status.
    int dispatch(QStringList args) const;

private:
    void printHelp(FILE* out) const;
    int runCommand(const ToolCommand& command, const QStringList& args) const;

    QList<ToolCommand> m_commands;
};

// Use at namespace scope in a command's source file:
//   static ToolCommandRegistrar reg{{"dump", "dump SOUBOR.DB   ...", &runDump}};
// and in its run function, for arguments that do not fit:
//   return toolUsageError(QStringLiteral("dump SOUBOR.DB"));
struct ToolCommandRegistrar
{
    explicit ToolCommandRegistrar(ToolCommand command)
    {
        ToolCommandRegistry::instance().add(std::move(command));
    }
};
