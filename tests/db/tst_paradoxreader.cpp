// Reading real Paradox files written by other software, the real cadastral
// sample district, and damaged files.
#include "common/TestSupport.h"
#include "base/ETalvekException.h"
#include "db/paradox/CodePage.h"
#include "db/paradox/ParadoxCsv.h"
#include "db/Table.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {
ParadoxReader sample(const QString& name)
{
    return ParadoxReader(TestSupport::paradoxSample(name));
}

QString real(const QString& name)
{
    return TestSupport::realDistrictDir() + QLatin1Char('/') + name;
}

struct ToolRun
{
    int code = -1;
    QByteArray out;
    QString err;
};

ToolRun runTool(const QStringList& args)
{
    QProcess tool;
    tool.start(TestSupport::orvToolPath(), args);
    tool.waitForFinished(10000);
    return {tool.exitCode(), tool.readAllStandardOutput(),
            QString::fromUtf8(tool.readAllStandardError())};
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void putLe(QByteArray& b, int offset, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        b[offset + i] = char((value >> (8 * i)) & 0xFF);
}

QByteArray readEverything(const ParadoxReader& reader)
{
    QByteArray all;
    QByteArray line;
    reader.forEachRecord([&](const ParadoxRecord& r) {
        ParadoxCsv::recordLine(reader.header(), r, line);
        all += line;
    });
    reader.readAll();
    return all;
}

// The error message of opening and reading the table, or an empty string.
QString errorOf(const QString& path)
{
    return TestSupport::refusal([&] {
        const ParadoxReader reader(path);
        readEverything(reader);
        reader.primaryIndex();
    });
}

// A keyed table of several blocks with memos in the .MB.
QString writeSampleTable(const QString& dir)
{
    const QString path = dir + QStringLiteral("/SAMPLE.DB");
    QList<QVariantList> rows;
    for (int i = 0; i < 200; ++i)
        rows << QVariantList{i, QStringLiteral("řádek %1").arg(i),
                             QString(i % 3 == 0 ? 3000 : 100, QChar(u'ž'))};
    ParadoxWriter::writeTable(path,
                              {{"ID", ParadoxFieldType::Long, 0},
                               {"NAZEV", ParadoxFieldType::Alpha, 30},
                               {"TEXT", ParadoxFieldType::Memo, 11}},
                              1, rows);
    return path;
}

constexpr int HeaderSize = 2048;
constexpr int FirstRecord = HeaderSize + 6;
} // namespace

class TestParadoxReader : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void headersOfSamples_data();
    void headersOfSamples();
    void valuesOfSamples_data();
    void valuesOfSamples();
    void bcdText();
    void bcdPresentBit_data();
    void bcdPresentBit();
    void codePageFromSortOrder_data();
    void codePageFromSortOrder();
    void memosAndBlobs();
    void version3TablesAndCodePages();
    void primaryIndexOfSamples();
    void missingMemoFileIsReportedWhenNeeded();
    void tableWithoutItsMemoFileIsNotWritten();
    void csvCells();
    void dumpCommand_data();
    void dumpCommand();
    void schemaCommand();
    // Damaged files: every kind of bad input gives ETalvekException naming the
    // file and the problem, never a crash, a hang or wrong data.
    void damageIsReported_data();
    void damageIsReported();
    void boundedInput();
    void truncationNeverGivesPartialData();
    void randomByteDamage();
    void corpusReadsOrFailsCleanly();

private:
    QTemporaryDir m_dir;
    QString m_table;
    QByteArray m_db;
    QByteArray m_mb;
};

