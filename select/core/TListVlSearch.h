#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class Query;
class TOwnerIndexDistrict;

// One ownership sheet of an owner found in one cadastral area of a district.
struct TListVlHit
{
    double ident = 0; // the owner's birth or company number (IDENT)
    qint64 sheet = 0; // ELLVCIS
    QString area;     // PORCIS, the area's three-digit number in the district
    QString katastr;  // the area's name in the catalogue
    QString alias;    // the district's database alias
};

// The search of an owner's ownership sheets across districts: every cadastral
// area of each district's catalogue (PORCIS 001 to 999) is looked up in its
// ownership relations NYSUV + PORCIS + ".DB". Used by the sheet-search
// dialog, orv-tool and the tests; it shows nothing. Values are bound to the
// queries, never written into their text.
class TListVlSearch
{
public:
    // After each area: the district, the areas of the district done and their
    // number. Returning false ends the whole search (cancelled).
    using StepCallback = std::function<bool(const QString& alias, int done, int areas)>;

    struct Result
    {
        QList<TListVlHit> hits; // in district order, then area order, then sheet
        // Areas whose relation table is missing, truncated or unreadable: the
        // answer may be incomplete when this is not 0.
        int skippedAreas = 0;
        int searchedAreas = 0;
        // Relation tables read from their files; the others came from the
        // owner index (always all of them with the plain scan).
        int tablesRead = 0;
        bool cancelled = false;
    };

    enum class Method
    {
        OwnerIndex, // the owner index of the cache directory, brought up to date on the way
        PlainScan   // a query of every area's relation table
    };

    // Searches the districts in the given order for the sheets of every owner
    // of `idents`, appending to `result` as it goes, so that the rows found
    // stay when a district's catalogue cannot be read: that raises the
    // engine's ETalvekException and ends the search. Both methods give the
    // same rows in the same order.
    static void Run(const QStringList& aliases, const QList<double>& idents, Result& result,
                    const StepCallback& step = {}, Method method = Method::OwnerIndex);

    // The owner list of a district: IDENT and NAZEV of NYSOBORG.DB, by number
    // from IdentKey(text) on, ordered by IDENT; or by name (trimmed,
    // upper-cased) as its beginning, or any part with `substring`, ordered by
    // NAZEV. Opens `query` on `alias`.
    static void OpenOwners(Query& query, const QString& alias, bool byName, const QString& text,
                           bool substring);
    // The typed number key: either decimal separator accepted, blanks around
    // ignored; 0 when the text is not a number (`ok` then false).
    static double IdentKey(const QString& text, bool* ok = nullptr);

    // The names of the aliases whose driver is "STANDARD" (Paradox
    // directories), sorted without regard to case.
    static QStringList DistrictAliases();

private:
    // The areas of the catalogue: PORCIS and NAZEV.
    static QList<QPair<QString, QString>> catalogueAreas(const QString& alias);
    // The areas of the catalogue as the owner index keeps them, queried
    // again when the catalogue's file changed.
    static QList<QPair<QString, QString>> indexedCatalogue(const QString& alias,
                                                           TOwnerIndexDistrict& district);
    // The district's areas from the owner index; false when cancelled.
    static bool searchIndexed(const QString& alias, TOwnerIndexDistrict& district,
                              const QList<QPair<QString, QString>>& areas,
                              const std::vector<double>& idents, Result& result,
                              const StepCallback& step);
    // The district's areas by queries; false when cancelled.
    static bool searchPlain(const QString& alias, const QList<QPair<QString, QString>>& areas,
                            const QList<double>& idents, Result& result, const StepCallback& step);
    // False when the area's relation table is missing or unreadable.
    static bool searchArea(const QString& alias, const QPair<QString, QString>& area,
                           const QList<double>& idents, QList<TListVlHit>& hits);
};
