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
} // namespace

class TestParadoxReader : public QObject
{
    Q_OBJECT
private slots:
    void headersOfSamples_data();
    void headersOfSamples();
    void blankLongIsBlankNotSentinel();
    void dateTimeAndTimestamp();
    void logicalBytesAndBcd();
    void memoAndFormattedMemoFromMbFile();
    void graphicBlobSkipsItsPrefix();
    void version3Tables();
    void emptyTableAndKeyedIndex();
    void encryptedTablesAreRefused();
    void missingMemoFileIsReportedWhenNeeded();
    void tableWithoutItsMemoFileIsNotWritten();
    void unknownCodePageOnlyFailsOnNonAsciiText();
    void realDistrictCatalogueInCodePage1250();
    void realParcelTableInKeyOrder();
    void codePagesBothWays();
    void caseInsensitiveFileNames();
    void csvCells();
    void dumpAndSchemaCommands();
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

void TestParadoxReader::blankLongIsBlankNotSentinel()
{
    const ParadoxReader reader = sample("fields_long.db");
    QCOMPARE(reader.header().fields[0].type, ParadoxFieldType::AutoIncrement);
    QCOMPARE(reader.header().fields[1].type, ParadoxFieldType::Long);
    const QList<QVariantList> rows = reader.readAll();
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0], (QVariantList{1, 1}));
    QCOMPARE(rows[1], (QVariantList{2, 2}));
    QCOMPARE(rows[2][0], QVariant(3));
    QVERIFY(!rows[2][1].isValid());
    int blanks = 0;
    reader.forEachRecord([&](const ParadoxRecord& r) {
        if (r.isBlank(1)) {
            ++blanks;
            QCOMPARE(r.toInt64(1), 0);
        }
    });
    QCOMPARE(blanks, 1);
}

void TestParadoxReader::dateTimeAndTimestamp()
{
    for (const char* file : {"fields_date35.db", "fields_date4.db", "fields_date5.db"}) {
        const QList<QVariantList> rows = sample(file).readAll();
        QCOMPARE(rows[0][0].toDate(), QDate(2018, 1, 1));
        QCOMPARE(rows[1][0].toDate(), QDate(2018, 2, 1));
        QCOMPARE(rows[2][0].toDate(), QDate(2018, 1, 2));
    }
    const QList<QVariantList> withTime = sample("fields_date5.db").readAll();
    QCOMPARE(withTime[2][1].toTime(), QTime(9, 25, 25));
    const QList<QVariantList> times = sample("fields_time.db").readAll();
    QCOMPARE(times[0][0].toTime(), QTime(1, 0, 1));
    QVERIFY(!times[1][0].isValid());
    QCOMPARE(times[2][0].toTime(), QTime(3, 0, 3));
    const QList<QVariantList> stamps = sample("fields_timestamp.db").readAll();
    QVERIFY(!stamps[0][0].isValid());
    QCOMPARE(stamps[1][0].toDateTime(), QDateTime(QDate(2020, 2, 1), QTime(1, 0, 1), Qt::UTC));
}

void TestParadoxReader::logicalBytesAndBcd()
{
    const QList<QVariantList> logical = sample("fields_logical.db").readAll();
    QCOMPARE(logical.size(), 4);
    QCOMPARE(logical[0][0], QVariant(true));
    QCOMPARE(logical[1][0], QVariant(false));
    QCOMPARE(logical[2][0], QVariant(true));
    QCOMPARE(logical[3][0], QVariant(true));

    const QList<QVariantList> bytes = sample("fields_bytes.db").readAll();
    QCOMPARE(bytes[0][0].toByteArray().left(5), QByteArray("1\0002\0003", 5));
    QCOMPARE(bytes[0][0].toByteArray().size(), 255);

    const ParadoxReader bcd = sample("fields_bcd.db");
    QCOMPARE(bcd.header().fields[0].size, 2); // digits after the point
    QCOMPARE(bcd.header().fields[2].size, 32);
    QStringList texts;
    bcd.forEachRecord([&](const ParadoxRecord& r) {
        texts << r.toBcdText(0) + QLatin1Char('|') + r.toBcdText(1);
    });
    // Row 3 is blank in A and B: A keeps its first byte (sign, decimals) set
    // and zero value bytes.
    QCOMPARE(texts, (QStringList{"1.23|1", "-1.23|-1", "|"}));
    // Column C holds garbage nibbles after the digits of 0.123.
    const QList<QVariantList> rows = bcd.readAll();
    QVERIFY(!rows[2][0].isValid());
    QCOMPARE(qRound(rows[0][2].toDouble() * 1000), 123);
    QCOMPARE(qRound(rows[1][2].toDouble() * 1000), -123);
}

