#include "base/ETalvekException.h"
#include "common/TestSupport.h"
#include "db/BatchMove.h"
#include "db/Engine.h"
#include "db/SqliteStatement.h"
#include "db/Table.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

// Batch moves between tables created in a temporary directory: key matching,
// value conversion, and that a failed move changes nothing.
class TestBatchMove : public QObject
{
    Q_OBJECT

private slots:
    void appendSkipsExistingKeysAndConverts();
    void appendUpdateAndDeleteMatchOnKey();
    void failedWriteChangesNothing();

private:
    struct Row
    {
        int group;
        int stem;
        double area;
        QString text;
    };
    static void fill(Table& t, const QString& dir, const QString& name, bool keyed,
                     const QList<Row>& rows);
    static qint64 sqlCount(const Table& t);
};

void TestBatchMove::fill(Table& t, const QString& dir, const QString& name, bool keyed,
                         const QList<Row>& rows)
{
    t.setDatabaseName(dir);
    t.setTableName(name);
    t.setFieldDefs({{"PARSKUP", FieldType::SmallInt},
                    {"PARCIS", FieldType::Integer},
                    {"VYMERA", FieldType::Float},
                    {"PARCISLO", FieldType::String, 40},
                    {"FLAG", FieldType::Boolean}});
    t.setIndexDefs(keyed ? QList<IndexDef>{{"KEY", {"PARSKUP", "PARCIS"}, true, true}}
                         : QList<IndexDef>{});
    t.createTable();
    t.open();
    for (const Row& r : rows) {
        t.append();
        t.setValue("PARSKUP", r.group);
        t.setValue("PARCIS", r.stem);
        t.setValue("VYMERA", r.area);
        t.setValue("PARCISLO", r.text);
        t.post();
    }
}

qint64 TestBatchMove::sqlCount(const Table& t)
{
    SqliteStatement count(Engine::instance().db().handle(),
                          "SELECT COUNT(*) FROM \"" + t.sqlTableName() + "\"");
    count.step();
    return count.int64(0);
}

void TestBatchMove::appendSkipsExistingKeysAndConverts()
{
    QTemporaryDir dir;
    Table source;
    fill(source, dir.path(), "SRC.DB", false,
         {{2, 1, 2.5, "first"}, {2, 2, 3.5, "a text much longer than twelve"}, {2, 1, 9, "again"}});
    Table work;
    work.setDatabaseName(dir.path());
    work.setTableName("PRAC.DB");
    work.setFieldDefs({{"PARSKUP", FieldType::SmallInt},
                       {"PARCIS", FieldType::Integer},
                       {"VYMERA", FieldType::Integer},
                       {"PARCISLO", FieldType::String, 12},
                       {"LVCIS", FieldType::Integer}});
    work.setIndexDefs({{"PCDIL", {"PARSKUP", "PARCIS"}, true, true}});
    work.createTable();
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

void TestBatchMove::appendUpdateAndDeleteMatchOnKey()
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
    QCOMPARE(ParadoxReader(dir.filePath("PRAC.DB")).readAll().size(), 3);
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

void TestBatchMove::failedWriteChangesNothing()
{
    QTemporaryDir dir;
    const QString sub = dir.filePath("work");
    QDir().mkpath(sub);
    Table work;
    fill(work, sub, "PRAC.DB", true, {{2, 1, 10, "a"}});
    Table source;
    fill(source, dir.path(), "SRC.DB", false, {{2, 2, 20, "b"}, {2, 3, 30, "c"}});
    // The work directory disappears: the file cannot be written back.
    QVERIFY(QDir(sub).removeRecursively());
    QVERIFY_THROWS_EXCEPTION(ETalvekException,
                             BatchMove::execute(source, work, BatchMove::Mode::Append));
    QCOMPARE(sqlCount(work), 1); // the engine's copy was rolled back as well
    work.edit();
    work.setValue("VYMERA", 11);
    QVERIFY_THROWS_EXCEPTION(ETalvekException, work.post());
    work.cancel();
    SqliteStatement area(Engine::instance().db().handle(),
                         "SELECT VYMERA FROM \"" + work.sqlTableName() + "\"");
    QVERIFY(area.step());
    QCOMPARE(area.real(0), 10.0);
}

QTEST_GUILESS_MAIN(TestBatchMove)
#include "tst_batchmove.moc"
