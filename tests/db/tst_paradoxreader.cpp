// Reading real Paradox files written by other software, and the real
// cadastral sample district.
#include "common/TestSupport.h"
#include "base/ETalvekException.h"
#include "db/paradox/CodePage.h"
#include "db/paradox/ParadoxCsv.h"
#include "db/Table.h"
#include "db/paradox/ParadoxTable.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
ParadoxReader sample(const QString& name)
{
    return ParadoxReader(TestSupport::paradoxSample(name));
}

QString real(const QString& name)
{
    return TestSupport::realDistrictDir() + QLatin1Char('/') + name;
}

QStringList fieldNames(const ParadoxReader& reader)
{
    QStringList names;
    for (const ParadoxField& f : reader.header().fields)
        names << f.name;
    return names;
}

// Runs orv-tool; returns its exit code, standard output and error output.
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
} // namespace

class TestParadoxReader : public QObject
{
    Q_OBJECT
private slots:
    void headersOfSamples_data();
    void headersOfSamples();
    void valuesOfSamples_data();
    void valuesOfSamples();
    void bytesAndBcd();
    void memosAndBlobs();
    void version3TablesAndCodePages();
    void primaryIndexOfSamples();
    void encryptedTablesAreRefused();
    void missingMemoFileIsReportedWhenNeeded();
    void tableWithoutItsMemoFileIsNotWritten();
    void csvCells();
    void dumpCommand_data();
    void dumpCommand();
    void schemaCommand();
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
    QTEST(fieldNames(reader).join(QLatin1Char(',')), "fields");
    QCOMPARE(reader.readAll().size(), int(h.recordCount));
}

// One cell of a sample table as readAll() gives it; an invalid value is a blank.
// The cells of the smaller samples are checked through their dump.
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
    cell("fields_bcd.db", 2, 0, QVariant()); // sign and decimals set, zero value bytes
    // A memo in a suballocated block (pointer-array entry 0x3F), one in the record's leader.
    cell("fields_memo.db", 0, 1, (QString("01234567890").repeated(10) + '\n').repeated(5));
    cell("fields_memo.db", 1, 1, "01234567890\n");
    cell("PCLDATA_PCL.DB", 0, 1, QVariant());
    cell("PCLDATA_PCL.DB", 0, 3, "Begin Subscript");
    cell("PCLDATA_PCL.DB", 0, 4, "Ec(s-1U");
    // Code page 936 has no table: ASCII text still reads.
    cell("db_GENERAL.DB", 0, 1, "Mari");
    cell("db_GENERAL.DB", 0, 2, 100.0);
    cell("db_GENERAL.DB", 2, 0, 333333333);
    cell("db_CUSTOMER.DB", 0, 8, "Small comment (less 100 symbols)");
    cell("db_CUSTOMER.DB", 0, 9, QDate(1996, 2, 2));
}

void TestParadoxReader::valuesOfSamples()
{
    QFETCH(QString, path);
    QFETCH(int, row);
    QFETCH(int, column);
    QTEST(ParadoxReader(path).readAll().value(row).value(column), "expected");
}

void TestParadoxReader::bytesAndBcd()
{
    const QByteArray bytes = sample("fields_bytes.db").readAll()[0][0].toByteArray();
    QCOMPARE(bytes.left(5), QByteArray("1\0002\0003", 5));
    QCOMPARE(bytes.size(), 255);

    const ParadoxReader bcd = sample("fields_bcd.db");
    QCOMPARE(bcd.header().fields[0].size, 2); // digits after the point
    QCOMPARE(bcd.header().fields[2].size, 32);
    QStringList texts;
    bcd.forEachRecord([&](const ParadoxRecord& r) {
        texts << r.toBcdText(0) + QLatin1Char('|') + r.toBcdText(1);
    });
    QCOMPARE(texts, (QStringList{"1.23|1", "-1.23|-1", "|"}));
    // Column C holds garbage nibbles after the digits of 0.123.
    const QList<QVariantList> rows = bcd.readAll();
    QCOMPARE(qRound(rows[0][2].toDouble() * 1000), 123);
    QCOMPARE(qRound(rows[1][2].toDouble() * 1000), -123);
}

