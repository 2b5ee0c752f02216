#pragma once

#include <QString>

#include <memory>

class Table;

// Opens the area's parcel table "NYSPA" + suffix + ".DB" under the data alias,
// read-only, ordered by "PARSKUP;PARCIS;PARPOD;PARDIL". The caller owns the
// table; when opening fails nothing is left open and the error passes on.
std::unique_ptr<Table> OpenParcelTable(const QString& alias, const QString& suffix);
