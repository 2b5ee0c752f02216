#include "browse/core/TPartExport.h"

#include "base/ETalvekException.h"
#include "base/Format.h"
#include "browse/core/PartFields.h"
#include "browse/core/TGisExportFile.h"
#include "browse/core/TListingData.h"
#include "data/BirthNumberMask.h"
#include "data/CadastralTables.h"
#include "data/ValueFormats.h"
#include "db/Dataset.h"
#include "db/Query.h"
#include "db/RegistryTableNames.h"
#include "db/paradox/ParadoxTable.h"
#include "map/core/MapArea.h"
#include "map/core/MarkedParcels.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// Starts the progress over `total` rows and finishes it on every way out.
class ProgressRun
{
public:
    ProgressRun(const RowProgress& progress, int total) : m_progress(progress)
    {
        if (m_progress.start)
            m_progress.start(total);
    }
    ~ProgressRun()
    {
        if (m_progress.finish)
            m_progress.finish();
    }
    ProgressRun(const ProgressRun&) = delete;
    ProgressRun& operator=(const ProgressRun&) = delete;
    // One row done; throws TPartExport::Stopped when the user stops.
    void Step() const
    {
        if (m_progress.step && m_progress.step())
            throw TPartExport::Stopped{};
    }

private:
    const RowProgress& m_progress;
};

const char* const MarkedFilter = "FLAG = TRUE";
// Display widths of fields the grid does not show, in characters.
const int SmallIntWidth = 6;
const int IntegerWidth = 11;
const int NumberWidth = 10;

// Remembers the work dataset's filter, current row and calculated-field
// handler and puts them back when the export ends, however it ends. Meanwhile
// the calculated fields come from the area's parcels read once into memory
// (the same rules as the browser's per-row lookups, ten times faster).
class ViewGuard
{
public:
    ViewGuard(Dataset& ds, TListingData& data)
        : m_ds(ds), m_filter(ds.filter()), m_filtered(ds.isFiltered()), m_recNo(ds.recNo()),
          m_calc(ds.calcHandler())
    {
        if (m_calc)
            ds.setCalcHandler([&data](Dataset& row) {
                PartFields::Calculate(
                    row, data.PartOf(int(row.asInteger("PARSKUP")), row.asInteger("PARCIS"),
                                     int(row.asInteger("PARPOD")), int(row.asInteger("PARDIL"))));
            });
    }
    ~ViewGuard()
    {
        m_ds.setCalcHandler(m_calc);
        try {
            if (m_ds.isFiltered() != m_filtered || m_ds.filter() != m_filter) {
                m_ds.setFiltered(false);
                m_ds.setFilter(m_filter);
                m_ds.setFiltered(m_filtered);
            }
            if (m_ds.recNo() != m_recNo && m_recNo < m_ds.recordCount())
                m_ds.setRecNo(m_recNo);
        } catch (const ETalvekException&) {
            // The export's own error is the one the user needs to see.
        }
    }
    ViewGuard(const ViewGuard&) = delete;
    ViewGuard& operator=(const ViewGuard&) = delete;

private:
    Dataset& m_ds;
    QString m_filter;
    bool m_filtered;
    int m_recNo;
    Dataset::CalcHandler m_calc;
};

int FieldOf(const Dataset& ds, const QString& name)
{
    const int index = ds.fieldIndex(name);
    if (index < 0)
        throw ETalvekException(QStringLiteral("Položka %1 v pracovní tabulce není").arg(name));
    return index;
}

int DisplayWidth(const FieldDef& field)
{
    for (const TBrowseGridModel::Column& c : PartFields::GridColumns())
        if (c.field.compare(field.name, Qt::CaseInsensitive) == 0)
            return c.widthChars;
    if (field.type == FieldType::SmallInt)
        return SmallIntWidth;
    return FieldTypes::isIntegral(field.type) ? IntegerWidth : NumberWidth;
}

QVariant NullIfEmpty(const QString& text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

} // namespace

TPartExport::TPartExport(Dataset& work, const TKUInfo& ku, const QString& workDbPath)
    : m_work(work), m_ku(ku), m_data(std::make_unique<TListingData>(ku, workDbPath))
{
}

TPartExport::~TPartExport() = default;

