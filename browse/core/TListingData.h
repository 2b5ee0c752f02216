#pragma once

#include "app/core/TKUInfo.h"
#include "data/LVSupplementText.h"
#include "browse/core/ParDilyRules.h"
#include "data/BirthNumberMask.h"
#include "data/OwnerNameLookup.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>

// What the text listings look up for the parts of one cadastral area: the
// parcel table, owners and users, supplementary records with their texts,
// soil quality, own texts and the code texts. Each table is read once, on
// first use, into memory, so that a listing of 40,000 parts costs a hash
// lookup per value instead of a query. Tables the area lacks (records,
// soil quality, own texts) read as empty; missing parcel, relation or code
// tables fail with the engine's message.
// Runs `sql` on `database` and calls `row` with the values of `fields` (in
// that order) for every result row; a missing field fails naming it.
void ForEachListedRow(const QString& database, const QString& sql, const QStringList& fields,
                      const std::function<void(const QVariantList&)>& row);

// The same over a table in the order of `order` (fields separated by ";"),
// only the rows that pass `filter` when one is given.
void ForEachTableRow(const QString& database, const QString& table, const QString& order,
                     const QString& filter, const QStringList& fields,
                     const std::function<void(const QVariantList&)>& row);

class TListingData
{
public:
    TListingData(const TKUInfo& ku, const QString& workDbPath);

    // Values of the area's parcel table for one part; found = false when the
    // area lacks the part (its map reads "-").
    struct Part
    {
        bool found = false;
        qint64 elcis = 0;
        QString mapa = QStringLiteral("-");
        qint64 ppolvz = 0;
        int vlvztah = 0;
        int nemochr = 0;
        qint64 bonita = 0;
        int kvalita = 0;
    };
    Part PartOf(int parskup, qint64 parcis, int parpod, int pardil);

    // One owner (sheet) or user (evidence list) row of the relation table.
    struct Holder
    {
        qint64 podil = 0;
        double ident = 0;
        int uvchar = 0;
        int sektor = 0;
    };
    QList<Holder> HoldersOf(qint64 ellvcis);
    // NAZEV of the owner table by the rule the browser and the forms share
    // (see OwnerNameLookup).
    QString OwnerName(double ident, int uvchar);
    // The IDENT as outputs print and export it (BirthNumberMask::Text and
    // Value); without the row's characteristic the owner table tells
    // whether the IDENT is a person's.
    QString IdentText(double ident, int uvchar = BirthNumberMask::UnknownCharacteristic);
    QVariant IdentValue(double ident, int uvchar);

    QString LandKindAbbrev(int druhpoz);
    QString LandKindText(int druhpoz);
    QString LandUseText(int landUseKey);
    QString RelationText(int vlvztah);
    QString GroupName(int parskup);
    QString SectorText(int sektor);

    // The sheet of the land under a building part (relation 5).
    ParDilyRules::LandSheet LandSheetOf(int lv, int parskup, int parcis, int parpod);
    // The supplementary records of a sheet, all of them (parcelKey 0) or those
    // naming one parcel (stem * 1000 + subdivision of the group).
    QList<LVSupplementText::Record> Supplement(int sheet, qint64 parcelKey, int group);
    // False when the area has no records table: the section is then omitted.
    bool HasSupplement();

    QString OwnText(int parskup, qint64 parcis, int parpod, int pardil);

    struct SoilRow
    {
        qint64 vymera = 0;
        qint64 bonita = 0;
        qint64 bpolvz = 0;
    };
    QList<SoilRow> SoilOf(int parskup, qint64 parcis, int parpod);
    // Older-register parts whose CPCE points at the parcel: (group, number),
    // in key order.
    QList<QPair<int, QString>> OlderRegisterOf(int parcis, int parpod);

private:
    OwnerNameLookup& Owners();

    struct Record
    {
        int doplpor = 0;
        int doplkod = 0;
        double dopludaj = 0;
        int listdruh = 0;
        qint64 listcis = 0;
        qint64 doplvz = 0;
    };
    struct RecordKind
    {
        QString text, addition, section;
        bool parcel = false;
    };
    void LoadParts();
    void LoadHolders();
    void LoadRecords();
    void LoadSoil();
    void LoadOwnTexts();
    QHash<qint64, QString> CodeTexts(const char* table, const QString& keyField,
                                     const QString& textField);
    bool AreaTableExists(const char* prefix) const;
    QString AreaTable(const char* prefix) const;

    TKUInfo m_ku;
    QString m_workDbPath;
    std::optional<QHash<qint64, Part>> m_parts;
    std::optional<QHash<qint64, QList<QPair<int, QString>>>> m_older; // by CPCE
    std::optional<QHash<qint64, QList<Holder>>> m_holders;
    std::unique_ptr<OwnerNameLookup> m_owners;
    std::optional<QHash<qint64, QList<Record>>> m_records; // by sheet
    QHash<QPair<qint64, int>, QStringList> m_recordLines;  // (sheet, DOPLPOR) -> lines
    QHash<int, RecordKind> m_recordKinds;
    QHash<int, QPair<QString, QString>> m_deedKinds;
    std::optional<bool> m_hasSupplement;
    std::optional<QHash<qint64, QList<SoilRow>>> m_soil;
    std::optional<QHash<qint64, QString>> m_ownTexts;
    std::optional<QHash<qint64, QString>> m_kindAbbrev, m_kindText, m_landUse, m_relation, m_group,
        m_sector;
};
