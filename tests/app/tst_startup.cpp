// Start-up: installation values, first run, the work directory, engine alias
// paths, command-line switches and the single-copy rule (also of the real
// executable).
#include "common/TestSupport.h"
#include "db/AliasPaths.h"
#include "app/core/RegistryKeys.h"
#include "app/core/StartupCheck.h"
#include "app/core/TApp.h"
#include "app/core/TCommandLine.h"
#include "app/core/TInstallInfo.h"
#include "app/core/TSingleInstance.h"
#include "db/EngineAliases.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {
constexpr auto HKCU = TRegistry::Hive::CurrentUser;
constexpr auto HKLM = TRegistry::Hive::LocalMachine;

QString orvPath()
{
    return QFileInfo(TestSupport::orvToolPath()).absolutePath() + "/orv";
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstRunCreatesWorkAlias();
    void firstRunKeepsExistingAlias();
    void firstStartWorkDir_data();
    void firstStartWorkDir();
    void workDirThatIsAFile();
    void setWorkDirChangesWorkPathOnly();
    void expandAliasPath_data();
    void expandAliasPath();
    void aliasOfPath();
    void aliasPathListReadsEngineAliases();
    void commandLineSwitches_data();
    void commandLineSwitches();
    void singleInstanceLock();
    void singleInstanceLockIsPrivate();
    void machineConfigScript();
    void executableEndsAtOnce_data();
    void executableEndsAtOnce();

private:
    void installValues(bool firstRun);
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
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        return path + "/sub";
    }
    QDir().mkpath(path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    m_locked << path;
    return path;
}

void TestStartup::installValues(bool firstRun)
{
    m_registry->WriteString(HKLM, RegistryKeys::Install, "Name", "Jan Novák");
    m_registry->WriteString(HKLM, RegistryKeys::Install, "Company", "Katastrální úřad");
    if (firstRun)
        m_registry->WriteString(HKLM, RegistryKeys::Install, "FirstRun", "1");
}

void TestStartup::firstRunCreatesWorkAlias()
{
    installValues(true);
    const QString warning = StartupCheck(*m_app, *m_registry, m_exeDir);
    const QString expected = m_exeDir + "/WorkDir";
    QCOMPARE(m_registry->ReadString(HKCU, RegistryKeys::Aliases, "Pracovní"), expected);
    QCOMPARE(m_app->WorkPath(), expected + "/");
    QCOMPARE(warning, QString()); // created, as it did not exist
    QVERIFY(QFileInfo(expected).isDir());
    QVERIFY(!m_registry->ValueExists(HKLM, RegistryKeys::Install, "FirstRun"));
    QCOMPARE(TInstallInfo::UserName(), QString("Jan Novák"));
    QCOMPARE(TInstallInfo::CompanyName(), QString("Katastrální úřad"));
    // The machine file on disk no longer holds the mark.
    TRegistry again(m_dir->filePath("user.reg"), m_dir->filePath("machine.reg"));
    QVERIFY(!again.ValueExists(HKLM, RegistryKeys::Install, "FirstRun"));
    QVERIFY(again.ValueExists(HKLM, RegistryKeys::Install, "Name"));
}

void TestStartup::firstRunKeepsExistingAlias()
{
    installValues(true);
    const QString work = m_dir->filePath("mywork");
    QDir().mkpath(work);
    m_registry->WriteString(HKCU, RegistryKeys::Aliases, "PRACOVNÍ", work);
    m_app->Aliases()->Refresh();
    QCOMPARE(StartupCheck(*m_app, *m_registry, m_exeDir), QString());
    QCOMPARE(m_registry->ValueNames(HKCU, RegistryKeys::Aliases), QStringList{"PRACOVNÍ"});
    QCOMPARE(m_app->WorkPath(), work + "/");
    QVERIFY(!m_registry->ValueExists(HKLM, RegistryKeys::Install, "FirstRun"));
}

