#include "select/core/TParcSelector.h"

#include "base/ETalvekException.h"
#include "data/CadastralTables.h"
#include "data/ParcelNumber.h"
#include "data/ValueFormats.h"
#include "data/WorkTable.h"
#include "db/Dataset.h"
#include "db/Query.h"
#include "db/Table.h"

#include <QFileInfo>
#include <limits>

namespace {
// The columns of a work row in the order the rows are gathered; FLAG is
// always written as TRUE.
const QStringList RowFields{"PARSKUP", "PARCIS", "PARPOD",  "PARDIL",   "VYMERA",
                            "DRUHPOZ", "CPCE",   "NEMVYUZ", "PARCISLO", "LVCIS"};
// Values looked up per SELECT statement.
constexpr int ValuesPerLookup = 2000;
// Rows per INSERT statement (one bound text each, far below SQLite's limit
// of parameters); every statement writes the file once.
constexpr int RowsPerStatement = 2000;
constexpr int MaxPartOfMunicipality = 99;
constexpr int HousePartFactor = 10000;

QString quotedFile(const Table& table)
{
    return QLatin1Char('"') + QFileInfo(table.tableName()).fileName() + QLatin1Char('"');
}

// A cell as a 32-bit number; `whenNotNumber` for text that is not one or
// does not fit (the dialog rejects such cells before they get here).
int cellInt(const QString& text, int whenNotNumber)
{
    const qint64 v = TParcGridModel::CellValue(text);
    if (v == -1 && text.trimmed() != QStringLiteral("-1"))
        return whenNotNumber;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return whenNotNumber;
    return int(v);
}

// The part a cursor over the parcel table stands on, with group and stem given.
QVariantList partRow(const Dataset& parcels, qint64 parskup, qint64 parcis)
{
    return {parskup,
            parcis,
            parcels.asInteger(QStringLiteral("PARPOD")),
            parcels.asInteger(QStringLiteral("PARDIL")),
            WholeNumber(parcels.asFloat(QStringLiteral("VYMERA"))),
            parcels.asInteger(QStringLiteral("DRUHPOZ")),
            WholeNumber(parcels.asFloat(QStringLiteral("CPCE"))),
            parcels.asInteger(QStringLiteral("NEMVYUZ")),
            parcels.asString(QStringLiteral("PARCISLO")),
            parcels.asInteger(QStringLiteral("LVCIS"))};
}

QString keyText(const QVariantList& row, int fields)
{
    QString key;
    for (int i = 0; i < fields; ++i)
        key += row[i].toString() + QLatin1Char('|');
    return key;
}
} // namespace

// The selection being gathered: its rows and the keys of the parts it holds,
// as the work table's primary index would find them.
struct TParcSelector::Staged
{
    QList<QVariantList> rows;
    QSet<QString> parts; // group|stem|subdivision|part|

    bool hasPart(const QVariantList& row) const { return parts.contains(keyText(row, 4)); }
    void add(const QVariantList& row)
    {
        rows.append(row);
        parts.insert(keyText(row, 4));
    }
};

QHash<qint64, QList<QVariantList>> TParcSelector::partsBy(Table& parcels, const QString& field,
                                                          const QList<qint64>& values)
{
    QHash<qint64, QList<QVariantList>> parts;
    for (int start = 0; start < values.size(); start += ValuesPerLookup) {
        const int end = qMin(int(values.size()), start + ValuesPerLookup);
        Query query;
        query.setDatabaseName(parcels.databaseName());
        // The values are numbers computed here, written as literals: a few
        // thousand named parameters would make SQLite search their names
        // once per value.
        QStringList names;
        for (int i = start; i < end; ++i)
            names << QString::number(values[i]);
        query.setSql({QStringLiteral("SELECT PARSKUP,PARCIS,PARPOD,PARDIL,VYMERA,DRUHPOZ,CPCE,"
                                     "NEMVYUZ,PARCISLO,LVCIS FROM ") +
                          quotedFile(parcels),
                      QStringLiteral("WHERE ") + field + QStringLiteral(" IN (") +
                          names.join(QLatin1Char(',')) + QLatin1Char(')'),
                      QStringLiteral("ORDER BY PARSKUP,PARCIS,PARPOD,PARDIL")});
        query.open();
        for (query.first(); !query.eof(); query.next())
            parts[WholeNumber(query.asFloat(field))].append(
                partRow(query, query.asInteger(QStringLiteral("PARSKUP")),
                        query.asInteger(QStringLiteral("PARCIS"))));
    }
    return parts;
}

void TParcSelector::SelectParcels(const QList<TParcGridRow>& rows, Table& work, Table& parcels)
{
    // The parcel numbers in grid order, each with its add-if-missing flag:
    // a row with a group may add a placeholder, a row without one adds the
    // parcel of every group 1 to 9 that exists.
    QList<ParcelRequest> requests;
    for (const TParcGridRow& row : rows) {
        const int g = cellInt(row[0], 0);
        const int s = cellInt(row[1], 0);
        const int p = cellInt(row[2], 0);
        if (s == 0)
            continue;
        if (g != 0) {
            requests.append({FormatParcelNumber(g, s, p), true});
            continue;
        }
        for (int group = 1; group <= 9; ++group)
            requests.append({FormatParcelNumber(group, s, p), false});
    }
    EmptyWorkTable(work);
    // One change in grid order (one write of the file), so that a parcel
    // already added adds nothing, however rows with and without a group mix.
    AddParcelsToWork(requests, work, parcels);
}

