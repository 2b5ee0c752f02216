#include "data/DemoCodeTables.h"

#include "data/CadastralTables.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>

namespace {

using Rows = QList<QVariantList>;

ParadoxField alpha(const char* name, int size)
{
    return {QString::fromLatin1(name), ParadoxFieldType::Alpha, size};
}
ParadoxField shortField(const char* name)
{
    return {QString::fromLatin1(name), ParadoxFieldType::Short, 2};
}

QVariant text(const char* utf8)
{
    return utf8 ? QVariant(QString::fromUtf8(utf8)) : QVariant();
}

struct CodeText
{
    int code;
    const char* text;
};

void writeCodeTable(const QString& dir, const char* file, const char* textField, int textSize,
                    std::initializer_list<CodeText> list)
{
    Rows rows;
    for (const CodeText& c : list)
        rows.append({c.code, text(c.text)});
    ParadoxWriter::writeTable(dir + QLatin1Char('/') + QLatin1String(file),
                              {shortField("CIS"), alpha(textField, textSize)}, 1, rows);
}

void writeParcelGroups(const QString& dir)
{
    writeCodeTable(dir, CadastralTables::ParcelGroupTable, "PSKUP", 40,
                   {{1, "Katastr nemovitostí - stavební"},
                    {2, "Katastr nemovitostí - pozemek"},
                    {3, "Evidence nemovitostí - zaniklý"},
                    {4, "Pozemkový katastr - stavební"},
                    {5, "Pozemkový katastr - pozemek"},
                    {6, "Přídělový plán - stavební"},
                    {7, "Přídělový plán - pozemek"},
                    {8, "Z již neexist. KÚ - stavební"},
                    {9, "Z již neexist. KÚ - pozemek"}});
}

void writeSmallCodeLists(const QString& dir)
{
    writeCodeTable(dir, CadastralTables::AreaQualityTable, "TEXT", 60,
                   {{0, "Graficky nebo v digitalizované mapě"},
                    {1, "Jiným číselným způsobem"},
                    {2, "Ze souřadnic v S-JTSK"}});
    writeCodeTable(dir, CadastralTables::ProtectionTable, "TEXT", 60,
                   {{1, "nemovitá kulturní památka"},
                    {2, "památkově chráněné území (rezervace, zóna, pásmo)"},
                    {3, "nemovitá národní kulturní památka"},
                    {4, "chráněná značka geodetického bodu a její území"}});
    writeCodeTable(dir, CadastralTables::Protection2Table, "TEXT", 60,
                   {{1, "lázně, ložisko, léčivý zdroj"},
                    {2, "pozemek určený k plnění funkcí lesa"},
                    {3, "lázně/ložisko/léčivý zdroj; les (PUPFL)"},
                    {4, "zemědělský půdní fond"},
                    {5, "lázně/ložisko/léčivý zdroj; ZPF"},
                    {6, "les (PUPFL); ZPF"},
                    {7, "lázně/ložisko/léčivý zdroj; les (PUPFL); ZPF"}});
    writeCodeTable(dir, CadastralTables::Protection3Table, "TEXT", 60,
                   {{1, "menší zvláště chráněné území"},
                    {2, "rozsáhlé chráněné území (NP, CHKO)"},
                    {3, "menší ZCHÚ; rozsáhlé chráněné území (NP, CHKO)"}});
    writeCodeTable(dir, CadastralTables::LegalRelationTable, "TEXT", 60,
                   {{1, "vlastnictví pozemku i stavby na témže LV"},
                    {2, "právo hospodaření s majetkem státu"},
                    {3, "správa nemovitosti"},
                    {4, "právo trvalého užívání"},
                    {5, "pozemek a stavba na různých LV"}});
    writeCodeTable(dir, CadastralTables::SectorTable, "TEXT", 40,
                   {{1, "stát a státní organizace"},
                    {2, "obce, kraje a jejich organizace"},
                    {3, "ostatní právnické osoby"},
                    {4, "fyzické osoby"},
                    {5, "ostatní"}});
}

void writeOwnerCharacteristics(const QString& dir)
{
    writeCodeTable(dir, CadastralTables::OwnerCharacteristicTable, "TEXT", 70,
                   {{1, "manželé v SJM"},
                    {2, "oprávněná fyzická osoba"},
                    {3, "Česká republika"},
                    {4, "Organizační složka státu (účetní jednotka)"},
                    {5, "složka právnické osoby"},
                    {6, "Fond národního majetku ČR"},
                    {7, "Pozemkový fond ČR"},
                    {8, "Fond dětí a mládeže ČR"},
                    {9, "obec"},
                    {10, "městská část"},
                    {11, "jiná právnická osoba (vč. obce a kraje)"},
                    {12, "složka jiné právnické osoby"},
                    {13, "cizí stát, právnická osoba cizího práva"},
                    {14, "jiná právnická osoba cizího práva"},
                    {15, "organiz.složka nebo příspěv.org.obce, kraje (vč.svazku obcí)"},
                    {16, "manželé cizího práva"},
                    {17, "podílový fond"},
                    {18, "investiční společnost"},
                    {19, "Exekuční správní orgán"},
                    {20, "Právnická osoba zřízená orgány ČR nebo zvl.právním předpisem"},
                    {21, "Organizační jednotka organizační složky státu"},
                    {22, "Svěřenský fond"},
                    {23, "Společenství dědiců po zůstaviteli"},
                    {99, "bývalé federální orgány"}});
}

struct LandKind
{
    int code;
    const char* abbreviation;
    const char* text;
};

const LandKind landKinds[] = {
    {2, "orná půda", "orná půda"},
    {3, "chmelnice", "chmelnice"},
    {4, "vinice", "vinice"},
    {5, "zahrada", "zahrada"},
    {6, "ovoc. sad", "ovocný sad"},
    {7, "travní p.", "trvalý travní porost"},
    {8, "travní p.", "trvalý travní porost"},
    {10, "lesní poz", "lesní pozemek"},
    {11, "vodní pl.", "vodní plocha"},
    {13, "zast. pl.", "zastavěná plocha a nádvoří"},
    {14, "ostat.pl.", "ostatní plocha"},
};

// Land uses 1..30 (the same list for every kind of land).
const char* const landUses[] = {
    "skleník, pařeniště",
    "školka",
    "plantáž dřevin",
    "les jiný než hospodářský",
    "lesní pozemek, na kterém je budova",
    "rybník",
    "koryto vodního toku přirozené nebo upravené",
    "koryto vodního toku umělé",
    "vodní nádrž přírodní",
    "vodní nádrž umělá",
    "zamokřená plocha",
    "společný dvůr",
    "zbořeniště",
    "dráha",
    "dálnice",
    "silnice",
    "ostatní komunikace",
    "ostatní dopravní plocha",
    "zeleň",
    "sportoviště a rekreační plocha",
    "pohřebiště",
    "kulturní a osvětová plocha",
    "manipulační plocha",
    "dobývací prostor",
    "skládka",
    "jiná plocha",
    "neplodná půda",
    "vodní plocha, na které je budova",
    "fotovoltaická elektrárna",
    "mez, stráň",
};

struct BuildingUse
{
    int code;
    const char* text;
};

const BuildingUse buildingUseTexts[] = {
    {100, "průmyslový objekt"},
    {200, "zemědělská usedlost"},
    {210, "zemědělská hospodářská budova"},
    {300, "objekt dopravy"},
    {400, "objekt bydlení"},
    {420, "rekreační objekt"},
    {500, "objekt lesního hospodářství"},
    {600, "občanská vybavenost"},
    {700, "technická vybavenost"},
    {900, "ostatní stavební objekt"},
};

void writeLandKinds(const QString& dir)
{
    Rows kinds;
    Rows uses;
    for (const LandKind& k : landKinds) {
        kinds.append({k.code, text(k.abbreviation), text(k.text)});
        uses.append({LandUseKey(k.code, 0),
                     QString::fromUtf8(k.text) + QStringLiteral(" - bez způsobu využití")});
        for (int u = 1; u <= 30; ++u)
            uses.append({LandUseKey(k.code, u), text(landUses[u - 1])});
        if (k.code != BuildingLandKind)
            continue;
        const char* const suffixes[] = {", budova s č.p.", ", budova s č.e.",
                                        ", garáž s č.e.",  nullptr,
                                        nullptr,           ", budova bez č.p./č.e."};
        for (const BuildingUse& b : buildingUseTexts) {
            for (int digit : {0, 1, 2, 5})
                uses.append({LandUseKey(k.code, b.code + digit),
                             QString::fromUtf8(b.text) + QString::fromUtf8(suffixes[digit])});
        }
    }
    ParadoxWriter::writeTable(dir + QLatin1Char('/') +
                                  QLatin1String(CadastralTables::LandKindTable),
                              {shortField("CIS"), alpha("ZKR", 10), alpha("TEXT", 40)}, 1, kinds);
    ParadoxWriter::writeTable(
        dir + QLatin1Char('/') + QLatin1String(CadastralTables::LandUseTable),
        {{QStringLiteral("KOD"), ParadoxFieldType::Long, 4}, alpha("TEXT", 60)}, 1, uses);
}

struct RecordKind
{
    int code;
    const char* section;
    const char* text;
    const char* supplement;
    const char* type;
};

const RecordKind recordKinds[] = {
    {82, "B", "Pozemek pod stavbou je zapsán na LV", "LV č.", nullptr},
    {90, "B", "Stavba stojí na pozemku", "parc. č.", "P"},
    {93, "B", "Na pozemku stojí stavba z jiného LV", "parc. č.", "P"},
    {999, nullptr, "BEZ ZÁPISU", nullptr, nullptr},
    {1001, "C", "Podíl", "povinnost", "P"},
    {1022, "D", "Nájem, výpůjčka", "povinnost", "P"},
    {1027, "D", "Budova na více parcelách", "povinnost", "P"},
    {1031, "C", "Zástavní právo", "povinnost", "P"},
    {1032, "C", "Zástavní právo smluvní", "povinnost", "P"},
    {1033, "C", "Zástavní právo zákonné", "povinnost", "P"},
    {1034, "C", "Zástavní právo soudcovské", "povinnost", "P"},
    {1036, "C", "Věcné břemeno (podle listiny)", "povinnost", "P"},
    {1037, "C", "Věcné břemeno cesty", "povinnost", "P"},
    {1038, "C", "Věcné břemeno chůze", "povinnost", "P"},
    {1041, "C", "Věcné břemeno vedení", "povinnost", "P"},
    {1047, "C", "Věcné břemeno chůze a jízdy", "povinnost", "P"},
    {1048, "C", "Věcné břemeno bytu", "povinnost", "P"},
    {1050, "C", "Věcné břemeno užívání", "povinnost", "P"},
    {1054, "C", "Předkupní právo", "povinnost", "P"},
    {1066, "D", "Omezení dispozičních práv", "povinnost", "P"},
    {1068, "D", "Nařízení výkonu rozhodnutí prodejem nemovitosti", "povinnost", "P"},
    {1072, "D", "Nařízení předběžného opatření", "povinnost", "P"},
    {1074, "D", "Podaná žaloba", "povinnost", "P"},
    {1107, "C", "Věcné břemeno zřizování a provozování vedení", "povinnost", "P"},
    {2031, "B", "Zástavní právo", "oprávnění", "P"},
    {2037, "B", "Věcné břemeno cesty", "oprávnění", "P"},
    {2038, "B", "Věcné břemeno chůze", "oprávnění", "P"},
    {2047, "B", "Věcné břemeno chůze a jízdy", "oprávnění", "P"},
    {2050, "B", "Věcné břemeno užívání", "oprávnění", "P"},
    {3001, "E", "Nabývací titul", nullptr, nullptr},
    {3002, "E", "Listina - podklad jiného práva", nullptr, nullptr},
    {3003, "E", "Listina k nemovitosti", "parc. č.", "P"},
};

void writeRecordKinds(const QString& dir)
{
    Rows rows;
    for (const RecordKind& k : recordKinds)
        rows.append({k.code, text(k.section), text(k.text), text(k.supplement), text(k.type)});
    ParadoxWriter::writeTable(dir + QLatin1Char('/') +
                                  QLatin1String(CadastralTables::RecordKindTable),
                              {shortField("KOD"), alpha("CAST", 2), alpha("TEXT", 60),
                               alpha("DOPLNEK", 10), alpha("TYP", 1)},
                              1, rows);
}

struct DeedKind
{
    int code;
    const char* text1;
    const char* text2;
};

const DeedKind deedKindTexts[] = {
    {1, "Smlouva o převodu nemovitosti", "RI"},
    {5, "Rozhodnutí o dědictví", "D"},
    {7, "Smlouva", "RV"},
    {11, "Rozhodnutí", nullptr},
    {14, "Rozsudek soudu", nullptr},
    {20, "Rozhodnutí pozemkového úřadu", nullptr},
    {30, "Usnesení soudu", "číslo deníku"},
    {31, "Pozemková kniha", "vložka"},
    {32, "Přídělová listina", nullptr},
    {34, "Rozhodnutí o vyvlastnění", nullptr},
    {40, "Vznik práva ze zákona", "zákon č."},
    {42, "Vydržení práva k nemovitosti", nullptr},
    {44, "Smlouva", "ze dne"},
    {49, "Jiná listina", "číslo"},
    {51, "Smlouva (dohoda)", "V1"},
    {52, "Smlouva", "V2"},
    {54, "Smlouva o převodu bytu a nebytového prostoru", "V4"},
    {57, "Dohoda o vypořádání BSM", "V7"},
    {63, "Směnná smlouva", "V13"},
    {66, "Dohoda o vypořádání společného jmění manželů", "V16"},
    {70, "Notářský zápis", "NZ"},
    {85, "Usnesení soudu ve věci projednání dědictví", "D"},
    {104, "Kolaudační rozhodnutí", nullptr},
    {140, "Prohlášení vlastníka jednotek", nullptr},
    {146, "Rozhodnutí stavebního úřadu", nullptr},
    {167, "Elektronický návrh na zápis", nullptr},
    {182, "Veřejnoprávní smlouva", nullptr},
    {215, "Prohlášení vlastníka nemovitosti", nullptr},
    {233, "Geometrický plán", nullptr},
};

void writeDeedKinds(const QString& dir)
{
    Rows rows;
    for (const DeedKind& k : deedKindTexts)
        rows.append({k.code, text(k.text1), text(k.text2)});
    ParadoxWriter::writeTable(dir + QLatin1Char('/') +
                                  QLatin1String(CadastralTables::DeedKindTable),
                              {shortField("KOD"), alpha("TEXT1", 60), alpha("TEXT2", 40)}, 1, rows);
}

QList<int> recordKindsOfSection(const char* section, int first, int last)
{
    QList<int> kinds;
    for (const RecordKind& k : recordKinds) {
        if (k.section && qstrcmp(k.section, section) == 0 && k.code >= first && k.code <= last)
            kinds.append(k.code);
    }
    return kinds;
}

} // namespace

