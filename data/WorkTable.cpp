#include "data/WorkTable.h"

#include "base/ETalvekException.h"
#include "data/ParcelNumber.h"
#include "data/ValueFormats.h"
#include "db/Engine.h"
#include "db/LoadedTable.h"
#include "db/Query.h"
#include "db/SqliteDatabase.h"
#include "db/SqliteStatement.h"
#include "db/ValueConvert.h"
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

// Group and subdivision are 16-bit fields in the registry and the work table.
void checkStorable(const QString& text, const ParcelKey& key)
{
    const auto fits = [](int v) { return v >= -32768 && v <= 32767; };
    if (!fits(key.parskup) || !fits(key.parpod))
        throw ETalvekException(
            QStringLiteral("Parcelní číslo \"%1\" je mimo povolený rozsah.").arg(text.trimmed()));
}

// Adds parcels inside one change of the engine, so that the work table file
// is written once for the whole list rather than once per part.
class ParcelAdder
{
public:
    ParcelAdder(LoadedTable& work, LoadedTable& parcels)
        : m_work(work), m_db(Engine::instance().db().handle())
    {
        const QString w = SqliteDatabase::quoteIdentifier(work.sqlName);
        const QString p = SqliteDatabase::quoteIdentifier(parcels.sqlName);
        const QString parcelOf = QStringLiteral(" WHERE PARSKUP = ?1 AND PARCIS = ?2");
        const QString withSub = QStringLiteral(" AND PARPOD = ?3");
        const QString partFields = QStringLiteral(
            "SELECT PARPOD, PARDIL, VYMERA, DRUHPOZ, CPCE, NEMVYUZ, PARCISLO, LVCIS FROM ");
        const QString order = QStringLiteral(" ORDER BY PARSKUP, PARCIS, PARPOD, PARDIL");
        m_inWork[0] = SqliteStatement(m_db, QStringLiteral("SELECT 1 FROM ") + w + parcelOf);
        m_inWork[1] =
            SqliteStatement(m_db, QStringLiteral("SELECT 1 FROM ") + w + parcelOf + withSub);
        m_parts[0] = SqliteStatement(m_db, partFields + p + parcelOf + order);
        m_parts[1] = SqliteStatement(m_db, partFields + p + parcelOf + withSub + order);
        QStringList columns, marks;
        for (const char* name : insertedFields) {
            columns.append(SqliteDatabase::quoteIdentifier(QString::fromLatin1(name)));
            marks.append(QStringLiteral("?%1").arg(marks.size() + 1));
        }
        m_insert = SqliteStatement(m_db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                             .arg(w, columns.join(u','), marks.join(u',')));
    }

    int add(const QString& text, bool addIfMissing)
    {
        const ParcelKey key = ParseParcelNumber(text);
        const int variant = key.parpod != 0 ? 1 : 0;
        if (find(m_inWork[variant], key))
            return 0;
        int added = 0;
        SqliteStatement& parts = m_parts[variant];
        bind(parts, key);
        while (parts.step()) {
            // FLAG, PARSKUP and PARCIS as parsed; the rest from the part.
            QVariantList row{true, key.parskup, key.parcis};
            for (int column = 0; column < 8; ++column)
                row.append(parts.value(column));
            insert(row);
            ++added;
        }
        parts.reset();
        if (added > 0 || !addIfMissing)
            return added;
        // PARCISLO holds at most 12 characters and may not be blank.
        QString shown = text.trimmed().left(ParcelTextSize);
        if (shown.isEmpty())
            shown = FormatParcelNumber(key);
        insert({true, key.parskup, key.parcis, key.parpod, 0, 0, 0, 0, 0, shown, 0});
        return 1;
    }

private:
    static constexpr const char* insertedFields[] = {"FLAG",    "PARSKUP",  "PARCIS",  "PARPOD",
                                                     "PARDIL",  "VYMERA",   "DRUHPOZ", "CPCE",
                                                     "NEMVYUZ", "PARCISLO", "LVCIS"};

    static void bind(SqliteStatement& statement, const ParcelKey& key)
    {
        statement.bindInt64(1, key.parskup);
        statement.bindInt64(2, key.parcis);
        if (statement.parameterCount() > 2)
            statement.bindInt64(3, key.parpod);
    }

    static bool find(SqliteStatement& statement, const ParcelKey& key)
    {
        bind(statement, key);
        const bool found = statement.step();
        statement.reset();
        return found;
    }

    // Values are stored as the work table's fields keep them: areas and
    // house numbers rounded to whole numbers (half to even), texts cut.
    void insert(const QVariantList& values)
    {
        const QList<FieldDef>& fields = m_work.fields();
        for (int i = 0; i < values.size(); ++i) {
            const int field = FieldTypes::indexOf(fields, QString::fromLatin1(insertedFields[i]));
            m_insert.bind(i + 1, ValueConvert::toStorage(values[i], fields[field]));
        }
        m_insert.step();
        m_insert.reset();
    }

    LoadedTable& m_work;
    sqlite3* m_db;
    SqliteStatement m_inWork[2];
    SqliteStatement m_parts[2];
    SqliteStatement m_insert;
};

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
    return AddParcelsToWork({text}, work, parcels, addIfMissing);
}

int AddParcelsToWork(const QStringList& texts, Table& work, Table& parcels, bool addIfMissing)
{
    QList<ParcelRequest> requests;
    requests.reserve(texts.size());
    for (const QString& text : texts)
        requests.append({text, addIfMissing});
    return AddParcelsToWork(requests, work, parcels);
}

int AddParcelsToWork(const QList<ParcelRequest>& requests, Table& work, Table& parcels)
{
    if (!work.isActive())
        work.open();
    if (!parcels.isActive())
        parcels.open();
    if (!work.canModify())
        throw ETalvekException(
            QStringLiteral("Pracovní tabulku %1 nelze měnit.").arg(work.tableName()));
    // Every number is checked before the first row goes in, so that a bad one
    // leaves the work table as it was.
    for (const ParcelRequest& request : requests)
        checkStorable(request.text, ParseParcelNumber(request.text));
    LoadedTable* workTable = work.loadedTable();
    int added = 0;
    Engine::instance().runChange({workTable}, [&] {
        ParcelAdder adder(*workTable, *parcels.loadedTable());
        for (const ParcelRequest& request : requests)
            added += adder.add(request.text, request.addIfMissing);
    });
    work.refresh();
    return added;
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
