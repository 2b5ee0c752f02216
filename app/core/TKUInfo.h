#pragma once

#include <QString>

// One open cadastral area (katastrální území). The main window owns one copy
// per open area; dialogs, the browser and the forms only read it.
struct TKUInfo
{
    QString Alias;   // engine alias of the area's district
    QString Okres;   // district name
    QString Obec;    // municipality name
    QString Katastr; // cadastral area name
    QString Suffix;  // ordinal within the district, three digits ("001")
    QString Kod;     // code in the unified list of spatial units (J.Č.S.J.)
};

// Two records denote the same area when their codes are equal (exact match).
inline bool SameArea(const TKUInfo& a, const TKUInfo& b)
{
    return a.Kod == b.Kod;
}
