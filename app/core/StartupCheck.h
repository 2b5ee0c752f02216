#pragma once

#include "app/core/IApp.h"
#include "app/core/TRegistry.h"

#include <QString>

// Start-up of the work directory (run once by the main window):
// 1. reads "Name" and "Company" of the installation key into TInstallInfo;
// 2. on the first run after installation ("FirstRun" in the installation
//    key) removes that mark and creates the work alias "Pracovní" unless one
//    exists (an existing one is never overwritten);
// 3. returns the warning to show when the work directory is missing or not
//    writable, or an empty text when all is well.
QString StartupCheck(IApp& app, TRegistry& registry, const QString& executableDir);

// Points the work alias at `directory` (stored unchanged) and refreshes the
// application's alias list. Nothing is created in the directory.
void SetWorkDir(IApp& app, TRegistry& registry, const QString& directory);

// The directory the first run binds the work alias to: "WorkDir" beside the
// program when it exists and is writable or can be created there, else
// "WorkDir" in the user's data directory (created).
QString DefaultWorkDir(const QString& executableDir);

// What stops the work table from being used in `workPath`, as a Czech
// message, or an empty text when the directory exists and is writable.
QString WorkDirProblem(const QString& workPath);
