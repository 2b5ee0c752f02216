#include "base/ETalvekException.h"
#include "common/TestSupport.h"
#include "data/DemoFields.h"
#include "data/ParcelTable.h"
#include "data/SelectionHistory.h"
#include "data/WorkTable.h"
#include "db/Table.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A parcel table with the registry's layout and a few parcels:
// group 2: 15 (two parts), 15/1, 15/2 (two parts), 16; group 1: -15.
void writeParcelTable(const QString& path)
{
    auto row = [](int skup, int cis, int pod, int dil, double vymera, int druh, double cpce, int lv,
                  const char* text) {
        return QVariantList{skup, cis, pod, dil, vymera, 2, druh, 0,      400, 0,
                            cpce, 0,   lv,  1,   "DKM",  0, 2,    102420, text};
    };
    ParadoxWriter::writeTable(
        path, DemoFields::parcelFields(), 4,
        {row(1, 15, 0, 0, 120, 13, 10005, 7, "-15"), row(2, 15, 0, 1, 1000.5, 2, 0, 7, "15"),
         row(2, 15, 0, 2, 1001.5, 2, 0, 7, "15"), row(2, 15, 1, 0, 300, 5, 0, 8, "15/1"),
         row(2, 15, 2, 1, 40, 14, 0, 9, "15/2"), row(2, 15, 2, 2, 41, 14, 0, 9, "15/2"),
         row(2, 16, 0, 0, 5000, 10, 0, 10, "16")});
}

// The rows of a work table as "group:stem/sub.part text sheet area house flag".
QStringList rowsOf(const QString& dir)
{
    Table t;
    t.setDatabaseName(dir);
    t.setTableName(WorkTableFile);
    t.open();
    QStringList rows;
    for (t.first(); !t.eof(); t.next())
        rows << QStringLiteral("%1:%2/%3.%4 %5 %6 %7 %8 %9")
                    .arg(t.asInteger("PARSKUP"))
                    .arg(t.asInteger("PARCIS"))
                    .arg(t.asInteger("PARPOD"))
                    .arg(t.asInteger("PARDIL"))
                    .arg(t.asString("PARCISLO"))
                    .arg(t.asInteger("LVCIS"))
                    .arg(t.asInteger("VYMERA"))
                    .arg(t.asInteger("CPCE"))
                    .arg(int(t.asBoolean("FLAG")));
    return rows;
}

} // namespace

class TestWorkTable : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_area;
    std::unique_ptr<QTemporaryDir> m_workDir;
    std::unique_ptr<Table> m_parcels;
    Table m_work;
    QString workDir() const { return m_workDir->path(); }
    QStringList workKeys() const
    {
        QStringList keys;
        for (const QString& row : rowsOf(workDir()))
            keys << row.section(' ', 0, 0);
        return keys;
    }

