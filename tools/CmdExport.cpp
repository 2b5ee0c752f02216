// orv-tool export: the marked parts of a work table into a table (.db, .dbf,
// .csv), as the browser's clipboard text (.tsv) or with their parcels'
// polygons as a GIS layer (.gpkg, .geojson), or the subsidy items, as the
// browser's "&Export" writes them.
#include "base/ETalvekException.h"
#include "base/OrvPaths.h"
#include "browse/core/PartFields.h"
#include "browse/core/TGisExportFile.h"
#include "browse/core/TPartExport.h"
#include "data/CadastralTables.h"
#include "data/ParcelTable.h"
#include "db/Engine.h"
#include "db/Table.h"
#include "db/TableWriteGuard.h"
#include "map/core/AreaMapLookup.h"
#include "tools/ToolArea.h"
#include "tools/ToolCommand.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace {

const char* const Synopsis =
    "export (--alias NÁZEV | --dir ADRESÁŘ) --area PŘÍPONA --work SOUBOR.DB "
    "(--columns POLE,POLE,... [--owners] | --subsidy | --all-visible) [--data-only] "
    "--out SOUBOR.db|.dbf|.csv|.tsv|.gpkg|.geojson";

struct Options
{
    QString database;
    QString suffix;
    QString work;
    QStringList columns;
    bool owners = false;
    bool subsidy = false;
    bool allVisible = false;
    bool dataOnly = false;
    QString out;
};

bool IsTextTarget(const QString& path)
{
    return path.endsWith(QLatin1String(".tsv"), Qt::CaseInsensitive);
}

// Reads the arguments; false when they do not fit the synopsis.
bool ParseOptions(const QStringList& args, Options& o)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (ToolAreaOption(args, i, o.database, o.suffix, o.work)) {
            continue;
        } else if (a == "--columns" && hasValue) {
            o.columns = args[++i].split(u',', Qt::SkipEmptyParts);
        } else if (a == "--owners") {
            o.owners = true;
        } else if (a == "--subsidy") {
            o.subsidy = true;
        } else if (a == "--all-visible") {
            o.allVisible = true;
        } else if (a == "--data-only") {
            o.dataOnly = true;
        } else if (a == "--out" && hasValue) {
            o.out = args[++i];
        } else {
            return false;
        }
    }
    const int kinds = int(!o.columns.isEmpty()) + int(o.subsidy) + int(o.allVisible);
    return !o.database.isEmpty() && !o.suffix.isEmpty() && !o.work.isEmpty() && !o.out.isEmpty() &&
           kinds == 1 && (!o.owners || !o.columns.isEmpty()) &&
           (!o.dataOnly || IsTextTarget(o.out)) && (!o.subsidy || !IsTextTarget(o.out)) &&
           (!o.subsidy || !TGisExportFile::IsGisPath(o.out));
}

// The items named on the command line, in that order, then the owners.
QList<TPartExport::Item> ChosenItems(const Options& o, const Dataset& work)
{
    const QList<TPartExport::Item> offered = TPartExport::OfferedItems(work);
    if (o.allVisible)
        return TPartExport::TickedItems(offered);
    QList<TPartExport::Item> chosen;
    for (const QString& name : o.columns) {
        auto it = std::find_if(offered.begin(), offered.end(), [&](const TPartExport::Item& i) {
            return i.source == TPartExport::Source::Field &&
                   i.field.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (it == offered.end())
            throw ETalvekException(QStringLiteral("Položka %1 v pracovní tabulce není").arg(name));
        chosen.append(*it);
    }
    if (o.owners)
        for (const TPartExport::Item& i : offered)
            if (i.source != TPartExport::Source::Field)
                chosen.append(i);
    return chosen;
}

// The marked parts with their parcels' polygons from the area's map.
int ExportMap(TPartExport& exporter, const QList<TPartExport::Item>& items, const TKUInfo& ku,
              const QString& out)
{
    const TPartExport::MapExport done =
        exporter.ExportSelectedMap(items, out, ReadAreaMap(ku.Kod, ku.Katastr));
    std::printf("%s\n", qPrintable(QStringLiteral("Zapsáno řádků: %1 do %2, bez geometrie: %3")
                                       .arg(done.rows)
                                       .arg(out)
                                       .arg(done.withoutGeometry)));
    return ToolExit::Ok;
}

int runExport(const QStringList& args)
{
    Options o;
    if (!ParseOptions(args, o))
        return toolUsageError(QString::fromUtf8(Synopsis));
    TableWriteGuard::checkOutputFile(o.out);
    const QFileInfo workFile(o.work);
    if (!workFile.isFile())
        throw ETalvekException(QStringLiteral("Pracovní tabulka %1 neexistuje").arg(o.work));
    const TKUInfo ku = ToolAreaInfo(o.database, o.suffix);
    const QString codeDir = OrvPaths::codeTableDir(OrvPaths::executableDir());
    using namespace CadastralTables;
    Table parcels;
    OpenParcelTable(parcels, ku.Alias, ku.Suffix);
    Table work;
    work.setDatabaseName(workFile.absolutePath());
    work.setTableName(workFile.fileName());
    work.setReadOnly(true);
    work.setIndexFieldNames(ParcelIndexFields);
    PartFields::Install(work, parcels);
    work.open();

    TPartExport exporter(work, ku, codeDir);
    exporter.SetProtected(workFile.absoluteFilePath(),
                          {Engine::instance().directoryOf(ku.Alias), codeDir});
    int rows = 0;
    if (o.subsidy) {
        rows = exporter.ExportDotace(o.out);
    } else if (TGisExportFile::IsGisPath(o.out)) {
        return ExportMap(exporter, ChosenItems(o, work), ku, o.out);
    } else if (IsTextTarget(o.out)) {
        const QString text = exporter.SelectedText(ChosenItems(o, work), o.dataOnly);
        TExportFile::WriteBytes(o.out, text.toUtf8());
        rows = int(text.count(u'\n')) - (o.dataOnly ? 0 : 1);
    } else {
        rows = exporter.ExportSelected(ChosenItems(o, work), o.out);
    }
    std::printf("%s\n", qPrintable(QStringLiteral("Zapsáno řádků: %1 do %2").arg(rows).arg(o.out)));
    return ToolExit::Ok;
}

ToolCommandRegistrar reg{
    {QStringLiteral("export"),
     QString::fromUtf8(Synopsis) +
         QStringLiteral("   označené díly (s vlastníky) nebo položky pro dotace do tabulky, "
                        ".tsv = text schránky, .gpkg a .geojson s polygony parcel z mapy území"),
     &runExport,
     false,
     {},
     true}};
} // namespace
