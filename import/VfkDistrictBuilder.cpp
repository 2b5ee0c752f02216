#include "import/VfkDistrictBuilder.h"
#include "base/ETalvekException.h"
#include "data/CadastralTables.h"
#include "data/ParcelNumber.h"
#include "import/VfkOwnerRegistry.h"
#include "import/VfkRecordBuilder.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>
#include <map>

namespace {

const QString S(const char* text)
{
    return QString::fromLatin1(text);
}

int number(const QString& text)
{
    return text.isEmpty() ? 0 : int(text.toDouble());
}

// The year of a VFK date "dd.mm.yyyy hh:mm:ss".
int yearOf(const QString& date)
{
    return date.size() >= 10 ? date.mid(6, 4).toInt() : 0;
}

// Column indexes of a block looked up once, by name.
struct Columns
{
    const VfkBlock& block;
    int operator[](const char* name) const { return block.column(S(name)); }
};

} // namespace

VfkDistrictBuilder::VfkDistrictBuilder(const VfkDataSet& data)
    : m_data(data), m_owners(std::make_unique<VfkOwnerRegistry>(data))
{
}

VfkDistrictBuilder::~VfkDistrictBuilder() = default;

qint64 VfkDistrictBuilder::packShare(qint64 numerator, qint64 denominator, bool* approximated)
{
    if (approximated)
        *approximated = false;
    if (numerator <= 0 || denominator <= 0)
        return 0;
    if (numerator < 21474 && denominator < 100000)
        return numerator * 100000 + denominator;
    if (approximated)
        *approximated = true;
    // Best rational approximation by continued fractions under a bound on
    // the denominator that also keeps the numerator below 21474.
    const double value = double(numerator) / double(denominator);
    const qint64 maxDen = std::max<qint64>(1, std::min<qint64>(99999, qint64(21473 / value)));
    qint64 p0 = 0, q0 = 1, p1 = 1, q1 = 0;
    qint64 n = numerator, d = denominator;
    while (d != 0) {
        const qint64 a = n / d;
        const qint64 q2 = q0 + a * q1;
        if (q2 > maxDen)
            break;
        const qint64 p2 = p0 + a * p1;
        p0 = p1, q0 = q1, p1 = p2, q1 = q2;
        const qint64 r = n - a * d;
        n = d, d = r;
    }
    // The semiconvergent with the largest allowed denominator may be nearer.
    const qint64 k = q1 ? (maxDen - q0) / q1 : 0;
    const qint64 pk = p0 + k * p1, qk = q0 + k * q1;
    const bool semi = qk > 0 && std::abs(double(pk) / double(qk) - value) <
                                    std::abs(double(p1) / double(q1) - value);
    qint64 p = semi ? pk : p1, q = semi ? qk : q1;
    if (p <= 0)
        p = 1, q = maxDen; // a share too small to show keeps the smallest fraction
    return p * 100000 + q;
}

int VfkDistrictBuilder::protectionCode(const QList<int>& values)
{
    int hundreds = 0, tens = 0, units = 0;
    for (const int wanted : {3, 1, 2, 4}) {
        for (const int v : values)
            if (v / 100 % 10 == wanted && hundreds == 0)
                hundreds = wanted;
    }
    for (const int v : values) {
        tens |= v / 10 % 10;
        units |= v % 10;
    }
    return hundreds * 100 + tens * 10 + units;
}

int VfkDistrictBuilder::buildingUse(int zpvybu, int typbud, bool hasNumber)
{
    static const std::map<int, int> classes{{1, 100},  {12, 100}, {2, 200},  {13, 210}, {21, 210},
                                            {17, 300}, {18, 300}, {3, 400},  {6, 400},  {7, 400},
                                            {8, 420},  {4, 500},  {5, 600},  {9, 600},  {10, 600},
                                            {11, 600}, {14, 600}, {15, 600}, {16, 700}};
    int use = 900;
    if (const auto it = classes.find(zpvybu); it != classes.end())
        use = it->second;
    else if (zpvybu >= 22 && zpvybu <= 29)
        use = 700;
    if (typbud == 1)
        return use;
    if (typbud != 2 || !hasNumber)
        return use + 5;
    return use + (zpvybu == 18 ? 2 : 1);
}