void TestParadoxReader::headersOfSamples_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("fileType");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("keyFields");
    QTest::addColumn<QString>("fields");
    QTest::newRow("country") << "country.db" << 40 << 0 << 850 << 18 << 1
                             << "Name,Capital,Continent,Area,Population";
    QTest::newRow("areacodes") << "db_AREACODES.DB" << 70 << 0 << 1252 << 370 << 1
                               << "AC,State,Cities";
    QTest::newRow("customer") << "db_CUSTOMER.DB" << 70 << 0 << 1252 << 20 << 1
                              << "CustNo,FirstName,LastName,EMail,Street,City,State/Prov,"
                                 "Zip/Postal Code,Comments,DateEntered";
    QTest::newRow("general") << "db_GENERAL.DB" << 50 << 0 << 936 << 3 << 1 << "ID,NAME,MONEYS";
    QTest::newRow("states v3") << "areas_STATES.DB" << 30 << 0 << 0 << 53 << 1
                               << "Abv,State,Zip From,Zip To";
    QTest::newRow("taxrate v3") << "mtdemo_TAXRATE.DB" << 30 << 0 << 0 << 9 << 2
                                << "Store State,Customer State,Sales Tax Rate";
    QTest::newRow("pcl v3")
        << "PCLDATA_PCL.DB" << 30 << 2 << 0 << 161 << 0
        << "Command Type,Command Sub-type,Function,Parameter,Command,Notes,TJ,"
           "Rugged Writer,256x,LJ,DJ,LJ II,LJ IIP,LJ IID,LJ III,PCL Level,Support";
    QTest::newRow("date35") << "fields_date35.db" << 35 << 2 << 0 << 3 << 0 << "DATE";
    QTest::newRow("empty") << "empty.db" << 70 << 2 << 1252 << 0 << 0
                           << "ID,ScientificName,CommonName,Order,Genus,Notes,Picture";
}

void TestParadoxReader::headersOfSamples()
{
    QFETCH(QString, file);
    const ParadoxReader reader = sample(file);
    const ParadoxHeader& h = reader.header();
    QTEST(h.version, "version");
    QTEST(h.fileType, "fileType");
    QTEST(h.codePage, "codePage");
    QTEST(int(h.recordCount), "records");
    QTEST(h.keyFieldCount, "keyFields");
    QStringList names;
    for (const ParadoxField& f : h.fields)
        names << f.name;
    QTEST(names.join(QLatin1Char(',')), "fields");
    QCOMPARE(reader.readAll().size(), int(h.recordCount));
}

// One cell of a sample table as readAll() gives it, decoded text and memos
// (the raw values of the samples are compared with pxlib in tst_paradoxwriter,
// the cells of the smaller ones through their dump).
void TestParadoxReader::valuesOfSamples_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QVariant>("expected");
    const auto cell = [](const QString& file, int row, int column, const QVariant& value) {
        QTest::addRow("%s %d,%d", qPrintable(file), row, column)
            << TestSupport::paradoxSample(file) << row << column << value;
    };
    // A memo in a suballocated block (pointer-array entry 0x3F), one in the record's leader.
    cell("fields_memo.db", 0, 1, (QString("01234567890").repeated(10) + '\n').repeated(5));
    cell("fields_memo.db", 1, 1, "01234567890\n");
    cell("PCLDATA_PCL.DB", 0, 3, "Begin Subscript");
    // Code page 936 has no table: ASCII text still reads.
    cell("db_GENERAL.DB", 0, 1, "Mari");
    cell("db_CUSTOMER.DB", 0, 8, "Small comment (less 100 symbols)");
}

void TestParadoxReader::valuesOfSamples()
{
    QFETCH(QString, path);
    QFETCH(int, row);
    QFETCH(int, column);
    QTEST(ParadoxReader(path).readAll().value(row).value(column), "expected");
}

// BCD as text; column C holds garbage nibbles after the digits of 0.123. Row 3
// holds c2 00..00 in A (the number 0) and 00 00..00 in B (a blank).
void TestParadoxReader::bcdText()
{
    const ParadoxReader bcd = sample("fields_bcd.db");
    QStringList texts;
    bcd.forEachRecord([&](const ParadoxRecord& r) {
        texts << r.toBcdText(0) + QLatin1Char('|') + r.toBcdText(1);
    });
    QCOMPARE(texts, (QStringList{"1.23|1", "-1.23|-1", "0|"}));
    const QList<QVariantList> rows = bcd.readAll();
    QCOMPARE(qRound(rows[0][2].toDouble() * 1000), 123);
    QCOMPARE(qRound(rows[1][2].toDouble() * 1000), -123);
    QCOMPARE(rows[2][0], QVariant(0.0));
    QCOMPARE(rows[2][1], QVariant());
}

