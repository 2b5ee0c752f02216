// libFuzzer target: the input is a .DB file; if it is long enough, its last
// quarter is used as the .MB companion so that blob pointers get exercised.
// Every input must either read completely or throw ETalvekException.
#include "base/ETalvekException.h"
#include "db/paradox/ParadoxCsv.h"
#include "db/paradox/ParadoxTable.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = input.size() >= 8192 ? input.size() / 4 * 3 : input.size();
    const QByteArray db = input.left(split);
    const QByteArray mb = input.mid(split);
    try {
        const ParadoxReader reader = ParadoxReader::fromBytes(db, mb, QStringLiteral("fuzz.db"));
        QByteArray line;
        reader.forEachRecord([&](const ParadoxRecord& record) {
            try {
                ParadoxCsv::recordLine(reader.header(), record, line);
            } catch (const ETalvekException&) {
                // a bad blob pointer in one record: reported, not fatal
            }
        });
        reader.readAll();
    } catch (const ETalvekException&) {
    }
    return 0;
}
