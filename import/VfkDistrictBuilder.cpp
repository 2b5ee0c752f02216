#include "import/VfkDistrictBuilder.h"
#include "base/ETalvekException.h"
#include "data/CadastralTables.h"
#include "import/VfkColumns.h"
#include "import/VfkOwnerRegistry.h"
#include "import/VfkParcelBuilder.h"
#include "import/VfkRecordBuilder.h"
#include "import/VfkValueCodes.h"

#include <QDir>
#include <algorithm>
#include <array>
#include <map>

namespace {

const QString S(const char* text)
{
    return QString::fromLatin1(text);
}

// The widths of the fields that the values go to.
constexpr qint64 ShortMax = 32767;      // Short: ±32767 (the lowest value is a blank)
constexpr qint64 LongMax = 2147483647;  // Long
constexpr qint64 ExactMax = 1LL << 53;  // a whole number a double holds exactly
constexpr qint64 HouseNumberMax = 9999; // CPCE keeps four digits of the number

} // namespace

VfkDistrictBuilder::VfkDistrictBuilder(const VfkDataSet& data, Plan* plan)
    : m_data(data), m_plan(plan)
{
}

VfkDistrictBuilder::~VfkDistrictBuilder() = default;

VfkReader::Selection VfkDistrictBuilder::columnsRead()
{
    const QStringList codeList{"KOD", "NAZEV", "ZKRATKA"};
    return {
        {"KATUZE", {"KOD", "OBCE_KOD", "NAZEV"}},
        {"OBCE", {"KOD", "OKRESY_KOD", "NAZEV"}},
        {"OKRESY", {"KOD", "NAZEV"}},
        {"PAR",
         {"ID", "KATUZE_KOD", "TEL_ID", "KMENOVE_CISLO_PAR", "DRUH_CISLOVANI_PAR", "PAR_TYPE",
          "ZDPAZE_KOD", "KATUZE_KOD_PUV", "PODDELENI_CISLA_PAR", "DIL_PARCELY", "BUD_ID",
          "ZPVYPA_KOD", "MAPLIS_KOD", "RIZENI_ID_VZNIKU", "VYMERA_PARCELY", "ZPURVY_KOD",
          "DRUPOZ_KOD"}},
        {"TEL", {"ID", "KATUZE_KOD", "CISLO_TEL"}},
        {"BUD", {"ID", "TEL_ID", "CAOBCE_KOD", "TYPBUD_KOD", "CISLO_DOMOVNI", "ZPVYBU_KOD"}},
        {"JED", {"ID", "TEL_ID", "BUD_ID"}},
        {"VLA", {"ID", "TEL_ID", "OPSUB_ID", "TYPRAV_KOD", "PODIL_CITATEL", "PODIL_JMENOVATEL"}},
        {"OPSUB",
         {"ID", "OPSUB_TYPE", "CHAROS_KOD", "ICO", "NAZEV", "RODNE_CISLO", "PRIJMENI", "JMENO",
          "TITUL_PRED_JMENEM", "TITUL_ZA_JMENEM", "ID_JE_1_PARTNER_BSM", "ID_JE_2_PARTNER_BSM",
          "NAZEV_ULICE", "CAST_OBCE", "CISLO_DOMOVNI", "CISLO_ORIENTACNI", "OBEC"}},
        {"JPV",
         {"ID", "TYPRAV_KOD", "POPIS_PRAVNIHO_VZTAHU", "TEL_ID", "PAR_ID_K", "BUD_ID_K", "JED_ID_K",
          "OPSUB_ID_K", "PAR_ID_PRO", "BUD_ID_PRO", "JED_ID_PRO", "OPSUB_ID_PRO"}},
        {"RL", {"ID", "JPV_ID", "LISTIN_ID", "OPSUB_ID", "PAR_ID", "BUD_ID", "JED_ID"}},
        {"LISTIN",
         {"ID", "TYPLIST_KOD", "PORADOVE_CISLO_ZHOTOVITELE", "ROK_ZHOTOVITELE", "RIZENI_ID",
          "DOPLNENI_ZHOTOVITELE", "POPIS", "DATUM_VYHOTOVENI", "DATUM_PRAV_MOCI"}},
        {"RIZENI", {"ID", "PORADOVE_CISLO", "ROK"}},
        {"RZO", {"ID", "PAR_ID", "ZPOCHR_KOD"}},
        {"BDP", {}},
        {"MAPLIS", {"ID", "OZNACENI_MAPOVEHO_LISTU"}},
        {"ZPOCHN", {"KOD", "NEMOCHR"}},
        {"TYPRAV", {"KOD", "SEKCE", "NAZEV"}},
        {"ZPURVY", codeList},
        {"CHAROS", codeList},
        {"DRUPOZ", codeList},
        {"TYPLIS", codeList},
        {"ZPVYPO", codeList}};
}

