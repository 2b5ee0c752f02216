#pragma once

#include "app/core/MainOrvEntries.h"
#include "select/TParOborgDlg.h"

// The entries of the program as built: every part that exists is wired here
// (and only here), on the top floor, where every dialog folder may be seen.
TMainOrvEntries ProgramEntries();

// The browser-floor windows the sheet dialog opens. `toMap` (output type
// "Mapa"): the listing of a sheet ends the dialog with its map result
// instead of opening the browser, when the sheet's area has a map; without
// one the browser opens after a word where to get a map.
TParOborgDlg::Entries SheetDialogEntries(bool toMap = false);
