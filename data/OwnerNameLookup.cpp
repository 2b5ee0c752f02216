#include "data/OwnerNameLookup.h"

#include "data/CadastralTables.h"
#include "data/ParcelTable.h"
#include "db/Table.h"

OwnerNameLookup::OwnerNameLookup(const QString& database) : m_database(database) {}

OwnerNameLookup::~OwnerNameLookup() = default;

QString OwnerNameLookup::Name(double ident, int uvchar)
{
    const QPair<double, int> key(ident, uvchar);
    const auto known = m_names.constFind(key);
    if (known != m_names.constEnd())
        return *known;
    if (!m_owners) {
        auto owners = std::make_unique<Table>();
        OpenAreaTable(*owners, m_database, CadastralTables::OwnerTable, "IDENT;UVCHAR");
        m_owners = std::move(owners);
    }
    const QString name = Find(*m_owners, ident, uvchar);
    m_names.insert(key, name);
    return name;
}

QString OwnerNameLookup::Find(Table& owners, double ident, int uvchar)
{
    if (!owners.isActive())
        return NotFound();
    // A lookup on IDENT alone lands on its first row in the IDENT;UVCHAR order.
    if (owners.findKey({ident, uvchar}) || owners.findKey({ident}))
        return owners.asString(QStringLiteral("NAZEV"));
    return NotFound();
}

QString OwnerNameLookup::NotFound()
{
    return QStringLiteral("nenalezen");
}
