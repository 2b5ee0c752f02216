// orv-tool schema FILE: the header of a Paradox table (version, file type,
// code page, record count, key fields, fields with type and size).
#include "base/ETalvekException.h"
#include "db/paradox/ParadoxTable.h"
#include "tools/ToolCommand.h"

#include <cstdio>

namespace {
int runSchema(const QStringList& args)
{
    if (args.size() != 1) {
        std::fprintf(stderr, "použití: orv-tool schema SOUBOR.DB\n");
        return 1;
    }
    const ParadoxReader reader(args.first());
    const ParadoxHeader& h = reader.header();
    QString out;
    out += QStringLiteral("file: %1\n").arg(reader.path());
    out += QStringLiteral("version: %1.%2\n").arg(h.version / 10).arg(h.version % 10);
    out += QStringLiteral("file type: %1 (%2)\n")
               .arg(h.fileType)
               .arg(h.fileType == 0 ? QStringLiteral("keyed") : QStringLiteral("unkeyed"));
    out += QStringLiteral("code page: %1%2\n")
               .arg(h.codePage)
               .arg(h.codePage == 0 ? QStringLiteral(" (text read as %1)").arg(h.textCodePage)
                                    : QString());
    out += QStringLiteral("records: %1\n").arg(h.recordCount);
    out += QStringLiteral("record size: %1\n").arg(h.recordSize);
    out += QStringLiteral("block size: %1\n").arg(h.blockSize);
    out += QStringLiteral("key fields: %1\n").arg(h.keyFieldCount);
    out += QStringLiteral("fields: %1\n").arg(h.fields.size());
    for (int i = 0; i < h.fields.size(); ++i) {
        const ParadoxField& f = h.fields[i];
        out += QStringLiteral("  %1 %2 %3 %4%5\n")
                   .arg(i + 1)
                   .arg(f.name, paradoxFieldTypeName(f.type))
                   .arg(f.size)
                   .arg(i < h.keyFieldCount ? QStringLiteral(" key") : QString());
    }
    std::fputs(out.toUtf8().constData(), stdout);
    return 0;
}

ToolCommandRegistrar reg{{QStringLiteral("schema"),
                          QStringLiteral("schema SOUBOR.DB   hlavička Paradox tabulky (verze, "
                                         "kódová stránka, pole, klíč)"),
                          &runSchema}};
} // namespace
