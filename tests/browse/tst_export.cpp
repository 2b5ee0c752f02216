// Export of marked parts over the controlled district of the browser tests:
// owner rows, the clipboard text, every table read back by two readers and
// compared with the browser, subsidy items, refused targets and values, the
// browser's filter and current row after every export, and orv-tool.
#include "BrowseFixture.h"
#include "common/ModalHelpers.h"
#include "common/TestSupport.h"
#include "base/ETalvekException.h"
#include "browse/TParDilyDbf.h"
#include "browse/TParDilyExport.h"
#include "browse/core/TBrowseGridModel.h"
#include "browse/core/TGisExportFile.h"
#include "browse/core/TPartExport.h"
#include "browse/core/TextReportFile.h"
#include "settings/RegHiveFile.h"
#include "db/EngineAliases.h"
#include "db/paradox/ParadoxFileSet.h"
#include "map/core/MapArea.h"
#include "map/core/MapStore.h"
#include "report/ReportDocument.h"
#include "report/ReportPdfExporter.h"
#include "select/core/TOwnerIndexDistrict.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>

extern "C" {
#include <paradox.h>
}
#include <shapefil.h>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogr_api.h>
#include <ogrsf_frmts.h>

namespace {

using Rows = QList<QStringList>;

QString cp1250(const QByteArray& bytes)
{
    return QString(QStringDecoder("windows-1250").decode(bytes)).trimmed();
}

// dBASE III read by hand: header, 32-byte field descriptors up to 0x0D, then
// fixed records behind a deletion flag; language driver 200 is code page 1250.
Rows readDbfByHand(const QString& path, QStringList& names)
{
    QFile file(path);
    const QByteArray d = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    auto u16 = [&](int at) { return int(quint8(d[at])) | int(quint8(d[at + 1])) << 8; };
    if (d.size() < 33 || quint8(d[29]) != 200)
        return {};
    QList<std::pair<char, int>> fields;
    for (int at = 32; d[at] != '\x0d'; at += 32) {
        fields.append({d[at + 11], quint8(d[at + 16])});
        names.append(QString::fromLatin1(d.mid(at, 11).constData()));
    }
    Rows rows;
    for (int r = 0; r < (u16(4) | u16(6) << 16); ++r) {
        int at = u16(8) + r * u16(10) + 1;
        rows.append(QStringList());
        for (const auto& [type, size] : fields) {
            const QString text = cp1250(d.mid(at, size));
            at += size;
            // A blank number is filled with '*'.
            const bool blank = text.isEmpty() || text.startsWith(u'*');
            rows.last().append(type != 'N' ? text
                               : blank     ? ""
                                           : TExportFile::Text(text.toDouble()));
        }
    }
    return rows;
}

// Our reader for .db, the one above for .dbf, RFC 4180 for .csv (quoted
// fields may hold commas and doubled quotes; the data holds no line breaks)
// read as a spreadsheet shows it: a leading "'" marks text and is not shown.
Rows readFile(const QString& path, QStringList& names)
{
    if (path.endsWith(".dbf"))
        return readDbfByHand(path, names);
    Rows rows;
    if (path.endsWith(".db")) {
        ParadoxReader reader(path);
        for (const ParadoxField& f : reader.header().fields)
            names.append(f.name);
        for (const QVariantList& record : reader.readAll()) {
            rows.append(QStringList());
            for (const QVariant& v : record)
                rows.last().append(TExportFile::Text(v).trimmed());
        }
        return rows;
    }
    static const QRegularExpression field(R"re((?:^|,)(?:"((?:[^"]|"")*)"|([^,"]*)))re");
    QFile file(path);
    const QString text = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : "";
    for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts)) {
        rows.append(QStringList());
        for (auto it = field.globalMatch(line); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QString cell = m.captured(1).replace("\"\"", "\"") + m.captured(2);
            rows.last().append(cell.startsWith(u'\'') ? cell.mid(1) : cell);
        }
    }
    for (const QString& name : rows.isEmpty() ? QStringList() : rows.takeFirst())
        names.append(name);
    return rows;
}

// The second reader: shapelib for .dbf, pxlib for .db.
Rows readOther(const QString& path)
{
    Rows rows;
    if (path.endsWith(".dbf")) {
        DBFHandle h = DBFOpen(QFile::encodeName(path).constData(), "rb");
        for (int r = 0; h && r < DBFGetRecordCount(h); ++r) {
            rows.append(QStringList());
            for (int c = 0; c < DBFGetFieldCount(h); ++c)
                rows.last().append(DBFIsAttributeNULL(h, r, c) ? QString()
                                   : DBFGetFieldInfo(h, c, nullptr, nullptr, nullptr) == FTString
                                       ? cp1250(DBFReadStringAttribute(h, r, c))
                                       : TExportFile::Text(DBFReadDoubleAttribute(h, r, c)));
        }
        if (h)
            DBFClose(h);
        return rows;
    }
    pxdoc_t* doc = PX_new();
    const bool open = PX_open_file(doc, QFile::encodeName(path).constData()) >= 0;
    for (int r = 0; open && r < PX_get_num_records(doc); ++r) {
        pxval_t** values = PX_retrieve_record(doc, r);
        rows.append(QStringList());
        for (int i = 0; values && i < PX_get_num_fields(doc); ++i) {
            pxval_t* v = values[i];
            const bool text = v->type == pxfAlpha;
            rows.last().append(v->isnull ? QString()
                               : text    ? cp1250(QByteArray(v->value.str.val, v->value.str.len))
                                         : TExportFile::Text(v->value.dval));
            if (text && v->value.str.val)
                doc->free(doc, v->value.str.val);
            doc->free(doc, v);
        }
        if (values)
            doc->free(doc, values);
    }
    if (open)
        PX_close(doc);
    PX_delete(doc);
    return rows;
}

// Reads `path` back by both readers (a CSV by one) and compares the column
// names and rows with `names` and `expected`.
void readBack(const QString& path, const QString& names, const Rows& expected)
{
    QStringList read;
    QCOMPARE(readFile(path, read), expected);
    QCOMPARE(read.join('|'), names);
    if (path.endsWith(".csv"))
        return;
    Rows other = readOther(path);
    for (int r = 0; path.endsWith(".db") && r < other.size(); ++r)
        for (int c = 0; c < other[r].size(); ++c)
            if (other[r][c] == "0" && expected.value(r).value(c).isEmpty())
                other[r][c].clear(); // pxlib reads a blank number (all bytes zero) as 0
    QCOMPARE(other, expected);
}

// One data row per list: its name, then one QString per column.
void addRows(std::initializer_list<const char*> columns, const QList<QStringList>& rows)
{
    for (const char* c : columns)
        QTest::addColumn<QString>(c); // kept by pointer: literals only
    for (const QStringList& row : rows) {
        QTestData& data = QTest::newRow(row[0].toUtf8().constData());
        for (const QString& value : row.mid(1))
            data << value;
    }
}

// The controlled district's parcels on a map: -20 a 10 m square, 15/3 a
// 20 × 25 m rectangle with a 5 × 4 m hole, 16 two separate 5 m squares, 3:40
// a 30 m square; the placeholder 99 has no polygon. Areas in m².
const QMap<QString, double> MapAreas = {{"-20", 100}, {"15/3", 480}, {"16", 50}, {"3:40", 900}};

MapArea ControlledMap()
{
    auto ring = [](double x, double y, double w, double h) {
        const double x0 = -750000 + x, y0 = -1050000 + y;
        return QPolygonF({{x0, y0}, {x0 + w, y0}, {x0 + w, y0 + h}, {x0, y0 + h}});
    };
    auto parcel = [](int group, int stem, int sub, QList<MapPolygon> parts) {
        MapParcel p{group, stem, sub, 0, 2, parts, {}};
        for (const MapPolygon& part : parts)
            p.bounds |= part.rings.first().boundingRect();
        return p;
    };
    MapArea map;
    map.parcels = {parcel(1, 20, 0, {{{ring(0, 0, 10, 10)}}}),
                   parcel(2, 15, 3, {{{ring(100, 0, 20, 25), ring(105, 5, 5, 4)}}}),
                   parcel(2, 16, 0, {{{ring(200, 0, 5, 5)}}, {{ring(300, 0, 5, 5)}}}),
                   parcel(3, 40, 0, {{{ring(400, 0, 30, 30)}}})};
    return map;
}

// A GIS file read back through OGR: the field names, and per feature its
// PARCISLO and its area in m² in S-JTSK (-1 without geometry).
QList<QPair<QString, double>> readGisBack(const QString& path, QStringList& names)
{
    GDALAllRegister();
    std::unique_ptr<GDALDataset> ds(
        GDALDataset::Open(path.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    if (!ds || ds->GetLayerCount() != 1)
        return {};
    OGRLayer* layer = ds->GetLayer(0);
    OGRFeatureDefn* defn = layer->GetLayerDefn();
    for (int i = 0; i < defn->GetFieldCount(); ++i)
        names.append(QString::fromUtf8(defn->GetFieldDefn(i)->GetNameRef()));
    OGRSpatialReference krovak;
    krovak.importFromEPSG(5514);
    krovak.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    QList<QPair<QString, double>> features;
    for (auto& feature : *layer) {
        double area = -1;
        if (OGRGeometry* g = feature->GetGeometryRef(); g && !g->IsEmpty()) {
            std::unique_ptr<OGRGeometry> copy(g->clone());
            if (copy->transformTo(&krovak) != OGRERR_NONE)
                return {};
            // A one-piece parcel may read back as a polygon: the area of any surface.
            area = OGR_G_Area(OGRGeometry::ToHandle(copy.get()));
        }
        features.append({QString::fromUtf8(feature->GetFieldAsString("PARCISLO")), area});
    }
    return features;
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_ctl = m_root.filePath("ctl");
    QString m_demo = m_root.filePath("demo");
    std::unique_ptr<BrowseFixture> m_fx;
    QString m_work;

    void unmark(const QString& where)
    {
        Query q;
        q.setDatabaseName(m_fx->workDir());
        q.setSql("UPDATE \"PRAC.DB\" SET FLAG = FALSE WHERE " + where);
        q.execSql();
    }
    TPartExport exporter(TParDilyDbf& form)
    {
        return TPartExport(form.TablePa(), m_fx->area("CTL"), m_demo + "/WorkDB");
    }
    // The ticked items in the order of `titles`.
    static QList<TPartExport::Item> pick(const Dataset& work, const QStringList& titles)
    {
        QList<TPartExport::Item> items = TPartExport::OfferedItems(work);
        for (TPartExport::Item& item : items)
            item.ticked = titles.contains(item.title);
        QList<TPartExport::Item> ticked = TPartExport::TickedItems(items);
        std::sort(ticked.begin(), ticked.end(), [&](const auto& a, const auto& b) {
            return titles.indexOf(a.title) < titles.indexOf(b.title);
        });
        return ticked;
    }

    // What the browser shows for the marked rows, the owners of sheet 10 added.
    static Rows markedRowsShown(TParDilyDbf& form)
    {
        Rows rows;
        TBrowseGridModel* grid = form.GridModel();
        for (int r = 0; r < grid->rowCount(); ++r) {
            QStringList shown;
            for (int c = 0; c < grid->columnCount(); ++c)
                shown.append(grid->data(grid->index(r, c)).toString().trimmed());
            if (!form.TablePa().rowValues(r).value(form.TablePa().fieldIndex("FLAG")).toBool())
                continue;
            if (shown[7] != "10")
                rows.append(shown + QStringList{"", "", ""});
            else
                rows << shown + QStringList{"1/2", "111", "Novák Jan"}
                     << shown + QStringList{"1/2", "222", "Svoboda Petr"};
        }
        return rows;
    }
private slots:
    void initTestCase()
    {
        PX_boot();
        BrowseFixture::writeDistricts(m_root);
    }
    void init()
    {
        m_fx = std::make_unique<BrowseFixture>();
        m_fx->setAliases({{"CTL", m_ctl}, {"DEMO", m_demo}});
        // Key order: -20, 15/3 part 1, 15/3 part 2, 16, 99 (placeholder), 3:40.
        m_work = m_fx->fillWorkTable("CTL", {"15/3", "-20", "16", "3:40", "99"});
    }

    void clipboardText_data()
    {
        // Sheet 10 has two owners (the second found under another characteristic),
        // sheet 11 and the placeholder none; 3:40 holds no sheet. Only the row
        // named "with header" asks for the header line.
        const QString owners = "Parcelní číslo|Díl|Podíl|Ičo|Vlastník";
        const QString novak = "\t1/2\t111\tNovák Jan\r\n", svoboda = "\t1/2\t222\tSvoboda Petr\r\n";
        addRows(
            {"unmarked", "titles", "text"},
            {{"two owners, none, placeholder", "", owners,
              "-20\t1\t\t\t\r\n15/3\t1" + novak + "15/3\t1" + svoboda + "15/3\t2" + novak +
                  "15/3\t2" + svoboda + "16\t1" + novak + "16\t1" + svoboda +
                  "99\t0\t\t\t\r\n3:40\t1\t\t\t\r\n"},
             {"unmarked parts never written", "PARCISLO = '16' OR PARDIL = 2 OR PARSKUP = 3",
              owners, "-20\t1\t\t\t\r\n15/3\t1" + novak + "15/3\t1" + svoboda + "99\t0\t\t\t\r\n"},
             {"no owner column: one line per part", "PARSKUP = 1", "Č.popisné|Mapa",
              "  25  p\tA1\r\n\tA1\r\n\tA2\r\n\t-\r\n  15/3\tPK\r\n"},
             {"with header", "PARCISLO <> '16'", "Výměra|Č.popisné|Vlastník|Podíl",
              "VYMERA\tPopCis\tVlastník\tPodíl\r\n50\t\tNovák Jan\t1/2\r\n50\t\tSvoboda "
              "Petr\t1/2\r\n"},
             {"nothing marked", "FLAG = TRUE", owners, ""},
             {"nothing ticked", "", "", "Nebyla označena žádná položka k zobrazení"}});
    }

    void clipboardText()
    {
        QFETCH(QString, unmarked);
        QFETCH(QString, titles);
        if (!unmarked.isEmpty())
            unmark(unmarked);
        TParDilyDbf form(nullptr, m_fx->app(), m_work, m_fx->area("CTL"));
        const bool dataOnly = QTest::currentDataTag() != QLatin1String("with header");
        QString text;
        const QString refusal = TestSupport::refusal([&] {
            text = exporter(form).SelectedText(pick(form.TablePa(), titles.split('|')), dataOnly);
        });
        QTEST(text + refusal, "text");
    }

    void tablesEqualTheBrowser_data()
    {
        QTest::addColumn<QString>("ext");
        for (const char* ext : {"db", "dbf", "csv"}) {
            QTest::addRow("parts, %s", ext) << ext;
            QTest::addRow("subsidy, %s", ext) << ext;
        }
    }

    void tablesEqualTheBrowser()
    {
        QFETCH(QString, ext);
        const bool subsidy = QByteArray(QTest::currentDataTag()).startsWith("subsidy");
        // Subsidy: three marked parts of 15/3 in a row (the first of 12345 m2)
        // give one record of 1.2345 ha; 16 is unmarked; the older parcel 3:40
        // names 15/3 in CPCE and so takes the kind of land of the current parcel.
        if (subsidy)
            m_work =
                m_fx->fillWorkTableWithRows({{2, 15, 3, 1, 12345, 13, 25, 20, "15/3", 10, true},
                                             {2, 15, 3, 2, 300, 2, 0, 0, "15/3", 10, true},
                                             {2, 15, 3, 3, 50, 2, 0, 0, "15/3", 10, true},
                                             {2, 16, 0, 1, 50, 2, 0, 0, "16", 10, false},
                                             {1, 20, 0, 1, 100, 13, 10001, 21, "-20", 11, true},
                                             {3, 40, 0, 1, 900, 2, 30015, 0, "3:40", 0, true}});
        else
            unmark("PARCISLO = '16'");
        TParDilyDbf form(nullptr, m_fx->app(), m_work, m_fx->area("CTL"));
        const QString path = m_fx->path("out." + ext);
        const auto items = TPartExport::TickedItems(TPartExport::OfferedItems(form.TablePa()));
        QCOMPARE(subsidy ? exporter(form).ExportDotace(path)
                         : exporter(form).ExportSelected(items, path),
                 subsidy ? 3 : 7);
        if (subsidy)
            readBack(path, "ICO|KATASTR|PC_KN|PC_PK|KULTURA|VYMERA",
                     {{"", "600001", "-20", "", "13", "0.01"},
                      {"111", "600001", "15/3", "", "13", "1.2345"},
                      {"", "600001", "15/3", "3:40", "13", "0.09"}});
        else
            // A spreadsheet gets the grid's titles, a table the field names.
            readBack(path,
                     ext == "csv" ? "Skup.|Parcelní číslo|Díl|Druh|Č.popisné|Výměra|Q|List "
                                    "vlast.|Vztah|Mapa|Výkaz|Bonita|Podíl|Ičo|Vlastník"
                                  : "PARSKUP|PARCISLO|PARDIL|DRUHPOZ|PopCis|VYMERA|Kvalita|LVCIS|"
                                    "VLVZTAH|MAPA|Vykaz|BONITA|PODIL|ICO|VLASTNIK",
                     markedRowsShown(form));
        QFile cpg(m_fx->path("out.cpg"));
        QCOMPARE(cpg.open(QIODevice::ReadOnly) ? cpg.readAll() : "", ext == "dbf" ? "1250" : "");
    }

    // A flat's share over the 10 characters of PODIL and an owner's name over
    // the 60 of VLASTNIK are written whole: the column grows, both readers agree.
    void longTextsWrittenWhole_data()
    {
        QTest::addColumn<QString>("ext");
        for (const char* ext : {"db", "dbf", "csv"})
            QTest::newRow(ext) << ext;
    }
    void longTextsWrittenWhole()
    {
        QFETCH(QString, ext);
        const QString name = "Společenství vlastníků jednotek " + QString(40, u'Ž');
        const QString path = m_fx->path("long." + ext);
        TExportFile::Write(
            path,
            {{"PODIL", ExportColumn::Kind::Char, 10}, {"VLASTNIK", ExportColumn::Kind::Char, 60}},
            {{"12345/1000000", name}, {"1/2", "Novák Jan"}});
        readBack(path, "PODIL|VLASTNIK", {{"12345/1000000", name}, {"1/2", "Novák Jan"}});
    }

    // Stopped through its progress at the third row, an export writes
    // nothing; the progress is finished and the next export runs whole.
    void stoppedExportWritesNothing()
    {
        TParDilyDbf form(nullptr, m_fx->app(), m_work, m_fx->area("CTL"));
        TPartExport part = exporter(form);
        int total = 0, steps = 0;
        bool finished = false;
        part.SetProgress(
            {[&](int t) { total = t; }, [&] { return ++steps == 3; }, [&] { finished = true; }});
        const QString path = m_fx->path("stopped.db");
        const auto items = TPartExport::TickedItems(TPartExport::OfferedItems(form.TablePa()));
        QVERIFY_THROWS_EXCEPTION(TPartExport::Stopped, part.ExportSelected(items, path));
        QCOMPARE(std::make_tuple(total, steps, finished, QFile::exists(path)),
                 std::make_tuple(form.TablePa().recordCount(), 3, true, false));
        steps = -1000;
        QVERIFY(part.ExportDotace(path) > 0 && QFile::exists(path));
    }

    void viewRestoredAndTargetsGuarded_data()
    {
        // The target lies in the sandbox, "ctl/" in the district; "refusal" is a
        // text of the message, which names the file too; "" for success.
        const QString guarded = "se neexportuje";
        addRows({"filter", "target", "refusal"},
                {{"clipboard", "", "", ""},
                 {"table", "", "t.dbf", ""},
                 {"subsidy", "", "subsidy:s.db", ""},
                 {"filtered view", "PARSKUP = 2", "t.db", ""},
                 {"new file in the district", "", "ctl/vyber.db", ""},
                 {"PRAC elsewhere", "", "PRAC.DB", ""},
                 {"missing directory", "", "none/t.db", "t.db"},
                 {"work table, other case", "PARSKUP = 2", "work/prac.db", guarded},
                 {"history table, subsidy", "", "subsidy:work/PRAC_3.DB", guarded},
                 {"registry name anywhere", "", "NYSPA001.dbf", guarded},
                 {"own texts", "", "orvtx001.db", guarded},
                 {"file of the district", "", "ctl/NYSBO001.csv", guarded}});
    }

    void viewRestoredAndTargetsGuarded()
    {
        QFETCH(QString, filter);
        QFETCH(QString, target);
        QFETCH(QString, refusal);
        QFile::copy(m_ctl + "/NYSBO001.DB", m_ctl + "/NYSBO001.csv");
        TParDilyDbf form(nullptr, m_fx->app(), m_work, m_fx->area("CTL"));
        Table& pa = form.TablePa();
        pa.setFilter(filter);
        pa.setFiltered(!filter.isEmpty());
        pa.setRecNo(2);
        const QVariantList current = pa.rowValues(2);
        TPartExport exp = exporter(form);
        exp.SetProtected(m_work, {m_ctl, m_demo + "/WorkDB"});
        const QString name = target.section("subsidy:", -1);
        const QString path = name.startsWith("ctl/") ? m_ctl + name.mid(3) : m_fx->path(name);
        const QString message = TestSupport::refusal([&] {
            if (target.startsWith("subsidy:"))
                exp.ExportDotace(path);
            else if (const auto items = pick(pa, {"Parcelní číslo", "Vlastník"}); target.isEmpty())
                exp.SelectedText(items, false);
            else
                exp.ExportSelected(items, path);
        });
        QVERIFY2(refusal.isEmpty()
                     ? message.isEmpty()
                     : message.contains(refusal) && message.contains(QFileInfo(path).fileName()),
                 qPrintable(message));
        QCOMPARE(std::make_tuple(pa.isFiltered(), pa.filter(), pa.recNo(), pa.rowValues(2)),
                 std::make_tuple(!filter.isEmpty(), filter, 2, current));
        if (refusal.isEmpty() && !target.isEmpty())
            QVERIFY(QFile::remove(path));
    }

    void refusedValuesKeepTheEarlierFile_data()
    {
        addRows({"target", "value", "named"}, // "named" in the message besides the file's name
                {{"paradox, outside 1250", "x.db", "Жук", "Жук"},
                 {"dbase, outside 1250", "x.dbf", "Жук", "Жук"},
                 {"dbase, over 254 bytes", "x.dbf", QString(255, u'ž'), QString(255, u'ž')},
                 {"paradox, over 255 bytes", "x.db", QString(256, u'a'), "PARCISLO"},
                 {"csv, missing directory", "none/x.csv", "a", "x.csv"}});
    }

    void refusedValuesKeepTheEarlierFile()
    {
        QFETCH(QString, target);
        QFETCH(QString, value);
        QFETCH(QString, named);
        const QList<ExportColumn> columns = {{"PARCISLO", ExportColumn::Kind::Char, 12},
                                             {"VYMERA", ExportColumn::Kind::Numeric, 9}};
        const QString path = m_fx->path(target);
        if (!target.contains('/'))
            TExportFile::Write(path, columns, {{"15/3", 500}});
        auto bytes = [&] {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray before = bytes();
        QVERIFY(target.contains('/') || !before.isEmpty());
        const QString message = TestSupport::refusal([&] {
            TExportFile::Write(path, columns, {{"16", 1}, {value, 2}});
        });
        QVERIFY2(message.contains(named) && message.contains(QFileInfo(path).fileName()),
                 qPrintable(message));
        QCOMPARE(bytes(), before);
        for (const QString& name : QDir(m_fx->path("")).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(!name.contains("tmp", Qt::CaseInsensitive), qPrintable(name));
    }

    // orv-tool writes what the browser's export writes; it refuses the work
    // table as a target, an unknown column and a subsidy export with columns.
    void toolRunsTheSameExport()
    {
        const QString work = m_fx->fillWorkTableWithArea("DEMO"), tsv = m_fx->path("tool.tsv");
        unmark("PARCIS > 20");
        for (const auto& [args, code] : QList<QPair<QString, int>>{
                 {"--columns PARCISLO,VYMERA,PopCis --owners --out " + tsv, 0},
                 {"--subsidy --out " + m_fx->path("d.dbf"), 0},
                 {"--all-visible --out " + work, 1},
                 {"--subsidy --all-visible --out " + m_fx->path("e.db"), 2},
                 {"--columns NOPE --out " + m_fx->path("e.db"), 1}}) {
            QProcess tool;
            tool.start(ORV_TOOL_PATH,
                       ("export --alias DEMO --area 001 --work " + work + ' ' + args).split(' '));
            QVERIFY(tool.waitForFinished(60000));
            QCOMPARE(tool.exitCode(), code);
        }
        TParDilyDbf form(nullptr, m_fx->app(), work, m_fx->area("DEMO"));
        const QString mine =
            TPartExport(form.TablePa(), m_fx->area("DEMO"), m_demo + "/WorkDB")
                .SelectedText(pick(form.TablePa(), {"Parcelní číslo", "Výměra", "Č.popisné",
                                                    "Podíl", "Ičo", "Vlastník"}),
                              false);
        QFile file(tsv);
        QVERIFY(file.open(QIODevice::ReadOnly) && mine.count("\r\n") > 20);
        QCOMPARE(QString::fromUtf8(file.readAll()), mine);
        QStringList names;
        QVERIFY(readDbfByHand(m_fx->path("d.dbf"), names).size() > 10);
        // A GIS layer needs the area's map: refused without one, written with
        // it, the parcels the map lacks counted.
        const QString gpkg = m_fx->path("tool.gpkg");
        qputenv("ORV_MAP_DIR", m_fx->path("mapy").toUtf8());
        const QStringList gis =
            ("export --alias DEMO --area 001 --work " + work + " --columns PARCISLO --out " + gpkg)
                .split(' ');
        for (const bool withMap : {false, true}) {
            if (withMap) {
                MapArea map = ControlledMap();
                Query code; // the area's code as the tool finds it in the catalogue
                code.setDatabaseName("DEMO");
                code.setSql("SELECT IDENTCIS FROM NYSKATAL WHERE PORCIS = '001'");
                code.open();
                map.code = code.asString("IDENTCIS").trimmed();
                MapStore(m_fx->path("mapy")).write(map);
            }
            QProcess tool;
            tool.start(ORV_TOOL_PATH, gis);
            QVERIFY(tool.waitForFinished(60000));
            QVERIFY2(tool.exitCode() == (withMap ? 0 : 1), tool.readAllStandardError().constData());
            QCOMPARE(QFile::exists(gpkg), withMap);
        }
        qunsetenv("ORV_MAP_DIR");
        const int parts = TPartExport(form.TablePa(), m_fx->area("DEMO"), m_demo + "/WorkDB")
                              .SelectedText(pick(form.TablePa(), {"Parcelní číslo"}), true)
                              .count("\r\n");
        names.clear();
        QCOMPARE(readGisBack(gpkg, names).size(), parts);
    }

    // A spreadsheet takes a text led by =, +, @ or "-" and a letter for a
    // formula: such a cell is led by "'"; numbers, building parcels and other
    // texts go out as they are, trimmed. The header gives the column's title.
    void csvCellsForSpreadsheets_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("cell");
        QTest::newRow("owner name as a formula") << QVariant("=2+3") << "'=2+3";
        QTest::newRow("plus") << QVariant("+420 123") << "'+420 123";
        QTest::newRow("at") << QVariant("@SUM(A1)") << "'@SUM(A1)";
        QTest::newRow("minus and a letter") << QVariant("-A1") << "'-A1";
        QTest::newRow("lone minus (no map)") << QVariant("-") << "'-";
        QTest::newRow("tab behind blanks") << QVariant(" \t=1") << "'=1";
        QTest::newRow("building parcel") << QVariant("-5/1") << "-5/1";
        QTest::newRow("negative number") << QVariant(-5.0) << "-5";
        QTest::newRow("blanks around a house number") << QVariant("   9/2p ") << "9/2p";
        QTest::newRow("share") << QVariant("1/2") << "1/2";
        QTest::newRow("comma quoted") << QVariant("Novák, Jan") << "\"Novák, Jan\"";
        QTest::newRow("blank") << QVariant() << "";
    }
    void csvCellsForSpreadsheets()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, cell);
        const QString path = m_fx->path("cell.csv");
        TExportFile::Write(path, {{"PARCISLO", ExportColumn::Kind::Char, 12, "Parcelní číslo"}},
                           {{value}});
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), "Parcelní číslo\r\n" + cell + "\r\n");
    }

    // Every writer of an output file refuses a registry, code or user-text
    // table (any case, any directory, with its index and memo files) and a
    // final name that is a link (here to NYSBO001.DB or to a settings file);
    // a linked directory on the way is fine. A refused write changes nothing.
    void everyOutputRefusesTablesAndLinks_data()
    {
        const QString table = "je to tabulka katastru", link = "je to symbolický odkaz";
        addRows({"writer", "target", "refusal"}, // refusal: "" written, "-" kept silently
                {{"form onto a table", "pdf", "NYSPA001.DB", table},
                 {"form onto an index, lower case", "pdf", "nyspa001.x02", table},
                 {"form through a link", "pdf", "link.pdf", link},
                 {"form into a linked directory", "pdf", "docs/form.pdf", ""},
                 {"listing onto the records", "listing", "NYSVL001.DB", table},
                 {"listing through a link", "listing", "link.txt", link},
                 {"csv through a link", "export", "link.csv", link},
                 {"db onto a code table", "export", "ochrnem2.db", table},
                 {"db through a link", "export", "link.db", link},
                 {"dbf through a link", "export", "link.dbf", link},
                 {"GeoPackage through a link", "gis", "link.gpkg", link},
                 {"GeoJSON through a link", "gis", "link.geojson", link},
                 {"clipboard file onto own texts", "clipboard", "ORVTX001.MB", table},
                 {"settings through a link", "settings", "link.reg", link},
                 {"aliases through a link", "aliases", "link.conf", link},
                 {"owner index through a link", "owner index", "link.idx", "-"},
                 {"table files through a link", "file set", "link.db", link}});
    }
    void everyOutputRefusesTablesAndLinks()
    {
        QFETCH(QString, writer);
        QFETCH(QString, target);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        for (const char* name : {"NYSPA001.DB", "NYSBO001.DB", "NYSVL001.DB", "OCHRNEM2.DB"})
            QVERIFY(QFile::copy(m_ctl + "/NYSPA001.DB", dir.filePath(name)));
        QFile texts(dir.filePath("ORVTX001.MB")), settings(dir.filePath("victim.reg"));
        QVERIFY(texts.open(QIODevice::WriteOnly) && texts.write("texts") == 5);
        QVERIFY(settings.open(QIODevice::WriteOnly) && settings.write("REGEDIT4\r\n") == 10);
        texts.close(), settings.close();
        for (const char* ext : {"pdf", "txt", "csv", "db", "dbf", "conf", "idx", "gpkg", "geojson"})
            QVERIFY(QFile::link(dir.filePath("NYSBO001.DB"), dir.filePath("link.") + ext));
        QVERIFY(QFile::link(dir.filePath("victim.reg"), dir.filePath("link.reg")));
        QVERIFY(QFile::link(dir.path(), dir.filePath("docs")));
        auto snapshot = [&] {
            QMap<QString, QByteArray> files;
            for (const QFileInfo& f : QDir(dir.path()).entryInfoList(QDir::Files)) {
                QFile file(f.filePath());
                files.insert(f.fileName() + "->" + f.symLinkTarget(),
                             file.open(QIODevice::ReadOnly) ? file.readAll() : "?");
            }
            return files;
        };
        const QMap<QString, QByteArray> before = snapshot();
        const QString path = dir.filePath(target);
        const QString message = TestSupport::refusal([&] {
            if (writer == "pdf") {
                ReportPdfExporter::write(ReportDocument(), path);
            } else if (writer == "listing") {
                WriteTextFile(path, [](const TTextListing::LineSink& sink) {
                    sink({"řádek", {}});
                });
            } else if (writer == "export") {
                TExportFile::Write(path, {{"A", ExportColumn::Kind::Char, 5}}, {{"x"}});
            } else if (writer == "gis") {
                TGisExportFile::Write(path, {{"A", ExportColumn::Kind::Char, 5}}, {{"x"}},
                                      {nullptr});
            } else if (writer == "clipboard") {
                TExportFile::WriteBytes(path, "x");
            } else if (writer == "settings") {
                RegHiveFile(path).modify(
                    [](RegDocument& d) { d.ensureKey("HKEY_CURRENT_USER\\X"); });
            } else if (writer == "aliases") {
                EngineAliases(path).save();
            } else if (writer == "owner index") {
                TOwnerIndexDistrict index(m_ctl, path);
                index.setCatalogue({{"001", "A"}}, {0, 1, 1, 1});
                index.save();
            } else {
                ParadoxFileSet files;
                files.write(path, "x");
                files.commit();
            }
        });
        if (refusal.isEmpty()) {
            QVERIFY2(message.isEmpty() && QFileInfo(path).size() > 0, qPrintable(message));
            return;
        }
        QVERIFY2(refusal == "-" ? message.isEmpty()
                                : message.contains(refusal) && message.contains(target),
                 qPrintable(message));
        QCOMPARE(snapshot(), before);
    }

    // The marked parts with their owners as GIS layers: one feature per row
    // of the table export, the same field names, each parcel's polygon with
    // its area kept (GeoJSON in WGS 84 read back into S-JTSK), and the
    // placeholder without geometry counted.
    void gisLayersReadBack_data()
    {
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QString>("srs");
        QTest::newRow("GeoPackage") << "gpkg"
                                    << "5514";
        QTest::newRow("GeoJSON") << "geojson"
                                 << "4326";
    }
    void gisLayersReadBack()
    {
        QFETCH(QString, ext);
        QFETCH(QString, srs);
        TParDilyDbf form(nullptr, m_fx->app(), m_work, m_fx->area("CTL"));
        const QList<TPartExport::Item> items =
            pick(form.TablePa(), {"Parcelní číslo", "Díl", "Výměra", "Vlastník"});
        const QString path = m_fx->path("mapa." + ext);
        const TPartExport::MapExport done =
            exporter(form).ExportSelectedMap(items, path, ControlledMap());
        QStringList names;
        const QList<QPair<QString, double>> features = readGisBack(path, names);
        QCOMPARE(names, (QStringList{"PARCISLO", "PARDIL", "VYMERA", "VLASTNIK"}));
        // -20, 15/3 part 1 and 2 with two owners each, 16 with two, 99, 3:40.
        QCOMPARE(done.rows, 9);
        QCOMPARE(features.size(), 9);
        QCOMPARE(done.withoutGeometry, 1);
        QSet<QString> keys;
        for (const auto& [number, area] : features) {
            keys.insert(number);
            QVERIFY2(std::abs(area - MapAreas.value(number, -1)) < 0.01,
                     qPrintable(number + ": " + QString::number(area, 'f', 4)));
        }
        QCOMPARE(keys, (QSet<QString>{"-20", "15/3", "16", "99", "3:40"}));
        std::unique_ptr<GDALDataset> ds(
            GDALDataset::Open(path.toUtf8().constData(), GDAL_OF_VECTOR));
        QCOMPARE(QString(ds->GetLayer(0)->GetSpatialRef()->GetAuthorityCode(nullptr)), srs);
    }

    void browserPopupToClipboard()
    {
        // "&Export" is enabled; its data-only item puts the ticked columns (the
        // first two in the dialog) on the clipboard.
        TParDilyDbf form(nullptr, m_fx->app(), m_work, m_fx->area("CTL"));
        QVERIFY(form.findChild<QPushButton*>("ExportBtn")->isEnabled());
        form.TablePa().setRecNo(3);
        TestSupport::onNextModal([](QWidget* dialog) {
            auto* list = dialog->findChild<QListWidget*>();
            for (int i = 0; i < list->count(); ++i)
                list->item(i)->setCheckState(i < 2 ? Qt::Checked : Qt::Unchecked);
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        });
        TParDilyExport(&form, m_fx->app(), form.TablePa(), m_fx->area("CTL"), m_work,
                       form.ProcessDlg())
            .PopupClick(TParDilyExport::SelectedToClipboardDataOnly);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QString("1\t-20\r\n2\t15/3\r\n2\t15/3\r\n2\t16\r\n2\t99\r\n3\t3:40\r\n"));
        QCOMPARE(form.TablePa().recNo(), 3);
    }
};
QTEST_MAIN(TestExport)
#include "tst_export.moc"
