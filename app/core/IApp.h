#pragma once

#include "app/core/IAliases.h"
#include "settings/ISettings.h"

#include <QString>
#include <memory>

// The application object: paths, settings, aliases and the saved positions of
// dialogs and windows. The main window creates one and hands it to every
// dialog and form.
class IApp
{
public:
    virtual ~IApp() = default;

    // Reads the position "x,y" stored under the dialog's name. Returns false
    // and leaves X and Y untouched when none is stored.
    virtual bool ReadDialogPos(const QString& DlgName, int& X, int& Y) = 0;
    virtual void WriteDialogPos(const QString& DlgName, int X, int Y) = 0;
    // On: the hourglass cursor; off: back to the default cursor.
    virtual void ShowWaitCursor(bool Value) = 0;
    // The work directory with a trailing separator; empty without a work alias.
    virtual QString WorkPath() const = 0;
    // The directory of the shared code tables, without a trailing separator.
    virtual QString WorkDbPath() const = 0;
    // Reads "x,y,width,height,state"; the state (0 normal, 1 minimized,
    // 2 maximized) is clamped to 0..2.
    virtual bool ReadWndPlacement(const QString& WndName, int& X, int& Y, int& Width, int& Height,
                                  qint16& State) = 0;
    virtual void WriteWndPlacement(const QString& WndName, int X, int Y, int Width, int Height,
                                   qint16 State) = 0;
    virtual std::shared_ptr<IAliases> Aliases() const = 0;
    virtual std::shared_ptr<ISettings> Settings() const = 0;
    virtual QString LogUsername() const = 0;
};