void TestStartup::firstStartWorkDir_data()
{
    // How the first start finds the work directory, by what exists: the
    // installation values, the program directory (writable, read-only or an
    // installed program's bin), a writable data directory, a stored work
    // alias ("default": WorkDir beside the program, "own": a directory the
    // user chose). `work` is where the alias points afterwards; `created`
    // whether that directory exists then.
    QTest::addColumn<bool>("install");
    QTest::addColumn<QString>("exe");
    QTest::addColumn<bool>("dataWritable");
    QTest::addColumn<QString>("alias");
    QTest::addColumn<QString>("work");
    QTest::addColumn<bool>("created");
    QTest::addColumn<QString>("warning");
    QTest::newRow("no installation values") << false << "writable" << true << ""
                                            << "exe" << true << "";
    QTest::newRow("program dir read-only") << true << "locked" << true << ""
                                           << "data" << true << "";
    QTest::newRow("installed program") << true << "installed" << true << ""
                                       << "data" << true << "";
    QTest::newRow("nothing writable") << false << "locked" << false << ""
                                      << "data" << false << "nelze vytvořit";
    QTest::newRow("default alias, dir never made") << true << "writable" << true << "default"
                                                   << "exe" << true << "";
    QTest::newRow("own dir is not created") << false << "writable" << true << "own"
                                            << "own" << false << "neexistuje";
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
    if (install)
        installValues(false);
    if (exe == "installed")
        QDir().mkpath(m_dir->filePath("share/ORV"));
    const QString exeDir = exe == "locked" ? unwritableDir("lockedbin") : m_exeDir;
    const QString dataHome = dataWritable ? m_dir->filePath("data") : unwritableDir("lockeddata");
    qputenv("XDG_DATA_HOME", dataHome.toLocal8Bit());
    const QMap<QString, QString> places{{"exe", exeDir + "/WorkDir"},
                                        {"data", dataHome + "/ORV/WorkDir"},
                                        {"own", m_dir->filePath("own")},
                                        {"default", exeDir + "/WorkDir"}};
    if (!alias.isEmpty())
        SetWorkDir(*m_app, *m_registry, places[alias]);

    const QString text = StartupCheck(*m_app, *m_registry, exeDir);
    const QString expected = places[work];
    QCOMPARE(m_registry->ReadString(HKCU, RegistryKeys::Aliases, "Pracovní"), expected);
    QCOMPARE(QFileInfo(expected).isDir(), created);
    if (warning.isEmpty()) {
        QCOMPARE(text, QString());
    } else {
        QVERIFY2(text.contains(warning), qPrintable(text));
        QVERIFY2(text.contains(expected + "/"), qPrintable(text)); // the directory is named
    }
    // Nothing is written anywhere else.
    QVERIFY(work == "exe" || !QFileInfo::exists(m_exeDir + "/WorkDir"));
    QVERIFY(work == "data" || !QFileInfo::exists(m_dir->filePath("data/ORV")));
}

void TestStartup::workDirThatIsAFile()
{
    const QString file = m_dir->filePath("plain");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    SetWorkDir(*m_app, *m_registry, file);
    QCOMPARE(StartupCheck(*m_app, *m_registry, m_exeDir),
             QString("Pracovní adresář %1/ neexistuje.").arg(file));
    if (geteuid() != 0) {
        const QString locked = m_dir->filePath("locked");
        QDir().mkpath(locked);
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QVERIFY(WorkDirProblem(locked + "/").startsWith("Do pracovního adresáře"));
    }
}

void TestStartup::setWorkDirChangesWorkPathOnly()
{
    const QString target = m_dir->filePath("new work");
    QDir().mkpath(target);
    SetWorkDir(*m_app, *m_registry, target);
    QCOMPARE(m_app->WorkPath(), target + "/");
    QCOMPARE(m_registry->ReadString(HKCU, RegistryKeys::Aliases, "Pracovní"), target);
    QVERIFY(QDir(target).isEmpty()); // nothing is created there
    SetWorkDir(*m_app, *m_registry, target + "/");
    QCOMPARE(m_app->WorkPath(), target + "/");
    QCOMPARE(m_registry->ValueNames(HKCU, RegistryKeys::Aliases).size(), 1);
}

