#pragma once

#include "map/core/MapArea.h"

#include <QString>
#include <functional>

// The map store: one GeoPackage per cadastral area, named by the area's
// national code ("789160.gpkg"), in the map directory (OrvPaths::mapDir()).
// Written here and read by MapStoreReader through GDAL's OGR API in the
// layout of MapSchema. A write replaces the area's file atomically (a new
// file renamed over the old one), so a reader never sees half a map and a
// failed write leaves the old map as it was. Errors throw ETalvekException with a Czech message
// naming the file.
class MapStore
{
public:
    explicit MapStore(QString directory);
    // The store in the map directory of this user (OrvPaths::mapDir()).
    MapStore();

    const QString& directory() const { return m_directory; }
    // The file of an area; the code must be six digits.
    QString pathOf(const QString& code) const;
    bool exists(const QString& code) const;

    // Called while a map is written, every few thousand features and between
    // layers; returning false stops the write ("Import byl zrušen."). It may
    // also throw: the file being written is removed either way.
    using Progress = std::function<bool()>;

    // Writes the area's map (area.code names the file), replacing any older one.
    void write(const MapArea& area, const Progress& progress = {}) const;
    // The same in two steps, for a caller that replaces several maps at once:
    // stage() writes the map beside the area's file under a temporary name
    // (returned) and leaves the area's file as it is; commitStaged() renames
    // it over the area's file, discardStaged() removes it.
    QString stage(const MapArea& area, const Progress& progress = {}) const;
    void commitStaged(const QString& code) const;
    void discardStaged(const QString& code) const;
    // The area's map. A missing, damaged or foreign file throws; the caller
    // reports it once and opens the area without a map.
    MapArea read(const QString& code) const;

    // The rectangle around every parcel, line and label of the map.
    static QRectF extentOf(const MapArea& area);
    // Six digits, the form of a cadastral area's national code.
    static bool isAreaCode(const QString& code);

private:
    QString stagedPathOf(const QString& code) const;

    QString m_directory;
};
