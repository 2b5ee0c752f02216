#include "output/core/FormLookups.h"

#include "data/CadastralTables.h"
#include "db/Table.h"

QString OwnerNameFrom(Table& oborg, double ident, int uvchar)
{
    if (oborg.findKey({ident, uvchar}) || oborg.findKey({ident}))
        return oborg.asString(QStringLiteral("NAZEV"));
    return QStringLiteral("nenalezen");
}

QString LandUseTextFrom(Table& vyuz, int druhpoz, int nemvyuz)
{
    if (vyuz.findKey({LandUseKey(druhpoz, nemvyuz)}))
        return vyuz.asString(QStringLiteral("TEXT"));
    return QString();
}
