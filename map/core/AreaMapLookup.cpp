#include "map/core/AreaMapLookup.h"

#include "base/ETalvekException.h"
#include "map/core/MapStore.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSet>

namespace {

// A map file as it was when it failed to read: its path, time and size. A
// new import writes a new file, which is tried again.
QString FileStamp(const QString& path)
{
    const QFileInfo info(path);
    return QStringLiteral("%1|%2|%3")
        .arg(info.absoluteFilePath())
        .arg(info.lastModified().toMSecsSinceEpoch())
        .arg(info.size());
}

QMutex DamagedLock;
QSet<QString>& Damaged()
{
    static QSet<QString> files;
    return files;
}

bool KnownDamaged(const QString& path)
{
    const QMutexLocker lock(&DamagedLock);
    return Damaged().contains(FileStamp(path));
}

} // namespace

MapArea ReadAreaMap(const QString& code, const QString& name)
{
    const MapStore store;
    if (!MapStore::isAreaCode(code) || !store.exists(code))
        throw ETalvekException(
            QStringLiteral("Mapa katastrálního území %1 (%2) v úložišti map %3 není; načtěte ji "
                           "příkazem orv-tool map import")
                .arg(name, code, QDir::toNativeSeparators(store.directory())));
    const QString path = store.pathOf(code);
    try {
        return store.read(code);
    } catch (const ETalvekException& e) {
        {
            const QMutexLocker lock(&DamagedLock);
            Damaged().insert(FileStamp(path));
        }
        throw ETalvekException(
            QStringLiteral("Mapu katastrálního území %1 (%2) nelze přečíst ze souboru %3: %4\n"
                           "Území se používá bez mapy; mapu načtěte znovu (Katastr.území → "
                           "Importovat mapu VFK...).")
                .arg(name, code, QDir::toNativeSeparators(path), e.message()));
    }
}

bool AreaHasMap(const QString& code)
{
    const MapStore store;
    return MapStore::isAreaCode(code) && store.exists(code) && !KnownDamaged(store.pathOf(code));
}