// The "value present" bit (0x40 of the first byte) alone tells a BCD blank
// from a number: the cell A of row 3 of fields_bcd.db rewritten.
void TestParadoxReader::bcdPresentBit_data()
{
    QTest::addColumn<QByteArray>("cell");
    QTest::addColumn<QVariant>("value");
    const QByteArray zeros(16, '\0');
    QTest::newRow("c2 00..00 zero with 2 decimals") << "\xC2" + zeros << QVariant(0.0);
    QTest::newRow("c6 00..00 zero of a German table") << "\xC6" + zeros << QVariant(0.0);
    QTest::newRow("40 ff..ff negative zero") << "\x40" + QByteArray(16, '\xFF') << QVariant(0.0);
    QTest::newRow("00 00..00 blank") << QByteArray(17, '\0') << QVariant();
    QTest::newRow("82 00..00 sign without the present bit") << "\x82" + zeros << QVariant();
}

void TestParadoxReader::bcdPresentBit()
{
    QFETCH(QByteArray, cell);
    QByteArray db = readFile(TestSupport::paradoxSample("fields_bcd.db"));
    db.replace(FirstRecord + 2 * 51, 17, cell); // records of three 17-byte cells
    const ParadoxReader reader = ParadoxReader::fromBytes(db, {}, "bcd.db");
    QTEST(reader.readAll()[2][0], "value");
}

// Tables whose code-page field is 0 name their page by the sort order: the
// identifier after the field numbers, else an unshared sort-order byte.
void TestParadoxReader::codePageFromSortOrder_data()
{
    QTest::addColumn<QByteArray>("db");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QString>("text");
    // db_ROMAN8.db: "BLROM800" (HP Roman-8) at 0xD5, bytes eb f8 be f4.
    QTest::newRow("Roman-8 sample")
        << readFile(TestSupport::paradoxSample("db_ROMAN8.db")) << 1051 << QStringLiteral("Š½ƒ¶");
    // A table of ours with code page 0: the byte 0xC0 is the Russian DOS sort
    // order; its identifier is ORV's byte-order "ascii", which names no page.
    QTemporaryDir dir;
    ParadoxWriter::writeTable(dir.filePath("R.DB"), {{"A", ParadoxFieldType::Alpha, 4}}, 0,
                              {{"xxxx"}});
    QByteArray russian = readFile(dir.filePath("R.DB"));
    putLe(russian, 0x6A, 0, 2);
    russian.replace(russian.indexOf("xxxx", HeaderSize), 4, "\x8F\xE0\xA8\xA2");
    QByteArray unnamed = russian;
    russian[0x29] = char(0xC0);
    QTest::newRow("Russian sort order byte") << russian << 866 << QStringLiteral("Прив");
    QTest::newRow("no sort order: Czech DOS") << unnamed << 852 << QStringLiteral("ĆÓĘó");
    QByteArray named = russian;
    named.replace(named.indexOf("ascii"), 5, "czech"); // the name wins over the byte
    QTest::newRow("sort order named czech") << named << 852 << QStringLiteral("ĆÓĘó");
}

void TestParadoxReader::codePageFromSortOrder()
{
    QFETCH(QByteArray, db);
    const ParadoxReader reader = ParadoxReader::fromBytes(db, {}, "cp0.db");
    QCOMPARE(reader.header().codePage, 0);
    QTEST(reader.header().textCodePage, "codePage");
    QTEST(reader.readAll()[0][0].toString(), "text");
}

void TestParadoxReader::memosAndBlobs()
{
    const QString comment = sample("db_CUSTOMER.DB").readAll()[1][8].toString();
    QVERIFY(comment.contains(QStringLiteral("If you define a memo field as M40")));
    QVERIFY(sample("db_HERCULES.DB").readAll()[0][1].toString().startsWith("<TABLE BORDER=2>"));
    const QVariant formatted = sample("fields_fmemo.db").readAll()[0][1];
    QVERIFY(formatted.typeId() == QMetaType::QByteArray &&
            formatted.toByteArray().contains("Arial"));
    // A graphic blob skips its prefix: the bitmap header states the file size exactly.
    const QByteArray image = sample("fields_graphic240.db").readAll()[0][1].toByteArray();
    QVERIFY(image.startsWith("BM"));
    const quint32 declared = quint8(image[2]) | quint8(image[3]) << 8 | quint8(image[4]) << 16;
    QCOMPARE(quint32(image.size()), declared);
    QCOMPARE(image.size(), 20078);
    QCOMPARE(sample("empty.db").header().fields[6].type, ParadoxFieldType::Graphic);

    // File names match without regard to case, the .MB's too.
    QTemporaryDir dir;
    QVERIFY(QFile::copy(real("NYSKATAL.DB"), dir.filePath("nyskatal.db")));
    QCOMPARE(ParadoxFiles::resolveCaseInsensitive(dir.path(), "Nyskatal.Db"),
             dir.filePath("nyskatal.db"));
    QVERIFY(ParadoxFiles::resolveCaseInsensitive(dir.path(), "NYSKATAL.MB").isEmpty());
    QVERIFY(QFile::copy(TestSupport::paradoxSample("fields_memo.db"), dir.filePath("MEMO.DB")));
    QVERIFY(QFile::copy(TestSupport::paradoxSample("fields_memo.mb"), dir.filePath("memo.Mb")));
    QCOMPARE(ParadoxReader(dir.filePath("MEMO.DB")).readAll()[0][1].toString().size(), 555);
}

