#pragma once

#include "app/core/IApp.h"
#include "settings/TRegistry.h"

#include <QString>

// Start-up of the work directory (run once by the main window):
// 1. reads "Name" and "Company" of the installation key into TInstallInfo;
// 2. removes the first-run mark ("FirstRun" in the installation key);
// 3. creates the work alias "Pracovní" bound to DefaultWorkDir() unless one
//    exists (an existing one is never overwritten), also without any
//    installation values, so that a first start always has a work directory;
// 4. creates the work directory when it is missing and lies where the
//    program puts it by default ("WorkDir" beside the program or in the
//    user's data directory); a directory the user chose is never created;
// 5. returns the warning to show when the work directory cannot be created,
//    is missing or is not writable (naming it), or an empty text.
QString StartupCheck(IApp& app, TRegistry& registry, const QString& executableDir);

// Points the work alias at `directory` (stored unchanged) and refreshes the
// application's alias list. Nothing is created in the directory.
void SetWorkDir(IApp& app, TRegistry& registry, const QString& directory);

// The directory the first run binds the work alias to: "WorkDir" beside the
// program when it exists and is writable or can be created there and the
// program is not an installed one, else "WorkDir" in the user's data
// directory. Nothing is created here.
QString DefaultWorkDir(const QString& executableDir);

// What stops the work table from being used in `workPath`, as a Czech
// message, or an empty text when the directory exists and is writable.
QString WorkDirProblem(const QString& workPath);
