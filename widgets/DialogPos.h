#pragma once

#include "app/core/IApp.h"

class QWidget;

// Placement of dialogs, stored under the dialog's form name (its objectName).

// A dialog with a size grip can be resized by the user: its width and height
// are kept with the position (as a window placement under the same name).

// Moves `form` to its stored position, and gives a resizable dialog its
// stored size within its minimum and maximum; without a stored position,
// leaves it where it is (usually centred by the window system).
void RestoreDialogPos(IApp& app, QWidget* form);
// Stores the form's left and top edges, for a resizable dialog also its
// width and height.
void SaveDialogPos(IApp& app, QWidget* form);
// Centres `form` over `anchor` (in screen coordinates), or without an anchor
// centres it on the screen and then restores its stored position; finally
// pulls it back onto the screen. The size is not changed.
void CenterDialog(IApp& app, QWidget* anchor, QWidget* form);
