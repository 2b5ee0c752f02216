#include "data/WorkTable.h"

#include "app/core/ETalvekException.h"
#include "data/ParcelNumber.h"
#include "data/ValueFormats.h"
#include "db/Engine.h"
#include "db/Query.h"
#include "db/Table.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr int ParcelTextSize = 12;

FieldDef workField(const char* name, FieldType type, bool required, int size = 0)
{
    return {QString::fromLatin1(name), type, size, required, 0};
}

// The table's SQL name: its file name in double quotes, as the program's SQL
// writes Paradox tables.
QString quotedTableName(const Table& table)
{
    return QLatin1Char('"') + QFileInfo(table.tableName()).fileName() + QLatin1Char('"');
}

int countRows(Table& work, const QString& select)
{
    Query query;
    query.setDatabaseName(work.databaseName());
    query.setSql(select + QStringLiteral(" FROM ") + quotedTableName(work));
    query.open();
    return query.recordCount();
}

// Whether the work table already holds the parcel (partial key of two or,
// with a subdivision, three fields).
bool workHasParcel(Table& work, const ParcelKey& key)
{
    Query query;
    query.setDatabaseName(work.databaseName());
    QStringList sql{QStringLiteral("SELECT PARSKUP FROM ") + quotedTableName(work),
                    QStringLiteral("WHERE PARSKUP = :SKUP AND PARCIS = :CIS")};
    if (key.parpod != 0)
        sql.append(QStringLiteral("AND PARPOD = :POD"));
    query.setSql(sql);
    query.bindValue(QStringLiteral("SKUP"), key.parskup);
    query.bindValue(QStringLiteral("CIS"), key.parcis);
    if (key.parpod != 0)
        query.bindValue(QStringLiteral("POD"), key.parpod);
    query.open();
    return !query.isEmpty();
}

void appendWorkRow(Table& work, const ParcelKey& key, const QVariantList& data)
{
    static const char* const dataFields[] = {"PARDIL",  "VYMERA",   "DRUHPOZ", "CPCE",
                                             "NEMVYUZ", "PARCISLO", "LVCIS"};
    work.append();
    work.setValue(QStringLiteral("FLAG"), true);
    work.setValue(QStringLiteral("PARSKUP"), key.parskup);
    work.setValue(QStringLiteral("PARCIS"), key.parcis);
    work.setValue(QStringLiteral("PARPOD"), key.parpod);
    for (int i = 0; i < int(std::size(dataFields)); ++i)
        work.setValue(QString::fromLatin1(dataFields[i]), data[i]);
    work.post();
}

// Areas and house numbers are whole numbers stored as floating values in
// the registry; the work table keeps them as integers.
QVariant wholeValue(const Table& parcels, const char* field)
{
    return WholeNumber(parcels.asFloat(QString::fromLatin1(field)));
}

int copyParcelParts(Table& work, Table& parcels, const ParcelKey& key)
{
    QVariantList range{key.parskup, key.parcis};
    if (key.parpod != 0)
        range.append(key.parpod);
    parcels.setRange(range, range);
    int added = 0;
    try {
        for (parcels.first(); !parcels.eof(); parcels.next()) {
            const ParcelKey partKey{key.parskup, key.parcis,
                                    int(parcels.asInteger(QStringLiteral("PARPOD")))};
            appendWorkRow(
                work, partKey,
                {parcels.asInteger(QStringLiteral("PARDIL")), wholeValue(parcels, "VYMERA"),
                 parcels.asInteger(QStringLiteral("DRUHPOZ")), wholeValue(parcels, "CPCE"),
                 parcels.asInteger(QStringLiteral("NEMVYUZ")),
                 parcels.asString(QStringLiteral("PARCISLO")),
                 parcels.asInteger(QStringLiteral("LVCIS"))});
            ++added;
        }
    } catch (...) {
        parcels.cancelRange();
        throw;
    }
    parcels.cancelRange();
    return added;
}

} // namespace

