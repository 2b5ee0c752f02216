#include "import/VfkRecordBuilder.h"
#include "data/ParcelNumber.h"
#include "base/ETalvekException.h"
#include "import/VfkColumns.h"
#include "import/VfkValueCodes.h"
#include "import/VfkOwnerRegistry.h"

#include <QRegularExpression>
#include <algorithm>
#include <map>

namespace {

QString S(const char* text)
{
    return QString::fromLatin1(text);
}

// The year of a VFK date "dd.mm.yyyy hh:mm:ss"; 0 when it has none.
int yearOf(const QString& date)
{
    bool ok = false;
    const int year = date.size() >= 10 ? date.mid(6, 4).toInt(&ok) : 0;
    return ok && year > 0 ? year : 0;
}

// "dd.mm.yyyy" of a VFK date.
QString dayOf(const QString& date)
{
    return date.left(10);
}

// The public sample files mask free texts with runs of 'A'; such a text says nothing.
bool isMasked(const QString& text)
{
    static const QRegularExpression masked(
        QStringLiteral("^[A\\s\\d.,()/:;-]*AAA[A\\s\\d.,()/:;-]*$"));
    return masked.match(text).hasMatch();
}

// number * 100 + year mod 100 of a deed or a proceeding; -1 when the number
// is not 1 to 99999 or the year is missing (a number without its year would
// print as a deed of 2000).
qint64 deedNumber(const QString& number, const QString& year)
{
    bool ok = false;
    const qint64 n = number.trimmed().toLongLong(&ok);
    if (!ok || n <= 0 || n > 99999 || yearOf(year) == 0)
        return -1;
    return n * 100 + yearOf(year) % 100;
}

} // namespace

VfkRecordBuilder::VfkRecordBuilder(const VfkDataSet& data, const VfkIndex& index,
                                   const VfkOwnerRegistry& owners)
    : m_data(data), m_index(index), m_owners(owners), m_listin(data, S("LISTIN")),
      m_rizeni(data, S("RIZENI"))
{
    const VfkColumns& rizeni = m_rizeni;
    m_deedColumns = {
        m_listin.optional("TYPLIST_KOD"),          m_listin.optional("PORADOVE_CISLO_ZHOTOVITELE"),
        m_listin.optional("ROK_ZHOTOVITELE"),      m_listin.optional("RIZENI_ID"),
        rizeni.optional("PORADOVE_CISLO"),         rizeni.optional("ROK"),
        m_listin.optional("DOPLNENI_ZHOTOVITELE"), m_listin.optional("POPIS"),
        m_listin.optional("DATUM_VYHOTOVENI"),     m_listin.optional("DATUM_PRAV_MOCI")};
}

