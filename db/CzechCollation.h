#pragma once

#include <QString>

// Czech alphabetical order for texts, as the registry's tables were sorted:
// space and punctuation first, then digits, then letters
// A B C Č D E F G H CH I J ... R Ř S Š T U V W X Y Z Ž. Other accents
// (Á, Ď, É, Ě, Ů ...) count only between texts equal without them, upper and
// lower case only between texts equal up to case (lower case first). Texts
// that are still equal are ordered by their characters' codes, so two texts
// compare equal only when they are identical: an index sorted this way keys
// exactly like a plain one.
class CzechCollation
{
public:
    // The collation's name on the engine's SQLite connection.
    static constexpr const char* sqlName = "CS";

    // <0, 0, >0 like strcmp, on UTF-8 text.
    static int compareUtf8(const char* a, int lengthA, const char* b, int lengthB);
    static int compare(const QString& a, const QString& b);
};
