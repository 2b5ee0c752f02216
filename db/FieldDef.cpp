#include "db/FieldDef.h"

#include <array>
#include <utility>

namespace {
// Every declared type contains the affinity word SQLite looks for.
constexpr std::array<std::pair<FieldType, const char*>, 13> kDeclTypes{{
    {FieldType::String, "ALPHA_TEXT"},
    {FieldType::SmallInt, "SHORT_INT"},
    {FieldType::Integer, "LONG_INT"},
    {FieldType::AutoInc, "AUTOINC_INT"},
    {FieldType::Float, "NUMBER_REAL"},
    {FieldType::Currency, "MONEY_REAL"},
    {FieldType::Bcd, "BCD_REAL"},
    {FieldType::Boolean, "LOGICAL_INT"},
    {FieldType::Date, "DATE_TEXT"},
    {FieldType::Time, "TIME_TEXT"},
    {FieldType::DateTime, "STAMP_TEXT"},
    {FieldType::Memo, "MEMO_TEXT"},
    {FieldType::Blob, "BLOB"},
}};
} // namespace

namespace FieldTypes {

bool isIntegral(FieldType type)
{
    return type == FieldType::SmallInt || type == FieldType::Integer || type == FieldType::AutoInc;
}

bool isNumeric(FieldType type)
{
    return isIntegral(type) || type == FieldType::Float || type == FieldType::Currency ||
           type == FieldType::Bcd;
}

bool isText(FieldType type)
{
    return type == FieldType::String || type == FieldType::Memo;
}

QString sqlDeclType(FieldType type)
{
    for (const auto& [t, name] : kDeclTypes)
        if (t == type)
            return QString::fromLatin1(name);
    return QStringLiteral("BLOB");
}

FieldType fromSqlDeclType(const QString& declType, FieldType fallback)
{
    const QString upper = declType.toUpper();
    for (const auto& [t, name] : kDeclTypes)
        if (upper == QLatin1String(name))
            return t;
    if (upper.contains(QLatin1String("INT")))
        return FieldType::Integer;
    if (upper.contains(QLatin1String("CHAR")) || upper.contains(QLatin1String("TEXT")))
        return FieldType::String;
    if (upper.contains(QLatin1String("REAL")) || upper.contains(QLatin1String("FLOA")) ||
        upper.contains(QLatin1String("DOUB")) || upper.contains(QLatin1String("NUM")))
        return FieldType::Float;
    return fallback;
}

int indexOf(const QList<FieldDef>& fields, const QString& name)
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QStringList names(const QList<FieldDef>& fields)
{
    QStringList result;
    for (const FieldDef& f : fields)
        result.append(f.name);
    return result;
}

} // namespace FieldTypes
