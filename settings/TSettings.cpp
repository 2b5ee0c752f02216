#include "settings/TSettings.h"

#include "base/ETalvekException.h"
#include "settings/RegistryKeys.h"

#include <QDir>
#include <utility>

namespace {
constexpr auto kHive = TRegistry::Hive::CurrentUser;

enum class Kind
{
    Integer,
    Float,
    Text,
    Boolean,
    Unsupported
};

Kind kindOf(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Short:
    case QMetaType::Int:
        return Kind::Integer;
    case QMetaType::Float:
    case QMetaType::Double:
        return Kind::Float;
    case QMetaType::QString:
        return Kind::Text;
    case QMetaType::Bool:
        return Kind::Boolean;
    default:
        return Kind::Unsupported;
    }
}

[[noreturn]] void unsupported(const QString& name, const QVariant& v)
{
    throw ETalvekException(QStringLiteral("Nastavení „%1“ nelze uložit ani přečíst jako typ %2.")
                               .arg(name, QString::fromLatin1(v.metaType().name())));
}
} // namespace

TSettings::TSettings(std::shared_ptr<TRegistry> registry) : m_registry(std::move(registry)) {}

QVariant TSettings::GetValue(const QString& name, const QVariant& defaultValue)
{
    if (!m_registry->ValueExists(kHive, RegistryKeys::Settings, name))
        return defaultValue;
    if (kindOf(defaultValue) == Kind::Unsupported)
        unsupported(name, defaultValue);
    try {
        return read(name, defaultValue);
    } catch (const ETalvekException&) {
        // The value exists, so the only failure is its type.
        reportWrongType(name);
        return defaultValue;
    }
}

QVariant TSettings::read(const QString& name, const QVariant& defaultValue)
{
    const QString& key = RegistryKeys::Settings;
    switch (kindOf(defaultValue)) {
    case Kind::Integer:
        return m_registry->ReadInteger(kHive, key, name);
    case Kind::Float:
        return m_registry->ReadFloat(kHive, key, name);
    case Kind::Text:
        return m_registry->ReadString(kHive, key, name);
    case Kind::Boolean:
        return m_registry->ReadBool(kHive, key, name);
    case Kind::Unsupported:
        break;
    }
    unsupported(name, defaultValue);
}

void TSettings::reportWrongType(const QString& name)
{
    const QString folded = name.toCaseFolded();
    if (m_reported.contains(folded))
        return;
    m_reported.insert(folded);
    m_registry->ReportProblem(
        kHive, QStringLiteral("Nastavení „%1“ v souboru %2 má jiný typ, než program čeká. Použije "
                              "se výchozí hodnota a při příštím uložení se nastavení zapíše "
                              "znovu.")
                   .arg(name, QDir::toNativeSeparators(m_registry->FilePath(kHive))));
}

void TSettings::SetValue(const QString& name, const QVariant& value)
{
    const QString& key = RegistryKeys::Settings;
    m_reported.remove(name.toCaseFolded());
    switch (kindOf(value)) {
    case Kind::Integer:
        return m_registry->WriteInteger(kHive, key, name, value.toInt());
    case Kind::Float:
        return m_registry->WriteFloat(kHive, key, name, value.toDouble());
    case Kind::Text:
        return m_registry->WriteString(kHive, key, name, value.toString());
    case Kind::Boolean:
        return m_registry->WriteBool(kHive, key, name, value.toBool());
    case Kind::Unsupported:
        break;
    }
    unsupported(name, value);
}
