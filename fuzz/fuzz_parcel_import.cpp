// libFuzzer target: the import of parcel and house numbers into the grid rows.
// The first byte chooses the grid (even: parcels, odd: house numbers), the
// rest is the text as a file holds it. Any text must parse without crashing
// or tripping the sanitizers, within the row limit, and every row taken must
// carry a number in its second cell: a parcel's stem or a house number.
#include "select/core/TParcGridModel.h"
#include "select/core/TParcelImport.h"

#include <QString>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const auto kind = data[0] % 2 ? TParcGridModel::Kind::House : TParcGridModel::Kind::Parcel;
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const TParcelImport::Result result = TParcelImport::Parse(TParcelImport::SplitText(text), kind);
    if (result.rows.size() > TParcelImport::MaxRows)
        __builtin_trap();
    if (!result.errorText.isEmpty() && result.errorLine <= 0)
        __builtin_trap();
    // Every row holds its number (the column layout lets a 0 through; the
    // selection skips it); -1 would be a cell that is no number.
    for (const TParcGridRow& row : result.rows)
        if (TParcGridModel::CellValue(row[1]) < 0)
            __builtin_trap();
    return 0;
}
