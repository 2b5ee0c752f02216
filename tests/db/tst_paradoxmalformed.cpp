// Damaged Paradox files: every kind of bad input gives ETalvekException
// naming the file and the problem, never a crash, a hang or wrong data.
#include "common/TestSupport.h"
#include "base/ETalvekException.h"
#include "db/paradox/ParadoxCsv.h"
#include "db/paradox/ParadoxTable.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {
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

void putLe16(QByteArray& b, int offset, int value)
{
    b[offset] = char(value & 0xFF);
    b[offset + 1] = char((value >> 8) & 0xFF);
}

void putLe32(QByteArray& b, int offset, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        b[offset + i] = char((value >> (8 * i)) & 0xFF);
}

// Reads every value of every record; returns the CSV text.
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
    try {
        const ParadoxReader reader(path);
        readEverything(reader);
        reader.primaryIndex();
    } catch (const ETalvekException& e) {
        return e.message();
    }
    return {};
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

class TestParadoxMalformed : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void headerAndBlockDamage_data();
    void headerAndBlockDamage();
    void truncationNeverGivesPartialData();
    void memoFileDamage_data();
    void memoFileDamage();
    void damagedPrimaryIndex();
    void randomByteDamage();

private:
    QTemporaryDir m_dir;
    QString m_table;
    QByteArray m_db;
    QByteArray m_mb;
};

void TestParadoxMalformed::initTestCase()
{
    m_table = writeSampleTable(m_dir.path());
    m_db = readFile(m_table);
    m_mb = readFile(m_dir.filePath("SAMPLE.MB"));
    QVERIFY(errorOf(m_table).isEmpty());
    QVERIFY(quint16(quint8(m_db[0x0C]) | quint8(m_db[0x0D]) << 8) >= 3); // several blocks
}

void TestParadoxMalformed::headerAndBlockDamage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("problem");
    const QByteArray db = readFile(writeSampleTable(m_dir.path()));
    const int blockSize = 2048;
    QByteArray b;

    QTest::newRow("empty file") << QByteArray() << "méně než hlavička";
    QTest::newRow("half header") << db.left(40) << "méně než hlavička";
    QTest::newRow("header cut") << db.left(1000) << "zkrácený";
    b = db, putLe16(b, 2, 0x20);
    QTest::newRow("header size too small") << b << "neplatnou délku";
    b = db, b[5] = 0;
    QTest::newRow("block size code 0") << b << "velikost bloku";
    b = db, b[5] = 99;
    QTest::newRow("block size code 99") << b << "velikost bloku";
    b = db, b[4] = 7;
    QTest::newRow("unknown file type") << b << "typ souboru";
    b = db, b[0x39] = 42;
    QTest::newRow("unknown version") << b << "verze";
    b = db, putLe16(b, 0, 0);
    QTest::newRow("zero record size") << b << "nulová délka";
    b = db, putLe16(b, 0x21, 0);
    QTest::newRow("no fields") << b << "počet polí";
    b = db, b[0x78] = 0x42;
    QTest::newRow("unknown field type") << b << "neznámý typ";
    b = db, b[0x78 + 3] = char(200);
    QTest::newRow("field longer than record") << b << "součet délek";
    b = db, b[0x78 + 1] = 3;
    QTest::newRow("long of three bytes") << b << "neplatnou délku";
    b = db, putLe32(b, 6, 1000000);
    QTest::newRow("record count file cannot hold") << b << "nejvýše";
    b = db, putLe32(b, 6, 5);
    QTest::newRow("record count too small") << b << "bloky jich obsahují";
    b = db, putLe16(b, HeaderSize + blockSize, 1);
    QTest::newRow("block chain loops") << b << "zacyklil";
    b = db, putLe16(b, HeaderSize, 60000);
    QTest::newRow("block outside file") << b << "odkazuje na blok 60000";
    b = db, putLe16(b, 0x0E, 0);
    QTest::newRow("no first block") << b << "bloky jich obsahují";
    b = db, putLe16(b, HeaderSize + 4, 7);
    QTest::newRow("last record offset not a record") << b << "neplatný počet záznamů";
    b = db, putLe16(b, HeaderSize + 4, 30000);
    QTest::newRow("more records than a block holds") << b << "neplatný počet záznamů";
    b = db, putLe16(b, 0x0C, 30);
    b.truncate(HeaderSize + 2 * blockSize + 100);
    QTest::newRow("blocks cut off") << b << "zkrácený";
    b = db, putLe16(b, 0x6A, 936);
    QTest::newRow("unknown code page with Czech text") << b << "kódové stránce 936";
    b = db, b[0x25] = 1, b[0x26] = 2;
    QTest::newRow("password") << b << "zašifrovaná";
    b = db, putLe16(b, 0x23, 9);
    QTest::newRow("more key fields than fields") << b << "klíč";
    b = db;
    b.replace(b.indexOf("NAZEV"), 30, QByteArray(30, 'X')); // field names run on
    b.replace(b.indexOf("XXXXXXXXXXXXXXXXXXXXXXXXXXXXXX"), 30, QByteArray(30, 'Y'));
    for (int i = 0x100; i < HeaderSize; ++i)
        if (b[i] == 0)
            b[i] = 'Z';
    QTest::newRow("field names without end") << b << "přesahuje hlavičku";
}

void TestParadoxMalformed::headerAndBlockDamage()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    const QString path = dir.filePath("BAD.DB");
    writeFile(path, bytes);
    QFile::copy(m_dir.filePath("SAMPLE.MB"), dir.filePath("BAD.MB"));
    const QString error = errorOf(path);
    QVERIFY2(error.contains(problem), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("BAD.DB")), qPrintable(error));
}

