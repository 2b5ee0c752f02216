#pragma once

#include "settings/RegHiveFile.h"
#include "settings/RegValue.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

// The registry of the program: a per-user hive (HKEY_CURRENT_USER) and a
// machine hive (HKEY_LOCAL_MACHINE), each kept in its own REGEDIT4 file.
// Keys are given relative to their hive ("Software\VELDO\ORV\Settings").
//
// The typed readers fail like the registry does when the stored value has
// another type than the one asked for: they throw ETalvekException.
class TRegistry
{
public:
    enum class Hive
    {
        CurrentUser,
        LocalMachine
    };

    TRegistry(const QString& userFile, const QString& machineFile);
    // The files in OrvPaths::configDir() and OrvPaths::machineConfigDir();
    // the same object for as long as anyone holds it.
    static std::shared_ptr<TRegistry> openDefault();
    static QString userFileName() { return QStringLiteral("user.reg"); }
    static QString machineFileName() { return QStringLiteral("machine.reg"); }

    bool KeyExists(Hive hive, const QString& key);
    bool ValueExists(Hive hive, const QString& key, const QString& name);
    QStringList ValueNames(Hive hive, const QString& key);
    std::optional<RegValue> Value(Hive hive, const QString& key, const QString& name);

    QString ReadString(Hive hive, const QString& key, const QString& name);
    qint32 ReadInteger(Hive hive, const QString& key, const QString& name);
    bool ReadBool(Hive hive, const QString& key, const QString& name);
    double ReadFloat(Hive hive, const QString& key, const QString& name);

    void CreateKey(Hive hive, const QString& key);
    void WriteValue(Hive hive, const QString& key, const QString& name, const RegValue& value);
    void WriteString(Hive hive, const QString& key, const QString& name, const QString& value);
    void WriteInteger(Hive hive, const QString& key, const QString& name, qint32 value);
    void WriteBool(Hive hive, const QString& key, const QString& name, bool value);
    void WriteFloat(Hive hive, const QString& key, const QString& name, double value);
    bool DeleteValue(Hive hive, const QString& key, const QString& name);

    QString FilePath(Hive hive) const;
    // Problems with the files (corrupt, unreadable), each reported once.
    QStringList TakeProblems();
    // Reports a problem with a value of the hive's file the same way.
    void ReportProblem(Hive hive, const QString& problem);
    void SetProblemHandler(const std::function<void(const QString&)>& handler);

private:
    RegHiveFile& file(Hive hive);
    static QString fullKey(Hive hive, const QString& key);
    static RegValue typedValue(const std::optional<RegValue>& value, const QString& name,
                               bool (*fits)(const RegValue&));

    RegHiveFile m_user;
    RegHiveFile m_machine;
};
