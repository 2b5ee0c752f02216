#pragma once

#include "map/core/MapArea.h"

#include <QString>

#include <functional>

// What the map benchmarks share: a generated area of 5,000 parcels
// (irregular polygons of 16 vertices on a 100 × 50 grid of 30 × 24 m cells,
// every kind of land, buildings, one boundary line per parcel side, a label
// per parcel), and the timing of repeated runs.
MapArea BenchGeneratedMapArea(const QString& code);
// Runs `run` five times and prints the smallest and the middle time in ms.
void BenchMeasure(const char* what, const std::function<void()>& run);
