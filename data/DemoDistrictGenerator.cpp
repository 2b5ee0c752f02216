#include "data/DemoDistrictGenerator.h"

#include "app/core/ETalvekException.h"
#include "data/CadastralTables.h"
#include "data/DemoCodeTables.h"
#include "data/DemoNameSource.h"
#include "data/DemoRandom.h"
#include "data/ParcelNumber.h"
#include "db/paradox/ParadoxTable.h"

#include <QDate>
#include <QDir>
#include <QHash>
#include <QSet>

#include <cmath>

namespace {

using namespace CadastralTables;

struct SizePlan
{
    int municipalities;
    int areas;
    qint64 parts;
    int owners;
};

SizePlan planFor(DemoDistrictGenerator::Size size)
{
    switch (size) {
    case DemoDistrictGenerator::Size::District:
        return {60, 170, 270000, 55000};
    case DemoDistrictGenerator::Size::City:
        return {1, 1, 40000, 10000};
    case DemoDistrictGenerator::Size::Small:
        break;
    }
    return {2, 3, 1200, 300};
}

ParadoxField field(const char* name, ParadoxFieldType type, int size = 0)
{
    return {QString::fromLatin1(name), type, size};
}
ParadoxField shortField(const char* name)
{
    return field(name, ParadoxFieldType::Short, 2);
}
ParadoxField longField(const char* name)
{
    return field(name, ParadoxFieldType::Long, 4);
}
ParadoxField numberField(const char* name)
{
    return field(name, ParadoxFieldType::Number, 8);
}
ParadoxField alphaField(const char* name, int size)
{
    return field(name, ParadoxFieldType::Alpha, size);
}

const QList<ParadoxField>& parcelFields()
{
    static const QList<ParadoxField> fields{
        shortField("PARSKUP"),     longField("PARCIS"),   shortField("PARPOD"),
        shortField("PARDIL"),      numberField("VYMERA"), shortField("KVALITA"),
        shortField("DRUHPOZ"),     shortField("NEMOCHR"), shortField("NEMVYUZ"),
        longField("BONITA"),       numberField("CPCE"),   longField("ELCIS"),
        longField("LVCIS"),        shortField("VLVZTAH"), alphaField("MAPA", 5),
        shortField("UMIST"),       shortField("TYPVL"),   longField("PPOLVZ"),
        alphaField("PARCISLO", 12)};
    return fields;
}

// ---------------------------------------------------------------------------
// Owners of the district (NYSOBORG).

struct Owner
{
    qint64 ident = 0;
    int uvchar = 2;
    int sector = 4;
    QString name;
};

// Birth numbers that can never be real: the valid ones are divisible by 11,
// these leave remainder 5.
qint64 inventedBirthNumber(DemoRandom& random, bool female)
{
    const int year = random.between(20, 99);
    const int month = random.between(1, 12) + (female ? 50 : 0);
    const int day = random.between(1, 28);
    qint64 number = ((qint64(year) * 100 + month) * 100 + day) * 10000 + random.between(0, 9980);
    number += (5 - number % 11 + 11) % 11;
    return number;
}

// Company numbers (IČO) whose check digit is deliberately wrong.
qint64 inventedIco(DemoRandom& random)
{
    int digits[7];
    int sum = 0;
    for (int i = 0; i < 7; ++i) {
        digits[i] = random.below(10);
        sum += digits[i] * (8 - i);
    }
    const int check = (11 - sum % 11) % 10;
    qint64 ico = 0;
    for (int d : digits)
        ico = ico * 10 + d;
    return ico * 10 + (check + 1 + random.below(9)) % 10;
}

class OwnerPool
{
public:
    OwnerPool(int count, const QStringList& municipalities, DemoRandom& random)
        : m_random(random), m_names(random)
    {
        add({1, 3, 1, QStringLiteral("ČESKÁ REPUBLIKA")});
        static const char* const stateBodies[] = {
            "STÁTNÍ POZEMKOVÝ ÚŘAD", "ÚŘAD PRO ZASTUPOVÁNÍ STÁTU VE VĚCECH MAJETKOVÝCH",
            "LESY ČESKÉ REPUBLIKY, S.P.", "ŘEDITELSTVÍ SILNIC A DÁLNIC ČR",
            "POVODÍ VLTAVY, STÁTNÍ PODNIK"};
        const int stateChars[] = {4, 4, 20, 20, 20};
        for (int i = 0; i < 5; ++i)
            m_stateBodies.append(
                add({uniqueIco(), stateChars[i], 1, QString::fromUtf8(stateBodies[i])}));
        for (const QString& m : municipalities)
            m_municipalities.append(
                add({uniqueIco(), 11, 2, FitText(QStringLiteral("OBEC ") + m, 60)}));
        while (m_owners.size() < count)
            m_private.append(add(privateOwner()));
    }

