// Tables written by ParadoxWriter read back equal (random schemas and rows),
// are sorted and indexed by key, and replace old tables atomically.
#include "common/TestSupport.h"
#include "base/ETalvekException.h"
#include "db/paradox/CodePage.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {
const QString czech = QStringLiteral("áčďéěíňóřšťúůýž ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ");
const QString alphabet = QStringLiteral("abcXYZ 019,.\"'-/") + czech;

struct Schema
{
    QList<ParadoxField> fields;
    int keys = 0;
};

QString randomText(QRandomGenerator& rng, int maxLength)
{
    const int length = rng.bounded(maxLength + 1);
    QString text;
    for (int i = 0; i < length; ++i)
        text += alphabet[rng.bounded(alphabet.size())];
    return text;
}

Schema randomSchema(QRandomGenerator& rng)
{
    static const QList<ParadoxFieldType> types = {
        ParadoxFieldType::Alpha,  ParadoxFieldType::Short,        ParadoxFieldType::Long,
        ParadoxFieldType::Number, ParadoxFieldType::Currency,     ParadoxFieldType::Logical,
        ParadoxFieldType::Date,   ParadoxFieldType::Time,         ParadoxFieldType::Timestamp,
        ParadoxFieldType::Memo,   ParadoxFieldType::BinaryBlob,   ParadoxFieldType::Bytes,
        ParadoxFieldType::Bcd,    ParadoxFieldType::AutoIncrement};
    Schema s;
    const int count = 1 + rng.bounded(10);
    for (int i = 0; i < count; ++i) {
        ParadoxField f;
        f.type = types[rng.bounded(types.size())];
        f.name = QStringLiteral("POLE%1").arg(i);
        if (f.type == ParadoxFieldType::Alpha)
            f.size = 1 + rng.bounded(60);
        else if (f.type == ParadoxFieldType::Bytes)
            f.size = 1 + rng.bounded(30);
        else if (f.type == ParadoxFieldType::Memo)
            f.size = 11 + rng.bounded(40);
        else if (f.type == ParadoxFieldType::BinaryBlob)
            f.size = 10 + rng.bounded(20);
        else if (f.type == ParadoxFieldType::Bcd)
            f.size = rng.bounded(5);
        s.fields << f;
    }
    // Key: leading Short/Long/Alpha/Number/Date fields only.
    static const QList<ParadoxFieldType> keyTypes = {
        ParadoxFieldType::Short, ParadoxFieldType::Long, ParadoxFieldType::Alpha,
        ParadoxFieldType::Number, ParadoxFieldType::Date};
    const int wanted = rng.bounded(3);
    while (s.keys < wanted && s.keys < s.fields.size() && keyTypes.contains(s.fields[s.keys].type))
        ++s.keys;
    return s;
}

QVariant randomValue(QRandomGenerator& rng, const ParadoxField& f, bool allowBlank)
{
    if (allowBlank && rng.bounded(6) == 0)
        return {};
    switch (f.type) {
    case ParadoxFieldType::Alpha: {
        const QString t = randomText(rng, f.size);
        return t.isEmpty() ? QVariant() : QVariant(t);
    }
    case ParadoxFieldType::Short:
        return int(rng.bounded(65535)) - 32767;
    case ParadoxFieldType::Long:
    case ParadoxFieldType::AutoIncrement:
        return int(rng.bounded(2000000)) - 1000000;
    case ParadoxFieldType::Number:
    case ParadoxFieldType::Currency:
        return (rng.generateDouble() - 0.5) * std::pow(10.0, rng.bounded(12));
    case ParadoxFieldType::Bcd:
        return double(int(rng.bounded(2000000)) - 1000000) / std::pow(10.0, f.size);
    case ParadoxFieldType::Logical:
        return rng.bounded(2) == 1;
    case ParadoxFieldType::Date:
        return QDate(1900, 1, 1).addDays(rng.bounded(60000));
    case ParadoxFieldType::Time:
        return QTime::fromMSecsSinceStartOfDay(rng.bounded(86400000));
    case ParadoxFieldType::Timestamp:
        return QDateTime(QDate(1990, 1, 1).addDays(rng.bounded(20000)),
                         QTime::fromMSecsSinceStartOfDay(rng.bounded(86400000)), Qt::UTC);
    case ParadoxFieldType::Memo: {
        // Short (in the leader), medium (suballocated) and long (own block) memos.
        const int kind = rng.bounded(3);
        const QString t = randomText(rng, kind == 0 ? f.size - 10 : kind == 1 ? 1500 : 9000);
        return t.isEmpty() ? QVariant() : QVariant(t);
    }
    case ParadoxFieldType::BinaryBlob:
    case ParadoxFieldType::Bytes: {
        const int max = f.type == ParadoxFieldType::Bytes ? f.size : (rng.bounded(2) ? 3000 : 40);
        QByteArray b(1 + rng.bounded(max), '\0');
        for (char& c : b)
            c = char(rng.bounded(256));
        b[0] = char(1 + rng.bounded(255));
        return b;
    }
    default:
        return {};
    }
}

