#include "map/core/AreaMapLookup.h"

#include "base/ETalvekException.h"
#include "map/core/MapStore.h"

#include <QDir>

MapArea ReadAreaMap(const QString& code, const QString& name)
{
    const MapStore store;
    if (!MapStore::isAreaCode(code) || !store.exists(code))
        throw ETalvekException(
            QStringLiteral("Mapa katastrálního území %1 (%2) v úložišti map %3 není; načtěte ji "
                           "příkazem orv-tool map import")
                .arg(name, code, QDir::toNativeSeparators(store.directory())));
    return store.read(code);
}
