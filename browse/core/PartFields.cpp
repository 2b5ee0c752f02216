#include "browse/core/PartFields.h"

#include "browse/core/ParDilyRules.h"
#include "data/CadastralTables.h"
#include "data/ValueFormats.h"
#include "db/Table.h"

namespace PartFields {

QList<TBrowseGridModel::Column> GridColumns()
{
    const Qt::Alignment c = Qt::AlignHCenter;
    const Qt::Alignment l = Qt::AlignLeft;
    const Qt::Alignment r = Qt::AlignRight;
    return {{"PARSKUP", "Skup.", 1, c},    {"PARCISLO", " Parcelní číslo ", 12, c},
            {"PARDIL", " Díl ", 1, c},     {"DRUHPOZ", "Druh", 2, r},
            {"PopCis", "Č.popisné", 8, l}, {"VYMERA", "   Výměra", 9, r},
            {"Kvalita", "Q", 1, r},        {"LVCIS", " List vlast.", 5, r},
            {"VLVZTAH", "Vztah", 1, c},    {"MAPA", " Mapa ", 5, c},
            {"Vykaz", " Výkaz ", 7, c},    {"BONITA", " Bonita", 5, r}};
}

QList<FieldDef> CalculatedFields()
{
    return {{"ELCIS", FieldType::Integer},    {"MAPA", FieldType::String, 5},
            {"PPOLVZ", FieldType::Integer},   {"BONITA", FieldType::Integer},
            {"VLVZTAH", FieldType::SmallInt}, {"NEMOCHR", FieldType::SmallInt},
            {"Kvalita", FieldType::SmallInt}, {"PopCis", FieldType::String, 8},
            {"KodVyuz", FieldType::Integer},  {"Vykaz", FieldType::String, 7}};
}

bool IsCalculated(const QString& field)
{
    return FieldTypes::indexOf(CalculatedFields(), field) >= 0;
}

void Calculate(Dataset& ds, Table& parcels)
{
    const QVariantList key{ds.value("PARSKUP"), ds.value("PARCIS"), ds.value("PARPOD"),
                           ds.value("PARDIL")};
    const bool found = parcels.isActive() && parcels.findKey(key);
    const qint64 ppolvz = found ? WholeNumber(parcels.asFloat("PPOLVZ")) : 0;
    auto whole = [&](const char* field) { return found ? WholeNumber(parcels.asFloat(field)) : 0; };
    ds.setCalculatedValue("ELCIS", whole("ELCIS"));
    ds.setCalculatedValue("MAPA", found ? parcels.asString("MAPA").left(5) : QStringLiteral("-"));
    ds.setCalculatedValue("PPOLVZ", ppolvz);
    ds.setCalculatedValue("BONITA", whole("BONITA"));
    ds.setCalculatedValue("VLVZTAH", whole("VLVZTAH"));
    ds.setCalculatedValue("NEMOCHR", whole("NEMOCHR"));
    ds.setCalculatedValue("Kvalita", whole("KVALITA"));
    const int nemvyuz = int(ds.asInteger("NEMVYUZ"));
    ds.setCalculatedValue("PopCis", found ? HouseNumberGridText(ds.asInteger("CPCE"), nemvyuz,
                                                                int(ds.asInteger("PARSKUP")))
                                          : QString());
    ds.setCalculatedValue("KodVyuz", LandUseKey(int(ds.asInteger("DRUHPOZ")), nemvyuz));
    ds.setCalculatedValue("Vykaz", ParDilyRules::VykazText(ppolvz));
}

void Install(Table& work, Table& parcels)
{
    for (const FieldDef& f : CalculatedFields())
        work.addCalculatedField(f);
    work.setCalcHandler([&parcels](Dataset& ds) { Calculate(ds, parcels); });
}

} // namespace PartFields