// ---------------------------------------------------------------------------

void VfkDistrictBuilder::planAreas(VfkDistrict& district)
{
    const VfkColumns par(m_data, S("PAR"));
    const int katuze = par.required("KATUZE_KOD");
    std::map<QString, std::pair<int, int>> firstFile; // code -> (file, numeric code)
    QHash<QString, int> firstRow;                     // code -> its first PAR row
    for (int r = 0; r < par.rows(); ++r) {
        const QString code = par.text(r, katuze);
        const int numeric = int(par.integer(r, katuze, 1, 999999, -1));
        if (numeric < 0 || code.size() > 6) // IDENTCIS holds six characters
            par.refuse(
                r,
                QStringLiteral(
                    "parcela nemá platný kód katastrálního území (KATUZE_KOD, nejvýše 6 číslic)."));
        const int file = m_data.parcelFile(r);
        auto [it, added] = firstFile.try_emplace(code, file, numeric);
        if (added)
            firstRow.insert(code, r);
        else
            it->second.first = std::min(it->second.first, file);
        if (m_index.areasOfFile.size() <= file)
            m_index.areasOfFile.resize(file + 1);
        m_index.areasOfFile[file].insert(code);
    }
    if (firstFile.empty())
        throw ETalvekException(
            QStringLiteral("Soubor %1 neobsahuje žádné parcely (řádky &DPAR); import potřebuje "
                           "úplný stav katastrálního území.")
                .arg(m_data.paths().isEmpty()
                         ? QString()
                         : QDir::toNativeSeparators(m_data.paths().join(QStringLiteral(", ")))));
    std::vector<std::pair<std::pair<int, int>, QString>> order;
    for (const auto& [code, key] : firstFile)
        order.push_back({key, code});
    // Built by a plan, the areas keep the suffixes the scan of every file gave.
    if (m_plan)
        for (auto& [key, code] : order)
            key = {m_plan->suffixOfArea.value(code).toInt(), 0};
    std::sort(order.begin(), order.end());
    if (order.size() > 999) // the tables' suffixes have three digits
        throw ETalvekException(QStringLiteral("Soubory VFK mají %1 katastrálních území; okres jich "
                                              "pojme nejvýše 999. Import se neprovedl.")
                                   .arg(order.size()));
    const VfkColumns katuzeBlock(m_data, S("KATUZE"));
    const int name = katuzeBlock.optional("NAZEV");
    for (const auto& [key, code] : order) {
        // The area's name and municipality come from its KATUZE row; without
        // one the catalogue cannot place the area.
        const int row = katuzeBlock.find(code);
        if (row < 0)
            par.refuse(firstRow.value(code),
                       QStringLiteral("katastrální území %1 má parcely, ale soubory nemají jeho "
                                      "řádek &DKATUZE (název a obec území).")
                           .arg(code));
        VfkArea area;
        area.code = code;
        area.suffix = m_plan ? m_plan->suffixOfArea.value(code)
                             : CadastralTables::AreaSuffix(int(district.areas.size()) + 1);
        area.name = katuzeBlock.text(row, name);
        m_areaOfCode.insert(code, int(district.areas.size()));
        district.areas.append(area);
    }
}

VfkReader::Selection VfkDistrictBuilder::catalogueColumns()
{
    const VfkReader::Selection all = columnsRead();
    return {{"KATUZE", all.value("KATUZE")},
            {"OBCE", all.value("OBCE")},
            {"OKRESY", all.value("OKRESY")},
            {"PAR", {"KATUZE_KOD"}},
            {"BUD", {"CAOBCE_KOD"}}};
}

