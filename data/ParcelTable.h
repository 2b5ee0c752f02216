#pragma once

#include <QString>

#include <memory>

class Table;

// Read-only opening of the registry's tables, written once for every window,
// form and command that shows them. Each closes `table` first, binds it, marks
// it read-only, orders it by `order` (a field list; empty: file order) and
// opens it; a master link set before stays in force. When opening fails the
// table stays closed and the error passes on.

// A shared code table (`file`, e.g. "DRUHP.DB") of the code-table directory.
void OpenCodeTable(Table& table, const QString& codeDir, const QString& file,
                   const QString& order = QString());
// A table of the district under the data alias (or directory) `alias`: an
// area's table ("NYSUV001.DB") or a district-wide one ("NYSOBORG.DB").
void OpenAreaTable(Table& table, const QString& alias, const QString& file,
                   const QString& order = QString());

// The area's parcel table "NYSPA" + suffix + ".DB" under the data alias,
// read-only, ordered by "PARSKUP;PARCIS;PARPOD;PARDIL".
void OpenParcelTable(Table& table, const QString& alias, const QString& suffix);
// The same in a table the caller owns.
std::unique_ptr<Table> OpenParcelTable(const QString& alias, const QString& suffix);
