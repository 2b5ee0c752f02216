#include "browse/core/TBrowseTables.h"

#include "base/ETalvekException.h"
#include "base/Format.h"
#include "browse/core/PartFields.h"
#include "browse/core/TMarkSummary.h"
#include "data/CadastralTables.h"
#include "data/OwnerNameLookup.h"
#include "data/ParcelTable.h"
#include "data/ValueFormats.h"
#include "data/WorkTable.h"
#include "db/Query.h"
#include "db/Table.h"

#include <QFileInfo>

using namespace ParDilyRules;

TBrowseTables::TBrowseTables(const QString& workTablePath, const TKUInfo& ku,
                             const QString& codeDir, QObject* parent)
    : QObject(parent), m_ku(ku), m_codeDir(codeDir)
{
    const QFileInfo info(workTablePath);
    m_workDir = info.absolutePath();
    m_workFile = info.fileName();
    createDatasets();
}

Table* TBrowseTables::newTable()
{
    return new Table(this);
}

void TBrowseTables::createDatasets()
{
    m_pa = newTable();
    m_popCis = newTable();
    m_jm = newTable();
    m_vl = newTable();
    m_uz = newTable();
    m_druhP = newTable();
    m_vyuz = newTable();
    m_vztah = newTable();
    m_sektor = newTable();
    m_charUV = newTable();
    m_parSkup = newTable();
    m_memoTxt = newTable();
    m_bonity = new Query(this);
    m_pk = new Query(this);
    m_doplVl = new Query(this);
    m_work = new Query(this);

    PartFields::Install(*m_pa, *m_popCis);
    m_vl->addCalculatedField({"CalcPodil", FieldType::String, 8});
    m_vl->addCalculatedField({"Nazev", FieldType::String, 60});
    m_vl->setCalcHandler([this](Dataset& ds) {
        ds.setCalculatedValue("CalcPodil", ShareText(WholeNumber(ds.asFloat("PODIL"))));
        calcOwnerName(ds);
    });
    m_uz->addCalculatedField({"Nazev", FieldType::String, 60});
    m_uz->setCalcHandler([this](Dataset& ds) { calcOwnerName(ds); });
}

QList<TBrowseGridModel::Column> TBrowseTables::OwnerColumns()
{
    return {{"CalcPodil", "Podíl", 8, Qt::AlignRight},
            {"IDENT", "Rodné č. (IČO)", 10, Qt::AlignRight},
            {"Nazev", " Jméno občana  (organizace)", 80, Qt::AlignLeft}};
}

QList<TBrowseGridModel::Column> TBrowseTables::UserColumns()
{
    return {{"IDENT", "", 18, Qt::AlignRight}, {"Nazev", "", 63, Qt::AlignLeft}};
}

QList<TBrowseGridModel::Column> TBrowseTables::BonityColumns()
{
    return {{"PARSKUP", "Skup.", 1, Qt::AlignHCenter}, {"PARCIS", "Kmen.číslo", 7, Qt::AlignRight},
            {"PARPOD", "Podlomení", 3, Qt::AlignLeft}, {"VYMERA", " Výměra", 9, Qt::AlignRight},
            {"BONITA", " Bonita", 6, Qt::AlignRight},  {"BPOLVZ", " Výkaz", 6, Qt::AlignRight}};
}

QList<TBrowseGridModel::Column> TBrowseTables::OlderParcelColumns()
{
    return {{"PARSKUP", "Skup.", 1, Qt::AlignHCenter},
            {"PARCISLO", " Parcelní číslo", 12, Qt::AlignHCenter},
            {"PARDIL", " Díl", 4, Qt::AlignHCenter},
            {"VYMERA", " Výměra", 10, Qt::AlignRight}};
}

void TBrowseTables::calcOwnerName(Dataset& ds)
{
    ds.setCalculatedValue(
        "Nazev", OwnerNameLookup::Find(*m_jm, ds.asFloat("IDENT"), int(ds.asInteger("UVCHAR"))));
}