VfkDistrict VfkDistrictBuilder::buildCatalogue(Plan& plan)
{
    VfkDistrict district;
    planAreas(district);
    buildCatalogue(district);
    houseNumberParts();
    for (const VfkArea& area : std::as_const(district.areas))
        plan.suffixOfArea.insert(area.code, area.suffix);
    plan.houseNumberPart = m_houseNumberPart;
    return district;
}

void VfkDistrictBuilder::buildCatalogue(VfkDistrict& district)
{
    const VfkColumns katuze(m_data, S("KATUZE"));
    const int kod = katuze.required("KOD"), obce = katuze.required("OBCE_KOD");
    QHash<QString, QString> municipalityOf;
    std::map<int, QList<int>> areasOfMunicipality; // municipality -> area codes listed
    for (int r = 0; r < katuze.rows(); ++r) {
        municipalityOf.insert(katuze.text(r, kod), katuze.text(r, obce));
        areasOfMunicipality[int(katuze.integer(r, obce, 0, 999999))].append(
            int(katuze.integer(r, kod, 0, 999999)));
    }
    const VfkColumns obceBlock(m_data, S("OBCE"));
    const int okresyKod = obceBlock.optional("OKRESY_KOD"), obceName = obceBlock.optional("NAZEV");
    const QString firstMunicipality = municipalityOf.value(district.areas.first().code);
    const int first = obceBlock.find(firstMunicipality);
    district.code = obceBlock.text(first, okresyKod);
    const VfkColumns okresy(m_data, S("OKRESY"));
    const int okres = okresy.find(district.code);
    district.name = okres >= 0 ? okresy.text(okres, okresy.optional("NAZEV"))
                               : QStringLiteral("Okres %1").arg(district.code);
    auto upper30 = [](const QString& name) { return name.toUpper().left(30); };
    if (first >= 0)
        obceBlock.integer(first, okresyKod, 0, 999999); // IDENTCIS: 6 digits
    district.catalogue.append(
        {S("00000"), QStringLiteral("%1").arg(district.code.toInt(), 6, 10, QLatin1Char('0')),
         S("000"), upper30(district.name)});

    std::map<int, QString> municipalities;
    for (const VfkArea& area : std::as_const(district.areas))
        municipalities.emplace(municipalityOf.value(area.code).toInt(),
                               municipalityOf.value(area.code));
    // KATUZ has five characters: three of the municipality, two of the area.
    if (municipalities.size() > 999)
        throw ETalvekException(QStringLiteral("Soubory VFK mají %1 obcí; okres jich pojme "
                                              "nejvýše 999. Import se neprovedl.")
                                   .arg(municipalities.size()));
    QHash<QString, QString> prefixOf;
    for (const auto& [numeric, code] : municipalities) {
        const QString prefix =
            QStringLiteral("%1").arg(prefixOf.size() + 1, 3, 10, QLatin1Char('0'));
        prefixOf.insert(code, prefix);
        const int row = obceBlock.find(code);
        const QString name = row >= 0 ? obceBlock.text(row, obceName) : code;
        district.catalogue.append({prefix + S("00"), code, S("000"), upper30(name)});
        const QString okresOf = obceBlock.text(row, okresyKod);
        if (okresOf != district.code)
            district.warnings.append(
                QStringLiteral("Obec %1 (%2) patří do jiného okresu (%3) než okres %4; její "
                               "katastrální území se importují do okresu %4.")
                    .arg(name, code, okresOf, district.name));
    }
    for (const VfkArea& area : std::as_const(district.areas)) {
        const QString municipality = municipalityOf.value(area.code);
        QList<int> listed = areasOfMunicipality[municipality.toInt()];
        std::sort(listed.begin(), listed.end());
        const int ordinal = int(listed.indexOf(area.code.toInt())) + 1;
        if (ordinal > 99)
            throw ETalvekException(
                QStringLiteral("Obec %1 má v souborech VFK %2 katastrálních území; katalog jich "
                               "pojme nejvýše 99. Import se neprovedl.")
                    .arg(municipality)
                    .arg(listed.size()));
        district.catalogue.append({prefixOf.value(municipality) +
                                       QStringLiteral("%1").arg(ordinal, 2, 10, QLatin1Char('0')),
                                   area.code, area.suffix, upper30(area.name)});
    }
}