QStringList VfkRecordBuilder::wrap(const QString& text, int width)
{
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (QString word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (!line.isEmpty() && line.size() + 1 + word.size() <= width) {
                line += QLatin1Char(' ') + word;
                continue;
            }
            if (!line.isEmpty())
                lines.append(line);
            while (word.size() > width) {
                lines.append(word.left(width));
                word = word.mid(width);
            }
            line = word;
        }
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

qint64 VfkRecordBuilder::parcelOf(const QString& parId, const QString& budId,
                                  const QString& jedId) const
{
    if (!parId.isEmpty())
        return m_index.packedParcel.value(parId);
    if (!budId.isEmpty())
        return m_index.buildingParcel.value(budId);
    if (!jedId.isEmpty())
        return m_index.buildingParcel.value(m_index.unitBuilding.value(jedId));
    return 0;
}

QStringList VfkRecordBuilder::sheetsOf(const QString& parId, const QString& budId,
                                       const QString& jedId) const
{
    const QString tel = !parId.isEmpty()   ? m_index.parcelSheet.value(parId)
                        : !budId.isEmpty() ? m_index.buildingSheet.value(budId)
                        : !jedId.isEmpty() ? m_index.unitSheet.value(jedId)
                                           : QString();
    return tel.isEmpty() ? QStringList() : QStringList{tel};
}

// The sheets where the person is an owner, in the areas of one file: a right
// that burdens only a person goes on the person's sheets of the area it
// belongs to. Kept per person and file, so that every right against the same
// person shares one list.
QStringList VfkRecordBuilder::personSheetsOfFile(const QString& opsubId, int file)
{
    const QString key = opsubId + QChar(0x1F) + QString::number(file);
    const auto known = m_personSheets.constFind(key);
    if (known != m_personSheets.constEnd())
        return *known;
    QStringList sheets;
    const QSet<QString> areas = m_index.areasOfFile.value(file);
    for (const QString& tel : m_index.ownerSheets.value(opsubId))
        if (areas.contains(m_index.sheetArea.value(tel)))
            sheets.append(tel);
    m_personSheets.insert(key, sheets);
    return sheets;
}

int VfkRecordBuilder::addRecord(Record record)
{
    for (QString& line : record.entry.lines)
        line.truncate(60);
    m_records.append(std::move(record));
    return int(m_records.size()) - 1;
}

void VfkRecordBuilder::addSplitParts()
{
    for (const VfkIndex::SplitPart& part : m_index.splitParts) {
        const qint64 packed = m_index.packedParcel.value(part.parcelId);
        const QString parcel = m_index.parcelLabel.value(part.parcelId);
        const QString building = m_index.buildingLabel.value(part.buildingId);
        const int landSheet = m_index.sheetNumber.value(part.landSheet);
        const int buildingSheet = m_index.sheetNumber.value(part.buildingSheet);
        Record pair;
        pair.group = 0;
        pair.entry.code = 82;
        pair.entry.udaj = landSheet;
        pair.entry.pairUdaj = packed;
        pair.entry.lines =
            wrap(QStringLiteral("Stavba %1 stojí na pozemku parc. č. %2, který je zapsán na LV %3")
                     .arg(building, parcel)
                     .arg(landSheet));
        place(part.buildingSheet, addRecord(pair));
        Record land;
        land.group = 1;
        land.entry.code = 93;
        land.entry.udaj = packed;
        land.entry.lines =
            wrap(QStringLiteral("Na pozemku parc. č. %1 stojí stavba %2 zapsaná na LV %3")
                     .arg(parcel, building)
                     .arg(buildingSheet));
        place(part.landSheet, addRecord(land));
    }
}

// The person or the parcel on one side of a right, as its text line names it.
QString VfkRecordBuilder::rightParty(const VfkColumns& jpv, int row, int person, int parcel) const
{
    const QString opsub = jpv.text(row, person);
    if (!opsub.isEmpty())
        return m_owners.displayName(opsub);
    const QString parId = jpv.text(row, parcel);
    if (!parId.isEmpty() && m_index.parcelLabel.contains(parId))
        return QStringLiteral("parc. č. ") + m_index.parcelLabel.value(parId);
    return QString();
}

VfkRecordBuilder::Deed VfkRecordBuilder::deed(const QString& listinId) const
{
    Deed d;
    const int r = m_listin.find(listinId);
    if (r < 0)
        return d;
    const DeedColumns& c = m_deedColumns;
    auto value = [&](int column) { return m_listin.text(r, column); };
    d.kind = int(m_listin.integer(r, c.kind, 0, 32767)); // LISTDRUH is a Short
    d.number = deedNumber(value(c.number), value(c.year));
    if (d.number < 0) {
        const int proceeding = m_rizeni.find(value(c.proceeding));
        d.number = proceeding >= 0 ? deedNumber(m_rizeni.text(proceeding, c.proceedingNumber),
                                                m_rizeni.text(proceeding, c.proceedingYear))
                                   : 0;
        d.number = std::max<qint64>(d.number, 0);
    }
    d.legacy = VfkValueCodes::legacyItem(value(c.supplement));
    if (d.legacy == 0)
        d.legacy = VfkValueCodes::legacyItem(value(c.description));
    const QString popis = value(c.description).trimmed();
    if (!popis.isEmpty() && !isMasked(popis))
        d.lines += wrap(popis);
    if (!value(c.drawnUp).isEmpty())
        d.lines += QStringLiteral("Vyhotoveno: ") + dayOf(value(c.drawnUp));
    if (!value(c.inForce).isEmpty())
        d.lines += QStringLiteral("Právní moc: ") + dayOf(value(c.inForce));
    return d;
}

void VfkRecordBuilder::addRights()
{
    const VfkColumns jpv(m_data, S("JPV"));
    const int id = jpv.required("ID"), typrav = jpv.required("TYPRAV_KOD"),
              popisColumn = jpv.optional("POPIS_PRAVNIHO_VZTAHU"), tel = jpv.optional("TEL_ID"),
              parK = jpv.optional("PAR_ID_K"), budK = jpv.optional("BUD_ID_K"),
              jedK = jpv.optional("JED_ID_K"), opsubK = jpv.optional("OPSUB_ID_K"),
              parP = jpv.optional("PAR_ID_PRO"), budP = jpv.optional("BUD_ID_PRO"),
              jedP = jpv.optional("JED_ID_PRO"), opsubP = jpv.optional("OPSUB_ID_PRO");
    QHash<QString, QPair<QString, QString>> kinds; // KOD -> (section, name)
    const VfkColumns typravList(m_data, S("TYPRAV"));
    const int kod = typravList.required("KOD"), sekce = typravList.optional("SEKCE"),
              nazev = typravList.optional("NAZEV");
    for (int r = 0; r < typravList.rows(); ++r)
        kinds.insert(typravList.text(r, kod).trimmed(),
                     {typravList.text(r, sekce).trimmed(), typravList.text(r, nazev)});
    // A right's record carries its first deed (RL in file order).
    QHash<QString, QString> firstDeed;
    const VfkColumns rl(m_data, S("RL"));
    const int rlRight = rl.optional("JPV_ID"), rlDeed = rl.required("LISTIN_ID");
    for (int r = 0; r < rl.rows(); ++r) {
        const QString right = rl.text(r, rlRight);
        if (!right.isEmpty() && !firstDeed.contains(right))
            firstDeed.insert(right, rl.text(r, rlDeed));
    }
    for (int r = 0; r < jpv.rows(); ++r) {
        auto value = [&](int column) { return jpv.text(r, column); };
        const QString kodText = value(typrav).trimmed();
        const auto [section, name] = kinds.value(kodText);
        // 2000 + code must fit DOPLKOD (Short).
        const int code = int(jpv.integer(r, typrav, 0, 30767));
        const Deed first = deed(firstDeed.value(value(id)));
        QStringList common;
        if (name.size() > 40) // longer than the code text prints
            common += wrap(name);
        const QString popis = value(popisColumn).trimmed();
        if (!popis.isEmpty() && !isMasked(popis))
            common += wrap(popis);
        auto record = [&](int group, int recordCode, qint64 udaj, const QString& recordSection,
                          const QString& party, const char* label) {
            Record rec;
            rec.group = group;
            rec.section = recordSection;
            rec.entry.code = recordCode;
            rec.entry.udaj = udaj;
            rec.entry.deedKind = first.kind;
            rec.entry.deedNumber = first.number;
            rec.entry.legacy = first.legacy;
            rec.entry.lines = common;
            if (!party.isEmpty())
                rec.entry.lines += wrap(QString::fromUtf8(label) + party);
            return addRecord(std::move(rec));
        };
        // The burdened side.
        const QString parcelK = value(parK), buildingK = value(budK), unitK = value(jedK);
        QStringList burdened = sheetsOf(parcelK, buildingK, unitK);
        if (burdened.isEmpty() && !value(tel).isEmpty())
            burdened.append(value(tel));
        if (burdened.isEmpty())
            burdened = personSheetsOfFile(value(opsubK), jpv.block().origins.value(r).file);
        const QString burdenSection =
            section == QLatin1String("B") || section == QLatin1String("C") ? section : S("D");
        if (!burdened.isEmpty()) {
            const int placed =
                record(3, 1000 + code, parcelOf(parcelK, buildingK, unitK), burdenSection,
                       rightParty(jpv, r, opsubP, parP), "Oprávnění pro: ");
            for (const QString& sheet : std::as_const(burdened))
                place(sheet, placed);
        }
        // The benefiting side, where it is a property.
        const QString parcelP = value(parP), buildingP = value(budP), unitP = value(jedP);
        const QStringList benefiting = sheetsOf(parcelP, buildingP, unitP);
        if (!benefiting.isEmpty())
            place(benefiting.first(),
                  record(2, 2000 + code, parcelOf(parcelP, buildingP, unitP), S("B"),
                         rightParty(jpv, r, opsubK, parK), "Povinnost pro: "));
        // The burdened list may be a person's shared list: no copy of it.
        m_rightSheets.insert(value(id), benefiting.isEmpty() ? burdened : burdened + benefiting);
    }
}

// One record per deed and sheet, of the first kind that applies: title of an
// owner of the sheet, basis of a right placed on it, deed on its property.
void VfkRecordBuilder::addDeeds()
{
    const VfkColumns rl(m_data, S("RL"));
    const int listinColumn = rl.required("LISTIN_ID"), opsubColumn = rl.optional("OPSUB_ID"),
              parColumn = rl.optional("PAR_ID"), budColumn = rl.optional("BUD_ID"),
              jedColumn = rl.optional("JED_ID"), jpvColumn = rl.optional("JPV_ID");
    // The rows of each deed, deeds in the order of their first row.
    QHash<QString, QList<int>> rowsOfDeed;
    QStringList deedOrder;
    for (int r = 0; r < rl.rows(); ++r) {
        QList<int>& rows = rowsOfDeed[rl.text(r, listinColumn)];
        if (rows.isEmpty())
            deedOrder.append(rl.text(r, listinColumn));
        rows.append(r);
    }
    struct Offer
    {
        int kind;
        qint64 parcel;
    };
    for (const QString& listin : std::as_const(deedOrder)) {
        if (m_listin.find(listin) < 0)
            continue;             // a deed the files do not carry cannot be described
        QHash<QString, int> slot; // TEL.ID -> index in offers
        QList<std::pair<QString, Offer>> offers;
        auto offer = [&](const QString& tel, int kind, qint64 parcel) {
            const auto it = slot.constFind(tel);
            if (it == slot.constEnd()) {
                slot.insert(tel, int(offers.size()));
                offers.append({tel, {kind, parcel}});
                return;
            }
            Offer& best = offers[*it].second;
            if (kind < best.kind || (kind == best.kind && parcel < best.parcel))
                best = {kind, parcel};
        };
        // A person or a right that the deed names twice is offered once: the
        // work stays with the records written.
        QSet<QString> persons, rights;
        for (const int r : rowsOfDeed.value(listin)) {
            const QString parId = rl.text(r, parColumn), budId = rl.text(r, budColumn),
                          jedId = rl.text(r, jedColumn);
            const QString opsub = rl.text(r, opsubColumn), right = rl.text(r, jpvColumn);
            // A title counts on every sheet where its person is an owner.
            if (!opsub.isEmpty() && !persons.contains(opsub)) {
                persons.insert(opsub);
                for (const QString& tel : m_index.ownerSheets.value(opsub))
                    offer(tel, 3001, 0);
            }
            if (!right.isEmpty() && !rights.contains(right)) {
                rights.insert(right);
                for (const QString& tel : m_rightSheets.value(right))
                    offer(tel, 3002, 0);
            }
            for (const QString& tel : sheetsOf(parId, budId, jedId))
                offer(tel, 3003, parcelOf(parId, budId, jedId));
        }
        const Deed d = deed(listin);
        QHash<std::pair<int, qint64>, int> recordOf; // (kind, parcel) -> record
        for (const auto& [tel, best] : std::as_const(offers)) {
            const std::pair key{best.kind, best.kind == 3003 ? best.parcel : 0};
            auto it = recordOf.find(key);
            if (it == recordOf.end()) {
                Record r;
                r.group = 4;
                r.deedId = listin.toLongLong();
                r.entry = {key.first, key.second, -1, d.kind, d.number, d.legacy, d.lines};
                it = recordOf.insert(key, addRecord(std::move(r)));
            }
            place(tel, *it);
        }
    }
}

// Order on a sheet: pairs 82/90 and records 93 by parcel, benefiting sides
// by kind and parcel, burdened sides by section, kind and parcel, deeds by
// kind, deed kind, number and ID; ties keep the order placed (the files').
bool VfkRecordBuilder::less(int ia, int ib) const
{
    const Record& a = m_records[ia];
    const Record& b = m_records[ib];
    if (a.group != b.group)
        return a.group < b.group;
    if (a.group == 3 && a.section != b.section)
        return a.section < b.section;
    if (a.entry.code != b.entry.code)
        return a.entry.code < b.entry.code;
    if (a.group == 4)
        return std::tie(a.entry.deedKind, a.entry.deedNumber, a.deedId) <
               std::tie(b.entry.deedKind, b.entry.deedNumber, b.deedId);
    return a.entry.udaj < b.entry.udaj;
}

void VfkRecordBuilder::build(const std::function<VfkSheetRecords*(const QString&)>& recordsOf)
{
    addSplitParts();
    addRights();
    addDeeds();
    std::map<std::pair<int, QString>, std::vector<int>*> sheets;
    for (auto it = m_onSheet.begin(); it != m_onSheet.end(); ++it)
        if (m_index.sheetNumber.contains(it.key()))
            sheets.emplace(std::pair{m_index.sheetNumber.value(it.key()), it.key()}, &it.value());
    // Each area's records keep one entry per record they carry.
    QHash<VfkSheetRecords*, QHash<int, int>> entryOf;
    for (auto& [key, placed] : sheets) {
        VfkSheetRecords* out = recordsOf(key.second);
        if (!out)
            continue;
        std::stable_sort(placed->begin(), placed->end(),
                         [this](int a, int b) { return less(a, b); });
        QHash<int, int>& entries = entryOf[out];
        for (const int record : std::as_const(*placed)) {
            auto entry = entries.constFind(record);
            if (entry == entries.constEnd())
                entry = entries.insert(record, out->addEntry(m_records[record].entry));
            if (!out->place(key.first, *entry))
                throw ETalvekException(
                    QStringLiteral("List vlastnictví %1 by měl víc než %2 doplňků nebo řádků "
                                   "textu; import se neprovedl.")
                        .arg(key.first)
                        .arg(VfkSheetRecords::MaxPositions));
        }
        std::vector<int>().swap(*placed); // the sheet's list is no longer needed
    }
}
