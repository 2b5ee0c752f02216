#pragma once

#include "import/VfkDataSet.h"
#include "import/VfkIndex.h"

class VfkOwnerRegistry;

// The supplementary records of the sheets (NYSVL) and their text lines
// (NYSTX): the pairs 82/90 and the records 93 of parts whose building stands
// on another sheet, the rights (JPV) on their burdened (1000 + kind) and
// benefiting (2000 + kind) sheets, and the deeds (3001 title, 3002 basis of a
// right, 3003 deed on a property), numbered per sheet in a fixed order.
class VfkRecordBuilder
{
public:
    struct SheetRecords
    {
        QString telId;
        QList<QVariantList>
            records; // DLVCIS, DOPLPOR, DOPLKOD, DOPLUDAJ, LISTDRUH, LISTCIS, DOPLVZ, DOPLZM
        QList<QVariantList> texts; // DLVCIS, DOPLPOR, RADEK, TEXT
    };

    VfkRecordBuilder(const VfkDataSet& data, const VfkIndex& index, const VfkOwnerRegistry& owners);
    QList<SheetRecords> build();

    // Lines of at most `width` characters, broken between words where possible.
    static QStringList wrap(const QString& text, int width = 60);

private:
    struct Record
    {
        QString tel;
        int group = 0; // 0 pair 82/90, 1 record 93, 2 benefiting side, 3 burdened side, 4 deed
        QString section;
        int code = 0;
        qint64 udaj = 0;
        qint64 pairUdaj = -1; // DOPLUDAJ of the 90 that shares the 82's position
        int deedKind = 0;
        qint64 deedNumber = 0;
        qint64 legacy = 0;
        qint64 deedId = 0;
        QStringList lines;
    };
    struct Deed
    {
        int kind = 0;
        qint64 number = 0;
        qint64 legacy = 0;
        QStringList lines;
    };

    void addSplitParts();
    void addRights();
    void addDeeds();
    Deed deed(const QString& listinId) const;
    QString rightParty(const QStringList& row, const char* person, const char* parcel) const;
    qint64 parcelOf(const QString& parId, const QString& budId, const QString& jedId) const;
    QStringList sheetsOf(const QString& parId, const QString& budId, const QString& jedId) const;

    const VfkDataSet& m_data;
    const VfkIndex& m_index;
    const VfkOwnerRegistry& m_owners;
    QList<Record> m_records;
    QHash<QString, QSet<QString>> m_rightSheets; // JPV.ID -> TEL.IDs it was placed on
};