QString HistoryTableName(int n)
{
    return QStringLiteral("PRAC_") + QString::number(n) + QStringLiteral(".DB");
}

QList<FieldDef> WorkTableFields()
{
    return {workField("PARSKUP", FieldType::SmallInt, true),
            workField("PARCIS", FieldType::Integer, true),
            workField("PARPOD", FieldType::SmallInt, true),
            workField("PARDIL", FieldType::SmallInt, true),
            workField("VYMERA", FieldType::Integer, false),
            workField("DRUHPOZ", FieldType::SmallInt, false),
            workField("CPCE", FieldType::Integer, false),
            workField("NEMVYUZ", FieldType::SmallInt, false),
            workField("PARCISLO", FieldType::String, true, ParcelTextSize),
            workField("LVCIS", FieldType::Integer, false),
            workField("FLAG", FieldType::Boolean, false)};
}

QList<IndexDef> WorkTableIndexes()
{
    IndexDef primary;
    primary.name = QString::fromLatin1(WorkTableIndex);
    primary.fields = {QStringLiteral("PARSKUP"), QStringLiteral("PARCIS"), QStringLiteral("PARPOD"),
                      QStringLiteral("PARDIL")};
    primary.primary = true;
    primary.unique = true;
    return {primary};
}

void CreateWorkTable(Table& table)
{
    table.setFieldDefs(WorkTableFields());
    table.setIndexDefs(WorkTableIndexes());
    try {
        table.createTable();
    } catch (const ETalvekException& e) {
        const QString path = QDir(table.databaseName()).filePath(table.tableName());
        throw ETalvekException(QStringLiteral("Pracovní tabulku %1 nelze vytvořit: %2")
                                   .arg(QDir::toNativeSeparators(path), e.message()));
    }
    table.open();
}

void OpenOrCreateWorkTable(Table& table, const QString& fullPath)
{
    const QFileInfo info(fullPath);
    table.close();
    table.setDatabaseName(info.absolutePath());
    table.setTableName(info.fileName());
    if (table.exists())
        table.open();
    else
        CreateWorkTable(table);
}

void EmptyWorkTable(Table& table)
{
    table.emptyTable();
}

int AddParcelToWork(const QString& text, Table& work, Table& parcels, bool addIfMissing)
{
    const ParcelKey key = ParseParcelNumber(text);
    if (workHasParcel(work, key))
        return 0;
    const int added = copyParcelParts(work, parcels, key);
    if (added > 0 || !addIfMissing)
        return added;
    // PARCISLO holds at most 12 characters and may not be blank.
    QString shown = text.trimmed().left(ParcelTextSize);
    if (shown.isEmpty())
        shown = FormatParcelNumber(key);
    appendWorkRow(work, key, {0, 0, 0, 0, 0, shown, 0});
    return 1;
}

void CopyIntoWork(Dataset& source, Table& work, BatchMove::Mode mode)
{
    BatchMove::execute(source, work, mode);
}

void CopyIntoWorkAndMark(Dataset& source, Table& work, BatchMove::Mode mode)
{
    CopyIntoWork(source, work, mode);
    MarkAll(work);
}

void MarkAll(Table& work)
{
    Query query;
    query.setDatabaseName(work.databaseName());
    query.setSql(QStringLiteral("UPDATE ") + quotedTableName(work) +
                 QStringLiteral(" SET FLAG = TRUE"));
    query.execSql();
    if (work.isActive())
        work.refresh();
}

int CountSelection(Table& work, bool parts)
{
    return parts ? countRows(work, QStringLiteral("SELECT PARSKUP"))
                 : countRows(work, QStringLiteral("SELECT DISTINCT PARCISLO"));
}

void DeleteHistoryTables(const QString& directory)
{
    for (int n = 0;; ++n) {
        const QString path = ParadoxFiles::resolveCaseInsensitive(directory, HistoryTableName(n));
        if (path.isEmpty())
            return;
        Engine::instance().deleteTable(path);
    }
}