void TestStartup::expandAliasPath_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("alias with rest") << "DATA1:\\TEXTY\\"
                                     << "/kn/okres1/TEXTY";
    QTest::newRow("alias with slash rest") << "DATA1:/TEXTY/"
                                           << "/kn/okres1/TEXTY";
    QTest::newRow("case ignored") << "data1:\\a\\b"
                                  << "/kn/okres1/a/b";
    QTest::newRow("alias alone") << "DATA1:"
                                 << "/kn/okres1";
    QTest::newRow("dir without separator") << "Bare:\\x"
                                           << "/srv/bare/x";
    QTest::newRow("plain path") << "/tmp/"
                                << "/tmp";
    QTest::newRow("root stays root") << "/"
                                     << "/";
    QTest::newRow("drive-like, no alias") << "C:\\TEMP\\"
                                          << "C:\\TEMP";
    QTest::newRow("unknown alias") << "NEZNAMY:\\x\\"
                                   << "NEZNAMY:\\x";
    QTest::newRow("colon first") << ":\\x\\"
                                 << ":\\x";
}

void TestStartup::expandAliasPath()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const QStringList list{"Data1=/kn/okres1/", "Bare=/srv/bare", "DATA1=/second/match"};
    QCOMPARE(ExpandAliasPath(text, list), expected);
}

void TestStartup::aliasOfPath()
{
    const QStringList list{"Okres_Kladno=/kn/kl", "SALADIN=/kn/sal"};
    QCOMPARE(AliasOfPath("okres_kladno:\\TEXTY", list), QString("Okres_Kladno"));
    QCOMPARE(AliasOfPath("Saladin:", list), QString("SALADIN"));
    QCOMPARE(AliasOfPath("/kn/sal/x", list), QString());
    QCOMPARE(AliasOfPath(":x", list), QString());
    QCOMPARE(AliasOfPath("Jiny:\\x", list), QString());
}

void TestStartup::aliasPathListReadsEngineAliases()
{
    const QByteArray oldConfig = qgetenv("ORV_CONFIG_DIR");
    qputenv("ORV_CONFIG_DIR", m_dir->filePath("config").toLocal8Bit());
    QDir().mkpath(m_dir->filePath("config"));
    EngineAliases engine(EngineAliases::defaultFilePath());
    engine.addStandard("Zeta", "/kn/zeta/");
    engine.addStandard("Alfa", "/kn/alfa");
    engine.save();
    QStringList list{"stale=line"};
    AliasPathList(list);
    const QString expanded = ExpandAliasPath("ALFA:\\NYSPA001.DB");
    qputenv("ORV_CONFIG_DIR", oldConfig);
    QCOMPARE(list, (QStringList{"Zeta=/kn/zeta/", "Alfa=/kn/alfa"}));
    QCOMPARE(expanded, QString("/kn/alfa/NYSPA001.DB"));
}

void TestStartup::commandLineSwitches_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("endsAtOnce");
    QTest::addColumn<bool>("automation");
    QTest::newRow("none") << QStringList{"orv"} << false << false;
    QTest::newRow("dash regserver") << QStringList{"orv", "-RegServer"} << true << false;
    QTest::newRow("slash unregserver") << QStringList{"orv", "/unregserver"} << true << false;
    QTest::newRow("automation") << QStringList{"orv", "/AUTOMATION"} << false << true;
    QTest::newRow("embedding") << QStringList{"orv", "-embedding"} << false << false;
    QTest::newRow("no prefix") << QStringList{"orv", "REGSERVER"} << false << false;
    QTest::newRow("double dash") << QStringList{"orv", "--regserver"} << false << false;
}

void TestStartup::commandLineSwitches()
{
    QFETCH(QStringList, args);
    QFETCH(bool, endsAtOnce);
    QFETCH(bool, automation);
    const TCommandLine line = TCommandLine::Parse(args);
    QCOMPARE(line.EndsAtOnce(), endsAtOnce);
    QCOMPARE(line.Automation, automation);
}

