#pragma once

#include "db/FieldDef.h"

#include <QVariant>

// Conversions between stored values and the typed reads of a field. A blank
// (NULL) value reads as 0, 0.0, "" and false. A number read as an integer is
// rounded half to even.
namespace ValueConvert {
// A finite number whose rounded value is a 64-bit integer.
bool fitsInteger(double value);
// Rounded half to even; NaN gives 0 and a number beyond the 64-bit range the
// nearest end of the range (no table field holds it).
qint64 roundHalfEven(double value);
// The stored value lies in the range of the field's type (16- or 32-bit
// integer, finite number, 32 BCD digits).
bool fitsField(const QVariant& stored, const FieldDef& field);
qint64 toInteger(const QVariant& value);
double toDouble(const QVariant& value);
QString toText(const QVariant& value);
bool toBool(const QVariant& value);
// The value as it is stored in a column of the given field: integers rounded,
// strings cut to the field size, logical values as 0/1, blanks as NULL.
QVariant toStorage(const QVariant& value, const FieldDef& field);
// A one-letter code of the storage class of a field, used by the SQL
// function orv_cast(value, code, size): I integer, F float, S string,
// B boolean, X other (kept as is).
char storageCode(FieldType type);
QVariant toStorage(const QVariant& value, char code, int size);
} // namespace ValueConvert