// The parts of municipality of all buildings, numbered in code order (the
// first digit group of CPCE).
void VfkDistrictBuilder::houseNumberParts()
{
    if (m_plan) {
        m_houseNumberPart = m_plan->houseNumberPart;
        return;
    }
    const VfkColumns bud(m_data, S("BUD"));
    const int caobce = bud.optional("CAOBCE_KOD");
    std::map<int, QString> parts;
    for (int r = 0; r < bud.rows(); ++r) {
        const QString part = bud.text(r, caobce);
        if (!part.isEmpty())
            parts.emplace(int(bud.integer(r, caobce, 0, 999999)), part);
    }
    for (const auto& [numeric, code] : parts)
        m_houseNumberPart.insert(code, int(m_houseNumberPart.size()) + 1);
}

void VfkDistrictBuilder::indexSheetsAndBuildings()
{
    const VfkColumns tel(m_data, S("TEL"));
    const int telId = tel.required("ID"), telArea = tel.required("KATUZE_KOD"),
              cisloTel = tel.required("CISLO_TEL");
    QHash<std::pair<QString, int>, int> sheetRow; // (area, number) -> row
    for (int r = 0; r < tel.rows(); ++r) {
        // LVCIS is a Long; 0 and below are no sheet.
        const int number = int(tel.integer(r, cisloTel, 1, LongMax, -1));
        if (number < 0)
            tel.refuse(r, QStringLiteral("list vlastnictví nemá číslo (CISLO_TEL)."));
        const QString id = tel.text(r, telId), area = tel.text(r, telArea);
        const int earlier = sheetRow.value(std::pair{area, number}, -1);
        if (earlier >= 0)
            tel.refuse(r, QStringLiteral("list vlastnictví %1 katastrálního území %2 je v "
                                         "souborech dvakrát (poprvé: %3).")
                              .arg(number)
                              .arg(area, tel.where(earlier)));
        sheetRow.insert(std::pair{area, number}, r);
        m_index.sheetNumber.insert(id, number);
        m_index.sheetArea.insert(id, area);
    }
    const VfkColumns bud(m_data, S("BUD"));
    const int budId = bud.required("ID"), budTel = bud.required("TEL_ID"),
              typbudColumn = bud.optional("TYPBUD_KOD"),
              cisloColumn = bud.optional("CISLO_DOMOVNI");
    for (int r = 0; r < bud.rows(); ++r) {
        const QString id = bud.text(r, budId);
        m_index.buildingSheet.insert(id, bud.text(r, budTel));
        const qint64 typbud = bud.integer(r, typbudColumn, -LongMax, LongMax);
        const qint64 cislo = bud.integer(r, cisloColumn, 0, HouseNumberMax, -1);
        m_index.buildingLabel.insert(
            id, cislo < 0 || (typbud != 1 && typbud != 2)
                    ? QStringLiteral("bez čp/če")
                    : (typbud == 1 ? QStringLiteral("č.p. %1") : QStringLiteral("č.e. %1"))
                          .arg(bud.text(r, cisloColumn)));
    }
    const VfkColumns jed(m_data, S("JED"));
    const int jedId = jed.required("ID"), jedTel = jed.required("TEL_ID"),
              jedBud = jed.required("BUD_ID");
    for (int r = 0; r < jed.rows(); ++r) {
        m_index.unitSheet.insert(jed.text(r, jedId), jed.text(r, jedTel));
        m_index.unitBuilding.insert(jed.text(r, jedId), jed.text(r, jedBud));
    }
}

VfkArea* VfkDistrictBuilder::areaOfSheet(VfkDistrict& district, const QString& telId)
{
    const auto it = m_areaOfCode.constFind(m_index.sheetArea.value(telId));
    return it == m_areaOfCode.constEnd() ? nullptr : &district.areas[*it];
}