void TestParadoxReader::memoAndFormattedMemoFromMbFile()
{
    const QList<QVariantList> memo = sample("fields_memo.db").readAll();
    const QString first = memo[0][1].toString();
    QCOMPARE(first.size(), 555); // suballocated block, pointer-array entry 0x3F
    QVERIFY(first.startsWith(QStringLiteral("0123456789001234567890")));
    const QString second = memo[1][1].toString(); // fits the 240-byte leader
    QVERIFY(second.startsWith(QStringLiteral("01234567890")));
    QCOMPARE(second.size(), 12);

    const QList<QVariantList> customer = sample("db_CUSTOMER.DB").readAll();
    QCOMPARE(customer[0][8].toString(), QStringLiteral("Small comment (less 100 symbols)"));
    QVERIFY(
        customer[1][8].toString().contains(QStringLiteral("If you define a memo field as M40")));
    QCOMPARE(customer[0][9].toDate(), QDate(1996, 2, 2));

    const QList<QVariantList> hercules = sample("db_HERCULES.DB").readAll();
    QCOMPARE(hercules.size(), 20);
    QVERIFY(hercules[0][1].toString().startsWith(QStringLiteral("<TABLE BORDER=2>")));

    const QList<QVariantList> fmemo = sample("fields_fmemo.db").readAll();
    QCOMPARE(fmemo[0][1].typeId(), QMetaType::QByteArray);
    QVERIFY(fmemo[0][1].toByteArray().contains("Arial"));
}

void TestParadoxReader::graphicBlobSkipsItsPrefix()
{
    const QList<QVariantList> rows = sample("fields_graphic240.db").readAll();
    const QByteArray image = rows[0][1].toByteArray();
    QVERIFY(image.startsWith("BM"));
    // The bitmap header states the file size: it must match exactly.
    const quint32 declared = quint8(image[2]) | quint8(image[3]) << 8 | quint8(image[4]) << 16;
    QCOMPARE(quint32(image.size()), declared);
    QCOMPARE(image.size(), 20078);
}

void TestParadoxReader::version3Tables()
{
    // Values are compared with pxlib in tst_paradoxwriter; here the code page.
    const QList<QVariantList> pcl = sample("PCLDATA_PCL.DB").readAll();
    QCOMPARE(pcl[0][3].toString(), QStringLiteral("Begin Subscript"));
    QCOMPARE(pcl[0][4].toString(), QStringLiteral("Ec(s-1U"));
    QVERIFY(!pcl[0][1].isValid());
    const ParadoxReader v3 = sample("PCLDATA_PCL.DB");
    QCOMPARE(v3.header().textCodePage, 852); // no code page in version 3 files
    const ParadoxReader us(TestSupport::paradoxSample("PCLDATA_PCL.DB"), ParadoxReadOptions{437});
    QCOMPARE(us.header().textCodePage, 437);
    QCOMPARE(us.readAll(), pcl); // ASCII text reads the same
}

void TestParadoxReader::emptyTableAndKeyedIndex()
{
    const ParadoxReader empty = sample("empty.db");
    QCOMPARE(empty.readAll().size(), 0);
    QCOMPARE(empty.header().fields[6].type, ParadoxFieldType::Graphic);

    const ParadoxReader keyed = sample("fields_long.db");
    QVERIFY(keyed.header().hasIndexFile);
    const QList<ParadoxReader::IndexEntry> index = keyed.primaryIndex();
    QCOMPARE(index.size(), 1);
    QCOMPARE(index[0].key, QVariantList{1});
    QCOMPARE(index[0].block, 1);
    QCOMPARE(index[0].recordCount, 3);

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
        try {
            sample(file);
            QFAIL("an encrypted table was opened");
        } catch (const ETalvekException& e) {
            QVERIFY(e.message().contains(QStringLiteral("zašifrovaná")));
            QVERIFY(e.message().contains(QLatin1String(file)));
        }
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
    const QList<QVariantList> rows = membre.readAll();
    QVERIFY(!rows[0][memo].isValid());

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
    try {
        members.post();
        QFAIL("a table without its .MB was written");
    } catch (const ETalvekException& e) {
        QVERIFY2(e.message().contains(dir.filePath("MEMBRE.MB")), qPrintable(e.message()));
    }
    members.cancel();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void TestParadoxReader::unknownCodePageOnlyFailsOnNonAsciiText()
{
    // Code page 936 has no table: ASCII text still reads, other bytes fail.
    const QList<QVariantList> rows = sample("db_GENERAL.DB").readAll();
    QCOMPARE(rows[0], (QVariantList{1, "Mari", 100.0}));
    QCOMPARE(rows[2][0], QVariant(333333333));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, CodePage::require(936));
}

