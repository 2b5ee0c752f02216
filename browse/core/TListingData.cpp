#include "browse/core/TListingData.h"

#include "base/ETalvekException.h"
#include "base/Format.h"
#include "data/CadastralTables.h"
#include "data/OwnerNameLookup.h"
#include "data/ValueFormats.h"
#include "db/Engine.h"
#include "db/Query.h"
#include "db/Table.h"

#include <QFileInfo>
#include <algorithm>

using namespace CadastralTables;

namespace {

const qint64 GroupFactor = 10000000000LL; // packed parcel reference: group * 10^10

qint64 ParcelKey(int parskup, qint64 parcis, int parpod)
{
    return (qint64(parskup) * 1000000000LL + parcis) * 1000 + parpod;
}

qint64 PartKey(int parskup, qint64 parcis, int parpod, int pardil)
{
    return ParcelKey(parskup, parcis, parpod) * 1000 + pardil;
}

qint64 Whole(const QVariant& v)
{
    return WholeNumber(v.toDouble());
}

} // namespace

namespace {
// Calls `row` with the values of `fields` for every row in view of `ds`.
void ForEachRowOf(Dataset& ds, const QString& what, const QStringList& fields,
                  const std::function<void(const QVariantList&)>& row)
{
    QList<int> at;
    for (const QString& name : fields) {
        at.append(ds.fieldIndex(name));
        if (at.last() < 0)
            throw ETalvekException(QStringLiteral("V %1 chybí pole %2").arg(what, name));
    }
    QVariantList values(fields.size());
    ds.forEachRow([&](const QVariantList& all) {
        for (int i = 0; i < at.size(); ++i)
            values[i] = all.at(at[i]);
        row(values);
    });
}
} // namespace

void ForEachListedRow(const QString& database, const QString& sql, const QStringList& fields,
                      const std::function<void(const QVariantList&)>& row)
{
    Query query;
    query.setDatabaseName(database);
    query.setSql(sql);
    query.open();
    ForEachRowOf(query, QStringLiteral("dotazu ") + sql, fields, row);
    query.close();
}

void ForEachTableRow(const QString& database, const QString& table, const QString& order,
                     const QString& filter, const QStringList& fields,
                     const std::function<void(const QVariantList&)>& row)
{
    // The table itself in the order of its fields: no copy of the rows.
    Table t;
    t.setDatabaseName(database);
    t.setTableName(table);
    t.setReadOnly(true);
    t.setIndexFieldNames(order);
    t.setFilter(filter);
    t.setFiltered(!filter.isEmpty());
    t.open();
    ForEachRowOf(t, QStringLiteral("tabulce ") + table, fields, row);
    t.close();
}

namespace {
} // namespace

TListingData::TListingData(const TKUInfo& ku, const QString& workDbPath)
    : m_ku(ku), m_workDbPath(workDbPath)
{
}

QString TListingData::AreaTable(const char* prefix) const
{
    return PerAreaTable(prefix, m_ku.Suffix.left(3));
}

bool TListingData::AreaTableExists(const char* prefix) const
{
    Engine& engine = Engine::instance();
    const QString dir = engine.directoryOf(m_ku.Alias);
    return QFileInfo::exists(engine.tablePath(dir, AreaTable(prefix), false));
}

QHash<qint64, QString> TListingData::CodeTexts(const char* table, const QString& keyField,
                                               const QString& textField)
{
    QHash<qint64, QString> texts;
    ForEachListedRow(m_workDbPath,
                     Format(QStringLiteral("SELECT %s, %s FROM \"%s\""), keyField, textField,
                            QString::fromLatin1(table)),
                     {keyField, textField},
                     [&](const QVariantList& v) { texts.insert(Whole(v[0]), v[1].toString()); });
    return texts;
}

// ---- parts ----

void TListingData::LoadParts()
{
    m_parts.emplace();
    m_older.emplace();
    ForEachTableRow(
        m_ku.Alias, AreaTable(ParcelPrefix), QString::fromLatin1(ParcelIndexFields), QString(),
        {"PARSKUP", "PARCIS", "PARPOD", "PARDIL", "ELCIS", "MAPA", "PPOLVZ", "VLVZTAH", "NEMOCHR",
         "CPCE", "PARCISLO", "BONITA", "KVALITA"},
        [&](const QVariantList& v) {
            const int parskup = int(Whole(v[0]));
            Part p;
            p.found = true;
            p.elcis = Whole(v[4]);
            p.mapa = v[5].toString().left(5);
            p.ppolvz = Whole(v[6]);
            p.vlvztah = int(Whole(v[7]));
            p.nemochr = int(Whole(v[8]));
            p.bonita = Whole(v[11]);
            p.kvalita = int(Whole(v[12]));
            m_parts->insert(PartKey(parskup, Whole(v[1]), int(Whole(v[2])), int(Whole(v[3]))), p);
            if (IsCurrentCadastre(parskup))
                return;
            // Consecutive parts of one older parcel are named once.
            auto& refs = (*m_older)[Whole(v[9])];
            const QPair<int, QString> ref{parskup, v[10].toString().trimmed()};
            if (refs.isEmpty() || refs.last() != ref)
                refs.append(ref);
        });
}

