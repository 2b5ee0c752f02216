#pragma once

#include "map/core/MapArea.h"

#include <QString>

// The map of an open cadastral area from the map store, found by the area's
// national code (the catalogue's IDENTCIS). An area without a map in the
// store throws ETalvekException saying how to get one; `name` is the area's
// name for that message.
MapArea ReadAreaMap(const QString& code, const QString& name);
