#pragma once

#include "app/core/MainOrvEntries.h"
#include "select/TParOborgDlg.h"

// The entries of the program as built: every part that exists is wired here
// (and only here), on the top floor, where every dialog folder may be seen.
TMainOrvEntries ProgramEntries();

// The browser-floor windows the sheet dialog opens.
TParOborgDlg::Entries SheetDialogEntries();