void TBrowseTables::OpenDetails(bool codeTables)
{
    using namespace CadastralTables;
    if (codeTables) {
        OpenCodeTable(*m_druhP, m_codeDir, LandKindTable, "CIS");
        OpenCodeTable(*m_vyuz, m_codeDir, LandUseTable, "KOD");
        OpenCodeTable(*m_vztah, m_codeDir, LegalRelationTable, "CIS");
        OpenCodeTable(*m_sektor, m_codeDir, SectorTable, "CIS");
        OpenCodeTable(*m_charUV, m_codeDir, OwnerCharacteristicTable, "CIS");
        OpenCodeTable(*m_parSkup, m_codeDir, ParcelGroupTable, "CIS");
    }
    const QString relations = PerAreaTable(RelationPrefix, m_ku.Suffix);
    OpenParcelTable(*m_popCis, m_ku.Alias, m_ku.Suffix);
    OpenAreaTable(*m_jm, m_ku.Alias, OwnerTable, "IDENT;UVCHAR");
    OpenAreaTable(*m_uz, m_ku.Alias, relations, "ELLVCIS");
    OpenAreaTable(*m_vl, m_ku.Alias, relations, "ELLVCIS");
    for (Query* q : {m_bonity, m_pk, m_doplVl}) {
        q->close();
        q->setDatabaseName(m_ku.Alias);
    }
    m_bonity->setSql(Format(QStringLiteral("Select * From \"NYSBO%s.DB\""), m_ku.Suffix));
    m_pk->setSql(
        QStringList{Format(QStringLiteral("Select PARSKUP, PARCISLO, PARDIL, VYMERA, CPCE From "
                                          "\"NYSPA%s.DB\""),
                           m_ku.Suffix),
                    QStringLiteral("Where PARSKUP > 2")});
    m_doplVl->setSql(
        QStringList{Format(QStringLiteral("Select DOPLPOR, DOPLKOD, DOPLUDAJ From \"NYSVL%s.DB\""),
                           m_ku.Suffix),
                    QString(), QStringLiteral("Order by DOPLPOR, DOPLKOD")});
}

void TBrowseTables::OpenParts()
{
    m_pa->close();
    m_pa->setDatabaseName(m_workDir);
    m_pa->setTableName(m_workFile);
    m_pa->setIndexFieldNames(CadastralTables::ParcelIndexFields);
    m_pa->open();
    m_work->setDatabaseName(m_workDir);
}

void TBrowseTables::CloseParts()
{
    m_jm->close();
    m_uz->close();
    m_vl->close();
    m_pa->close();
}

QVariantList TBrowseTables::CurrentPartKey() const
{
    if (!m_pa->isActive() || m_pa->isEmpty())
        return {};
    return {m_pa->asInteger("PARSKUP"), m_pa->asInteger("PARCIS"), m_pa->asInteger("PARPOD"),
            m_pa->asInteger("PARDIL")};
}

bool TBrowseTables::LocateParcel(int group, int stem, int subdivision)
{
    if (!m_pa->isActive())
        return false;
    // A scan in the order shown: the parts may be sorted by any column.
    const int g = m_pa->fieldIndex(QStringLiteral("PARSKUP"));
    const int s = m_pa->fieldIndex(QStringLiteral("PARCIS"));
    const int p = m_pa->fieldIndex(QStringLiteral("PARPOD"));
    for (int row = 0, n = m_pa->recordCount(); row < n; ++row) {
        const QVariantList v = m_pa->rowValues(row);
        if (v.at(g).toInt() == group && v.at(s).toInt() == stem && v.at(p).toInt() == subdivision) {
            m_pa->setRecNo(row);
            return true;
        }
    }
    return false;
}

QString TBrowseTables::codeText(Table& table, qint64 code)
{
    if (!table.isActive() || !table.findKey({code}))
        return QString();
    return table.asString("TEXT");
}

QString TBrowseTables::protectionText(int digit, int code)
{
    if (code == 0)
        return QString();
    Table protection;
    try {
        OpenCodeTable(protection, m_codeDir, Format(QStringLiteral("OCHRNEM%d.DB"), digit), "CIS");
    } catch (const ETalvekException&) {
        // A protection table the code directory lacks gives no text.
        return QString();
    }
    const QString text = codeText(protection, code);
    protection.close();
    return text;
}

TBrowseTables::PartTexts TBrowseTables::CurrentPartTexts()
{
    Table& pa = *m_pa;
    if (pa.isEmpty())
        return {};
    const std::array<int, 3> codes = ProtectionCodes(int(pa.asInteger("NEMOCHR")));
    return {codeText(*m_druhP, pa.asInteger("DRUHPOZ")), codeText(*m_vyuz, pa.asInteger("KodVyuz")),
            codeText(*m_vztah, pa.asInteger("VLVZTAH")),
            ProtectionLines({protectionText(1, codes[0]), protectionText(2, codes[1]),
                             protectionText(3, codes[2])})};
}

QString TBrowseTables::OwnerCharacteristicText()
{
    const bool has = m_vl->isActive() && !m_vl->isEmpty();
    return has ? codeText(*m_charUV, m_vl->asInteger("UVCHAR")) : QString();
}

