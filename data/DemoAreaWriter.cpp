#include "data/DemoAreaWriter.h"

#include "data/CadastralTables.h"
#include "data/DemoFields.h"
#include "data/DemoOwnerPool.h"
#include "data/DemoRandom.h"
#include "db/paradox/ParadoxTable.h"

#include <cmath>

using namespace CadastralTables;
using namespace DemoFields;
using Part = DemoAreaContent::Part;
using Record = DemoAreaContent::Record;
using Sheet = DemoAreaContent::Sheet;

DemoAreaWriter::DemoAreaWriter(int porcis, const DemoOwnerPool& pool, const DemoAreaContent& area)
    : m_porcis(porcis), m_pool(pool), m_area(area)
{
}

void DemoAreaWriter::write(const QString& dir, DemoDistrictSummary& summary) const
{
    const QString suffix = AreaSuffix(m_porcis);
    writeParts(dir + QLatin1Char('/') + PerAreaTable(ParcelPrefix, suffix));
    summary.ownershipRelations +=
        writeRelations(dir + QLatin1Char('/') + PerAreaTable(RelationPrefix, suffix));
    writeRecords(dir, suffix, summary);
    summary.soilRecords += writeSoil(dir + QLatin1Char('/') + PerAreaTable(SoilPrefix, suffix));
    writeUserTexts(dir + QLatin1Char('/') + PerAreaTable(UserTextPrefix, suffix));
    summary.parcelParts += m_area.parts.size();
    summary.sheets += m_area.sheets.size();
}

void DemoAreaWriter::writeParts(const QString& path) const
{
    ParadoxWriter writer(path, parcelFields(), 4);
    for (const Part& p : m_area.parts) {
        writer.addRow({p.key.parskup, p.key.parcis, p.key.parpod, p.pardil, p.vymera, p.kvalita,
                       p.druhpoz, p.nemochr, p.nemvyuz, p.bonita, double(p.cpce), p.elcis, p.lvcis,
                       p.vlvztah, p.mapa, 0, p.typvl, p.ppolvz, FormatParcelNumber(p.key)});
    }
    writer.commit();
}

qint64 DemoAreaWriter::writeRelations(const QString& path) const
{
    ParadoxWriter writer(path, relationFields(), 2);
    for (const Sheet& sheet : m_area.sheets) {
        if (sheet.parcels.isEmpty() && sheet.number < DemoAreaContent::firstRegistrationSheet)
            continue;
        for (int i = 0; i < sheet.owners.size(); ++i) {
            const DemoOwner& o = m_pool.owners()[sheet.owners[i]];
            writer.addRow({double(sheet.number), i + 1, double(o.ident), o.uvchar,
                           double(sheet.shares[i]), o.sector});
        }
    }
    writer.commit();
    return writer.rowCount();
}

void DemoAreaWriter::writeRecords(const QString& dir, const QString& suffix,
                                  DemoDistrictSummary& summary) const
{
    ParadoxWriter records(dir + QLatin1Char('/') + PerAreaTable(RecordPrefix, suffix),
                          {numberField("DLVCIS"), shortField("DOPLPOR"), shortField("DOPLKOD"),
                           numberField("DOPLUDAJ"), shortField("LISTDRUH"), numberField("LISTCIS"),
                           numberField("DOPLVZ"), shortField("DOPLZM")},
                          3);
    ParadoxWriter texts(
        dir + QLatin1Char('/') + PerAreaTable(RecordTextPrefix, suffix),
        {numberField("DLVCIS"), shortField("DOPLPOR"), shortField("RADEK"), alphaField("TEXT", 60)},
        3);
    for (const Sheet& sheet : m_area.sheets) {
        for (const Record& r : sheet.records) {
            records.addRow({double(sheet.number), r.doplpor, r.doplkod, r.udaj, r.listdruh,
                            r.listcis, r.doplvz, 0});
            for (int line = 0; line < r.texts.size(); ++line)
                texts.addRow(
                    {double(sheet.number), r.doplpor, line + 1, FitText(r.texts[line], 60)});
        }
    }
    records.commit();
    texts.commit();
    summary.records += records.rowCount();
    summary.recordTexts += texts.rowCount();
}

qint64 DemoAreaWriter::writeSoil(const QString& path) const
{
    ParadoxWriter writer(path,
                         {shortField("PARSKUP"), numberField("PARCIS"), shortField("PARPOD"),
                          numberField("VYMERA"), alphaField("BONITA", 5), numberField("BPOLVZ")},
                         0);
    DemoRandom random(quint64(m_porcis) * 7919);
    for (int index : m_area.soilParts) {
        const Part& p = m_area.parts[index];
        const QString code = QStringLiteral("%1").arg(p.bonita, 5, 10, QLatin1Char('0'));
        if (p.vymera >= 400 && random.percent(30)) {
            const double first = std::round(p.vymera * random.between(20, 80) / 100.0);
            const int other = random.between(1, 78) * 100 + p.bonita % 100;
            writer.addRow(
                {p.key.parskup, double(p.key.parcis), p.key.parpod, first, code, double(p.ppolvz)});
            writer.addRow({p.key.parskup, double(p.key.parcis), p.key.parpod, p.vymera - first,
                           QStringLiteral("%1").arg((p.bonita / 10000) * 10000 + other, 5, 10,
                                                    QLatin1Char('0')),
                           double(p.ppolvz)});
        } else {
            writer.addRow({p.key.parskup, double(p.key.parcis), p.key.parpod, p.vymera, code,
                           double(p.ppolvz)});
        }
    }
    writer.commit();
    return writer.rowCount();
}

void DemoAreaWriter::writeUserTexts(const QString& path) const
{
    static const char* const notes[] = {
        "Ověřit hranici s vlastníkem sousední parcely.",
        "Podle místního šetření je pozemek oplocen.",
        "Žádost o rozdělení parcely podána na stavebním úřadě.\r\nČeká se na geometrický plán.",
        "Stavba zakreslena, číslo popisné přiděleno obcí.",
    };
    ParadoxWriter writer(path,
                         {shortField("PARSKUP"), longField("PARCIS"), shortField("PARPOD"),
                          shortField("PARDIL"), alphaField("USERNAME", 20),
                          field("TEXT", ParadoxFieldType::Memo, 30), alphaField("PARCISLO", 12)},
                         5);
    const qsizetype step = std::max<qsizetype>(1, m_area.parts.size() / 5);
    for (qsizetype i = step / 2, n = 0; i < m_area.parts.size(); i += step, ++n) {
        const Part& p = m_area.parts[i];
        writer.addRow({p.key.parskup, p.key.parcis, p.key.parpod, p.pardil, QVariant(),
                       QString::fromUtf8(notes[n % std::size(notes)]), QVariant()});
    }
    writer.commit();
}
