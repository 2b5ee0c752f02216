#include "data/DemoAreaBuilder.h"

#include "data/DemoAreaWriter.h"
#include "data/CadastralTables.h"
#include "data/DemoCodeTables.h"
#include "data/DemoFields.h"
#include "data/DemoNameSource.h"
#include "data/DemoOwnerPool.h"
#include "data/DemoRandom.h"
#include "data/ParcelNumber.h"
#include "db/paradox/ParadoxTable.h"

#include <QDate>
#include <QHash>
#include <QSet>

#include <cmath>

using namespace CadastralTables;
using namespace DemoFields;

namespace {

using Part = DemoAreaContent::Part;
using Record = DemoAreaContent::Record;
using Sheet = DemoAreaContent::Sheet;
constexpr int municipalitySheet = DemoAreaContent::municipalitySheet;
constexpr int stateSheet = DemoAreaContent::stateSheet;
constexpr int firstRegistrationSheet = DemoAreaContent::firstRegistrationSheet;

qint64 share(int numerator, int denominator)
{
    return qint64(numerator) * 100000 + denominator;
}

QDate randomDate(DemoRandom& random)
{
    return QDate(random.between(1993, 2024), random.between(1, 12), random.between(1, 28));
}

QString dateText(const QDate& date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

} // namespace

class DemoAreaBuilder::Impl
{
public:
    Impl(const DemoAreaPlan& plan, const DemoOwnerPool& pool, quint64 seed, bool city)
        : m_plan(plan), m_pool(pool), m_random(seed), m_names(m_random), m_city(city)
    {
        m_bareHouseNumbers = !city && plan.porcis % 3 == 2;
        m_partsOfMunicipality = city ? 8 : 1 + plan.porcis % 3;
        m_cp.fill(0, m_partsOfMunicipality + 1);
        m_ce.fill(0, m_partsOfMunicipality + 1);
        m_protectedLandscape = plan.porcis % 4 == 0;
    }

    void build()
    {
        makeSpecialSheets();
        const qint64 currentTarget = m_plan.parts - std::max<qint64>(1, m_plan.parts * 7 / 100);
        while (qint64(m_area.parts.size()) < currentTarget)
            addCurrentStem();
        while (qint64(m_area.parts.size()) < m_plan.parts)
            addOlderParcel();
        for (Sheet& sheet : m_area.sheets)
            addSheetRecords(sheet);
    }

    void write(const QString& dir, DemoDistrictSummary& summary) const
    {
        DemoAreaWriter(m_plan.porcis, m_pool, m_area).write(dir, summary);
    }

private:
    // -- sheets -----------------------------------------------------------
    void makeSpecialSheets()
    {
        Sheet municipal{municipalitySheet,
                        {m_pool.municipality(m_plan.municipality)},
                        {share(1, 1)},
                        {},
                        {},
                        1};
        Sheet state{stateSheet,
                    {m_pool.stateOwner(), m_pool.stateBody(m_random)},
                    {share(1, 1), share(1, 1)},
                    {},
                    {},
                    1};
        m_sheetIndex.insert(municipalitySheet, addSheet(municipal));
        m_sheetIndex.insert(stateSheet, addSheet(state));
    }

    int addSheet(const Sheet& sheet)
    {
        m_area.sheets.append(sheet);
        return int(m_area.sheets.size() - 1);
    }

    int newPrivateSheet()
    {
        Sheet sheet;
        sheet.number = ++m_lastSheetNumber;
        const int kind = m_random.below(100);
        const int owners = kind < 78 ? 1 : kind < 92 ? 2 : kind < 97 ? 3 : 4;
        QSet<int> chosen;
        while (chosen.size() < owners)
            chosen.insert(m_pool.randomPrivate(m_random));
        QList<int> list(chosen.begin(), chosen.end());
        std::sort(list.begin(), list.end());
        sheet.owners = list;
        if (owners == 1)
            sheet.shares = {share(1, 1)};
        else if (owners == 2 && m_random.percent(40))
            sheet.shares = {share(1, 4), share(3, 4)};
        else
            for (int i = 0; i < owners; ++i)
                sheet.shares.append(share(1, owners));
        const int index = addSheet(sheet);
        m_sheetIndex.insert(sheet.number, index);
        return index;
    }

    // Parcels come in runs on one sheet, as an owner usually holds several.
    int sheetForNextParcel()
    {
        const int roll = m_random.below(100);
        if (roll < 7)
            return m_sheetIndex.value(municipalitySheet);
        if (roll < 10)
            return m_sheetIndex.value(stateSheet);
        if (m_currentSheet < 0 || m_random.percent(22))
            m_currentSheet = newPrivateSheet();
        return m_currentSheet;
    }