void TestParadoxReader::version3TablesAndCodePages()
{
    // Version 3 files have no code page: text reads as Czech DOS (852) unless asked.
    QCOMPARE(sample("PCLDATA_PCL.DB").header().textCodePage, 852);
    const ParadoxReader us(TestSupport::paradoxSample("PCLDATA_PCL.DB"), ParadoxReadOptions{437});
    QCOMPARE(us.header().textCodePage, 437);
    QCOMPARE(us.readAll(), sample("PCLDATA_PCL.DB").readAll()); // ASCII text reads the same
    QVERIFY_THROWS_EXCEPTION(ETalvekException, CodePage::require(936));

    const QList<std::tuple<int, int, QChar>> letters = {
        {1250, 0xC8, u'Č'}, {852, 0xAC, u'Č'}, {852, 0xFD, u'ř'},  {437, 0x82, u'é'},
        {850, 0x90, u'É'},  {866, 0x80, u'А'}, {1252, 0x80, u'€'}, {1051, 0xEB, u'Š'}};
    for (const auto& [number, byte, letter] : letters)
        QCOMPARE(CodePage::require(number).toUnicode(quint8(byte)), letter);
    QByteArray out;
    qsizetype bad = -1;
    QVERIFY(!CodePage::require(1250).encode(QStringLiteral("ok ☺"), out, &bad));
    QCOMPARE(bad, 3);
    // Every byte of every page survives a round trip, the UTF-8 fast path decodes
    // alike, and each Czech letter has its byte in the Czech pages.
    QByteArray all(255, '\0');
    for (int b = 1; b < 256; ++b)
        all[b - 1] = char(b);
    const QString czech = QStringLiteral("áčďéěíňóřšťúůýž ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ");
    for (int number : {437, 850, 852, 866, 1250, 1252, 1051}) {
        const CodePage& page = CodePage::require(number);
        QByteArray back;
        QVERIFY(page.encode(page.decode(all.constData(), all.size()), back));
        QCOMPARE(back, all);
        page.decodeToUtf8(all.constData(), all.size(), back);
        QCOMPARE(back, page.decode(all.constData(), all.size()).toUtf8());
        QCOMPARE(page.encode(czech, back), number == 852 || number == 1250);
    }
}

void TestParadoxReader::primaryIndexOfSamples()
{
    const ParadoxReader areas = sample("db_AREACODES.DB");
    int total = 0;
    for (const ParadoxReader::IndexEntry& e : areas.primaryIndex())
        total += e.recordCount;
    QCOMPARE(total, 370);
    QCOMPARE(areas.primaryIndex()[0].key[0], areas.readAll()[0][0]);
}