// What the reader returns for a written value.
QVariant expectedValue(const ParadoxField& f, const QVariant& written)
{
    if (!written.isValid())
        return {};
    switch (f.type) {
    case ParadoxFieldType::Bytes: {
        QByteArray b = written.toByteArray();
        b.append(QByteArray(f.size - b.size(), '\0'));
        return b;
    }
    case ParadoxFieldType::Bcd:
        return QString::number(written.toDouble(), 'f', f.size).toDouble();
    case ParadoxFieldType::Short:
    case ParadoxFieldType::Long:
    case ParadoxFieldType::AutoIncrement:
        return written.toInt();
    default:
        return written;
    }
}

bool keyLess(const Schema& s, const QVariantList& a, const QVariantList& b)
{
    for (int i = 0; i < s.keys; ++i) {
        const QVariant& x = a[i];
        const QVariant& y = b[i];
        if (!x.isValid() || !y.isValid()) {
            if (x.isValid() != y.isValid())
                return !x.isValid();
            continue;
        }
        if (s.fields[i].type == ParadoxFieldType::Alpha) {
            QByteArray xb, yb;
            CodePage::require(1250).encode(x.toString(), xb);
            CodePage::require(1250).encode(y.toString(), yb);
            if (xb != yb)
                return xb < yb;
        } else if (QVariant::compare(x, y) != QPartialOrdering::Equivalent) {
            return QVariant::compare(x, y) == QPartialOrdering::Less;
        }
    }
    return false;
}

QString keyText(const Schema& s, const QVariantList& row)
{
    QStringList parts;
    for (int i = 0; i < s.keys; ++i)
        parts << row[i].toString() + QLatin1Char(row[i].isValid() ? 'v' : 'b');
    return parts.join(QChar(1));
}

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}
} // namespace

class TestParadoxWriter : public QObject
{
    Q_OBJECT
private slots:
    void randomTablesReadBackEqual();
    void keyedTableIsSortedAndIndexed();
    void multiLevelPrimaryIndex();
    void blanksAndDefaults();
    void czechTextAndLongMemos();
    void rewriteRemovesCompanionsNoLongerNeeded();
    void existingFileNamesAreReusedIgnoringCase();
    void badValuesAreRejectedAndOldTableKept_data();
    void badValuesAreRejectedAndOldTableKept();
    void badDefinitionsAreRejected();
    void emptyTables();
};

void TestParadoxWriter::randomTablesReadBackEqual()
{
    QRandomGenerator rng(20261206);
    QTemporaryDir dir;
    for (int round = 0; round < 60; ++round) {
        const Schema s = randomSchema(rng);
        const int count = rng.bounded(300);
        QList<QVariantList> rows;
        QSet<QString> keys;
        for (int r = 0; r < count; ++r) {
            QVariantList row;
            for (int i = 0; i < s.fields.size(); ++i) {
                QVariant v = randomValue(rng, s.fields[i], true);
                if (s.fields[i].type == ParadoxFieldType::AutoIncrement)
                    v = r + 1;
                row << v;
            }
            if (s.keys && (keys.contains(keyText(s, row))))
                continue;
            keys.insert(keyText(s, row));
            rows << row;
        }
        const QString path = dir.filePath(QStringLiteral("R%1.DB").arg(round));
        ParadoxWriter::writeTable(path, s.fields, s.keys, rows);

        QList<QVariantList> expected;
        for (const QVariantList& row : rows) {
            QVariantList e;
            for (int i = 0; i < row.size(); ++i)
                e << expectedValue(s.fields[i], row[i]);
            expected << e;
        }
        if (s.keys)
            std::stable_sort(
                expected.begin(), expected.end(),
                [&](const QVariantList& a, const QVariantList& b) { return keyLess(s, a, b); });
        const ParadoxReader reader(path);
        QCOMPARE(reader.header().version, 70);
        QCOMPARE(reader.header().codePage, 1250);
        QCOMPARE(reader.header().keyFieldCount, s.keys);
        QCOMPARE(reader.header().fields.size(), s.fields.size());
        const QList<QVariantList> actual = reader.readAll();
        QCOMPARE(actual.size(), expected.size());
        for (int r = 0; r < actual.size(); ++r) {
            for (int i = 0; i < s.fields.size(); ++i) {
                if (actual[r][i] != expected[r][i])
                    QFAIL(qPrintable(QStringLiteral("round %1 row %2 field %3 (%4): %5 != %6")
                                         .arg(round)
                                         .arg(r)
                                         .arg(i)
                                         .arg(paradoxFieldTypeName(s.fields[i].type),
                                              actual[r][i].toString(), expected[r][i].toString())));
            }
        }
    }
}

