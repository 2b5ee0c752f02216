// Export of marked parts over the controlled district of the browser tests:
// owner rows, the clipboard text, tables of every type re-read by our reader
// and pxlib (.db), shapelib and a reader written here (.dbf) and a CSV parser,
// subsidy items, refused targets and values, and the browser's filter and
// current row after every export.
#include "BrowseFixture.h"
#include "common/ModalHelpers.h"
#include "base/ETalvekException.h"
#include "browse/TParDilyDbf.h"
#include "browse/TParDilyExport.h"
#include "browse/core/TBrowseGridModel.h"
#include "browse/core/TPartExport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QStringDecoder>
#include <QTest>

extern "C" {
#include <paradox.h>
}
#include <shapefil.h>

namespace {

using Rows = QList<QStringList>;

// One file column as a reader sees it: name, type letter, size.
struct FileColumn
{
    QString name;
    char type = 0;
    int size = 0;
};

QString cp1250(const QByteArray& bytes)
{
    QStringDecoder decoder("windows-1250");
    return QString(decoder.decode(bytes)).trimmed();
}

Rows readOurs(const QString& path, QList<FileColumn>& columns)
{
    ParadoxReader reader(path);
    for (const ParadoxField& f : reader.header().fields)
        columns.append({f.name, f.type == ParadoxFieldType::Alpha ? 'A' : 'N', f.size});
    Rows rows;
    for (const QVariantList& record : reader.readAll()) {
        QStringList row;
        for (const QVariant& v : record)
            row.append(TExportFile::Text(v).trimmed());
        rows.append(row);
    }
    return rows;
}

Rows readPxlib(const QString& path)
{
    Rows rows;
    pxdoc_t* doc = PX_new();
    if (PX_open_file(doc, QFile::encodeName(path).constData()) < 0) {
        PX_delete(doc);
        return rows;
    }
    for (int r = 0; r < PX_get_num_records(doc); ++r) {
        pxval_t** values = PX_retrieve_record(doc, r);
        QStringList row;
        for (int i = 0; i < PX_get_num_fields(doc) && values; ++i) {
            pxval_t* v = values[i];
            if (v->isnull)
                row.append(QString());
            else if (v->type == pxfAlpha)
                row.append(cp1250(QByteArray(v->value.str.val, v->value.str.len)));
            else
                row.append(TExportFile::Text(v->value.dval));
            if (v->type == pxfAlpha && v->value.str.val)
                doc->free(doc, v->value.str.val);
            doc->free(doc, v);
        }
        if (values)
            doc->free(doc, values);
        rows.append(row);
    }
    PX_close(doc);
    PX_delete(doc);
    return rows;
}

Rows readShapelib(const QString& path)
{
    Rows rows;
    DBFHandle h = DBFOpen(QFile::encodeName(path).constData(), "rb");
    if (!h)
        return rows;
    for (int r = 0; r < DBFGetRecordCount(h); ++r) {
        QStringList row;
        for (int c = 0; c < DBFGetFieldCount(h); ++c) {
            const bool text = DBFGetFieldInfo(h, c, nullptr, nullptr, nullptr) == FTString;
            row.append(DBFIsAttributeNULL(h, r, c) ? QString()
                       : text                      ? cp1250(DBFReadStringAttribute(h, r, c))
                              : TExportFile::Text(DBFReadDoubleAttribute(h, r, c)));
        }
        rows.append(row);
    }
    DBFClose(h);
    return rows;
}

// dBASE III read by hand: header, 32-byte field descriptors up to 0x0D, then
// fixed records behind a deletion flag; the language driver byte must be 200.
Rows readDbfByHand(const QString& path, QList<FileColumn>& columns)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray d = file.readAll();
    auto u16 = [&](int at) { return int(quint8(d[at])) | int(quint8(d[at + 1])) << 8; };
    const int count = u16(4) | u16(6) << 16;
    const int headerSize = u16(8);
    const int recordSize = u16(10);
    if (quint8(d[29]) != 200)
        return {};
    for (int at = 32; d[at] != '\x0d'; at += 32)
        columns.append(
            {QString::fromLatin1(d.mid(at, 11).constData()), d[at + 11], int(quint8(d[at + 16]))});
    Rows rows;
    for (int r = 0; r < count; ++r) {
        int at = headerSize + r * recordSize + 1;
        QStringList row;
        for (const FileColumn& c : columns) {
            const QString text = cp1250(d.mid(at, c.size));
            // A blank number is filled with '*'.
            const bool number = c.type == 'N' && !text.isEmpty() && !text.startsWith(u'*');
            row.append(number ? TExportFile::Text(text.toDouble()) : c.type == 'N' ? "" : text);
            at += c.size;
        }
        rows.append(row);
    }
    return rows;
}

