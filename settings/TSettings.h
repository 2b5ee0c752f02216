#pragma once

#include "settings/ISettings.h"
#include "settings/TRegistry.h"

#include <QSet>
#include <memory>

// Settings in the registry key "Software\VELDO\ORV\Settings" of the user hive.
// A stored value of another type than the one asked for (a hand edit, an
// older program) reads as missing, so the caller's default applies and the
// caller's next SetValue writes the right type; it is reported once per name
// through the registry's problems, never thrown, so that no setting can keep
// a dialog from opening.
class TSettings : public ISettings
{
public:
    explicit TSettings(std::shared_ptr<TRegistry> registry);

    QVariant GetValue(const QString& name, const QVariant& defaultValue) override;
    void SetValue(const QString& name, const QVariant& value) override;

private:
    QVariant read(const QString& name, const QVariant& defaultValue);
    void reportWrongType(const QString& name);

    std::shared_ptr<TRegistry> m_registry;
    QSet<QString> m_reported; // case-folded names of values of the wrong type
};
