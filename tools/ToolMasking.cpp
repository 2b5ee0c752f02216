#include "tools/ToolMasking.h"

#include "app/core/OutputMasking.h"
#include "settings/TRegistry.h"
#include "data/BirthNumberMask.h"

#include <cstdio>

QString toolApplyMasking(QStringList& args)
{
    const bool on = args.removeAll(QStringLiteral("--mask-birth-numbers")) > 0;
    const bool off = args.removeAll(QStringLiteral("--no-mask-birth-numbers")) > 0;
    if (on && off)
        return QStringLiteral("volby --mask-birth-numbers a --no-mask-birth-numbers se vylučují");
    const std::shared_ptr<TRegistry> registry = TRegistry::openDefault();
    const bool forced = OutputMasking::MachineForces(*registry);
    for (const QString& problem : registry->TakeProblems())
        std::fputs(QStringLiteral("orv-tool: %1\n").arg(problem).toUtf8().constData(), stderr);
    if (forced && off)
        return QStringLiteral("volbu --no-mask-birth-numbers nelze použít: skrývání rodných čísel "
                              "nařídil správce v nastavení počítače (%1)")
            .arg(registry->FilePath(TRegistry::Hive::LocalMachine));
    const bool byDefault = qEnvironmentVariable("ORV_MASK_BIRTH_NUMBERS") == QLatin1String("1");
    BirthNumberMask::SetEnabled(forced || on || (byDefault && !off));
    return QString();
}