// RFC 4180: fields in quotes may hold commas, doubled quotes and line breaks.
Rows readCsv(const QString& path, QList<FileColumn>& columns)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    Rows rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted && c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
            field += text[++i];
        else if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u',')
            row.append(std::exchange(field, QString()));
        else if (!quoted && c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            row.append(std::exchange(field, QString()).trimmed());
            rows.append(std::exchange(row, QStringList()));
            ++i;
        } else
            field += c;
    }
    for (const QString& name : rows.value(0))
        columns.append({name, 0, 0});
    rows.removeFirst();
    for (QStringList& r : rows)
        for (QString& f : r)
            f = f.trimmed();
    return rows;
}

QStringList names(const QList<FileColumn>& columns)
{
    QStringList list;
    for (const FileColumn& c : columns)
        list.append(c.name);
    return list;
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void ownerRowsAndMarks_data();
    void ownerRowsAndMarks();
    void clipboardHeader();
    void tablesEqualTheBrowser_data();
    void tablesEqualTheBrowser();
    void subsidyItems_data();
    void subsidyItems();
    void viewRestored_data();
    void viewRestored();
    void refusedValuesKeepTheEarlierFile_data();
    void refusedValuesKeepTheEarlierFile();
    void protectedTargets_data();
    void protectedTargets();
    void toolRunsTheSameExport();
    void browserPopupToClipboard();

private:
    void unmark(const QString& where);
    TPartExport exporter(TParDilyDbf& form);
    static QList<TPartExport::Item> pick(const Dataset& work, const QStringList& titles);

    QTemporaryDir m_root;
    QString m_ctl;
    QString m_demo;
    std::unique_ptr<BrowseFixture> m_fx;
    QString m_work;
};

void TestExport::initTestCase()
{
    PX_boot();
    m_ctl = m_root.filePath("ctl");
    m_demo = m_root.filePath("demo");
    BrowseFixture::writeControlledDistrict(m_ctl);
    BrowseFixture::writeDemoDistrict(m_demo);
    qputenv("ORV_WORKDB", (m_demo + "/WorkDB").toUtf8());
}

void TestExport::init()
{
    m_fx = std::make_unique<BrowseFixture>();
    m_fx->setAliases({{"CTL", m_ctl}, {"DEMO", m_demo}});
    // Key order: -20, 15/3 part 1, 15/3 part 2, 16, 99 (placeholder), 3:40.
    m_work = m_fx->fillWorkTable("CTL", {"15/3", "-20", "16", "3:40", "99"});
}

void TestExport::unmark(const QString& where)
{
    Query q;
    q.setDatabaseName(m_fx->workDir());
    q.setSql("UPDATE \"PRAC.DB\" SET FLAG = FALSE WHERE " + where);
    q.execSql();
}

TPartExport TestExport::exporter(TParDilyDbf& form)
{
    return TPartExport(form.TablePa(), m_fx->area("CTL"), m_demo + "/WorkDB");
}

QList<TPartExport::Item> TestExport::pick(const Dataset& work, const QStringList& titles)
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

