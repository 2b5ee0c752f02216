#include "base/ETalvekException.h"
#include "common/TestSupport.h"
#include "db/BatchMove.h"
#include "db/DatasetModel.h"
#include "db/EngineAliases.h"
#include "db/Engine.h"
#include "db/Query.h"
#include "db/RegistryTableNames.h"
#include "db/SqliteStatement.h"
#include "db/Table.h"
#include "db/TableWriteGuard.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>

// Tables, lookups, ranges, links, filters, edits and batch moves on the real
// district sample and on work tables created in a temporary directory.
class TestEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void keyLookupAndNearest();
    void rangesAndMasterDetail();
    void filtersAndBlanks();
    void calculatedFieldsAndModel();
    void editsReachTheFileAtOnce();
    void changedFileIsReloaded();
    void aliasesAndMissingThings();
    void aliasNamesAndBadAliasFiles();
    void aliasToolListsAddsRemovesAndRepairs();
    void registryAndLinksAreNotWritten_data();
    void registryAndLinksAreNotWritten();
    void datasetsRefuseRegistryAndLinks();
    void registryListCoversWrittenTables();
    void batchAppendSkipsExistingKeysAndConverts();
    void batchUpdateAndDeleteMatchOnKey();
    void failedBatchOrPostChangesNothing();
    void fieldNamesWithPercentSigns();
    void numbersOutOfRange_data();
    void numbersOutOfRange();

private:
    static void open(Table& t, const QString& dir, const QString& name, const QString& order = {});
    static void create(Table& t, const QString& dir, const QString& name,
                       const QList<FieldDef>& fields, const QList<IndexDef>& indexes = {});
    static void createWork(Table& t, const QString& dir, const QString& name = "PRAC.DB");
    static void fill(Table& t, const QString& dir, const QString& name, bool keyed,
                     const QList<QVariantList>& rows);
    static void appendPart(Table& t, int stem, const QString& text);
    static std::unique_ptr<Query> query(const QString& dir, const QString& sql);
    static int exec(const QString& dir, const QString& sql) { return query(dir, sql)->execSql(); }
    static QByteArray bytes(const QString& path);
    void fillGuardedDir(const QString& dir);
    static QMap<QString, QByteArray> snapshot(const QString& dir);
    static int rowsInFile(const QString& path) { return ParadoxReader(path).readAll().size(); }
    QString m_district;
    QTemporaryDir m_config;
};

void TestEngine::initTestCase()
{
    qputenv("ORV_CONFIG_DIR", m_config.path().toUtf8());
    m_district = TestSupport::realDistrictDir();
}

void TestEngine::open(Table& t, const QString& dir, const QString& name, const QString& order)
{
    t.setDatabaseName(dir);
    t.setTableName(name);
    if (!order.isEmpty())
        t.setIndexFieldNames(order);
    t.open();
}

void TestEngine::create(Table& t, const QString& dir, const QString& name,
                        const QList<FieldDef>& fields, const QList<IndexDef>& indexes)
{
    t.setDatabaseName(dir);
    t.setTableName(name);
    t.setFieldDefs(fields);
    t.setIndexDefs(indexes);
    t.createTable();
    t.open();
}

void TestEngine::createWork(Table& t, const QString& dir, const QString& name)
{
    create(t, dir, name,
           {{"PARSKUP", FieldType::SmallInt, 0, true},
            {"PARCIS", FieldType::Integer, 0, true},
            {"PARPOD", FieldType::SmallInt, 0, true},
            {"PARDIL", FieldType::SmallInt, 0, true},
            {"VYMERA", FieldType::Integer},
            {"CPCE", FieldType::Integer},
            {"PARCISLO", FieldType::String, 12, true},
            {"LVCIS", FieldType::Integer},
            {"FLAG", FieldType::Boolean}},
           {{"PCDIL", {"PARSKUP", "PARCIS", "PARPOD", "PARDIL"}, true, true}});
}

// Starts a new row of land parcel `stem` (no subdivision, no part); the caller posts.
void TestEngine::appendPart(Table& t, int stem, const QString& text)
{
    t.append();
    const QVariantList values = {2, stem, 0, 0, text};
    const QStringList fields = {"PARSKUP", "PARCIS", "PARPOD", "PARDIL", "PARCISLO"};
    for (int i = 0; i < fields.size(); ++i)
        t.setValue(fields[i], values[i]);
}

std::unique_ptr<Query> TestEngine::query(const QString& dir, const QString& sql)
{
    auto q = std::make_unique<Query>();
    q->setDatabaseName(dir);
    q->setSql(sql);
    return q;
}

