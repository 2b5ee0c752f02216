#pragma once

#include "db/RegistryTableNames.h"

#include <QString>
#include <QStringList>

// Names, fields and codes of the registry table set of one district and of
// the shared code tables. The registry tables are read only; ORV writes only
// its work tables and the per-area user-text table.
namespace CadastralTables {

// The table names come from the engine's one list of registry and code
// tables (db/RegistryTableNames.h), which also guards them against writes.
using RegistryTableNames::ParcelPrefix;     // parcel parts
using RegistryTableNames::RecordPrefix;     // supplementary records of sheets
using RegistryTableNames::RecordTextPrefix; // text lines of the records
using RegistryTableNames::RelationPrefix;   // ownership relations
using RegistryTableNames::SoilPrefix;       // soil-quality records
using RegistryTableNames::UserTextPrefix;   // user texts (written by ORV)

// District-wide tables.
using RegistryTableNames::CatalogueTable;
using RegistryTableNames::OwnerTable;

// Code tables in the code-table directory.
using RegistryTableNames::AreaQualityTable;
using RegistryTableNames::CodeTables;
using RegistryTableNames::DeedKindTable;
using RegistryTableNames::LandKindTable;
using RegistryTableNames::LandUseTable;
using RegistryTableNames::LegalRelationTable;
using RegistryTableNames::OwnerCharacteristicTable;
using RegistryTableNames::ParcelGroupTable;
using RegistryTableNames::Protection2Table;
using RegistryTableNames::Protection3Table;
using RegistryTableNames::ProtectionTable;
using RegistryTableNames::RecordKindTable;
using RegistryTableNames::SectorTable;

// The area's table suffix from its ordinal in the district: "%.3d" ("001").
QString AreaSuffix(int porcis);
// The suffix of an area being opened goes into table file names and SQL
// texts: anything but three digits (a damaged or foreign catalogue row)
// raises ETalvekException naming the suffix and the area.
void CheckAreaSuffix(const QString& suffix, const QString& areaName);
// prefix + suffix + ".DB", e.g. PerAreaTable(ParcelPrefix, "001") = "NYSPA001.DB".
QString PerAreaTable(const char* prefix, const QString& suffix);

// The index of the parcel table: a parcel is its first three fields, a part
// adds PARDIL.
inline constexpr char ParcelIndexFields[] = "PARSKUP;PARCIS;PARPOD;PARDIL";
// Number of parcel-table fields whose position the program relies on.
inline constexpr int FixedParcelFieldCount = 18;
// Name of the parcel-table field at a fixed position (0..17); positions 15 and
// 16 may carry any name and give "".
QString ParcelFieldName(int position);
// Caption the conditions dialog shows for a parcel-table field: by position
// for the first 18, "parcelní číslo" for PARCISLO, "" otherwise.
QString ParcelFieldCaption(int position, const QString& fieldName = QString());

// Column captions of the owner table in grids.
inline constexpr char OwnerIdentCaption[] = "Rodné č. (IČO) ";
inline constexpr char OwnerNameCaption[] = "Jméno občana (organizace)";

// Texts of the parcel groups 1..9 as the parcel-number menu names them; "" otherwise.
QString ParcelGroupName(int parskup);
// Groups 1 and 2 are the current cadastre; 3 to 9 the older registers.
inline bool IsCurrentCadastre(int parskup)
{
    return parskup <= 2;
}

} // namespace CadastralTables

// Kind of land whose parts carry buildings.
inline constexpr int BuildingLandKind = 13;
// Legal relation of parcels belonging to a sheet through a record of kind 93.
inline constexpr int RelationLandAndBuildingApart = 5;
// Supplementary-record kinds the program interprets.
inline constexpr int RecordLandSheetOfBuilding = 82;    // DOPLUDAJ: sheet of the land
inline constexpr int RecordBuildingStandsOn = 90;       // DOPLUDAJ: packed parcel
inline constexpr int RecordBuildingFromOtherSheet = 93; // DOPLUDAJ: packed parcel
inline constexpr int RecordKindNoEntry = 999;           // "BEZ ZÁPISU" row of NIXDTEXT
// CPCE at and above this value packs part of municipality * 10000 + number.
inline constexpr qint64 HouseNumberSplit = 10001;

// Kind of house number, from the last digit of NEMVYUZ.
enum class HouseNumberKind
{
    Descriptive,
    Garage,
    Registration
};
HouseNumberKind HouseNumberKindOf(int nemvyuz);

// Key of the NIXVYUZ row that describes a part: DRUHPOZ * 1000 + NEMVYUZ.
inline int LandUseKey(int druhpoz, int nemvyuz)
{
    return druhpoz * 1000 + nemvyuz;
}

// CPCE of an older-register part (group 3 and higher) names the current
// parcel it became: PARPOD * 10000 + PARCIS.
struct OlderRegisterTarget
{
    int parcis = 0;
    int parpod = 0;
};
OlderRegisterTarget OlderRegisterTargetOf(qint64 cpce);
qint64 OlderRegisterCpce(int parcis, int parpod);
