#include "import/VfkParcelBuilder.h"
#include "base/ETalvekException.h"
#include "data/ParcelNumber.h"
#include "import/VfkColumns.h"
#include "import/VfkValueCodes.h"

#include <algorithm>
#include <tuple>

namespace {

const QString S(const char* text)
{
    return QString::fromLatin1(text);
}

// The widths of the fields that the values go to.
constexpr qint64 ShortMax = 32767;      // Short: ±32767 (the lowest value is a blank)
constexpr qint64 LongMax = 2147483647;  // Long
constexpr qint64 ExactMax = 1LL << 53;  // a whole number a double holds exactly
constexpr qint64 StemMax = 9'999'999;   // a packed parcel keeps seven digits of the stem
constexpr qint64 SubdivisionMax = 999;  // and three of the subdivision
constexpr double AreaMax = 1e15;        // m², far beyond any parcel
constexpr qint64 HouseNumberMax = 9999; // CPCE keeps four digits of the number

// The year of a VFK date "dd.mm.yyyy hh:mm:ss"; 0 when it has none.
int yearOf(const QString& date)
{
    bool ok = false;
    const int year = date.size() >= 10 ? date.mid(6, 4).toInt(&ok) : 0;
    return ok && year > 0 ? year : 0;
}

} // namespace

VfkParcelBuilder::VfkParcelBuilder(const VfkDataSet& data, VfkIndex& index,
                                   const QHash<QString, int>& areaOfCode)
    : m_data(data), m_index(index), m_areaOfCode(areaOfCode)
{
}

void VfkParcelBuilder::build(VfkDistrict& district, const QHash<QString, int>& houseNumberPart,
                             const QHash<QString, int>& firstOwnerCharacteristic)
{
    buildParcels(district, houseNumberPart, firstOwnerCharacteristic);
    buildSoil(district);
}

int VfkParcelBuilder::parcelGroup(const QString& type, bool building, qint64 zdpaze, bool former)
{
    if (type == QLatin1String("PZE"))
        return zdpaze == 3 ? 3 : zdpaze == 6 ? (building ? 6 : 7) : (building ? 4 : 5);
    return (building ? 1 : 2) + (former ? 7 : 0);
}

