#include "import/VfkRecordBuilder.h"
#include "data/ParcelNumber.h"
#include "import/VfkDistrictBuilder.h"
#include "import/VfkOwnerRegistry.h"

#include <QRegularExpression>
#include <algorithm>
#include <map>

namespace {

QString S(const char* text)
{
    return QString::fromLatin1(text);
}

int yearOf(const QString& date)
{
    return date.size() >= 10 ? date.mid(6, 4).toInt() : 0;
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

qint64 deedNumber(const QString& number, const QString& year)
{
    bool ok = false;
    const qint64 n = number.trimmed().toLongLong(&ok);
    if (!ok || n <= 0 || n > 99999)
        return -1;
    return n * 100 + yearOf(year) % 100;
}

} // namespace

VfkRecordBuilder::VfkRecordBuilder(const VfkDataSet& data, const VfkIndex& index,
                                   const VfkOwnerRegistry& owners)
    : m_data(data), m_index(index), m_owners(owners)
{
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

void VfkRecordBuilder::addSplitParts()
{
    for (const VfkIndex::SplitPart& part : m_index.splitParts) {
        const qint64 packed = m_index.packedParcel.value(part.parcelId);
        const QString parcel = m_index.parcelLabel.value(part.parcelId);
        const QString building = m_index.buildingLabel.value(part.buildingId);
        const int landSheet = m_index.sheetNumber.value(part.landSheet);
        const int buildingSheet = m_index.sheetNumber.value(part.buildingSheet);
        Record pair;
        pair.tel = part.buildingSheet;
        pair.group = 0;
        pair.code = 82;
        pair.udaj = landSheet;
        pair.pairUdaj = packed;
        pair.lines =
            wrap(QStringLiteral("Stavba %1 stojí na pozemku parc. č. %2, který je zapsán na LV %3")
                     .arg(building, parcel)
                     .arg(landSheet));
        m_records.append(pair);
        Record land;
        land.tel = part.landSheet;
        land.group = 1;
        land.code = 93;
        land.udaj = packed;
        land.lines = wrap(QStringLiteral("Na pozemku parc. č. %1 stojí stavba %2 zapsaná na LV %3")
                              .arg(parcel, building)
                              .arg(buildingSheet));
        m_records.append(land);
    }
}

// The person or the parcel on one side of a right, as its text line names it.
QString VfkRecordBuilder::rightParty(const QStringList& row, const char* person,
                                     const char* parcel) const
{
    const VfkBlock& jpv = m_data.block(S("JPV"));
    const QString opsub = vfkValue(row, jpv.column(S(person)));
    if (!opsub.isEmpty())
        return m_owners.displayName(opsub);
    const QString parId = vfkValue(row, jpv.column(S(parcel)));
    if (!parId.isEmpty() && m_index.parcelLabel.contains(parId))
        return QStringLiteral("parc. č. ") + m_index.parcelLabel.value(parId);
    return QString();
}

VfkRecordBuilder::Deed VfkRecordBuilder::deed(const QString& listinId) const
{
    Deed d;
    const QStringList* row = m_data.find(S("LISTIN"), listinId);
    if (!row)
        return d;
    const VfkBlock& listin = m_data.block(S("LISTIN"));
    auto value = [&](const char* column) { return vfkValue(*row, listin.column(S(column))); };
    d.kind = int(value("TYPLIST_KOD").toDouble());
    d.number = deedNumber(value("PORADOVE_CISLO_ZHOTOVITELE"), value("ROK_ZHOTOVITELE"));
    if (d.number < 0) {
        const VfkBlock& rizeni = m_data.block(S("RIZENI"));
        const QStringList* proceeding = m_data.find(S("RIZENI"), value("RIZENI_ID"));
        d.number = proceeding
                       ? deedNumber(vfkValue(*proceeding, rizeni.column(S("PORADOVE_CISLO"))),
                                    vfkValue(*proceeding, rizeni.column(S("ROK"))))
                       : 0;
        d.number = std::max<qint64>(d.number, 0);
    }
    d.legacy = VfkDistrictBuilder::legacyItem(value("DOPLNENI_ZHOTOVITELE"));
    if (d.legacy == 0)
        d.legacy = VfkDistrictBuilder::legacyItem(value("POPIS"));
    const QString popis = value("POPIS").trimmed();
    if (!popis.isEmpty() && !isMasked(popis))
        d.lines += wrap(popis);
    if (!value("DATUM_VYHOTOVENI").isEmpty())
        d.lines += QStringLiteral("Vyhotoveno: ") + dayOf(value("DATUM_VYHOTOVENI"));
    if (!value("DATUM_PRAV_MOCI").isEmpty())
        d.lines += QStringLiteral("Právní moc: ") + dayOf(value("DATUM_PRAV_MOCI"));
    return d;
}

void VfkRecordBuilder::addRights()
{
    const VfkBlock& jpv = m_data.block(S("JPV"));
    auto col = [&](const char* name) { return jpv.column(S(name)); };
    QHash<QString, QPair<QString, QString>> kinds; // KOD -> (section, name)
    const VfkBlock& typrav = m_data.block(S("TYPRAV"));
    for (const QStringList& row : typrav.rows)
        kinds.insert(vfkValue(row, typrav.column(S("KOD"))).trimmed(),
                     {vfkValue(row, typrav.column(S("SEKCE"))).trimmed(),
                      vfkValue(row, typrav.column(S("NAZEV")))});
    // A right's record carries its first deed (RL in file order).
    QHash<QString, QString> firstDeed;
    const VfkBlock& rl = m_data.block(S("RL"));
    for (const QStringList& row : rl.rows) {
        const QString right = vfkValue(row, rl.column(S("JPV_ID")));
        if (!right.isEmpty() && !firstDeed.contains(right))
            firstDeed.insert(right, vfkValue(row, rl.column(S("LISTIN_ID"))));
    }
    for (const QStringList& row : jpv.rows) {
        const QString kod = vfkValue(row, col("TYPRAV_KOD")).trimmed();
        const auto [section, name] = kinds.value(kod);
        const int code = kod.toInt();
        const Deed first = deed(firstDeed.value(vfkValue(row, col("ID"))));
        QStringList common;
        if (name.size() > 40) // longer than the code text prints
            common += wrap(name);
        const QString popis = vfkValue(row, col("POPIS_PRAVNIHO_VZTAHU")).trimmed();
        if (!popis.isEmpty() && !isMasked(popis))
            common += wrap(popis);
        auto place = [&](const QString& tel, int group, int recordCode, qint64 udaj,
                         const QString& recordSection, const QString& party, const char* label) {
            Record r;
            r.tel = tel;
            r.group = group;
            r.section = recordSection;
            r.code = recordCode;
            r.udaj = udaj;
            r.deedKind = first.kind;
            r.deedNumber = first.number;
            r.legacy = first.legacy;
            r.lines = common;
            if (!party.isEmpty())
                r.lines += wrap(QString::fromUtf8(label) + party);
            m_records.append(r);
            m_rightSheets[vfkValue(row, col("ID"))].insert(tel);
        };
        // The burdened side.
        const QString parK = vfkValue(row, col("PAR_ID_K")), budK = vfkValue(row, col("BUD_ID_K")),
                      jedK = vfkValue(row, col("JED_ID_K"));
        QStringList burdened = sheetsOf(parK, budK, jedK);
        if (burdened.isEmpty() && !vfkValue(row, col("TEL_ID")).isEmpty())
            burdened.append(vfkValue(row, col("TEL_ID")));
        if (burdened.isEmpty())
            burdened = m_index.ownerSheets.value(vfkValue(row, col("OPSUB_ID_K")));
        burdened.removeDuplicates();
        const QString burdenSection =
            section == QLatin1String("B") || section == QLatin1String("C") ? section : S("D");
        const QString forWhom = rightParty(row, "OPSUB_ID_PRO", "PAR_ID_PRO");
        for (const QString& tel : std::as_const(burdened))
            place(tel, 3, 1000 + code, parcelOf(parK, budK, jedK), burdenSection, forWhom,
                  "Oprávnění pro: ");
        // The benefiting side, where it is a property.
        const QString parP = vfkValue(row, col("PAR_ID_PRO")),
                      budP = vfkValue(row, col("BUD_ID_PRO")),
                      jedP = vfkValue(row, col("JED_ID_PRO"));
        const QString againstWhom = rightParty(row, "OPSUB_ID_K", "PAR_ID_K");
        for (const QString& tel : sheetsOf(parP, budP, jedP))
            place(tel, 2, 2000 + code, parcelOf(parP, budP, jedP), S("B"), againstWhom,
                  "Povinnost pro: ");
    }
}

// One record per deed and sheet, of the first kind that applies: title of an
// owner of the sheet, basis of a right placed on it, deed on its property.
void VfkRecordBuilder::addDeeds()
{
    const VfkBlock& rl = m_data.block(S("RL"));
    auto col = [&](const char* name) { return rl.column(S(name)); };
    std::map<std::pair<QString, QString>, std::pair<int, qint64>>
        best; // (deed, tel) -> (kind, parcel)
    QList<std::pair<QString, QString>> order;
    auto offer = [&](const QString& listin, const QString& tel, int kind, qint64 parcel) {
        const std::pair key{listin, tel};
        const auto it = best.find(key);
        if (it == best.end()) {
            best.emplace(key, std::pair{kind, parcel});
            order.append(key);
        } else if (kind < it->second.first ||
                   (kind == it->second.first && parcel < it->second.second)) {
            it->second = {kind, parcel};
        }
    };
    for (const QStringList& row : rl.rows) {
        const QString listin = vfkValue(row, col("LISTIN_ID"));
        if (!m_data.find(QStringLiteral("LISTIN"), listin))
            continue; // a deed the files do not carry cannot be described
        const QString opsub = vfkValue(row, col("OPSUB_ID"));
        const QString parId = vfkValue(row, col("PAR_ID")), budId = vfkValue(row, col("BUD_ID")),
                      jedId = vfkValue(row, col("JED_ID"));
        const QStringList propertySheets = sheetsOf(parId, budId, jedId);
        // A title counts on every sheet where its person is an owner.
        for (const QString& tel : m_index.ownerSheets.value(opsub))
            offer(listin, tel, 3001, 0);
        const QString right = vfkValue(row, col("JPV_ID"));
        for (const QString& tel : m_rightSheets.value(right))
            offer(listin, tel, 3002, 0);
        for (const QString& tel : propertySheets)
            offer(listin, tel, 3003, parcelOf(parId, budId, jedId));
    }
    QHash<QString, Deed> deeds;
    for (const auto& key : order) {
        if (!deeds.contains(key.first))
            deeds.insert(key.first, deed(key.first));
        const Deed& d = deeds[key.first];
        const auto [kind, parcel] = best.at(key);
        Record r;
        r.tel = key.second;
        r.group = 4;
        r.code = kind;
        r.udaj = kind == 3003 ? parcel : 0;
        r.deedKind = d.kind;
        r.deedNumber = d.number;
        r.legacy = d.legacy;
        r.deedId = key.first.toLongLong();
        r.lines = d.lines;
        m_records.append(r);
    }
}

QList<VfkRecordBuilder::SheetRecords> VfkRecordBuilder::build()
{
    addSplitParts();
    addRights();
    addDeeds();
    // Order on a sheet: pairs 82/90 and records 93 by parcel, benefiting
    // sides by kind and parcel, burdened sides by section, kind and parcel,
    // deeds by kind, deed kind, number and ID; ties keep the file's order.
    std::stable_sort(m_records.begin(), m_records.end(), [](const Record& a, const Record& b) {
        if (a.group != b.group)
            return a.group < b.group;
        if (a.group == 3 && a.section != b.section)
            return a.section < b.section;
        if (a.code != b.code)
            return a.code < b.code;
        if (a.group == 4)
            return std::tie(a.deedKind, a.deedNumber, a.deedId) <
                   std::tie(b.deedKind, b.deedNumber, b.deedId);
        return a.udaj < b.udaj;
    });
    std::map<std::pair<int, QString>, SheetRecords> sheets;
    QHash<QString, int> positions; // TEL.ID -> last DOPLPOR
    for (const Record& r : std::as_const(m_records)) {
        const int number = m_index.sheetNumber.value(r.tel);
        if (!m_index.sheetNumber.contains(r.tel))
            continue;
        SheetRecords& sheet = sheets[{number, r.tel}];
        sheet.telId = r.tel;
        const int position = ++positions[r.tel];
        sheet.records.append({double(number), position, r.code, double(r.udaj), r.deedKind,
                              double(r.deedNumber), double(r.legacy), 0});
        if (r.pairUdaj >= 0)
            sheet.records.append({double(number), position, 90, double(r.pairUdaj), r.deedKind,
                                  double(r.deedNumber), double(r.legacy), 0});
        for (int i = 0; i < r.lines.size(); ++i)
            sheet.texts.append({double(number), position, i + 1, r.lines[i].left(60)});
    }
    QList<SheetRecords> result;
    for (auto& [key, sheet] : sheets)
        result.append(std::move(sheet));
    return result;
}
