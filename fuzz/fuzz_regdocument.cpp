// Registry files come from disk and may be damaged or hand-edited: parsing
// must never crash, and whatever parses must survive a write and re-read.
#include "settings/RegDocument.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    RegDocument doc;
    QString error;
    if (!RegDocument::parse(bytes, doc, error))
        return 0;
    const QByteArray written = doc.serialize();
    RegDocument again;
    if (!RegDocument::parse(written, again, error) || again.serialize() != written)
        std::abort();
    return 0;
}
