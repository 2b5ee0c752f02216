// Cross-check against pxlib (Debian pxlib-dev, used only by this test): the
// memo-less sample tables and tables written by ParadoxWriter decode the
// same in both. pxlib 0.6.8 cannot read .MB files, so only memo-less tables
// are compared, and it has no blank for several types (see difference()).
#include "common/TestSupport.h"
#include "browse/core/ParDilyRules.h"
#include "db/Table.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <cmath>
#include <cstring>

extern "C" {
#include <paradox.h>
}

namespace {
constexpr long JulianDayOfDayZero = 1721425;

struct PxlibValue
{
    bool null = true;
    int type = 0;
    long integer = 0;
    double number = 0;
    QByteArray text;
};

// Every record of the table as pxlib decodes it.
QList<QList<PxlibValue>> readWithPxlib(const QString& path, QList<int>* types)
{
    QList<QList<PxlibValue>> rows;
    pxdoc_t* doc = PX_new();
    if (PX_open_file(doc, QFile::encodeName(path).constData()) < 0) {
        PX_delete(doc);
        return rows;
    }
    const int fieldCount = PX_get_num_fields(doc);
    pxfield_t* fields = PX_get_fields(doc);
    for (int i = 0; i < fieldCount; ++i)
        types->append(fields[i].px_ftype);
    const int records = PX_get_num_records(doc);
    for (int r = 0; r < records; ++r) {
        pxval_t** values = PX_retrieve_record(doc, r);
        QList<PxlibValue> row;
        for (int i = 0; i < fieldCount && values; ++i) {
            PxlibValue v;
            v.null = values[i]->isnull;
            v.type = values[i]->type;
            v.integer = values[i]->value.lval;
            v.number = values[i]->value.dval;
            const bool isText = v.type == pxfAlpha || v.type == pxfBytes || v.type == pxfBCD;
            if (isText && !v.null && values[i]->value.str.val) {
                v.text = QByteArray(values[i]->value.str.val, values[i]->value.str.len);
                doc->free(doc, values[i]->value.str.val);
            }
            doc->free(doc, values[i]);
            row << v;
        }
        if (values)
            doc->free(doc, values);
        rows << row;
    }
    PX_close(doc);
    PX_delete(doc);
    return rows;
}

// Compares one value; returns a description of the difference or "".
QString difference(const ParadoxRecord& ours, int field, const PxlibValue& px, int decimals)
{
    // pxlib 0.6.8 reports blank 4-byte values (Long, Date, Time) as
    // -2147483648 and blank doubles (Number, Currency, Timestamp) as 0.
    const bool fourBytes = px.type == pxfLong || px.type == pxfDate || px.type == pxfTime;
    const bool eightBytes =
        px.type == pxfNumber || px.type == pxfCurrency || px.type == pxfTimestamp;
    const bool pxBlank = px.null || (fourBytes && px.integer == INT_MIN) ||
                         (eightBytes && px.number == 0 && ours.isBlank(field));
    if (ours.isBlank(field) != pxBlank)
        return QStringLiteral("blank %1 vs %2 (pxlib type %3, %4, %5)")
            .arg(ours.isBlank(field))
            .arg(pxBlank)
            .arg(px.type)
            .arg(px.integer)
            .arg(px.number);
    if (pxBlank)
        return {};
    switch (px.type) {
    case pxfAlpha: {
        const QByteArray raw = ours.toBytes(field);
        const QByteArray theirs =
            px.text.left(int(qstrnlen(px.text.constData(), size_t(px.text.size()))));
        return raw == theirs ? QString()
                             : QStringLiteral("text %1 vs %2").arg(raw.toHex(), theirs.toHex());
    }
    case pxfShort:
    case pxfLong:
    case pxfAutoInc:
        return ours.toInt64(field) == px.integer
                   ? QString()
                   : QStringLiteral("%1 vs %2").arg(ours.toInt64(field)).arg(px.integer);
    case pxfLogical:
        return ours.toBool(field) == (px.integer != 0) ? QString() : QStringLiteral("logical");
    case pxfNumber:
    case pxfCurrency:
        return ours.toDouble(field) == px.number
                   ? QString()
                   : QStringLiteral("%1 vs %2").arg(ours.toDouble(field)).arg(px.number);
    case pxfDate:
        return ours.toJulianDay(field) - JulianDayOfDayZero == px.integer ? QString()
                                                                          : QStringLiteral("date");
    case pxfTime:
        return ours.toMsecsOfDay(field) == px.integer ? QString() : QStringLiteral("time");
    case pxfTimestamp:
        return double(ours.toTimestampMsecs(field)) == px.number ? QString()
                                                                 : QStringLiteral("timestamp");
    case pxfBytes:
        return ours.toBytes(field) == px.text ? QString() : QStringLiteral("bytes");
    case pxfBCD:
        if (decimals >= 32) // pxlib prints garbage nibbles its own way
            return {};
        return std::fabs(ours.toDouble(field) - px.text.toDouble()) < 1e-9
                   ? QString()
                   : QStringLiteral("bcd %1 vs %2")
                         .arg(ours.toBcdText(field), QString::fromLatin1(px.text));
    default:
        return QStringLiteral("unexpected type %1").arg(px.type);
    }
}

void compareWithPxlib(const QString& path)
{
    QList<int> types;
    const QList<QList<PxlibValue>> theirs = readWithPxlib(path, &types);
    const ParadoxReader reader(path);
    QCOMPARE(int(reader.header().recordCount), theirs.size());
    QCOMPARE(types.size(), reader.header().fields.size());
    int row = 0;
    QString firstDifference;
    reader.forEachRecord([&](const ParadoxRecord& r) {
        for (int i = 0; i < types.size() && firstDifference.isEmpty(); ++i) {
            const QString diff = difference(r, i, theirs[row][i], reader.header().fields[i].size);
            if (!diff.isEmpty())
                firstDifference =
                    QStringLiteral("%1 row %2 field %3: %4").arg(path).arg(row).arg(i).arg(diff);
        }
        ++row;
    });
    QVERIFY2(firstDifference.isEmpty(), qPrintable(firstDifference));
    QCOMPARE(row, theirs.size());
}
} // namespace

