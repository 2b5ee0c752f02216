#pragma once

// CSV form of Paradox records (RFC 4180, UTF-8, CRLF line ends) as written
// by "orv-tool dump": a blank value is an empty cell; integers in decimal;
// numbers as the shortest text that reads back to the same double (integral
// values without a decimal point); logical true/false; dates yyyy-mm-dd;
// times hh:mm:ss with .zzz only when the milliseconds are not 0; timestamps
// yyyy-mm-ddThh:mm:ss; memo text as is; bytes, blobs and formatted memos (binary rich text)
// as lowercase hex;
// BCD as a decimal number.

#include "db/paradox/ParadoxTable.h"

namespace ParadoxCsv {
QByteArray headerLine(const ParadoxHeader& header);
// Replaces `line` with the CSV line of the record (reusing its capacity).
void recordLine(const ParadoxHeader& header, const ParadoxRecord& record, QByteArray& line);
// The text of one cell before CSV quoting.
QByteArray cellText(ParadoxFieldType type, const ParadoxRecord& record, int field);
QByteArray formatDouble(double value);
void appendQuoted(QByteArray& line, const QByteArray& cell);
} // namespace ParadoxCsv
