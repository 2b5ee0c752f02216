#include "select/core/TConditionSelector.h"

#include "base/ETalvekException.h"
#include "data/CadastralTables.h"
#include "data/ParcelNumber.h"
#include "data/WorkTable.h"
#include "db/Query.h"
#include "db/Table.h"

#include <QFileInfo>
#include <array>
#include <limits>

namespace {
constexpr int MapSheetPosition = 14;
constexpr int HouseNumberPosition = 10;
constexpr int SmallIntMax = std::numeric_limits<qint16>::max();

struct CodeTableAt
{
    int position;
    TConditionCodeTable table;
};
const std::array<CodeTableAt, 5> CodeTables{{
    {0, {"PARSKUP.DB", "PSKUP", 200}},
    {5, {"KVALVYM1.DB", "TEXT", 450}},
    {6, {"DRUHPOZ.DB", "ZKR", 120}},
    {13, {"VLAVZT.DB", "TEXT", 560}},
    {16, {"CHARUV.DB", "TEXT", 320}},
}};

const QString PartColumns =
    QStringLiteral("PARSKUP,PARCIS,PARPOD,PARDIL,VYMERA,DRUHPOZ,CPCE,NEMVYUZ,PARCISLO,LVCIS");
const QString JoinedColumns = QStringLiteral(
    "DB2.PARSKUP,DB2.PARCIS,DB2.PARPOD,DB2.PARDIL,DB2.VYMERA,DB2.DRUHPOZ,DB2.CPCE,DB2.NEMVYUZ,"
    "DB2.PARCISLO,DB2.LVCIS");
// CPCE is part of the municipality * 10000 + house number: "=" on a house
// number also finds it in parts 0 to 29.
const QString HousePartsIn =
    QStringLiteral(" IN (0, 10000, 20000, 30000, 40000, 50000, 60000, 70000, 80000, 90000,") +
    QStringLiteral("100000,110000,120000,130000,140000,150000,160000,170000,180000,190000,") +
    QStringLiteral("200000,210000,220000,230000,240000,250000,260000,270000,280000,290000)");

// A whole number from 0 up that fits 32 bits, as the value field takes it.
bool isCount(const QString& text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok && v >= 0;
}
} // namespace

const QStringList& TConditionSelector::Operators()
{
    static const QStringList ops{QStringLiteral("="), QStringLiteral(">"),  QStringLiteral(">="),
                                 QStringLiteral("<"), QStringLiteral("<="), QStringLiteral("<>")};
    return ops;
}

const TConditionCodeTable* TConditionSelector::CodeTable(int position)
{
    for (const CodeTableAt& c : CodeTables)
        if (c.position == position)
            return &c.table;
    return nullptr;
}

TConditionSelector::TConditionSelector(Table& parcels, Table& work, bool partsOnly)
    : m_parcels(parcels), m_work(work), m_partsOnly(partsOnly), m_history(work)
{
    if (!m_parcels.isActive())
        m_parcels.open();
    if (!m_work.isActive())
        m_work.open();
    m_fields = m_parcels.fields();
}

QStringList TConditionSelector::FieldItems() const
{
    QStringList items;
    for (int i = 0; i < m_fields.size(); ++i) {
        const QString caption = CadastralTables::ParcelFieldCaption(i, m_fields[i].name);
        items << (caption.isEmpty() ? m_fields[i].name : caption);
    }
    return items;
}

int TConditionSelector::FieldPosition(const QString& name) const
{
    return FieldTypes::indexOf(m_fields, name);
}

bool TConditionSelector::IsQuotedField(int position) const
{
    return position == MapSheetPosition || (position >= 0 && position == ParcisloPosition());
}

bool TConditionSelector::IsValidValue(int position, const QString& value) const
{
    const QString v = value.trimmed();
    return !v.isEmpty() && (IsQuotedField(position) || isCount(v));
}