void TestParadoxReader::memosAndBlobs()
{
    QVERIFY(sample("db_CUSTOMER.DB")
                .readAll()[1][8]
                .toString()
                .contains(QStringLiteral("If you define a memo field as M40")));
    const QList<QVariantList> hercules = sample("db_HERCULES.DB").readAll();
    QCOMPARE(hercules.size(), 20);
    QVERIFY(hercules[0][1].toString().startsWith(QStringLiteral("<TABLE BORDER=2>")));
    const QVariant formatted = sample("fields_fmemo.db").readAll()[0][1];
    QCOMPARE(formatted.typeId(), QMetaType::QByteArray);
    QVERIFY(formatted.toByteArray().contains("Arial"));
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

    const QString czech = QStringLiteral("áčďéěíňóřšťúůýž ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ");
    for (int number : {852, 1250}) {
        const CodePage& page = CodePage::require(number);
        QByteArray bytes;
        QVERIFY(page.encode(czech, bytes));
        QCOMPARE(bytes.size(), czech.size());
        QByteArray utf8;
        page.decodeToUtf8(bytes.constData(), bytes.size(), utf8);
        QCOMPARE(QString::fromUtf8(utf8), czech);
    }
    const QList<std::tuple<int, int, QChar>> letters = {
        {1250, 0xC8, u'Č'}, {852, 0xAC, u'Č'}, {852, 0xFD, u'ř'}, {437, 0x82, u'é'},
        {850, 0x90, u'É'},  {866, 0x80, u'А'}, {1252, 0x80, u'€'}};
    for (const auto& [number, byte, letter] : letters)
        QCOMPARE(CodePage::require(number).toUnicode(quint8(byte)), letter);
    QByteArray out;
    qsizetype bad = -1;
    QVERIFY(!CodePage::require(1250).encode(QStringLiteral("ok ☺"), out, &bad));
    QCOMPARE(bad, 3);
    // Every byte of every page survives a round trip.
    QByteArray all(255, '\0');
    for (int b = 1; b < 256; ++b)
        all[b - 1] = char(b);
    for (int number : {437, 850, 852, 866, 1250, 1252}) {
        const CodePage& page = CodePage::require(number);
        QByteArray back;
        QVERIFY(page.encode(page.decode(all.constData(), all.size()), back));
        QCOMPARE(back, all);
    }
}

void TestParadoxReader::primaryIndexOfSamples()
{
    const ParadoxReader areas = sample("db_AREACODES.DB");
    const QList<ParadoxReader::IndexEntry> entries = areas.primaryIndex();
    int total = 0;
    for (const ParadoxReader::IndexEntry& e : entries)
        total += e.recordCount;
    QCOMPARE(total, 370);
    QCOMPARE(entries[0].key[0], areas.readAll()[0][0]);
}

void TestParadoxReader::encryptedTablesAreRefused()
{
    for (const char* file : {"encrypt_encrypted.db", "encrypt_encrypted35.db"}) {
        const QString message = TestSupport::refusal([&] { sample(file); });
        QVERIFY2(message.contains(QStringLiteral("zašifrovaná")) && message.contains(file),
                 qPrintable(message));
    }
}

void TestParadoxReader::missingMemoFileIsReportedWhenNeeded()
{
    // MEMBRE.DB comes without its .MB: the table reads, the cells kept in the
    // .MB are blank and one warning names the missing file.
    const ParadoxReader membre = sample("MEMBRE.DB");
    QCOMPARE(membre.header().fields.size(), 92);
    QCOMPARE(membre.header().headerSize, 4096);
    QVERIFY(!membre.header().hasMemoFile);
    QCOMPARE(membre.missingMemoFile(), TestSupport::paradoxSample("MEMBRE.MB"));
    QVERIFY(membre.warning().contains(membre.missingMemoFile()));
    const int memo = membre.fieldIndex(QStringLiteral("memo"));
    const int photo = membre.fieldIndex(QStringLiteral("photo"));
    QStringList names;
    membre.forEachRecord([&](const ParadoxRecord& r) {
        names << r.toString(membre.fieldIndex(QStringLiteral("Nom")));
        QVERIFY(r.isBlank(memo) && r.isBlank(photo));
        QVERIFY(r.toString(memo).isEmpty() && r.toBytes(photo).isEmpty());
    });
    QCOMPARE(names.size(), 6);
    QVERIFY(!names[0].isEmpty());
    QVERIFY(!membre.readAll()[0][memo].isValid());
    const ToolRun dump = runTool({"dump", TestSupport::paradoxSample("MEMBRE.DB")});
    QCOMPARE(dump.code, 0);
    QCOMPARE(dump.err.count(QStringLiteral("MEMBRE.MB")), 1);
    QCOMPARE(dump.out.count("\r\n"), 7);

    // Without its .MB, a memo that fits the record keeps its value.
    QTemporaryDir dir;
    QVERIFY(QFile::copy(TestSupport::paradoxSample("fields_memo.db"), dir.filePath("m.db")));
    const ParadoxReader cut(dir.filePath("m.db"));
    QCOMPARE(cut.missingMemoFile(), dir.filePath("m.mb"));
    const QList<QVariantList> memos = cut.readAll();
    QVERIFY(!memos[0][1].isValid());             // was in the .MB
    QCOMPARE(memos[1][1].toString().size(), 12); // fits its leader
}

void TestParadoxReader::tableWithoutItsMemoFileIsNotWritten()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("MEMBRE.DB");
    QVERIFY(QFile::copy(TestSupport::paradoxSample("MEMBRE.DB"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    Table members;
    members.setDatabaseName(dir.path());
    members.setTableName("MEMBRE.DB");
    members.open();
    QCOMPARE(members.recordCount(), 6);
    QVERIFY(members.isNull("Memo"));
    members.edit();
    members.setValue("Nom", "X");
    const QString message = TestSupport::refusal([&] { members.post(); });
    QVERIFY2(message.contains(dir.filePath("MEMBRE.MB")), qPrintable(message));
    members.cancel();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
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

QTEST_GUILESS_MAIN(TestParadoxReader)
#include "tst_paradoxreader.moc"