void TestExport::ownerRowsAndMarks_data()
{
    QTest::addColumn<QString>("unmarked");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("lines");
    const QStringList withOwners = {"Parcelní číslo", "Díl", "Podíl", "Ičo", "Vlastník"};
    // Sheet 10 has two owners (the second found under another characteristic),
    // sheet 11 and the placeholder none; 3:40 holds no sheet.
    QTest::newRow("two owners, none, placeholder") << "" << withOwners
                                                   << QStringList{"-20\t1\t\t\t",
                                                                  "15/3\t1\t1/2\t111\tNovák Jan",
                                                                  "15/3\t1\t1/2\t222\tSvoboda Petr",
                                                                  "15/3\t2\t1/2\t111\tNovák Jan",
                                                                  "15/3\t2\t1/2\t222\tSvoboda Petr",
                                                                  "16\t1\t1/2\t111\tNovák Jan",
                                                                  "16\t1\t1/2\t222\tSvoboda Petr",
                                                                  "99\t0\t\t\t",
                                                                  "3:40\t1\t\t\t"};
    QTest::newRow("unmarked parts never written")
        << "PARCISLO = '16' OR PARDIL = 2 OR PARSKUP = 3" << withOwners
        << QStringList{"-20\t1\t\t\t", "15/3\t1\t1/2\t111\tNovák Jan",
                       "15/3\t1\t1/2\t222\tSvoboda Petr", "99\t0\t\t\t"};
    QTest::newRow("no owner column: one line per part")
        << "PARSKUP = 1" << QStringList{"Č.popisné", "Mapa"}
        << QStringList{"  25  p\tA1", "\tA1", "\tA2", "\t-", "  15/3\tPK"};
    QTest::newRow("owner column alone, reordered")
        << "PARSKUP = 2" << QStringList{"Vlastník", "Ičo"} << QStringList{"\t", "\t"};
    QTest::newRow("nothing marked") << "FLAG = TRUE" << withOwners << QStringList();
}

void TestExport::ownerRowsAndMarks()
{
    QFETCH(QString, unmarked);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, lines);
    if (!unmarked.isEmpty())
        unmark(unmarked);
    TParDilyDbf form(nullptr, m_fx->app(), m_work, m_fx->area("CTL"));
    TPartExport exp = exporter(form);
    const QString text = exp.SelectedText(pick(form.TablePa(), titles), true);
    QStringList expected;
    for (const QString& line : lines)
        expected.append(line + "\r\n");
    QCOMPARE(text, expected.join(QString()));
}

void TestExport::clipboardHeader()
{
    TParDilyDbf form(nullptr, m_fx->app(), m_work, m_fx->area("CTL"));
    TPartExport exp = exporter(form);
    const auto items = pick(form.TablePa(), {"Výměra", "Č.popisné", "Vlastník", "Podíl"});
    const QStringList full = exp.SelectedText(items, false).split("\r\n");
    const QStringList data = exp.SelectedText(items, true).split("\r\n");
    QCOMPARE(full.first(), QString("VYMERA\tPopCis\tVlastník\tPodíl"));
    QCOMPARE(full.mid(1), data);
    QList<TPartExport::Item> none = TPartExport::OfferedItems(form.TablePa());
    for (auto& item : none)
        item.ticked = false;
    try {
        TPartExport::TickedItems(none);
        QFAIL("nothing ticked must be refused");
    } catch (const ETalvekException& e) {
        QCOMPARE(e.message(), QString("Nebyla označena žádná položka k zobrazení"));
    }
}

void TestExport::tablesEqualTheBrowser_data()
{
    QTest::addColumn<QString>("ext");
    QTest::addColumn<QStringList>("layout"); // name:type:size of the file's columns
    QTest::newRow("paradox") << "db"
                             << QStringList{"PARSKUP:N:8", "PARCISLO:A:12", "PopCis:A:8",
                                            "VYMERA:N:8",  "MAPA:A:5",      "Vykaz:A:7",
                                            "PODIL:A:10",  "ICO:N:8",       "VLASTNIK:A:60"};
    QTest::newRow("dbase") << "dbf" << QStringList{"PARSKUP:N:1", "PARCISLO:C:12", "PopCis:C:8",
                                                   "VYMERA:N:9",  "LVCIS:N:5",     "BONITA:N:5",
                                                   "PODIL:C:10",  "ICO:N:11",      "VLASTNIK:C:60"};
    QTest::newRow("csv") << "csv" << QStringList{};
}