void TPartExport::SetProtected(const QString& workTablePath, const QStringList& dataDirs)
{
    m_workTablePath = workTablePath;
    m_dataDirs = dataDirs;
}

QList<TPartExport::Item> TPartExport::OfferedItems(const Dataset& work)
{
    QList<Item> items;
    QStringList shown;
    for (const TBrowseGridModel::Column& c : PartFields::GridColumns()) {
        if (!work.hasField(c.field))
            continue;
        items.append({c.title.trimmed(), c.field, Source::Field, true});
        shown.append(c.field.toUpper());
    }
    for (const FieldDef& f : work.fields())
        if (f.name.compare(QLatin1String("FLAG"), Qt::CaseInsensitive) != 0 &&
            !shown.contains(f.name.toUpper()))
            items.append({f.name, f.name, Source::Field, false});
    items.append({QStringLiteral("Podíl"), {}, Source::OwnerShare, true});
    items.append({QStringLiteral("Ičo"), {}, Source::OwnerIdent, true});
    items.append({QStringLiteral("Vlastník"), {}, Source::OwnerName, true});
    return items;
}

QList<TPartExport::Item> TPartExport::TickedItems(const QList<Item>& items)
{
    QList<Item> ticked;
    for (const Item& item : items)
        if (item.ticked)
            ticked.append(item);
    if (ticked.isEmpty())
        throw ETalvekException(QStringLiteral("Nebyla označena žádná položka k zobrazení"));
    return ticked;
}

QList<ExportColumn> TPartExport::ColumnsOf(const QList<Item>& items) const
{
    QList<ExportColumn> columns;
    for (const Item& item : items) {
        switch (item.source) {
        case Source::OwnerShare:
            columns.append({QStringLiteral("PODIL"), ExportColumn::Kind::Char, 10});
            break;
        case Source::OwnerIdent:
            // "560312/****" is no number: with masking on the column holds text.
            columns.append({QStringLiteral("ICO"),
                            BirthNumberMask::Enabled() ? ExportColumn::Kind::Char
                                                       : ExportColumn::Kind::Numeric,
                            11});
            break;
        case Source::OwnerName:
            columns.append({QStringLiteral("VLASTNIK"), ExportColumn::Kind::Char, 60});
            break;
        case Source::Field: {
            const FieldDef& f = m_work.fields().at(FieldOf(m_work, item.field));
            if (f.type == FieldType::String)
                columns.append({f.name, ExportColumn::Kind::Char, f.size});
            else
                columns.append({f.name, ExportColumn::Kind::Numeric, DisplayWidth(f)});
        }
        }
        // A CSV header shows the titles of the grid and the field-choice dialog.
        columns.last().title = item.title;
    }
    return columns;
}

QList<ExportColumn> TPartExport::DotaceColumns()
{
    using K = ExportColumn::Kind;
    return {{"ICO", K::Char, 11},   {"KATASTR", K::Char, 6}, {"PC_KN", K::Char, 12},
            {"PC_PK", K::Char, 12}, {"KULTURA", K::Char, 2}, {"VYMERA", K::Float, 0}};
}

