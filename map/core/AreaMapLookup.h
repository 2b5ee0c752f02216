#pragma once

#include "map/core/MapArea.h"

#include <QString>

// The map of an open cadastral area from the map store, found by the area's
// national code (the catalogue's IDENTCIS). An area without a map in the
// store throws ETalvekException saying how to get one; `name` is the area's
// name for that message. A map file that cannot be read throws a message
// naming the file and saying that the area works without its map; the file
// is then remembered for the rest of the session (until it is written
// again), so that AreaHasMap hides the map's buttons instead of repeating
// the message at every window.
MapArea ReadAreaMap(const QString& code, const QString& name);

// Whether the area has a map to show: a file in the store not found damaged
// earlier in this session.
bool AreaHasMap(const QString& code);
