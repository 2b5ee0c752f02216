#include "db/RegistryTableNames.h"

#include <array>

namespace RegistryTableNames {

namespace {

const std::array<const char*, 2> DistrictTables = {OwnerTable, CatalogueTable};
const std::array<const char*, 12> CodeTableFiles = {
    ParcelGroupTable,         AreaQualityTable, LandKindTable,    LandUseTable,
    ProtectionTable,          Protection2Table, Protection3Table, LegalRelationTable,
    OwnerCharacteristicTable, SectorTable,      RecordKindTable,  DeedKindTable};
const std::array<const char*, 5> AreaPrefixes = {ParcelPrefix, RelationPrefix, RecordPrefix,
                                                 RecordTextPrefix, SoilPrefix};

// The upper-case name without directory and without ".DB"; empty when the
// name has another extension.
QString BaseName(const QString& fileName)
{
    QString name = QString(fileName).replace(u'\\', u'/');
    name = name.mid(name.lastIndexOf(u'/') + 1).toUpper();
    if (name.endsWith(QLatin1String(".DB")))
        name.chop(3);
    else if (name.contains(u'.'))
        return {};
    return name;
}

QString WithoutExtension(const char* file)
{
    const QString name = QString::fromLatin1(file);
    return name.left(name.lastIndexOf(u'.'));
}

// Prefix and the area's three-digit suffix ("NYSPA001").
bool IsPerArea(const QString& base, const char* prefix)
{
    if (base.size() != 8 || !base.startsWith(QLatin1String(prefix)))
        return false;
    for (int i = 5; i < 8; ++i)
        if (base[i] < u'0' || base[i] > u'9')
            return false;
    return true;
}

} // namespace

QStringList CodeTables()
{
    QStringList names;
    for (const char* file : CodeTableFiles)
        names.append(QString::fromLatin1(file));
    return names;
}

QStringList PerAreaPrefixes()
{
    QStringList names;
    for (const char* prefix : AreaPrefixes)
        names.append(QString::fromLatin1(prefix));
    return names;
}

bool IsRegistryTable(const QString& fileName)
{
    const QString base = BaseName(fileName);
    if (base.isEmpty())
        return false;
    for (const char* file : DistrictTables)
        if (base == WithoutExtension(file))
            return true;
    for (const char* file : CodeTableFiles)
        if (base == WithoutExtension(file))
            return true;
    for (const char* prefix : AreaPrefixes)
        if (IsPerArea(base, prefix))
            return true;
    return false;
}

bool IsUserTextTable(const QString& fileName)
{
    return IsPerArea(BaseName(fileName), UserTextPrefix);
}

} // namespace RegistryTableNames