TListingData::Part TListingData::PartOf(int parskup, qint64 parcis, int parpod, int pardil)
{
    if (!m_parts)
        LoadParts();
    return m_parts->value(PartKey(parskup, parcis, parpod, pardil));
}

QList<QPair<int, QString>> TListingData::OlderRegisterOf(int parcis, int parpod)
{
    if (!m_older)
        LoadParts();
    return m_older->value(OlderRegisterCpce(parcis, parpod));
}

// ---- owners and users ----

void TListingData::LoadHolders()
{
    m_holders.emplace();
    ForEachListedRow(m_ku.Alias,
                     Format(QStringLiteral("SELECT * FROM \"%s\" ORDER BY ELLVCIS, VLPOR"),
                            AreaTable(RelationPrefix)),
                     {"ELLVCIS", "PODIL", "IDENT", "UVCHAR", "SEKTOR"}, [&](const QVariantList& v) {
                         (*m_holders)[Whole(v[0])].append(
                             {Whole(v[1]), v[2].toDouble(), int(Whole(v[3])), int(Whole(v[4]))});
                     });
}

QList<TListingData::Holder> TListingData::HoldersOf(qint64 ellvcis)
{
    if (!m_holders)
        LoadHolders();
    return m_holders->value(ellvcis);
}

QString TListingData::OwnerName(double ident, int uvchar)
{
    return Owners().Name(ident, uvchar);
}

OwnerNameLookup& TListingData::Owners()
{
    if (!m_owners)
        m_owners = std::make_unique<OwnerNameLookup>(m_ku.Alias);
    return *m_owners;
}

QString TListingData::IdentText(double ident, int uvchar)
{
    // The owner table is asked only when the answer can change the text.
    if (uvchar == BirthNumberMask::UnknownCharacteristic && BirthNumberMask::Enabled() &&
        ident != 0 && Owners().IsPerson(ident))
        uvchar = 1;
    return BirthNumberMask::Text(ident, uvchar);
}

QVariant TListingData::IdentValue(double ident, int uvchar)
{
    return BirthNumberMask::Value(ident, uvchar);
}

// ---- code texts ----

namespace {
QString Lookup(std::optional<QHash<qint64, QString>>& cache,
               const std::function<QHash<qint64, QString>()>& load, qint64 key)
{
    if (!cache)
        cache = load();
    return cache->value(key);
}
} // namespace

QString TListingData::LandKindAbbrev(int druhpoz)
{
    return Lookup(
        m_kindAbbrev, [this] { return CodeTexts(LandKindTable, "CIS", "ZKR"); }, druhpoz);
}

QString TListingData::LandKindText(int druhpoz)
{
    return Lookup(
        m_kindText, [this] { return CodeTexts(LandKindTable, "CIS", "TEXT"); }, druhpoz);
}

QString TListingData::LandUseText(int landUseKey)
{
    return Lookup(
        m_landUse, [this] { return CodeTexts(LandUseTable, "KOD", "TEXT"); }, landUseKey);
}

QString TListingData::RelationText(int vlvztah)
{
    return Lookup(
        m_relation, [this] { return CodeTexts(LegalRelationTable, "CIS", "TEXT"); }, vlvztah);
}

QString TListingData::GroupName(int parskup)
{
    return Lookup(
        m_group, [this] { return CodeTexts(ParcelGroupTable, "CIS", "PSKUP"); }, parskup);
}

QString TListingData::SectorText(int sektor)
{
    return Lookup(
        m_sector, [this] { return CodeTexts(SectorTable, "CIS", "TEXT"); }, sektor);
}

// ---- supplementary records ----

bool TListingData::HasSupplement()
{
    if (!m_hasSupplement)
        m_hasSupplement = AreaTableExists(RecordPrefix) && AreaTableExists(RecordTextPrefix);
    return *m_hasSupplement;
}