void TestParadoxReader::missingMemoFileIsReportedWhenNeeded()
{
    // MEMBRE.DB comes without its .MB: the table reads, the cells kept in the
    // .MB are blank and one warning names the missing file.
    const ParadoxReader membre = sample("MEMBRE.DB");
    QCOMPARE(membre.header().fields.size(), 92);
    QCOMPARE(membre.header().headerSize, 4096);
    QCOMPARE(membre.missingMemoFile(), TestSupport::paradoxSample("MEMBRE.MB"));
    QVERIFY(membre.warning().contains(membre.missingMemoFile()));
    const int memo = membre.fieldIndex(QStringLiteral("memo"));
    const int photo = membre.fieldIndex(QStringLiteral("photo"));
    int rows = 0;
    membre.forEachRecord([&](const ParadoxRecord& r) {
        QVERIFY(!r.toString(membre.fieldIndex(QStringLiteral("Nom"))).isEmpty());
        QVERIFY(r.isBlank(memo) && r.isBlank(photo) && r.toString(memo).isEmpty());
        QVERIFY(r.toBytes(photo).isEmpty() && !r.value(memo).isValid());
        ++rows;
    });
    QCOMPARE(rows, 6);
    const ToolRun dump = runTool({"dump", TestSupport::paradoxSample("MEMBRE.DB")});
    QCOMPARE(dump.code, 0);
    QCOMPARE(dump.err.count(QStringLiteral("MEMBRE.MB")), 1);
    QCOMPARE(dump.out.count("\r\n"), 7);

    // Without its .MB, a memo that fits the record keeps its value.
    QTemporaryDir dir;
    QVERIFY(QFile::copy(TestSupport::paradoxSample("fields_memo.db"), dir.filePath("m.db")));
    const ParadoxReader cut(dir.filePath("m.db"));
    QCOMPARE(cut.missingMemoFile(), dir.filePath("m.mb"));
    QCOMPARE(cut.readAll()[0][1], QVariant()); // was in the .MB
    QCOMPARE(cut.readAll()[1][1], QVariant("01234567890\n"));
}

void TestParadoxReader::tableWithoutItsMemoFileIsNotWritten()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("MEMBRE.DB");
    QVERIFY(QFile::copy(TestSupport::paradoxSample("MEMBRE.DB"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray before = readFile(path);
    Table members;
    members.setDatabaseName(dir.path());
    members.setTableName("MEMBRE.DB");
    members.open();
    QCOMPARE(members.recordCount(), 6);
    members.edit();
    members.setValue("Nom", "X");
    const QString message = TestSupport::refusal([&] { members.post(); });
    QVERIFY2(message.contains(dir.filePath("MEMBRE.MB")), qPrintable(message));
    members.cancel();
    QCOMPARE(readFile(path), before);
}

void TestParadoxReader::csvCells()
{
    QCOMPARE(ParadoxCsv::formatDouble(12345), QByteArray("12345"));
    QCOMPARE(ParadoxCsv::formatDouble(0.5), QByteArray("0.5"));
    QCOMPARE(ParadoxCsv::formatDouble(-0.0), QByteArray("0"));
    QCOMPARE(ParadoxCsv::formatDouble(0.1 + 0.2), QByteArray("0.30000000000000004"));
    QCOMPARE(ParadoxCsv::formatDouble(-2.5e-9), QByteArray("-2.5e-09"));
    QCOMPARE(ParadoxCsv::formatDouble(1e300).toDouble(), 1e300);
    QByteArray line;
    ParadoxCsv::appendQuoted(line, "a,\"b\"");
    QCOMPARE(line, QByteArray("\"a,\"\"b\"\"\""));
}

void TestParadoxReader::dumpCommand_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("csv");
    QTest::newRow("catalogue") << real("NYSKATAL.DB")
                               << QByteArray("KATUZ,IDENTCIS,PORCIS,NAZEV\r\n00000,003306,000,"
                                             "PRACHATICE\r\n00100,550680,000,ZÁBLATÍ\r\n00103,"
                                             "789160,001,SALADÍN\r\n");
    const auto dump = [](const char* file, const char* csv) {
        QTest::newRow(file) << TestSupport::paradoxSample(file) << QByteArray(csv);
    };
    for (const char* file : {"fields_date35.db", "fields_date4.db"})
        dump(file, "DATE\r\n2018-01-01\r\n2018-02-01\r\n2018-01-02\r\n");
    dump("fields_date5.db", "DATE,TIME\r\n2018-01-01,10:00:00\r\n2018-02-01,10:30:00\r\n"
                            "2018-01-02,09:25:25\r\n");
    dump("fields_logical.db", "BOOL\r\ntrue\r\nfalse\r\ntrue\r\ntrue\r\n");
    dump("fields_long.db", "Id,LONG\r\n1,1\r\n2,2\r\n3,\r\n"); // a blank, not the sentinel
    // One column: a blank record is "" so that CSV readers keep the line.
    dump("fields_time.db", "Time\r\n01:00:01\r\n\"\"\r\n03:00:03\r\n");
    dump("fields_timestamp.db", "Timestamp\r\n\"\"\r\n2020-02-01T01:00:01\r\n");
}

void TestParadoxReader::dumpCommand()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, csv);
    const ToolRun dump = runTool({"dump", path});
    QCOMPARE(dump.code, 0);
    QCOMPARE(dump.out, csv);
}

