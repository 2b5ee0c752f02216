// Damaged Paradox files: every kind of bad input gives ETalvekException
// naming the file and the problem, never a crash, a hang or wrong data.
#include "common/TestSupport.h"
#include "base/ETalvekException.h"
#include "db/paradox/ParadoxCsv.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
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

// Stores `value` little-endian in `size` bytes at `offset`.
void putLe(QByteArray& b, int offset, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
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

class TestParadoxMalformed : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void damageIsReported_data();
    void damageIsReported();
    void truncationNeverGivesPartialData();
    void randomByteDamage();
    void corpusReadsOrFailsCleanly();

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

// Damage to the .DB header and blocks, the .MB and the .PX of the sample table
// (an empty .PX row column: the sound index is used).
void TestParadoxMalformed::damageIsReported_data()
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
    b = db, putLe(b, 0x6A, 936, 2),
    row("unknown code page with Czech text", b, "kódové stránce 936");
    b = db, b[0x25] = 1, b[0x26] = 2, row("password", b, "zašifrovaná");
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

void TestParadoxMalformed::damageIsReported()
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

void TestParadoxMalformed::truncationNeverGivesPartialData()
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

// The committed fuzzing corpus (fuzz/corpus/paradox), fed to the reader the way
// fuzz/fuzz_paradox_reader.cpp does: every input reads completely or fails with
// ETalvekException naming it. Inputs that once crashed or hung the reader stay
// in the corpus as regression cases.
void TestParadoxMalformed::corpusReadsOrFailsCleanly()
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

QTEST_GUILESS_MAIN(TestParadoxMalformed)
#include "tst_paradoxmalformed.moc"
