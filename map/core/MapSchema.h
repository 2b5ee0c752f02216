#pragma once

// The layout of an area's GeoPackage in the map store, shared by the writer
// (VFK import, `orv-tool map import`) and every reader (painter, exports).
// One file per area named by its national code ("789160.gpkg"); every layer
// in EPSG:5514 with its spatial index.
namespace MapSchema {
inline constexpr int Epsg = 5514;
inline constexpr const char* FileSuffix = ".gpkg";

// Layer "parcely": one (multi)polygon per parcel.
inline constexpr const char* ParcelLayer = "parcely";
inline constexpr const char* ParcelGroup = "PARSKUP";      // integer
inline constexpr const char* ParcelStem = "PARCIS";        // integer
inline constexpr const char* ParcelSubdivision = "PARPOD"; // integer
inline constexpr const char* ParcelArea = "VYMERA";        // real, m²
inline constexpr const char* ParcelKindOfLand = "DRUHPOZ"; // integer

// Layer "hranice": boundary lines.
inline constexpr const char* BoundaryLayer = "hranice";
inline constexpr const char* BoundaryKind = "TYPPPD_KOD"; // integer

// Layer "popisy": parcel-number labels and map texts (points).
inline constexpr const char* LabelLayer = "popisy";
inline constexpr const char* LabelText = "TEXT";     // string
inline constexpr const char* LabelSize = "VELIKOST"; // real, metres
inline constexpr const char* LabelAngle = "UHEL";    // real, degrees
inline constexpr const char* LabelKind = "DRUH";     // integer, below

// Layer "bpej": soil-quality boundaries (lines) and labels (points) in one
// layer of mixed geometry; a label carries TEXT, a line its DRUH.
inline constexpr const char* SoilLayer = "bpej";

// The metadata table (no geometry): one row per key.
inline constexpr const char* MetadataTable = "metadata";
inline constexpr const char* MetadataKey = "KLIC";
inline constexpr const char* MetadataValue = "HODNOTA";
// Keys: "soubory" (source files joined by "\n"), "platnost" (&HPLATNOST),
// "importovano" (ISO 8601 UTC), "kod" (area code), "nazev" (area name),
// "parcel", "parcel_s_geometrii", "hranic", "popisu" (counts).

// The source group of a label (DRUH of popisy and bpej labels).
enum LabelKind : int
{
    ParcelNumberLabel = 1, // OP
    MapTextLabel = 2,      // DPM
    BuildingTextLabel = 3, // OBBP
    SoilLabel = 4          // OBPEJ
};
} // namespace MapSchema
