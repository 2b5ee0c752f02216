#include "db/LoadedTable.h"

QStringList LoadedTable::keyFields() const
{
    QStringList result;
    for (int i = 0; i < schema.keyFieldCount && i < schema.fields.size(); ++i)
        result.append(schema.fields[i].name);
    return result;
}
