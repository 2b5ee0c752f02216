#include "app/core/StartupCheck.h"

#include "base/OrvPaths.h"
#include "settings/RegistryKeys.h"
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

// Removes the installer's first-run mark. A machine file this user cannot
// write keeps it, which is harmless: the work alias is never overwritten.
void consumeFirstRun(TRegistry& registry)
{
    const QString firstRun = QStringLiteral("FirstRun");
    if (!registry.ValueExists(HKLM, RegistryKeys::Install, firstRun))
        return;
    try {
        registry.DeleteValue(HKLM, RegistryKeys::Install, firstRun);
    } catch (const ETalvekException&) {
    }
}

// Binds the work alias to the default directory when there is none: after
// an installation, and equally on a first start without one (an installed
// program run by a new user, the build started directly).
void bindDefaultWorkAlias(IApp& app, TRegistry& registry, const QString& executableDir)
{
    if (registry.ValueExists(HKCU, RegistryKeys::Aliases, TOAlias::WorkAliasName()))
        return;
    registry.WriteString(HKCU, RegistryKeys::Aliases, TOAlias::WorkAliasName(),
                         DefaultWorkDir(executableDir));
    app.Aliases()->Refresh();
}

bool writableDir(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isWritable();
}

// The work directory is created only where the program itself puts it by
// default; a directory the user chose (perhaps on a disk not mounted now)
// is never created behind the user's back.
bool isDefaultWorkDir(const QString& path, const QString& executableDir)
{
    const QString clean = QDir::cleanPath(path);
    return clean == QDir::cleanPath(executableDir + QStringLiteral("/WorkDir")) ||
           clean == QDir::cleanPath(OrvPaths::userDataDir() + QStringLiteral("/WorkDir"));
}

// Why `path` cannot be created: the nearest existing ancestor is not a
// writable directory.
QString cannotCreate(const QString& path)
{
    QString ancestor = QDir::cleanPath(path);
    while (!QFileInfo::exists(ancestor) && QFileInfo(ancestor).path() != ancestor)
        ancestor = QFileInfo(ancestor).path();
    const QString reason =
        QFileInfo(ancestor).isDir()
            ? QStringLiteral("do adresáře %1 nelze zapisovat")
                  .arg(QDir::toNativeSeparators(ancestor))
            : QStringLiteral("%1 není adresář").arg(QDir::toNativeSeparators(ancestor));
    return QStringLiteral("Pracovní adresář %1 nelze vytvořit: %2.")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString createDefaultWorkDir(const QString& workPath, const QString& executableDir)
{
    if (workPath.isEmpty() || QFileInfo::exists(workPath) ||
        !isDefaultWorkDir(workPath, executableDir))
        return QString();
    return QDir().mkpath(workPath) ? QString() : cannotCreate(workPath);
}
} // namespace

QString DefaultWorkDir(const QString& executableDir)
{
    const QString beside = executableDir + QStringLiteral("/WorkDir");
    // An installed program (<prefix>/bin with <prefix>/share/ORV) never gets a
    // work directory among the programs, even for a user who may write there.
    const bool installed = QFileInfo(executableDir).fileName() == QLatin1String("bin") &&
                           QFileInfo(OrvPaths::installedDataDir(executableDir)).isDir();
    if (!installed &&
        (writableDir(beside) || (!QFileInfo::exists(beside) && writableDir(executableDir))))
        return beside;
    return OrvPaths::userDataDir() + QStringLiteral("/WorkDir");
}

QString WorkDirProblem(const QString& workPath)
{
    if (workPath.isEmpty())
        return QStringLiteral("Pracovní adresář není nastaven: chybí alias \"%1\".")
            .arg(TOAlias::WorkAliasName());
    const QFileInfo info(workPath);
    if (!info.isDir())
        return QStringLiteral("Pracovní adresář %1 neexistuje.").arg(workPath);
    if (!info.isWritable())
        return QStringLiteral("Do pracovního adresáře %1 nelze zapisovat.").arg(workPath);
    return QString();
}

QString StartupCheck(IApp& app, TRegistry& registry, const QString& executableDir)
{
    readInstallNames(registry);
    consumeFirstRun(registry);
    bindDefaultWorkAlias(app, registry, executableDir);
    const QString created = createDefaultWorkDir(app.WorkPath(), executableDir);
    return created.isEmpty() ? WorkDirProblem(app.WorkPath()) : created;
}

void SetWorkDir(IApp& app, TRegistry& registry, const QString& directory)
{
    registry.WriteString(HKCU, RegistryKeys::Aliases, TOAlias::WorkAliasName(), directory);
    app.Aliases()->Refresh();
}