QList<QVariantList> TPartExport::SelectedRows(const QList<Item>& items, QList<qint64>* keys)
{
    QList<int> fieldIndex;
    bool owners = false;
    for (const Item& item : items) {
        fieldIndex.append(item.source == Source::Field ? FieldOf(m_work, item.field) : -1);
        owners = owners || item.source != Source::Field;
    }
    const int lvcis = FieldOf(m_work, QStringLiteral("LVCIS"));
    const int group = keys ? FieldOf(m_work, QStringLiteral("PARSKUP")) : -1;
    const int stem = keys ? FieldOf(m_work, QStringLiteral("PARCIS")) : -1;
    const int subdivision = keys ? FieldOf(m_work, QStringLiteral("PARPOD")) : -1;
    ViewGuard guard(m_work, *m_data);
    m_work.setFiltered(false);
    m_work.setFilter(QString::fromLatin1(MarkedFilter));
    m_work.setFiltered(true);
    QList<QVariantList> rows;
    rows.reserve(m_work.recordCount());
    QVariantList row(items.size());
    const ProgressRun progress(m_progress, m_work.recordCount());
    for (int r = 0; r < m_work.recordCount(); ++r) {
        progress.Step();
        const QVariantList values = m_work.rowValues(r);
        for (int i = 0; i < items.size(); ++i)
            row[i] = fieldIndex[i] >= 0 ? values.at(fieldIndex[i]) : QVariant();
        const QList<TListingData::Holder> holders =
            owners ? m_data->HoldersOf(WholeNumber(values.at(lvcis).toDouble()))
                   : QList<TListingData::Holder>();
        if (keys)
            keys->insert(keys->size(), std::max<qsizetype>(holders.size(), 1),
                         MapParcelCode(int(values.at(group).toLongLong()),
                                       int(values.at(stem).toLongLong()),
                                       int(values.at(subdivision).toLongLong())));
        if (holders.isEmpty())
            rows.append(row);
        for (const TListingData::Holder& h : holders) {
            for (int i = 0; i < items.size(); ++i) {
                if (items[i].source == Source::OwnerShare)
                    row[i] = NullIfEmpty(ShareText(h.podil));
                else if (items[i].source == Source::OwnerIdent)
                    row[i] = m_data->IdentValue(h.ident, h.uvchar);
                else if (items[i].source == Source::OwnerName)
                    row[i] = m_data->OwnerName(h.ident, h.uvchar);
            }
            rows.append(row);
        }
    }
    return rows;
}

QString TPartExport::SelectedText(const QList<Item>& items, bool dataOnly)
{
    const QList<QVariantList> rows = SelectedRows(items);
    const QString lineEnd = QStringLiteral("\r\n");
    QString text;
    QStringList line;
    if (!dataOnly) {
        for (const Item& item : items)
            line.append(item.source == Source::Field
                            ? m_work.fields().at(FieldOf(m_work, item.field)).name
                            : item.title);
        text += line.join(u'\t') + lineEnd;
    }
    for (const QVariantList& row : rows) {
        line.clear();
        for (const QVariant& v : row)
            line.append(TExportFile::Text(v));
        text += line.join(u'\t') + lineEnd;
    }
    return text;
}

int TPartExport::ExportSelected(const QList<Item>& items, const QString& path)
{
    CheckTarget(path);
    TExportFile::TypeOf(path);
    const QList<ExportColumn> columns = ColumnsOf(items);
    const QList<QVariantList> rows = SelectedRows(items);
    TExportFile::Write(path, columns, rows);
    return int(rows.size());
}

TPartExport::MapExport TPartExport::ExportSelectedMap(const QList<Item>& items, const QString& path,
                                                      const MapArea& map)
{
    CheckTarget(path);
    if (!TGisExportFile::IsGisPath(path))
        TGisExportFile::Write(path, {}, {}, {}); // refused with the extension's message
    QHash<qint64, const MapParcel*> byKey;
    for (const MapParcel& parcel : map.parcels)
        if (!parcel.parts.isEmpty())
            byKey.insert(MapParcelCode(parcel), &parcel);
    QList<qint64> keys;
    const QList<QVariantList> rows = SelectedRows(items, &keys);
    QList<const MapParcel*> parcels;
    parcels.reserve(keys.size());
    for (qint64 key : keys)
        parcels.append(byKey.value(key));
    MapExport result;
    result.rows = int(rows.size());
    result.withoutGeometry = TGisExportFile::Write(path, ColumnsOf(items), rows, parcels);
    return result;
}

QString TPartExport::KindOfParcel(const QString& parcislo)
{
    if (!m_kindByParcel) {
        m_kindByParcel.emplace();
        Query q;
        q.setDatabaseName(m_ku.Alias);
        q.setSql(Format(
            QStringLiteral("SELECT PARCISLO, DRUHPOZ FROM \"%s\" ORDER BY PARSKUP, "
                           "PARCIS, PARPOD, PARDIL"),
            CadastralTables::PerAreaTable(CadastralTables::ParcelPrefix, m_ku.Suffix.left(3))));
        q.open();
        for (q.first(); !q.eof(); q.next()) {
            const QString number = q.asString(QStringLiteral("PARCISLO")).trimmed();
            if (!m_kindByParcel->contains(number))
                m_kindByParcel->insert(number,
                                       TExportFile::Text(q.value(QStringLiteral("DRUHPOZ"))));
        }
    }
    return m_kindByParcel->value(parcislo);
}

