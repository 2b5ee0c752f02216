#include "base/OrvPaths.h"

#include "base/TextHelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString fromEnv(const char* name)
{
    return QString::fromLocal8Bit(qgetenv(name));
}

QString xdgDir(const char* variable, const char* fallbackUnderHome)
{
    QString base = fromEnv(variable);
    if (base.isEmpty())
        base = QDir::homePath() + QLatin1Char('/') + QLatin1String(fallbackUnderHome);
    return QDir::cleanPath(base + QStringLiteral("/ORV"));
}
} // namespace

namespace OrvPaths {
QString configDir()
{
    const QString explicitDir = fromEnv("ORV_CONFIG_DIR");
    if (!explicitDir.isEmpty())
        return QDir::cleanPath(explicitDir);
    return xdgDir("XDG_CONFIG_HOME", ".config");
}

QString machineConfigDir()
{
    const QString explicitDir = fromEnv("ORV_MACHINE_CONFIG_DIR");
    if (!explicitDir.isEmpty())
        return QDir::cleanPath(explicitDir);
    const QString exeDir = executableDir();
    if (exeDir.isEmpty())
        return QStringLiteral("/etc/xdg/ORV");
    if (QFileInfo(exeDir).fileName() != QLatin1String("bin"))
        return exeDir + QStringLiteral("/etc"); // a run from the build tree
    const QString prefix = QFileInfo(exeDir).path();
    if (prefix == QLatin1String("/usr"))
        return QStringLiteral("/etc/xdg/ORV");
    return prefix + QStringLiteral("/etc/ORV");
}

QString userDataDir()
{
    return xdgDir("XDG_DATA_HOME", ".local/share");
}

QString cacheDir()
{
    const QString explicitDir = fromEnv("ORV_CACHE_DIR");
    if (!explicitDir.isEmpty())
        return QDir::cleanPath(explicitDir);
    return xdgDir("XDG_CACHE_HOME", ".cache");
}

QString mapDir()
{
    const QString explicitDir = fromEnv("ORV_MAP_DIR");
    if (!explicitDir.isEmpty())
        return QDir::cleanPath(explicitDir);
    return userDataDir() + QStringLiteral("/mapy");
}

QString executableDir()
{
    if (!QCoreApplication::instance())
        return QString();
    return QDir::cleanPath(QCoreApplication::applicationDirPath());
}

QString installedDataDir(const QString& executableDir)
{
    return QDir::cleanPath(executableDir + QStringLiteral("/../share/ORV"));
}

QString programData(const QString& executableDir, const QString& name)
{
    if (executableDir.isEmpty())
        return name;
    const QString beside = QDir::cleanPath(executableDir + QLatin1Char('/') + name);
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = installedDataDir(executableDir) + QLatin1Char('/') + name;
    return QFileInfo::exists(installed) ? installed : beside;
}

QString codeTableDir(const QString& executableDir)
{
    const QString explicitDir = fromEnv("ORV_WORKDB");
    if (!explicitDir.isEmpty())
        return ExcludeTrailingBackslash(explicitDir);
    return programData(executableDir, QStringLiteral("WorkDB"));
}
} // namespace OrvPaths
