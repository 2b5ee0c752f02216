#pragma once

#include <QList>
#include <QString>

// The codings by which values of an exchange file become the packed or
// classified values of the district's tables: shares, protections, building
// uses and the legacy change-record item.
class VfkValueCodes
{
public:
    // numerator * 100000 + denominator; 0 for a blank share. A share that
    // does not fit (numerator from 21474, denominator from 100000) becomes
    // the nearest fraction that does; `approximated` says so. -1 when no
    // fraction of the field comes near (above 21473, or beyond 2^53).
    static qint64 packShare(qint64 numerator, qint64 denominator, bool* approximated = nullptr);
    // NEMOCHR from the ZPOCHN.NEMOCHR values of a parcel's protections.
    static int protectionCode(const QList<int>& values);
    // NEMVYUZ of a built-up parcel: class of ZPVYBU_KOD plus the kind of number.
    static int buildingUse(int zpvybu, int typbud, bool hasNumber);
    // Legacy change-record item from a deed's text: "POLVZ:211986" -> 2186.
    static qint64 legacyItem(const QString& text);
};