void TestExport::tablesEqualTheBrowser()
{
    QFETCH(QString, ext);
    QFETCH(QStringList, layout);
    unmark("PARCISLO = '16'");
    TParDilyDbf form(nullptr, m_fx->app(), m_work, m_fx->area("CTL"));
    TPartExport exp = exporter(form);
    const QList<TPartExport::Item> items =
        TPartExport::TickedItems(TPartExport::OfferedItems(form.TablePa()));
    const QString path = m_fx->path("out." + ext);
    QCOMPARE(exp.ExportSelected(items, path), 7);

    // What the browser shows for the marked rows, the owners of sheet 10 added.
    Rows expected;
    TBrowseGridModel* grid = form.GridModel();
    for (int r = 0; r < grid->rowCount(); ++r) {
        if (!form.TablePa().rowValues(r).value(form.TablePa().fieldIndex("FLAG")).toBool())
            continue;
        QStringList shown;
        for (int c = 0; c < grid->columnCount(); ++c)
            shown.append(grid->data(grid->index(r, c)).toString().trimmed());
        if (shown[7] == "10") {
            expected.append(shown + QStringList{"1/2", "111", "Novák Jan"});
            expected.append(shown + QStringList{"1/2", "222", "Svoboda Petr"});
        } else {
            expected.append(shown + QStringList{"", "", ""});
        }
    }
    QList<FileColumn> columns;
    QList<Rows> readings;
    if (ext == "db") {
        readings = {readOurs(path, columns)};
    } else if (ext == "dbf") {
        readings = {readDbfByHand(path, columns), readShapelib(path)};
        QFile cpg(m_fx->path("out.cpg"));
        QVERIFY(cpg.open(QIODevice::ReadOnly));
        QCOMPARE(cpg.readAll(), QByteArray("1250"));
    } else {
        readings = {readCsv(path, columns)};
    }
    QCOMPARE(names(columns), QStringList({"PARSKUP", "PARCISLO", "PARDIL", "DRUHPOZ", "PopCis",
                                          "VYMERA", "Kvalita", "LVCIS", "VLVZTAH", "MAPA", "Vykaz",
                                          "BONITA", "PODIL", "ICO", "VLASTNIK"}));
    for (const QString& spec : layout) {
        const QStringList p = spec.split(':');
        const auto it = std::find_if(columns.begin(), columns.end(),
                                     [&](const FileColumn& c) { return c.name == p[0]; });
        QVERIFY2(it != columns.end(), qPrintable(p[0]));
        QCOMPARE(QString(QChar(it->type)), p[1]);
        if (ext == "dbf" || it->type == 'A')
            QCOMPARE(it->size, p[2].toInt());
    }
    for (const Rows& rows : readings)
        QCOMPARE(rows, expected);
    if (ext == "db") {
        // pxlib reads a blank number (all bytes zero) as 0.
        Rows blankAsZero = expected;
        for (QStringList& row : blankAsZero)
            for (int c = 0; c < row.size(); ++c)
                if (columns[c].type == 'N' && row[c].isEmpty())
                    row[c] = "0";
        QCOMPARE(readPxlib(path), blankAsZero);
    }
}

void TestExport::subsidyItems_data()
{
    QTest::addColumn<QString>("ext");
    QTest::newRow("paradox") << "db";
    QTest::newRow("dbase") << "dbf";
    QTest::newRow("csv") << "csv";
}