void TestParadoxReader::schemaCommand()
{
    const QString schema = QString::fromUtf8(runTool({"schema", real("NYSPA001.DB")}).out);
    for (const char* line : {"verze: 7.0", "kódová stránka: 1250", "záznamů: 144",
                             "  1 PARSKUP Short 2 klíč", "  19 PARCISLO Alpha 12\n"})
        QVERIFY2(schema.contains(QString::fromUtf8(line)), line);
}

void TestParadoxReader::initTestCase()
{
    m_table = writeSampleTable(m_dir.path());
    m_db = readFile(m_table);
    m_mb = readFile(m_dir.filePath("SAMPLE.MB"));
    QVERIFY(errorOf(m_table).isEmpty());
    QVERIFY(quint16(quint8(m_db[0x0C]) | quint8(m_db[0x0D]) << 8) >= 3); // several blocks
}

// Damage to the .DB header and blocks, the .MB and the .PX of the sample table
// (an empty .PX row column: the sound index is used).
void TestParadoxReader::damageIsReported_data()
{
    QTest::addColumn<QByteArray>("db");
    QTest::addColumn<QByteArray>("mb");
    QTest::addColumn<QByteArray>("px");
    QTest::addColumn<QString>("problem");
    const QByteArray db = m_db;
    const QByteArray mb = m_mb;
    const QByteArray px = readFile(m_dir.filePath("SAMPLE.PX"));
    const int blockSize = 2048;
    QByteArray b;
    const auto row = [&](const char* name, const QByteArray& bytes, const QString& problem) {
        QTest::newRow(name) << bytes << mb << px << problem;
    };
    row("empty file", {}, "méně než hlavička");
    row("half header", db.left(40), "méně než hlavička");
    row("header cut", db.left(1000), "zkrácený");
    b = db, putLe(b, 2, 0x20, 2), row("header size too small", b, "neplatnou délku");
    b = db, b[5] = 0, row("block size code 0", b, "velikost bloku");
    b = db, b[5] = 99, row("block size code 99", b, "velikost bloku");
    b = db, b[4] = 7, row("unknown file type", b, "typ souboru");
    b = db, b[0x39] = 42, row("unknown version", b, "verze");
    b = db, putLe(b, 0, 0, 2), row("zero record size", b, "nulová délka");
    b = db, putLe(b, 0x21, 0, 2), row("no fields", b, "počet polí");
    b = db, b[0x78] = 0x42, row("unknown field type", b, "neznámý typ");
    b = db, b[0x78 + 3] = char(200), row("field longer than record", b, "součet délek");
    b = db, b[0x78 + 1] = 3, row("long of three bytes", b, "neplatnou délku");
    b = db, putLe(b, 6, 1000000, 4), row("record count file cannot hold", b, "nejvýše");
    b = db, putLe(b, 6, 5, 4), row("record count too small", b, "bloky jich obsahují");
    b = db, putLe(b, HeaderSize + blockSize, 1, 2), row("block chain loops", b, "zacyklil");
    b = db, putLe(b, HeaderSize, 60000, 2), row("block outside file", b, "odkazuje na blok 60000");
    b = db, putLe(b, 0x0E, 0, 2), row("no first block", b, "bloky jich obsahují");
    b = db, putLe(b, HeaderSize + 4, 7, 2),
    row("last offset not a record", b, "neplatný počet záznamů");
    b = db, putLe(b, HeaderSize + 4, 30000, 2),
    row("records over a block", b, "neplatný počet záznamů");
    b = db, putLe(b, 0x0C, 30, 2), b.truncate(HeaderSize + 2 * blockSize + 100);
    row("blocks cut off", b, "zkrácený");
    b = db, putLe(b, 0x0C, quint8(db[0x0C]) + 1, 2);
    row("header counts a block more than the file holds", b, "hlavička udává");
    b = db, putLe(b, 0x6A, 936, 2),
    row("unknown code page with Czech text", b, "kódové stránce 936");
    b = db, b[0x25] = 1, b[0x26] = 2, row("password", b, "zašifrovaná");
    row("encrypted sample", readFile(TestSupport::paradoxSample("encrypt_encrypted.db")),
        "zašifrovaná");
    row("encrypted v3.5 sample", readFile(TestSupport::paradoxSample("encrypt_encrypted35.db")),
        "zašifrovaná");
    b = db, putLe(b, 0x23, 9, 2), row("more key fields than fields", b, "klíč");
    b = db;
    b.replace(b.indexOf("NAZEV"), 30, QByteArray(30, 'X')); // field names run on
    b.replace(b.indexOf("XXXXXXXXXXXXXXXXXXXXXXXXXXXXXX"), 30, QByteArray(30, 'Y'));
    for (int i = 0x100; i < HeaderSize; ++i)
        if (b[i] == 0)
            b[i] = 'Z';
    row("field names without end", b, "přesahuje hlavičku");

    // Record 0 (ID 0) has a 3000-byte memo in a block of its own; record 1 a
    // 100-byte one in a suballocated block.
    const int pointer1 = FirstRecord + 4 + 30 + 1;
    const int pointer2 = FirstRecord + 45 + 4 + 30 + 1;
    const int single = int(quint8(m_db[pointer1 + 1])) << 8 | int(quint8(m_db[pointer1 + 2])) << 16;
    const int sub = int(quint8(m_db[pointer2 + 1])) << 8 | int(quint8(m_db[pointer2 + 2])) << 16;
    const auto memoRow = [&](const char* name, const QByteArray& d, const QByteArray& m,
                             const QString& problem) {
        QTest::newRow(name) << d << m << px << problem;
    };
    b = db, putLe(b, pointer1, 0x7FFFFFFF, 4), memoRow("pointer outside .MB", b, mb, "mimo soubor");
    b = db, putLe(b, pointer1, 0x00FF, 4),
    memoRow("pointer to the header block", b, mb, "mimo soubor");
    b = db, putLe(b, pointer1 + 4, 100000, 4),
    memoRow("length differs from block", b, mb, "délka memo pole");
    b = mb, b[single] = 7, memoRow("unknown block type", db, b, "blok typu 7");
    QByteArray d = db;
    b = mb, putLe(b, single + 3, 0x7FFFFFF0, 4), putLe(d, pointer1 + 4, 0x7FFFFFF0, 4);
    memoRow("blob past end of .MB", d, b, "přesahuje konec");
    b = db, b[pointer2] = char(0x40),
    memoRow("suballocation index out of range", b, mb, "neplatný index");
    b = mb, b[sub + 12 + 5 * 63] = 0, memoRow("deleted suballocation", db, b, "smazané");
    b = mb, b[sub + 12 + 5 * 63] = char(250), memoRow("suballocation past block", db, b, "smazané");
    memoRow(".MB cut short", db, mb.left(5000), "přesahuje konec");

    // The data stay readable; the index is refused (errorOf reads the data first).
    const auto indexRow = [&](const char* name, const QByteArray& p) {
        QTest::newRow(name) << db << mb << p << "Primární index (.PX)";
    };
    b = px, b[0x20] = 2, indexRow("index levels point to data blocks", b);
    b = px, putLe(b, 0x1E, 77, 2), indexRow("index entry length", b);
    b = px, putLe(b, 0, 3, 2), indexRow("index record size", b);
}

