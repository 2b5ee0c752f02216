// libFuzzer target: parcel-number parsing and the text forms built from it
// must accept any input without crashing or tripping the sanitizers.
#include "data/ParcelNumber.h"
#include "data/ValueFormats.h"

#include <QString>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const ParcelKey key = ParseParcelNumber(text);
    const QString shown = FormatParcelNumber(key);
    // A parsed key shown and parsed again keeps its stem and subdivision.
    const ParcelKey again = ParseParcelNumber(shown);
    if (key.parcis >= 0 && key.parpod >= 0 &&
        (again.parcis != key.parcis || again.parpod != key.parpod))
        __builtin_trap();

    if (size >= sizeof(double)) {
        double packed;
        std::memcpy(&packed, data, sizeof packed);
        FormatParcelNumber(UnpackParcelReference(packed));
        const qint64 whole = WholeNumber(packed);
        HouseNumberGridText(whole, key.parcis, key.parskup);
        HouseNumberReportText(whole, key.parpod, key.parskup);
        ShareText(whole);
        ChangeItemText(whole);
        DeedNumberText(whole);
    }
    return 0;
}
