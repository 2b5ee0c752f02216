#include "browse/core/TListingData.h"

#include "base/Format.h"
#include "data/CadastralTables.h"
#include "data/ValueFormats.h"
#include "db/Engine.h"
#include "db/Query.h"

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

// Runs `sql` on `database` and calls `row` for every result row.
void ForEachRow(const QString& database, const QString& sql,
                const std::function<void(const Query&)>& row)
{
    Query query;
    query.setDatabaseName(database);
    query.setSql(sql);
    query.open();
    for (query.first(); !query.eof(); query.next())
        row(query);
    query.close();
}

qint64 Whole(const Query& q, const QString& field)
{
    return WholeNumber(q.asFloat(field));
}

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
    ForEachRow(m_workDbPath,
               Format(QStringLiteral("SELECT %s, %s FROM \"%s\""), keyField, textField,
                      QString::fromLatin1(table)),
               [&](const Query& q) { texts.insert(Whole(q, keyField), q.asString(textField)); });
    return texts;
}

// ---- parts ----

void TListingData::LoadParts()
{
    m_parts.emplace();
    m_older.emplace();
    ForEachRow(m_ku.Alias,
               Format(QStringLiteral("SELECT * FROM \"%s\" ORDER BY PARSKUP, PARCIS, PARPOD, "
                                     "PARDIL"),
                      AreaTable(ParcelPrefix)),
               [&](const Query& q) {
                   const int parskup = int(q.asInteger(QStringLiteral("PARSKUP")));
                   Part p;
                   p.found = true;
                   p.elcis = Whole(q, QStringLiteral("ELCIS"));
                   p.mapa = q.asString(QStringLiteral("MAPA")).left(5);
                   p.ppolvz = Whole(q, QStringLiteral("PPOLVZ"));
                   p.vlvztah = int(Whole(q, QStringLiteral("VLVZTAH")));
                   p.nemochr = int(Whole(q, QStringLiteral("NEMOCHR")));
                   p.bonita = Whole(q, QStringLiteral("BONITA"));
                   p.kvalita = int(Whole(q, QStringLiteral("KVALITA")));
                   m_parts->insert(PartKey(parskup, Whole(q, QStringLiteral("PARCIS")),
                                           int(q.asInteger(QStringLiteral("PARPOD"))),
                                           int(q.asInteger(QStringLiteral("PARDIL")))),
                                   p);
                   if (IsCurrentCadastre(parskup))
                       return;
                   // Consecutive parts of one older parcel are named once.
                   auto& refs = (*m_older)[Whole(q, QStringLiteral("CPCE"))];
                   const QPair<int, QString> ref{parskup,
                                                 q.asString(QStringLiteral("PARCISLO")).trimmed()};
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
    ForEachRow(m_ku.Alias,
               Format(QStringLiteral("SELECT * FROM \"%s\" ORDER BY ELLVCIS, VLPOR"),
                      AreaTable(RelationPrefix)),
               [&](const Query& q) {
                   Holder h;
                   h.podil = Whole(q, QStringLiteral("PODIL"));
                   h.ident = q.asFloat(QStringLiteral("IDENT"));
                   h.uvchar = int(q.asInteger(QStringLiteral("UVCHAR")));
                   h.sektor = int(q.asInteger(QStringLiteral("SEKTOR")));
                   (*m_holders)[Whole(q, QStringLiteral("ELLVCIS"))].append(h);
               });
}

QList<TListingData::Holder> TListingData::HoldersOf(qint64 ellvcis)
{
    if (!m_holders)
        LoadHolders();
    return m_holders->value(ellvcis);
}

void TListingData::LoadOwners()
{
    m_owners.emplace();
    ForEachRow(m_ku.Alias,
               Format(QStringLiteral("SELECT IDENT, UVCHAR, NAZEV FROM \"%s\""),
                      QString::fromLatin1(OwnerTable)),
               [&](const Query& q) {
                   m_owners->emplace(std::make_pair(q.asFloat(QStringLiteral("IDENT")),
                                                    int(q.asInteger(QStringLiteral("UVCHAR")))),
                                     q.asString(QStringLiteral("NAZEV")));
               });
}

QString TListingData::OwnerName(double ident, int uvchar)
{
    if (!m_owners)
        LoadOwners();
    // The exact row, else the next row in key order when it has the same
    // identifier (as the browser's nearest-key lookup does).
    const auto it = m_owners->lower_bound({ident, uvchar});
    if (it != m_owners->end() && it->first.first == ident)
        return it->second;
    return QStringLiteral("nenalezen");
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
    return AreaTableExists(RecordPrefix) && AreaTableExists(RecordTextPrefix);
}

void TListingData::LoadRecords()
{
    m_records.emplace();
    if (!AreaTableExists(RecordPrefix) || !AreaTableExists(RecordTextPrefix))
        return;
    ForEachRow(m_workDbPath,
               Format(QStringLiteral("SELECT * FROM \"%s\""), QString::fromLatin1(RecordKindTable)),
               [&](const Query& q) {
                   m_recordKinds.insert(int(q.asInteger(QStringLiteral("KOD"))),
                                        {q.asString(QStringLiteral("TEXT")),
                                         q.asString(QStringLiteral("DOPLNEK")),
                                         q.asString(QStringLiteral("CAST")),
                                         q.asString(QStringLiteral("TYP")).trimmed() == u"P"});
               });
    ForEachRow(m_workDbPath,
               Format(QStringLiteral("SELECT * FROM \"%s\""), QString::fromLatin1(DeedKindTable)),
               [&](const Query& q) {
                   m_deedKinds.insert(
                       int(q.asInteger(QStringLiteral("KOD"))),
                       {q.asString(QStringLiteral("TEXT1")), q.asString(QStringLiteral("TEXT2"))});
               });
    ForEachRow(m_ku.Alias,
               Format(QStringLiteral("SELECT * FROM \"%s\" ORDER BY DLVCIS, DOPLPOR, DOPLKOD"),
                      AreaTable(RecordPrefix)),
               [&](const Query& q) {
                   Record r;
                   r.doplpor = int(q.asInteger(QStringLiteral("DOPLPOR")));
                   r.doplkod = int(q.asInteger(QStringLiteral("DOPLKOD")));
                   r.dopludaj = q.asFloat(QStringLiteral("DOPLUDAJ"));
                   r.listdruh = int(q.asInteger(QStringLiteral("LISTDRUH")));
                   r.listcis = Whole(q, QStringLiteral("LISTCIS"));
                   r.doplvz = Whole(q, QStringLiteral("DOPLVZ"));
                   (*m_records)[Whole(q, QStringLiteral("DLVCIS"))].append(r);
               });
    ForEachRow(m_ku.Alias,
               Format(QStringLiteral("SELECT * FROM \"%s\" ORDER BY DLVCIS, DOPLPOR, RADEK"),
                      AreaTable(RecordTextPrefix)),
               [&](const Query& q) {
                   m_recordLines[{Whole(q, QStringLiteral("DLVCIS")),
                                  int(q.asInteger(QStringLiteral("DOPLPOR")))}]
                       .append(q.asString(QStringLiteral("TEXT")));
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
    ForEachRow(m_ku.Alias, Format(QStringLiteral("SELECT * FROM \"%s\""), AreaTable(SoilPrefix)),
               [&](const Query& q) {
                   SoilRow s;
                   s.vymera = Whole(q, QStringLiteral("VYMERA"));
                   s.bonita = q.asString(QStringLiteral("BONITA")).trimmed().toLongLong();
                   s.bpolvz = Whole(q, QStringLiteral("BPOLVZ"));
                   (*m_soil)[ParcelKey(int(q.asInteger(QStringLiteral("PARSKUP"))),
                                       Whole(q, QStringLiteral("PARCIS")),
                                       int(q.asInteger(QStringLiteral("PARPOD"))))]
                       .append(s);
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
    ForEachRow(m_ku.Alias,
               Format(QStringLiteral("SELECT PARSKUP, PARCIS, PARPOD, PARDIL, TEXT FROM \"%s\""),
                      AreaTable(UserTextPrefix)),
               [&](const Query& q) {
                   const qint64 key = PartKey(int(q.asInteger(QStringLiteral("PARSKUP"))),
                                              Whole(q, QStringLiteral("PARCIS")),
                                              int(q.asInteger(QStringLiteral("PARPOD"))),
                                              int(q.asInteger(QStringLiteral("PARDIL"))));
                   // The first text of a part, as the browser shows it.
                   if (!m_ownTexts->contains(key))
                       m_ownTexts->insert(key, q.asString(QStringLiteral("TEXT")));
               });
}

QString TListingData::OwnText(int parskup, qint64 parcis, int parpod, int pardil)
{
    if (!m_ownTexts)
        LoadOwnTexts();
    return m_ownTexts->value(PartKey(parskup, parcis, parpod, pardil));
}