QList<QVariantList> TPartExport::DotaceRows()
{
    const Dataset& w = m_work;
    const int flag = FieldOf(w, QStringLiteral("FLAG"));
    const int parcislo = FieldOf(w, QStringLiteral("PARCISLO"));
    const int parskup = FieldOf(w, QStringLiteral("PARSKUP"));
    const int druhpoz = FieldOf(w, QStringLiteral("DRUHPOZ"));
    const int popcis = FieldOf(w, QStringLiteral("PopCis"));
    const int vymera = FieldOf(w, QStringLiteral("VYMERA"));
    const int lvcis = FieldOf(w, QStringLiteral("LVCIS"));
    ViewGuard guard(m_work, *m_data);
    QList<QVariantList> rows;
    std::optional<QString> last;
    const ProgressRun progress(m_progress, w.recordCount());
    for (int r = 0; r < w.recordCount(); ++r) {
        progress.Step();
        const QVariantList v = w.rowValues(r);
        const QString number = v.at(parcislo).toString();
        if (!v.at(flag).toBool() || number == last)
            continue;
        last = number;
        const QList<TListingData::Holder> holders =
            m_data->HoldersOf(WholeNumber(v.at(lvcis).toDouble()));
        const QVariant ico =
            holders.isEmpty()
                ? QVariant()
                : NullIfEmpty(m_data->IdentText(holders.first().ident, holders.first().uvchar));
        QVariant pcKn, pcPk, kultura;
        if (CadastralTables::IsCurrentCadastre(int(v.at(parskup).toLongLong()))) {
            pcKn = NullIfEmpty(number);
            kultura = NullIfEmpty(TExportFile::Text(v.at(druhpoz)));
        } else {
            // An older-register parcel names the parcel it became in CPCE,
            // which the house-number text shows as a parcel number.
            const QString current = v.at(popcis).toString().trimmed();
            pcKn = NullIfEmpty(current);
            pcPk = NullIfEmpty(number);
            kultura = current.isEmpty() ? QVariant() : NullIfEmpty(KindOfParcel(current));
        }
        const QVariant area =
            v.at(vymera).isNull() ? QVariant() : QVariant(v.at(vymera).toDouble() / 10000.0);
        rows.append({ico, NullIfEmpty(m_ku.Kod), pcKn, pcPk, kultura, area});
    }
    return rows;
}

int TPartExport::ExportDotace(const QString& path)
{
    CheckTarget(path);
    TExportFile::TypeOf(path);
    const QList<QVariantList> rows = DotaceRows();
    TExportFile::Write(path, DotaceColumns(), rows);
    return int(rows.size());
}

void TPartExport::CheckTarget(const QString& path) const
{
    const QFileInfo target(path);
    const QString base = target.completeBaseName().toUpper();
    static const QRegularExpression historyName(QStringLiteral("^PRAC(_\\d+)?$"));
    const QString dir = QFileInfo(target.absolutePath()).canonicalFilePath();
    // A registry, code or user-text table's name is refused with any extension.
    bool refused =
        RegistryTableNames::IsRegistryTable(base) || RegistryTableNames::IsUserTextTable(base);
    if (!m_workTablePath.isEmpty()) {
        const QFileInfo work(m_workTablePath);
        const bool workDir = QFileInfo(work.absolutePath()).canonicalFilePath() == dir;
        refused =
            refused ||
            (workDir && (target.fileName().compare(work.fileName(), Qt::CaseInsensitive) == 0 ||
                         (historyName.match(base).hasMatch() &&
                          target.suffix().compare(QLatin1String("db"), Qt::CaseInsensitive) == 0)));
    }
    for (const QString& data : m_dataDirs)
        refused =
            refused || (!dir.isEmpty() && QFileInfo(data).canonicalFilePath() == dir &&
                        !ParadoxFiles::resolveCaseInsensitive(dir, target.fileName()).isEmpty());
    if (refused)
        throw ETalvekException(
            QStringLiteral("Do souboru \"%1\" se neexportuje: je to tabulka katastru, pracovní "
                           "tabulka nebo tabulka vlastních textů ORVTX")
                .arg(QDir::toNativeSeparators(path)));
}
