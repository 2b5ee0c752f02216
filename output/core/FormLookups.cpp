#include "output/core/FormLookups.h"

#include "data/CadastralTables.h"
#include "data/OwnerNameLookup.h"
#include "db/Table.h"

QString OwnerNameFrom(Table& oborg, double ident, int uvchar)
{
    return OwnerNameLookup::Find(oborg, ident, uvchar);
}

QString LandUseTextFrom(Table& vyuz, int druhpoz, int nemvyuz)
{
    if (vyuz.findKey({LandUseKey(druhpoz, nemvyuz)}))
        return vyuz.asString(QStringLiteral("TEXT"));
    return QString();
}
