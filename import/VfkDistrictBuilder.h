#pragma once

#include "import/VfkDataSet.h"
#include "import/VfkDistrict.h"
#include "import/VfkIndex.h"
#include "import/VfkReader.h"

class VfkOwnerRegistry;

// Maps the merged blocks of an import onto the district's tables: the
// catalogue, the parcel parts, owners and their relations, the soil-quality
// records and (through VfkRecordBuilder) the supplementary records, plus the
// rows the code tables gain from the files' code lists. Refuses (throws
// ETalvekException) data that cannot make a district: no parcels, duplicate
// parcel keys or sheet numbers in one area, a block without a column the
// mapping needs, a value beyond the field it goes to.
class VfkDistrictBuilder
{
public:
    explicit VfkDistrictBuilder(const VfkDataSet& data);
    ~VfkDistrictBuilder();
    VfkDistrict build();

    // The blocks and columns the mapping reads (the district's tables, the
    // sheets' records, the owners and the code lists), for VfkReader: every
    // column a builder looks up is here, and a lookup of a column the reader
    // left out stops the program (VfkColumns), so the list cannot fall
    // behind the code. A block without ID or KOD is read whole: its repeated
    // rows are told apart by all their values.
    static VfkReader::Selection columnsRead();

    // PARSKUP of a PAR row from its PAR_TYPE, DRUH_CISLOVANI_PAR = 1 (a
    // building parcel), ZDPAZE_KOD and whether KATUZE_KOD_PUV is set.
    static int parcelGroup(const QString& type, bool building, qint64 zdpaze, bool former);

private:
    void planAreas(VfkDistrict& district);
    void buildCatalogue(VfkDistrict& district);
    void indexSheetsAndBuildings();
    void indexParcels(VfkDistrict& district);
    void buildOwners(VfkDistrict& district);
    void buildParcels(VfkDistrict& district);
    QHash<QString, QList<int>> protections() const;
    QHash<QString, std::pair<double, int>> largestSoilParts() const;
    void buildSoil(VfkDistrict& district);
    void buildCodeRows(VfkDistrict& district);
    VfkArea* areaOfSheet(VfkDistrict& district, const QString& telId);

    const VfkDataSet& m_data;
    VfkIndex m_index;
    std::unique_ptr<VfkOwnerRegistry> m_owners;
    QHash<QString, int> m_areaOfCode;               // KATUZE.KOD -> index in district.areas
    QHash<QString, int> m_firstOwnerCharacteristic; // TEL.ID -> UVCHAR of VLPOR 1
    QHash<QString, int> m_houseNumberPart;          // CAOBCE_KOD -> ordinal
};
