// Export of marked parts over the controlled district of the browser tests:
// owner rows, the clipboard text, every table read back by two readers and
// compared with the browser, subsidy items, refused targets and values, the
// browser's filter and current row after every export, and orv-tool.
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

// One file column as a reader sees it: name, type letter, size in bytes.
struct FileColumn
{
    QString name;
    char type = 0;
    int size = 0;
};

QString cp1250(const QByteArray& bytes)
{
    return QString(QStringDecoder("windows-1250").decode(bytes)).trimmed();
}

Rows readOurs(const QString& path, QList<FileColumn>& columns)
{
    ParadoxReader reader(path);
    for (const ParadoxField& f : reader.header().fields)
        columns.append({f.name, f.type == ParadoxFieldType::Alpha ? 'A' : 'N', f.size});
    Rows rows;
    for (const QVariantList& record : reader.readAll()) {
        rows.append(QStringList());
        for (const QVariant& v : record)
            rows.last().append(TExportFile::Text(v).trimmed());
    }
    return rows;
}

// dBASE III read by hand: header, 32-byte field descriptors up to 0x0D, then
// fixed records behind a deletion flag; language driver 200 is code page 1250.
Rows readDbfByHand(const QString& path, QList<FileColumn>& columns)
{
    QFile file(path);
    const QByteArray d = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    auto u16 = [&](int at) { return int(quint8(d[at])) | int(quint8(d[at + 1])) << 8; };
    if (d.size() < 33 || quint8(d[29]) != 200)
        return {};
    for (int at = 32; d[at] != '\x0d'; at += 32)
        columns.append(
            {QString::fromLatin1(d.mid(at, 11).constData()), d[at + 11], int(quint8(d[at + 16]))});
    Rows rows;
    for (int r = 0; r < (u16(4) | u16(6) << 16); ++r) {
        int at = u16(8) + r * u16(10) + 1;
        rows.append(QStringList());
        for (const FileColumn& c : columns) {
            const QString text = cp1250(d.mid(at, c.size));
            at += c.size;
            // A blank number is filled with '*'.
            const bool number = c.type == 'N' && !text.isEmpty() && !text.startsWith(u'*');
            rows.last().append(number          ? TExportFile::Text(text.toDouble())
                               : c.type == 'N' ? ""
                                               : text);
        }
    }
    return rows;
}

// RFC 4180: fields in quotes may hold commas, doubled quotes and line breaks.
Rows readCsv(const QString& path, QList<FileColumn>& columns)
{
    QFile file(path);
    const QString t = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : "";
    Rows rows{{}};
    QString field;
    bool quoted = false;
    for (int i = 0; i < t.size(); ++i) {
        if (quoted && t.mid(i, 2) == "\"\"")
            field += t[++i];
        else if (t[i] == u'"')
            quoted = !quoted;
        else if (!quoted && (t[i] == u',' || t.mid(i, 2) == "\r\n")) {
            rows.last().append(std::exchange(field, QString()).trimmed());
            if (t[i] != u',' && ++i)
                rows.append(QStringList());
        } else
            field += t[i];
    }
    if (rows.size() < 2)
        return {};
    rows.removeLast(); // behind the last line break
    for (const QString& name : rows.takeFirst())
        columns.append({name, 0, 0});
    return rows;
}

Rows readFile(const QString& path, QList<FileColumn>& columns)
{
    return path.endsWith(".db")    ? readOurs(path, columns)
           : path.endsWith(".dbf") ? readDbfByHand(path, columns)
                                   : readCsv(path, columns);
}

// The second reader of a table: pxlib for .db (a blank number, all bytes
// zero, reads as 0), shapelib for .dbf; a CSV has only one.
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
    for (int r = 0;
         PX_open_file(doc, QFile::encodeName(path).constData()) >= 0 && r < PX_get_num_records(doc);
         ++r) {
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
    PX_close(doc);
    PX_delete(doc);
    return rows;
}

// Reads `path` by every reader, compares with `expected` and checks the
// columns' "NAME:TYPE[:SIZE]" entries of `layout`.
void readBack(const QString& path, const Rows& expected, const QString& layout, QStringList& names)
{
    QList<FileColumn> columns;
    QCOMPARE(readFile(path, columns), expected);
    for (const FileColumn& c : columns)
        names.append(c.name);
    for (const QString& entry : layout.split(' ', Qt::SkipEmptyParts)) {
        const QStringList p = entry.split(':');
        const FileColumn c = columns.value(names.indexOf(p[0]));
        QVERIFY2(c.name == p[0], qPrintable(p[0]));
        QCOMPARE(QString(QChar(c.type)), p[1]);
        if (p.size() > 2)
            QCOMPARE(c.size, p[2].toInt());
    }
    if (path.endsWith(".csv"))
        return;
    Rows blankAsZero = expected;
    for (QStringList& row : blankAsZero)
        for (int c = 0; path.endsWith(".db") && c < row.size(); ++c)
            if (columns[c].type == 'N' && row[c].isEmpty())
                row[c] = "0";
    QCOMPARE(readOther(path), blankAsZero);
}