class TestParadoxPxlib : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { PX_boot(); }
    void cleanupTestCase() { PX_shutdown(); }
    void samplesDecodeAlike_data();
    void samplesDecodeAlike();
    void writtenTablesDecodeAlike();
    void ownTextTableSetDecodesAlike();
};

void TestParadoxPxlib::samplesDecodeAlike_data()
{
    QTest::addColumn<QString>("path");
    for (const char* name :
         {"country.db", "db_AREACODES.DB", "db_GENERAL.DB", "db_ROMAN8.db", "fields_bcd.db",
          "fields_bytes.db", "fields_date35.db", "fields_date4.db", "fields_date5.db",
          "fields_date7.db", "fields_logical.db", "fields_long.db", "fields_time.db",
          "fields_timestamp.db", "PCLDATA_PCL.DB", "areas_STATES.DB", "mtdemo_TAXRATE.DB"})
        QTest::newRow(name) << TestSupport::paradoxSample(name);
    const QDir real(TestSupport::realDistrictDir());
    for (const QString& name : real.entryList({"*.DB"}, QDir::Files))
        QTest::newRow(qPrintable(name)) << real.filePath(name);
}

void TestParadoxPxlib::samplesDecodeAlike()
{
    QFETCH(QString, path);
    compareWithPxlib(path);
}

void TestParadoxPxlib::writtenTablesDecodeAlike()
{
    static const QList<ParadoxFieldType> types = {
        ParadoxFieldType::Alpha,  ParadoxFieldType::Short,    ParadoxFieldType::Long,
        ParadoxFieldType::Number, ParadoxFieldType::Currency, ParadoxFieldType::Logical,
        ParadoxFieldType::Date,   ParadoxFieldType::Time,     ParadoxFieldType::Timestamp,
        ParadoxFieldType::Bytes,  ParadoxFieldType::Bcd,      ParadoxFieldType::AutoIncrement};
    QRandomGenerator rng(1250);
    QTemporaryDir dir;
    for (int round = 0; round < 25; ++round) {
        QList<ParadoxField> fields;
        const int count = 1 + rng.bounded(12);
        for (int i = 0; i < count; ++i) {
            const ParadoxFieldType t = types[rng.bounded(types.size())];
            const int size = t == ParadoxFieldType::Alpha || t == ParadoxFieldType::Bytes
                                 ? 1 + rng.bounded(40)
                             : t == ParadoxFieldType::Bcd ? rng.bounded(4)
                                                          : 0;
            fields << ParadoxField{QStringLiteral("F%1").arg(i), t, size};
        }
        const int keys = fields[0].type == ParadoxFieldType::AutoIncrement ? 1 : 0;
        QList<QVariantList> rows;
        const int rowCount = rng.bounded(400);
        for (int r = 0; r < rowCount; ++r) {
            QVariantList row;
            for (const ParadoxField& f : fields) {
                if (rng.bounded(5) == 0 && f.type != ParadoxFieldType::AutoIncrement) {
                    row << QVariant();
                    continue;
                }
                switch (f.type) {
                case ParadoxFieldType::Alpha:
                    row << QStringLiteral("žluťoučký kůň %1").arg(r).left(f.size);
                    break;
                case ParadoxFieldType::Short:
                    row << int(rng.bounded(65535)) - 32767;
                    break;
                case ParadoxFieldType::Long:
                    row << int(rng.bounded(4000000)) - 2000000;
                    break;
                case ParadoxFieldType::AutoIncrement:
                    row << r + 1;
                    break;
                case ParadoxFieldType::Number:
                case ParadoxFieldType::Currency:
                    row << (rng.generateDouble() - 0.3) * 1e6;
                    break;
                case ParadoxFieldType::Logical:
                    row << bool(rng.bounded(2));
                    break;
                case ParadoxFieldType::Date:
                    row << QDate(1950, 1, 1).addDays(rng.bounded(40000));
                    break;
                case ParadoxFieldType::Time:
                    row << QTime::fromMSecsSinceStartOfDay(rng.bounded(86400000));
                    break;
                case ParadoxFieldType::Timestamp:
                    row << QDateTime(QDate(2000, 1, 1).addDays(rng.bounded(9000)),
                                     QTime(12, 30, 15), Qt::UTC);
                    break;
                case ParadoxFieldType::Bytes:
                    row << QByteArray(1 + rng.bounded(f.size), char(1 + rng.bounded(200)));
                    break;
                case ParadoxFieldType::Bcd:
                    row << double(int(rng.bounded(200000)) - 100000) / 100;
                    break;
                default:
                    row << QVariant();
                }
            }
            rows << row;
        }
        const QString path = dir.filePath(QStringLiteral("W%1.DB").arg(round));
        ParadoxWriter::writeTable(path, fields, keys, rows);
        compareWithPxlib(path);
    }
}