void TestParadoxReader::damageIsReported()
{
    QFETCH(QByteArray, db);
    QFETCH(QByteArray, mb);
    QFETCH(QByteArray, px);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    writeFile(dir.filePath("BAD.DB"), db);
    writeFile(dir.filePath("BAD.MB"), mb);
    writeFile(dir.filePath("BAD.PX"), px);
    const QString error = errorOf(dir.filePath("BAD.DB"));
    QVERIFY2(error.contains(problem), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("BAD.DB")), qPrintable(error));
}

namespace {
qint64 peakMemoryKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}
} // namespace

// Only regular files are read, each no further than its header counts: a
// device or a named pipe (as the table, or as its .MB) is refused at once
// instead of being read for ever or waited on; a 1 GB spare tail stays unread.
void TestParadoxReader::boundedInput()
{
    for (const char* verb : {"dump", "schema"}) {
        const ToolRun zero = runTool({verb, "/dev/zero"});
        QCOMPARE(zero.code, 1);
        QVERIFY2(zero.err.contains("\"/dev/zero\"") && zero.err.contains("obyčejný"),
                 qPrintable(zero.err));
    }
    QTemporaryDir dir;
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("PIPE.DB")).constData(), 0600), 0);
    const ToolRun pipe = runTool({"dump", dir.filePath("PIPE.DB")});
    QCOMPARE(pipe.code, 1);
    QVERIFY2(pipe.err.contains("PIPE.DB"), qPrintable(pipe.err));
    QVERIFY(QFile::copy(m_table, dir.filePath("MEMO.DB")));
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("MEMO.MB")).constData(), 0600), 0);
    const QString memo = errorOf(dir.filePath("MEMO.DB"));
    QVERIFY2(memo.contains("MEMO.MB") && memo.contains("obyčejný"), qPrintable(memo));

    const QString spare = dir.filePath("SPARE.DB");
    QVERIFY(QFile::copy(real("NYSPA001.DB"), spare));
    QFile::setPermissions(spare, QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY(QFile(spare).resize(qint64(1) << 30)); // a hole: no disk space taken
    QCOMPARE(readEverything(ParadoxReader(spare)),
             readEverything(ParadoxReader(real("NYSPA001.DB"))));
    QVERIFY2(peakMemoryKiB() < 256 * 1024, qPrintable(QString::number(peakMemoryKiB())));
}

