#include "common/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// scripts/prepare-demo.sh: the demo district is generated once into the
// user's data directory, the alias DEMO is defined only when there is no
// alias yet, and the code tables land where the program looks for them.
class TestPrepareDemo : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_root;
    QString m_build;

    QProcessEnvironment environment(const QString& config) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", m_root.filePath("data"));
        env.insert("ORV_CONFIG_DIR", config);
        env.remove("ORV_WORKDB");
        return env;
    }

    QString run(const QProcessEnvironment& env)
    {
        QProcess script;
        script.setProcessEnvironment(env);
        script.start("bash",
                     {QStringLiteral(ORV_SOURCE_DIR) + "/scripts/prepare-demo.sh", m_build});
        if (!script.waitForFinished(120000) || script.exitCode() != 0)
            qWarning() << script.readAllStandardError();
        return script.exitCode() == 0 ? QString::fromUtf8(script.readAllStandardOutput())
                                      : QStringLiteral("FAILED");
    }

    QString aliases(const QProcessEnvironment& env) const
    {
        QProcess tool;
        tool.setProcessEnvironment(env);
        tool.start(TestSupport::orvToolPath(), {"alias", "list"});
        tool.waitForFinished();
        return QString::fromUtf8(tool.readAllStandardOutput());
    }

private slots:
    void initTestCase()
    {
        // A build directory holding only the tool, as the script expects.
        m_build = m_root.filePath("build");
        QVERIFY(QDir().mkpath(m_build));
        QVERIFY(QFile::link(TestSupport::orvToolPath(), m_build + "/orv-tool"));
    }

    void firstRunGeneratesDefinesAndCopies()
    {
        const QProcessEnvironment env = environment(m_root.filePath("config"));
        QVERIFY(run(env) != "FAILED");
        const QString demo = m_root.filePath("data/ORV/demo");
        QVERIFY(QFile::exists(demo + "/NYSKATAL.DB"));
        QVERIFY(QFile::exists(demo + "/NYSPA001.DB"));
        QVERIFY(QFile::exists(m_build + "/WorkDB/PARSKUP.DB"));
        QVERIFY(QFile::exists(m_build + "/WorkDB/NIXDTEXT.DB"));
        QVERIFY(aliases(env).startsWith("DEMO\tSTANDARD\t" + QFileInfo(demo).canonicalFilePath()));
        // No leftovers of the generation beside the district.
        QCOMPARE(QDir(m_root.filePath("data/ORV")).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList{"demo"});

        // A second run changes nothing.
        const QDateTime generated = QFileInfo(demo + "/NYSPA001.DB").lastModified();
        QCOMPARE(run(env), QString());
        QCOMPARE(QFileInfo(demo + "/NYSPA001.DB").lastModified(), generated);
        QCOMPARE(aliases(env).count('\n'), 1);
    }

    void existingAliasesAndCodeTablesAreLeftAlone()
    {
        QProcessEnvironment env = environment(m_root.filePath("config2"));
        QProcess tool;
        tool.setProcessEnvironment(env);
        tool.start(TestSupport::orvToolPath(), {"alias", "add", "OKRES", m_root.path(), "--force"});
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 0);
        const QString workDb = m_root.filePath("workdb");
        env.insert("ORV_WORKDB", workDb);
        QVERIFY(QDir().mkpath(workDb));
        QFile own(workDb + "/parskup.db");
        QVERIFY(own.open(QIODevice::WriteOnly));
        own.write("own");
        own.close();

        QVERIFY(run(env) != "FAILED");
        QVERIFY(aliases(env).startsWith("OKRES\t"));
        QCOMPARE(aliases(env).count('\n'), 1);
        QCOMPARE(QDir(workDb).entryList(QDir::Files), QStringList{"parskup.db"});
    }
};

QTEST_GUILESS_MAIN(TestPrepareDemo)
#include "tst_preparedemo.moc"