// One data row per list: its name, then one QString per column of `columns`.
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

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void clipboardText_data();
    void clipboardText();
    void formats_data();
    void tablesEqualTheBrowser_data() { formats_data(); }
    void tablesEqualTheBrowser();
    void subsidyItems_data() { formats_data(); }
    void subsidyItems();
    void viewRestoredAndTargetsGuarded_data();
    void viewRestoredAndTargetsGuarded();
    void refusedValuesKeepTheEarlierFile_data();
    void refusedValuesKeepTheEarlierFile();
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

// The ticked items in the order of `titles`.
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

void TestExport::clipboardText_data()
{
    // Sheet 10 has two owners (the second found under another characteristic),
    // sheet 11 and the placeholder none; 3:40 holds no sheet. Only the row
    // named "with header" asks for the header line.
    const QString owners = "Parcelní číslo|Díl|Podíl|Ičo|Vlastník";
    const QString novak = "\t1/2\t111\tNovák Jan\r\n", svoboda = "\t1/2\t222\tSvoboda Petr\r\n";
    addRows(
        {"unmarked", "titles", "text"},
        {{"two owners, none, placeholder", "", owners,
          "-20\t1\t\t\t\r\n15/3\t1" + novak + "15/3\t1" + svoboda + "15/3\t2" + novak + "15/3\t2" +
              svoboda + "16\t1" + novak + "16\t1" + svoboda + "99\t0\t\t\t\r\n3:40\t1\t\t\t\r\n"},
         {"unmarked parts never written", "PARCISLO = '16' OR PARDIL = 2 OR PARSKUP = 3", owners,
          "-20\t1\t\t\t\r\n15/3\t1" + novak + "15/3\t1" + svoboda + "99\t0\t\t\t\r\n"},
         {"no owner column: one line per part", "PARSKUP = 1", "Č.popisné|Mapa",
          "  25  p\tA1\r\n\tA1\r\n\tA2\r\n\t-\r\n  15/3\tPK\r\n"},
         {"with header", "PARCISLO <> '16'", "Výměra|Č.popisné|Vlastník|Podíl",
          "VYMERA\tPopCis\tVlastník\tPodíl\r\n50\t\tNovák Jan\t1/2\r\n50\t\tSvoboda Petr\t1/2\r\n"},
         {"nothing marked", "FLAG = TRUE", owners, ""},
         {"nothing ticked", "", "", "Nebyla označena žádná položka k zobrazení"}});
}

void TestExport::clipboardText()
{
    QFETCH(QString, unmarked);
    QFETCH(QString, titles);
    if (!unmarked.isEmpty())
        unmark(unmarked);
    TParDilyDbf form(nullptr, m_fx->app(), m_work, m_fx->area("CTL"));
    QString text;
    try {
        text = exporter(form).SelectedText(pick(form.TablePa(), titles.split('|')),
                                           QTest::currentDataTag() != QLatin1String("with header"));
    } catch (const ETalvekException& e) {
        text = e.message();
    }
    QTEST(text, "text");
}

void TestExport::formats_data()
{
    // NAME:TYPE[:SIZE] of some of the file's columns.
    addRows({"ext", "layout"},
            {{"paradox", "db", "PARSKUP:N PARCISLO:A:12 VYMERA:N VLASTNIK:A:60"},
             {"dbase", "dbf", "PARSKUP:N:1 PARCISLO:C:12 VYMERA:N:9 ICO:N:11 VLASTNIK:C:60"},
             {"csv", "csv", ""}});
}