void VfkDistrictBuilder::buildOwners(VfkDistrict& district)
{
    const VfkColumns v(m_data, S("VLA"));
    const int telColumn = v.required("TEL_ID"), opsubColumn = v.required("OPSUB_ID"),
              typrav = v.optional("TYPRAV_KOD"), citatel = v.optional("PODIL_CITATEL"),
              jmenovatel = v.optional("PODIL_JMENOVATEL");
    QHash<QString, QString> sectionOf;
    const VfkColumns typravList(m_data, S("TYPRAV"));
    const int kod = typravList.required("KOD"), sekce = typravList.optional("SEKCE");
    for (int r = 0; r < typravList.rows(); ++r)
        sectionOf.insert(typravList.text(r, kod).trimmed(), typravList.text(r, sekce));
    struct Relation
    {
        QString section, name, opsub;
        qint64 share;
        int row;
    };
    std::map<std::pair<int, QString>, QList<Relation>> bySheet; // (number, TEL.ID)
    for (int r = 0; r < v.rows(); ++r) {
        const QString tel = v.text(r, telColumn);
        const QString opsub = v.text(r, opsubColumn);
        if (!m_index.sheetNumber.contains(tel))
            continue;
        const qint64 num = v.integer(r, citatel, 0, ExactMax);
        const qint64 den = v.integer(r, jmenovatel, 0, ExactMax);
        if (num > 0 && den == 0)
            v.refuse(r, QStringLiteral("podíl %1/0 nemá jmenovatele.").arg(num));
        bool approximated = false;
        const qint64 share = VfkValueCodes::packShare(num, den, &approximated);
        if (share < 0)
            v.refuse(r, QStringLiteral("podíl %1/%2 se do tabulky nevejde ani přibližně.")
                            .arg(num)
                            .arg(den));
        if (approximated)
            district.warnings.append(
                QStringLiteral("List vlastnictví %1: podíl %2/%3 se nevejde do tabulky; zapsán "
                               "jako nejbližší zlomek %4/%5.")
                    .arg(m_index.sheetNumber.value(tel))
                    .arg(num)
                    .arg(den)
                    .arg(share / 100000)
                    .arg(share % 100000));
        bySheet[{m_index.sheetNumber.value(tel), tel}].append(
            {sectionOf.value(v.text(r, typrav).trimmed()), m_owners->owner(opsub).name, opsub,
             share, r});
        m_index.ownerSheets[opsub].append(tel);
        m_index.sheetOwners[tel].append(opsub);
    }
    // A person with two shares on one sheet is an owner there once.
    for (QStringList& sheets : m_index.ownerSheets)
        sheets.removeDuplicates();
    std::map<std::pair<double, int>, QString> ownerRows;
    QHash<QString, QSet<QString>> ownersOfArea;
    for (auto& [sheet, relations] : bySheet) {
        VfkArea* area = areaOfSheet(district, sheet.second);
        if (!area)
            continue;
        std::stable_sort(
            relations.begin(), relations.end(), [](const Relation& a, const Relation& b) {
                return a.section != b.section ? a.section < b.section : a.name < b.name;
            });
        if (relations.size() > ShortMax) // VLPOR is a Short
            v.refuse(relations.last().row,
                     QStringLiteral("list vlastnictví %1 má víc než %2 vlastníků.")
                         .arg(sheet.first)
                         .arg(ShortMax));
        for (int i = 0; i < relations.size(); ++i) {
            const VfkOwner& owner = m_owners->owner(relations[i].opsub);
            if (i == 0)
                m_firstOwnerCharacteristic.insert(sheet.second, owner.uvchar);
            area->relations.append({double(sheet.first), i + 1, owner.ident, owner.uvchar,
                                    double(relations[i].share), owner.sector});
            ownerRows.emplace(std::pair{owner.ident, owner.uvchar}, owner.name);
            ownersOfArea[area->code].insert(relations[i].opsub);
        }
    }
    for (const auto& [key, name] : ownerRows)
        district.owners.append({key.first, key.second, name});
    for (VfkArea& area : district.areas)
        area.owners = int(ownersOfArea.value(area.code).size());
    for (auto it = m_index.sheetArea.cbegin(); it != m_index.sheetArea.cend(); ++it)
        if (VfkArea* area = areaOfSheet(district, it.key()))
            ++area->sheets;
}

