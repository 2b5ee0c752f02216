// Start-up: installation values, first run, the work directory, alias paths,
// command-line switches and the single-copy rule (also of the real program).
#include "common/TestSupport.h"
#include "db/AliasPaths.h"
#include "settings/RegistryKeys.h"
#include "app/core/StartupCheck.h"
#include "app/core/TApp.h"
#include "app/core/TCommandLine.h"
#include "app/core/TInstallInfo.h"
#include "app/core/TSingleInstance.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {
constexpr auto HKCU = TRegistry::Hive::CurrentUser;
constexpr auto HKLM = TRegistry::Hive::LocalMachine;

void touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstStartWorkDir_data();
    void firstStartWorkDir();
    void setWorkDirChangesWorkPathOnly();
    void aliasPaths_data();
    void aliasPaths();
    void commandLineSwitches_data();
    void commandLineSwitches();
    void singleInstanceLock();
    void machineConfigScript();
    void secondCopyEndsAtOnce();

private:
    QString unwritableDir(const QString& name);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_exeDir;
    std::shared_ptr<TRegistry> m_registry;
    std::shared_ptr<TApp> m_app;
    QStringList m_locked;
    QByteArray m_dataHome;
};

void TestStartup::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_exeDir = m_dir->filePath("bin");
    QDir().mkpath(m_exeDir);
    m_registry =
        std::make_shared<TRegistry>(m_dir->filePath("user.reg"), m_dir->filePath("machine.reg"));
    m_app = std::make_shared<TApp>(m_registry, m_exeDir);
    TInstallInfo::Set(QString(), QString());
    m_dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", m_dir->filePath("data").toLocal8Bit());
}

void TestStartup::cleanup()
{
    for (const QString& dir : m_locked)
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ExeOwner);
    m_locked.clear();
    qputenv("XDG_DATA_HOME", m_dataHome);
}

