#include "common/TestSupport.h"
#include "data/CadastralTables.h"
#include "data/CountryGenerator.h"
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

// Runs scripts/prepare-demo.sh for the build directory `build` in `env`;
// its standard output, or "FAILED".
QString prepareDemo(const QString& build, const QProcessEnvironment& env)
{
    QProcess script;
    script.setProcessEnvironment(env);
    script.start("bash", {QStringLiteral(ORV_SOURCE_DIR) + "/scripts/prepare-demo.sh", build});
    if (!script.waitForFinished(120000) || script.exitCode() != 0)
        return QStringLiteral("FAILED");
    return QString::fromUtf8(script.readAllStandardOutput());
}

QString aliasList(const QProcessEnvironment& env)
{
    QProcess tool;
    tool.setProcessEnvironment(env);
    tool.start(TestSupport::orvToolPath(), {"alias", "list"});
    tool.waitForFinished();
    return QString::fromUtf8(tool.readAllStandardOutput());
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
    // An area of more than 10,000 private sheets ran into the municipality's
    // sheet 10001 ("dva záznamy mají stejný klíč" from `gen --size country
    // --districts 3 --areas 3`): private sheets skip 10001 and 10002.
    void countryAreaPastTenThousandSheets()
    {
        QTemporaryDir dir;
        const CountryGenerator::Summary country =
            CountryGenerator({1, 1, 30000, 20, 1}).generate(dir.filePath("country"));
        const ParadoxReader reader(country.districts.value(0).directory + "/NYSUV001.DB");
        QHash<double, int> ownersOfSheet;
        reader.forEachRecord([&](const ParadoxRecord& r) { ++ownersOfSheet[r.toDouble(0)]; });
        QVERIFY(ownersOfSheet.size() > 10002);
        QCOMPARE(ownersOfSheet.value(10001), 1); // the municipality
        QCOMPARE(ownersOfSheet.value(10002), 2); // the State and one of its bodies
    }

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
    // scripts/prepare-demo.sh generates the demo district once into the
    // user's data directory, defines DEMO only when there is no alias yet and
    // copies the code tables where the program looks, never over the user's.
    void prepareScriptDefinesOnceAndKeepsUsersFiles()
    {
        const QString build = m_dir.filePath("build");
        QVERIFY(QDir().mkpath(build));
        QVERIFY(QFile::link(TestSupport::orvToolPath(), build + "/orv-tool"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", m_dir.filePath("data"));
        env.insert("ORV_CONFIG_DIR", m_dir.filePath("config"));
        env.remove("ORV_WORKDB");
        QVERIFY(prepareDemo(build, env) != "FAILED");
        const QString demo = QFileInfo(m_dir.filePath("data/ORV/demo")).canonicalFilePath();
        QVERIFY(QFile::exists(demo + "/NYSPA001.DB"));
        QVERIFY(QFile::exists(build + "/WorkDB/PARSKUP.DB"));
        QVERIFY(aliasList(env).startsWith("DEMO\tSTANDARD\t" + demo));
        const QString digest = fileDigest(demo);
        QCOMPARE(prepareDemo(build, env), QString()); // a second run changes nothing
        QCOMPARE(fileDigest(demo), digest);
        QCOMPARE(aliasList(env).count('\n'), 1);

        // Another user: an alias of his own and his own code tables.
        env.insert("ORV_CONFIG_DIR", m_dir.filePath("config2"));
        env.insert("ORV_WORKDB", m_dir.filePath("workdb"));
        QVERIFY(QDir().mkpath(m_dir.filePath("workdb")));
        QFile own(m_dir.filePath("workdb/parskup.db"));
        QVERIFY(own.open(QIODevice::WriteOnly) && own.write("own") == 3);
        own.close();
        QProcess tool;
        tool.setProcessEnvironment(env);
        tool.start(TestSupport::orvToolPath(), {"alias", "add", "OKRES", m_dir.path(), "--force"});
        QVERIFY(tool.waitForFinished() && tool.exitCode() == 0);
        QVERIFY(prepareDemo(build, env) != "FAILED");
        QVERIFY(aliasList(env).startsWith("OKRES\t"));
        QCOMPARE(aliasList(env).count('\n'), 1);
        QCOMPARE(QDir(m_dir.filePath("workdb")).entryList(QDir::Files), QStringList{"parskup.db"});
    }
};

QTEST_GUILESS_MAIN(TestDemoDistrict)
#include "tst_demodistrict.moc"
