#include "app/core/OutputMasking.h"

#include "settings/ISettings.h"
#include "app/core/TApp.h"
#include "settings/RegistryKeys.h"
#include "settings/TRegistry.h"
#include "data/BirthNumberMask.h"

#include <QDir>
#include <atomic>

const QString OutputMasking::MachineValueName = QStringLiteral("Vystup.SkrytRodnaCisla");
const QString OutputMasking::UserKey = QStringLiteral("ParVystupDlg.SkrytRodnaCisla");

bool OutputMasking::MachineForces(TRegistry& registry)
{
    constexpr auto hive = TRegistry::Hive::LocalMachine;
    const std::optional<RegValue> value =
        registry.Value(hive, RegistryKeys::Install, MachineValueName);
    if (!value)
        return false;
    if (value->type == RegValue::DWord)
        return value->dword != 0;
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true))
        registry.ReportProblem(
            hive, QStringLiteral("Hodnota \"%1\" v souboru %2 nemá typ dword; rodná čísla se "
                                 "ve výstupech skrývají, dokud ji správce neopraví.")
                      .arg(MachineValueName, QDir::toNativeSeparators(registry.FilePath(hive))));
    return true;
}

bool OutputMasking::UserChoice(ISettings& settings)
{
    return settings.GetValue(UserKey, 0).toInt() == 1;
}

void OutputMasking::SetUserChoice(ISettings& settings, bool on)
{
    settings.SetValue(UserKey, on ? 1 : 0);
}

bool OutputMasking::Apply(TRegistry& registry, ISettings& settings)
{
    const bool on = MachineForces(registry) || UserChoice(settings);
    BirthNumberMask::SetEnabled(on);
    return on;
}

namespace {
std::shared_ptr<TRegistry> RegistryOf(const IApp& app)
{
    if (const auto* own = dynamic_cast<const TApp*>(&app))
        return own->Registry();
    return TRegistry::openDefault();
}
} // namespace

bool OutputMasking::MachineForces(const IApp& app)
{
    return MachineForces(*RegistryOf(app));
}

bool OutputMasking::Apply(const IApp& app)
{
    return Apply(*RegistryOf(app), *app.Settings());
}

QString OutputMasking::ForcedReason()
{
    return QStringLiteral("Skrývání rodných čísel nařídil správce pro všechny uživatele "
                          "počítače (hodnota \"%1\" v nastavení počítače).")
        .arg(MachineValueName);
}