void DemoCodeTables::writeAll(const QString& directory)
{
    writeParcelGroups(directory);
    writeSmallCodeLists(directory);
    writeOwnerCharacteristics(directory);
    writeLandKinds(directory);
    writeRecordKinds(directory);
    writeDeedKinds(directory);
}

const QList<int>& DemoCodeTables::buildingUses()
{
    static const QList<int> uses = [] {
        QList<int> list;
        for (const BuildingUse& b : buildingUseTexts)
            list.append(b.code);
        return list;
    }();
    return uses;
}

const QList<int>& DemoCodeTables::rightKinds()
{
    static const QList<int> kinds = recordKindsOfSection("C", 1000, 1999);
    return kinds;
}

const QList<int>& DemoCodeTables::entitlementKinds()
{
    static const QList<int> kinds = recordKindsOfSection("B", 2000, 2999);
    return kinds;
}

const QList<int>& DemoCodeTables::noteKinds()
{
    static const QList<int> kinds = recordKindsOfSection("D", 1000, 1999);
    return kinds;
}

const QList<int>& DemoCodeTables::deedKinds()
{
    static const QList<int> kinds = [] {
        QList<int> list;
        for (const DeedKind& k : deedKindTexts)
            list.append(k.code);
        return list;
    }();
    return kinds;
}