QString TBrowseTables::SectorText()
{
    const bool has = m_uz->isActive() && !m_uz->isEmpty();
    return has ? codeText(*m_sektor, m_uz->asInteger("SEKTOR")) : QString();
}

LandSheet TBrowseTables::FindLandSheet(int ownLv)
{
    QList<SheetRecord> records;
    try {
        m_doplVl->close();
        m_doplVl->setSqlLine(
            1, Format(QStringLiteral("Where DLVCIS = %d and DOPLKOD in (82, 90)"), ownLv));
        m_doplVl->open();
        for (m_doplVl->first(); !m_doplVl->eof(); m_doplVl->next())
            records.append({int(m_doplVl->asInteger("DOPLPOR")),
                            int(m_doplVl->asInteger("DOPLKOD")), m_doplVl->asFloat("DOPLUDAJ")});
        m_doplVl->close();
    } catch (const ETalvekException&) {
        // Without readable records the land is taken as held on the own sheet.
        return {false, ownLv};
    }
    return ParDilyRules::FindLandLV(records, int(m_pa->asInteger("PARSKUP")),
                                    int(m_pa->asInteger("PARCIS")), int(m_pa->asInteger("PARPOD")),
                                    ownLv);
}

void TBrowseTables::ShowOwnersOf(int lv)
{
    if (!m_vl->isActive())
        return;
    m_vl->cancelRange();
    m_vl->setRange({lv}, {lv});
}

void TBrowseTables::LinkUsers(bool linked)
{
    if (!m_pa->isActive())
        return;
    if (linked)
        m_uz->setMasterSource(m_pa, "ELCIS");
    else
        m_uz->setMasterSource(nullptr, QString());
}

void TBrowseTables::SelectBonity()
{
    m_bonity->close();
    if (m_pa->isEmpty())
        return;
    m_bonity->setFilter(Format(QStringLiteral("PARSKUP=%d AND PARCIS=%d AND PARPOD=%d"),
                               m_pa->asInteger("PARSKUP"), m_pa->asInteger("PARCIS"),
                               m_pa->asInteger("PARPOD")));
    m_bonity->setFiltered(true);
    m_bonity->open();
}

void TBrowseTables::SelectOlderParcels()
{
    m_pk->close();
    if (m_pa->isEmpty() || m_pa->asInteger("PARSKUP") >= 3)
        return;
    m_pk->setFilter(
        Format(QStringLiteral("CPCE=%d"),
               OlderRegisterCpce(int(m_pa->asInteger("PARCIS")), int(m_pa->asInteger("PARPOD")))));
    m_pk->setFiltered(true);
    m_pk->open();
}

void TBrowseTables::SortParts(const QString& field, const QString& title)
{
    const std::optional<QString> key = SortKey(field, PartFields::IsCalculated(field));
    if (!key)
        throw ETalvekException(CannotSortMessage(title));
    m_pa->setIndexName(QString());
    if (*key == QLatin1String("PARCISLO")) {
        m_pa->setIndexFieldNames(CadastralTables::ParcelIndexFields);
        return;
    }
    bool known = false;
    for (const IndexDef& index : m_pa->indexDefs())
        known = known || index.name.compare(*key, Qt::CaseInsensitive) == 0;
    if (!known)
        m_pa->addIndex({*key, {*key}, false, false});
    m_pa->setIndexName(*key);
}

bool TBrowseTables::SetMark(int row, std::optional<bool> mark, TMarkSummary& marks)
{
    if (!m_pa->isActive() || row < 0 || row >= m_pa->recordCount())
        return false;
    m_pa->setRecNo(row);
    const bool was = m_pa->asBoolean("FLAG");
    const bool marked = mark.value_or(!was);
    if (marked == was)
        return false;
    const qint64 area = m_pa->asInteger("VYMERA");
    m_pa->edit();
    m_pa->setValue("FLAG", marked);
    m_pa->post();
    marks.Changed(was, marked, area);
    return true;
}

void TBrowseTables::MarkAll(bool mark)
{
    m_work->setSql(MarkAllSql(m_workFile, mark));
    m_work->execSql();
    m_pa->refresh();
}

QStringList TBrowseTables::OlderParcelNumbers()
{
    QStringList numbers;
    if (!m_pk->isActive())
        return numbers;
    for (m_pk->first(); !m_pk->eof(); m_pk->next())
        numbers.append(m_pk->asString("PARCISLO"));
    return numbers;
}

void TBrowseTables::AddToWork(const QStringList& numbers)
{
    CloseParts();
    Table work;
    work.setDatabaseName(m_workDir);
    work.setTableName(m_workFile);
    work.open();
    AddParcelsToWork(numbers, work, *m_popCis, true);
    work.close();
    m_popCis->close();
}
