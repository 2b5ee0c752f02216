#include "ParcelFormFixture.h"

#include "app/core/TCodeTableApp.h"

#include "db/paradox/ParadoxTable.h"

#include <QDir>

namespace {
ParadoxField field(const char* name, ParadoxFieldType type, int size = 0)
{
    return ParadoxField{QString::fromLatin1(name), type, size};
}

} // namespace

ParcelFormFixture::ParcelFormFixture(const QString& directory) : m_dir(directory)
{
    QDir().mkpath(m_dir + QStringLiteral("/WorkDB"));
    QDir().mkpath(m_dir + QStringLiteral("/work"));
}

ParcelFormFixture::Part ParcelFormFixture::numberedPart(int i)
{
    Part p;
    p.parcis = i;
    p.vymera = 100 + i;
    p.druhpoz = 2 + i % 3;
    p.nemvyuz = i % 2 == 0 ? 0 : 13;
    p.cpce = i % 5 == 0 ? i : 0;
    p.lvcis = 1000 + i;
    p.mapa = QStringLiteral("M%1").arg(i % 7);
    p.ppolvz = i;
    p.parcislo = QString::number(i);
    return p;
}

void ParcelFormFixture::write(const QList<Part>& parts) const
{
    using T = ParadoxFieldType;
    const QList<ParadoxField> parcelFields{
        field("PARSKUP", T::Short), field("PARCIS", T::Long),       field("PARPOD", T::Short),
        field("PARDIL", T::Short),  field("VYMERA", T::Number),     field("DRUHPOZ", T::Short),
        field("NEMOCHR", T::Short), field("NEMVYUZ", T::Short),     field("CPCE", T::Number),
        field("LVCIS", T::Long),    field("VLVZTAH", T::Short),     field("MAPA", T::Alpha, 60),
        field("PPOLVZ", T::Long),   field("PARCISLO", T::Alpha, 12)};
    const QList<ParadoxField> workFields{
        field("PARSKUP", T::Short), field("PARCIS", T::Long),   field("PARPOD", T::Short),
        field("PARDIL", T::Short),  field("VYMERA", T::Long),   field("DRUHPOZ", T::Short),
        field("CPCE", T::Long),     field("NEMVYUZ", T::Short), field("PARCISLO", T::Alpha, 12),
        field("LVCIS", T::Long),    field("FLAG", T::Logical)};
    QList<QVariantList> parcelRows;
    QList<QVariantList> workRows;
    for (const Part& p : parts) {
        if (p.inArea)
            parcelRows.append({p.parskup, p.parcis, p.parpod, p.pardil, p.vymera, p.druhpoz,
                               p.nemochr, p.nemvyuz, p.cpce, p.lvcis, p.vlvztah, p.mapa, p.ppolvz,
                               p.parcislo});
        workRows.append({p.parskup, p.parcis, p.parpod, p.pardil, qint64(p.vymera), p.druhpoz,
                         qint64(p.cpce), p.nemvyuz, p.parcislo, p.lvcis, p.marked});
    }
    const int omitted =
        int(std::find_if(parcelFields.begin(), parcelFields.end(),
                         [&](const ParadoxField& f) { return f.name == m_omitted; }) -
            parcelFields.begin());
    QList<ParadoxField> writtenFields = parcelFields;
    if (omitted < parcelFields.size()) {
        writtenFields.removeAt(omitted);
        for (QVariantList& row : parcelRows)
            row.removeAt(omitted);
    }
    ParadoxWriter::writeTable(parcelTable(), writtenFields, 4, parcelRows);
    ParadoxWriter::writeTable(workTable(), workFields, 4, workRows);
    ParadoxWriter::writeTable(
        workDbPath() + QStringLiteral("/DRUHPOZ.DB"),
        {field("CIS", T::Short), field("ZKR", T::Alpha, 10), field("TEXT", T::Alpha, 40)}, 1,
        {{2, QStringLiteral("orná"), QStringLiteral("orná půda")},
         {3, QStringLiteral("chmel."), QStringLiteral("chmelnice")},
         {4, QStringLiteral("vinice"), QStringLiteral("vinice")}});
}

