#include "app/core/TCommandLine.h"

namespace {
bool isSwitch(const QString& argument, const char* name)
{
    if (argument.size() < 2 || (argument[0] != QLatin1Char('-') && argument[0] != QLatin1Char('/')))
        return false;
    return argument.mid(1).compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}
} // namespace

TCommandLine TCommandLine::Parse(const QStringList& arguments)
{
    TCommandLine result;
    for (const QString& argument : arguments) {
        result.RegServer |= isSwitch(argument, "REGSERVER");
        result.UnregServer |= isSwitch(argument, "UNREGSERVER");
        result.Automation |= isSwitch(argument, "AUTOMATION");
        result.Embedding |= isSwitch(argument, "EMBEDDING");
    }
    return result;
}
