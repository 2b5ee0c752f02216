#pragma once

#include <QString>

// Key names of the program's registry layout (relative to their hive).
namespace RegistryKeys {
inline const QString Base = QStringLiteral("Software\\VELDO\\ORV\\");
inline const QString Settings = Base + QStringLiteral("Settings");
inline const QString WindowPos = Base + QStringLiteral("History\\WindowPos");
inline const QString Aliases = QStringLiteral("Software\\VELDO\\ORV\\Aliases");
// Installation values, in the machine hive.
inline const QString Install = Base + QStringLiteral("4.0");
} // namespace RegistryKeys
