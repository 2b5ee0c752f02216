#include "app/core/StartupCheck.h"

#include "base/OrvPaths.h"
#include "app/core/RegistryKeys.h"
#include "app/core/TInstallInfo.h"
#include "app/core/TOAlias.h"
#include "base/ETalvekException.h"

#include <QDir>
#include <QFileInfo>

namespace {
constexpr auto HKCU = TRegistry::Hive::CurrentUser;
constexpr auto HKLM = TRegistry::Hive::LocalMachine;

// A value of the installation key as text; a missing value or one of
// another type reads as empty (the rest of the program only needs texts).
QString installText(TRegistry& registry, const QString& name)
{
    const std::optional<RegValue> value = registry.Value(HKLM, RegistryKeys::Install, name);
    return value && value->isString() ? value->text : QString();
}

void readInstallNames(TRegistry& registry)
{
    if (!registry.KeyExists(HKLM, RegistryKeys::Install))
        return;
    TInstallInfo::Set(installText(registry, QStringLiteral("Name")),
                      installText(registry, QStringLiteral("Company")));
}

void firstRunSetup(IApp& app, TRegistry& registry, const QString& executableDir)
{
    const QString firstRun = QStringLiteral("FirstRun");
    if (!registry.ValueExists(HKLM, RegistryKeys::Install, firstRun))
        return;
    try {
        registry.DeleteValue(HKLM, RegistryKeys::Install, firstRun);
    } catch (const ETalvekException&) {
        // The machine file is read-only for this user: the set-up runs again
        // next time, which is harmless as it never overwrites the alias.
    }
    if (!registry.ValueExists(HKCU, RegistryKeys::Aliases, TOAlias::WorkAliasName())) {
        registry.WriteString(HKCU, RegistryKeys::Aliases, TOAlias::WorkAliasName(),
                             DefaultWorkDir(executableDir));
    }
    app.Aliases()->Refresh();
}

bool writableDir(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isWritable();
}
} // namespace

QString DefaultWorkDir(const QString& executableDir)
{
    const QString beside = executableDir + QStringLiteral("/WorkDir");
    if (writableDir(beside) || (!QFileInfo::exists(beside) && writableDir(executableDir)))
        return beside;
    const QString own = OrvPaths::userDataDir() + QStringLiteral("/WorkDir");
    QDir().mkpath(own);
    return own;
}

QString WorkDirProblem(const QString& workPath)
{
    const QFileInfo info(workPath);
    if (workPath.isEmpty() || !info.isDir())
        return QStringLiteral("Pracovní adresář %1 neexistuje.").arg(workPath);
    if (!info.isWritable())
        return QStringLiteral("Do pracovního adresáře %1 nelze zapisovat.").arg(workPath);
    return QString();
}

QString StartupCheck(IApp& app, TRegistry& registry, const QString& executableDir)
{
    readInstallNames(registry);
    firstRunSetup(app, registry, executableDir);
    return WorkDirProblem(app.WorkPath());
}

void SetWorkDir(IApp& app, TRegistry& registry, const QString& directory)
{
    registry.WriteString(HKCU, RegistryKeys::Aliases, TOAlias::WorkAliasName(), directory);
    app.Aliases()->Refresh();
}
