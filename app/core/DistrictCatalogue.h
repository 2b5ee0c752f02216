#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

class ISettings;
class Table;
struct TKUInfo;

// The catalogue of one district, "NYSKATAL.DB", without a window. Its rows
// are of three kinds told apart by PORCIS (the area's three-digit ordinal)
// and KATUZ (municipality number × 100 + area number):
//   the district itself    PORCIS '000', KATUZ '00000'
//   a municipality         PORCIS '000', KATUZ 'MMM00'
//   a cadastral area       PORCIS 'nnn', KATUZ 'MMMaa' (aa 01..99)
// The catalogue dialog, the main window, the sheet search, the VFK import and
// orv-tool katalog read the catalogue through these filters and lookups, so
// that the row kinds are written down once.
class DistrictCatalogue
{
public:
    // The catalogue's file name.
    static QString tableName();

    // Filters selecting one kind of row.
    static QString districtRow();
    static QString municipalityRows();
    static QString areaRows();
    // The areas of the municipality whose row has `municipalityKatuz`
    // (only its first three digits count).
    static QString areasOfMunicipality(const QString& municipalityKatuz);
    // The municipality row of the area whose KATUZ is `areaKatuz`.
    static QString municipalityOfArea(const QString& areaKatuz);
    // The areas whose name starts with the typed text (upper-cased). The text
    // is data: quotes are doubled and a "*" in it is an ordinary character;
    // the one trailing "*" added here is the only wildcard.
    static QString areasNamed(const QString& typed);
    // The areas whose ordinal is exactly `number` (text compared as typed,
    // a trailing "*" included).
    static QString areasNumbered(const QString& number);

    // Sets `table` up over the catalogue of `database` (an alias, or a
    // directory ending with "/"): read only, in name (NAZEV) order, no filter yet.
    static void bind(Table& table, const QString& database);

    // What tells one area from another across filters: KATUZ + "|" + PORCIS.
    static QString areaKey(const QString& katuz, const QString& porcis);
    // The ordinals of the areas whose keys are in `keys`, in name order,
    // read from the catalogue of `database` with no filter.
    static QList<int> ordinalsInNameOrder(const QString& database, const QSet<QString>& keys);
    // An ordinal as an integer; text that is not a number counts as 0.
    static int ordinalValue(const QString& text);

    // The names of the engine's aliases whose driver is exactly "STANDARD"
    // (the districts), in the engine's order.
    static QStringList districtAliases();
    // The same in the order the user looks for them: by name, case ignored.
    static QStringList districtAliasesInNameOrder();
    // The district alias named `alias` (case ignored) as the engine spells
    // it. Throws ETalvekException "Není nadefinován žádný databázový alias"
    // when there is no district at all, "Alias okresu '%s' nebyl nalezen"
    // when none has that name.
    static QString districtAlias(const QString& alias);

    // The area with the ordinal `suffix` in the district of `alias`: fills
    // Okres, Obec, Katastr and Kod of `info` (Alias and Suffix are left alone)
    // and returns true, or returns false and leaves `info` unchanged. Throws
    // as districtAlias() does, or with the engine's message when the
    // catalogue can't be read.
    static bool lookup(const QString& alias, const QString& suffix, TKUInfo& info);

    // The choice the catalogue dialog remembers between runs: the district's
    // alias ("KatDialog.Okres"), the area's name ("KatDialog.Katastr") and
    // the mode, true when picking by area ("KatDialog.PodleKat").
    struct Choice
    {
        QString alias;
        QString area;
        bool byArea = true;
    };
    static Choice rememberedChoice(ISettings& settings);
    static void rememberChoice(ISettings& settings, const Choice& choice);
    // Makes the next run start on the district of `alias` (after an import
    // has made it), on its first area; the mode stays.
    static void rememberDistrict(ISettings& settings, const QString& alias);

    // `text` as an SQL string literal, quotes doubled.
    static QString quoted(const QString& text);
};
