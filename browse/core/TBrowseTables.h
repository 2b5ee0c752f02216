#pragma once

#include "app/core/TKUInfo.h"
#include "browse/core/ParDilyRules.h"
#include "browse/core/TBrowseGridModel.h"

#include <QObject>

#include <array>
#include <optional>

class Dataset;
class Query;
class Table;
class TMarkSummary;

// The tables of the parcel browser over one work table of an area: the parts
// (the work table, completed from the area's parcel table), their owners and
// users over the area's relations, the code tables that name the current
// part's codes, the queries of its soil quality, its older-register parcels
// and its sheet's supplementary records, and the own-text table. Reads and
// the few writes (marks, sorting, added parcels) need no window; the browser
// shows what they give. Engine errors pass on as ETalvekException.
class TBrowseTables : public QObject
{
    Q_OBJECT

public:
    // The code texts of the current part, each empty when the code is 0 or
    // has no row in its table: kind of land, use, legal relation and the
    // three protection lines.
    struct PartTexts
    {
        QString landKind;
        QString landUse;
        QString relation;
        std::array<QString, 3> protection;
    };

    // `codeDir`: the code-table directory ("WorkDB").
    TBrowseTables(const QString& workTablePath, const TKUInfo& ku, const QString& codeDir,
                  QObject* parent = nullptr);

    // Opens the area's tables and binds the queries; with `codeTables` also
    // the code tables (they stay open while the parts are opened again).
    void OpenDetails(bool codeTables);
    // Opens the parts of the work table in parcel order.
    void OpenParts();
    // Closes what reading the parcels into the work table must not hold open.
    void CloseParts();

    Table& Parts() const { return *m_pa; }
    Table& Parcels() const { return *m_popCis; }
    Table& Owners() const { return *m_vl; }
    Table& Users() const { return *m_uz; }
    Table& OwnTexts() const { return *m_memoTxt; }
    Query& Bonity() const { return *m_bonity; }
    Query& OlderParcels() const { return *m_pk; }

    // The columns the browser shows of the owners, the users, the soil
    // quality and the older-register parcels.
    static QList<TBrowseGridModel::Column> OwnerColumns();
    static QList<TBrowseGridModel::Column> UserColumns();
    static QList<TBrowseGridModel::Column> BonityColumns();
    static QList<TBrowseGridModel::Column> OlderParcelColumns();

    // The key of the current part (PARSKUP, PARCIS, PARPOD, PARDIL); empty
    // when no part is shown.
    QVariantList CurrentPartKey() const;
    // Makes the first part of parcel (group, stem, subdivision) in the
    // current order the current one; false, moving nowhere, when the work
    // table has no part of it.
    bool LocateParcel(int group, int stem, int subdivision);
    PartTexts CurrentPartTexts();
    // The characteristic of the current owner and the sector of the current
    // user; empty without one.
    QString OwnerCharacteristicText();
    QString SectorText();
    // The sheet of the land under the current part (a building apart from
    // its land): the own sheet when the records name none or cannot be read.
    ParDilyRules::LandSheet FindLandSheet(int ownLv);
    // Shows the owners of sheet `lv`.
    void ShowOwnersOf(int lv);
    // Links the users to the current part (or unlinks them).
    void LinkUsers(bool linked);
    // Narrow the soil-quality records and the older-register parcels to the
    // current part; the latter exist only for current-register parcels.
    void SelectBonity();
    void SelectOlderParcels();
    // Sorts the parts by the column `field` titled `title`; a column that
    // cannot be sorted throws with the message shown to the user.
    void SortParts(const QString& field, const QString& title);
    // Sets (or, without `mark`, inverts) the mark of the part at `row` and
    // counts the change in `marks`. Returns false when nothing changed.
    bool SetMark(int row, std::optional<bool> mark, TMarkSummary& marks);
    // Sets or clears every mark of the work table with one statement.
    void MarkAll(bool mark);
    // The older-register parcel numbers shown for the current part.
    QStringList OlderParcelNumbers();
    // Adds `numbers` to the work table (missing parcels too); the parts are
    // closed for it and must be opened again (OpenDetails(false), OpenParts).
    void AddToWork(const QStringList& numbers);

private:
    void createDatasets();
    void calcOwnerName(Dataset& ds);
    QString codeText(Table& table, qint64 code);
    QString protectionText(int digit, int code);
    Table* newTable();

    QString m_workDir;
    QString m_workFile;
    TKUInfo m_ku;
    QString m_codeDir;

    Table* m_pa = nullptr;
    Table* m_popCis = nullptr;
    Table* m_jm = nullptr;
    Table* m_vl = nullptr;
    Table* m_uz = nullptr;
    Table* m_druhP = nullptr;
    Table* m_vyuz = nullptr;
    Table* m_vztah = nullptr;
    Table* m_sektor = nullptr;
    Table* m_charUV = nullptr;
    Table* m_parSkup = nullptr;
    Table* m_memoTxt = nullptr;
    Query* m_bonity = nullptr;
    Query* m_pk = nullptr;
    Query* m_doplVl = nullptr;
    Query* m_work = nullptr;
};
