#pragma once

#include "app/core/IApp.h"

class QWidget;

// Placement of dialogs, stored under the dialog's form name (its objectName).

// Moves `form` to its stored position; without one, leaves it where it is
// (usually centred by the window system).
void RestoreDialogPos(IApp& app, QWidget* form);
// Stores the form's left and top edges.
void SaveDialogPos(IApp& app, QWidget* form);
// Centres `form` over `anchor` (in screen coordinates), or without an anchor
// centres it on the screen and then restores its stored position; finally
// pulls it back onto the screen. The size is not changed.
void CenterDialog(IApp& app, QWidget* anchor, QWidget* form);
