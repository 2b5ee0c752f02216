#pragma once

#include "app/core/TKUInfo.h"

// The area's three-digit suffix as the catalogue keys it: "2" and "02" are
// "002". Other texts come back as they are (and are then not found).
QString ToolAreaSuffix(const QString& typed);

// The cadastral area of `suffix` in the district `database` (alias or
// directory) as the catalogue dialog describes it: area name and code,
// municipality and district. Throws when the catalogue lacks the area.
TKUInfo ToolAreaInfo(const QString& database, const QString& suffix);

// Reads the option at args[i] when it is "--alias NAME", "--dir DIR" (a bare
// directory name gets "./" so that it is not taken for an alias), "--area
// SUFFIX" (made three digits by ToolAreaSuffix) or "--work FILE", and moves i
// onto its value; false otherwise.
bool ToolAreaOption(const QStringList& args, int& i, QString& database, QString& suffix,
                    QString& work);
