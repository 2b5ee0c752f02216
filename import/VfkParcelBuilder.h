#pragma once

#include "import/VfkDataSet.h"
#include "import/VfkDistrict.h"
#include "import/VfkIndex.h"

#include <QHash>
#include <QString>

// Maps the PAR rows of an import onto each area's parcel parts and
// soil-quality records, after indexing every parcel's key, packed number and
// sheet; refuses (throws ETalvekException) a parcel without a stem number,
// one too long for its field and duplicate parcel keys in one area.
class VfkParcelBuilder
{
public:
    // areaOfCode: KATUZE.KOD -> index in the district's areas.
    VfkParcelBuilder(const VfkDataSet& data, VfkIndex& index,
                     const QHash<QString, int>& areaOfCode);

    // Keys, packed numbers and sheets of every parcel into the index (the
    // sheets and buildings must be indexed already).
    void index(const VfkDistrict& district);
    // The parcel parts and soil-quality records of every area. houseNumber-
    // Part: CAOBCE_KOD -> ordinal; firstOwnerCharacteristic: TEL.ID -> UVCHAR
    // of the sheet's first owner.
    void build(VfkDistrict& district, const QHash<QString, int>& houseNumberPart,
               const QHash<QString, int>& firstOwnerCharacteristic);

    // PARSKUP of a PAR row from its PAR_TYPE, DRUH_CISLOVANI_PAR = 1 (a
    // building parcel), ZDPAZE_KOD and whether KATUZE_KOD_PUV is set.
    static int parcelGroup(const QString& type, bool building, qint64 zdpaze, bool former);

private:
    QHash<QString, QList<int>> protections() const;
    QHash<QString, std::pair<double, int>> largestSoilParts() const;
    void buildParcels(VfkDistrict& district, const QHash<QString, int>& houseNumberPart,
                      const QHash<QString, int>& firstOwnerCharacteristic);
    void buildSoil(VfkDistrict& district);

    const VfkDataSet& m_data;
    VfkIndex& m_index;
    const QHash<QString, int>& m_areaOfCode;
};
