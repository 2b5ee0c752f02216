#include "common/TestSupport.h"
#include "data/CadastralTables.h"
#include "data/DemoDistrictGenerator.h"
#include "db/paradox/ParadoxTable.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// One hash over the names and contents of every file under `dir`.
QString fileDigest(const QString& dir)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    QStringList files;
    for (QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files.append(QDir(dir).relativeFilePath(it.next()));
    files.sort();
    for (const QString& name : files) {
        QFile file(dir + '/' + name);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        hash.addData((name + '\n').toUtf8() + file.readAll());
    }
    return QString::fromLatin1(hash.result().toHex());
}

using CadastralTables::PerAreaTable;

} // namespace

class TestDemoDistrict : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_district;
    QString path(const QString& file) const { return m_district + QLatin1Char('/') + file; }

private slots:
    void initTestCase()
    {
        m_district = m_dir.filePath("okres");
        QCOMPARE(DemoDistrictGenerator({}).generate(m_district).areas, 3);
    }

    // Every generated table has the field names and types of the real
    // district's table of the same name, so the program reads both alike.
    void tablesHaveTheRealLayout_data()
    {
        QTest::addColumn<QString>("generated");
        QTest::addColumn<QString>("real");
        const QString real = TestSupport::realDistrictDir() + '/';
        for (const char* prefix : {"NYSPA", "NYSUV", "NYSVL", "NYSTX", "NYSBO"})
            QTest::newRow(prefix) << PerAreaTable(prefix, "002")
                                  << real + PerAreaTable(prefix, "001");
        QTest::newRow("NYSOBORG") << "NYSOBORG.DB" << real + "NYSOBORG.DB";
        QTest::newRow("NYSKATAL") << "NYSKATAL.DB" << real + "NYSKATAL.DB";
        for (const char* code :
             {"PARSKUP", "KVALVYM1", "DRUHPOZ", "NIXVYUZ", "OCHRNEM1", "OCHRNEM2", "OCHRNEM3",
              "VLAVZT", "CHARUV", "SEKTOR", "NIXDTEXT", "NIXLIST"}) {
            const QString file = QString::fromLatin1(code) + ".DB";
            QTest::newRow(code) << "WorkDB/" + file << TestSupport::realWorkDbDir() + '/' + file;
        }
    }
    void tablesHaveTheRealLayout()
    {
        QFETCH(QString, generated);
        QFETCH(QString, real);
        const ParadoxReader ours(path(generated));
        const ParadoxReader theirs(real);
        QCOMPARE(ours.header().fields, theirs.header().fields);
        QCOMPARE(ours.header().keyFieldCount, theirs.header().keyFieldCount);
        QCOMPARE(ours.header().codePage, 1250);
        QVERIFY(ours.header().recordCount > 0);
    }

    // The same seed gives the same files, another seed others; the tool
    // never writes into a directory with other data.
    void generationIsRepeatableAndNeverOverwrites()
    {
        QTemporaryDir other;
        DemoDistrictGenerator({}).generate(other.filePath("a"));
        DemoDistrictGenerator({DemoDistrictGenerator::Size::Small, 2})
            .generate(other.filePath("b"));
        const QString digest = fileDigest(m_district);
        QCOMPARE(fileDigest(other.filePath("a")), digest);
        QVERIFY(fileDigest(other.filePath("b")) != digest);
        QProcess tool;
        tool.start(TestSupport::orvToolPath(), {"gen", "--out", m_district, "--seed", "7"});
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(QString::fromUtf8(tool.readAllStandardError()).contains("není prázdný"));
        QCOMPARE(fileDigest(m_district), digest);
    }
};

QTEST_GUILESS_MAIN(TestDemoDistrict)
#include "tst_demodistrict.moc"
