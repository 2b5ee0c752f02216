#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// Lookups between the blocks of an import that the district's tables and
// the supplementary records share, keyed by the VFK row IDs.
struct VfkIndex
{
    QHash<QString, int> sheetNumber;         // TEL.ID -> CISLO_TEL
    QHash<QString, QString> sheetArea;       // TEL.ID -> KATUZE_KOD
    QHash<QString, qint64> packedParcel;     // PAR.ID -> packed parcel
    QHash<QString, QString> parcelLabel;     // PAR.ID -> printed parcel number
    QHash<QString, QString> parcelSheet;     // PAR.ID -> TEL.ID
    QHash<QString, qint64> buildingParcel;   // BUD.ID -> lowest packed parcel carrying it
    QHash<QString, QString> buildingSheet;   // BUD.ID -> TEL.ID
    QHash<QString, QString> buildingLabel;   // BUD.ID -> "č.p. 12", "bez čp/če"
    QHash<QString, QString> unitSheet;       // JED.ID -> TEL.ID
    QHash<QString, QString> unitBuilding;    // JED.ID -> BUD.ID
    QHash<QString, QStringList> ownerSheets; // OPSUB.ID -> TEL.IDs where it is an owner, once each
    QHash<QString, QStringList> sheetOwners; // TEL.ID -> OPSUB.IDs in VLA order
    QList<QSet<QString>> areasOfFile;        // file index -> KATUZE.KODs of its PAR rows

    // A part whose building stands on another sheet (relation 5).
    struct SplitPart
    {
        QString parcelId;
        QString buildingId;
        QString landSheet;     // TEL.ID of the parcel
        QString buildingSheet; // TEL.ID of the building
    };
    QList<SplitPart> splitParts;
};