void TestExport::subsidyItems()
{
    QFETCH(QString, ext);
    // Three marked parts of 15/3 in a row give one record with the first
    // part's area in hectares; the older parcel 3:40 names 15/3 in CPCE and
    // takes the kind of land of the current parcel.
    Table work;
    work.setDatabaseName(m_fx->workDir());
    work.setTableName("PRAC.DB");
    CreateWorkTable(work);
    const QStringList fields = {"PARSKUP", "PARCIS",  "PARPOD",   "PARDIL", "VYMERA", "DRUHPOZ",
                                "CPCE",    "NEMVYUZ", "PARCISLO", "LVCIS",  "FLAG"};
    const QList<QVariantList> rows = {{2, 15, 3, 1, 12345, 13, 25, 20, "15/3", 10, true},
                                      {2, 15, 3, 2, 300, 2, 0, 0, "15/3", 10, true},
                                      {2, 15, 3, 3, 50, 2, 0, 0, "15/3", 10, true},
                                      {2, 16, 0, 1, 50, 2, 0, 0, "16", 10, false},
                                      {1, 20, 0, 1, 100, 13, 10001, 21, "-20", 11, true},
                                      {3, 40, 0, 1, 900, 2, 30015, 0, "3:40", 0, true}};
    for (const QVariantList& row : rows) {
        work.append();
        for (int i = 0; i < fields.size(); ++i)
            work.setValue(fields[i], row[i]);
        work.post();
    }
    work.close();
    TParDilyDbf form(nullptr, m_fx->app(), m_work, m_fx->area("CTL"));
    const QString path = m_fx->path("dotace." + ext);
    QCOMPARE(exporter(form).ExportDotace(path), 3);
    QList<FileColumn> columns;
    const Rows read = ext == "db"    ? readOurs(path, columns)
                      : ext == "dbf" ? readDbfByHand(path, columns)
                                     : readCsv(path, columns);
    QCOMPARE(names(columns),
             QStringList({"ICO", "KATASTR", "PC_KN", "PC_PK", "KULTURA", "VYMERA"}));
    const Rows expected = {{"", "600001", "-20", "", "13", "0.01"},
                           {"111", "600001", "15/3", "", "13", "1.2345"},
                           {"", "600001", "15/3", "3:40", "13", "0.09"}};
    QCOMPARE(read, expected);
    if (ext == "dbf") {
        QCOMPARE(columns[0].type, 'C');
        QCOMPARE(columns[0].size, 11);
        QCOMPARE(columns[1].size, 6);
        QCOMPARE(columns[4].size, 2);
        QCOMPARE(columns[5].type, 'N');
        QCOMPARE(readShapelib(path), expected);
    }
    if (ext == "db")
        QCOMPARE(readPxlib(path), expected);
}

void TestExport::viewRestored_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("fails");
    QTest::newRow("clipboard") << ""
                               << "" << false;
    QTest::newRow("table") << ""
                           << "t.dbf" << false;
    QTest::newRow("subsidy") << ""
                             << "subsidy:s.db" << false;
    QTest::newRow("filtered view, table") << "PARSKUP = 2"
                                          << "t.db" << false;
    QTest::newRow("missing directory") << ""
                                       << "none/t.db" << true;
    QTest::newRow("refused target") << "PARSKUP = 2"
                                    << "work/PRAC.DB" << true;
    QTest::newRow("subsidy refused") << ""
                                     << "subsidy:work/PRAC_1.db" << true;
}

