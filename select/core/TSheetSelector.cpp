#include "select/core/TSheetSelector.h"

#include "base/ETalvekException.h"
#include "data/CadastralTables.h"
#include "data/ParcelNumber.h"
#include "data/WorkTable.h"
#include "db/Query.h"
#include "db/Table.h"

namespace {
// The columns of the work table that a selection copies from NYSPA.
const QString PartColumns =
    QStringLiteral("PARSKUP,PARCIS,PARPOD,PARDIL,VYMERA,DRUHPOZ,CPCE,NEMVYUZ,PARCISLO");
// Kind of supplementary record whose value is a packed parcel reference, and
// the legal relation of the parcels that belong to a sheet through it.
constexpr int ParcelReferenceKind = 93;
constexpr int ReferencedRelation = 5;

QString quoted(const QString& name)
{
    return u'"' + name + u'"';
}

QString perArea(const char* prefix, const QString& suffix)
{
    return quoted(CadastralTables::PerAreaTable(prefix, suffix));
}
} // namespace

QString TSheetSelector::SheetField(bool registration)
{
    return registration ? QStringLiteral("ELCIS") : QStringLiteral("LVCIS");
}

void TSheetSelector::OpenOwnerList(Query& query, const QString& alias, const QString& suffix,
                                   const TSheetSearch& search)
{
    query.close();
    query.clearBindings();
    query.setDatabaseName(alias);
    QStringList sql{QStringLiteral("SELECT DISTINCT NYSUV.ELLVCIS, OBORG.IDENT, OBORG.NAZEV "
                                   "FROM \"NYSOBORG.DB\" OBORG, ") +
                        perArea(CadastralTables::RelationPrefix, suffix) + QStringLiteral(" NYSUV"),
                    QStringLiteral("WHERE (OBORG.IDENT = NYSUV.IDENT)"),
                    QStringLiteral("AND (OBORG.UVCHAR = NYSUV.UVCHAR)")};
    if (!search.isEmpty())
        sql << search.ConditionLine();
    if (!search.OrderLine().isEmpty())
        sql << search.OrderLine();
    query.setSql(sql);
    search.BindTo(query);
    query.open();
}

bool TSheetSelector::SheetExists(const QString& alias, const QString& suffix, qint64 sheet)
{
    Query query;
    query.setDatabaseName(alias);
    query.setSql(QStringLiteral("SELECT ELLVCIS FROM ") +
                 perArea(CadastralTables::RelationPrefix, suffix) +
                 QStringLiteral(" WHERE ELLVCIS = :SHEET"));
    query.bindValue(QStringLiteral(":SHEET"), sheet);
    query.open();
    return !query.isEmpty();
}

void TSheetSelector::prepareOneSheet(Query& query, const QString& suffix, const QString& field,
                                     qint64 sheet)
{
    query.setSql(QStringLiteral("SELECT %1,LVCIS FROM %2 WHERE %3 = :SHEET")
                     .arg(PartColumns, perArea(CadastralTables::ParcelPrefix, suffix), field));
    query.bindValue(QStringLiteral(":SHEET"), sheet);
}

void TSheetSelector::prepareOwnersSheets(Query& query, const QString& suffix, const QString& field,
                                         const TSheetSearch& search)
{
    QString columns = PartColumns;
    columns.replace(u',', QStringLiteral(",PA."));
    QStringList sql{
        QStringLiteral("SELECT DISTINCT PA.") + columns,
        QStringLiteral("FROM %1 PA, \"NYSOBORG.DB\" OBORG, %2 NYSUV")
            .arg(perArea(CadastralTables::ParcelPrefix, suffix),
                 perArea(CadastralTables::RelationPrefix, suffix)),
        QStringLiteral("WHERE (PA.%1 = NYSUV.ELLVCIS) AND (OBORG.IDENT = NYSUV.IDENT) ").arg(field),
        QStringLiteral("AND (OBORG.UVCHAR = NYSUV.UVCHAR)")};
    if (!search.isEmpty())
        sql << search.ConditionLine();
    query.setSql(sql);
    search.BindTo(query);
}

bool TSheetSelector::SelectSheetsIntoWork(Table& work, const QString& alias, const QString& suffix,
                                          const TSheetSearch& search, bool registration)
{
    work.close();
    CreateWorkTable(work);
    const QString field = SheetField(registration);
    Query parts;
    parts.setDatabaseName(alias);
    const bool oneSheet = search.mode() == TSheetSearch::OneSheet;
    if (oneSheet)
        prepareOneSheet(parts, suffix, field, search.numbers().value(0));
    else
        prepareOwnersSheets(parts, suffix, field, search);
    parts.open();
    bool found = !parts.isEmpty();
    if (found)
        CopyIntoWork(parts, work, BatchMove::Mode::Append);
    parts.close();
    // The referenced parcels count also for a sheet without parts of its
    // own (the land under another sheet's building is all it holds).
    if (oneSheet && !registration)
        found = addReferencedParcels(work, alias, suffix, search.numbers().value(0)) || found;
    if (!found)
        return false;
    MarkAll(work);
    return true;
}

bool TSheetSelector::addReferencedParcels(Table& work, const QString& alias, const QString& suffix,
                                          qint64 sheet)
{
    // Every parcel named by a kind-93 record of the sheet, gathered into one
    // statement so that the work table file is written once.
    try {
        Query records;
        records.setDatabaseName(alias);
        records.setSql(
            {QStringLiteral("Select DOPLUDAJ From ") +
                 perArea(CadastralTables::RecordPrefix, suffix),
             QStringLiteral("Where DLVCIS = :SHEET and DOPLKOD = %1").arg(ParcelReferenceKind)});
        records.bindValue(QStringLiteral(":SHEET"), sheet);
        records.open();
        QStringList parcels;
        Query referenced;
        referenced.setDatabaseName(alias);
        for (int i = 0; !records.eof(); records.next(), ++i) {
            const ParcelKey key =
                UnpackParcelReference(records.asFloat(QStringLiteral("DOPLUDAJ")));
            parcels << QStringLiteral("(PARSKUP=:S%1 and PARCIS=:C%1 and PARPOD=:P%1)").arg(i);
            referenced.bindValue(QStringLiteral(":S%1").arg(i), key.parskup);
            referenced.bindValue(QStringLiteral(":C%1").arg(i), key.parcis);
            referenced.bindValue(QStringLiteral(":P%1").arg(i), key.parpod);
        }
        if (parcels.isEmpty())
            return false;
        referenced.setSql({QStringLiteral("SELECT %1,LVCIS FROM %2")
                               .arg(PartColumns, perArea(CadastralTables::ParcelPrefix, suffix)),
                           QStringLiteral("Where VLVZTAH=%1 and (%2)")
                               .arg(ReferencedRelation)
                               .arg(parcels.join(QStringLiteral(" or ")))});
        referenced.open();
        if (referenced.isEmpty())
            return false;
        CopyIntoWork(referenced, work, BatchMove::Mode::Append);
        return true;
    } catch (const ETalvekException&) {
        // A missing or unreadable records table: the sheet's own parts stay.
        return false;
    }
}