bool TParcSelector::KindAccepts(const QString& kindCell, qint64 nemvyuz)
{
    const QString kind = kindCell.trimmed().left(1).toUpper();
    const qint64 digit = ((nemvyuz % 10) + 10) % 10;
    if (kind == QStringLiteral("P"))
        return digit == 0;
    if (kind == QStringLiteral("E"))
        return digit == 1 || digit >= 3;
    if (kind == QStringLiteral("G"))
        return digit == 2;
    return true;
}

void TParcSelector::SelectHouseNumbers(const QList<TParcGridRow>& rows, Table& work, Table& parcels)
{
    struct Request
    {
        int house;
        QList<qint64> keys;
        QString kind;
    };
    QList<Request> requests;
    QList<qint64> allKeys;
    QSet<qint64> seen;
    for (const TParcGridRow& row : rows) {
        const int part = qMin(cellInt(row[0], -1), MaxPartOfMunicipality);
        const int house = qMin(cellInt(row[1], 0), HousePartFactor - 1);
        if (house <= 0)
            continue;
        Request request{house, {}, row[2]};
        // Without a part of the municipality every part 0..99 is searched.
        for (int p = part >= 0 ? part : 0; p <= (part >= 0 ? part : MaxPartOfMunicipality); ++p)
            request.keys.append(house + qint64(p) * HousePartFactor);
        for (qint64 key : std::as_const(request.keys))
            if (!seen.contains(key)) {
                seen.insert(key);
                allKeys.append(key);
            }
        requests.append(request);
    }
    // Ordering the parcel table by CPCE gives the lookups an index; its
    // parcel order comes back afterwards, also after an error.
    QHash<qint64, QList<QVariantList>> byCpce;
    parcels.setIndexName(QStringLiteral("CPCE"));
    try {
        byCpce = partsBy(parcels, QStringLiteral("CPCE"), allKeys);
    } catch (...) {
        parcels.setIndexFieldNames(QString::fromLatin1(CadastralTables::ParcelIndexFields));
        throw;
    }
    parcels.setIndexFieldNames(QString::fromLatin1(CadastralTables::ParcelIndexFields));

    Staged staged;
    for (const Request& request : std::as_const(requests)) {
        bool found = false;
        for (qint64 key : request.keys) {
            for (const QVariantList& part : byCpce.value(key)) {
                if (!KindAccepts(request.kind, part[7].toLongLong()))
                    continue;
                found = true;
                if (!staged.hasPart(part))
                    staged.add(part);
            }
        }
        if (!found) {
            // The parts found so far stay selected.
            writeRows(work, staged.rows);
            throw ETalvekException(
                QStringLiteral("Nenalezeno číslo popisné (evidenční) %1").arg(request.house));
        }
    }
    writeRows(work, staged.rows);
}

void TParcSelector::SelectAllParcels(Table& work, const QString& alias, const QString& parcelTable)
{
    Query query;
    query.setDatabaseName(alias);
    query.setSql(QStringLiteral("SELECT PARSKUP,PARCIS,PARPOD,PARDIL,VYMERA,DRUHPOZ,CPCE,NEMVYUZ,"
                                "PARCISLO,LVCIS FROM \"%1\"")
                     .arg(parcelTable));
    query.open();
    EmptyWorkTable(work);
    CopyIntoWork(query, work, BatchMove::Mode::Append);
    MarkAll(work);
}

QList<TParcGridRow> TParcSelector::PreviousSelection(Table& work)
{
    QList<TParcGridRow> rows;
    for (work.first(); !work.eof(); work.next()) {
        if (!work.asBoolean(QStringLiteral("FLAG")))
            continue;
        rows.append({QString::number(work.asInteger(QStringLiteral("PARSKUP"))),
                     QString::number(work.asInteger(QStringLiteral("PARCIS"))),
                     QString::number(work.asInteger(QStringLiteral("PARPOD")))});
    }
    return rows;
}

void TParcSelector::writeRows(Table& work, const QList<QVariantList>& rows)
{
    EmptyWorkTable(work);
    const int textField = int(RowFields.indexOf(QStringLiteral("PARCISLO")));
    for (int start = 0; start < rows.size(); start += RowsPerStatement) {
        const int end = qMin(int(rows.size()), start + RowsPerStatement);
        Query insert;
        insert.setDatabaseName(work.databaseName());
        QStringList sql{QStringLiteral("INSERT INTO ") + quotedFile(work) + QStringLiteral(" (") +
                        RowFields.join(QLatin1Char(',')) + QStringLiteral(",FLAG) VALUES")};
        for (int r = start; r < end; ++r) {
            // Numbers are written as literals; the parcel-number text is bound.
            QStringList values;
            for (int f = 0; f < RowFields.size(); ++f) {
                if (f != textField) {
                    values << QString::number(rows[r][f].toLongLong());
                    continue;
                }
                const QString name = QStringLiteral(":T%1").arg(r - start);
                values << name;
                insert.bindValue(name, rows[r][f].toString());
            }
            sql << QStringLiteral("(") + values.join(QLatin1Char(',')) + QStringLiteral(",TRUE)") +
                       (r + 1 < end ? QStringLiteral(",") : QString());
        }
        insert.setSql(sql);
        insert.execSql();
    }
    work.refresh();
}
