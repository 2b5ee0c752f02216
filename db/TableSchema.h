#pragma once

#include "db/FieldDef.h"
#include "db/paradox/ParadoxTable.h"

// The structure of a table file as the engine keeps it: its fields, the
// number of leading key fields and, for Paradox files, the exact field
// definitions of the file (so that writing it back keeps them).
struct TableSchema
{
    QList<FieldDef> fields;
    int keyFieldCount = 0;
    QList<ParadoxField> paradoxFields; // empty for dBASE files
    // The .MB the file's memo cells refer to but that was missing when it was
    // read: those cells were read blank, so the table must not be written.
    QString missingMemoFile;
    bool dbf = false;
};
