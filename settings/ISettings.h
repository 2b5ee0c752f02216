#pragma once

#include <QString>
#include <QVariant>

// Named settings stored in the registry key "Software\VELDO\ORV\Settings".
// The type of the default (or of the value written) decides the stored form:
// integers and Booleans as 32-bit numbers, floats as 8-byte doubles, texts as
// strings. Other types throw ETalvekException.
class ISettings
{
public:
    virtual ~ISettings() = default;
    // The stored value read as the type of `defaultValue`, or `defaultValue`
    // itself when no value of that name is stored.
    virtual QVariant GetValue(const QString& name, const QVariant& defaultValue) = 0;
    virtual void SetValue(const QString& name, const QVariant& value) = 0;
};