// A directory in which nothing can be created: read-only, or for root (whom
// permissions do not stop) a path under a regular file.
QString TestStartup::unwritableDir(const QString& name)
{
    const QString path = m_dir->filePath(name);
    if (geteuid() == 0) {
        touch(path);
        return path + "/sub";
    }
    QDir().mkpath(path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    m_locked << path;
    return path;
}

void TestStartup::firstStartWorkDir_data()
{
    // Where the first start puts the work directory, by the installer's values
    // (with the first-run mark), the program directory (writable, read-only,
    // an installed bin), the data directory and a stored work alias (WorkDir
    // beside the program, or the user's own directory: missing, made, a file).
    QTest::addColumn<bool>("install");
    QTest::addColumn<QString>("exe");
    QTest::addColumn<bool>("dataWritable");
    QTest::addColumn<QString>("alias");
    QTest::addColumn<QString>("work");
    QTest::addColumn<bool>("created");
    QTest::addColumn<QString>("warning");
    const auto row = [](const char* name, bool install, const char* exe, bool dataWritable,
                        const char* alias, const char* work, bool created, const char* warning) {
        QTest::newRow(name) << install << exe << dataWritable << alias << work << created
                            << warning;
    };
    row("first run", true, "writable", true, "", "exe", true, "");
    row("no installation values", false, "writable", true, "", "exe", true, "");
    row("program dir read-only", true, "locked", true, "", "data", true, "");
    row("installed program", true, "installed", true, "", "data", true, "");
    row("nothing writable", false, "locked", false, "", "data", false, "nelze vytvořit");
    row("default alias, dir never made", true, "writable", true, "default", "exe", true, "");
    row("existing alias kept", true, "writable", true, "made", "made", true, "");
    row("own dir is not created", false, "writable", true, "own", "own", false, "neexistuje");
    row("work dir is a file", false, "writable", true, "file", "file", false, "neexistuje");
}

void TestStartup::firstStartWorkDir()
{
    QFETCH(bool, install);
    QFETCH(QString, exe);
    QFETCH(bool, dataWritable);
    QFETCH(QString, alias);
    QFETCH(QString, work);
    QFETCH(bool, created);
    QFETCH(QString, warning);
    if (install) {
        m_registry->WriteString(HKLM, RegistryKeys::Install, "Name", "Jan Novák");
        m_registry->WriteString(HKLM, RegistryKeys::Install, "Company", "Katastrální úřad");
        m_registry->WriteString(HKLM, RegistryKeys::Install, "FirstRun", "1");
    }
    if (exe == "installed")
        QDir().mkpath(m_dir->filePath("share/ORV"));
    const QString exeDir = exe == "locked" ? unwritableDir("lockedbin") : m_exeDir;
    const QString dataHome = dataWritable ? m_dir->filePath("data") : unwritableDir("lockeddata");
    qputenv("XDG_DATA_HOME", dataHome.toLocal8Bit());
    const QMap<QString, QString> places{
        {"exe", exeDir + "/WorkDir"},      {"data", dataHome + "/ORV/WorkDir"},
        {"own", m_dir->filePath("own")},   {"default", exeDir + "/WorkDir"},
        {"made", m_dir->filePath("made")}, {"file", m_dir->filePath("plain")}};
    QDir().mkpath(places["made"]);
    touch(places["file"]);
    if (!alias.isEmpty())
        SetWorkDir(*m_app, *m_registry, places[alias]);

    const QString text = StartupCheck(*m_app, *m_registry, exeDir);
    const QString expected = places[work];
    QCOMPARE(m_registry->ValueNames(HKCU, RegistryKeys::Aliases), QStringList{"Pracovní"});
    QCOMPARE(m_registry->ReadString(HKCU, RegistryKeys::Aliases, "Pracovní"), expected);
    QCOMPARE(m_app->WorkPath(), expected + "/");
    QCOMPARE(QFileInfo(expected).isDir(), created);
    if (warning.isEmpty())
        QCOMPARE(text, QString());
    else // the directory is named
        QVERIFY2(text.contains(warning) && text.contains(expected + "/"), qPrintable(text));
    // Nothing is written anywhere else.
    QVERIFY(work == "exe" || !QFileInfo::exists(m_exeDir + "/WorkDir"));
    QVERIFY(work == "data" || !QFileInfo::exists(m_dir->filePath("data/ORV")));
    // The installer's values are read and its mark is gone, also from the file.
    QCOMPARE(TInstallInfo::UserName(), install ? QString("Jan Novák") : QString());
    TRegistry again(m_dir->filePath("user.reg"), m_dir->filePath("machine.reg"));
    QVERIFY(!again.ValueExists(HKLM, RegistryKeys::Install, "FirstRun"));
    QCOMPARE(again.ValueExists(HKLM, RegistryKeys::Install, "Company"), install);
}

void TestStartup::setWorkDirChangesWorkPathOnly()
{
    SetWorkDir(*m_app, *m_registry, m_exeDir + "/");
    QCOMPARE(m_app->WorkPath(), m_exeDir + "/");
    QVERIFY(QDir(m_exeDir).isEmpty()); // nothing is created there
    if (geteuid() != 0)
        QVERIFY(WorkDirProblem(unwritableDir("ro") + "/").startsWith("Do pracovního adresáře"));
}

void TestStartup::aliasPaths_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expanded");
    QTest::addColumn<QString>("alias");
    const auto row = [](const char* name, const char* text, const char* expanded,
                        const char* alias = "") {
        QTest::newRow(name) << text << expanded << alias;
    };
    row("alias with rest", "DATA1:\\TEXTY\\", "/kn/okres1/TEXTY", "Data1");
    row("alias with slash rest", "DATA1:/TEXTY/", "/kn/okres1/TEXTY", "Data1");
    row("case ignored", "data1:\\a\\b", "/kn/okres1/a/b", "Data1");
    row("alias alone", "DATA1:", "/kn/okres1", "Data1");
    row("dir without separator", "Bare:\\x", "/srv/bare/x", "Bare");
    row("plain path", "/tmp/", "/tmp");
    row("root stays root", "/", "/");
    row("drive-like, no alias", "C:\\TEMP\\", "C:\\TEMP");
    row("unknown alias", "NEZNAMY:\\x\\", "NEZNAMY:\\x");
    row("colon first", ":\\x\\", ":\\x");
}

void TestStartup::aliasPaths()
{
    QFETCH(QString, text);
    QFETCH(QString, expanded);
    QFETCH(QString, alias);
    const QStringList list{"Data1=/kn/okres1/", "Bare=/srv/bare", "DATA1=/second/match"};
    QCOMPARE(ExpandAliasPath(text, list), expanded);
    QCOMPARE(AliasOfPath(text, list), alias);
}

void TestStartup::commandLineSwitches_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("endsAtOnce");
    QTest::newRow("none") << QStringList{"orv"} << false;
    QTest::newRow("dash regserver") << QStringList{"orv", "-RegServer"} << true;
    QTest::newRow("slash unregserver") << QStringList{"orv", "/unregserver"} << true;
    QTest::newRow("embedding") << QStringList{"orv", "-embedding"} << false;
    QTest::newRow("no prefix") << QStringList{"orv", "REGSERVER"} << false;
    QTest::newRow("double dash") << QStringList{"orv", "--regserver"} << false;
}

void TestStartup::commandLineSwitches()
{
    QFETCH(QStringList, args);
    QFETCH(bool, endsAtOnce);
    QCOMPARE(TCommandLine::Parse(args).EndsAtOnce(), endsAtOnce);
}

