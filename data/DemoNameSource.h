#pragma once

#include "data/DemoRandom.h"

#include <QString>

// Czech names, streets and towns for the demo district's owners, areas and
// texts; all invented combinations of common words.
class DemoNameSource
{
public:
    explicit DemoNameSource(DemoRandom& random) : m_random(random) {}

    // "NOVÁK JAN" or "NOVÁKOVÁ MARIE" (surname first, upper case).
    QString person(bool female);
    // The wife's form of a husband's name: "NOVÁKOVÁ" + a female first name.
    QString wifeOf(const QString& husband);
    // "NÁDRAŽNÍ 132, VACOV".
    QString address();
    // "AGRO ŽELNAVA S.R.O." and the like.
    QString company();
    // A village or town name in upper case, at most 30 characters; the index
    // makes names distinct within a district.
    QString placeName(int index);
    QString town();

private:
    DemoRandom& m_random;
};

// Cuts a text to at most `size` characters (Paradox Alpha fields).
QString FitText(const QString& text, int size);
