#pragma once

#include "data/DemoAreaBuilder.h"
#include "data/DemoOwnerPool.h"

#include <QList>
#include <QStringList>

// The catalogue of a synthetic district: its name and number, municipalities
// and cadastral areas, and the writing of its catalogue and owner tables.
// Shared by the demo district and the synthetic country.
class DemoDistrictPlan
{
public:
    QString name;
    QString identcis;
    QStringList municipalities;
    QStringList municipalityCodes;
    QList<DemoAreaPlan> areas;

    // `areas` areas spread over `municipalities` municipalities, sharing
    // `parts` parcel parts. Place names are taken from index `nameBase` on;
    // municipality names are shifted by `municipalityShift` more.
    static DemoDistrictPlan make(const QString& name, int municipalities, int areas, qint64 parts,
                                 DemoRandom& random, int nameBase = 0, int municipalityShift = 0);

    // Creates `directory`, which must be new or empty so that no tables of a
    // real district given by mistake are overwritten; ETalvekException otherwise.
    static void createEmptyDirectory(const QString& directory);
    static void makeDirectory(const QString& directory);

    // NYSKATAL.DB: the district, its municipalities and its areas.
    void writeCatalogue(const QString& directory) const;
    // NYSOBORG.DB with the given owners.
    static void writeOwners(const QString& directory, const QList<DemoOwner>& owners);
};