void TestParadoxReader::realDistrictCatalogueInCodePage1250()
{
    const ParadoxReader katal(real("NYSKATAL.DB"));
    QCOMPARE(katal.header().codePage, 1250);
    const QList<QVariantList> rows = katal.readAll();
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0], (QVariantList{"00000", "003306", "000", "PRACHATICE"}));
    QCOMPARE(rows[1][3].toString(), QStringLiteral("ZÁBLATÍ"));
    QCOMPARE(rows[2], (QVariantList{"00103", "789160", "001", "SALADÍN"}));

    const ParadoxReader owners(real("NYSOBORG.DB"));
    QCOMPARE(owners.header().keyFieldCount, 2);
    QStringList names;
    owners.forEachRecord([&](const ParadoxRecord& r) { names << r.toString(2); });
    QVERIFY(names.contains(QStringLiteral("BEDNÁŘ JAN, ČECHOVA 389, ČESKÝ KRUMLOV")));
    QVERIFY(names.contains(QStringLiteral("ŠTĚPÁNKOVÁ KATEŘINA, NÁDRAŽNÍ 132, VACOV")));
}

void TestParadoxReader::realParcelTableInKeyOrder()
{
    const ParadoxReader parcels(real("NYSPA001.DB"));
    const ParadoxHeader& h = parcels.header();
    QCOMPARE(h.fields.size(), 19);
    QCOMPARE(h.keyFieldCount, 4);
    QCOMPARE(h.fields[18].name, QStringLiteral("PARCISLO"));
    QCOMPARE(h.fields[18].size, 12);
    const int lv = parcels.fieldIndex(QStringLiteral("LVCIS"));
    const int relation = parcels.fieldIndex(QStringLiteral("vlvztah"));
    QCOMPARE(lv, 12);
    QList<qint64> keys;
    int found = 0;
    parcels.forEachRecord([&](const ParadoxRecord& r) {
        keys << (r.toInt64(0) * 100000000 + r.toInt64(1)) * 1000 + r.toInt64(2);
        if (r.toString(18) == QStringLiteral("-14/2")) {
            ++found;
            QCOMPARE(r.toInt64(lv), 153);
            QCOMPARE(r.toInt64(relation), 5);
            QCOMPARE(r.toDouble(4), 4.0);
        }
        if (r.toString(18) == QStringLiteral("-5/1")) {
            QCOMPARE(r.toDouble(10), 10005.0); // CPCE
            QCOMPARE(r.toInt64(6), 13);        // DRUHPOZ
        }
    });
    QCOMPARE(keys.size(), 144);
    QCOMPARE(found, 1);
    QVERIFY(std::is_sorted(keys.begin(), keys.end()));
}

void TestParadoxReader::codePagesBothWays()
{
    const QString czech = QStringLiteral("áčďéěíňóřšťúůýž ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ");
    for (int number : {852, 1250}) {
        const CodePage& page = CodePage::require(number);
        QByteArray bytes;
        QVERIFY(page.encode(czech, bytes));
        QCOMPARE(bytes.size(), czech.size());
        QCOMPARE(page.decode(bytes.constData(), bytes.size()), czech);
        QByteArray utf8;
        page.decodeToUtf8(bytes.constData(), bytes.size(), utf8);
        QCOMPARE(QString::fromUtf8(utf8), czech);
    }
    QCOMPARE(quint8(CodePage::require(1250).toUnicode(0xC8).unicode()),
             quint8(QChar(u'Č').unicode()));
    QCOMPARE(CodePage::require(1250).toUnicode(0xC8), QChar(u'Č'));
    QCOMPARE(CodePage::require(852).toUnicode(0xAC), QChar(u'Č'));
    QCOMPARE(CodePage::require(852).toUnicode(0xFD), QChar(u'ř'));
    QCOMPARE(CodePage::require(437).toUnicode(0x82), QChar(u'é'));
    QCOMPARE(CodePage::require(850).toUnicode(0x90), QChar(u'É'));
    QCOMPARE(CodePage::require(866).toUnicode(0x80), QChar(u'А'));
    QCOMPARE(CodePage::require(1252).toUnicode(0x80), QChar(u'€'));
    QByteArray out;
    qsizetype bad = -1;
    QVERIFY(!CodePage::require(1250).encode(QStringLiteral("ok ☺"), out, &bad));
    QCOMPARE(bad, 3);
    // Every byte of every page survives a round trip.
    for (int number : {437, 850, 852, 866, 1250, 1252}) {
        QByteArray all(255, '\0');
        for (int b = 1; b < 256; ++b)
            all[b - 1] = char(b);
        const CodePage& page = CodePage::require(number);
        QByteArray back;
        QVERIFY(page.encode(page.decode(all.constData(), all.size()), back));
        QCOMPARE(back, all);
    }
}