void TestParadoxWriter::keyedTableIsSortedAndIndexed()
{
    QTemporaryDir dir;
    const QList<ParadoxField> fields = {
        {"PARSKUP", ParadoxFieldType::Short, 0}, {"PARCIS", ParadoxFieldType::Long, 0},
        {"PARPOD", ParadoxFieldType::Short, 0},  {"PARDIL", ParadoxFieldType::Short, 0},
        {"VYMERA", ParadoxFieldType::Number, 0}, {"PARCISLO", ParadoxFieldType::Alpha, 12},
        {"FLAG", ParadoxFieldType::Logical, 0}};
    QList<QVariantList> rows;
    for (int i = 0; i < 1000; ++i) {
        const int cis = (i * 7919) % 1000 - 300; // shuffled, negative numbers too
        rows << QVariantList{2 - i % 2, cis, i % 3, 0, i * 1.5, QStringLiteral("%1").arg(cis),
                             true};
    }
    const QString path = dir.filePath("PRAC.DB");
    ParadoxWriter::writeTable(path, fields, 4, rows);
    QVERIFY(QFile::exists(dir.filePath("PRAC.PX")));
    const ParadoxReader reader(path);
    QList<QVariantList> read = reader.readAll();
    QCOMPARE(read.size(), 1000);
    for (int i = 1; i < read.size(); ++i) {
        const auto key = [](const QVariantList& r) {
            return std::make_tuple(r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt());
        };
        QVERIFY(key(read[i - 1]) < key(read[i]));
    }
    const QList<ParadoxReader::IndexEntry> index = reader.primaryIndex();
    const int perBlock = (reader.header().blockSize - 6) / reader.header().recordSize;
    QCOMPARE(index.size(), (1000 + perBlock - 1) / perBlock);
    int total = 0;
    for (int b = 0; b < index.size(); ++b) {
        QCOMPARE(index[b].block, b + 1);
        QCOMPARE(index[b].key, read[b * perBlock].mid(0, 4));
        total += index[b].recordCount;
    }
    QCOMPARE(total, 1000);
}

void TestParadoxWriter::multiLevelPrimaryIndex()
{
    // Wide keys: few index entries per block, so 20,000 rows need three levels.
    QTemporaryDir dir;
    const QList<ParadoxField> fields = {{"ID", ParadoxFieldType::Alpha, 100},
                                        {"X", ParadoxFieldType::Short, 0}};
    ParadoxWriter writer(dir.filePath("BIG.DB"), fields, 1);
    for (int i = 20000; i > 0; --i)
        writer.addRow({QStringLiteral("%1").arg(i, 8, 10, QLatin1Char('0')), i % 1000});
    writer.commit();
    const ParadoxReader reader(dir.filePath("BIG.DB"));
    const QList<ParadoxReader::IndexEntry> index = reader.primaryIndex();
    const int perBlock = (reader.header().blockSize - 6) / reader.header().recordSize;
    QCOMPARE(index.size(), (20000 + perBlock - 1) / perBlock);
    for (int b = 0; b < index.size(); ++b)
        QCOMPARE(index[b].key[0].toString().toInt(), b * perBlock + 1);
    QFile px(dir.filePath("BIG.PX"));
    QVERIFY(px.open(QIODevice::ReadOnly));
    QCOMPARE(int(quint8(px.read(0x21)[0x20])), 3); // index levels
    int previous = 0;
    reader.forEachRecord([&](const ParadoxRecord& r) {
        QCOMPARE(r.toString(0).toInt(), previous + 1);
        previous = r.toString(0).toInt();
    });
    QCOMPARE(previous, 20000);
}

