#pragma once

#include <QString>

// A parcel as the registry keys it: group (PARSKUP), stem number (PARCIS) and
// subdivision (PARPOD, 0 = none). Groups 1 and 2 are the current cadastre,
// 3 to 9 the older registers; a negative group marks a parcel typed with "?".
struct ParcelKey
{
    int parskup = 0;
    int parcis = 0;
    int parpod = 0;

    friend bool operator==(const ParcelKey&, const ParcelKey&) = default;
};

// The printed parcel number: "15", "-15/3" (building), "(7)" and "(-7/1)"
// (land cadastre), "3:15/2" for the other groups. The sign of the group is
// not shown.
QString FormatParcelNumber(int parskup, int parcis, int parpod);
inline QString FormatParcelNumber(const ParcelKey& key)
{
    return FormatParcelNumber(key.parskup, key.parcis, key.parpod);
}

// Reads a parcel number typed by the user (the inverse of FormatParcelNumber,
// plus "?" to negate the group, and "st. 38" or "st.38" for building parcel
// 38). Accepts any text; parts that do not convert become 0, so callers check
// parcis > 0 where a parcel is required.
ParcelKey ParseParcelNumber(const QString& text);

// The registry's way of writing a building parcel, "st." with the number
// after it (with or without a blank, in any case), turned into the program's
// own "-": "st. 38 40" becomes "-38 40", one item for parcel 38 of group 1
// and one for parcel 40. Applied to a list before it is split into items.
QString JoinBuildingParcelMarks(const QString& text);
// Whether the text writes a building parcel with "st.".
bool HasBuildingParcelMark(const QString& text);

// A parcel packed into one number: ((PARSKUP * 10 000 000) + PARCIS) * 1000 +
// PARPOD, as supplementary records store parcel references. A packed group of
// 0 stands for group 2. Non-finite or out-of-range values give zeros.
ParcelKey UnpackParcelReference(double packed);
qint64 PackParcelReference(const ParcelKey& key);