void ParcelFormFixture::writeDetail(const DetailTables& tables) const
{
    using T = ParadoxFieldType;
    QList<QVariantList> rows;
    for (const Relation& r : tables.relations)
        rows.append({double(r.lvcis), r.vlpor, r.ident, r.uvchar, r.podil, 1});
    ParadoxWriter::writeTable(m_dir + QStringLiteral("/NYSUV001.DB"),
                              {field("ELLVCIS", T::Number), field("VLPOR", T::Short),
                               field("IDENT", T::Number), field("UVCHAR", T::Short),
                               field("PODIL", T::Number), field("SEKTOR", T::Short)},
                              2, rows);
    rows.clear();
    for (const Person& p : tables.persons)
        rows.append({p.ident, p.uvchar, p.nazev});
    ParadoxWriter::writeTable(
        m_dir + QStringLiteral("/NYSOBORG.DB"),
        {field("IDENT", T::Number), field("UVCHAR", T::Short), field("NAZEV", T::Alpha, 60)}, 2,
        rows);
    rows.clear();
    int order = 0;
    for (const Record& r : tables.records)
        rows.append({double(r.dlvcis), ++order, r.doplkod, r.dopludaj});
    ParadoxWriter::writeTable(m_dir + QStringLiteral("/NYSVL001.DB"),
                              {field("DLVCIS", T::Number), field("DOPLPOR", T::Short),
                               field("DOPLKOD", T::Short), field("DOPLUDAJ", T::Number)},
                              2, rows);
    rows.clear();
    for (const Text& t : tables.texts)
        rows.append({2, t.parcis, 0, t.pardil, t.user, t.text});
    ParadoxWriter::writeTable(m_dir + QStringLiteral("/ORVTX001.DB"),
                              {field("PARSKUP", T::Short), field("PARCIS", T::Long),
                               field("PARPOD", T::Short), field("PARDIL", T::Short),
                               field("USERNAME", T::Alpha, 20), field("TEXT", T::Memo, 30)},
                              5, rows);
    rows.clear();
    for (const Rating& r : tables.ratings)
        rows.append({r.parskup, double(r.parcis), r.parpod, r.vymera, r.bonita, r.bpolvz});
    ParadoxWriter::writeTable(m_dir + QStringLiteral("/NYSBO001.DB"),
                              {field("PARSKUP", T::Short), field("PARCIS", T::Number),
                               field("PARPOD", T::Short), field("VYMERA", T::Number),
                               field("BONITA", T::Alpha, 5), field("BPOLVZ", T::Number)},
                              0, rows);
    ParadoxWriter::writeTable(workDbPath() + QStringLiteral("/PARSKUP.DB"),
                              {field("CIS", T::Short), field("PSKUP", T::Alpha, 40)}, 1,
                              {{1, QStringLiteral("KN - stavební")},
                               {2, QStringLiteral("KN - pozemek")},
                               {3, QStringLiteral("EN - zaniklý")}});
    ParadoxWriter::writeTable(workDbPath() + QStringLiteral("/NIXVYUZ.DB"),
                              {field("KOD", T::Long), field("TEXT", T::Alpha, 40)}, 1,
                              {{2000, QStringLiteral("orná bez využití")},
                               {3013, QStringLiteral("chmelnice se stavbou")},
                               {4000, QStringLiteral("vinice")}});
    ParadoxWriter::writeTable(workDbPath() + QStringLiteral("/CHARUV.DB"),
                              {field("CIS", T::Short), field("TEXT", T::Alpha, 60)}, 1,
                              {{1, QStringLiteral("vlastník")},
                               {4, QStringLiteral("Organizační složka státu (účetní jednotka)")},
                               {11, QStringLiteral("uživatel")}});
}

TKUInfo ParcelFormFixture::area() const
{
    TKUInfo ku;
    ku.Alias = m_dir;
    ku.Okres = QStringLiteral("Žďár nad Sázavou");
    ku.Obec = QStringLiteral("Křižanov");
    ku.Katastr = QStringLiteral("Kundratice u Křižanova");
    ku.Suffix = QStringLiteral("001");
    ku.Kod = QStringLiteral("675601");
    return ku;
}

std::shared_ptr<IApp> ParcelFormFixture::app() const
{
    return std::make_shared<TCodeTableApp>(workDbPath());
}
