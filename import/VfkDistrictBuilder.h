#pragma once

#include "import/VfkDataSet.h"
#include "import/VfkDistrict.h"
#include "import/VfkIndex.h"
#include "import/VfkOwnerRegistry.h"
#include "import/VfkReader.h"

// Maps the merged blocks of an import onto the district's tables: the
// catalogue, owners and their relations, (through VfkParcelBuilder) the
// parcel parts and soil-quality records and (through VfkRecordBuilder) the
// supplementary records, plus the
// rows the code tables gain from the files' code lists. Refuses (throws
// ETalvekException) data that cannot make a district: no parcels, duplicate
// parcel keys or sheet numbers in one area, a block without a column the
// mapping needs, a value beyond the field it goes to.
class VfkDistrictBuilder
{
public:
    // What the areas of one import share when its files are built one group
    // at a time (VfkImportPlan sets it from a scan of every file): without
    // it, the data set is the whole import.
    struct Plan
    {
        QHash<QString, QString> suffixOfArea; // KATUZE.KOD -> table suffix, every area
        QHash<QString, int> houseNumberPart;  // CAOBCE_KOD -> ordinal, over every file
        VfkOwnerRegistry::Surrogates surrogates;
    };

    explicit VfkDistrictBuilder(const VfkDataSet& data, Plan* plan = nullptr);
    ~VfkDistrictBuilder();
    // The district's tables from the data set: with a plan, only the areas
    // of the data set's files, without the catalogue (the plan's part).
    VfkDistrict build();
    // What a scan of every file gives (PAR, KATUZE, OBCE, OKRESY, BUD): the
    // areas with their suffixes and names, the catalogue and the district,
    // and the plan the groups are built by.
    VfkDistrict buildCatalogue(Plan& plan);
    // What buildCatalogue needs read of each file.
    static VfkReader::Selection catalogueColumns();

    // The blocks and columns the mapping reads (the district's tables, the
    // sheets' records, the owners and the code lists), for VfkReader: every
    // column a builder looks up is here, and a lookup of a column the reader
    // left out stops the program (VfkColumns), so the list cannot fall
    // behind the code. A block without ID or KOD is read whole: its repeated
    // rows are told apart by all their values.
    static VfkReader::Selection columnsRead();

private:
    void planAreas(VfkDistrict& district);
    void buildCatalogue(VfkDistrict& district);
    void houseNumberParts();
    void indexSheetsAndBuildings();
    void buildOwners(VfkDistrict& district);
    void buildCodeRows(VfkDistrict& district);
    VfkArea* areaOfSheet(VfkDistrict& district, const QString& telId);

    const VfkDataSet& m_data;
    Plan* m_plan;
    VfkIndex m_index;
    std::unique_ptr<VfkOwnerRegistry> m_owners;
    QHash<QString, int> m_areaOfCode;               // KATUZE.KOD -> index in district.areas
    QHash<QString, int> m_firstOwnerCharacteristic; // TEL.ID -> UVCHAR of VLPOR 1
    QHash<QString, int> m_houseNumberPart;          // CAOBCE_KOD -> ordinal
};
