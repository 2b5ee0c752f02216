#include "data/ParcelTable.h"

#include "data/CadastralTables.h"
#include "db/Table.h"

std::unique_ptr<Table> OpenParcelTable(const QString& alias, const QString& suffix)
{
    auto table = std::make_unique<Table>();
    table->setDatabaseName(alias);
    table->setTableName(CadastralTables::PerAreaTable(CadastralTables::ParcelPrefix, suffix));
    table->setReadOnly(true);
    table->setIndexFieldNames(QString::fromLatin1(CadastralTables::ParcelIndexFields));
    table->open();
    return table;
}