void TestParadoxWriter::blanksAndDefaults()
{
    QTemporaryDir dir;
    const QList<ParadoxField> fields = {
        {"A", ParadoxFieldType::Alpha, 5},        {"S", ParadoxFieldType::Short, 0},
        {"N", ParadoxFieldType::Number, 0},       {"L", ParadoxFieldType::Logical, 0},
        {"D", ParadoxFieldType::Date, 0},         {"M", ParadoxFieldType::Memo, 0},
        {"I", ParadoxFieldType::AutoIncrement, 0}};
    const QList<QVariantList> rows = {
        {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()},
        {QString(), 0, 0.0, false, QDate(), QString(), 7},
        {"", -32767, -0.0, "T", QDate(1, 1, 1), "x", QVariant()}};
    ParadoxWriter::writeTable(dir.filePath("B.DB"), fields, 0, rows);
    const ParadoxReader reader(dir.filePath("B.DB"));
    QCOMPARE(reader.header().fields[5].size, 11); // default memo leader of one byte
    const QList<QVariantList> read = reader.readAll();
    QCOMPARE(read[0], (QVariantList{QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
                                    QVariant(), 1}));
    // Zero, 0.0 and false are values, not blanks.
    QCOMPARE(read[1], (QVariantList{QVariant(), 0, 0.0, false, QVariant(), QVariant(), 7}));
    QCOMPARE(read[2], (QVariantList{QVariant(), -32767, 0.0, true, QDate(1, 1, 1), "x", 8}));
    QCOMPARE(reader.header().autoIncrement, 8);
    // The one memo fits its leader, yet a table with a memo field always has
    // its .MB (a header block only), as other Paradox readers expect.
    QCOMPARE(QFileInfo(dir.filePath("B.MB")).size(), 4096);
}

void TestParadoxWriter::czechTextAndLongMemos()
{
    QTemporaryDir dir;
    const QList<ParadoxField> fields = {{"KLIC", ParadoxFieldType::Alpha, 40},
                                        {"TEXT", ParadoxFieldType::Memo, 20}};
    QList<QVariantList> rows;
    const QString huge = czech.repeated(20000); // ~620 kB
    for (int i = 0; i < 200; ++i)
        rows << QVariantList{czech.left(i % 31) + QString::number(i), czech.repeated(i)};
    rows << QVariantList{"velký", huge};
    ParadoxWriter::writeTable(dir.filePath("ORVTX001.DB"), fields, 1, rows);
    const ParadoxReader reader(dir.filePath("ORVTX001.DB"));
    QVERIFY(reader.header().hasMemoFile);
    QMap<QString, QString> read;
    for (const QVariantList& row : reader.readAll())
        read.insert(row[0].toString(), row[1].toString());
    QCOMPARE(read.size(), 201);
    QCOMPARE(read.value("velký"), huge);
    for (int i = 0; i < 200; ++i)
        QCOMPARE(read.value(czech.left(i % 31) + QString::number(i)), czech.repeated(i));
    // UTF-8 fast path gives the same text.
    reader.forEachRecord([&](const ParadoxRecord& r) {
        QByteArray utf8;
        r.toUtf8(1, utf8);
        QCOMPARE(QString::fromUtf8(utf8), r.toString(1));
    });
}

void TestParadoxWriter::rewriteRemovesCompanionsNoLongerNeeded()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("T.DB");
    ParadoxWriter::writeTable(path,
                              {{"K", ParadoxFieldType::Long, 0}, {"M", ParadoxFieldType::Memo, 11}},
                              1, {{1, QString(5000, u'x')}});
    QCOMPARE(filesIn(dir.path()), (QStringList{"T.DB", "T.MB", "T.PX"}));
    ParadoxWriter::writeTable(path, {{"K", ParadoxFieldType::Long, 0}}, 0, {{2}, {1}});
    QCOMPARE(filesIn(dir.path()), QStringList{"T.DB"});
    const QList<QVariantList> rows = ParadoxReader(path).readAll();
    QCOMPARE(rows, (QList<QVariantList>{{2}, {1}})); // unkeyed: insertion order
}

void TestParadoxWriter::existingFileNamesAreReusedIgnoringCase()
{
    QTemporaryDir dir;
    ParadoxWriter::writeTable(dir.filePath("prac.db"), {{"K", ParadoxFieldType::Short, 0}}, 1,
                              {{1}});
    QCOMPARE(filesIn(dir.path()), (QStringList{"prac.db", "prac.px"}));
    ParadoxWriter::writeTable(dir.filePath("PRAC.DB"), {{"K", ParadoxFieldType::Short, 0}}, 1,
                              {{5}, {3}});
    QCOMPARE(filesIn(dir.path()), (QStringList{"prac.db", "prac.px"}));
    QCOMPARE(ParadoxReader(dir.filePath("Prac.Db")).readAll(), (QList<QVariantList>{{3}, {5}}));
}

