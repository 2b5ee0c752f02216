#include "settings/TRegistry.h"

#include "base/ETalvekException.h"
#include "base/OrvPaths.h"

#include <QtEndian>
#include <cstring>
#include <map>

TRegistry::TRegistry(const QString& userFile, const QString& machineFile)
    : m_user(userFile), m_machine(machineFile)
{
}

std::shared_ptr<TRegistry> TRegistry::openDefault()
{
    // One store per pair of files in the process, so that no two copies of
    // the same file in memory can overwrite each other's changes.
    static std::map<std::pair<QString, QString>, std::weak_ptr<TRegistry>> open;
    const auto files =
        std::make_pair(OrvPaths::configDir() + QLatin1Char('/') + userFileName(),
                       OrvPaths::machineConfigDir() + QLatin1Char('/') + machineFileName());
    if (std::shared_ptr<TRegistry> existing = open[files].lock())
        return existing;
    auto created = std::make_shared<TRegistry>(files.first, files.second);
    open[files] = created;
    return created;
}

RegHiveFile& TRegistry::file(Hive hive)
{
    return hive == Hive::CurrentUser ? m_user : m_machine;
}

QString TRegistry::FilePath(Hive hive) const
{
    return hive == Hive::CurrentUser ? m_user.path() : m_machine.path();
}

QString TRegistry::fullKey(Hive hive, const QString& key)
{
    const QString root = hive == Hive::CurrentUser ? QStringLiteral("HKEY_CURRENT_USER\\")
                                                   : QStringLiteral("HKEY_LOCAL_MACHINE\\");
    return root + key;
}

bool TRegistry::KeyExists(Hive hive, const QString& key)
{
    return file(hive).document().hasKey(fullKey(hive, key));
}

bool TRegistry::ValueExists(Hive hive, const QString& key, const QString& name)
{
    return file(hive).document().value(fullKey(hive, key), name) != nullptr;
}

QStringList TRegistry::ValueNames(Hive hive, const QString& key)
{
    return file(hive).document().valueNames(fullKey(hive, key));
}

std::optional<RegValue> TRegistry::Value(Hive hive, const QString& key, const QString& name)
{
    if (const RegValue* v = file(hive).document().value(fullKey(hive, key), name))
        return *v;
    return std::nullopt;
}

RegValue TRegistry::typedValue(const std::optional<RegValue>& value, const QString& name,
                               bool (*fits)(const RegValue&))
{
    if (!value) {
        throw ETalvekException(QStringLiteral("Hodnota „%1“ v registru neexistuje.").arg(name));
    }
    if (!fits(*value)) {
        throw ETalvekException(
            QStringLiteral("Neplatný datový typ hodnoty „%1“ v registru.").arg(name));
    }
    return *value;
}

QString TRegistry::ReadString(Hive hive, const QString& key, const QString& name)
{
    return typedValue(Value(hive, key, name), name, [](const RegValue& v) { return v.isString(); })
        .text;
}

qint32 TRegistry::ReadInteger(Hive hive, const QString& key, const QString& name)
{
    const auto isDWord = [](const RegValue& v) { return v.type == RegValue::DWord; };
    return qint32(typedValue(Value(hive, key, name), name, isDWord).dword);
}

bool TRegistry::ReadBool(Hive hive, const QString& key, const QString& name)
{
    return ReadInteger(hive, key, name) != 0;
}

double TRegistry::ReadFloat(Hive hive, const QString& key, const QString& name)
{
    const auto isDouble = [](const RegValue& v) {
        return v.type == RegValue::Binary && v.bytes.size() == qsizetype(sizeof(double));
    };
    const QByteArray bytes = typedValue(Value(hive, key, name), name, isDouble).bytes;
    const quint64 bits = qFromLittleEndian<quint64>(bytes.constData());
    double result;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

void TRegistry::CreateKey(Hive hive, const QString& key)
{
    const QString path = fullKey(hive, key);
    if (!file(hive).document().hasKey(path))
        file(hive).modify([&](RegDocument& doc) { doc.ensureKey(path); });
}

void TRegistry::WriteValue(Hive hive, const QString& key, const QString& name,
                           const RegValue& value)
{
    const QString path = fullKey(hive, key);
    file(hive).modify([&](RegDocument& doc) { doc.setValue(path, name, value); });
}

void TRegistry::WriteString(Hive hive, const QString& key, const QString& name,
                            const QString& value)
{
    WriteValue(hive, key, name, RegValue::fromString(value));
}

void TRegistry::WriteInteger(Hive hive, const QString& key, const QString& name, qint32 value)
{
    WriteValue(hive, key, name, RegValue::fromDWord(quint32(value)));
}

void TRegistry::WriteBool(Hive hive, const QString& key, const QString& name, bool value)
{
    WriteInteger(hive, key, name, value ? 1 : 0);
}

void TRegistry::WriteFloat(Hive hive, const QString& key, const QString& name, double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray bytes(sizeof bits, '\0');
    qToLittleEndian(bits, bytes.data());
    WriteValue(hive, key, name, RegValue::fromBinary(bytes));
}

bool TRegistry::DeleteValue(Hive hive, const QString& key, const QString& name)
{
    if (!ValueExists(hive, key, name))
        return false;
    const QString path = fullKey(hive, key);
    file(hive).modify([&](RegDocument& doc) { doc.removeValue(path, name); });
    return true;
}

QStringList TRegistry::TakeProblems()
{
    return m_user.takeProblems() + m_machine.takeProblems();
}

void TRegistry::ReportProblem(Hive hive, const QString& problem)
{
    file(hive).report(problem);
}

void TRegistry::SetProblemHandler(const std::function<void(const QString&)>& handler)
{
    m_user.setProblemHandler(handler);
    m_machine.setProblemHandler(handler);
}