    int registrationSheet()
    {
        if (m_registrationSheet < 0 || m_random.percent(30)) {
            Sheet sheet;
            sheet.number = firstRegistrationSheet + m_registrationCount++;
            sheet.owners = {m_pool.randomPrivate(m_random)};
            sheet.shares = {share(1, 1)};
            m_registrationSheet = addSheet(sheet);
        }
        return m_registrationSheet;
    }

    // -- parcels ------------------------------------------------------------
    void addCurrentStem()
    {
        const bool building = m_random.percent(m_city ? 45 : 24);
        const int group = building ? 1 : 2;
        const int stem = building ? ++m_lastBuildingStem : ++m_lastLandStem;
        const int subdivisions = m_random.percent(28) ? m_random.between(2, 4) : 0;
        if (subdivisions == 0) {
            addCurrentParcel({group, stem, 0});
            return;
        }
        for (int pod = 1; pod <= subdivisions; ++pod)
            addCurrentParcel({group, stem, pod});
    }

    void addCurrentParcel(const ParcelKey& key)
    {
        const int sheetIndex = sheetForNextParcel();
        Sheet& sheet = m_area.sheets[sheetIndex];
        sheet.parcels.append(key);
        const int partCount = m_random.percent(12) ? m_random.between(2, 3) : 1;
        Part base = key.parskup == 1 ? buildingPart(key) : landPart(key);
        base.lvcis = sheet.number;
        base.typvl = m_pool.owners()[sheet.owners.first()].uvchar;
        if (key.parskup == 1 && sheet.number < municipalitySheet && base.cpce > 0 &&
            m_random.percent(6))
            separateLandAndBuilding(base, sheetIndex);
        for (int dil = 1; dil <= partCount; ++dil) {
            Part part = base;
            part.pardil = partCount == 1 ? 0 : dil;
            if (dil > 1)
                makeSecondaryPart(part);
            m_area.parts.append(part);
            if (part.bonita != 0)
                m_area.soilParts.append(int(m_area.parts.size() - 1));
            if (key.parcis < 10000 && key.parpod < 100)
                m_olderTargets.append(key);
        }
    }

    Part commonPart(const ParcelKey& key)
    {
        Part part;
        part.key = key;
        part.kvalita = m_random.percent(80) ? 2 : m_random.below(2);
        part.mapa = m_random.percent(85) ? QStringLiteral("DKM") : QStringLiteral("KMD");
        part.ppolvz = m_random.between(100, 4000) * 100 + m_random.between(1, 24);
        return part;
    }

    Part buildingPart(const ParcelKey& key)
    {
        Part part = commonPart(key);
        part.druhpoz = BuildingLandKind;
        part.vymera = m_random.between(12, 900);
        if (m_random.percent(5)) {
            part.nemvyuz = 13; // ruin (zbořeniště): no building, no number
            return part;
        }
        const QList<int>& uses = DemoCodeTables::buildingUses();
        const int use = m_random.percent(60) ? 400 : uses[m_random.below(int(uses.size()))];
        const int roll = m_random.below(100);
        const int kindDigit = roll < 68 ? 0 : roll < 80 ? 1 : roll < 92 ? 2 : 5;
        part.nemvyuz = use + kindDigit;
        if (kindDigit != 5)
            part.cpce = nextHouseNumber(kindDigit == 0);
        if (m_random.percent(3))
            part.nemochr = 100; // listed cultural monument
        return part;
    }

    qint64 nextHouseNumber(bool descriptive)
    {
        int partOfMunicipality = 1 + m_random.below(m_partsOfMunicipality);
        QList<int>& counters = descriptive ? m_cp : m_ce;
        // A part of the municipality holds at most 9999 numbers of each kind.
        for (int tries = 0; counters[partOfMunicipality] >= 9999 && tries < m_partsOfMunicipality;
             ++tries)
            partOfMunicipality = partOfMunicipality % m_partsOfMunicipality + 1;
        const int number = std::min(++counters[partOfMunicipality], 9999);
        if (m_bareHouseNumbers)
            return number;
        return qint64(partOfMunicipality) * 10000 + number;
    }

