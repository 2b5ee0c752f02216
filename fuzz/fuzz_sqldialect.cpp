// libFuzzer target: the SQL dialect translator and the filter translator must
// turn any text into a translation or an ETalvekException, never a crash. A
// translated statement must also be accepted or refused cleanly by SQLite.
#include "base/ETalvekException.h"
#include "db/FilterTranslator.h"
#include "db/SqlTranslator.h"
#include "db/SqliteDatabase.h"
#include "db/SqliteStatement.h"

#include <QString>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SqliteDatabase db;
    static bool created = false;
    if (!created) {
        db.exec("CREATE TABLE t (PARSKUP SHORT_INT, NAZEV ALPHA_TEXT, FLAG LOGICAL_INT)");
        created = true;
    }
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<FieldDef> fields{{"PARSKUP", FieldType::SmallInt},
                                 {"NAZEV", FieldType::String, 30},
                                 {"FLAG", FieldType::Boolean}};
    auto resolver = [&](const QString&) {
        return SqlTranslator::TableInfo{"/x/T.DB", "t", fields};
    };
    try {
        const SqlTranslator::Result r = SqlTranslator::translate(text, resolver);
        if (r.kind == SqlTranslator::Kind::Select)
            SqliteStatement(db.handle(), r.sql); // prepared only, never run
    } catch (const ETalvekException&) {
    }
    try {
        QVariantMap params;
        const QString where = FilterTranslator::translate(text, fields, params);
        if (!where.isEmpty()) {
            SqliteStatement stmt(db.handle(), "SELECT rowid FROM t WHERE " + where);
            for (auto it = params.begin(); it != params.end(); ++it)
                stmt.bind(stmt.parameterIndex(it.key()), it.value());
            stmt.step();
        }
    } catch (const ETalvekException&) {
    }
    return 0;
}