void TListingData::LoadRecords()
{
    m_records.emplace();
    if (!HasSupplement())
        return;
    ForEachListedRow(
        m_workDbPath,
        Format(QStringLiteral("SELECT * FROM \"%s\""), QString::fromLatin1(RecordKindTable)),
        {"KOD", "TEXT", "DOPLNEK", "CAST", "TYP"}, [&](const QVariantList& v) {
            m_recordKinds.insert(int(Whole(v[0])),
                                 {v[1].toString(), v[2].toString(), v[3].toString(),
                                  v[4].toString().trimmed() == u"P"});
        });
    ForEachListedRow(
        m_workDbPath,
        Format(QStringLiteral("SELECT * FROM \"%s\""), QString::fromLatin1(DeedKindTable)),
        {"KOD", "TEXT1", "TEXT2"}, [&](const QVariantList& v) {
            m_deedKinds.insert(int(Whole(v[0])), {v[1].toString(), v[2].toString()});
        });
    ForEachListedRow(
        m_ku.Alias,
        Format(QStringLiteral("SELECT * FROM \"%s\" ORDER BY DLVCIS, DOPLPOR, DOPLKOD"),
               AreaTable(RecordPrefix)),
        {"DLVCIS", "DOPLPOR", "DOPLKOD", "DOPLUDAJ", "LISTDRUH", "LISTCIS", "DOPLVZ"},
        [&](const QVariantList& v) {
            (*m_records)[Whole(v[0])].append({int(Whole(v[1])), int(Whole(v[2])), v[3].toDouble(),
                                              int(Whole(v[4])), Whole(v[5]), Whole(v[6])});
        });
    ForEachListedRow(m_ku.Alias,
                     Format(QStringLiteral("SELECT * FROM \"%s\" ORDER BY DLVCIS, DOPLPOR, RADEK"),
                            AreaTable(RecordTextPrefix)),
                     {"DLVCIS", "DOPLPOR", "TEXT"}, [&](const QVariantList& v) {
                         m_recordLines[{Whole(v[0]), int(Whole(v[1]))}].append(v[2].toString());
                     });
}

QList<LVSupplementText::Record> TListingData::Supplement(int sheet, qint64 parcelKey, int group)
{
    if (!m_records)
        LoadRecords();
    const double packed = double(qint64(group) * GroupFactor + parcelKey);
    QList<LVSupplementText::Record> out;
    for (const Record& r : m_records->value(sheet)) {
        const bool names = r.dopludaj == packed || (group == 2 && r.dopludaj == double(parcelKey));
        if (parcelKey > 0 && !names)
            continue;
        const RecordKind kind = m_recordKinds.value(r.doplkod);
        const QPair<QString, QString> deed = m_deedKinds.value(r.listdruh);
        LVSupplementText::Record t;
        t.typeText = kind.text;
        t.addition = kind.addition;
        t.section = kind.section;
        t.valueLabel = LVSupplementText::ValueLabel(r.dopludaj, kind.parcel);
        t.deed = DeedNumberText(r.listcis);
        t.changeItem = DeedNumberText(r.doplvz);
        t.deedText1 = deed.first;
        t.deedText2 = deed.second;
        t.lines = m_recordLines.value({sheet, r.doplpor});
        out.append(t);
    }
    return out;
}

ParDilyRules::LandSheet TListingData::LandSheetOf(int lv, int parskup, int parcis, int parpod)
{
    if (!m_records)
        LoadRecords();
    QList<ParDilyRules::SheetRecord> records;
    for (const Record& r : m_records->value(lv))
        if (r.doplkod == RecordLandSheetOfBuilding || r.doplkod == RecordBuildingStandsOn)
            records.append({r.doplpor, r.doplkod, r.dopludaj});
    return ParDilyRules::FindLandLV(records, parskup, parcis, parpod, lv);
}

// ---- pages ----

void TListingData::LoadSoil()
{
    m_soil.emplace();
    if (!AreaTableExists(SoilPrefix))
        return;
    ForEachListedRow(
        m_ku.Alias, Format(QStringLiteral("SELECT * FROM \"%s\""), AreaTable(SoilPrefix)),
        {"PARSKUP", "PARCIS", "PARPOD", "VYMERA", "BONITA", "BPOLVZ"}, [&](const QVariantList& v) {
            (*m_soil)[ParcelKey(int(Whole(v[0])), Whole(v[1]), int(Whole(v[2])))].append(
                {Whole(v[3]), v[4].toString().trimmed().toLongLong(), Whole(v[5])});
        });
}

QList<TListingData::SoilRow> TListingData::SoilOf(int parskup, qint64 parcis, int parpod)
{
    if (!m_soil)
        LoadSoil();
    return m_soil->value(ParcelKey(parskup, parcis, parpod));
}

void TListingData::LoadOwnTexts()
{
    m_ownTexts.emplace();
    if (!AreaTableExists(UserTextPrefix))
        return;
    ForEachListedRow(
        m_ku.Alias,
        Format(QStringLiteral("SELECT PARSKUP, PARCIS, PARPOD, PARDIL, TEXT FROM \"%s\""),
               AreaTable(UserTextPrefix)),
        {"PARSKUP", "PARCIS", "PARPOD", "PARDIL", "TEXT"}, [&](const QVariantList& v) {
            const qint64 key =
                PartKey(int(Whole(v[0])), Whole(v[1]), int(Whole(v[2])), int(Whole(v[3])));
            // The first text of a part, as the browser shows it.
            if (!m_ownTexts->contains(key))
                m_ownTexts->insert(key, v[4].toString());
        });
}

QString TListingData::OwnText(int parskup, qint64 parcis, int parpod, int pardil)
{
    if (!m_ownTexts)
        LoadOwnTexts();
    return m_ownTexts->value(PartKey(parskup, parcis, parpod, pardil));
}
