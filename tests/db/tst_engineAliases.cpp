#include "common/TestSupport.h"
#include "base/ETalvekException.h"
#include "db/EngineAliases.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestEngineAliases : public QObject
{
    Q_OBJECT

private slots:
    void roundTripKeepsOrderAndParams();
    void badInputIsRefused();
    void toolListsAddsRemovesAndRepairs();
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
    a.addStandard("Bb", "/b");
    // Names ignore case when modified, removed or added again.
    QVERIFY_THROWS_EXCEPTION(ETalvekException, a.addStandard("BB", "/y"));
    a.modify("bb", {"PATH=/bb", "LANGDRIVER=ancz"});
    QCOMPARE(a.params("BB"), QStringList({"PATH=/bb", "LANGDRIVER=ancz"}));
    QCOMPARE(a.path("bB"), QString("/bb"));
    a.save();

    EngineAliases b(path);
    b.load();
    QCOMPARE(b.names(), QStringList({"ZETA", "Alfa", "ORVWORK", "Bb"}));
    QCOMPARE(b.driverName("ORVWORK"), QString("STANDARD"));
    QCOMPARE(b.params("ORVWORK"), QStringList({"PATH=/tmp/w", "DEFAULT DRIVER=PARADOX"}));
    QCOMPARE(b.path("Alfa"), QString("/data/alfa dir"));
    b.remove("bB");
    QCOMPARE(b.names(), QStringList({"ZETA", "Alfa", "ORVWORK"}));
    QVERIFY(TestSupport::refusal([&] { b.remove("Bb"); }).contains("'Bb'"));
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
    QVERIFY(TestSupport::refusal([&] { a.load(); }).contains("řádek 5"));
    EngineAliases b(path);
    QVERIFY_THROWS_EXCEPTION(ETalvekException, b.addStandard("A]B", "/x"));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, b.add("X", "STANDARD", {"PATH"}));
}

// `orv-tool alias` steps on one configuration directory. DATA stands for an
// empty directory, REAL for the sample district; output "*" is not checked,
// error output "-" must be empty. A step without arguments writes a file
// that holds one alias twice.
void TestEngineAliases::toolListsAddsRemovesAndRepairs()
{
    QTemporaryDir config;
    QTemporaryDir data;
    struct Step
    {
        QStringList args;
        int code;
        QByteArray out;
        QByteArray err;
    };
    const QList<Step> steps = {
        // A directory without a district catalogue is refused unless forced.
        {{"add", "DISTR", "DATA"}, 1, "*", ""},
        {{"add", "DISTR", "DATA", "--force"}, 0, "*", ""},
        {{"add", "NOWHERE", "DATA/missing", "--force"}, 1, "*", ""},
        {{"list"}, 0, "DISTR\tSTANDARD\tDATA\n", ""},
        {{"remove", "distr"}, 0, "*", ""},
        {{"list"}, 0, "", ""},
        {{"remove", "DISTR"}, 1, "*", ""},
        {{"add", "SALADIN", "REAL"}, 0, "*", ""},
        {{"list"}, 0, "SALADIN\tSTANDARD\tREAL\n", ""},
        // Names the alias manager refuses are refused here too, forced or not.
        {{"add", "A:B", "DATA", "--force"}, 1, "*", "A:B"},
        {{"add", "x/y", "DATA", "--force"}, 1, "*", "x/y"},
        {{"add", "a\\b", "DATA", "--force"}, 1, "*", "a\\b"},
        // Listing names the repeated line; a change of another alias is refused
        // naming it, and the file stays as it was.
        {{}, 0, "*", ""},
        {{"list"}, 0, "*", "řádek 9"},
        {{"remove", "OTHER"}, 1, "*", "řádek 9"},
        {{"add", "NEW", "DATA"}, 1, "*", "řádek 9"},
        // remove takes every section of the name, add --force replaces them with one.
        {{"remove", "DISTR"}, 0, "*", ""},
        {{"list"}, 0, "OTHER\tSTANDARD\t/o\n", "-"},
        {{}, 0, "*", ""},
        {{"add", "Distr", "DATA", "--force"}, 0, "*", ""},
        {{"list"}, 0, "OTHER\tSTANDARD\t/o\nDistr\tSTANDARD\tDATA\n", "-"}};
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ORV_CONFIG_DIR", config.path());
    const auto paths = [&](QByteArray text) {
        return text.replace("DATA", data.path().toUtf8())
            .replace("REAL", TestSupport::realDistrictDir().toUtf8());
    };
    for (const Step& step : steps) {
        const QString name = step.args.join(' ');
        if (step.args.isEmpty()) {
            QFile f(config.filePath("aliases.conf"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[DISTR]\nDRIVER=STANDARD\nPATH=/a\n\n[OTHER]\nDRIVER=STANDARD\nPATH=/o\n\n"
                    "[distr]\nDRIVER=STANDARD\nPATH=/b\n");
            continue;
        }
        QProcess p;
        p.setProcessEnvironment(env);
        QStringList args{"alias"};
        for (const QString& arg : step.args)
            args << QString::fromUtf8(paths(arg.toUtf8()));
        p.start(TestSupport::orvToolPath(), args);
        p.waitForFinished(30000);
        const QByteArray err = p.readAllStandardError();
        QVERIFY2(p.exitCode() == step.code, qPrintable(name + ": " + err));
        if (step.out != "*")
            QVERIFY2(p.readAllStandardOutput() == paths(step.out), qPrintable(name));
        QVERIFY2(step.err == "-" ? err.isEmpty() : err.contains(step.err),
                 qPrintable(name + ": " + err));
    }
}

QTEST_GUILESS_MAIN(TestEngineAliases)
#include "tst_engineAliases.moc"