void TestExport::tablesEqualTheBrowser()
{
    QFETCH(QString, ext);
    QFETCH(QString, layout);
    unmark("PARCISLO = '16'");
    TParDilyDbf form(nullptr, m_fx->app(), m_work, m_fx->area("CTL"));
    const auto items = TPartExport::TickedItems(TPartExport::OfferedItems(form.TablePa()));
    const QString path = m_fx->path("out." + ext);
    QCOMPARE(exporter(form).ExportSelected(items, path), 7);
    // What the browser shows for the marked rows, the owners of sheet 10 added.
    Rows expected;
    TBrowseGridModel* grid = form.GridModel();
    for (int r = 0; r < grid->rowCount(); ++r) {
        if (!form.TablePa().rowValues(r).value(form.TablePa().fieldIndex("FLAG")).toBool())
            continue;
        QStringList shown;
        for (int c = 0; c < grid->columnCount(); ++c)
            shown.append(grid->data(grid->index(r, c)).toString().trimmed());
        if (shown[7] != "10")
            expected.append(shown + QStringList{"", "", ""});
        else
            expected << shown + QStringList{"1/2", "111", "Novák Jan"}
                     << shown + QStringList{"1/2", "222", "Svoboda Petr"};
    }
    QStringList names;
    readBack(path, expected, layout, names);
    QCOMPARE(names, QStringList({"PARSKUP", "PARCISLO", "PARDIL", "DRUHPOZ", "PopCis", "VYMERA",
                                 "Kvalita", "LVCIS", "VLVZTAH", "MAPA", "Vykaz", "BONITA", "PODIL",
                                 "ICO", "VLASTNIK"}));
    QFile cpg(m_fx->path("out.cpg"));
    QCOMPARE(cpg.open(QIODevice::ReadOnly) ? cpg.readAll() : "", ext == "dbf" ? "1250" : "");
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
    for (const QVariantList& row :
         QList<QVariantList>{{2, 15, 3, 1, 12345, 13, 25, 20, "15/3", 10, true},
                             {2, 15, 3, 2, 300, 2, 0, 0, "15/3", 10, true},
                             {2, 15, 3, 3, 50, 2, 0, 0, "15/3", 10, true},
                             {2, 16, 0, 1, 50, 2, 0, 0, "16", 10, false},
                             {1, 20, 0, 1, 100, 13, 10001, 21, "-20", 11, true},
                             {3, 40, 0, 1, 900, 2, 30015, 0, "3:40", 0, true}}) {
        work.append();
        for (int i = 0; i < fields.size(); ++i)
            work.setValue(fields[i], row[i]);
        work.post();
    }
    work.close();
    TParDilyDbf form(nullptr, m_fx->app(), m_work, m_fx->area("CTL"));
    const QString path = m_fx->path("dotace." + ext);
    QCOMPARE(exporter(form).ExportDotace(path), 3);
    QStringList names;
    readBack(path,
             {{"", "600001", "-20", "", "13", "0.01"},
              {"111", "600001", "15/3", "", "13", "1.2345"},
              {"", "600001", "15/3", "3:40", "13", "0.09"}},
             ext == "dbf" ? "ICO:C:11 KATASTR:C:6 KULTURA:C:2 VYMERA:N" : "", names);
    QCOMPARE(names, QStringList({"ICO", "KATASTR", "PC_KN", "PC_PK", "KULTURA", "VYMERA"}));
}

