#include "select/core/TListVlSearch.h"

#include "base/ETalvekException.h"
#include "data/CadastralTables.h"
#include "db/Engine.h"
#include "db/Query.h"
#include "select/core/TOwnerSheetIndex.h"
#include "select/core/TSheetSearch.h"

#include <QSet>
#include <algorithm>
#include <cmath>

namespace {
// Owners sought at most bound into each area's query.
constexpr int MaxBoundIdents = 32;
// Relation tables brought up to date at a time by the indexed search.
constexpr int RefreshBatch = 64;

QString identList(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << QStringLiteral(":I%1").arg(i);
    return names.join(u',');
}
} // namespace

double TListVlSearch::IdentKey(const QString& text, bool* ok)
{
    QString key = text.trimmed();
    key.replace(u',', u'.');
    bool converted = false;
    double value = key.toDouble(&converted);
    // "nan" and "inf" convert too, yet name no owner.
    converted = converted && std::isfinite(value);
    if (ok)
        *ok = converted;
    return converted ? value : 0.0;
}

QStringList TListVlSearch::DistrictAliases()
{
    EngineAliases& aliases = Engine::instance().aliases();
    QStringList names;
    for (const QString& name : aliases.names())
        if (aliases.driverName(name).compare(EngineAliases::standardDriver(),
                                             Qt::CaseInsensitive) == 0)
            names << name;
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

void TListVlSearch::OpenOwners(Query& query, const QString& alias, bool byName, const QString& text,
                               bool substring)
{
    query.close();
    query.clearBindings();
    query.setDatabaseName(alias);
    QStringList sql{QStringLiteral("Select IDENT, NAZEV From \"NYSOBORG.DB\"")};
    if (byName) {
        sql << QStringLiteral("Where UPPER(NAZEV) LIKE :NAZEV ESCAPE '\\'")
            << QStringLiteral("Order By NAZEV");
        query.setSql(sql);
        const TSheetSearch search =
            TSheetSearch::Prepare(TSheetSearch::ByName, text, false, substring);
        query.bindValue(QStringLiteral(":NAZEV"), search.namePattern());
    } else {
        sql << QStringLiteral("Where IDENT >= :IDENT") << QStringLiteral("Order By IDENT");
        query.setSql(sql);
        query.bindValue(QStringLiteral(":IDENT"), IdentKey(text));
    }
    query.open();
}

QList<QPair<QString, QString>> TListVlSearch::catalogueAreas(const QString& alias)
{
    Query catalogue;
    catalogue.setDatabaseName(alias);
    catalogue.setSql(QStringLiteral("SELECT PORCIS, NAZEV FROM \"%1\" WHERE PORCIS >= :FIRST "
                                    "AND PORCIS <= :LAST ORDER BY PORCIS")
                         .arg(QString::fromLatin1(CadastralTables::CatalogueTable)));
    catalogue.bindValue(QStringLiteral(":FIRST"), QStringLiteral("001"));
    catalogue.bindValue(QStringLiteral(":LAST"), QStringLiteral("999"));
    catalogue.open();
    QList<QPair<QString, QString>> areas;
    for (catalogue.first(); !catalogue.eof(); catalogue.next())
        areas.append({catalogue.asString(QStringLiteral("PORCIS")),
                      catalogue.asString(QStringLiteral("NAZEV"))});
    return areas;
}

bool TListVlSearch::searchArea(const QString& alias, const QPair<QString, QString>& area,
                               const QList<double>& idents, QList<TListVlHit>& hits)
{
    // A few owners are bound into the condition; many (a name found in a
    // large district) are matched here, since a long IN list of bound values
    // costs more per area than reading the relations once.
    const bool bound = idents.size() <= MaxBoundIdents;
    const QSet<double> wanted(idents.begin(), idents.end());
    // An owner written twice on one sheet (two rights) still gives one row.
    Query relations;
    relations.setDatabaseName(alias);
    relations.setSql(
        QStringLiteral("SELECT DISTINCT IDENT, ELLVCIS FROM \"%1\"%2 ORDER BY ELLVCIS, IDENT")
            .arg(CadastralTables::PerAreaTable(CadastralTables::RelationPrefix, area.first),
                 bound ? QStringLiteral(" WHERE IDENT IN (%1)").arg(identList(int(idents.size())))
                       : QString()));
    if (bound)
        for (int i = 0; i < idents.size(); ++i)
            relations.bindValue(QStringLiteral(":I%1").arg(i), idents[i]);
    QList<TListVlHit> found;
    try {
        relations.open();
        for (relations.first(); !relations.eof(); relations.next()) {
            const double ident = relations.asFloat(QStringLiteral("IDENT"));
            if (wanted.contains(ident))
                found.append({ident, relations.asInteger(QStringLiteral("ELLVCIS")), area.first,
                              area.second, alias});
        }
    } catch (const std::exception&) {
        // Missing, truncated or corrupt: the area is skipped and counted.
        return false;
    }
    hits += found;
    return true;
}

bool TListVlSearch::searchPlain(const QString& alias, const QList<QPair<QString, QString>>& areas,
                                const QList<double>& idents, Result& result,
                                const StepCallback& step)
{
    for (int i = 0; i < areas.size(); ++i) {
        ++result.searchedAreas;
        ++result.tablesRead;
        if (!searchArea(alias, areas[i], idents, result.hits))
            ++result.skippedAreas;
        if (step && !step(alias, i + 1, int(areas.size())))
            return false;
    }
    return true;
}

QList<QPair<QString, QString>> TListVlSearch::indexedCatalogue(const QString& alias,
                                                               TOwnerIndexDistrict& district)
{
    TOwnerIndexDistrict::Catalogue areas;
    TOwnerIndexDistrict::Stamp stamp;
    if (!district.catalogue(areas, stamp)) {
        areas = catalogueAreas(alias);
        district.setCatalogue(areas, stamp);
    }
    return areas;
}

bool TListVlSearch::searchIndexed(const QString& alias, TOwnerIndexDistrict& district,
                                  const QList<QPair<QString, QString>>& areas,
                                  const std::vector<double>& idents, Result& result,
                                  const StepCallback& step)
{
    QStringList suffixes;
    for (const auto& area : areas)
        suffixes << area.first;
    TOwnerIndexDistrict::Found found;
    // Tables are brought up to date a batch at a time, so that the progress
    // moves and a cancel is heard while a new index is being built.
    for (int start = 0; start < areas.size(); start += RefreshBatch) {
        result.tablesRead += district.refresh(suffixes.mid(start, RefreshBatch));
        for (int i = start; i < std::min<int>(start + RefreshBatch, areas.size()); ++i) {
            ++result.searchedAreas;
            if (!district.lookup(suffixes[i], idents, found))
                ++result.skippedAreas;
            for (const auto& [sheet, ident] : found)
                result.hits.append({ident, sheet, areas[i].first, areas[i].second, alias});
            if (step && !step(alias, i + 1, int(areas.size())))
                return false;
        }
    }
    district.keepOnly(suffixes);
    return true;
}

void TListVlSearch::Run(const QStringList& aliases, const QList<double>& idents, Result& result,
                        const StepCallback& step, Method method)
{
    if (idents.isEmpty())
        return;
    std::vector<double> sorted(idents.begin(), idents.end());
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    // The index files of the districts searched are written at the end, also
    // after a cancel or an error: what was read stays useful.
    struct SaveAtEnd
    {
        bool enabled;
        ~SaveAtEnd()
        {
            if (enabled)
                TOwnerSheetIndex::instance().saveChanged();
        }
    } saveAtEnd{method == Method::OwnerIndex};
    for (const QString& alias : aliases) {
        TOwnerIndexDistrict* district =
            method == Method::OwnerIndex
                ? &TOwnerSheetIndex::instance().district(Engine::instance().directoryOf(alias))
                : nullptr;
        const QList<QPair<QString, QString>> areas =
            district ? indexedCatalogue(alias, *district) : catalogueAreas(alias);
        bool going = !step || step(alias, 0, int(areas.size()));
        if (going)
            going = district ? searchIndexed(alias, *district, areas, sorted, result, step)
                             : searchPlain(alias, areas, idents, result, step);
        if (!going) {
            result.cancelled = true;
            return;
        }
    }
}
