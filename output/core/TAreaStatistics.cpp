#include "output/core/TAreaStatistics.h"

#include "base/ETalvekException.h"
#include "base/Format.h"
#include "data/CadastralTables.h"
#include "data/ParcelTable.h"
#include "db/Engine.h"
#include "db/Query.h"
#include "db/Table.h"

#include <QHash>

namespace {
using Series = TAreaStatistics::Series;
using Rule = TAreaStatistics::RowRule;

QList<Rule> buildRules()
{
    QList<Rule> rules;
    for (int kind = 2; kind <= 14; ++kind)
        if (kind != 12) // kind 12 is counted in no line and no total
            rules.append({kind, "", kind, 0, 0, Series::LandKinds});
    // Each use line takes the old registry's codes (bounds) and the codes of
    // today that share their meaning (VFK's ZPVYPO, as a district made from
    // an exchange file keeps them); the two lists overlap only in 14/30.
    const Rule uses[] = {
        {21, "budova-lesní pozemek", 10, 26, 0, Series::None, {5}},
        {22, "rybník", 11, 111, 0, Series::None, {6}},
        {23, "tok přírodní", 11, 120, 0, Series::None, {7}},
        {24, "tok umělý", 11, 121, 0, Series::None, {8}},
        {25, "vodní nádrž přírodní", 11, 122, 0, Series::None, {9}},
        {26, "vodní nádrž umělá", 11, 123, 0, Series::None, {10}},
        {27, "močál-mokřaď", 11, 124, 0, Series::None, {11}},
        {28, "průmyslový objekt", 13, 100, 109, Series::BuiltUp},
        {29, "zemědělská usedlost", 13, 200, 209, Series::BuiltUp},
        {30, "zemědělská hosp.budova", 13, 210, 219, Series::BuiltUp},
        {31, "objekt dopravy", 13, 300, 309, Series::BuiltUp},
        {32, "objekt bydlení", 13, 400, 409, Series::BuiltUp},
        {33, "rekreační objekt", 13, 420, 429, Series::BuiltUp},
        {34, "objekt les.hospodářství", 13, 500, 509, Series::BuiltUp},
        {35, "občanská vybavenost", 13, 600, 609, Series::BuiltUp},
        {36, "technická vybavenost", 13, 700, 709, Series::BuiltUp},
        {37, "ostatní stavební objekt", 13, 900, 909, Series::BuiltUp},
        {38, "dráhy-provozní plochy", 14, 30, 0, Series::OtherAreas, {14}},
        {39, "silnice", 14, 31, 32, Series::OtherAreas, {15, 16}},
        {40, "ostatní komunikace", 14, 33, 0, Series::OtherAreas, {17, 18}},
        {41, "zeleň v zástavbě", 14, 40, 0, Series::OtherAreas, {19}},
        {42, "ostatní veřejná zeleň", 14, 41, 0, Series::OtherAreas},
        {43, "hřiště-stadion", 14, 50, 0, Series::OtherAreas},
        {44, "koupaliště", 14, 51, 0, Series::OtherAreas},
        {45, "ostatní sportoviště", 14, 52, 0, Series::OtherAreas, {20}},
        {46, "soukromá rekreace", 14, 54, 0, Series::OtherAreas},
        {47, "hřbitov", 14, 60, 0, Series::OtherAreas, {21}},
        {48, "manipulační plocha", 14, 70, 0, Series::OtherAreas, {23}},
        {49, "těžba surovin", 14, 71, 0, Series::OtherAreas, {24}},
        {50, "řízená skládka", 14, 73, 0, Series::OtherAreas, {25}},
        {51, "jiná plocha", 14, 90, 0, Series::OtherAreas, {12, 13, 22, 26, 29}},
        {52, "staveniště", 14, 91, 0, Series::OtherAreas},
        {53, "svah, skála", 14, 92, 0, Series::OtherAreas, {27}},
    };
    for (const Rule& s : uses)
        rules.append(s);
    return rules;
}

// Kind of land 14, use 30: "dráhy-provozní plochy" (row 38) in the old code
// list, "mez, stráň" (row 53) today. Which one a part means depends on the
// district's origin.
constexpr int TwoMeaningKind = 14;
constexpr int TwoMeaningUse = 30;
constexpr int TwoMeaningOldRow = 38;
constexpr int TwoMeaningTodayRow = 53;

// The use condition of a line: its old codes or its codes of today.
QString useCondition(const Rule& rule, DistrictOrigin::Kind origin)
{
    QString old;
    if (rule.useTo > 0)
        old = Format(QStringLiteral("NEMVYUZ >= %d AND NEMVYUZ <= %d"), rule.useFrom, rule.useTo);
    else if (rule.useFrom > 0)
        old = Format(QStringLiteral("NEMVYUZ = %d"), rule.useFrom);
    QList<int> today = rule.todayUses;
    if (origin == DistrictOrigin::Kind::Vfk && rule.kind == TwoMeaningKind) {
        if (rule.row == TwoMeaningOldRow)
            old.clear(); // its only old code means the slope today
        if (rule.row == TwoMeaningTodayRow)
            today.append(TwoMeaningUse);
    }
    QStringList codes;
    for (int use : today)
        codes.append(QString::number(use));
    const QString current =
        codes.isEmpty() ? QString() : QStringLiteral("NEMVYUZ IN (%1)").arg(codes.join(u','));
    if (old.isEmpty() && current.isEmpty())
        return {};
    if (old.isEmpty() || current.isEmpty())
        return QStringLiteral("AND ") + old + current;
    return QStringLiteral("AND (%1 OR %2)").arg(old, current);
}

// Sum (square metres) and count of the first row of an aggregate query.
QPair<double, qint64> sumAndCount(Query& query)
{
    query.open();
    const QPair<double, qint64> result{query.value(0).toDouble(), query.value(1).toLongLong()};
    query.close();
    return result;
}

QString stripLeadingZeros(QString text)
{
    while (text.startsWith(u'0'))
        text.remove(0, 1);
    return text;
}
} // namespace