void TestStartup::singleInstanceLock()
{
    const QString path = m_dir->filePath("orv.lock");
    {
        TSingleInstance first(path);
        QVERIFY(first.Acquire());
        TSingleInstance second(path);
        QVERIFY(!second.Acquire());
        QVERIFY(second.OtherCopyRuns());
    }
    TSingleInstance afterExit(path);
    QVERIFY(afterExit.Acquire());
}

void TestStartup::singleInstanceLockIsPrivate()
{
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
    const QFileInfo made(own + ".old");
    QVERIFY(made.isDir() && !made.isSymLink());
    QCOMPARE(made.permissions() & QFileDevice::Permissions(0x0077), QFileDevice::Permissions());
    QCOMPARE(planted, m_dir->filePath("config") + "/orv.lock");
    QVERIFY(planted.endsWith("/orv.lock"));
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
    const QString build = m_dir->filePath("build");
    QVERIFY(run({build}, "Jan Novák"));
    TRegistry machine(m_dir->filePath("u.reg"), build + "/etc/machine.reg");
    QVERIFY(machine.TakeProblems().isEmpty());
    QVERIFY(machine.ValueExists(HKLM, RegistryKeys::Install, "FirstRun"));
    QCOMPARE(machine.ReadString(HKLM, RegistryKeys::Install, "Name"), QString("Jan Novák"));
    QCOMPARE(machine.ReadString(HKLM, RegistryKeys::Install, "Company"),
             QString("Úřad \\ \"Sever\""));
    // A second run from the build tree keeps the file (and its consumed mark).
    machine.DeleteValue(HKLM, RegistryKeys::Install, "FirstRun");
    QVERIFY(run({build}, "Jiný"));
    TRegistry again(m_dir->filePath("u.reg"), build + "/etc/machine.reg");
    QVERIFY(!again.ValueExists(HKLM, RegistryKeys::Install, "FirstRun"));
    QCOMPARE(again.ReadString(HKLM, RegistryKeys::Install, "Name"), QString("Jan Novák"));
    // An installation always writes a fresh file.
    QVERIFY(run({"--into", m_dir->filePath("prefix/etc/ORV")}, "Instalace"));
    TRegistry installed(m_dir->filePath("u.reg"), m_dir->filePath("prefix/etc/ORV/machine.reg"));
    QVERIFY(installed.ValueExists(HKLM, RegistryKeys::Install, "FirstRun"));
    QVERIFY(!run({}, "x"));
}

void TestStartup::executableEndsAtOnce_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<bool>("holdLock");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("regserver") << QStringList{"/REGSERVER"} << "offscreen" << false << 0;
    QTest::newRow("unregserver") << QStringList{"-unregserver"} << "" << false << 0;
    QTest::newRow("second copy") << QStringList{} << "offscreen" << true << 0;
    QTest::newRow("no display") << QStringList{} << "" << false << 2;
}

void TestStartup::executableEndsAtOnce()
{
    QFETCH(QStringList, args);
    QFETCH(QString, platform);
    QFETCH(bool, holdLock);
    QFETCH(int, exitCode);
    if (!QFile::exists(orvPath()))
        QSKIP("the orv executable is not built");
    QTemporaryDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        env.insert("QT_QPA_PLATFORM", platform);
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("ORV_CONFIG_DIR", m_dir->filePath("config"));
    env.insert("ORV_MACHINE_CONFIG_DIR", m_dir->filePath("machine"));
    TSingleInstance running(runtime.path() + "/orv.lock");
    if (holdLock)
        QVERIFY(running.Acquire());
    QProcess orv;
    orv.setProcessEnvironment(env);
    orv.start(orvPath(), args);
    QVERIFY(orv.waitForFinished(20000));
    QCOMPARE(orv.exitStatus(), QProcess::NormalExit);
    QCOMPARE(orv.exitCode(), exitCode);
    const QString err = QString::fromUtf8(orv.readAllStandardError());
    if (exitCode == 2) {
        QVERIFY2(err.contains("xvfb-run -a"), qPrintable(err));
        QVERIFY2(!err.contains("qt.qpa"), qPrintable(err));
    }
    QVERIFY(!QFile::exists(m_dir->filePath("config/user.reg"))); // nothing was created
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
