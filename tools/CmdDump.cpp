// orv-tool dump FILE: the records of a Paradox table as CSV (RFC 4180,
// UTF-8), a header line of field names, one line per record in file order.
#include "base/ETalvekException.h"
#include "db/paradox/ParadoxCsv.h"
#include "db/paradox/ParadoxTable.h"
#include "tools/ToolCommand.h"

#include <cstdio>

namespace {
int runDump(const QStringList& args)
{
    if (args.size() != 1)
        return toolUsageError(QStringLiteral("dump SOUBOR.DB"));
    const ParadoxReader reader(args.first());
    QByteArray out = ParadoxCsv::headerLine(reader.header());
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    reader.forEachRecord([&](const ParadoxRecord& record) {
        ParadoxCsv::recordLine(reader.header(), record, out);
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    });
    return std::fflush(stdout) == 0 ? 0 : 1;
}

ToolCommandRegistrar reg{{QStringLiteral("dump"),
                          QStringLiteral("dump SOUBOR.DB     záznamy Paradox tabulky jako CSV "
                                         "(UTF-8)"),
                          &runDump}};
} // namespace