const QList<TAreaStatistics::RowRule>& TAreaStatistics::Rules()
{
    static const QList<RowRule> rules = buildRules();
    return rules;
}

int TAreaStatistics::LineOf(int row)
{
    if (row >= 2 && row <= 11)
        return row - 1;
    if (row == 13)
        return 16;
    if (row == 14)
        return 26;
    if (row >= 21 && row <= 53)
        return row - 12;
    return -1;
}

QString TAreaStatistics::HectaresText(double areaM2, const QLocale& locale)
{
    return Format(QStringLiteral("%6.4f "), {areaM2 / 10000.0}, locale);
}

QString TAreaStatistics::CountText(qint64 count)
{
    return Format(QStringLiteral("%d "), count);
}

TAreaStatistics::TAreaStatistics(QString workDbPath, QString alias, QString suffix)
    : m_workDbPath(std::move(workDbPath)), m_alias(std::move(alias)), m_suffix(std::move(suffix))
{
}

QString TAreaStatistics::ParcelTable() const
{
    return CadastralTables::PerAreaTable(CadastralTables::ParcelPrefix, m_suffix);
}

const TAreaStatistics::Row* TAreaStatistics::RowAt(int row) const
{
    for (const Row& r : m_rows)
        if (r.rule.row == row)
            return &r;
    return nullptr;
}

void TAreaStatistics::Run(const StepFn& step)
{
    m_rows.clear();
    m_totalArea = 0;
    m_totalCount = 0;
    ReadTitle();
    ReadLandKindNames();
    m_origin = DistrictOrigin::Of(Engine::instance().directoryOf(m_alias));
    for (const RowRule& rule : Rules()) {
        ComputeRow(rule);
        if (step && step())
            throw ETalvekException(QStringLiteral("Operace byla přerušena"));
    }
    CountHouses();
    CountSimplifiedRegister();
}

QList<QString> TAreaStatistics::CatalogueRow(const QString& condition, const QString& key,
                                             const QStringList& fields) const
{
    Query query;
    query.setDatabaseName(m_alias);
    // The key goes in as a parameter: an area code typed on the command line
    // never becomes part of the statement.
    query.setSql({QStringLiteral("SELECT %1 FROM \"%2\"")
                      .arg(fields.join(QStringLiteral(", ")),
                           QString::fromLatin1(CadastralTables::CatalogueTable)),
                  QStringLiteral("WHERE %1 = :KEY").arg(condition)});
    query.bindValue(QStringLiteral("KEY"), key);
    query.open();
    if (query.isEmpty())
        throw ETalvekException(
            QStringLiteral("Katalog %1 neobsahuje řádek %2 = '%3'.")
                .arg(QString::fromLatin1(CadastralTables::CatalogueTable), condition, key));
    QList<QString> values;
    for (const QString& f : fields)
        values.append(query.asString(f));
    return values;
}