void TestStartup::singleInstanceLock()
{
    const QString path = m_dir->filePath("orv.lock");
    auto holder = std::make_unique<TSingleInstance>(path);
    TSingleInstance second(path);
    QVERIFY(holder->Acquire() && !second.Acquire() && second.OtherCopyRuns());
    holder.reset(); // released with its holder
    QVERIFY(TSingleInstance(path).Acquire());

    // Without a runtime directory the lock lives in the shared temporary
    // directory, where another user could plant files or directories.
    QTemporaryDir tmp;
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray oldTmp = qgetenv("TMPDIR");
    const QByteArray oldConfig = qgetenv("ORV_CONFIG_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("ORV_CONFIG_DIR", m_dir->filePath("config").toLocal8Bit());
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    const QString own = tmp.filePath(QStringLiteral("orv-%1").arg(getuid()));
    const QString first = TSingleInstance::DefaultLockPath();
    // A planted directory open to everybody is not used.
    QVERIFY(QDir().rename(own, own + ".old") || !QFileInfo::exists(own));
    QVERIFY(QDir().mkdir(own));
    QFile::setPermissions(own, QFileDevice::Permissions(0x7777));
    const QString planted = TSingleInstance::DefaultLockPath();
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    qputenv("TMPDIR", oldTmp);
    qputenv("ORV_CONFIG_DIR", oldConfig);
    QCOMPARE(first, own + "/orv.lock");
    const QFileInfo made(own + ".old"); // the one made by the first call, private
    QVERIFY(made.isDir() && !made.isSymLink());
    QCOMPARE(made.permissions() & QFileDevice::Permissions(0x0077), QFileDevice::Permissions());
    QCOMPARE(planted, m_dir->filePath("config") + "/orv.lock");
}

void TestStartup::machineConfigScript()
{
    const QString script = QStringLiteral(ORV_SOURCE_DIR) + "/scripts/write-machine-config.sh";
    const auto run = [&](const QStringList& args, const QString& name) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ORV_USER_NAME", name);
        env.insert("ORV_COMPANY", "Úřad \\ \"Sever\"");
        process.setProcessEnvironment(env);
        process.start("bash", QStringList{script} + args);
        return process.waitForFinished(10000) && process.exitCode() == 0;
    };
    // Build tree: BUILD_DIR/etc/machine.reg, which StartupCheck then reads.
    const QString build = m_dir->filePath("build/etc/machine.reg");
    QVERIFY(run({m_dir->filePath("build")}, "Jan Novák"));
    TRegistry machine(m_dir->filePath("u.reg"), build);
    QVERIFY(machine.TakeProblems().isEmpty());
    QVERIFY(machine.ValueExists(HKLM, RegistryKeys::Install, "FirstRun"));
    QCOMPARE(machine.ReadString(HKLM, RegistryKeys::Install, "Company"),
             QString("Úřad \\ \"Sever\""));
    // A second run from the build tree keeps the file (and its consumed mark).
    machine.DeleteValue(HKLM, RegistryKeys::Install, "FirstRun");
    QVERIFY(run({m_dir->filePath("build")}, "Jiný"));
    TRegistry again(m_dir->filePath("u.reg"), build);
    QVERIFY(!again.ValueExists(HKLM, RegistryKeys::Install, "FirstRun"));
    QCOMPARE(again.ReadString(HKLM, RegistryKeys::Install, "Name"), QString("Jan Novák"));
    QVERIFY(!run({}, "x"));
    // An installation rewrites the file but keeps the administrator's masking.
    const QString installed = m_dir->filePath("inst/machine.reg");
    QVERIFY(run({"--into", m_dir->filePath("inst")}, "Jan Novák"));
    TRegistry(m_dir->filePath("u.reg"), installed)
        .WriteInteger(HKLM, RegistryKeys::Install, "Vystup.SkrytRodnaCisla", 1);
    QVERIFY(run({"--into", m_dir->filePath("inst")}, "Jiný"));
    TRegistry reinstalled(m_dir->filePath("u.reg"), installed);
    QCOMPARE(reinstalled.ReadInteger(HKLM, RegistryKeys::Install, "Vystup.SkrytRodnaCisla"), 1);
    QCOMPARE(reinstalled.ReadString(HKLM, RegistryKeys::Install, "Name"), QString("Jiný"));
}

// The real program started while another copy holds the lock ends at once,
// creating nothing.
void TestStartup::secondCopyEndsAtOnce()
{
    const QString orvPath = QStringLiteral(ORV_PROGRAM_PATH);
    if (!QFile::exists(orvPath))
        QSKIP("the orv executable is not built");
    QTemporaryDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("ORV_CONFIG_DIR", m_dir->filePath("config"));
    env.insert("ORV_MACHINE_CONFIG_DIR", m_dir->filePath("machine"));
    TSingleInstance running(runtime.path() + "/orv.lock");
    QVERIFY(running.Acquire());
    // The running copy is asked, once, to show its window.
    int requests = 0;
    QVERIFY(running.Listen([&requests] { ++requests; }));
    QProcess orv;
    orv.setProcessEnvironment(env);
    orv.start(orvPath, {});
    QTRY_VERIFY_WITH_TIMEOUT(orv.state() == QProcess::NotRunning, 20000);
    QCOMPARE(orv.exitStatus(), QProcess::NormalExit);
    QCOMPARE(orv.exitCode(), 0);
    QCOMPARE(requests, 1);
    QVERIFY(!QFile::exists(m_dir->filePath("config/user.reg")));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
