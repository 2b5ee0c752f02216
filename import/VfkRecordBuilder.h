#pragma once

#include "import/VfkColumns.h"
#include "import/VfkDataSet.h"
#include "import/VfkIndex.h"
#include "import/VfkSheetRecords.h"

#include <functional>
#include <vector>

class VfkOwnerRegistry;

// The supplementary records of the sheets (NYSVL) and their text lines
// (NYSTX): the pairs 82/90 and the records 93 of parts whose building stands
// on another sheet, the rights (JPV) on their burdened (1000 + kind) and
// benefiting (2000 + kind) sheets, and the deeds (3001 title, 3002 basis of a
// right, 3003 deed on a property), numbered per sheet in a fixed order.
// A record that repeats on many sheets (a right against a person, a title
// of an owner) is built once; each sheet lists the records it carries.
class VfkRecordBuilder
{
public:
    VfkRecordBuilder(const VfkDataSet& data, const VfkIndex& index, const VfkOwnerRegistry& owners);
    // Places the records of every sheet, in sheet order, into the records of
    // the sheet's area (`recordsOf` gives nullptr for a sheet of no imported
    // area). Throws ETalvekException when a sheet would carry more records
    // than its table can number.
    void build(const std::function<VfkSheetRecords*(const QString& telId)>& recordsOf);

    // Lines of at most `width` characters, broken between words where possible.
    static QStringList wrap(const QString& text, int width = 60);

private:
    struct Record
    {
        int group = 0; // 0 pair 82/90, 1 record 93, 2 benefiting side, 3 burdened side, 4 deed
        QString section;
        qint64 deedId = 0;
        VfkSheetRecords::Entry entry;
    };
    struct Deed
    {
        int kind = 0;
        qint64 number = 0;
        qint64 legacy = 0;
        QStringList lines;
    };

    int addRecord(Record record);
    void place(const QString& tel, int record) { m_onSheet[tel].push_back(record); }
    void addSplitParts();
    void addRights();
    void addDeeds();
    Deed deed(const QString& listinId) const;
    QString rightParty(const VfkColumns& jpv, int row, int person, int parcel) const;
    qint64 parcelOf(const QString& parId, const QString& budId, const QString& jedId) const;
    QStringList sheetsOf(const QString& parId, const QString& budId, const QString& jedId) const;
    QStringList personSheetsOfFile(const QString& opsubId, int file);
    bool less(int a, int b) const;

    const VfkDataSet& m_data;
    const VfkIndex& m_index;
    const VfkOwnerRegistry& m_owners;
    // The deeds' columns and their proceedings' (RIZENI), looked up once.
    struct DeedColumns
    {
        int kind, number, year, proceeding, proceedingNumber, proceedingYear, supplement,
            description, drawnUp, inForce;
    };
    const VfkColumns m_listin;
    const VfkColumns m_rizeni;
    DeedColumns m_deedColumns{};
    QList<Record> m_records;
    QHash<QString, std::vector<int>> m_onSheet; // TEL.ID -> records in the order placed
    QHash<QString, QStringList> m_rightSheets;  // JPV.ID -> TEL.IDs it was placed on
    QHash<QString, QStringList> m_personSheets; // OPSUB.ID + file -> its sheets in the file's areas
};
