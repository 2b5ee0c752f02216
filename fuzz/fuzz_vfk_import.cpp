// libFuzzer target: the VFK import from the bytes of a file to the rows of
// the district's tables, without writing them. The first byte chooses the
// input's form: even, a whole VFK file; odd, only rows (&D lines, or blocks
// of their own) after a fixed header that defines every block the import
// reads. Any input must either be refused with a message naming the file or
// give rows whose values fit the fields they go to; no crash, no sanitizer
// report, no hang.
//
// Run with the seeds in fuzz/corpus/vfk_import, the dictionary fuzz/vfk.dict
// and the public sample as a whole file (a '0' byte, then the file's bytes,
// best without the blocks the import does not read):
//   fuzz_vfk_import CORPUS -dict=fuzz/vfk.dict -rss_limit_mb=1024 -timeout=10
//
// The custom mutator works on lines and fields as well as on bytes: it puts
// boundary numbers into fields, repeats or drops lines, and drops a column
// from a block's &B line together with that field of each of its rows.
#include "base/ETalvekException.h"
#include "import/VfkDataSet.h"
#include "import/VfkDistrictBuilder.h"
#include "import/VfkReader.h"

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

const char* const Header = R"(&HVERZE;"6.0"
&HCODEPAGE;"UTF-8"
&HZMENY;0
&HOSOBDATA;1
&BKATUZE;KOD N6;OBCE_KOD N6;NAZEV T48
&BOBCE;KOD N6;OKRESY_KOD N4;NAZEV T48
&BOKRESY;KOD N4;NAZEV T32
&BTEL;ID N30;KATUZE_KOD N6;CISLO_TEL N6
&BPAR;ID N30;PAR_TYPE T10;KATUZE_KOD N6;KATUZE_KOD_PUV N6;DRUH_CISLOVANI_PAR N1;KMENOVE_CISLO_PAR N5;ZDPAZE_KOD N1;PODDELENI_CISLA_PAR N3;DIL_PARCELY N1;DRUPOZ_KOD N2;ZPVYPA_KOD N4;VYMERA_PARCELY N9;TEL_ID N30;BUD_ID N30;ZPURVY_KOD N1;MAPLIS_KOD N30;RIZENI_ID_VZNIKU N30
&BBUD;ID N30;TYPBUD_KOD N1;CAOBCE_KOD N6;CISLO_DOMOVNI N4;ZPVYBU_KOD N4;TEL_ID N30
&BJED;ID N30;BUD_ID N30;TEL_ID N30
&BOPSUB;ID T255;OPSUB_TYPE T10;CHAROS_KOD N2;ICO N8;NAZEV T255;RODNE_CISLO T10;JMENO T100;PRIJMENI T100;ID_JE_1_PARTNER_BSM T255;ID_JE_2_PARTNER_BSM T255;NAZEV_ULICE T48;CISLO_DOMOVNI N4;OBEC T48
&BVLA;ID N30;OPSUB_ID T255;TYPRAV_KOD T4;TEL_ID N30;PODIL_CITATEL N30;PODIL_JMENOVATEL N30
&BJPV;ID N30;PAR_ID_PRO N30;BUD_ID_PRO N30;JED_ID_PRO N30;PAR_ID_K N30;BUD_ID_K N30;JED_ID_K N30;TYPRAV_KOD T4;POPIS_PRAVNIHO_VZTAHU T4000;TEL_ID N30;OPSUB_ID_PRO T255;OPSUB_ID_K T255
&BLISTIN;ID N30;TYPLIST_KOD N8;POPIS T2000;DATUM_VYHOTOVENI D;PORADOVE_CISLO_ZHOTOVITELE T8;ROK_ZHOTOVITELE D;DOPLNENI_ZHOTOVITELE T60;RIZENI_ID N30;DATUM_PRAV_MOCI D
&BRL;ID N30;LISTIN_ID N30;PAR_ID N30;BUD_ID N30;JED_ID N30;OPSUB_ID T255;JPV_ID N30
&BRIZENI;ID N30;PORADOVE_CISLO N8;ROK D
&BBDP;PAR_ID N30;BPEJ_KOD T5;VYMERA N9
&BZPOCHN;KOD N4;NAZEV T60;NEMOCHR N3
&BRZO;ID N30;ZPOCHR_KOD N4;PAR_ID N30
&BTYPRAV;KOD T4;NAZEV T100;SEKCE T1
&BDRUPOZ;KOD N2;ZKRATKA T10;NAZEV T60
&BZPVYPO;KOD N4;NAZEV T60
&BMAPLIS;ID N30;OZNACENI_MAPOVEHO_LISTU T50
)";

