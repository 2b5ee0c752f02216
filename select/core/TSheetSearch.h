#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class Query;

// What the user asked for in the sheet dialog, read once and checked: sheet
// numbers, owner identifiers (birth or company numbers) or an owner's name.
// The values never become SQL text: the condition lines carry parameters
// and the values are bound to the query.
class TSheetSearch
{
public:
    enum Mode
    {
        OneSheet = -1, // one sheet number (the listing of the current row)
        BySheet = 0,   // "&List číslo": sheet numbers, a comma list
        ByIdent = 1,   // "&Rod.číslo (IČO)": identifiers from a number on, or a list
        ByName = 2     // "&Jméno obč.(org.)": a name's beginning, or any part of it
    };

    TSheetSearch() = default;
    // Reads the typed key: trimmed and upper-cased (Czech letters too). For
    // sheet numbers and identifiers a comma list of whole numbers, blanks
    // around the items and empty items skipped ("12,,15" and "12, 15" are 12
    // and 15); any other character, a number out of range, or several numbers
    // where one is sought (identifiers without `list`) raise "Chybné číslo".
    // An empty key searches everything. `substring` matters only for names.
    static TSheetSearch Prepare(int mode, const QString& text, bool list, bool substring);
    static TSheetSearch Sheet(qint64 sheet);

    int mode() const { return m_mode; }
    bool isEmpty() const { return m_numbers.isEmpty() && m_name.isEmpty(); }
    const QList<qint64>& numbers() const { return m_numbers; }
    const QString& name() const { return m_name; }
    // The LIKE pattern of a name search, its %, _ and \ escaped by "\":
    // "NOV%" or, with `substring`, "%NOV%".
    QString namePattern() const;

    // The condition line of the owner list and of the sheets' parcels, empty
    // for an empty key: "AND (NYSUV.ELLVCIS IN (:K0,:K1))", "AND
    // (OBORG.IDENT IN (...))", "AND (OBORG.IDENT >= :K0)" or "AND
    // (UPPER(OBORG.NAZEV) LIKE :NAZEV ESCAPE '\')". BindTo gives the values.
    QString ConditionLine() const;
    void BindTo(Query& query) const;
    // "ORDER BY OBORG.IDENT", "ORDER BY OBORG.NAZEV" or nothing (sheets).
    QString OrderLine() const;

private:
    static QList<qint64> parseNumbers(const QString& key);
    QString numberList() const;

    int m_mode = BySheet;
    bool m_list = true;
    bool m_substring = false;
    QList<qint64> m_numbers;
    QString m_name;
};