void TestExport::viewRestored()
{
    QFETCH(QString, filter);
    QFETCH(QString, target);
    QFETCH(bool, fails);
    TParDilyDbf form(nullptr, m_fx->app(), m_work, m_fx->area("CTL"));
    Table& pa = form.TablePa();
    if (!filter.isEmpty()) {
        pa.setFilter(filter);
        pa.setFiltered(true);
    }
    pa.setRecNo(2);
    const QVariantList current = pa.rowValues(2);
    TPartExport exp = exporter(form);
    exp.SetProtected(m_work, {m_ctl});
    const auto items = pick(pa, {"Parcelní číslo", "Vlastník"});
    const bool subsidy = target.startsWith("subsidy:");
    const QString path = m_fx->path(target.mid(subsidy ? 8 : 0));
    bool failed = false;
    try {
        if (target.isEmpty())
            exp.SelectedText(items, false);
        else if (subsidy)
            exp.ExportDotace(path);
        else
            exp.ExportSelected(items, path);
    } catch (const ETalvekException& e) {
        failed = true;
        QVERIFY2(e.message().contains(QFileInfo(path).fileName()), qPrintable(e.message()));
    }
    QCOMPARE(failed, fails);
    QCOMPARE(pa.isFiltered(), !filter.isEmpty());
    QCOMPARE(pa.filter(), filter);
    QCOMPARE(pa.recNo(), 2);
    QCOMPARE(pa.rowValues(pa.recNo()), current);
}

void TestExport::refusedValuesKeepTheEarlierFile_data()
{
    QTest::addColumn<QString>("ext");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("named");
    QTest::newRow("paradox, outside 1250") << "db"
                                           << "Жук"
                                           << "Жук";
    QTest::newRow("dbase, outside 1250") << "dbf"
                                         << "Жук"
                                         << "Жук";
    QTest::newRow("paradox, too long") << "db"
                                       << "1234567890123"
                                       << "1234567890123";
    QTest::newRow("dbase, too long") << "dbf"
                                     << "Šíleně dlouhé"
                                     << "Šíleně dlouhé";
    QTest::newRow("csv, missing directory") << "none/x.csv"
                                            << "a"
                                            << "x.csv";
}

void TestExport::refusedValuesKeepTheEarlierFile()
{
    QFETCH(QString, ext);
    QFETCH(QString, value);
    QFETCH(QString, named);
    const QList<ExportColumn> columns = {{"PARCISLO", ExportColumn::Kind::Char, 12},
                                         {"VYMERA", ExportColumn::Kind::Numeric, 9}};
    const QString path = m_fx->path(ext.contains('/') ? ext : "x." + ext);
    QByteArray before;
    if (!ext.contains('/')) {
        TExportFile::Write(path, columns, {{"15/3", 500}});
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        before = f.readAll();
    }
    try {
        TExportFile::Write(path, columns, {{"16", 1}, {value, 2}});
        QFAIL("the value must be refused");
    } catch (const ETalvekException& e) {
        QVERIFY2(e.message().contains(named), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QFileInfo(path).fileName()), qPrintable(e.message()));
    }
    QFile f(path);
    QCOMPARE(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(), before);
    for (const QString& name : QDir(m_fx->path("")).entryList(QDir::Files | QDir::Hidden))
        QVERIFY2(!name.contains("tmp", Qt::CaseInsensitive), qPrintable(name));
}

void TestExport::protectedTargets_data()
{
    QTest::addColumn<QString>("target"); // relative to the sandbox; "ctl/" the district
    QTest::addColumn<bool>("refused");
    QTest::newRow("the work table") << "work/PRAC.DB" << true;
    QTest::newRow("the work table, other case") << "work/prac.db" << true;
    QTest::newRow("a history table") << "work/PRAC_3.DB" << true;
    QTest::newRow("a registry name anywhere") << "NYSPA001.dbf" << true;
    QTest::newRow("own texts") << "orvtx001.db" << true;
    QTest::newRow("a file of the district") << "ctl/NYSBO001.csv" << true;
    QTest::newRow("a new file in the district") << "ctl/vyber.db" << false;
    QTest::newRow("PRAC elsewhere") << "PRAC.DB" << false;
    QTest::newRow("another name in the work directory") << "work/vyber.csv" << false;
}

