// orv-tool schema FILE: the header of a Paradox table (version, file type,
// code page, record count, key fields, fields with type and size).
#include "base/ETalvekException.h"
#include "db/paradox/ParadoxTable.h"
#include "tools/ToolCommand.h"

#include <cstdio>

namespace {
int runSchema(const QStringList& args)
{
    if (args.size() != 1)
        return toolUsageError(QStringLiteral("schema SOUBOR.DB"));
    const ParadoxReader reader(args.first());
    const ParadoxHeader& h = reader.header();
    QString out;
    out += QStringLiteral("soubor: %1\n").arg(reader.path());
    out += QStringLiteral("verze: %1.%2\n").arg(h.version / 10).arg(h.version % 10);
    out += QStringLiteral("typ souboru: %1 (%2)\n")
               .arg(h.fileType)
               .arg(h.fileType == 0 ? QStringLiteral("s klíčem") : QStringLiteral("bez klíče"));
    out += QStringLiteral("kódová stránka: %1%2\n")
               .arg(h.codePage)
               .arg(h.codePage == 0 ? QStringLiteral(" (text čten jako %1)").arg(h.textCodePage)
                                    : QString());
    out += QStringLiteral("záznamů: %1\n").arg(h.recordCount);
    out += QStringLiteral("délka záznamu: %1\n").arg(h.recordSize);
    out += QStringLiteral("velikost bloku: %1\n").arg(h.blockSize);
    out += QStringLiteral("klíčových polí: %1\n").arg(h.keyFieldCount);
    out += QStringLiteral("polí: %1\n").arg(h.fields.size());
    for (int i = 0; i < h.fields.size(); ++i) {
        const ParadoxField& f = h.fields[i];
        out += QStringLiteral("  %1 %2 %3 %4%5\n")
                   .arg(i + 1)
                   .arg(f.name, paradoxFieldTypeName(f.type))
                   .arg(f.size)
                   .arg(i < h.keyFieldCount ? QStringLiteral(" klíč") : QString());
    }
    std::fputs(out.toUtf8().constData(), stdout);
    return 0;
}

ToolCommandRegistrar reg{{QStringLiteral("schema"),
                          QStringLiteral("schema SOUBOR.DB   hlavička Paradox tabulky (verze, "
                                         "kódová stránka, pole, klíč)"),
                          &runSchema}};
} // namespace
