#include "db/SqliteDatabase.h"

#include "base/ETalvekException.h"
#include "db/CzechCollation.h"
#include "db/ValueConvert.h"

#include <sqlite3.h>

namespace {

QVariant argumentValue(sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_value_int64(v)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_value_double(v));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                                          sqlite3_value_bytes(v)));
    case SQLITE_BLOB:
        return QVariant(
            QByteArray(static_cast<const char*>(sqlite3_value_blob(v)), sqlite3_value_bytes(v)));
    default:
        return QVariant();
    }
}

void setResult(sqlite3_context* ctx, const QVariant& value)
{
    if (!value.isValid() || value.isNull()) {
        sqlite3_result_null(ctx);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::LongLong:
        sqlite3_result_int64(ctx, value.toLongLong());
        break;
    case QMetaType::Double:
        sqlite3_result_double(ctx, value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray b = value.toByteArray();
        sqlite3_result_blob(ctx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    }
}

void castFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto* code = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    const int size = sqlite3_value_int(argv[2]);
    setResult(ctx, ValueConvert::toStorage(argumentValue(argv[0]), code ? code[0] : 'X', size));
}

void roundFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
    } else if (sqlite3_value_type(argv[0]) == SQLITE_FLOAT &&
               !ValueConvert::fitsInteger(sqlite3_value_double(argv[0]))) {
        const QByteArray message =
            QStringLiteral("Číslo %1 nelze zaokrouhlit na celé číslo: je mimo rozsah")
                .arg(sqlite3_value_double(argv[0]))
                .toUtf8();
        sqlite3_result_error(ctx, message.constData(), int(message.size()));
    } else
        sqlite3_result_int64(ctx, ValueConvert::toInteger(argumentValue(argv[0])));
}

// UPPER of the program's SQL: every letter upper-cased, Czech ones included
// (the engine's own upper() changes only ASCII letters).
void upperFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const QByteArray upper =
        QString::fromUtf8(text, sqlite3_value_bytes(argv[0])).toUpper().toUtf8();
    sqlite3_result_text(ctx, upper.constData(), int(upper.size()), SQLITE_TRANSIENT);
}

int czechCollation(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    return CzechCollation::compareUtf8(static_cast<const char*>(a), lengthA,
                                       static_cast<const char*>(b), lengthB);
}

QString afterPrefix(const QString& message, const QString& prefix)
{
    return message.mid(prefix.size()).trimmed();
}

} // namespace

SqliteDatabase::SqliteDatabase()
{
    if (sqlite3_open(":memory:", &m_db) != SQLITE_OK)
        throw ETalvekException(QStringLiteral("Databázový stroj nelze spustit"));
    // The rollback journal stays (in memory): a change whose file cannot be
    // written is rolled back, which a journal mode of OFF would not allow.
    exec(QStringLiteral("PRAGMA journal_mode=MEMORY"));
    exec(QStringLiteral("PRAGMA synchronous=OFF"));
    exec(QStringLiteral("PRAGMA temp_store=MEMORY"));
    // The program's LIKE distinguishes upper and lower case.
    exec(QStringLiteral("PRAGMA case_sensitive_like=ON"));
    registerFunctions();
}

SqliteDatabase::~SqliteDatabase()
{
    sqlite3_close_v2(m_db);
}

void SqliteDatabase::registerFunctions()
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(m_db, "orv_cast", 3, flags, nullptr, &castFunction, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(m_db, "orv_round", 1, flags, nullptr, &roundFunction, nullptr,
                               nullptr, nullptr);
    sqlite3_create_function_v2(m_db, "upper", 1, flags, nullptr, &upperFunction, nullptr, nullptr,
                               nullptr);
    sqlite3_create_collation_v2(m_db, CzechCollation::sqlName, SQLITE_UTF8, nullptr,
                                &czechCollation, nullptr);
}

void SqliteDatabase::exec(const QString& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        sqlite3_free(error);
        throw ETalvekException(errorMessage(m_db));
    }
}

qint64 SqliteDatabase::changes() const
{
    return sqlite3_changes(m_db);
}

qint64 SqliteDatabase::totalChanges() const
{
    return sqlite3_total_changes64(m_db);
}

qint64 SqliteDatabase::lastInsertRowId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

QString SqliteDatabase::errorMessage(sqlite3* db)
{
    const QString message = QString::fromUtf8(sqlite3_errmsg(db));
    if (message.startsWith(QLatin1String("no such column:")))
        return QStringLiteral("Neznámá položka '%1'")
            .arg(afterPrefix(message, QStringLiteral("no such column:")));
    if (message.startsWith(QLatin1String("no such table:")))
        return QStringLiteral("Neznámá tabulka '%1'")
            .arg(afterPrefix(message, QStringLiteral("no such table:")));
    if (message.startsWith(QLatin1String("ambiguous column name:")))
        return QStringLiteral("Nejednoznačná položka '%1'")
            .arg(afterPrefix(message, QStringLiteral("ambiguous column name:")));
    if (message.startsWith(QLatin1String("UNIQUE constraint failed")))
        return QStringLiteral("Porušení klíče: záznam s tímto klíčem již v tabulce je");
    if (message.contains(QLatin1String("syntax error")))
        return QStringLiteral("Chyba syntaxe příkazu SQL (%1)").arg(message);
    return QStringLiteral("Chyba databázového stroje: %1").arg(message);
}

QString SqliteDatabase::quoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(u'"', QLatin1String("\"\""));
    return u'"' + quoted + u'"';
}

SqliteDatabase::Savepoint::Savepoint(SqliteDatabase& db)
    : m_db(db), m_name(QStringLiteral("sp%1").arg(++db.m_savepointCounter))
{
    m_db.exec(QStringLiteral("SAVEPOINT ") + m_name);
}

SqliteDatabase::Savepoint::~Savepoint()
{
    if (m_done)
        return;
    try {
        m_db.exec(QStringLiteral("ROLLBACK TO ") + m_name);
        m_db.exec(QStringLiteral("RELEASE ") + m_name);
    } catch (const ETalvekException&) {
        // Nothing more can be done while unwinding.
    }
}

void SqliteDatabase::Savepoint::commit()
{
    m_db.exec(QStringLiteral("RELEASE ") + m_name);
    m_done = true;
}

QString SqliteDatabase::createTableSql(const QString& sqlName, const QList<FieldDef>& fields)
{
    QStringList columns;
    for (const FieldDef& f : fields)
        columns.append(quoteIdentifier(f.name) + u' ' + FieldTypes::sqlDeclType(f.type));
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(quoteIdentifier(sqlName), columns.join(QStringLiteral(", ")));
}