void VfkDistrictBuilder::buildCodeRows(VfkDistrict& district)
{
    // Codes go to Short fields.
    // Columns looked up once per list: KOD, NAZEV, ZKRATKA.
    auto codeList = [&](const char* blockName, const char* table, auto makeRow) {
        const VfkColumns c(m_data, S(blockName));
        const int kod = c.required("KOD");
        const std::array<int, 2> texts{c.optional("NAZEV"), c.optional("ZKRATKA")};
        for (int r = 0; r < c.rows(); ++r)
            district.codeRows[S(table)].append(
                makeRow(c, r, int(c.integer(r, kod, 0, ShortMax)), texts));
    };
    using Texts = std::array<int, 2>;
    auto codeAndName = [](const VfkColumns& c, int r, int code, const Texts& t) -> QVariantList {
        return {code, c.text(r, t[0])};
    };
    codeList("ZPURVY", CadastralTables::AreaQualityTable, codeAndName);
    codeList("CHAROS", CadastralTables::OwnerCharacteristicTable, codeAndName);
    codeList("DRUPOZ", CadastralTables::LandKindTable,
             [](const VfkColumns& c, int r, int code, const Texts& t) {
                 return QVariantList{code, c.text(r, t[1]), c.text(r, t[0]).left(40)};
             });
    codeList("TYPLIS", CadastralTables::DeedKindTable,
             [](const VfkColumns& c, int r, int code, const Texts& t) {
                 const QString name = c.text(r, t[0]);
                 const qsizetype gap = name.indexOf(QStringLiteral("  "));
                 return QVariantList{code, (gap < 0 ? name : name.left(gap)).trimmed(),
                                     gap < 0 ? QString() : name.mid(gap).trimmed()};
             });
    // Land uses: every use of ZPVYPO under every kind of DRUPOZ, and the
    // kind without a use (kind * 1000 + use fits the Long key).
    const VfkColumns drupoz(m_data, S("DRUPOZ"));
    const VfkColumns zpvypo(m_data, S("ZPVYPO"));
    const int kindCode = drupoz.required("KOD"), kindName = drupoz.optional("NAZEV");
    const int useCode = zpvypo.required("KOD"), useName = zpvypo.optional("NAZEV");
    QList<QVariantList>& uses = district.codeRows[S(CadastralTables::LandUseTable)];
    for (int k = 0; k < drupoz.rows(); ++k) {
        const int kind = int(drupoz.integer(k, kindCode, 0, ShortMax));
        uses.append({LandUseKey(kind, 0),
                     drupoz.text(k, kindName) + QStringLiteral(" - bez způsobu využití")});
        for (int u = 0; u < zpvypo.rows(); ++u)
            uses.append({kind * 1000 + int(zpvypo.integer(u, useCode, 0, 999)),
                         zpvypo.text(u, useName).left(60)});
    }
    // Record kinds of the rights: 1000 + code on the burdened sheet, 2000 +
    // code on the benefiting one (both fit the Short key).
    const VfkColumns t(m_data, S("TYPRAV"));
    const int kod = t.required("KOD"), sekce = t.optional("SEKCE"), nazev = t.optional("NAZEV");
    QList<QVariantList>& kinds = district.codeRows[S(CadastralTables::RecordKindTable)];
    for (int r = 0; r < t.rows(); ++r) {
        const int code = int(t.integer(r, kod, 0, ShortMax - 2000));
        QString section = t.text(r, sekce).trimmed();
        if (section != QLatin1String("B") && section != QLatin1String("C"))
            section = S("D");
        const QString name = t.text(r, nazev).left(60);
        kinds.append({1000 + code, section, name, S("povinnost"), S("P")});
        kinds.append({2000 + code, S("B"), name, QStringLiteral("oprávnění"), S("P")});
    }
}

VfkDistrict VfkDistrictBuilder::build()
{
    VfkDistrict district;
    district.repairedTexts = m_data.repairedTexts();
    m_owners = std::make_unique<VfkOwnerRegistry>(m_data, m_plan ? &m_plan->surrogates : nullptr);
    planAreas(district);
    if (!m_plan)
        buildCatalogue(district);
    houseNumberParts();
    indexSheetsAndBuildings();
    VfkParcelBuilder parcels(m_data, m_index, m_areaOfCode);
    parcels.index(district);
    buildOwners(district);
    parcels.build(district, m_houseNumberPart, m_firstOwnerCharacteristic);
    VfkRecordBuilder(m_data, m_index, *m_owners).build([&](const QString& telId) {
        VfkArea* area = areaOfSheet(district, telId);
        return area ? &area->records : nullptr;
    });
    buildCodeRows(district);
    for (VfkArea& area : district.areas) {
        area.parcelCount = area.parcels.size();
        area.soilCount = area.soil.size();
    }
    return district;
}