QByteArray TestEngine::bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestEngine::keyLookupAndNearest()
{
    Table pa;
    pa.setReadOnly(true);
    open(pa, m_district, "nyspa001.db", "PARSKUP;PARCIS;PARPOD;PARDIL"); // names ignore case
    QCOMPARE(pa.recordCount(), 144);
    QVERIFY(pa.findKey({1, 14, 2}));
    QCOMPARE(pa.asString("PARCISLO"), QString("-14/2"));
    QCOMPARE(pa.asInteger("LVCIS"), 153);
    Table owners; // a table name without extension is a .DB file
    open(owners, m_district, "NYSOBORG", "IDENT;UVCHAR");
    QVERIFY(owners.findKey({5559095800LL, 2}));
    QCOMPARE(owners.asString("NAZEV"), QString("ŠIMKOVÁ ALENA, LUČNÍ 390, STACHY"));
    const int here = pa.recNo();
    QVERIFY(!pa.findKey({1, 14, 99})); // not found: the position stays
    QCOMPARE(pa.recNo(), here);
    pa.findNearest({1, 14, 99}); // first row after the key
    QVERIFY(pa.asInteger("PARCIS") > 14 || pa.asInteger("PARSKUP") > 1);
    pa.findNearest({99}); // beyond the end: the last row
    QCOMPARE(pa.recNo(), pa.recordCount() - 1);
    pa.setIndexName("CPCE");
    QVERIFY(pa.findKey({10005}));
    QCOMPARE(pa.asString("PARCISLO"), QString("-5/1"));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, pa.edit()); // registry table is read-only
}

void TestEngine::rangesAndMasterDetail()
{
    Table pa;
    open(pa, m_district, "NYSPA001.DB", "PARSKUP;PARCIS;PARPOD;PARDIL");
    pa.setRange({1, 5}, {1, 13}); // inclusive on the leading fields
    QVERIFY(pa.recordCount() > 0);
    for (pa.first(); !pa.eof(); pa.next()) {
        QCOMPARE(pa.asInteger("PARSKUP"), 1);
        QVERIFY(pa.asInteger("PARCIS") >= 5 && pa.asInteger("PARCIS") <= 13);
    }
    QVERIFY(pa.findKey({1, 13}));
    QVERIFY(!pa.findKey({1, 14})); // outside the range
    pa.cancelRange();
    QCOMPARE(pa.recordCount(), 144);
    Table uv;
    uv.setIndexName("ELLVCIS");
    open(uv, m_district, "NYSUV001.DB");
    uv.setMasterSource(&pa, "LVCIS");
    QVERIFY(pa.findKey({1, 14, 2}));
    QCOMPARE(uv.recordCount(), 1);
    QCOMPARE(uv.asInteger("ELLVCIS"), 153);
    for (pa.first(); !pa.eof() && pa.asInteger("LVCIS") != 3;)
        pa.next();
    QCOMPARE(uv.recordCount(), 2); // sheet 3 has two owners
    uv.setMasterSource(nullptr, QString());
    QCOMPARE(uv.recordCount(), 24);
}

void TestEngine::filtersAndBlanks()
{
    Table kat;
    kat.setFilter("PORCIS > '000' and NAZEV = 'SAL*'");
    kat.setFiltered(true);
    open(kat, m_district, "NYSKATAL.DB", "NAZEV");
    QCOMPARE(kat.recordCount(), 1);
    QCOMPARE(kat.asString("KATUZ"), QString("00103"));
    const QList<QPair<QString, int>> filters = {{"NAZEV = 'sal*'", 0},           // case-sensitive
                                                {"NAZEV = 'x'' OR 1=1 --*'", 0}, // quotes are data
                                                {"NAZEV = 'SAL%_*'", 0},         // so are % and _
                                                {"PORCIS = '000'", 2},
                                                {"KATUZ >= '00101' and KATUZ <= '00199'", 1}};
    for (const auto& [filter, count] : filters) {
        kat.setFilter(filter);
        QVERIFY2(kat.recordCount() == count, qPrintable(filter));
    }
    QTemporaryDir dir;
    Table work;
    createWork(work, dir.path());
    appendPart(work, 7, "7");
    work.post();
    QVERIFY(work.isNull("VYMERA"));
    QCOMPARE(work.asInteger("VYMERA"), 0);
    QCOMPARE(work.asFloat("CPCE"), 0.0);
    QCOMPARE(work.asString("LVCIS"), QString());
    QCOMPARE(work.asBoolean("FLAG"), false);
    work.setFilter("FLAG");
    work.setFiltered(true);
    QCOMPARE(work.recordCount(), 0);
    work.setFiltered(false);
    work.edit();
    work.setValue("VYMERA", 2.5); // half to even
    work.setValue("CPCE", 3.5);
    work.setValue("FLAG", true);
    work.post();
    QCOMPARE(work.asInteger("VYMERA"), 2);
    QCOMPARE(work.asInteger("CPCE"), 4);
    work.setFiltered(true);
    QCOMPARE(work.recordCount(), 1);
}

