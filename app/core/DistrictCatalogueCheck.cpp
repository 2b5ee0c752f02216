#include "app/core/DistrictCatalogueCheck.h"
#include "app/core/DistrictCatalogue.h"

#include "base/ETalvekException.h"
#include "base/StagedDirectory.h"
#include "data/ParcelTable.h"
#include "db/Table.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QFileInfo>

QString DistrictCatalogueCheck::check(const QString& directory)
{
    const QString dir = QDir::cleanPath(QString(directory).trimmed().replace(u'\\', u'/'));
    if (directory.trimmed().isEmpty() || !QFileInfo(dir).isDir())
        throw ETalvekException(QStringLiteral("Adresář '%1' neexistuje").arg(directory));
    // An import's directory before it is renamed into place: removed when
    // its import ends, or by the next import once its process is gone.
    if (StagedDirectory::isStagedName(dir))
        throw ETalvekException(
            QStringLiteral("Adresář '%1' je rozpracovaný import okresu, ne adresář okresu")
                .arg(QDir::toNativeSeparators(dir)));
    if (ParadoxFiles::resolveCaseInsensitive(dir, DistrictCatalogue::tableName()).isEmpty())
        throw ETalvekException(
            QStringLiteral("V adresáři '%1' není katalog okresu %2")
                .arg(QDir::toNativeSeparators(dir), DistrictCatalogue::tableName()));
    Table catalogue;
    OpenAreaTable(catalogue, dir + u'/', DistrictCatalogue::tableName());
    for (const char* field : {"KATUZ", "IDENTCIS", "PORCIS", "NAZEV"}) {
        if (!catalogue.hasField(QLatin1String(field)))
            throw ETalvekException(QStringLiteral("Katalog okresu '%1' nemá položku %2")
                                       .arg(catalogue.filePath(), QLatin1String(field)));
    }
    catalogue.setFilter(DistrictCatalogue::districtRow());
    catalogue.setFiltered(true);
    return catalogue.isEmpty() ? QString() : catalogue.asString(QStringLiteral("NAZEV"));
}
