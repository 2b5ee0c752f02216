#include "data/ParcelTable.h"

#include "data/CadastralTables.h"
#include "db/Table.h"

namespace {

void openReadOnly(Table& table, const QString& database, const QString& file, const QString& order)
{
    table.close();
    table.setDatabaseName(database);
    table.setTableName(file);
    table.setReadOnly(true);
    table.setIndexFieldNames(order);
    table.open();
}

} // namespace

void OpenCodeTable(Table& table, const QString& codeDir, const QString& file, const QString& order)
{
    openReadOnly(table, codeDir, file, order);
}

void OpenAreaTable(Table& table, const QString& alias, const QString& file, const QString& order)
{
    openReadOnly(table, alias, file, order);
}

void OpenParcelTable(Table& table, const QString& alias, const QString& suffix)
{
    OpenAreaTable(table, alias,
                  CadastralTables::PerAreaTable(CadastralTables::ParcelPrefix, suffix),
                  QString::fromLatin1(CadastralTables::ParcelIndexFields));
}

std::unique_ptr<Table> OpenParcelTable(const QString& alias, const QString& suffix)
{
    auto table = std::make_unique<Table>();
    OpenParcelTable(*table, alias, suffix);
    return table;
}
