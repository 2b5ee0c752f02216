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
    bool dbf = false;
};
