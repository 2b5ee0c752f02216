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

void Calculate(Dataset& ds, const TListingData::Part& p)
{
    ds.setCalculatedValue("ELCIS", p.elcis);
    ds.setCalculatedValue("MAPA", p.found ? p.mapa.left(5) : QStringLiteral("-"));
    ds.setCalculatedValue("PPOLVZ", p.ppolvz);
    ds.setCalculatedValue("BONITA", p.bonita);
    ds.setCalculatedValue("VLVZTAH", p.vlvztah);
    ds.setCalculatedValue("NEMOCHR", p.nemochr);
    ds.setCalculatedValue("Kvalita", p.kvalita);
    const int nemvyuz = int(ds.asInteger("NEMVYUZ"));
    ds.setCalculatedValue("PopCis", p.found ? HouseNumberGridText(ds.asInteger("CPCE"), nemvyuz,
                                                                  int(ds.asInteger("PARSKUP")))
                                            : QString());
    ds.setCalculatedValue("KodVyuz", LandUseKey(int(ds.asInteger("DRUHPOZ")), nemvyuz));
    ds.setCalculatedValue("Vykaz", ParDilyRules::VykazText(p.ppolvz));
}

void Calculate(Dataset& ds, Table& parcels)
{
    const QVariantList key{ds.value("PARSKUP"), ds.value("PARCIS"), ds.value("PARPOD"),
                           ds.value("PARDIL")};
    TListingData::Part p;
    if (parcels.isActive() && parcels.findKey(key)) {
        auto whole = [&](const char* field) { return WholeNumber(parcels.asFloat(field)); };
        p.found = true;
        p.elcis = whole("ELCIS");
        p.mapa = parcels.asString("MAPA");
        p.ppolvz = whole("PPOLVZ");
        p.bonita = whole("BONITA");
        p.vlvztah = int(whole("VLVZTAH"));
        p.nemochr = int(whole("NEMOCHR"));
        p.kvalita = int(whole("KVALITA"));
    }
    Calculate(ds, p);
}

void Install(Table& work, Table& parcels)
{
    for (const FieldDef& f : CalculatedFields())
        work.addCalculatedField(f);
    work.setCalcHandler([&parcels](Dataset& ds) { Calculate(ds, parcels); });
}

} // namespace PartFields