void TestParadoxMalformed::truncationNeverGivesPartialData()
{
    const QStringList sources = {m_table, TestSupport::realDistrictDir() + "/NYSPA001.DB",
                                 TestSupport::paradoxSample("PCLDATA_PCL.DB"),
                                 TestSupport::paradoxSample("db_AREACODES.DB")};
    QTemporaryDir dir;
    for (const QString& source : sources) {
        const QByteArray full = readFile(source);
        const ParadoxReader original(source);
        const QByteArray expected = readEverything(original);
        const QString path = dir.filePath("CUT.DB");
        QFile::remove(dir.filePath("CUT.MB"));
        if (source == m_table)
            QFile::copy(m_dir.filePath("SAMPLE.MB"), dir.filePath("CUT.MB"));
        for (qsizetype length = 0; length < full.size(); length += 1 + length / 7) {
            writeFile(path, full.left(length));
            try {
                const ParadoxReader cut(path);
                QCOMPARE(readEverything(cut), expected); // only the unused tail was cut
            } catch (const ETalvekException& e) {
                QVERIFY(e.message().contains(QStringLiteral("CUT.DB")));
            }
        }
    }
}

void TestParadoxMalformed::memoFileDamage_data()
{
    QTest::addColumn<QByteArray>("db");
    QTest::addColumn<QByteArray>("mb");
    QTest::addColumn<QString>("problem");
    // Record 0 (ID 0) has a 3000-byte memo in a block of its own; record 1 a
    // 100-byte one in a suballocated block.
    const int leader = FirstRecord + 4 + 30 + 1;
    const int pointer1 = leader;
    const int pointer2 = FirstRecord + 45 + 4 + 30 + 1;
    const quint32 single = quint32(quint8(m_db[pointer1])) |
                           quint32(quint8(m_db[pointer1 + 1])) << 8 |
                           quint32(quint8(m_db[pointer1 + 2])) << 16;
    const quint32 sub =
        quint32(quint8(m_db[pointer2 + 1])) << 8 | quint32(quint8(m_db[pointer2 + 2])) << 16;
    QByteArray db, mb;

    db = m_db, putLe32(db, pointer1, 0x7FFFFF00 | 0xFF);
    QTest::newRow("pointer outside .MB") << db << m_mb << "mimo soubor";
    db = m_db, putLe32(db, pointer1, 0x00FF);
    QTest::newRow("pointer to the header block") << db << m_mb << "mimo soubor";
    db = m_db, putLe32(db, pointer1 + 4, 100000);
    QTest::newRow("length differs from block") << db << m_mb << "délka memo pole";
    mb = m_mb, mb[int(single & 0xFFFFFF00)] = 7;
    QTest::newRow("unknown block type") << m_db << mb << "blok typu 7";
    mb = m_mb, putLe32(mb, int(single & 0xFFFFFF00) + 3, 0x7FFFFFF0);
    db = m_db, putLe32(db, pointer1 + 4, 0x7FFFFFF0);
    QTest::newRow("blob past end of .MB") << db << mb << "přesahuje konec";
    db = m_db, db[pointer2] = char(0x40);
    QTest::newRow("suballocation index out of range") << db << m_mb << "neplatný index";
    mb = m_mb, mb[int(sub) + 12 + 5 * 63] = 0;
    QTest::newRow("deleted suballocation") << m_db << mb << "smazané";
    mb = m_mb, mb[int(sub) + 12 + 5 * 63] = char(250);
    QTest::newRow("suballocation past block") << m_db << mb << "smazané";
    QTest::newRow(".MB cut short") << m_db << m_mb.left(5000) << "přesahuje konec";
}

void TestParadoxMalformed::memoFileDamage()
{
    QFETCH(QByteArray, db);
    QFETCH(QByteArray, mb);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    writeFile(dir.filePath("M.DB"), db);
    writeFile(dir.filePath("M.MB"), mb);
    const QString error = errorOf(dir.filePath("M.DB"));
    QVERIFY2(error.contains(problem), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("M.DB")), qPrintable(error));
}

void TestParadoxMalformed::damagedPrimaryIndex()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("P.DB"), m_db);
    writeFile(dir.filePath("P.MB"), m_mb);
    const QByteArray px = readFile(m_dir.filePath("SAMPLE.PX"));
    QByteArray bad = px;
    bad[0x20] = 2; // two levels, but level-2 entries point to data blocks
    writeFile(dir.filePath("P.PX"), bad);
    const ParadoxReader reader(dir.filePath("P.DB"));
    readEverything(reader); // data stay readable
    QVERIFY_THROWS_EXCEPTION(ETalvekException, reader.primaryIndex());
    bad = px;
    putLe16(bad, 0x1E, 77);
    writeFile(dir.filePath("P.PX"), bad);
    QVERIFY_THROWS_EXCEPTION(ETalvekException, ParadoxReader(dir.filePath("P.DB")).primaryIndex());
    bad = px;
    putLe16(bad, 0, 3);
    writeFile(dir.filePath("P.PX"), bad);
    QVERIFY_THROWS_EXCEPTION(ETalvekException, ParadoxReader(dir.filePath("P.DB")).primaryIndex());
}

void TestParadoxMalformed::randomByteDamage()
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

QTEST_GUILESS_MAIN(TestParadoxMalformed)
#include "tst_paradoxmalformed.moc"
