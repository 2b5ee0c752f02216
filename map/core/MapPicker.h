#pragma once

#include <QList>

class Table;
struct MapParcel;

// Writes parcels picked on the map into the work table. Adding goes through
// the same work-table function as selection by parcel number, so a picked
// parcel gives the very rows (all its parts, marked) that typing its number
// gives; a parcel already there adds nothing. Taking out deletes every part
// of the picked parcels from the work table and leaves the other rows and
// their marks alone. Each call is one change of the work table file.
class MapPicker
{
public:
    // Returns the number of work rows added.
    static int Add(const QList<const MapParcel*>& picked, Table& work, Table& parcels);
    // Returns the number of work rows taken out.
    static int Remove(const QList<const MapParcel*>& picked, Table& work, Table& parcels);
};