void TestExport::viewRestoredAndTargetsGuarded_data()
{
    // The target lies in the sandbox, "ctl/" in the district; "refusal" is
    // a text of the message, which names the file too; "" for success.
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

void TestExport::viewRestoredAndTargetsGuarded()
{
    QFETCH(QString, filter);
    QFETCH(QString, target);
    QFETCH(QString, refusal);
    QFile::copy(m_ctl + "/NYSBO001.DB", m_ctl + "/NYSBO001.csv");
    QFile workFile(m_work);
    const QByteArray workBytes = workFile.open(QIODevice::ReadOnly) ? workFile.readAll() : "";
    workFile.close();
    TParDilyDbf form(nullptr, m_fx->app(), m_work, m_fx->area("CTL"));
    Table& pa = form.TablePa();
    pa.setFilter(filter);
    pa.setFiltered(!filter.isEmpty());
    pa.setRecNo(2);
    const QVariantList current = pa.rowValues(2);
    TPartExport exp = exporter(form);
    exp.SetProtected(m_work, {m_ctl, m_demo + "/WorkDB"});
    const bool subsidy = target.startsWith("subsidy:");
    const QString name = target.mid(subsidy ? 8 : 0);
    const QString path = name.startsWith("ctl/") ? m_ctl + name.mid(3) : m_fx->path(name);
    QString message;
    try {
        if (target.isEmpty())
            exp.SelectedText(pick(pa, {"Parcelní číslo", "Vlastník"}), false);
        else if (subsidy)
            exp.ExportDotace(path);
        else
            exp.ExportSelected(pick(pa, {"Parcelní číslo", "Vlastník"}), path);
    } catch (const ETalvekException& e) {
        message = e.message();
        QVERIFY2(message.contains(QFileInfo(path).fileName()), qPrintable(message));
    }
    QVERIFY2(refusal.isEmpty() ? message.isEmpty() : message.contains(refusal),
             qPrintable(message));
    QCOMPARE(pa.isFiltered(), !filter.isEmpty());
    QCOMPARE(pa.filter(), filter);
    QCOMPARE(pa.recNo(), 2);
    QCOMPARE(pa.rowValues(2), current);
    QVERIFY(workFile.open(QIODevice::ReadOnly));
    QCOMPARE(workFile.readAll(), workBytes);
    if (refusal.isEmpty() && !target.isEmpty())
        QVERIFY(QFile::remove(path));
}

void TestExport::refusedValuesKeepTheEarlierFile_data()
{
    // "named" must appear in the message besides the file's name.
    addRows({"target", "value", "named"},
            {{"paradox, outside 1250", "x.db", "Жук", "Жук"},
             {"dbase, outside 1250", "x.dbf", "Жук", "Жук"},
             {"paradox, too long", "x.db", "1234567890123", "1234567890123"},
             {"dbase, too long", "x.dbf", "Šíleně dlouhé", "Šíleně dlouhé"},
             {"csv, missing directory", "none/x.csv", "a", "x.csv"}});
}

void TestExport::refusedValuesKeepTheEarlierFile()
{
    QFETCH(QString, target);
    QFETCH(QString, value);
    QFETCH(QString, named);
    const QList<ExportColumn> columns = {{"PARCISLO", ExportColumn::Kind::Char, 12},
                                         {"VYMERA", ExportColumn::Kind::Numeric, 9}};
    const QString path = m_fx->path(target);
    QFile f(path);
    if (!target.contains('/'))
        TExportFile::Write(path, columns, {{"15/3", 500}});
    const QByteArray before = f.open(QIODevice::ReadOnly) ? f.readAll() : "";
    f.close();
    QVERIFY(target.contains('/') || !before.isEmpty());
    try {
        TExportFile::Write(path, columns, {{"16", 1}, {value, 2}});
        QFAIL("the value must be refused");
    } catch (const ETalvekException& e) {
        QVERIFY2(e.message().contains(named), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QFileInfo(path).fileName()), qPrintable(e.message()));
    }
    QCOMPARE(f.open(QIODevice::ReadOnly) ? f.readAll() : "", before);
    for (const QString& name : QDir(m_fx->path("")).entryList(QDir::Files | QDir::Hidden))
        QVERIFY2(!name.contains("tmp", Qt::CaseInsensitive), qPrintable(name));
}

void TestExport::toolRunsTheSameExport()
{
    const QString work = m_fx->fillWorkTableWithArea("DEMO");
    unmark("PARCIS > 20");
    const QStringList area = {"export", "--alias", "DEMO", "--area", "001", "--work", work};
    const QString tsv = m_fx->path("tool.tsv");
    const QList<QPair<QStringList, int>> runs = {
        {{"--columns", "PARCISLO,VYMERA,PopCis", "--owners", "--out", tsv}, 0},
        {{"--subsidy", "--out", m_fx->path("d.dbf")}, 0},
        {{"--all-visible", "--out", work}, 1},
        {{"--subsidy", "--all-visible", "--out", m_fx->path("e.db")}, 2},
        {{"--columns", "NOPE", "--out", m_fx->path("e.db")}, 1}};
    for (const auto& [args, code] : runs) {
        QProcess tool;
        tool.start(ORV_TOOL_PATH, area + args);
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), code);
    }
    TParDilyDbf form(nullptr, m_fx->app(), work, m_fx->area("DEMO"));
    const auto items =
        pick(form.TablePa(), {"Parcelní číslo", "Výměra", "Č.popisné", "Podíl", "Ičo", "Vlastník"});
    const QString mine = TPartExport(form.TablePa(), m_fx->area("DEMO"), m_demo + "/WorkDB")
                             .SelectedText(items, false);
    QFile file(tsv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), mine);
    QVERIFY(mine.count("\r\n") > 20);
    QList<FileColumn> columns;
    QVERIFY(readDbfByHand(m_fx->path("d.dbf"), columns).size() > 10);
}

void TestExport::browserPopupToClipboard()
{
    // "&Export" is enabled and offers the four items; the data-only item puts
    // the ticked columns (the first two in the dialog) on the clipboard.
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
