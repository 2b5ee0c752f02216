#include "tools/ToolMasking.h"

#include "app/core/OutputMasking.h"
#include "app/core/TRegistry.h"
#include "data/BirthNumberMask.h"
#include "tools/ToolCommand.h"

#include <cstdio>

namespace {
void print(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stderr);
}
} // namespace

int toolApplyMasking(const ToolCommand& command, QStringList& args)
{
    const bool on = args.removeAll(QStringLiteral("--mask-birth-numbers")) > 0;
    const bool off = args.removeAll(QStringLiteral("--no-mask-birth-numbers")) > 0;
    if (on && off) {
        print(QStringLiteral("orv-tool %1: volby --mask-birth-numbers a --no-mask-birth-numbers "
                             "se vylučují\n")
                  .arg(command.name));
        return toolUsageError(command.usage);
    }
    const std::shared_ptr<TRegistry> registry = TRegistry::openDefault();
    const bool forced = OutputMasking::MachineForces(*registry);
    for (const QString& problem : registry->TakeProblems())
        print(QStringLiteral("orv-tool: %1\n").arg(problem));
    if (forced && off) {
        print(QStringLiteral("orv-tool %1: volbu --no-mask-birth-numbers nelze použít: skrývání "
                             "rodných čísel nařídil správce v nastavení počítače (%2)\n")
                  .arg(command.name, registry->FilePath(TRegistry::Hive::LocalMachine)));
        return ToolExit::Usage;
    }
    const bool byDefault = qEnvironmentVariable("ORV_MASK_BIRTH_NUMBERS") == QLatin1String("1");
    BirthNumberMask::SetEnabled(forced || on || (byDefault && !off));
    return -1;
}