void TestEngine::calculatedFieldsAndModel()
{
    Table uv;
    uv.setIndexName("ELLVCIS");
    uv.addCalculatedField({"SHARE", FieldType::String, 20});
    uv.setCalcHandler([](Dataset& d) {
        const qint64 podil = d.asInteger("PODIL");
        d.setCalculatedValue("SHARE", QString("%1/%2").arg(podil / 100000).arg(podil % 100000));
    });
    open(uv, m_district, "NYSUV001.DB");
    QVERIFY(uv.findKey({3}));
    QCOMPARE(uv.asString("SHARE"), QString("1/1"));
    DatasetModel model(&uv);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 24);
    QCOMPARE(model.columnCount(), uv.fieldCount());
    model.setColumns({{"SHARE", "Podíl"}, {"ELLVCIS", "List"}});
    QCOMPARE(model.data(model.index(0, 1)).toString(), uv.rowValues(0).value(0).toString());
    uv.setRange({3}, {3});
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.data(model.index(1, 0)).toString(), QString("1/1"));
    auto* owned = new Table;
    open(*owned, m_district, "NYSKATAL.DB");
    DatasetModel orphan(owned);
    QAbstractItemModelTester orphanTester(&orphan,
                                          QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(orphan.rowCount(), 3);
    delete owned; // the grid outlives its dataset
    QCOMPARE(orphan.rowCount(), 0);
    QCOMPARE(orphan.columnCount(), 0);
}

void TestEngine::editsReachTheFileAtOnce()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("PRAC.DB");
    Table work;
    createWork(work, dir.path());
    for (int i = 1; i <= 3; ++i) {
        appendPart(work, i, QString::number(i));
        work.post();
    }
    // A duplicate key and a required field left blank are refused; the file keeps three rows.
    appendPart(work, 2, "dup");
    QVERIFY_THROWS_EXCEPTION(ETalvekException, work.post());
    work.cancel();
    work.append();
    work.setValue("PARSKUP", 2);
    QVERIFY_THROWS_EXCEPTION(ETalvekException, work.post());
    work.cancel();
    QCOMPARE(rowsInFile(file), 3);
    QCOMPARE(exec(dir.path(), "UPDATE \"PRAC.DB\" SET FLAG = FALSE"), 3);
    QCOMPARE(ParadoxReader(file).readAll()[0].value(8), QVariant(false));
    QCOMPARE(exec(dir.path(), "UPDATE \"PRAC.DB\" SET FLAG = 'T' WHERE PARCIS >= 2"), 2);
    work.refresh();
    work.setFilter("FLAG = TRUE");
    work.setFiltered(true);
    QCOMPARE(work.recordCount(), 2);
    work.first();
    work.deleteRecord();
    QCOMPARE(rowsInFile(file), 2);
    work.emptyTable();
    QCOMPARE(rowsInFile(file), 0);
    // A secondary index asked for twice is kept once.
    work.addIndex({"LVCIS", {"LVCIS"}});
    work.addIndex({"LVCIS", {"LVCIS"}});
    QCOMPARE(work.indexDefs().size(), 2);
    work.setIndexName("LVCIS");
    work.deleteTable();
    QVERIFY(!QFile::exists(file));
}

void TestEngine::changedFileIsReloaded()
{
    QTemporaryDir dir;
    const QList<ParadoxField> fields{{"KOD", ParadoxFieldType::Short, 0}};
    ParadoxWriter::writeTable(dir.filePath("CODES.DB"), fields, 1, {{1}, {2}});
    const auto count = query(dir.path(), "SELECT COUNT(*) FROM \"CODES.DB\"");
    count->open();
    QCOMPARE(count->asInteger("COUNT(*)"), 2);
    ParadoxWriter::writeTable(dir.filePath("CODES.DB"), fields, 1, {{1}, {2}, {3}});
    count->close();
    count->open();
    QCOMPARE(count->asInteger("COUNT(*)"), 3);
    // Rewritten in place to the same size with its old modification time
    // put back (a copy keeping times): the status change time tells.
    ParadoxWriter::writeTable(dir.filePath("OTHER.DB"), fields, 1, {{4}, {5}, {6}});
    struct stat before = {};
    QCOMPARE(::stat(QFile::encodeName(dir.filePath("CODES.DB")).constData(), &before), 0);
    QFile other(dir.filePath("OTHER.DB")), codes(dir.filePath("CODES.DB"));
    QVERIFY(other.open(QIODevice::ReadOnly) && codes.open(QIODevice::ReadWrite));
    const QByteArray bytes = other.readAll();
    QCOMPARE(bytes.size(), codes.size());
    codes.write(bytes);
    codes.close();
    const timespec times[2] = {before.st_atim, before.st_mtim};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(codes.fileName()).constData(), times, 0), 0);
    const auto sum = query(dir.path(), "SELECT SUM(KOD) FROM \"CODES.DB\"");
    sum->open();
    QCOMPARE(sum->asInteger("SUM(KOD)"), 15);
}