    const QList<Owner>& owners() const { return m_owners; }
    int stateOwner() const { return 0; }
    int stateBody() { return m_stateBodies[m_random.below(int(m_stateBodies.size()))]; }
    int municipality(int index) const { return m_municipalities[index]; }
    int randomPrivate() { return m_private[m_random.below(int(m_private.size()))]; }

private:
    int add(const Owner& owner)
    {
        m_owners.append(owner);
        return int(m_owners.size() - 1);
    }
    qint64 uniqueIco()
    {
        qint64 ico;
        do {
            ico = inventedIco(m_random);
        } while (ico < 10000 || m_used.contains(ico));
        m_used.insert(ico);
        return ico;
    }
    qint64 uniqueBirthNumber(bool female)
    {
        qint64 number;
        do {
            number = inventedBirthNumber(m_random, female);
        } while (m_used.contains(number));
        m_used.insert(number);
        return number;
    }
    Owner privateOwner()
    {
        const int kind = m_random.below(100);
        if (kind < 4) { // company
            const QString name = m_names.company() + QStringLiteral(", ") + m_names.address();
            return {uniqueIco(), 11, 3, FitText(name, 60)};
        }
        if (kind < 5) // contributory organisation of a region or municipality
            return {
                uniqueIco(), 15, 2,
                FitText(QStringLiteral("ZÁKLADNÍ ŠKOLA ") + m_names.placeName(m_random.below(200)),
                        60)};
        if (kind < 17) { // spouses in community property
            const QString husband = m_names.person(false);
            const QString name = QStringLiteral("SJM ") + husband + QStringLiteral(" A ") +
                                 m_names.wifeOf(husband) + QStringLiteral(", ") + m_names.address();
            return {uniqueBirthNumber(false), 1, 4, FitText(name, 60)};
        }
        const bool female = m_random.percent(45);
        const QString name = m_names.person(female) + QStringLiteral(", ") + m_names.address();
        return {uniqueBirthNumber(female), 2, 4, FitText(name, 60)};
    }

    DemoRandom& m_random;
    DemoNameSource m_names;
    QList<Owner> m_owners;
    QList<int> m_stateBodies;
    QList<int> m_municipalities;
    QList<int> m_private;
    QSet<qint64> m_used;
};

// ---------------------------------------------------------------------------
// One cadastral area.

struct AreaPlan
{
    int porcis = 0;
    int municipality = 0; // index into the district's municipalities
    QString name;
    QString katuz;
    QString identcis;
    qint64 parts = 0;
};

struct Record
{
    int doplpor = 0;
    int doplkod = 0;
    double udaj = 0;
    int listdruh = 0;
    double listcis = 0;
    double doplvz = 0;
    QStringList texts;
};

struct Sheet
{
    int number = 0;
    QList<int> owners;
    QList<qint64> shares;
    QList<ParcelKey> parcels;
    QList<Record> records;
    int nextOrder = 1;
};

struct Part
{
    ParcelKey key;
    int pardil = 0;
    double vymera = 0;
    int kvalita = 2;
    int druhpoz = 2;
    int nemochr = 0;
    int nemvyuz = 0;
    int bonita = 0;
    qint64 cpce = 0;
    int elcis = 0;
    int lvcis = 0;
    int vlvztah = 1;
    QString mapa;
    int typvl = 2;
    int ppolvz = 0;
};

constexpr int municipalitySheet = 10001;
constexpr int stateSheet = 10002;
constexpr int firstRegistrationSheet = 20001;

qint64 share(int numerator, int denominator)
{
    return qint64(numerator) * 100000 + denominator;
}

QString dateText(DemoRandom& random)
{
    const QDate date(random.between(1993, 2024), random.between(1, 12), random.between(1, 28));
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

class AreaBuilder
{
public:
    AreaBuilder(const AreaPlan& plan, OwnerPool& pool, quint64 seed, bool city)
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
        while (qint64(m_parts.size()) < currentTarget)
            addCurrentStem();
        while (qint64(m_parts.size()) < m_plan.parts)
            addOlderParcel();
        for (Sheet& sheet : m_sheets)
            addSheetRecords(sheet);
    }

    void write(const QString& dir, DemoDistrictGenerator::Summary& summary) const
    {
        const QString suffix = AreaSuffix(m_plan.porcis);
        writeParts(dir + QLatin1Char('/') + PerAreaTable(ParcelPrefix, suffix));
        summary.ownershipRelations +=
            writeRelations(dir + QLatin1Char('/') + PerAreaTable(RelationPrefix, suffix));
        writeRecords(dir, suffix, summary);
        summary.soilRecords += writeSoil(dir + QLatin1Char('/') + PerAreaTable(SoilPrefix, suffix));
        writeUserTexts(dir + QLatin1Char('/') + PerAreaTable(UserTextPrefix, suffix));
        summary.parcelParts += m_parts.size();
        summary.sheets += m_sheets.size();
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
                    {m_pool.stateOwner(), m_pool.stateBody()},
                    {share(1, 1), share(1, 1)},
                    {},
                    {},
                    1};
        m_sheetIndex.insert(municipalitySheet, addSheet(municipal));
        m_sheetIndex.insert(stateSheet, addSheet(state));
    }

