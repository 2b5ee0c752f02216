#pragma once

// The character set that a Paradox table's sort order implies. A table whose
// code-page field is 0 (written through SQL Links, or by a driver that left
// it empty) still names its sort order: by an identifier after the field
// numbers of the header ("BLROM800", "cyrr", "czech") and by the sort-order
// byte at 0x29. Each sort order belongs to one code page, so the text can be
// read in it rather than guessed.

#include <QByteArray>

namespace ParadoxSortOrder {

// The code page of the sort order: by the identifier when it is known
// (compared without regard to case), else by the byte when exactly one known
// sort order has it; 0 when neither tells. The byte-order sort "ascii" says
// nothing of the letters (ORV writes it beside code page 1250), so it gives 0.
int codePageOf(const QByteArray& identifier, int sortOrderByte);

} // namespace ParadoxSortOrder
