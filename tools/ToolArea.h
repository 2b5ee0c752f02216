#pragma once

#include "app/core/TKUInfo.h"

// The cadastral area of `suffix` in the district `database` (alias or
// directory) as the catalogue dialog describes it: area name and code,
// municipality and district. Throws when the catalogue lacks the area.
TKUInfo ToolAreaInfo(const QString& database, const QString& suffix);