    int addSheet(const Sheet& sheet)
    {
        m_sheets.append(sheet);
        return int(m_sheets.size() - 1);
    }

    int newPrivateSheet()
    {
        Sheet sheet;
        sheet.number = ++m_lastSheetNumber;
        const int kind = m_random.below(100);
        const int owners = kind < 78 ? 1 : kind < 92 ? 2 : kind < 97 ? 3 : 4;
        QSet<int> chosen;
        while (chosen.size() < owners)
            chosen.insert(m_pool.randomPrivate());
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
            sheet.owners = {m_pool.randomPrivate()};
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
        Sheet& sheet = m_sheets[sheetIndex];
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
            m_parts.append(part);
            if (part.bonita != 0)
                m_soilParts.append(int(m_parts.size() - 1));
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
        Sheet& landSheet = m_sheets[landSheetIndex];
        Sheet& buildingSheet = m_sheets[buildingSheetIndex];
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
            Sheet& sheet = m_sheets[registrationSheet()];
            part.elcis = sheet.number;
            part.typvl = m_pool.owners()[sheet.owners.first()].uvchar + 10;
        } else {
            Sheet& sheet = m_sheets[sheetForNextParcel()];
            sheet.parcels.append(key);
            part.lvcis = sheet.number;
            part.typvl = m_pool.owners()[sheet.owners.first()].uvchar;
        }
        m_parts.append(part);
    }

    // -- supplementary records ---------------------------------------------
    Record deedRecord(int kind)
    {
        const QList<int>& deeds = DemoCodeTables::deedKinds();
        Record r;
        r.doplkod = kind;
        r.listdruh = deeds[m_random.below(int(deeds.size()))];
        r.listcis = m_random.between(100, 9999) * 100.0 + m_random.between(0, 24);
        r.texts = {QStringLiteral("Vyhotoveno: ") + dateText(m_random),
                   QStringLiteral("Právní moc: ") + dateText(m_random)};
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
        return m_pool.owners()[m_pool.randomPrivate()].name.section(QLatin1Char(','), 0, 0);
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

    // -- output -------------------------------------------------------------
    void writeParts(const QString& path) const
    {
        ParadoxWriter writer(path, parcelFields(), 4);
        for (const Part& p : m_parts) {
            writer.addRow({p.key.parskup, p.key.parcis, p.key.parpod, p.pardil, p.vymera, p.kvalita,
                           p.druhpoz, p.nemochr, p.nemvyuz, p.bonita, double(p.cpce), p.elcis,
                           p.lvcis, p.vlvztah, p.mapa, 0, p.typvl, p.ppolvz,
                           FormatParcelNumber(p.key)});
        }
        writer.commit();
    }

    qint64 writeRelations(const QString& path) const
    {
        ParadoxWriter writer(path,
                             {numberField("ELLVCIS"), shortField("VLPOR"), numberField("IDENT"),
                              shortField("UVCHAR"), numberField("PODIL"), shortField("SEKTOR")},
                             2);
        for (const Sheet& sheet : m_sheets) {
            if (sheet.parcels.isEmpty() && sheet.number < firstRegistrationSheet)
                continue;
            for (int i = 0; i < sheet.owners.size(); ++i) {
                const Owner& o = m_pool.owners()[sheet.owners[i]];
                writer.addRow({double(sheet.number), i + 1, double(o.ident), o.uvchar,
                               double(sheet.shares[i]), o.sector});
            }
        }
        writer.commit();
        return writer.rowCount();
    }

    void writeRecords(const QString& dir, const QString& suffix,
                      DemoDistrictGenerator::Summary& summary) const
    {
        ParadoxWriter records(dir + QLatin1Char('/') + PerAreaTable(RecordPrefix, suffix),
                              {numberField("DLVCIS"), shortField("DOPLPOR"), shortField("DOPLKOD"),
                               numberField("DOPLUDAJ"), shortField("LISTDRUH"),
                               numberField("LISTCIS"), numberField("DOPLVZ"), shortField("DOPLZM")},
                              3);
        ParadoxWriter texts(dir + QLatin1Char('/') + PerAreaTable(RecordTextPrefix, suffix),
                            {numberField("DLVCIS"), shortField("DOPLPOR"), shortField("RADEK"),
                             alphaField("TEXT", 60)},
                            3);
        for (const Sheet& sheet : m_sheets) {
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

    qint64 writeSoil(const QString& path) const
    {
        ParadoxWriter writer(path,
                             {shortField("PARSKUP"), numberField("PARCIS"), shortField("PARPOD"),
                              numberField("VYMERA"), alphaField("BONITA", 5),
                              numberField("BPOLVZ")},
                             0);
        DemoRandom random(quint64(m_plan.porcis) * 7919);
        for (int index : m_soilParts) {
            const Part& p = m_parts[index];
            const QString code = QStringLiteral("%1").arg(p.bonita, 5, 10, QLatin1Char('0'));
            if (p.vymera >= 400 && random.percent(30)) {
                const double first = std::round(p.vymera * random.between(20, 80) / 100.0);
                const int other = random.between(1, 78) * 100 + p.bonita % 100;
                writer.addRow({p.key.parskup, double(p.key.parcis), p.key.parpod, first, code,
                               double(p.ppolvz)});
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

    void writeUserTexts(const QString& path) const
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
                              field("TEXT", ParadoxFieldType::Memo, 30),
                              alphaField("PARCISLO", 12)},
                             5);
        const qsizetype step = std::max<qsizetype>(1, m_parts.size() / 5);
        for (qsizetype i = step / 2, n = 0; i < m_parts.size(); i += step, ++n) {
            const Part& p = m_parts[i];
            writer.addRow({p.key.parskup, p.key.parcis, p.key.parpod, p.pardil, QVariant(),
                           QString::fromUtf8(notes[n % std::size(notes)]), QVariant()});
        }
        writer.commit();
    }

    const AreaPlan& m_plan;
    OwnerPool& m_pool;
    DemoRandom m_random;
    DemoNameSource m_names;
    bool m_city;
    bool m_bareHouseNumbers = false;
    bool m_protectedLandscape = false;
    int m_partsOfMunicipality = 1;
    QList<int> m_cp;
    QList<int> m_ce;
    QList<Sheet> m_sheets;
    QHash<int, int> m_sheetIndex;
    int m_currentSheet = -1;
    int m_registrationSheet = -1;
    int m_registrationCount = 0;
    int m_lastSheetNumber = 0;
    int m_lastBuildingStem = 0;
    int m_lastLandStem = 0;
    int m_lastOlderStem[10] = {};
    QList<Part> m_parts;
    QList<int> m_soilParts;
    QList<ParcelKey> m_olderTargets;
};

// ---------------------------------------------------------------------------
// The district: catalogue and area plans.

struct DistrictPlan
{
    QString name;
    QString identcis;
    QStringList municipalities;
    QStringList municipalityCodes;
    QList<AreaPlan> areas;
};

DistrictPlan planDistrict(const SizePlan& size, DemoRandom& random, bool city)
{
    DemoNameSource names(random);
    DistrictPlan plan;
    plan.name = city ? QStringLiteral("VZOROVÉ MĚSTO") : QStringLiteral("VZOROVÝ OKRES");
    plan.identcis = QStringLiteral("003%1").arg(random.between(100, 999));
    for (int m = 0; m < size.municipalities; ++m) {
        plan.municipalities.append(names.placeName(m * 7 + (city ? 3 : 0)));
        plan.municipalityCodes.append(QString::number(530000 + m * 97 + random.below(90)));
    }
    // Areas are spread over the municipalities; the first area of each one
    // carries its name.
    QList<int> areasInMunicipality(size.municipalities, 0);
    const qint64 average = size.parts / size.areas;
    qint64 assigned = 0;
    for (int a = 0; a < size.areas; ++a) {
        AreaPlan area;
        area.porcis = a + 1;
        area.municipality = a < size.municipalities ? a : random.below(size.municipalities);
        const int local = ++areasInMunicipality[area.municipality];
        area.name =
            local == 1 ? plan.municipalities[area.municipality]
                       : FitText(names.placeName(size.municipalities * 7 + a) +
                                     QStringLiteral(" U ") + plan.municipalities[area.municipality],
                                 30);
        area.katuz = QStringLiteral("%1%2")
                         .arg(area.municipality + 1, 3, 10, QLatin1Char('0'))
                         .arg(local, 2, 10, QLatin1Char('0'));
        area.identcis = QString::number(600000 + a * 113 + random.below(100));
        area.parts =
            a == size.areas - 1 ? size.parts - assigned : average * random.between(60, 140) / 100;
        assigned += area.parts;
        plan.areas.append(area);
    }
    return plan;
}

void writeCatalogue(const QString& dir, const DistrictPlan& plan)
{
    QList<QVariantList> rows;
    rows.append({QStringLiteral("00000"), plan.identcis, QStringLiteral("000"), plan.name});
    for (int m = 0; m < plan.municipalities.size(); ++m)
        rows.append(
            {QStringLiteral("%1").arg(m + 1, 3, 10, QLatin1Char('0')) + QStringLiteral("00"),
             plan.municipalityCodes[m], QStringLiteral("000"), plan.municipalities[m]});
    for (const AreaPlan& a : plan.areas)
        rows.append({a.katuz, a.identcis, AreaSuffix(a.porcis), a.name});
    ParadoxWriter::writeTable(dir + QLatin1Char('/') + QLatin1String(CatalogueTable),
                              {alphaField("KATUZ", 5), alphaField("IDENTCIS", 6),
                               alphaField("PORCIS", 3), alphaField("NAZEV", 30)},
                              1, rows);
}

void writeOwners(const QString& dir, const OwnerPool& pool)
{
    ParadoxWriter writer(dir + QLatin1Char('/') + QLatin1String(OwnerTable),
                         {numberField("IDENT"), shortField("UVCHAR"), alphaField("NAZEV", 60)}, 2);
    for (const Owner& o : pool.owners())
        writer.addRow({double(o.ident), o.uvchar, o.name});
    writer.commit();
}

void makeDirectory(const QString& path)
{
    if (!QDir().mkpath(path))
        throw ETalvekException(
            QStringLiteral("Adresář %1 nelze vytvořit.").arg(QDir::toNativeSeparators(path)));
}

} // namespace

DemoDistrictGenerator::DemoDistrictGenerator(const Options& options) : m_options(options) {}

DemoDistrictGenerator::Size DemoDistrictGenerator::parseSize(const QString& name)
{
    if (name == QLatin1String("small"))
        return Size::Small;
    if (name == QLatin1String("district"))
        return Size::District;
    if (name == QLatin1String("city"))
        return Size::City;
    throw ETalvekException(
        QStringLiteral("Neznámá velikost okresu \"%1\" (možnosti: small, district, city).")
            .arg(name));
}

DemoDistrictGenerator::Summary DemoDistrictGenerator::generate(const QString& directory) const
{
    const QString dir = QDir::cleanPath(directory);
    const QString workDb = dir + QLatin1Char('/') + codeTableSubdirectory();
    makeDirectory(dir);
    makeDirectory(workDb);
    DemoCodeTables::writeAll(workDb);

    const bool city = m_options.size == Size::City;
    const SizePlan size = planFor(m_options.size);
    DemoRandom random(m_options.seed);
    const DistrictPlan plan = planDistrict(size, random, city);
    OwnerPool pool(size.owners, plan.municipalities, random);

    Summary summary;
    summary.municipalities = int(plan.municipalities.size());
    summary.areas = int(plan.areas.size());
    summary.owners = pool.owners().size();
    writeCatalogue(dir, plan);
    writeOwners(dir, pool);
    for (const AreaPlan& area : plan.areas) {
        AreaBuilder builder(area, pool, m_options.seed * 1000003 + quint64(area.porcis), city);
        builder.build();
        builder.write(dir, summary);
    }
    return summary;
}