void TestEngine::aliasesAndMissingThings()
{
    EngineAliases aliases(EngineAliases::defaultFilePath());
    aliases.load();
    if (!aliases.contains("SALADIN_T"))
        aliases.addStandard("SALADIN_T", m_district);
    aliases.save();
    Table kat;
    open(kat, "saladin_t", "NYSKATAL.DB"); // alias names ignore case
    QCOMPARE(kat.recordCount(), 3);
    const auto q = query("SALADIN_T:\\", "SELECT COUNT(*) FROM \"SALADIN_T:\\NYSPA001.DB\"");
    q->open();
    QCOMPARE(q->asInteger("COUNT(*)"), 144);
    // Missing tables, aliases and fields are named.
    Table t;
    QVERIFY(TestSupport::refusal([&] { open(t, m_district, "NYSXX999.DB"); }).contains("NYSXX999"));
    QVERIFY(TestSupport::refusal([&] { open(t, "NOSUCHALIAS", "A.DB"); }).contains("NOSUCHALIAS"));
    q->setSql("SELECT NOSUCH FROM \"NYSPA001.DB\"");
    QVERIFY(TestSupport::refusal([&] { q->open(); }).contains("NOSUCH"));
    q->setSql("SELECT * FROM \"NYSPA001.DB\"");
    q->open();
    QVERIFY(TestSupport::refusal([&] { q->asInteger("X"); }).contains("X"));
}