void TestParadoxWriter::badValuesAreRejectedAndOldTableKept_data()
{
    QTest::addColumn<ParadoxField>("field");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QString>("message");
    QTest::newRow("text too long")
        << ParadoxField{"A", ParadoxFieldType::Alpha, 3} << QVariantList{"abcd"} << "jen 3";
    QTest::newRow("not in 1250") << ParadoxField{"A", ParadoxFieldType::Alpha, 9}
                                 << QVariantList{"a☺"} << "1250";
    QTest::newRow("short range") << ParadoxField{"S", ParadoxFieldType::Short, 0}
                                 << QVariantList{40000} << "rozsah";
    QTest::newRow("short minimum")
        << ParadoxField{"S", ParadoxFieldType::Short, 0} << QVariantList{-32768} << "rozsah";
    QTest::newRow("not a number") << ParadoxField{"N", ParadoxFieldType::Number, 0}
                                  << QVariantList{"abc"} << "číslo";
    QTest::newRow("nan") << ParadoxField{"N", ParadoxFieldType::Number, 0} << QVariantList{qQNaN()}
                         << "číslo";
    QTest::newRow("duplicate key")
        << ParadoxField{"K", ParadoxFieldType::Long, 0} << QVariantList{4, 4} << "klíč";
    QTest::newRow("logical text") << ParadoxField{"L", ParadoxFieldType::Logical, 0}
                                  << QVariantList{"možná"} << "logická";
    QTest::newRow("bytes too long") << ParadoxField{"B", ParadoxFieldType::Bytes, 2}
                                    << QVariantList{QByteArray("abc")} << "bajtů";
}

void TestParadoxWriter::badValuesAreRejectedAndOldTableKept()
{
    QFETCH(ParadoxField, field);
    QFETCH(QVariantList, values);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath("OLD.DB");
    ParadoxWriter::writeTable(path, {{"X", ParadoxFieldType::Alpha, 10}}, 0, {{"starý"}});
    QFile old(path);
    QVERIFY(old.open(QIODevice::ReadOnly));
    const QByteArray before = old.readAll();
    old.close();
    try {
        QList<QVariantList> rows;
        for (const QVariant& v : values)
            rows << QVariantList{v};
        ParadoxWriter::writeTable(path, {field}, 1, rows);
        QFAIL("the bad value was written");
    } catch (const ETalvekException& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), before);
    QCOMPARE(filesIn(dir.path()), QStringList{"OLD.DB"});
}

void TestParadoxWriter::badDefinitionsAreRejected()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("X.DB");
    QVERIFY_THROWS_EXCEPTION(ETalvekException, ParadoxWriter(path, {}, 0));
    QVERIFY_THROWS_EXCEPTION(ETalvekException,
                             ParadoxWriter(path, {{"A", ParadoxFieldType::Alpha, 0}}, 0));
    QVERIFY_THROWS_EXCEPTION(
        ETalvekException,
        ParadoxWriter(path, {{"A", ParadoxFieldType::Short, 0}, {"a", ParadoxFieldType::Long, 0}},
                      0));
    QVERIFY_THROWS_EXCEPTION(ETalvekException,
                             ParadoxWriter(path, {{"M", ParadoxFieldType::Memo, 11}}, 1));
    QVERIFY_THROWS_EXCEPTION(ETalvekException,
                             ParadoxWriter(path, {{"A", ParadoxFieldType::Short, 0}}, 2));
    QVERIFY_THROWS_EXCEPTION(
        ETalvekException,
        ParadoxWriter(path, {{QString(26, u'N'), ParadoxFieldType::Short, 0}}, 0));
    ParadoxWriter writer(path, {{"A", ParadoxFieldType::Short, 0}}, 0);
    QVERIFY_THROWS_EXCEPTION(ETalvekException, writer.addRow({1, 2}));
    QCOMPARE(writer.rowCount(), 0);
    QVERIFY_THROWS_EXCEPTION(ETalvekException,
                             ParadoxWriter::writeTable(dir.filePath("missing/X.DB"),
                                                       {{"A", ParadoxFieldType::Short, 0}}, 0, {}));
}

void TestParadoxWriter::emptyTables()
{
    QTemporaryDir dir;
    ParadoxWriter::writeTable(dir.filePath("E.DB"), {{"K", ParadoxFieldType::Long, 0}}, 1, {});
    const ParadoxReader reader(dir.filePath("E.DB"));
    QCOMPARE(reader.header().recordCount, 0);
    QCOMPARE(reader.readAll().size(), 0);
    QCOMPARE(reader.primaryIndex().size(), 0);
}

QTEST_GUILESS_MAIN(TestParadoxWriter)
#include "tst_paradoxwriter.moc"
