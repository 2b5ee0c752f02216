#include "common/TestSupport.h"
#include "data/CadastralTables.h"
#include "data/DemoDistrictGenerator.h"
#include "data/ParcelNumber.h"
#include "db/paradox/ParadoxTable.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A whole table read into memory, columns addressed by name.
struct Table
{
    explicit Table(const QString& path) : reader(path), rows(reader.readAll()) {}
    qint64 i(const QVariantList& row, const char* name) const
    {
        return qRound64(row.value(reader.fieldIndex(name), qQNaN()).toDouble());
    }

    ParadoxReader reader;
    QList<QVariantList> rows;
};

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
    DemoDistrictGenerator::Summary m_summary;
    QString m_build;
    QString path(const QString& file) const { return m_district + QLatin1Char('/') + file; }
    QProcessEnvironment environment(const QString& config) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", m_dir.filePath("data"));
        env.insert("ORV_CONFIG_DIR", config);
        env.remove("ORV_WORKDB");
        return env;
    }

    // The standard output of a program run in `env`; "FAILED" when it fails.
    static QString run(const QProcessEnvironment& env, const QString& program,
                       const QStringList& args)
    {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, args);
        if (!process.waitForFinished(120000) || process.exitCode() != 0)
            qWarning() << process.readAllStandardError();
        return process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput())
                                       : QStringLiteral("FAILED");
    }
    QString prepare(const QProcessEnvironment& env)
    {
        return run(env, "bash",
                   {QStringLiteral(ORV_SOURCE_DIR "/scripts/prepare-demo.sh"), m_build});
    }
    static QString aliases(const QProcessEnvironment& env)
    {
        return run(env, TestSupport::orvToolPath(), {"alias", "list"});
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_district = m_dir.filePath("okres");
        m_summary = DemoDistrictGenerator({}).generate(m_district);
        QCOMPARE(m_summary.areas, 3);
        // A build directory holding only the tool, as the prepare script expects.
        m_build = m_dir.filePath("build");
        QVERIFY(QDir().mkpath(m_build));
        QVERIFY(QFile::link(TestSupport::orvToolPath(), m_build + "/orv-tool"));
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

    // scripts/prepare-demo.sh: the demo district is generated once into the
    // user's data directory, the alias DEMO is defined only when there is no
    // alias yet, and the code tables land where the program looks for them
    // unless the user has their own.
    void prepareScript()
    {
        QProcessEnvironment env = environment(m_dir.filePath("config"));
        QVERIFY(prepare(env) != "FAILED");
        const QString demo = m_dir.filePath("data/ORV/demo");
        for (const QString& file :
             {demo + "/NYSKATAL.DB", demo + "/NYSPA001.DB", m_build + "/WorkDB/PARSKUP.DB",
              m_build + "/WorkDB/NIXDTEXT.DB"})
            QVERIFY2(QFile::exists(file), qPrintable(file));
        QVERIFY(aliases(env).startsWith("DEMO\tSTANDARD\t" + QFileInfo(demo).canonicalFilePath()));
        // No leftovers of the generation beside the district; a second run
        // changes nothing.
        QCOMPARE(QDir(m_dir.filePath("data/ORV")).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList{"demo"});
        const QDateTime generated = QFileInfo(demo + "/NYSPA001.DB").lastModified();
        QCOMPARE(prepare(env), QString());
        QCOMPARE(QFileInfo(demo + "/NYSPA001.DB").lastModified(), generated);
        QCOMPARE(aliases(env).count('\n'), 1);

        // Another user with an alias and own code tables: both are left alone.
        env = environment(m_dir.filePath("config2"));
        QVERIFY(run(env, TestSupport::orvToolPath(),
                    {"alias", "add", "OKRES", m_dir.path(), "--force"}) != "FAILED");
        const QString workDb = m_dir.filePath("workdb");
        env.insert("ORV_WORKDB", workDb);
        QVERIFY(QDir().mkpath(workDb));
        QFile own(workDb + "/parskup.db");
        QVERIFY(own.open(QIODevice::WriteOnly) && own.write("own") == 3);
        own.close();
        QVERIFY(prepare(env) != "FAILED");
        QVERIFY(aliases(env).startsWith("OKRES\t"));
        QCOMPARE(aliases(env).count('\n'), 1);
        QCOMPARE(QDir(workDb).entryList(QDir::Files), QStringList{"parskup.db"});
    }
};

QTEST_GUILESS_MAIN(TestDemoDistrict)
#include "tst_demodistrict.moc"
