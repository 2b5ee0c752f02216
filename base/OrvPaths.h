#pragma once

#include <QString>

// Where ORV keeps its files on Linux. Every directory can be redirected by an
// environment variable so that tests never touch the user's real files.
namespace OrvPaths {
// $ORV_CONFIG_DIR, else $XDG_CONFIG_HOME/ORV, else ~/.config/ORV.
// Holds aliases.conf (engine aliases) and the per-user registry file.
QString configDir();
// $ORV_MACHINE_CONFIG_DIR; else for an installed executable (in a bin/)
// <prefix>/etc/ORV, or /etc/xdg/ORV for the /usr prefix; else (a run from the
// build tree) etc/ beside the executable. Holds the machine registry file.
QString machineConfigDir();
// $XDG_DATA_HOME/ORV, else ~/.local/share/ORV: the demo district, a work
// directory when the one beside the executable is not writable.
QString userDataDir();
// $ORV_CACHE_DIR, else $XDG_CACHE_HOME/ORV, else ~/.cache/ORV: what ORV can
// build again from the data at any time (the owner index of the districts).
QString cacheDir();
// $ORV_MAP_DIR, else $XDG_DATA_HOME/ORV/mapy, else ~/.local/share/ORV/mapy:
// the map store, one GeoPackage per cadastral area. Never inside a district,
// whose registry directories are only read.
QString mapDir();
// Directory of the running executable, without a trailing separator; empty
// when there is no application object.
QString executableDir();

// Read-only data of the program (code tables, help pages). A run from the
// build tree finds them beside the executable; an installed program in
// <prefix>/bin finds them in <prefix>/share/ORV, wherever the prefix was
// moved, so nothing ever points back into the build tree.
QString installedDataDir(const QString& executableDir);
// `name` (a file or directory) beside the executable when it is there, else in
// the installed data directory when it is there, else the path beside the
// executable (so that an error message names where the data were expected).
QString programData(const QString& executableDir, const QString& name);
// The code tables: $ORV_WORKDB, else programData(executableDir, "WorkDB").
QString codeTableDir(const QString& executableDir);
} // namespace OrvPaths