    Part landPart(const ParcelKey& key)
    {
        static const int kinds[] = {2, 2, 2, 2,  2,  3,  4,  5,  5,  5,  6,  7, 7,
                                    7, 7, 8, 10, 10, 10, 11, 14, 14, 14, 14, 14};
        Part part = commonPart(key);
        part.druhpoz = m_city ? (m_random.percent(50) ? 5 : 14) : m_random.pick(kinds);
        const int landscape = m_protectedLandscape ? 2 : 0;
        switch (part.druhpoz) {
        case 10: // forest
            part.vymera = m_random.between(500, 150000);
            part.nemochr = 20 + landscape;
            break;
        case 11: {
            static const int waterUses[] = {6, 7, 8, 10};
            part.vymera = m_random.between(100, 30000);
            part.nemvyuz = m_random.pick(waterUses);
            break;
        }
        case 14: {
            static const int otherUses[] = {14, 16, 17, 17, 19, 20, 21, 23, 26, 27, 30};
            part.vymera = m_random.between(20, 8000);
            part.nemvyuz = m_random.pick(otherUses);
            break;
        }
        default: // agricultural land with a soil-quality code
            part.vymera = std::round(std::exp(m_random.between(460, 1100) / 100.0));
            part.nemochr = 40 + landscape;
            part.bonita = randomBonita();
            break;
        }
        return part;
    }

    int randomBonita()
    {
        // Climate region, main soil unit, slope and exposure, depth: 7.29.11 -> 72911.
        return m_random.between(0, 9) * 10000 + m_random.between(1, 78) * 100 +
               m_random.between(0, 7) * 10 + m_random.between(0, 4);
    }

    void makeSecondaryPart(Part& part)
    {
        part.vymera = std::max(1.0, std::round(part.vymera * m_random.between(10, 60) / 100.0));
        if (part.druhpoz == BuildingLandKind) {
            part.nemvyuz = 12; // shared courtyard: no house number
            part.cpce = 0;
        } else if (part.bonita != 0) {
            part.bonita = randomBonita();
        }
    }

    // The building on this parcel is on its own sheet; the land belongs to
    // another one. The building's sheet names the land's sheet (82) and the
    // parcel (90) under one order number; the land's sheet names the parcel (93).
    void separateLandAndBuilding(Part& part, int buildingSheetIndex)
    {
        const int landSheetIndex = newPrivateSheet();
        Sheet& landSheet = m_area.sheets[landSheetIndex];
        Sheet& buildingSheet = m_area.sheets[buildingSheetIndex];
        part.vlvztah = RelationLandAndBuildingApart;
        const double packed = double(PackParcelReference(part.key));
        const int order = buildingSheet.nextOrder++;
        buildingSheet.records.append(
            {order, RecordLandSheetOfBuilding, double(landSheet.number), 0, 0, 0, {}});
        // Now and then the parcel record is missing: the land sheet alone counts.
        if (!m_random.percent(10))
            buildingSheet.records.append({order, RecordBuildingStandsOn, packed, 0, 0, 0, {}});
        landSheet.records.append(
            {landSheet.nextOrder++, RecordBuildingFromOtherSheet, packed, 0, 0, 0, {}});
        landSheet.parcels.append(part.key);
    }

    // Older-register parcels (groups 3 to 9) name in CPCE the current parcel
    // they became.
    void addOlderParcel()
    {
        const int group = m_random.between(3, 9);
        const int stem = ++m_lastOlderStem[group];
        const ParcelKey key{group, stem, m_random.percent(20) ? m_random.between(1, 3) : 0};
        Part part = commonPart(key);
        const bool building = group % 2 == 0;
        part.druhpoz = building ? BuildingLandKind : (m_random.percent(70) ? 2 : 10);
        part.vymera = building ? m_random.between(20, 600) : m_random.between(200, 40000);
        part.kvalita = 0;
        part.mapa = QStringLiteral("PK");
        if (!m_olderTargets.isEmpty()) {
            const ParcelKey target = m_olderTargets[m_random.below(int(m_olderTargets.size()))];
            part.cpce = OlderRegisterCpce(target.parcis, target.parpod);
        }
        if (group == 3) {
            Sheet& sheet = m_area.sheets[registrationSheet()];
            part.elcis = sheet.number;
            part.typvl = m_pool.owners()[sheet.owners.first()].uvchar + 10;
        } else {
            Sheet& sheet = m_area.sheets[sheetForNextParcel()];
            sheet.parcels.append(key);
            part.lvcis = sheet.number;
            part.typvl = m_pool.owners()[sheet.owners.first()].uvchar;
        }
        m_area.parts.append(part);
    }