void TConditionSelector::Check(const TCondition& c) const
{
    if (c.position < 0 || c.position >= m_fields.size())
        throw ETalvekException(QStringLiteral("Tabulka %1 nemá pole číslo %2.")
                                   .arg(m_parcels.tableName())
                                   .arg(c.position + 1));
    if (!Operators().contains(c.op))
        throw ETalvekException(QStringLiteral("Neznámý operátor „%1“ (platné jsou %2).")
                                   .arg(c.op, Operators().join(QLatin1Char(' '))));
    const FieldDef& field = m_fields[c.position];
    const QString v = c.value.trimmed();
    if (v.isEmpty())
        throw ETalvekException(
            QStringLiteral("Chybí hodnota podmínky pro pole %1.").arg(field.name));
    if (!IsValidValue(c.position, v))
        throw ETalvekException(QStringLiteral("Hodnota „%1“ pole %2 není celé číslo od 0 do %3.")
                                   .arg(v, field.name)
                                   .arg(std::numeric_limits<int>::max()));
    if (FieldTypes::isText(field.type)) {
        if (field.size > 0 && v.size() > field.size)
            throw ETalvekException(QStringLiteral("Hodnota „%1“ je delší než pole %2 (%3 znaků).")
                                       .arg(v, field.name)
                                       .arg(field.size));
        return;
    }
    if (!FieldTypes::isNumeric(field.type) || !isCount(v))
        throw ETalvekException(
            QStringLiteral("Hodnota „%1“ neodpovídá typu pole %2.").arg(v, field.name));
    if (field.type == FieldType::SmallInt && v.toInt() > SmallIntMax)
        throw ETalvekException(QStringLiteral("Hodnota %1 se nevejde do pole %2 (nejvýše %3).")
                                   .arg(v, field.name)
                                   .arg(SmallIntMax));
}

QString TConditionSelector::ConditionText(const TCondition& c) const
{
    const QString v = c.value.trimmed();
    return m_fields.value(c.position).name + c.op +
           (IsQuotedField(c.position) ? QLatin1Char('\'') + v + QLatin1Char('\'') : v);
}

QVariant TConditionSelector::boundValue(const TCondition& c) const
{
    const QString v = c.value.trimmed();
    // The parcel number is stored as printed ("-38"); the registry's "st. 38"
    // names the same building parcel.
    if (m_fields[c.position].name.compare(QLatin1String("PARCISLO"), Qt::CaseInsensitive) == 0)
        return JoinBuildingParcelMarks(v);
    if (FieldTypes::isText(m_fields[c.position].type))
        return v;
    return qint64(v.toInt());
}

TConditionSql TConditionSelector::Sql(const TCondition& c) const
{
    const QString name = m_fields.value(c.position).name;
    const QString table = QFileInfo(m_parcels.tableName()).fileName();
    const QString param = QString::fromLatin1(ValueParameter);
    const QString condition = name + c.op + param;
    TConditionSql sql;
    if (m_partsOnly) {
        sql.lines << QStringLiteral("SELECT ") + PartColumns
                  << QStringLiteral("FROM \"%1\" WHERE %2").arg(table, condition);
    } else {
        sql.lines << QStringLiteral("SELECT ") + JoinedColumns
                  << QStringLiteral("FROM \"%1\" DB1 LEFT JOIN \"%1\" DB2 ON DB1.PARCISLO = "
                                    "DB2.PARCISLO WHERE DB1.%2")
                         .arg(table, condition);
    }
    if (c.position == HouseNumberPosition && c.op == QLatin1String("="))
        sql.lines << (m_partsOnly ? QStringLiteral("OR ") : QStringLiteral("OR DB1.")) + name +
                         QLatin1Char('-') + param + HousePartsIn;
    sql.bindings.insert(param, boundValue(c));
    return sql;
}

QString TConditionSelector::HistoryLine(bool add, const TCondition& c, int count) const
{
    return QStringLiteral("%1 %2 %3 %4 => %5")
        .arg(add ? QStringLiteral("+") : QStringLiteral("-"), FieldItems().value(c.position), c.op,
             c.value.trimmed())
        .arg(count);
}

int TConditionSelector::Count() const
{
    return CountSelection(m_work, m_partsOnly);
}

QString TConditionSelector::startLine() const
{
    return QStringLiteral("  počáteční stav => ") + QString::number(Count());
}

void TConditionSelector::Start()
{
    m_history.start(startLine());
}

bool TConditionSelector::Step(bool add, const TCondition& condition)
{
    if (!CanStep())
        return false;
    Check(condition);
    const TConditionSql sql = Sql(condition);
    return m_history.step(
        [&] {
            Query query;
            query.setDatabaseName(m_parcels.databaseName());
            query.setSql(sql.lines);
            for (auto it = sql.bindings.cbegin(); it != sql.bindings.cend(); ++it)
                query.bindValue(it.key(), it.value());
            query.open();
            CopyIntoWorkAndMark(query, m_work,
                                add ? BatchMove::Mode::AppendUpdate : BatchMove::Mode::Delete);
        },
        [&] { return HistoryLine(add, condition, Count()); });
}

void TConditionSelector::Recall(int line)
{
    m_history.recall(line);
}

void TConditionSelector::Clear()
{
    m_history.clear([this] { return startLine(); });
}
