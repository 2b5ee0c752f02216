#pragma once

#include "map/core/MapArea.h"

#include <QString>

// Reads an area's map from its GeoPackage in the layout of MapSchema, checking
// that the file holds that area's map as ORV writes it.
class MapStoreReader
{
public:
    // The map in `path` of the area `code` (six digits); its extent is left
    // empty. A damaged or foreign file throws ETalvekException naming the file.
    static MapArea read(const QString& path, const QString& code);
};
