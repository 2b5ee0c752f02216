#include "common/TestSupport.h"
#include "base/ETalvekException.h"
#include "db/EngineAliases.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// `orv-tool alias` run with its configuration directory in `configDir`.
struct AliasTool
{
    QString configDir;
    QByteArray out;
    QByteArray err;

    int operator()(const QStringList& args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ORV_CONFIG_DIR", configDir);
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(TestSupport::orvToolPath(), QStringList{"alias"} + args);
        p.waitForFinished(30000);
        out = p.readAllStandardOutput();
        err = p.readAllStandardError();
        return p.exitCode();
    }
};
} // namespace

class TestEngineAliases : public QObject
{
    Q_OBJECT

private slots:
    void roundTripKeepsOrderAndParams();
    void modifyAndRemoveIgnoreCase();
    void badInputIsRefused();
    void toolListsAddsAndRemoves();
    void toolRepairsRepeatedSection();
};

void TestEngineAliases::roundTripKeepsOrderAndParams()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/aliases.conf");
    EngineAliases a(path);
    a.load(); // missing file: no aliases
    QVERIFY(a.names().isEmpty());
    a.addStandard("ZETA", "/data/zeta");
    a.addStandard("Alfa", "/data/alfa dir");
    a.add("ORVWORK", "STANDARD", {"PATH=/tmp/w", "DEFAULT DRIVER=PARADOX"});
    a.save();

    EngineAliases b(path);
    b.load();
    QCOMPARE(b.names(), QStringList({"ZETA", "Alfa", "ORVWORK"}));
    QCOMPARE(b.driverName("ORVWORK"), QString("STANDARD"));
    QCOMPARE(b.params("ORVWORK"), QStringList({"PATH=/tmp/w", "DEFAULT DRIVER=PARADOX"}));
    QCOMPARE(b.path("Alfa"), QString("/data/alfa dir"));
}

void TestEngineAliases::modifyAndRemoveIgnoreCase()
{
    QTemporaryDir dir;
    EngineAliases a(dir.filePath("aliases.conf"));
    a.addStandard("A", "/a");
    a.addStandard("Bb", "/b");
    a.addStandard("C", "/c");
    QVERIFY(a.contains("BB"));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, a.addStandard("BB", "/y"));
    a.modify("bb", {"PATH=/bb", "LANGDRIVER=ancz"});
    QCOMPARE(a.params("BB"), QStringList({"PATH=/bb", "LANGDRIVER=ancz"}));
    QCOMPARE(a.path("bB"), QString("/bb"));
    a.remove("Bb");
    QCOMPARE(a.names(), QStringList({"A", "C"}));
    try {
        a.remove("Bb");
        QFAIL("removing a missing alias must fail");
    } catch (const ETalvekException& e) {
        QVERIFY(e.message().contains("'Bb'"));
    }
}

void TestEngineAliases::badInputIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("aliases.conf");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[GOOD]\nDRIVER=STANDARD\nPATH=/g\n\nPATH without equals\n");
    f.close();
    EngineAliases a(path);
    try {
        a.load();
        QFAIL("a malformed line must fail");
    } catch (const ETalvekException& e) {
        QVERIFY(e.message().contains("řádek 5"));
    }
    EngineAliases b(path);
    QVERIFY_THROWS_EXCEPTION(ETalvekException, b.addStandard("A]B", "/x"));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, b.add("X", "STANDARD", {"PATH"}));
}

void TestEngineAliases::toolListsAddsAndRemoves()
{
    QTemporaryDir config;
    QTemporaryDir data;
    AliasTool tool{config.path(), {}, {}};
    QByteArray& err = tool.err;
    auto run = [&](const QStringList& args, QByteArray* out = nullptr) {
        const int code = tool(args);
        if (out)
            *out = tool.out;
        return code;
    };
    // A directory without a district catalogue is refused unless forced.
    QCOMPARE(run({"add", "DISTR", data.path()}), 1);
    QCOMPARE(run({"add", "DISTR", data.path(), "--force"}), 0);
    QCOMPARE(run({"add", "NOWHERE", data.filePath("missing"), "--force"}), 1);
    QByteArray out;
    QCOMPARE(run({"list"}, &out), 0);
    QCOMPARE(out, QByteArray("DISTR\tSTANDARD\t" + data.path().toUtf8() + "\n"));
    QCOMPARE(run({"remove", "distr"}), 0);
    QCOMPARE(run({"list"}, &out), 0);
    QVERIFY(out.isEmpty());
    QCOMPARE(run({"remove", "DISTR"}), 1);
    QCOMPARE(run({"add", "SALADIN", TestSupport::realDistrictDir()}), 0);
    QCOMPARE(run({"list"}, &out), 0);
    QVERIFY(out.startsWith("SALADIN\tSTANDARD\t"));

    // Names the alias manager refuses are refused here too, forced or not.
    for (const QString& bad : {QString("A:B"), QString("x/y"), QString("a\\b")}) {
        QCOMPARE(run({"add", bad, data.path(), "--force"}), 1);
        QVERIFY2(err.contains(bad.toUtf8()), err.constData());
    }
}

void TestEngineAliases::toolRepairsRepeatedSection()
{
    QTemporaryDir config;
    QTemporaryDir data;
    AliasTool run{config.path(), {}, {}};
    const QByteArray& out = run.out;
    const QByteArray& err = run.err;
    const QByteArray repeated = "[DISTR]\nDRIVER=STANDARD\nPATH=/a\n\n[OTHER]\nDRIVER=STANDARD\n"
                                "PATH=/o\n\n[distr]\nDRIVER=STANDARD\nPATH=/b\n";
    const auto writeConf = [&] {
        QFile f(config.filePath("aliases.conf"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(repeated);
    };
    writeConf();
    // Listing names the repeated line; a change of another alias is refused
    // naming it, and the file stays as it was.
    QCOMPARE(run({"list"}), 0);
    QVERIFY2(err.contains("řádek 9"), err.constData());
    QCOMPARE(out.count('\n'), 3);
    QCOMPARE(run({"remove", "OTHER"}), 1);
    QVERIFY2(err.contains("řádek 9"), err.constData());
    QCOMPARE(run({"add", "NEW", data.path()}), 1);
    QVERIFY2(err.contains("řádek 9"), err.constData());
    // remove takes every section of the name.
    QCOMPARE(run({"remove", "DISTR"}), 0);
    QCOMPARE(run({"list"}), 0);
    QCOMPARE(out, QByteArray("OTHER\tSTANDARD\t/o\n"));
    QVERIFY(err.isEmpty());
    // add --force replaces them with one.
    writeConf();
    QCOMPARE(run({"add", "Distr", data.path(), "--force"}), 0);
    QCOMPARE(run({"list"}), 0);
    QCOMPARE(out, "OTHER\tSTANDARD\t/o\nDistr\tSTANDARD\t" + data.path().toUtf8() + "\n");
}

QTEST_GUILESS_MAIN(TestEngineAliases)
#include "tst_engineAliases.moc"