namespace {
// Key fields of the own-text table as pxlib reads them through its primary
// index (pxlib 0.6.8 aborts on every .MB file, Paradox's own ones too, so the
// memo texts are not read here); {""} when a file is refused.
QStringList ownTextKeysWithPxlib(const QString& dir)
{
    pxdoc_t* doc = PX_new();
    pxdoc_t* index = PX_new();
    QStringList rows;
    const QByteArray db = QFile::encodeName(dir + "/ORVTX001.DB");
    const QByteArray px = QFile::encodeName(dir + "/ORVTX001.PX");
    if (PX_open_file(doc, db.constData()) < 0 || PX_open_file(index, px.constData()) < 0 ||
        PX_read_primary_index(index) < 0 || PX_add_primary_index(doc, index) < 0) {
        rows << QString();
    } else {
        for (int r = 0; r < PX_get_num_records(doc); ++r) {
            pxval_t** v = PX_retrieve_record(doc, r);
            rows << QStringLiteral("%1 %2 %3 %4")
                        .arg(v[0]->value.lval)
                        .arg(v[1]->value.lval)
                        .arg(v[2]->value.lval)
                        .arg(v[3]->value.lval);
            for (int i = 0; i < PX_get_num_fields(doc); ++i) {
                if (!v[i]->isnull && v[i]->type == pxfAlpha && v[i]->value.str.val)
                    doc->free(doc, v[i]->value.str.val);
                doc->free(doc, v[i]);
            }
            doc->free(doc, v);
        }
    }
    PX_close(doc);
    PX_delete(doc);
    PX_close(index);
    PX_delete(index);
    return rows;
}

} // namespace

// The own-text table as the browser creates and fills it: a complete set of
// .DB, .MB and .PX from the first moment that pxlib opens with its index (the
// texts are read back by our reader in the browser's end-to-end test).
void TestParadoxPxlib::ownTextTableSetDecodesAlike()
{
    QTemporaryDir dir;
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName(QStringLiteral("ORVTX001.DB"));
    t.setFieldDefs(ParDilyRules::OwnTextFields());
    t.setIndexDefs(ParDilyRules::OwnTextIndexes());
    t.createTable();
    for (const char* ext : {"DB", "MB", "PX"})
        QVERIFY2(QFile::exists(dir.filePath(QStringLiteral("ORVTX001.") + ext)), ext);
    QCOMPARE(ownTextKeysWithPxlib(dir.path()), QStringList());
    t.setIndexFieldNames(QStringLiteral("PARSKUP;PARCIS;PARPOD;PARDIL"));
    t.open();
    const QStringList keys = {"PARSKUP", "PARCIS", "PARPOD", "PARDIL"};
    const QList<QPair<QVariantList, QString>> texts = {
        {{2, 15, 3, 1}, QString(3000, u'ž')},
        {{1, 20, 0, 1}, QStringLiteral("krátký\ts tabulátorem")},
        {{2, 16, 0, 1}, QStringLiteral("x")}};
    for (const auto& [key, text] : texts) {
        t.append();
        for (int i = 0; i < 4; ++i)
            t.setValue(keys[i], key[i]);
        t.setValue(QStringLiteral("TEXT"), text);
        t.post();
    }
    t.close();
    QCOMPARE(ownTextKeysWithPxlib(dir.path()), (QStringList{"1 20 0 1", "2 15 3 1", "2 16 0 1"}));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("ORVTX001.MB"))));
}

QTEST_GUILESS_MAIN(TestParadoxPxlib)
#include "tst_paradoxpxlib.moc"