private slots:
    void initTestCase()
    {
        writeParcelTable(m_area.filePath("NYSPA001.DB"));
        m_parcels = OpenParcelTable(m_area.path(), "001");
    }

    void init()
    {
        m_workDir = std::make_unique<QTemporaryDir>();
        OpenOrCreateWorkTable(m_work, m_workDir->filePath(WorkTableFile));
    }

    void cleanup() { m_work.close(); }

    // A stem brings every part and subdivision, marked, with areas rounded
    // half to even; a placeholder row has zeros; the parcel table's range is
    // lifted again.
    void rowsCarryTheParcelValues()
    {
        const int parcelRows = m_parcels->recordCount();
        QCOMPARE(AddParcelToWork("15", m_work, *m_parcels, false), 5);
        QCOMPARE(AddParcelToWork("99/3", m_work, *m_parcels, true), 1);
        QCOMPARE(rowsOf(workDir()),
                 (QStringList{"2:15/0.1 15 7 1000 0 1", "2:15/0.2 15 7 1002 0 1",
                              "2:15/1.0 15/1 8 300 0 1", "2:15/2.1 15/2 9 40 0 1",
                              "2:15/2.2 15/2 9 41 0 1", "2:99/3.0 99/3 0 0 0 1"}));
        QCOMPARE(m_parcels->recordCount(), parcelRows);
    }

    // Each typed number in turn: how many rows it adds, and the work table's keys after all.
    void typedNumbersAddTheirParts_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<bool>("addMissing");
        QTest::addColumn<QList<int>>("added");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("only the subdivision, other group")
            << QStringList{"15/2", "-15"} << false << QList<int>{2, 1}
            << QStringList{"1:15/0.0", "2:15/2.1", "2:15/2.2"};
        QTest::newRow("missing, not wanted")
            << QStringList{"99/3"} << false << QList<int>{0} << QStringList{};
        // Odd texts are data, never SQL; a long one is cut to the field size.
        QTest::newRow("odd texts")
            << QStringList{"7:'; DROP TABLE x", QString::fromUtf8("(řčš/12345)"), ""} << true
            << QList<int>{1, 1, 1} << QStringList{"2:0/0.0", "5:0/12345.0", "7:0/0.0"};
    }
    void typedNumbersAddTheirParts()
    {
        QFETCH(QStringList, typed);
        QFETCH(bool, addMissing);
        QFETCH(QList<int>, added);
        QFETCH(QStringList, keys);
        QList<int> counts;
        for (const QString& text : typed)
            counts.append(AddParcelToWork(text, m_work, *m_parcels, addMissing));
        QCOMPARE(counts, added);
        QCOMPARE(workKeys(), keys);
    }

    // A subdivision beyond the 16-bit field cannot exist: a clear error, and
    // the table object stays usable.
    void tooLargeSubdivisionRefused()
    {
        QVERIFY_THROWS_EXCEPTION(ETalvekException,
                                 AddParcelToWork("15/1234567890", m_work, *m_parcels, true));
        QCOMPARE(m_work.state(), Dataset::State::Browse);
        QCOMPARE(AddParcelToWork("16", m_work, *m_parcels, true), 1);
    }

    void aListIsAddedInOrderAndAllOrNothing()
    {
        QCOMPARE(AddParcelsToWork({"15/2", "15", "15/2", "99", "16"}, m_work, *m_parcels, true), 4);
        QCOMPARE(workKeys(), (QStringList{"2:15/2.1", "2:15/2.2", "2:16/0.0", "2:99/0.0"}));
        QVERIFY_THROWS_EXCEPTION(ETalvekException, AddParcelsToWork({"15/1", "9:1/99999", "-15"},
                                                                    m_work, *m_parcels, true));
        QCOMPARE(workKeys(), (QStringList{"2:15/2.1", "2:15/2.2", "2:16/0.0", "2:99/0.0"}));
        QCOMPARE(m_work.recordCount(), 4);
    }

    // A failed step leaves the list and the count alone and its table is
    // overwritten by the next step; no step is taken beyond the last table.
    void failedAndExcessStepsChangeNothing()
    {
        SelectionHistory history(m_work);
        history.start("start");
        QVERIFY_THROWS_EXCEPTION(ETalvekException,
                                 history.step([] { throw ETalvekException("chyba dotazu"); },
                                              [] { return QString("never"); }));
        QCOMPARE(history.tableCount(), 0);
        QCOMPARE(history.lines(), QStringList{"start"});
        QVERIFY(QFile::exists(m_workDir->filePath(HistoryTableName(0))));
        for (int i = 0; i < SelectionHistory::MaxTables; ++i)
            QVERIFY(history.step([] {}, [] { return QString("+"); }));
        QCOMPARE(history.tableCount(), SelectionHistory::MaxTables);
        QVERIFY(!history.canStep());
        bool applied = false;
        QVERIFY(!history.step([&] { applied = true; }, [] { return QString("+"); }));
        QVERIFY(!applied);
        QCOMPARE(history.lines().size(), SelectionHistory::MaxTables + 1);
        QVERIFY(!QFile::exists(m_workDir->filePath(HistoryTableName(SelectionHistory::MaxTables))));
    }

    void uncreatableWorkTableNamesThePathAndKeepsTheOldOne()
    {
        AddParcelToWork("16", m_work, *m_parcels, false);
        m_work.close();
        // The index file's name is taken by a directory: writing the new
        // table set fails before the old table is replaced.
        QVERIFY(QFile::remove(m_workDir->filePath("PRAC.PX")));
        QVERIFY(QDir(workDir()).mkdir("PRAC.PX"));
        const QString message = TestSupport::refusal([&] { CreateWorkTable(m_work); });
        QVERIFY2(message.contains(m_workDir->filePath(WorkTableFile)), qPrintable(message));
        QCOMPARE(workKeys(), QStringList{"2:16/0.0"});
        Table missing;
        missing.setDatabaseName(m_workDir->filePath("chybí"));
        missing.setTableName(WorkTableFile);
        QVERIFY(TestSupport::refusal([&] {
                    CreateWorkTable(missing);
                }).contains(m_workDir->filePath("chybí")));
    }

    void openParcelTableFailsCleanlyForAMissingArea()
    {
        QVERIFY_THROWS_EXCEPTION(ETalvekException, OpenParcelTable(m_area.path(), "002"));
        QVERIFY_THROWS_EXCEPTION(ETalvekException, OpenParcelTable("NEEXISTUJICI_ALIAS", "001"));
        // An open table bound anew to a missing area is left closed.
        Table parcels;
        OpenParcelTable(parcels, m_area.path(), "001");
        QVERIFY_THROWS_EXCEPTION(ETalvekException, OpenParcelTable(parcels, m_area.path(), "002"));
        QVERIFY(!parcels.isActive());
    }
};

QTEST_GUILESS_MAIN(TestWorkTable)
#include "tst_worktable.moc"