void TestParadoxReader::truncationNeverGivesPartialData()
{
    const QStringList sources = {m_table, TestSupport::realDistrictDir() + "/NYSPA001.DB",
                                 TestSupport::paradoxSample("PCLDATA_PCL.DB"),
                                 TestSupport::paradoxSample("db_AREACODES.DB")};
    QTemporaryDir dir;
    for (const QString& source : sources) {
        const QByteArray full = readFile(source);
        const QByteArray expected = readEverything(ParadoxReader(source));
        const QString path = dir.filePath("CUT.DB");
        QFile::remove(dir.filePath("CUT.MB"));
        if (source == m_table)
            QFile::copy(m_dir.filePath("SAMPLE.MB"), dir.filePath("CUT.MB"));
        for (qsizetype length = 0; length < full.size(); length += 1 + length / 7) {
            writeFile(path, full.left(length));
            const QString error = TestSupport::refusal([&] { // or only the unused tail was cut
                QCOMPARE(readEverything(ParadoxReader(path)), expected);
            });
            QVERIFY2(error.isEmpty() || error.contains("CUT.DB"), qPrintable(error));
        }
    }
}

void TestParadoxReader::randomByteDamage()
{
    // Any damage either reads or is reported; the fuzzer does this at scale.
    QRandomGenerator rng(7);
    QTemporaryDir dir;
    const QString path = dir.filePath("R.DB");
    int reported = 0;
    for (int round = 0; round < 600; ++round) {
        QByteArray db = m_db;
        QByteArray mb = m_mb;
        QByteArray& target = rng.bounded(3) == 0 ? mb : db;
        const int hits = 1 + rng.bounded(4);
        for (int i = 0; i < hits; ++i) {
            const int at = rng.bounded(std::min<int>(target.size(), 8192));
            target[at] = char(rng.bounded(256));
        }
        writeFile(path, db);
        writeFile(dir.filePath("R.MB"), mb);
        if (!errorOf(path).isEmpty())
            ++reported;
    }
    QVERIFY(reported > 0);
}

// The committed fuzzing corpus (fuzz/corpus/paradox), fed to the reader the way
// fuzz/fuzz_paradox_reader.cpp does: every input reads completely or fails with
// ETalvekException naming it. Inputs that once crashed or hung the reader stay
// in the corpus as regression cases.
void TestParadoxReader::corpusReadsOrFailsCleanly()
{
    const QDir corpus(QStringLiteral(ORV_SOURCE_DIR) + QStringLiteral("/fuzz/corpus/paradox"));
    const QStringList files = corpus.entryList(QDir::Files, QDir::Name);
    int readable = 0;
    for (const QString& name : files) {
        const QByteArray input = readFile(corpus.filePath(name));
        // Same split as the fuzz target: from 8 KiB on, the last quarter is the .MB.
        const qsizetype split = input.size() >= 8192 ? input.size() / 4 * 3 : input.size();
        const QString error = TestSupport::refusal([&] {
            readEverything(ParadoxReader::fromBytes(input.left(split), input.mid(split), name));
            ++readable;
        });
        QVERIFY2(error.isEmpty() || error.contains(name), qPrintable(error));
    }
    QVERIFY(files.size() >= 6);
    QVERIFY(readable >= 6); // the generated seeds are valid tables
}

QTEST_GUILESS_MAIN(TestParadoxReader)
#include "tst_paradoxreader.moc"