void TAreaStatistics::ReadTitle()
{
    const QStringList area =
        CatalogueRow(QStringLiteral("PORCIS"), m_suffix, {"KATUZ", "IDENTCIS", "NAZEV"});
    m_title.Katuz = area.at(0);
    m_title.KUIdent = area.at(1);
    m_title.KUName = area.at(2);
    m_title.KUCis = m_suffix;
    const QStringList obec =
        CatalogueRow(QStringLiteral("KATUZ"), m_title.Katuz.left(3) + QStringLiteral("00"),
                     {"IDENTCIS", "NAZEV"});
    m_title.ObceIdent = obec.at(0);
    m_title.ObceName = u' ' + obec.at(1);
    const QStringList okres =
        CatalogueRow(QStringLiteral("KATUZ"), QStringLiteral("00000"), {"IDENTCIS", "NAZEV"});
    m_title.OkresName = u' ' + okres.at(1);
    m_title.OkresIdent = stripLeadingZeros(okres.at(0));
    m_title.BigIdent = m_title.OkresIdent + m_title.Katuz;
}

void TAreaStatistics::ReadLandKindNames()
{
    m_kindNames.clear();
    Table pskup;
    OpenCodeTable(pskup, m_workDbPath + u'/', CadastralTables::LandKindTable);
    for (pskup.first(); !pskup.eof(); pskup.next())
        m_kindNames.append(
            {int(pskup.asInteger(QStringLiteral("CIS"))), pskup.asString(QStringLiteral("TEXT"))});
    pskup.close();
}

QString TAreaStatistics::LandKindName(int kind) const
{
    for (const auto& [cis, text] : m_kindNames)
        if (cis == kind)
            return u' ' + text;
    return {}; // a kind missing from the code table is still counted
}

void TAreaStatistics::ComputeRow(const RowRule& rule)
{
    Query query;
    query.setDatabaseName(m_alias);
    QStringList sql{Format(QStringLiteral("SELECT SUM(VYMERA), COUNT(VYMERA) FROM \"%s\" WHERE "
                                          "PARSKUP <= 2 AND DRUHPOZ = %d"),
                           ParcelTable(), rule.kind)};
    const QString use = useCondition(rule, m_origin);
    if (!use.isEmpty())
        sql.append(use);
    query.setSql(sql);
    Row row;
    row.rule = rule;
    row.name = rule.row < 20 ? LandKindName(rule.kind) : u' ' + QString::fromUtf8(rule.name);
    std::tie(row.areaM2, row.count) = sumAndCount(query);
    if (rule.row < 20) { // the uses never enter the totals
        m_totalArea += row.areaM2;
        m_totalCount += row.count;
    }
    m_rows.append(row);
}

void TAreaStatistics::CountHouses()
{
    m_housesCp = 0;
    m_housesCe = 0;
    Query query;
    query.setDatabaseName(m_alias);
    query.setSql(Format(QStringLiteral("SELECT CPCE, NEMVYUZ FROM \"%s\" WHERE PARSKUP <= 2 AND "
                                       "DRUHPOZ = 13 AND CPCE > 0"),
                        ParcelTable()));
    query.open();
    // The last digit of the building use tells a registration number (1-9)
    // from a house number (0).
    for (query.first(); !query.eof(); query.next())
        ++(query.asInteger(QStringLiteral("NEMVYUZ")) % 10 != 0 ? m_housesCe : m_housesCp);
    query.close();
}

void TAreaStatistics::CountSimplifiedRegister()
{
    Query query;
    query.setDatabaseName(m_alias);
    query.setSql(
        Format(QStringLiteral("SELECT SUM(VYMERA), COUNT(VYMERA) FROM \"%s\" WHERE PARSKUP > 2"),
               ParcelTable()));
    std::tie(m_simplifiedArea, m_simplifiedCount) = sumAndCount(query);
}