// Keys, packed numbers and sheets of every parcel, the lowest parcel under
// each building and the parts whose building is written on another sheet.
void VfkParcelBuilder::index(const VfkDistrict& district)
{
    const VfkColumns c(m_data, S("PAR"));
    const int idColumn = c.required("ID"), katuze = c.required("KATUZE_KOD"),
              telColumn = c.required("TEL_ID"), stem = c.required("KMENOVE_CISLO_PAR"),
              numbering = c.required("DRUH_CISLOVANI_PAR"), type = c.optional("PAR_TYPE"),
              zdpazeColumn = c.optional("ZDPAZE_KOD"), former = c.optional("KATUZE_KOD_PUV"),
              subdivision = c.optional("PODDELENI_CISLA_PAR"), part = c.optional("DIL_PARCELY"),
              budColumn = c.optional("BUD_ID");
    QHash<QString, QHash<std::pair<qint64, int>, QStringList>> keysOfArea;
    for (int r = 0; r < c.rows(); ++r) {
        const bool building = c.integer(r, numbering, -LongMax, LongMax) == 1;
        const int parskup =
            parcelGroup(c.text(r, type), building, c.integer(r, zdpazeColumn, -LongMax, LongMax),
                        !c.text(r, former).isEmpty());
        // The packed parcel keeps seven digits of the stem and three of the
        // subdivision: a larger value would name another parcel.
        const ParcelKey key{parskup, int(c.integer(r, stem, 1, StemMax, -1)),
                            int(c.integer(r, subdivision, 0, SubdivisionMax))};
        if (key.parcis < 0)
            c.refuse(r, QStringLiteral("parcela nemá kmenové číslo (KMENOVE_CISLO_PAR)."));
        // PARCISLO holds 12 characters ("(-1234567/12)" of an older register does not fit).
        if (FormatParcelNumber(key).size() > 12)
            c.refuse(r, QStringLiteral("číslo parcely %1 je delší než 12 znaků.")
                            .arg(FormatParcelNumber(key)));
        const QString id = c.text(r, idColumn);
        const qint64 packed = PackParcelReference(key);
        const int pardil = int(c.integer(r, part, 0, ShortMax));
        m_index.packedParcel.insert(id, packed);
        m_index.parcelLabel.insert(id, FormatParcelNumber(key));
        m_index.parcelSheet.insert(id, c.text(r, telColumn));
        keysOfArea[c.text(r, katuze)][{packed, pardil}].append(
            FormatParcelNumber(key) + (pardil ? QStringLiteral(" díl %1").arg(pardil) : QString()));
        const QString bud = c.text(r, budColumn);
        if (bud.isEmpty())
            continue;
        auto it = m_index.buildingParcel.find(bud);
        if (it == m_index.buildingParcel.end() || packed < *it)
            m_index.buildingParcel.insert(bud, packed);
        const QString budSheet = m_index.buildingSheet.value(bud);
        if (!budSheet.isEmpty() && budSheet != c.text(r, telColumn))
            m_index.splitParts.append({id, bud, c.text(r, telColumn), budSheet});
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

// NEMOCHR digits of each parcel's protections (RZO -> ZPOCHN.NEMOCHR).
QHash<QString, QList<int>> VfkParcelBuilder::protections() const
{
    QHash<int, int> nemochr;
    const VfkColumns zpochn(m_data, S("ZPOCHN"));
    const int kod = zpochn.required("KOD"), value = zpochn.required("NEMOCHR");
    for (int r = 0; r < zpochn.rows(); ++r)
        nemochr.insert(int(zpochn.integer(r, kod, -LongMax, LongMax)),
                       int(zpochn.integer(r, value, 0, 999)));
    QHash<QString, QList<int>> result;
    const VfkColumns rzo(m_data, S("RZO"));
    const int parcel = rzo.required("PAR_ID"), code = rzo.required("ZPOCHR_KOD");
    for (int r = 0; r < rzo.rows(); ++r)
        result[rzo.text(r, parcel)].append(
            nemochr.value(int(rzo.integer(r, code, -LongMax, LongMax))));
    return result;
}

// PAR.ID -> (area, code) of the largest soil-quality part (ties: the higher code).
QHash<QString, std::pair<double, int>> VfkParcelBuilder::largestSoilParts() const
{
    QHash<QString, std::pair<double, int>> soil;
    const VfkColumns d(m_data, S("BDP"));
    const int parcel = d.required("PAR_ID"), code = d.required("BPEJ_KOD"),
              vymera = d.optional("VYMERA");
    for (int r = 0; r < d.rows(); ++r) {
        // BONITA is a Long; a soil-quality code has five digits.
        const std::pair<double, int> part{d.real(r, vymera, AreaMax),
                                          int(d.integer(r, code, 0, 99999))};
        auto it = soil.find(d.text(r, parcel));
        if (it == soil.end() || part > *it)
            soil.insert(d.text(r, parcel), part);
    }
    return soil;
}

void VfkParcelBuilder::buildParcels(VfkDistrict& district,
                                    const QHash<QString, int>& houseNumberPart,
                                    const QHash<QString, int>& firstOwnerCharacteristic)
{
    const VfkColumns c(m_data, S("PAR"));
    const int idColumn = c.required("ID"), katuze = c.required("KATUZE_KOD"),
              telColumn = c.required("TEL_ID"), budColumn = c.optional("BUD_ID"),
              use = c.optional("ZPVYPA_KOD"), maplisColumn = c.optional("MAPLIS_KOD"),
              origin = c.optional("RIZENI_ID_VZNIKU"), part = c.optional("DIL_PARCELY"),
              vymera = c.optional("VYMERA_PARCELY"), quality = c.optional("ZPURVY_KOD"),
              kind = c.optional("DRUPOZ_KOD");
    const VfkColumns b(m_data, S("BUD"));
    const int typbudColumn = b.optional("TYPBUD_KOD"), cisloColumn = b.optional("CISLO_DOMOVNI"),
              caobce = b.optional("CAOBCE_KOD"), zpvybu = b.optional("ZPVYBU_KOD");
    const VfkColumns maplis(m_data, S("MAPLIS"));
    const int mapName = maplis.optional("OZNACENI_MAPOVEHO_LISTU");
    const VfkColumns rizeni(m_data, S("RIZENI"));
    const int rizeniNumber = rizeni.optional("PORADOVE_CISLO"), rizeniYear = rizeni.optional("ROK");
    const QHash<QString, QList<int>> protection = protections();
    const QHash<QString, std::pair<double, int>> soil = largestSoilParts();
    QSet<QString> split;
    for (const VfkIndex::SplitPart& splitPart : std::as_const(m_index.splitParts))
        split.insert(splitPart.parcelId);

    for (int r = 0; r < c.rows(); ++r) {
        VfkArea& area = district.areas[m_areaOfCode.value(c.text(r, katuze))];
        const QString id = c.text(r, idColumn);
        const ParcelKey key = UnpackParcelReference(double(m_index.packedParcel.value(id)));
        const int br = b.find(c.text(r, budColumn));
        const bool building = br >= 0;
        const qint64 typbud = building ? b.integer(br, typbudColumn, -LongMax, LongMax) : 0;
        const qint64 cislo = building ? b.integer(br, cisloColumn, 0, HouseNumberMax, -1) : -1;
        qint64 cpce = 0;
        if (building && (typbud == 1 || typbud == 2) && cislo >= 0)
            cpce = qint64(houseNumberPart.value(b.text(br, caobce))) * 10000 + cislo;
        int nemvyuz = int(c.integer(r, use, 0, ShortMax));
        if (nemvyuz == 0 && building)
            nemvyuz = VfkValueCodes::buildingUse(int(b.integer(br, zpvybu, -LongMax, LongMax)),
                                                 int(typbud), cislo >= 0);
        const bool apart = split.contains(id);
        const QString sheet =
            apart ? m_index.buildingSheet.value(c.text(r, budColumn)) : c.text(r, telColumn);
        const int map = maplis.find(c.text(r, maplisColumn));
        const int pr = rizeni.find(c.text(r, origin));
        qint64 ppolvz = 0;
        if (pr >= 0) {
            // Only a number of 1 to 99999 with its year fits; without a year
            // the item would read as one of 2000.
            const qint64 n = rizeni.integer(pr, rizeniNumber, -ExactMax, ExactMax);
            const int year = yearOf(rizeni.text(pr, rizeniYear));
            if (n > 0 && n <= 99999 && year > 0)
                ppolvz = n * 100 + year % 100;
        }
        area.parcels.append(
            {key.parskup, key.parcis, key.parpod, int(c.integer(r, part, 0, ShortMax)),
             c.real(r, vymera, AreaMax), int(c.integer(r, quality, 0, ShortMax)),
             int(c.integer(r, kind, 0, ShortMax)),
             VfkValueCodes::protectionCode(protection.value(id)), nemvyuz, soil.value(id).second,
             double(cpce), 0, m_index.sheetNumber.value(sheet), apart ? 5 : 1,
             maplis.text(map, mapName).left(5), 0, firstOwnerCharacteristic.value(sheet),
             int(ppolvz), FormatParcelNumber(key)});
    }
}

void VfkParcelBuilder::buildSoil(VfkDistrict& district)
{
    const VfkColumns d(m_data, S("BDP"));
    const int parcel = d.required("PAR_ID"), code = d.required("BPEJ_KOD"),
              vymera = d.optional("VYMERA");
    const VfkColumns par(m_data, S("PAR"));
    const int katuze = par.required("KATUZE_KOD");
    QHash<int, std::vector<std::tuple<qint64, QString, double>>> rowsOfArea;
    for (int r = 0; r < d.rows(); ++r) {
        const QString parId = d.text(r, parcel);
        const int parRow = par.find(parId);
        if (parRow < 0)
            continue;
        const int area = m_areaOfCode.value(par.text(parRow, katuze));
        rowsOfArea[area].emplace_back(m_index.packedParcel.value(parId), d.text(r, code),
                                      d.real(r, vymera, AreaMax));
    }
    for (auto it = rowsOfArea.begin(); it != rowsOfArea.end(); ++it) {
        auto& rows = it.value();
        std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
            return std::tie(std::get<0>(a), std::get<1>(a)) <
                   std::tie(std::get<0>(b), std::get<1>(b));
        });
        for (const auto& [packed, bpej, area] : rows) {
            const ParcelKey key = UnpackParcelReference(double(packed));
            district.areas[it.key()].soil.append(
                {key.parskup, double(key.parcis), key.parpod, area, bpej.left(5), 0.0});
        }
    }
}