void TestExport::protectedTargets()
{
    QFETCH(QString, target);
    QFETCH(bool, refused);
    QFile::copy(m_ctl + "/NYSBO001.DB", m_ctl + "/NYSBO001.csv");
    const QString path = target.startsWith("ctl/") ? m_ctl + target.mid(3) : m_fx->path(target);
    const QByteArray work = [&] {
        QFile f(m_work);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    TParDilyDbf form(nullptr, m_fx->app(), m_work, m_fx->area("CTL"));
    TPartExport exp = exporter(form);
    exp.SetProtected(m_work, {m_ctl, m_demo + "/WorkDB"});
    bool wasRefused = false;
    try {
        exp.ExportSelected(pick(form.TablePa(), {"Parcelní číslo"}), path);
    } catch (const ETalvekException& e) {
        wasRefused = e.message().contains("se neexportuje");
        QVERIFY2(wasRefused, qPrintable(e.message()));
    }
    QCOMPARE(wasRefused, refused);
    QFile f(m_work);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), work);
    if (!refused)
        QVERIFY(QFile::remove(path));
}

void TestExport::toolRunsTheSameExport()
{
    const QString work = m_fx->fillWorkTableWithArea("DEMO");
    unmark("PARCIS > 20");
    const QString tsv = m_fx->path("tool.tsv");
    QProcess tool;
    const QStringList area = {"export", "--alias", "DEMO", "--area", "001", "--work", work};
    tool.start(ORV_TOOL_PATH,
               area + QStringList{"--columns", "PARCISLO,VYMERA,PopCis", "--owners", "--out", tsv});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 0);
    TParDilyDbf form(nullptr, m_fx->app(), work, m_fx->area("DEMO"));
    TPartExport exp(form.TablePa(), m_fx->area("DEMO"), m_demo + "/WorkDB");
    const QString mine = exp.SelectedText(
        pick(form.TablePa(), {"Parcelní číslo", "Výměra", "Č.popisné", "Podíl", "Ičo", "Vlastník"}),
        false);
    QFile file(tsv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), mine);
    QVERIFY(mine.count("\r\n") > 20);
    const QList<QPair<QStringList, int>> runs = {
        {{"--subsidy", "--out", m_fx->path("d.dbf")}, 0},
        {{"--all-visible", "--out", work}, 1},
        {{"--subsidy", "--all-visible", "--out", m_fx->path("e.db")}, 2},
        {{"--columns", "NOPE", "--out", m_fx->path("e.db")}, 1}};
    for (const auto& [args, code] : runs) {
        tool.start(ORV_TOOL_PATH, area + args);
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), code);
    }
    QList<FileColumn> columns;
    QVERIFY(readDbfByHand(m_fx->path("d.dbf"), columns).size() > 10);
}

void TestExport::browserPopupToClipboard()
{
    // "&Export" is enabled and offers the four items; the data-only item puts
    // the ticked columns (one unticked in the dialog) on the clipboard.
    TParDilyDbf form(nullptr, m_fx->app(), m_work, m_fx->area("CTL"));
    auto* button = form.findChild<QPushButton*>("ExportBtn");
    QVERIFY(button && button->isEnabled());
    std::unique_ptr<QMenu> popup(TParDilyExport::CreatePopup(nullptr));
    QStringList captions;
    for (QAction* a : popup->actions())
        captions.append(a->text());
    QCOMPARE(captions,
             QStringList({"Vybrané položky do &tabulky", "Vybrané položky do &schránky",
                          "Vybrané položky do schránky - &pouze data", "Položky pro &dotace"}));
    form.TablePa().setRecNo(3);
    TestSupport::onNextModal([](QWidget* dialog) {
        auto* list = dialog->findChild<QListWidget*>();
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setCheckState(i < 2 ? Qt::Checked : Qt::Unchecked);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    TParDilyExport(&form, m_fx->app(), form.TablePa(), m_fx->area("CTL"), m_work)
        .PopupClick(TParDilyExport::SelectedToClipboardDataOnly);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QString("1\t-20\r\n2\t15/3\r\n2\t15/3\r\n2\t16\r\n2\t99\r\n3\t3:40\r\n"));
    QCOMPARE(form.TablePa().recNo(), 3);
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
