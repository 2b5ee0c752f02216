#pragma once

#include <QString>

// Text forms of the packed registry values that the browser, the listings and
// the printed forms share. Every function accepts any value (negative, huge)
// and returns a text; none of them fails.

// A registry number (stored as a double) read as a whole number: rounded half
// to even; NaN gives 0 and values beyond the 64-bit range saturate.
qint64 WholeNumber(double value);

// House number in the browser grid: "" below 1, "%4d  " up to 10000, else
// "%4d/%d" (house number / part of municipality); for a current-cadastre
// parcel (group below 3) "p" or "e" follows by the kind from NEMVYUZ.
QString HouseNumberGridText(qint64 cpce, int nemvyuz, int parskup);
// House number in the printed forms: "" for 0, "%d" up to 10000, else "%d/%d";
// the same "p"/"e" suffix rule.
QString HouseNumberReportText(qint64 cpce, int nemvyuz, int parskup);

// A share packed as numerator * 100000 + denominator: "1/2"; "" for 0.
QString ShareText(qint64 podil);
// Item of the change record (PPOLVZ, BPOLVZ): "%d/%d" of value div 100, mod 100.
QString ChangeItemText(qint64 ppolvz);
// Deed number or change item of a supplementary record (LISTCIS, DOPLVZ):
// "%d/%2d" of value div 100, mod 100; "" for 0.
QString DeedNumberText(qint64 value);
