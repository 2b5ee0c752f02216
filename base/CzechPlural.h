#pragma once

#include <QString>

// Czech nouns after a count take one of three forms: 1 katastrální území,
// 2-4 katastrální území, 0 and 5 or more katastrálních území (and likewise
// 1 vlastník, 3 vlastníci, 7 vlastníků). A negative count takes the form of
// its magnitude.
class CzechPlural
{
public:
    // The form that goes after `count`.
    static QString Form(qint64 count, const QString& one, const QString& few, const QString& many);
    // The count and its noun: "1 vlastník", "3 vlastníci", "7 vlastníků".
    static QString Count(qint64 count, const QString& one, const QString& few, const QString& many);
};