    // -- supplementary records ---------------------------------------------
    Record deedRecord(int kind)
    {
        const QList<int>& deeds = DemoCodeTables::deedKinds();
        Record r;
        r.doplkod = kind;
        r.listdruh = deeds[m_random.below(int(deeds.size()))];
        r.listcis = m_random.between(100, 9999) * 100.0 + m_random.between(0, 24);
        // A deed takes legal effect some days after it was drawn up.
        const QDate drawnUp = randomDate(m_random);
        r.texts = {QStringLiteral("Vyhotoveno: ") + dateText(drawnUp),
                   QStringLiteral("Právní moc: ") +
                       dateText(drawnUp.addDays(m_random.between(5, 60)))};
        if (m_random.percent(20))
            r.doplvz = m_random.between(100, 4000) * 100.0 + m_random.between(1, 24);
        return r;
    }

    void addRecord(Sheet& sheet, Record record)
    {
        record.doplpor = sheet.nextOrder++;
        sheet.records.append(record);
    }

    QString someoneElse()
    {
        return m_pool.owners()[m_pool.randomPrivate(m_random)].name.section(QLatin1Char(','), 0, 0);
    }

    void addSheetRecords(Sheet& sheet)
    {
        if (sheet.number >= firstRegistrationSheet)
            return;
        if (!sheet.parcels.isEmpty() && m_random.percent(16)) {
            const QList<int>& kinds = DemoCodeTables::rightKinds();
            for (int i = m_random.between(1, 3); i > 0; --i) {
                const ParcelKey parcel = sheet.parcels[m_random.below(int(sheet.parcels.size()))];
                Record r = deedRecord(kinds[m_random.below(int(kinds.size()))]);
                r.udaj = double(PackParcelReference(parcel));
                r.texts =
                    QStringList{QStringLiteral("Oprávnění pro: ") + FitText(someoneElse(), 45),
                                QStringLiteral("Povinnost k: parc. č. ") +
                                    FormatParcelNumber(parcel)} +
                    r.texts;
                addRecord(sheet, r);
            }
        }
        if (!sheet.parcels.isEmpty() && m_random.percent(5)) {
            const QList<int>& kinds = DemoCodeTables::entitlementKinds();
            Record r = deedRecord(kinds[m_random.below(int(kinds.size()))]);
            r.udaj = double(PackParcelReference(sheet.parcels.first()));
            r.texts.prepend(QStringLiteral("Oprávnění pro: parc. č. ") +
                            FormatParcelNumber(sheet.parcels.first()));
            addRecord(sheet, r);
        }
        if (!sheet.parcels.isEmpty() && m_random.percent(4)) {
            const QList<int>& kinds = DemoCodeTables::noteKinds();
            Record r = deedRecord(kinds[m_random.below(int(kinds.size()))]);
            r.udaj = double(PackParcelReference(sheet.parcels.last()));
            r.texts.prepend(
                QStringLiteral("Povinnost k: ") +
                FitText(m_pool.owners()[sheet.owners.first()].name.section(QLatin1Char(','), 0, 0),
                        47));
            addRecord(sheet, r);
        }
        const int titles = m_random.percent(25) ? 2 : 1;
        for (int i = 0; i < titles; ++i)
            addRecord(sheet, deedRecord(3001));
        if (m_random.percent(10))
            addRecord(sheet, deedRecord(3002));
    }

    const DemoAreaPlan m_plan;
    const DemoOwnerPool& m_pool;
    DemoRandom m_random;
    DemoNameSource m_names;
    bool m_city;
    bool m_bareHouseNumbers = false;
    bool m_protectedLandscape = false;
    int m_partsOfMunicipality = 1;
    QList<int> m_cp;
    QList<int> m_ce;
    DemoAreaContent m_area;
    QHash<int, int> m_sheetIndex;
    int m_currentSheet = -1;
    int m_registrationSheet = -1;
    int m_registrationCount = 0;
    int m_lastSheetNumber = 0;
    int m_lastBuildingStem = 0;
    int m_lastLandStem = 0;
    int m_lastOlderStem[10] = {};
    QList<ParcelKey> m_olderTargets;
};

DemoAreaBuilder::DemoAreaBuilder(const DemoAreaPlan& plan, const DemoOwnerPool& pool, quint64 seed,
                                 bool city)
    : d(std::make_unique<Impl>(plan, pool, seed, city))
{
}

DemoAreaBuilder::~DemoAreaBuilder() = default;

void DemoAreaBuilder::build()
{
    d->build();
}

void DemoAreaBuilder::write(const QString& directory, DemoDistrictSummary& summary) const
{
    d->write(directory, summary);
}
