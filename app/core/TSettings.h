#pragma once

#include "app/core/ISettings.h"
#include "app/core/TRegistry.h"

#include <memory>

// Settings in the registry key "Software\VELDO\ORV\Settings" of the user hive.
class TSettings : public ISettings
{
public:
    explicit TSettings(std::shared_ptr<TRegistry> registry);

    QVariant GetValue(const QString& name, const QVariant& defaultValue) override;
    void SetValue(const QString& name, const QVariant& value) override;

private:
    std::shared_ptr<TRegistry> m_registry;
};