// Field values that sit on the edges of the fields the import writes.
const char* const Boundaries[] = {"",
                                  "0",
                                  "-1",
                                  "-5",
                                  "1",
                                  "999",
                                  "1000",
                                  "9999",
                                  "10000",
                                  "32767",
                                  "32768",
                                  "99999",
                                  "100000",
                                  "9999999",
                                  "10000005",
                                  "2147483647",
                                  "2147483648",
                                  "3000000000",
                                  "1.5",
                                  "00000000000000000000000000000001",
                                  "100000000000000000000",
                                  "1000000000000000",
                                  "9007199254740993",
                                  "\"\"",
                                  "\"x\"",
                                  "\"01.01.2000 00:00:00\"",
                                  "\"01.01.\"",
                                  "\"PZE\"",
                                  "\"OFO\"",
                                  "\"BSM\"",
                                  "\"OPO\"",
                                  "1",
                                  "2",
                                  "3"};

QList<QByteArray> fieldsOf(const QByteArray& line)
{
    return line.split(';');
}

// Drops one column (not the block name) from a &B line and the same field
// from every &D line of that block.
void dropColumn(QList<QByteArray>& lines, std::mt19937& random)
{
    QList<int> definitions;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith("&B"))
            definitions.append(i);
    if (definitions.isEmpty())
        return;
    const int at = definitions[int(random() % definitions.size())];
    QList<QByteArray> columns = fieldsOf(lines[at]);
    if (columns.size() < 3)
        return;
    const int column = 1 + int(random() % (columns.size() - 1));
    const QByteArray rowPrefix = "&D" + columns[0].mid(2) + ';';
    columns.removeAt(column);
    lines[at] = columns.join(';');
    for (QByteArray& line : lines) {
        if (!line.startsWith(rowPrefix))
            continue;
        QList<QByteArray> fields = fieldsOf(line);
        if (column < fields.size())
            fields.removeAt(column);
        line = fields.join(';');
    }
}

void mutateLines(QList<QByteArray>& lines, std::mt19937& random)
{
    if (lines.isEmpty())
        return;
    const int at = int(random() % lines.size());
    switch (random() % 5) {
    case 0:
    case 1: { // a boundary value into a field of a row
        QList<QByteArray> fields = fieldsOf(lines[at]);
        if (fields.size() < 2)
            return;
        fields[1 + int(random() % (fields.size() - 1))] =
            Boundaries[random() % (sizeof(Boundaries) / sizeof(*Boundaries))];
        lines[at] = fields.join(';');
        break;
    }
    case 2:
        lines.insert(int(random() % (lines.size() + 1)), lines[at]);
        break;
    case 3:
        lines.removeAt(at);
        break;
    default:
        dropColumn(lines, random);
    }
}

} // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed)
{
    std::mt19937 random(seed);
    if (size < 2 || random() % 3 == 0)
        return LLVMFuzzerMutate(data, size, maxSize);
    QList<QByteArray> lines =
        QByteArray(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1)).split('\n');
    for (int i = 1 + int(random() % 3); i > 0; --i)
        mutateLines(lines, random);
    const QByteArray out = lines.join('\n');
    if (size_t(out.size()) + 1 > maxSize)
        return LLVMFuzzerMutate(data, size, maxSize);
    std::memcpy(data + 1, out.constData(), size_t(out.size()));
    return size_t(out.size()) + 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    if (data[0] % 2)
        bytes = Header + bytes + "\n&K\n";
    try {
        VfkDataSet set;
        set.add(VfkReader::parse(bytes, QStringLiteral("fuzz.vfk")));
        const VfkDistrict district = VfkDistrictBuilder(set).build();
        // Every row produced is one the tables can hold: the sheets' records
        // fit their Short fields.
        for (const VfkArea& area : district.areas)
            area.records.forEachRecord([](const QVariantList& row) {
                for (const int field : {1, 2, 4})
                    if (row[field].toLongLong() < 0 || row[field].toLongLong() > 32767)
                        __builtin_trap();
            });
    } catch (const ETalvekException& e) {
        if (std::getenv("VFK_FUZZ_VERBOSE"))
            std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        if (!e.message().contains(QLatin1String("fuzz.vfk")) &&
            !e.message().contains(QLatin1String("Import se neprovedl")) &&
            !e.message().contains(QLatin1String("import se neprovedl")))
            __builtin_trap(); // a refusal names the file (or says what stopped the import)
    }
    return 0;
}
