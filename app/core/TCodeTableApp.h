#pragma once

#include "app/core/IApp.h"

// An application object that knows only the code-table directory: no
// settings, aliases or stored positions. Forms laid out outside the running
// program (benchmarks, tests, batch output) take it in place of TApp.
class TCodeTableApp : public IApp
{
public:
    explicit TCodeTableApp(QString workDbPath);

    bool ReadDialogPos(const QString&, int&, int&) override { return false; }
    void WriteDialogPos(const QString&, int, int) override {}
    void ShowWaitCursor(bool) override {}
    QString WorkPath() const override { return {}; }
    QString WorkDbPath() const override { return m_workDb; }
    bool ReadWndPlacement(const QString&, int&, int&, int&, int&, qint16&) override
    {
        return false;
    }
    void WriteWndPlacement(const QString&, int, int, int, int, qint16) override {}
    std::shared_ptr<IAliases> Aliases() const override { return nullptr; }
    std::shared_ptr<ISettings> Settings() const override { return nullptr; }
    QString LogUsername() const override { return {}; }

private:
    QString m_workDb;
};
