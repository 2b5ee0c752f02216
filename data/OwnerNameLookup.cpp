#include "data/OwnerNameLookup.h"

#include "data/BirthNumberMask.h"
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
    const QString name = Find(Owners(), ident, uvchar);
    m_names.insert(key, name);
    return name;
}

bool OwnerNameLookup::IsPerson(double ident)
{
    const auto known = m_persons.constFind(ident);
    if (known != m_persons.constEnd())
        return *known;
    Table& owners = Owners();
    bool person = false;
    // The rows of one IDENT follow each other in the IDENT;UVCHAR order.
    if (owners.isActive() && owners.findKey({ident})) {
        for (; !owners.eof() && owners.asFloat(QStringLiteral("IDENT")) == ident; owners.next())
            person = person || BirthNumberMask::IsPersonCharacteristic(
                                   int(owners.asInteger(QStringLiteral("UVCHAR"))));
    }
    m_persons.insert(ident, person);
    return person;
}

Table& OwnerNameLookup::Owners()
{
    if (!m_owners) {
        auto owners = std::make_unique<Table>();
        OpenAreaTable(*owners, m_database, CadastralTables::OwnerTable, "IDENT;UVCHAR");
        m_owners = std::move(owners);
    }
    return *m_owners;
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
