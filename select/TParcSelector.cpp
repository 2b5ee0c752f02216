#include "select/TParcSelector.h"

#include "app/core/ETalvekException.h"
#include "data/CadastralTables.h"
#include "data/ParcelNumber.h"
#include "data/ValueFormats.h"
#include "data/WorkTable.h"
#include "db/Query.h"
#include "db/Table.h"

#include <QFileInfo>
#include <limits>

namespace {
// The columns of a work row in the order the rows are gathered; FLAG is
// always written as TRUE.
const QStringList RowFields{"PARSKUP", "PARCIS", "PARPOD",  "PARDIL",   "VYMERA",
                            "DRUHPOZ", "CPCE",   "NEMVYUZ", "PARCISLO", "LVCIS"};
// Rows per INSERT statement: 10 bound values each stay well below SQLite's
// limit of 32766 parameters.
constexpr int RowsPerStatement = 1000;
// PARCISLO holds at most 12 characters.
constexpr int ParcelTextSize = 12;
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

// The part the parcel table's cursor stands on, with group and stem given.
QVariantList partRow(const Table& parcels, int parskup, int parcis)
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

// The selection being gathered: its rows and the keys of the parcels and
// parts it holds, as the work table's primary index would find them.
struct TParcSelector::Staged
{
    QList<QVariantList> rows;
    QSet<QString> stems;   // group|stem|
    QSet<QString> parcels; // group|stem|subdivision|
    QSet<QString> parts;   // group|stem|subdivision|part|

    bool hasParcel(const ParcelKey& key) const
    {
        if (key.parpod != 0)
            return parcels.contains(keyText({key.parskup, key.parcis, key.parpod}, 3));
        return stems.contains(keyText({key.parskup, key.parcis}, 2));
    }
    bool hasPart(const QVariantList& row) const { return parts.contains(keyText(row, 4)); }
    void add(const QVariantList& row)
    {
        rows.append(row);
        stems.insert(keyText(row, 2));
        parcels.insert(keyText(row, 3));
        parts.insert(keyText(row, 4));
    }
};

void TParcSelector::SelectParcels(const QList<TParcGridRow>& rows, Table& work, Table& parcels)
{
    Staged staged;
    const auto addParcel = [&](const ParcelKey& key, bool addIfMissing) {
        if (staged.hasParcel(key))
            return;
        QVariantList range{key.parskup, key.parcis};
        if (key.parpod != 0)
            range.append(key.parpod);
        parcels.setRange(range, range);
        bool found = false;
        for (parcels.first(); !parcels.eof(); parcels.next()) {
            staged.add(partRow(parcels, key.parskup, key.parcis));
            found = true;
        }
        if (!found && addIfMissing) {
            const QString text = FormatParcelNumber(key).left(ParcelTextSize);
            staged.add({key.parskup, key.parcis, key.parpod, 0, 0, 0, 0, 0, text, 0});
        }
    };
    try {
        for (const TParcGridRow& row : rows) {
            const int g = cellInt(row[0], 0);
            const int s = cellInt(row[1], 0);
            const int p = cellInt(row[2], 0);
            if (s == 0)
                continue;
            if (g != 0) {
                addParcel({g, s, p}, true);
                continue;
            }
            for (int group = 1; group <= 9; ++group)
                addParcel({group, s, p}, false);
        }
    } catch (...) {
        parcels.cancelRange();
        throw;
    }
    parcels.cancelRange();
    writeRows(work, staged.rows);
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
    Staged staged;
    const auto searchKey = [&](qint64 cpce, const QString& kind) {
        bool found = false;
        parcels.setRange({cpce}, {cpce});
        for (parcels.first(); !parcels.eof(); parcels.next()) {
            if (!KindAccepts(kind, parcels.asInteger(QStringLiteral("NEMVYUZ"))))
                continue;
            found = true;
            const QVariantList row =
                partRow(parcels, int(parcels.asInteger(QStringLiteral("PARSKUP"))),
                        int(parcels.asInteger(QStringLiteral("PARCIS"))));
            if (!staged.hasPart(row))
                staged.add(row);
        }
        return found;
    };
    parcels.setIndexName(QStringLiteral("CPCE"));
    try {
        for (const TParcGridRow& row : rows) {
            const int part = qMin(cellInt(row[0], -1), MaxPartOfMunicipality);
            const int house = qMin(cellInt(row[1], 0), HousePartFactor - 1);
            if (house <= 0)
                continue;
            bool found = false;
            if (part >= 0) {
                found = searchKey(house + qint64(part) * HousePartFactor, row[2]);
            } else {
                for (int p = 0; p <= MaxPartOfMunicipality; ++p)
                    found = searchKey(house + qint64(p) * HousePartFactor, row[2]) || found;
            }
            if (!found)
                throw ETalvekException(
                    QStringLiteral("Nenalezeno číslo popisné (evidenční) %1").arg(house));
        }
    } catch (...) {
        parcels.cancelRange();
        parcels.setIndexFieldNames(QString::fromLatin1(CadastralTables::ParcelIndexFields));
        writeRows(work, staged.rows);
        throw;
    }
    parcels.cancelRange();
    parcels.setIndexFieldNames(QString::fromLatin1(CadastralTables::ParcelIndexFields));
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
    for (int start = 0; start < rows.size(); start += RowsPerStatement) {
        const int end = qMin(int(rows.size()), start + RowsPerStatement);
        Query insert;
        insert.setDatabaseName(work.databaseName());
        QStringList sql{QStringLiteral("INSERT INTO ") + quotedFile(work) + QStringLiteral(" (") +
                        RowFields.join(QLatin1Char(',')) + QStringLiteral(",FLAG) VALUES")};
        for (int r = start; r < end; ++r) {
            QStringList values;
            for (int f = 0; f < RowFields.size(); ++f) {
                const QString name = QStringLiteral("V%1_%2").arg(r).arg(f);
                values << QLatin1Char(':') + name;
                insert.bindValue(name, rows[r][f]);
            }
            sql << QStringLiteral("(") + values.join(QLatin1Char(',')) + QStringLiteral(",TRUE)") +
                       (r + 1 < end ? QStringLiteral(",") : QString());
        }
        insert.setSql(sql);
        insert.execSql();
    }
    work.refresh();
}
