#include "db/LoadedTable.h"

#include "db/CzechCollation.h"
#include "db/SqliteDatabase.h"

QStringList LoadedTable::keyFields() const
{
    QStringList result;
    for (int i = 0; i < schema.keyFieldCount && i < schema.fields.size(); ++i)
        result.append(schema.fields[i].name);
    return result;
}

bool LoadedTable::hasTextField(const QStringList& names) const
{
    for (const QString& name : names) {
        const int index = FieldTypes::indexOf(schema.fields, name);
        if (index >= 0 && FieldTypes::isText(schema.fields[index].type))
            return true;
    }
    return false;
}

QString LoadedTable::orderColumn(const QString& name) const
{
    const QString quoted = SqliteDatabase::quoteIdentifier(name);
    if (!hasTextField({name}))
        return quoted;
    return quoted + QStringLiteral(" COLLATE ") + QLatin1String(CzechCollation::sqlName);
}
