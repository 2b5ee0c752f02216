#pragma once

#include <QString>
#include <QStringList>

// The one list of the tables that come from the cadastral office: the
// registry tables of a district (per area and district-wide) and the shared
// code tables. ORV only reads them. The engine's write guard, the guard of
// every output file and the cadastral table set all take the names from
// here, so that a table added to the set is protected everywhere at once.
namespace RegistryTableNames {

// Per-area table prefixes; the table file is prefix + area suffix + ".DB".
inline constexpr char ParcelPrefix[] = "NYSPA";     // parcel parts
inline constexpr char RelationPrefix[] = "NYSUV";   // ownership relations
inline constexpr char RecordPrefix[] = "NYSVL";     // supplementary records of sheets
inline constexpr char RecordTextPrefix[] = "NYSTX"; // text lines of the records
inline constexpr char SoilPrefix[] = "NYSBO";       // soil-quality records
// ORV's own per-area table of user texts beside the registry tables: the
// engine writes it, an output file never replaces it.
inline constexpr char UserTextPrefix[] = "ORVTX";

// District-wide tables.
inline constexpr char OwnerTable[] = "NYSOBORG.DB";
inline constexpr char CatalogueTable[] = "NYSKATAL.DB";

// Code tables in the code-table directory.
inline constexpr char ParcelGroupTable[] = "PARSKUP.DB";
inline constexpr char AreaQualityTable[] = "KVALVYM1.DB";
inline constexpr char LandKindTable[] = "DRUHPOZ.DB";
inline constexpr char LandUseTable[] = "NIXVYUZ.DB";
inline constexpr char ProtectionTable[] = "OCHRNEM1.DB";
inline constexpr char Protection2Table[] = "OCHRNEM2.DB";
inline constexpr char Protection3Table[] = "OCHRNEM3.DB";
inline constexpr char LegalRelationTable[] = "VLAVZT.DB";
inline constexpr char OwnerCharacteristicTable[] = "CHARUV.DB";
inline constexpr char SectorTable[] = "SEKTOR.DB";
inline constexpr char RecordKindTable[] = "NIXDTEXT.DB";
inline constexpr char DeedKindTable[] = "NIXLIST.DB";

// The code tables' file names ("PARSKUP.DB", ...), in the order above.
QStringList CodeTables();
// The registry's per-area prefixes ("NYSPA", ... "NYSBO").
QStringList PerAreaPrefixes();

// Whether `fileName` (any case, with or without a directory, with ".DB" or
// without an extension) names a registry or code table: a district-wide or
// code table by its name, a per-area table by its prefix and three digits.
bool IsRegistryTable(const QString& fileName);
// The same for ORV's own user-text tables (ORVTX + three digits).
bool IsUserTextTable(const QString& fileName);

} // namespace RegistryTableNames