qint64 VfkDistrictBuilder::legacyItem(const QString& text)
{
    static const QRegularExpression joined(
        QStringLiteral("POL\\.?\\s*VZ\\s*:?\\s*(\\d+)(\\d{4})\\b"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression slashed(
        QStringLiteral("POL\\.?\\s*VZ\\s*:?\\s*(\\d+)\\s*/\\s*(\\d{2,4})\\b"),
        QRegularExpression::CaseInsensitiveOption);
    QRegularExpressionMatch m = slashed.match(text);
    if (!m.hasMatch())
        m = joined.match(text);
    if (!m.hasMatch())
        return 0;
    const qint64 item = m.captured(1).toLongLong();
    return item > 99999 ? 0 : item * 100 + m.captured(2).toInt() % 100;
}

// ---------------------------------------------------------------------------

void VfkDistrictBuilder::planAreas(VfkDistrict& district)
{
    const VfkBlock& par = m_data.block(S("PAR"));
    const int katuze = par.column(S("KATUZE_KOD"));
    std::map<QString, std::pair<int, int>> firstFile; // code -> (file, numeric code)
    for (int r = 0; r < par.rows.size(); ++r) {
        const QString code = vfkValue(par.rows[r], katuze);
        auto [it, added] = firstFile.try_emplace(code, m_data.parcelFile(r), code.toInt());
        if (!added)
            it->second.first = std::min(it->second.first, m_data.parcelFile(r));
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
    std::sort(order.begin(), order.end());
    for (const auto& [key, code] : order) {
        VfkArea area;
        area.code = code;
        area.suffix = CadastralTables::AreaSuffix(int(district.areas.size()) + 1);
        const QStringList* row = m_data.find(S("KATUZE"), code);
        area.name = row ? vfkValue(*row, m_data.block(S("KATUZE")).column(S("NAZEV"))) : code;
        m_areaOfCode.insert(code, int(district.areas.size()));
        district.areas.append(area);
    }
}

void VfkDistrictBuilder::buildCatalogue(VfkDistrict& district)
{
    const VfkBlock& katuze = m_data.block(S("KATUZE"));
    const int kod = katuze.column(S("KOD")), obce = katuze.column(S("OBCE_KOD"));
    QHash<QString, QString> municipalityOf;
    std::map<int, QList<int>> areasOfMunicipality; // municipality -> area codes listed
    for (const QStringList& row : katuze.rows) {
        municipalityOf.insert(vfkValue(row, kod), vfkValue(row, obce));
        areasOfMunicipality[vfkValue(row, obce).toInt()].append(vfkValue(row, kod).toInt());
    }
    const VfkBlock& obceBlock = m_data.block(S("OBCE"));
    auto municipalityRow = [&](const QString& code) { return m_data.find(S("OBCE"), code); };
    const QString firstMunicipality = municipalityOf.value(district.areas.first().code);
    const QStringList* first = municipalityRow(firstMunicipality);
    district.code = first ? vfkValue(*first, obceBlock.column(S("OKRESY_KOD"))) : QString();
    const QStringList* okres = m_data.find(S("OKRESY"), district.code);
    district.name = okres ? vfkValue(*okres, m_data.block(S("OKRESY")).column(S("NAZEV")))
                          : QStringLiteral("Okres %1").arg(district.code);
    auto upper30 = [](const QString& name) { return name.toUpper().left(30); };
    district.catalogue.append(
        {S("00000"), QStringLiteral("%1").arg(district.code.toInt(), 6, 10, QLatin1Char('0')),
         S("000"), upper30(district.name)});

    std::map<int, QString> municipalities;
    for (const VfkArea& area : std::as_const(district.areas))
        municipalities.emplace(municipalityOf.value(area.code).toInt(),
                               municipalityOf.value(area.code));
    QHash<QString, QString> prefixOf;
    for (const auto& [numeric, code] : municipalities) {
        const QString prefix =
            QStringLiteral("%1").arg(prefixOf.size() + 1, 3, 10, QLatin1Char('0'));
        prefixOf.insert(code, prefix);
        const QStringList* row = municipalityRow(code);
        const QString name = row ? vfkValue(*row, obceBlock.column(S("NAZEV"))) : code;
        district.catalogue.append({prefix + S("00"), code, S("000"), upper30(name)});
        const QString okresOf = row ? vfkValue(*row, obceBlock.column(S("OKRESY_KOD"))) : QString();
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
        district.catalogue.append({prefixOf.value(municipality) +
                                       QStringLiteral("%1").arg(ordinal, 2, 10, QLatin1Char('0')),
                                   area.code, area.suffix, upper30(area.name)});
    }
}

void VfkDistrictBuilder::indexSheetsAndBuildings()
{
    const VfkBlock& tel = m_data.block(S("TEL"));
    const Columns t{tel};
    for (const QStringList& row : tel.rows) {
        m_index.sheetNumber.insert(row[t["ID"]], number(vfkValue(row, t["CISLO_TEL"])));
        m_index.sheetArea.insert(row[t["ID"]], vfkValue(row, t["KATUZE_KOD"]));
    }
    const VfkBlock& bud = m_data.block(S("BUD"));
    const Columns b{bud};
    std::map<int, QString> parts;
    for (const QStringList& row : bud.rows) {
        const QString id = vfkValue(row, b["ID"]);
        m_index.buildingSheet.insert(id, vfkValue(row, b["TEL_ID"]));
        const QString part = vfkValue(row, b["CAOBCE_KOD"]);
        if (!part.isEmpty())
            parts.emplace(part.toInt(), part);
        const int typbud = number(vfkValue(row, b["TYPBUD_KOD"]));
        const QString cislo = vfkValue(row, b["CISLO_DOMOVNI"]);
        m_index.buildingLabel.insert(
            id, cislo.isEmpty() || (typbud != 1 && typbud != 2)
                    ? QStringLiteral("bez čp/če")
                    : (typbud == 1 ? QStringLiteral("č.p. ") : QStringLiteral("č.e. ")) + cislo);
    }
    for (const auto& [numeric, code] : parts)
        m_houseNumberPart.insert(code, int(m_houseNumberPart.size()) + 1);
    const VfkBlock& jed = m_data.block(S("JED"));
    const Columns j{jed};
    for (const QStringList& row : jed.rows) {
        m_index.unitSheet.insert(vfkValue(row, j["ID"]), vfkValue(row, j["TEL_ID"]));
        m_index.unitBuilding.insert(vfkValue(row, j["ID"]), vfkValue(row, j["BUD_ID"]));
    }
}

// Keys, packed numbers and sheets of every parcel, the lowest parcel under
// each building and the parts whose building is written on another sheet.
void VfkDistrictBuilder::indexParcels(VfkDistrict& district)
{
    const VfkBlock& par = m_data.block(S("PAR"));
    const Columns c{par};
    QHash<QString, QHash<qint64, QStringList>> keysOfArea;
    for (const QStringList& row : par.rows) {
        const bool building = number(vfkValue(row, c["DRUH_CISLOVANI_PAR"])) == 1;
        int parskup;
        if (vfkValue(row, c["PAR_TYPE"]) == QLatin1String("PZE")) {
            const int zdpaze = number(vfkValue(row, c["ZDPAZE_KOD"]));
            parskup = zdpaze == 3 ? 3 : zdpaze == 6 ? (building ? 6 : 7) : (building ? 4 : 5);
        } else {
            parskup = building ? 1 : 2;
            if (!vfkValue(row, c["KATUZE_KOD_PUV"]).isEmpty())
                parskup += 7;
        }
        const ParcelKey key{parskup, number(vfkValue(row, c["KMENOVE_CISLO_PAR"])),
                            number(vfkValue(row, c["PODDELENI_CISLA_PAR"]))};
        const QString id = row[c["ID"]];
        const qint64 packed = PackParcelReference(key);
        const int pardil = number(vfkValue(row, c["DIL_PARCELY"]));
        m_index.packedParcel.insert(id, packed);
        m_index.parcelLabel.insert(id, FormatParcelNumber(key));
        m_index.parcelSheet.insert(id, vfkValue(row, c["TEL_ID"]));
        keysOfArea[vfkValue(row, c["KATUZE_KOD"])][packed * 10 + pardil].append(
            FormatParcelNumber(key) + (pardil ? QStringLiteral(" díl %1").arg(pardil) : QString()));
        const QString bud = vfkValue(row, c["BUD_ID"]);
        if (bud.isEmpty())
            continue;
        auto it = m_index.buildingParcel.find(bud);
        if (it == m_index.buildingParcel.end() || packed < *it)
            m_index.buildingParcel.insert(bud, packed);
        const QString budSheet = m_index.buildingSheet.value(bud);
        if (!budSheet.isEmpty() && budSheet != vfkValue(row, c["TEL_ID"]))
            m_index.splitParts.append({id, bud, vfkValue(row, c["TEL_ID"]), budSheet});
    }
    for (auto area = keysOfArea.cbegin(); area != keysOfArea.cend(); ++area) {
        QStringList duplicates;
        for (const QStringList& same : area.value())
            if (same.size() > 1)
                duplicates.append(same.first());
        if (duplicates.isEmpty())
            continue;
        std::sort(duplicates.begin(), duplicates.end());
        const VfkArea& named = district.areas[m_areaOfCode.value(area.key())];
        throw ETalvekException(
            QStringLiteral("Katastrální území %1 (%2) má více parcel se stejným číslem: %3. "
                           "Import se neprovedl.")
                .arg(named.name, named.code, duplicates.join(QStringLiteral(", "))));
    }
}

VfkArea* VfkDistrictBuilder::areaOfSheet(VfkDistrict& district, const QString& telId)
{
    const auto it = m_areaOfCode.constFind(m_index.sheetArea.value(telId));
    return it == m_areaOfCode.constEnd() ? nullptr : &district.areas[*it];
}

void VfkDistrictBuilder::buildOwners(VfkDistrict& district)
{
    const VfkBlock& vla = m_data.block(S("VLA"));
    const Columns v{vla};
    QHash<QString, QString> sectionOf;
    const VfkBlock& typrav = m_data.block(S("TYPRAV"));
    for (const QStringList& row : typrav.rows)
        sectionOf.insert(vfkValue(row, typrav.column(S("KOD"))).trimmed(),
                         vfkValue(row, typrav.column(S("SEKCE"))));
    struct Relation
    {
        QString section, name, opsub;
        qint64 share;
    };
    std::map<std::pair<int, QString>, QList<Relation>> bySheet; // (number, TEL.ID)
    for (const QStringList& row : vla.rows) {
        const QString tel = vfkValue(row, v["TEL_ID"]);
        const QString opsub = vfkValue(row, v["OPSUB_ID"]);
        if (!m_index.sheetNumber.contains(tel))
            continue;
        bool approximated = false;
        const qint64 num = qint64(vfkValue(row, v["PODIL_CITATEL"]).toDouble());
        const qint64 den = qint64(vfkValue(row, v["PODIL_JMENOVATEL"]).toDouble());
        const qint64 share = packShare(num, den, &approximated);
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
            {sectionOf.value(vfkValue(row, v["TYPRAV_KOD"]).trimmed()), m_owners->owner(opsub).name,
             opsub, share});
        m_index.ownerSheets[opsub].append(tel);
        m_index.sheetOwners[tel].append(opsub);
    }
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

void VfkDistrictBuilder::buildParcels(VfkDistrict& district)
{
    const VfkBlock& par = m_data.block(S("PAR"));
    const Columns c{par};
    const VfkBlock& bud = m_data.block(S("BUD"));
    const Columns b{bud};
    const VfkBlock& maplis = m_data.block(S("MAPLIS"));
    const VfkBlock& rizeni = m_data.block(S("RIZENI"));
    QHash<QString, QList<int>> protections;
    {
        QHash<int, int> nemochr;
        const VfkBlock& zpochn = m_data.block(S("ZPOCHN"));
        for (const QStringList& row : zpochn.rows)
            nemochr.insert(number(vfkValue(row, zpochn.column(S("KOD")))),
                           number(vfkValue(row, zpochn.column(S("NEMOCHR")))));
        const VfkBlock& rzo = m_data.block(S("RZO"));
        for (const QStringList& row : rzo.rows)
            protections[vfkValue(row, rzo.column(S("PAR_ID")))].append(
                nemochr.value(number(vfkValue(row, rzo.column(S("ZPOCHR_KOD"))))));
    }
    QHash<QString, std::pair<double, int>> soil; // PAR.ID -> (area, code) of the largest part
    {
        const VfkBlock& bdp = m_data.block(S("BDP"));
        const Columns d{bdp};
        for (const QStringList& row : bdp.rows) {
            const std::pair<double, int> part{vfkValue(row, d["VYMERA"]).toDouble(),
                                              number(vfkValue(row, d["BPEJ_KOD"]))};
            auto it = soil.find(vfkValue(row, d["PAR_ID"]));
            if (it == soil.end() || part > *it)
                soil.insert(vfkValue(row, d["PAR_ID"]), part);
        }
    }
    const int splitCount = int(m_index.splitParts.size());
    QSet<QString> split;
    for (int i = 0; i < splitCount; ++i)
        split.insert(m_index.splitParts[i].parcelId);

    for (const QStringList& row : par.rows) {
        VfkArea& area = district.areas[m_areaOfCode.value(vfkValue(row, c["KATUZE_KOD"]))];
        const QString id = row[c["ID"]];
        const ParcelKey key = UnpackParcelReference(double(m_index.packedParcel.value(id)));
        const QStringList* building = m_data.find(S("BUD"), vfkValue(row, c["BUD_ID"]));
        const int typbud = building ? number(vfkValue(*building, b["TYPBUD_KOD"])) : 0;
        const QString cislo = building ? vfkValue(*building, b["CISLO_DOMOVNI"]) : QString();
        qint64 cpce = 0;
        if (building && (typbud == 1 || typbud == 2) && !cislo.isEmpty())
            cpce = qint64(m_houseNumberPart.value(vfkValue(*building, b["CAOBCE_KOD"]))) * 10000 +
                   cislo.toInt();
        int nemvyuz = number(vfkValue(row, c["ZPVYPA_KOD"]));
        if (nemvyuz == 0 && building)
            nemvyuz =
                buildingUse(number(vfkValue(*building, b["ZPVYBU_KOD"])), typbud, !cislo.isEmpty());
        const bool apart = split.contains(id);
        const QString sheet = apart ? m_index.buildingSheet.value(vfkValue(row, c["BUD_ID"]))
                                    : vfkValue(row, c["TEL_ID"]);
        const QStringList* map = m_data.find(S("MAPLIS"), vfkValue(row, c["MAPLIS_KOD"]));
        const QStringList* proceeding =
            m_data.find(S("RIZENI"), vfkValue(row, c["RIZENI_ID_VZNIKU"]));
        qint64 ppolvz = 0;
        if (proceeding) {
            const qint64 n =
                qint64(vfkValue(*proceeding, rizeni.column(S("PORADOVE_CISLO"))).toDouble());
            if (n <= 99999)
                ppolvz = n * 100 + yearOf(vfkValue(*proceeding, rizeni.column(S("ROK")))) % 100;
        }
        const int pardil = number(vfkValue(row, c["DIL_PARCELY"]));
        area.parcels.append(
            {key.parskup, key.parcis, key.parpod, pardil,
             vfkValue(row, c["VYMERA_PARCELY"]).toDouble(), number(vfkValue(row, c["ZPURVY_KOD"])),
             number(vfkValue(row, c["DRUPOZ_KOD"])), protectionCode(protections.value(id)), nemvyuz,
             soil.value(id).second, double(cpce), 0, m_index.sheetNumber.value(sheet),
             apart ? 5 : 1,
             map ? vfkValue(*map, maplis.column(S("OZNACENI_MAPOVEHO_LISTU"))).left(5) : QString(),
             0, m_firstOwnerCharacteristic.value(sheet), int(ppolvz), FormatParcelNumber(key)});
    }
}

void VfkDistrictBuilder::buildSoil(VfkDistrict& district)
{
    const VfkBlock& bdp = m_data.block(S("BDP"));
    const Columns d{bdp};
    const VfkBlock& par = m_data.block(S("PAR"));
    QHash<int, std::vector<std::tuple<qint64, QString, double>>> rowsOfArea;
    for (const QStringList& row : bdp.rows) {
        const QString parId = vfkValue(row, d["PAR_ID"]);
        const QStringList* parcel = m_data.find(S("PAR"), parId);
        if (!parcel)
            continue;
        const int area = m_areaOfCode.value(vfkValue(*parcel, par.column(S("KATUZE_KOD"))));
        rowsOfArea[area].emplace_back(m_index.packedParcel.value(parId),
                                      vfkValue(row, d["BPEJ_KOD"]),
                                      vfkValue(row, d["VYMERA"]).toDouble());
    }
    for (auto it = rowsOfArea.begin(); it != rowsOfArea.end(); ++it) {
        auto& rows = it.value();
        std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
            return std::tie(std::get<0>(a), std::get<1>(a)) <
                   std::tie(std::get<0>(b), std::get<1>(b));
        });
        for (const auto& [packed, code, vymera] : rows) {
            const ParcelKey key = UnpackParcelReference(double(packed));
            district.areas[it.key()].soil.append(
                {key.parskup, double(key.parcis), key.parpod, vymera, code.left(5), 0.0});
        }
    }
}

void VfkDistrictBuilder::buildCodeRows(VfkDistrict& district)
{
    auto codeList = [&](const char* blockName, const char* table, auto makeRow) {
        const VfkBlock& block = m_data.block(S(blockName));
        const Columns c{block};
        for (const QStringList& row : block.rows)
            district.codeRows[S(table)].append(makeRow(row, c));
    };
    auto codeAndName = [](const QStringList& row, const Columns& c) -> QVariantList {
        return {number(vfkValue(row, c["KOD"])), vfkValue(row, c["NAZEV"])};
    };
    codeList("ZPURVY", CadastralTables::AreaQualityTable, codeAndName);
    codeList("CHAROS", CadastralTables::OwnerCharacteristicTable, codeAndName);
    codeList("DRUPOZ", CadastralTables::LandKindTable,
             [](const QStringList& row, const Columns& c) {
                 return QVariantList{number(vfkValue(row, c["KOD"])), vfkValue(row, c["ZKRATKA"]),
                                     vfkValue(row, c["NAZEV"]).left(40)};
             });
    codeList("TYPLIS", CadastralTables::DeedKindTable,
             [](const QStringList& row, const Columns& c) {
                 const QString name = vfkValue(row, c["NAZEV"]);
                 const qsizetype gap = name.indexOf(QStringLiteral("  "));
                 return QVariantList{number(vfkValue(row, c["KOD"])),
                                     (gap < 0 ? name : name.left(gap)).trimmed(),
                                     gap < 0 ? QString() : name.mid(gap).trimmed()};
             });
    // Land uses: every use of ZPVYPO under every kind of DRUPOZ, and the
    // kind without a use.
    const VfkBlock& drupoz = m_data.block(S("DRUPOZ"));
    const VfkBlock& zpvypo = m_data.block(S("ZPVYPO"));
    QList<QVariantList>& uses = district.codeRows[S(CadastralTables::LandUseTable)];
    for (const QStringList& kind : drupoz.rows) {
        const int k = number(vfkValue(kind, drupoz.column(S("KOD"))));
        uses.append({LandUseKey(k, 0), vfkValue(kind, drupoz.column(S("NAZEV"))) +
                                           QStringLiteral(" - bez způsobu využití")});
        for (const QStringList& use : zpvypo.rows)
            uses.append({k * 1000 + number(vfkValue(use, zpvypo.column(S("KOD")))),
                         vfkValue(use, zpvypo.column(S("NAZEV"))).left(60)});
    }
    // Record kinds of the rights: 1000 + code on the burdened sheet, 2000 +
    // code on the benefiting one.
    const VfkBlock& typrav = m_data.block(S("TYPRAV"));
    const Columns t{typrav};
    QList<QVariantList>& kinds = district.codeRows[S(CadastralTables::RecordKindTable)];
    for (const QStringList& row : typrav.rows) {
        const int code = number(vfkValue(row, t["KOD"]));
        QString section = vfkValue(row, t["SEKCE"]).trimmed();
        if (section != QLatin1String("B") && section != QLatin1String("C"))
            section = S("D");
        const QString name = vfkValue(row, t["NAZEV"]).left(60);
        kinds.append({1000 + code, section, name, S("povinnost"), S("P")});
        kinds.append({2000 + code, S("B"), name, QStringLiteral("oprávnění"), S("P")});
    }
}

VfkDistrict VfkDistrictBuilder::build()
{
    VfkDistrict district;
    district.repairedTexts = m_data.repairedTexts();
    planAreas(district);
    buildCatalogue(district);
    indexSheetsAndBuildings();
    indexParcels(district);
    buildOwners(district);
    buildParcels(district);
    buildSoil(district);
    VfkRecordBuilder records(m_data, m_index, *m_owners);
    for (VfkRecordBuilder::SheetRecords& sheet : records.build()) {
        VfkArea* area = areaOfSheet(district, sheet.telId);
        if (!area)
            continue;
        area->records.append(sheet.records);
        area->texts.append(sheet.texts);
    }
    buildCodeRows(district);
    return district;
}