void TestParadoxReader::caseInsensitiveFileNames()
{
    QTemporaryDir dir;
    QVERIFY(QFile::copy(real("NYSKATAL.DB"), dir.filePath("nyskatal.db")));
    QCOMPARE(ParadoxFiles::resolveCaseInsensitive(dir.path(), "NYSKATAL.DB"),
             dir.filePath("nyskatal.db"));
    QCOMPARE(ParadoxFiles::resolveCaseInsensitive(dir.path(), "Nyskatal.Db"),
             dir.filePath("nyskatal.db"));
    QVERIFY(ParadoxFiles::resolveCaseInsensitive(dir.path(), "NYSKATAL.MB").isEmpty());
    QVERIFY(QFile::copy(TestSupport::paradoxSample("fields_memo.db"), dir.filePath("MEMO.DB")));
    QVERIFY(QFile::copy(TestSupport::paradoxSample("fields_memo.mb"), dir.filePath("memo.Mb")));
    const ParadoxReader reader(dir.filePath("MEMO.DB"));
    QVERIFY(reader.header().hasMemoFile);
    QCOMPARE(reader.readAll()[0][1].toString().size(), 555);
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

void TestParadoxReader::dumpAndSchemaCommands()
{
    QProcess tool;
    tool.start(TestSupport::orvToolPath(), {"dump", real("NYSKATAL.DB")});
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()),
             QStringLiteral("KATUZ,IDENTCIS,PORCIS,NAZEV\r\n00000,003306,000,PRACHATICE\r\n"
                            "00100,550680,000,ZÁBLATÍ\r\n00103,789160,001,SALADÍN\r\n"));

    tool.start(TestSupport::orvToolPath(), {"dump", TestSupport::paradoxSample("fields_date5.db")});
    QVERIFY(tool.waitForFinished(10000));
    QVERIFY(tool.readAllStandardOutput().startsWith("DATE,TIME\r\n2018-01-01,10:00:00\r\n"));

    tool.start(TestSupport::orvToolPath(), {"dump", TestSupport::paradoxSample("fields_long.db")});
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.readAllStandardOutput(), QByteArray("Id,LONG\r\n1,1\r\n2,2\r\n3,\r\n"));

    // One column: a blank record is "" so that CSV readers keep the line.
    tool.start(TestSupport::orvToolPath(), {"dump", TestSupport::paradoxSample("fields_time.db")});
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.readAllStandardOutput(), QByteArray("Time\r\n01:00:01\r\n\"\"\r\n03:00:03\r\n"));

    // A missing .MB: one warning naming it, the records, success.
    tool.start(TestSupport::orvToolPath(), {"dump", TestSupport::paradoxSample("MEMBRE.DB")});
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.exitCode(), 0);
    const QString warning = QString::fromUtf8(tool.readAllStandardError());
    QCOMPARE(warning.count(QStringLiteral("MEMBRE.MB")), 1);
    QCOMPARE(tool.readAllStandardOutput().count("\r\n"), 7);

    tool.start(TestSupport::orvToolPath(), {"schema", real("NYSPA001.DB")});
    QVERIFY(tool.waitForFinished(10000));
    const QString schema = QString::fromUtf8(tool.readAllStandardOutput());
    QVERIFY(schema.contains(QStringLiteral("verze: 7.0")));
    QVERIFY(schema.contains(QStringLiteral("kódová stránka: 1250")));
    QVERIFY(schema.contains(QStringLiteral("záznamů: 144")));
    QVERIFY(schema.contains(QStringLiteral("  1 PARSKUP Short 2 klíč")));
    QVERIFY(schema.contains(QStringLiteral("  19 PARCISLO Alpha 12\n")));
}

QTEST_GUILESS_MAIN(TestParadoxReader)
#include "tst_paradoxreader.moc"
