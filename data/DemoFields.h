#pragma once

#include "db/paradox/ParadoxTable.h"

// Field definitions of the registry tables that the demo generator writes,
// with the types and sizes of the real exchange tables.
namespace DemoFields {

inline ParadoxField field(const char* name, ParadoxFieldType type, int size)
{
    return {QString::fromLatin1(name), type, size};
}
inline ParadoxField shortField(const char* name)
{
    return field(name, ParadoxFieldType::Short, 2);
}
inline ParadoxField longField(const char* name)
{
    return field(name, ParadoxFieldType::Long, 4);
}
inline ParadoxField numberField(const char* name)
{
    return field(name, ParadoxFieldType::Number, 8);
}
inline ParadoxField alphaField(const char* name, int size)
{
    return field(name, ParadoxFieldType::Alpha, size);
}

// The parcel table NYSPA: the eighteen fixed fields, then PARCISLO.
inline const QList<ParadoxField>& parcelFields()
{
    static const QList<ParadoxField> fields{
        shortField("PARSKUP"),     longField("PARCIS"),   shortField("PARPOD"),
        shortField("PARDIL"),      numberField("VYMERA"), shortField("KVALITA"),
        shortField("DRUHPOZ"),     shortField("NEMOCHR"), shortField("NEMVYUZ"),
        longField("BONITA"),       numberField("CPCE"),   longField("ELCIS"),
        longField("LVCIS"),        shortField("VLVZTAH"), alphaField("MAPA", 5),
        shortField("UMIST"),       shortField("TYPVL"),   longField("PPOLVZ"),
        alphaField("PARCISLO", 12)};
    return fields;
}

// The ownership relations NYSUV, keyed by sheet and order.
inline const QList<ParadoxField>& relationFields()
{
    static const QList<ParadoxField> fields{numberField("ELLVCIS"), shortField("VLPOR"),
                                            numberField("IDENT"),   shortField("UVCHAR"),
                                            numberField("PODIL"),   shortField("SEKTOR")};
    return fields;
}

// The owner table NYSOBORG, keyed by IDENT and UVCHAR.
inline const QList<ParadoxField>& ownerFields()
{
    static const QList<ParadoxField> fields{numberField("IDENT"), shortField("UVCHAR"),
                                            alphaField("NAZEV", 60)};
    return fields;
}

// The catalogue NYSKATAL of districts, municipalities and areas, keyed by KATUZ.
inline const QList<ParadoxField>& catalogueFields()
{
    static const QList<ParadoxField> fields{alphaField("KATUZ", 5), alphaField("IDENTCIS", 6),
                                            alphaField("PORCIS", 3), alphaField("NAZEV", 30)};
    return fields;
}

} // namespace DemoFields
