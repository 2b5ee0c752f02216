#pragma once

#include "app/core/TKUInfo.h"
#include "browse/core/RowProgress.h"
#include "browse/core/TExportFile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <QHash>

#include <memory>
#include <optional>

class Dataset;
struct MapArea;
class TListingData;

// Export of the marked parts of a work table, with or without the owners of
// their ownership sheets, as tab-separated text (the clipboard) or into a new
// table, and the table of items for subsidy claims (one record per parcel).
// The work table is read through the dataset the caller browses (with the
// browser's calculated fields); only marked rows are written, in its current
// order. Its filter and current row are as before after every export, also
// after a failure. Errors are ETalvekException with a Czech message.
class TPartExport
{
public:
    enum class Source
    {
        Field,
        OwnerShare,
        OwnerIdent,
        OwnerName
    };
    // One item of the field-choice dialog.
    struct Item
    {
        QString title;
        QString field; // the work-table field (Source::Field)
        Source source = Source::Field;
        bool ticked = false;
    };

    TPartExport(Dataset& work, const TKUInfo& ku, const QString& workDbPath);
    ~TPartExport();

    // Thrown when the user stops an export through its progress: nothing
    // was written, not even part of a file.
    struct Stopped
    {
    };
    // Steps once per work row read; a stop throws Stopped.
    void SetProgress(RowProgress progress) { m_progress = std::move(progress); }

    // Targets an export refuses: the work table (and the history tables
    // beside it) and every table of these directories (the district's data,
    // the code tables). Registry and own-text table names are refused anywhere.
    void SetProtected(const QString& workTablePath, const QStringList& dataDirs);

    // Every field of the work dataset except FLAG by its trimmed title,
    // visible grid columns first and ticked, then "Podíl", "Ičo", "Vlastník",
    // ticked.
    static QList<Item> OfferedItems(const Dataset& work);
    // The ticked items in order; none: "Nebyla označena žádná položka k zobrazení".
    static QList<Item> TickedItems(const QList<Item>& items);

    // The clipboard text: unless `dataOnly` a header line of the field names
    // and owner titles, then one line per output row, values joined by tabs,
    // lines ended by CR LF.
    QString SelectedText(const QList<Item>& items, bool dataOnly);
    // The same rows into a new table at `path`; returns the rows written.
    int ExportSelected(const QList<Item>& items, const QString& path);
    // The same rows into a GeoPackage or GeoJSON file (TGisExportFile), each
    // with the polygon of its parcel from `map`.
    struct MapExport
    {
        int rows = 0;
        int withoutGeometry = 0; // rows whose parcel the map lacks
    };
    MapExport ExportSelectedMap(const QList<Item>& items, const QString& path, const MapArea& map);
    // The subsidy table (ICO, KATASTR, PC_KN, PC_PK, KULTURA, VYMERA) at
    // `path`; returns the records written.
    int ExportDotace(const QString& path);

    // Column layout of an exported table for the items.
    QList<ExportColumn> ColumnsOf(const QList<Item>& items) const;
    static QList<ExportColumn> DotaceColumns();

private:
    // With `keys`, the MapParcelCode of each row's parcel beside it.
    QList<QVariantList> SelectedRows(const QList<Item>& items, QList<qint64>* keys = nullptr);
    QList<QVariantList> DotaceRows();
    void CheckTarget(const QString& path) const;
    QString KindOfParcel(const QString& parcislo);

    Dataset& m_work;
    TKUInfo m_ku;
    std::unique_ptr<TListingData> m_data;
    QString m_workTablePath;
    QStringList m_dataDirs;
    std::optional<QHash<QString, QString>> m_kindByParcel;
    RowProgress m_progress;
};
