#pragma once

#include "app/core/IApp.h"
#include "settings/TRegistry.h"

#include <memory>

// The application object. Holds the settings and alias objects, created at
// construction, and reaches the registry for dialog and window positions.
class TApp : public IApp
{
public:
    // `executableDir` is the directory of the program (for WorkDbPath).
    TApp(std::shared_ptr<TRegistry> registry, QString executableDir);
    // The application object of a normal run: the default registry files and
    // the directory of the running executable.
    static std::shared_ptr<TApp> create();

    bool ReadDialogPos(const QString& DlgName, int& X, int& Y) override;
    void WriteDialogPos(const QString& DlgName, int X, int Y) override;
    void ShowWaitCursor(bool Value) override;
    QString WorkPath() const override;
    QString WorkDbPath() const override;
    bool ReadWndPlacement(const QString& WndName, int& X, int& Y, int& Width, int& Height,
                          qint16& State) override;
    void WriteWndPlacement(const QString& WndName, int X, int Y, int Width, int Height,
                           qint16 State) override;
    std::shared_ptr<IAliases> Aliases() const override { return m_aliases; }
    std::shared_ptr<ISettings> Settings() const override { return m_settings; }
    QString LogUsername() const override { return QString(); }

    const std::shared_ptr<TRegistry>& Registry() const { return m_registry; }
    const QString& ExecutableDir() const { return m_executableDir; }

private:
    bool readNumbers(const QString& name, int count, QList<int>& numbers);

    std::shared_ptr<TRegistry> m_registry;
    QString m_executableDir;
    std::shared_ptr<ISettings> m_settings;
    std::shared_ptr<IAliases> m_aliases;
};