// Alias names ignore case; a damaged file is refused naming its line.
void TestEngine::aliasNamesAndBadAliasFiles()
{
    QTemporaryDir dir;
    EngineAliases a(dir.filePath("aliases.conf"));
    a.addStandard("Bb", "/b");
    QVERIFY_THROWS_EXCEPTION(ETalvekException, a.addStandard("BB", "/y"));
    a.modify("bb", {"PATH=/bb", "LANGDRIVER=ancz"});
    QCOMPARE(a.params("BB"), QStringList({"PATH=/bb", "LANGDRIVER=ancz"}));
    QCOMPARE(a.path("bB"), QString("/bb"));
    a.remove("BB");
    QVERIFY(TestSupport::refusal([&] { a.remove("Bb"); }).contains("'Bb'"));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, a.addStandard("A]B", "/x"));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, a.add("X", "STANDARD", {"PATH"}));
    QFile f(dir.filePath("aliases.conf"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[GOOD]\nDRIVER=STANDARD\nPATH=/g\n\nPATH without equals\n");
    f.close();
    QVERIFY(TestSupport::refusal([&] { a.load(); }).contains("řádek 5"));
}

// `orv-tool alias` steps on one configuration directory. DATA stands for an
// empty directory, REAL for the sample district; output "*" is not checked,
// error output "-" must be empty. A step without arguments writes a file
// that holds one alias twice.
void TestEngine::aliasToolListsAddsRemovesAndRepairs()
{
    QTemporaryDir config;
    QTemporaryDir data;
    const QList<std::tuple<QStringList, int, QByteArray, QByteArray>> steps = {
        // A directory without a district catalogue is refused unless forced.
        {{"add", "DISTR", "DATA"}, 1, "*", ""},
        {{"add", "DISTR", "DATA", "--force"}, 0, "*", ""},
        {{"add", "NOWHERE", "DATA/missing", "--force"}, 1, "*", ""},
        {{"list"}, 0, "DISTR\tSTANDARD\tDATA\n", ""},
        {{"remove", "distr"}, 0, "*", ""},
        {{"list"}, 0, "", ""},
        {{"remove", "DISTR"}, 1, "*", ""},
        {{"add", "SALADIN", "REAL"}, 0, "*", ""},
        {{"list"}, 0, "SALADIN\tSTANDARD\tREAL\n", ""},
        // Names the alias manager refuses are refused here too, forced or not.
        {{"add", "A:B", "DATA", "--force"}, 1, "*", "A:B"},
        {{"add", "x/y", "DATA", "--force"}, 1, "*", "x/y"},
        {{"add", "a\\b", "DATA", "--force"}, 1, "*", "a\\b"},
        // Listing names the repeated line; a change of another alias is refused
        // naming it, and the file stays as it was.
        {{}, 0, "*", ""},
        {{"list"}, 0, "*", "řádek 9"},
        {{"remove", "OTHER"}, 1, "*", "řádek 9"},
        {{"add", "NEW", "DATA"}, 1, "*", "řádek 9"},
        // remove takes every section of the name, add --force replaces them with one.
        {{"remove", "DISTR"}, 0, "*", ""},
        {{"list"}, 0, "OTHER\tSTANDARD\t/o\n", "-"},
        {{}, 0, "*", ""},
        {{"add", "Distr", "DATA", "--force"}, 0, "*", ""},
        {{"list"}, 0, "OTHER\tSTANDARD\t/o\nDistr\tSTANDARD\tDATA\n", "-"}};
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ORV_CONFIG_DIR", config.path());
    const auto paths = [&](QByteArray text) {
        return text.replace("DATA", data.path().toUtf8())
            .replace("REAL", TestSupport::realDistrictDir().toUtf8());
    };
    for (const auto& [args, code, out, err] : steps) {
        if (args.isEmpty()) {
            QFile f(config.filePath("aliases.conf"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[DISTR]\nDRIVER=STANDARD\nPATH=/a\n\n[OTHER]\nDRIVER=STANDARD\nPATH=/o\n\n"
                    "[distr]\nDRIVER=STANDARD\nPATH=/b\n");
            continue;
        }
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(TestSupport::orvToolPath(),
                QString::fromUtf8(paths(("alias\n" + args.join('\n')).toUtf8())).split('\n'));
        p.waitForFinished(30000);
        const QByteArray errors = p.readAllStandardError();
        const QString step = args.join(' ') + ": " + errors;
        QVERIFY2(p.exitCode() == code, qPrintable(step));
        QVERIFY2(out == "*" || p.readAllStandardOutput() == paths(out), qPrintable(step));
        QVERIFY2(err == "-" ? errors.isEmpty() : errors.contains(err), qPrintable(step));
    }
}

// Copies of registry and code tables, an own table and links to both.
void TestEngine::fillGuardedDir(const QString& dir)
{
    for (const char* name : {"NYSPA001.DB", "NYSKATAL.DB", "NYSVL001.DB"})
        QVERIFY(QFile::copy(m_district + '/' + name, dir + '/' + name));
    for (const char* name : {"DRUHPOZ.DB", "OCHRNEM2.DB", "OCHRNEM3.DB"})
        QVERIFY(QFile::copy(TestSupport::realWorkDbDir() + '/' + name, dir + '/' + name));
    for (const QString& f : QDir(dir).entryList(QDir::Files))
        QFile::setPermissions(dir + '/' + f, QFile::ReadOwner | QFile::WriteOwner);
    Table own;
    createWork(own, dir, "OWN.DB");
    QVERIFY(QFile::link(dir + "/NYSVL001.DB", dir + "/PRAC.DB"));
    QVERIFY(QFile::link(dir + "/OWN.DB", dir + "/LINK.DB"));
    QVERIFY(QFile::link(dir, dir + "/sub"));
}

QMap<QString, QByteArray> TestEngine::snapshot(const QString& dir)
{
    QMap<QString, QByteArray> files;
    for (const QFileInfo& f : QDir(dir).entryInfoList(QDir::Files | QDir::System | QDir::Hidden))
        files.insert(f.fileName(), f.symLinkTarget().toUtf8() + '|' + bytes(f.filePath()));
    return files;
}

void TestEngine::registryAndLinksAreNotWritten_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("named"); // the message names the table
    const auto row = [](const char* name, const QString& sql, const QString& named) {
        QTest::newRow(name) << sql << named;
    };
    row("update parcels", "UPDATE \"NYSPA001.DB\" SET VYMERA = 0", "NYSPA001.DB");
    row("delete nothing", "DELETE FROM nyskatal.db WHERE PORCIS = 'x'", "nyskatal.db");
    row("code table", "INSERT INTO \"DRUHPOZ.DB\" (CIS) VALUES (99)", "DRUHPOZ.DB");
    // The protection code tables 2 and 3 were missing from the guard's list.
    row("protection codes 2", "DELETE FROM OCHRNEM2", "OCHRNEM2.DB");
    row("protection codes 3", "UPDATE ochrnem3 SET TEXT = 'x'", "OCHRNEM3.DB");
    // SQLite runs the first of two statements and drops the second unseen.
    const QString one = "Lze provést jen jeden příkaz SQL.";
    row("second statement", "UPDATE \"OWN.DB\" SET LVCIS = 6; DELETE FROM \"OWN.DB\"", one);
    row("two semicolons", "UPDATE \"OWN.DB\" SET LVCIS = 6;;", one);
    row("create registry", "CREATE TABLE \"NYSUV002.DB\" (A CHAR(5))", "NYSUV002.DB");
    row("link to registry", "DELETE FROM \"PRAC.DB\"", "PRAC.DB");
    row("link to own table", "UPDATE \"LINK.DB\" SET FLAG = FALSE", "LINK.DB");
    row("linked directory", "DELETE FROM \"sub/OWN.DB\"", "sub/OWN.DB");
    row("up and back", "DELETE FROM \"../DIR/OWN.DB\"", "../DIR/OWN.DB");
}

void TestEngine::registryAndLinksAreNotWritten()
{
    QFETCH(QString, sql);
    QFETCH(QString, named);
    QTemporaryDir dir;
    sql.replace("DIR", QFileInfo(dir.path()).fileName());
    named.replace("DIR", QFileInfo(dir.path()).fileName());
    fillGuardedDir(dir.path());
    const QMap<QString, QByteArray> before = snapshot(dir.path());
    const QString message = TestSupport::refusal([&] { exec(dir.path(), sql); });
    QVERIFY2(message.contains(named, Qt::CaseInsensitive), qPrintable(message));
    QCOMPARE(snapshot(dir.path()), before); // nothing written, no .PX added
}

// Every table that the demo generator and the VFK import write is a registry
// or code table of the guard's list (or ORV's own user texts), so that no
// code table can be left out of the guard again.
void TestEngine::registryListCoversWrittenTables()
{
    QTemporaryDir dir;
    const QString gen = dir.filePath("gen"), vfk = dir.filePath("vfk"), work = dir.filePath("work");
    QVERIFY(QDir().mkpath(work));
    for (const QStringList& args :
         {QStringList{"gen", "--out", gen}, QStringList{"import", ORV_SAMPLES_DIR "/vfk/789160.vfk",
                                                        "--out", vfk, "--workdb", work}}) {
        QProcess tool;
        tool.start(TestSupport::orvToolPath(), args);
        QVERIFY(tool.waitForFinished(120000));
        QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
    }
    QStringList tables;
    for (const QString& d : {gen, gen + "/WorkDB", vfk, work})
        for (const QString& name : QDir(d).entryList({"*.DB", "*.db"}, QDir::Files))
            tables << name;
    QVERIFY(tables.size() > 30);
    for (const QString& name : tables)
        QVERIFY2(TableWriteGuard::isRegistryTable(name) ||
                     RegistryTableNames::IsUserTextTable(name),
                 qPrintable(name));
    QCOMPARE(TableWriteGuard::isRegistryTable("ORVTX001.DB"), false); // the engine writes it
}

void TestEngine::datasetsRefuseRegistryAndLinks()
{
    QTemporaryDir dir;
    fillGuardedDir(dir.path());
    const QMap<QString, QByteArray> before = snapshot(dir.path());
    Table parcels;
    open(parcels, dir.path(), "NYSPA001.DB");
    QVERIFY_THROWS_EXCEPTION(ETalvekException, parcels.edit());
    QVERIFY_THROWS_EXCEPTION(ETalvekException, parcels.append());
    QVERIFY_THROWS_EXCEPTION(ETalvekException, parcels.emptyTable());
    QTemporaryDir other;
    Table linked;
    createWork(linked, other.path(), "ANY.DB");
    Table work;
    work.setDatabaseName(dir.path());
    work.setTableName("LINK.DB");
    for (Table* target : {&parcels, &work})
        QVERIFY(TestSupport::refusal([&] {
                    BatchMove::execute(linked, *target, BatchMove::Mode::Append);
                }).contains(target->tableName()));
    QCOMPARE(snapshot(dir.path()), before);

    // The dBASE writer's temporary file is created anew, never through a link.
    QFile victim(dir.filePath("victim.txt"));
    QVERIFY(victim.open(QIODevice::WriteOnly) && victim.write("keep") == 4);
    victim.close();
    const QString temp =
        dir.filePath(QString(".orvtmp-%1-export.dbf").arg(QCoreApplication::applicationPid()));
    QVERIFY(QFile::link(victim.fileName(), temp));
    exec(dir.path(), "CREATE TABLE \"export.dbf\" (PARCISLO CHAR(12))");
    QVERIFY_THROWS_EXCEPTION(ETalvekException, // exists already
                             exec(dir.path(), "CREATE TABLE \"export.dbf\" (A CHAR(1))"));
    QCOMPARE(bytes(victim.fileName()), QByteArray("keep"));
    QVERIFY(!QFileInfo(dir.filePath("export.dbf")).isSymLink());
}

// A table of parcels with an area and a text, keyed by group and stem or without a key.
void TestEngine::fill(Table& t, const QString& dir, const QString& name, bool keyed,
                      const QList<QVariantList>& rows)
{
    create(t, dir, name,
           {{"PARSKUP", FieldType::SmallInt},
            {"PARCIS", FieldType::Integer},
            {"VYMERA", FieldType::Float},
            {"PARCISLO", FieldType::String, 40},
            {"FLAG", FieldType::Boolean}},
           keyed ? QList<IndexDef>{{"KEY", {"PARSKUP", "PARCIS"}, true, true}} : QList<IndexDef>{});
    for (const QVariantList& row : rows) {
        t.append();
        for (int i = 0; i < row.size(); ++i)
            t.setValue(QStringList{"PARSKUP", "PARCIS", "VYMERA", "PARCISLO"}[i], row[i]);
        t.post();
    }
}

void TestEngine::batchAppendSkipsExistingKeysAndConverts()
{
    QTemporaryDir dir;
    Table source;
    fill(source, dir.path(), "SRC.DB", false,
         {{2, 1, 2.5, "first"}, {2, 2, 3.5, "a text much longer than twelve"}, {2, 1, 9, "again"}});
    Table work;
    create(work, dir.path(), "PRAC.DB",
           {{"PARSKUP", FieldType::SmallInt},
            {"PARCIS", FieldType::Integer},
            {"VYMERA", FieldType::Integer},
            {"PARCISLO", FieldType::String, 12},
            {"LVCIS", FieldType::Integer}},
           {{"PCDIL", {"PARSKUP", "PARCIS"}, true, true}});
    QCOMPARE(BatchMove::execute(source, work, BatchMove::Mode::Append), 2);
    // The file holds what the table shows: 2.5 to even, the first of a repeated
    // key, a field not in the source blank, text cut to the field.
    QCOMPARE(ParadoxReader(dir.filePath("PRAC.DB")).readAll(),
             (QList<QVariantList>{{2, 1, 2, "first", QVariant()},
                                  {2, 2, 4, "a text much ", QVariant()}}));
    // Append-update keeps the values of fields the source does not have.
    QVERIFY(work.findKey({2, 1}));
    work.edit();
    work.setValue("LVCIS", 153);
    work.post();
    QCOMPARE(BatchMove::execute(source, work, BatchMove::Mode::AppendUpdate), 3);
    QVERIFY(work.findKey({2, 1}));
    QCOMPARE(work.asInteger("LVCIS"), 153);
    QCOMPARE(work.asString("PARCISLO"), QString("again"));
}

void TestEngine::batchUpdateAndDeleteMatchOnKey()
{
    QTemporaryDir dir;
    Table work;
    fill(work, dir.path(), "PRAC.DB", true, {{2, 1, 10, "a"}, {2, 2, 20, "b"}, {1, 2, 30, "c"}});
    Table update;
    fill(update, dir.path(), "UPD.DB", false,
         {{2, 2, 21, "b2"}, {2, 3, 31, "d"}, {2, 2, 22, "b3"}});
    QCOMPARE(BatchMove::execute(update, work, BatchMove::Mode::AppendUpdate), 3);
    QCOMPARE(work.recordCount(), 4);
    QVERIFY(work.findKey({2, 2}));
    QCOMPARE(work.asString("PARCISLO"), QString("b3")); // a repeated key: the last row wins
    // Delete matches the key only: other values do not matter.
    Table remove;
    fill(remove, dir.path(), "DEL.DB", false, {{2, 1, 999, "zzz"}, {5, 5, 0, "absent"}});
    QCOMPARE(BatchMove::execute(remove, work, BatchMove::Mode::Delete), 1);
    QVERIFY(!work.findKey({2, 1}));
    QCOMPARE(rowsInFile(dir.filePath("PRAC.DB")), 3);
    // A filtered source moves only the rows in view.
    work.setFilter("PARSKUP = 1");
    work.setFiltered(true);
    Table copy;
    fill(copy, dir.path(), "COPY.DB", true, {});
    QCOMPARE(BatchMove::execute(work, copy, BatchMove::Mode::Append), 1);
    QVERIFY(copy.findKey({1, 2}));
    copy.setReadOnly(true);
    QVERIFY_THROWS_EXCEPTION(ETalvekException,
                             BatchMove::execute(work, copy, BatchMove::Mode::Append));
    // Without a key, append-update appends everything and delete is refused.
    Table loose;
    fill(loose, dir.path(), "LOOSE.DB", false, {});
    QCOMPARE(BatchMove::execute(update, loose, BatchMove::Mode::AppendUpdate), 3);
    QVERIFY(TestSupport::refusal([&] {
                BatchMove::execute(update, loose, BatchMove::Mode::Delete);
            }).contains("LOOSE.DB"));
}

void TestEngine::failedBatchOrPostChangesNothing()
{
    QTemporaryDir dir;
    const QString sub = dir.filePath("work");
    QDir().mkpath(sub);
    Table work;
    fill(work, sub, "PRAC.DB", true, {{2, 1, 10, "a"}});
    Table source;
    fill(source, dir.path(), "SRC.DB", false, {{2, 2, 20, "b"}, {2, 3, 30, "c"}});
    // The work directory disappears: the file cannot be written back, and the
    // engine's copy is rolled back as well.
    QVERIFY(QDir(sub).removeRecursively());
    const auto engineRows = [&] {
        SqliteStatement rows(Engine::instance().db().handle(),
                             "SELECT COUNT(*), SUM(VYMERA) FROM \"" + work.sqlTableName() + "\"");
        rows.step();
        return QString("%1 %2").arg(rows.int64(0)).arg(rows.real(1));
    };
    QVERIFY_THROWS_EXCEPTION(ETalvekException,
                             BatchMove::execute(source, work, BatchMove::Mode::Append));
    QCOMPARE(engineRows(), QString("1 10"));
    work.edit();
    work.setValue("VYMERA", 11);
    QVERIFY_THROWS_EXCEPTION(ETalvekException, work.post());
    work.cancel();
    QCOMPARE(engineRows(), QString("1 10"));
}

// Field names holding "%1"-like text survive every statement the engine builds.
void TestEngine::fieldNamesWithPercentSigns()
{
    QTemporaryDir dir;
    const QList<FieldDef> fields = {{"K%2", FieldType::Integer}, {"A%1", FieldType::String, 8}};
    Table t;
    create(t, dir.path(), "P.DB", fields, {{"K", {"K%2"}, true, true}});
    t.append();
    t.setValue("K%2", 1);
    t.setValue("A%1", "first");
    t.post();
    t.edit();
    t.setValue("A%1", "second");
    t.post();
    Table copy;
    create(copy, dir.path(), "C.DB", fields);
    QCOMPARE(BatchMove::execute(t, copy, BatchMove::Mode::Append), 1);
    const auto back = query(dir.path(), "SELECT * FROM \"C.DB\"");
    back->open();
    QCOMPARE(back->asString("A%1"), QString("second"));
}

void TestEngine::numbersOutOfRange_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("bySql");
    const auto row = [](const char* name, const char* file, const char* field, double value,
                        bool bySql) { QTest::newRow(name) << file << field << value << bySql; };
    row("short", "N.DB", "MALE", 40000.0, false);
    row("long, huge", "N.DB", "CELE", 1e300, false);
    row("long, negative", "N.DB", "CELE", -3e9, false);
    row("bcd digits", "N.DB", "DESETINY", 1e31, false);
    row("statement into short", "N.DB", "MALE", 1e300, true);
    row("dBASE integer", "N.dbf", "CELE", 1e300, false);
    row("dBASE number width", "N.dbf", "CISLO", 1e12, false);
    row("dBASE statement", "N.dbf", "CISLO", -1e300, true);
}

void TestEngine::numbersOutOfRange()
{
    QFETCH(QString, file);
    QFETCH(QString, field);
    QFETCH(double, value);
    QFETCH(bool, bySql);
    QTemporaryDir dir;
    Table t;
    create(t, dir.path(), file,
           {{"MALE", FieldType::SmallInt},
            {"CELE", FieldType::Integer},
            {"CISLO", FieldType::Float, 9},
            {"DESETINY", FieldType::Bcd, 0, false, 2}});
    t.append();
    t.setValue("MALE", 1);
    t.post();
    const QByteArray before = bytes(dir.filePath(file));
    const QString message = TestSupport::refusal([&] {
        if (bySql) {
            exec(dir.path(), QString("UPDATE \"%1\" SET %2 = %3")
                                 .arg(file, field, QString::number(value, 'f', 0)));
            return;
        }
        t.edit();
        t.setValue(field, value);
        t.post();
    });
    QVERIFY2(message.contains(field), qPrintable(message));
    t.cancel();
    QCOMPARE(bytes(dir.filePath(file)), before); // nothing written, nothing wrapped
    t.refresh();
    QCOMPARE(t.asInteger("MALE"), 1);
}

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
