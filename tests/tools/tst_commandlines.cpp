// The command lines of both programs as a user meets them: --help and
// --version of orv without any display, and orv-tool's help, version, usage
// errors and data errors with their exit codes (0 ok, 1 bad input or data,
// 2 usage) and Czech texts on the right stream.
#include "common/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestCommandLines : public QObject
{
    Q_OBJECT

private slots:
    void exitCodeAndText_data();
    void exitCodeAndText();
};

void TestCommandLines::exitCodeAndText_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("onStdout"); // else the text is on stderr and stdout stays empty
    QTest::addColumn<QString>("text");

    const QString orv = QStringLiteral(ORV_PROGRAM_PATH);
    const QString tool = TestSupport::orvToolPath();
    const QString version = QStringLiteral(ORV_VERSION_STRING);
    QTest::newRow("orv --help") << orv << QStringList{"--help"} << 0 << true
                                << "Použití: orv [VOLBA]";
    QTest::newRow("orv -h") << orv << QStringList{"-h"} << 0 << true << "vypíše verzi programu";
    QTest::newRow("orv /?") << orv << QStringList{"/?"} << 0 << true << "ORV_WORKDB";
    QTest::newRow("orv --version") << orv << QStringList{"--version"} << 0 << true
                                   << "ORV " + version + "\nCopyright © VELDO\n";
    QTest::newRow("orv without display")
        << orv << QStringList{} << 2 << false << "není k dispozici žádný displej";
    QTest::newRow("tool --version")
        << tool << QStringList{"--version"} << 0 << true << "orv-tool (ORV) " + version + "\n";
    QTest::newRow("tool help") << tool << QStringList{"help"} << 0 << true
                               << "návratový kód: 0 hotovo, 1 chybný vstup nebo data, 2 chybné";
    QTest::newRow("tool --help lists commands")
        << tool << QStringList{"--help"} << 0 << true << "  cesty ";
    QTest::newRow("listing without area")
        << tool << QStringList{"listing", "--alias", "DEMO", "--lines", "5"} << 2 << false
        << "použití: orv-tool listing";
    QTest::newRow("tool without command")
        << tool << QStringList{} << 2 << false << "použití: orv-tool PŘÍKAZ [PARAMETRY]";
    QTest::newRow("tool unknown command")
        << tool << QStringList{"nesmysl"} << 2 << false << "neznámý příkaz \"nesmysl\"";
    QTest::newRow("dump without file")
        << tool << QStringList{"dump"} << 2 << false << "použití: orv-tool dump SOUBOR.DB";
    QTest::newRow("sql wrong switch") << tool << QStringList{"sql", "--db", "x", "SELECT 1"} << 2
                                      << false << "použití: orv-tool sql (--alias";
    QTest::newRow("cesty with argument")
        << tool << QStringList{"cesty", "navíc"} << 2 << false << "použití: orv-tool cesty";
    QTest::newRow("select without steps")
        << tool << QStringList{"select", "--dir", ".", "--area", "001", "--work", "P.DB"} << 2
        << false << "použití: orv-tool select (--alias";
    const QString saladin = QStringLiteral(ORV_SAMPLES_DIR "/real/SALADIN");
    const QString pdf = QDir::temp().filePath(QStringLiteral("tst_commandlines_stats.pdf"));
    QTest::newRow("stats without area")
        << tool << QStringList{"stats", "--dir", saladin} << 2 << false
        << "použití: orv-tool stats (--alias NÁZEV | --dir ADRESÁŘ) --area";
    QTest::newRow("stats with alias and directory")
        << tool << QStringList{"stats", "--alias", "A", "--dir", saladin, "--area", "001"} << 2
        << false << "použití: orv-tool stats";
    QTest::newRow("stats of a missing area")
        << tool << QStringList{"stats", "--dir", saladin, "--area", "009"} << 1 << false
        << "Katalog NYSKATAL.DB neobsahuje řádek PORCIS = '009'";
    QTest::newRow("stats of the real district as CSV and PDF without display")
        << tool << QStringList{"stats", "--dir", saladin, "--area", "001", "--csv", "--pdf", pdf}
        << 0 << true
        << "total,\"Celkem\",124.3759,144\nhouses_cp,\"Domy s čísly popisnými\",0.0000,7\n"
           "houses_ce,\"Domy s čísly evidenčními\",0.0000,0\n";
    const QStringList report =
        QStringLiteral("report --dir /nonexistent --area 001 --work "
                       "/nonexistent/PRAC.DB --pdf /nonexistent/x.pdf --kind")
            .split(u' ');
    QTest::newRow("report of a sheet kind")
        << tool << report + QStringList{"3"} << 2 << false << "použití: orv-tool report (--alias";
    QTest::newRow("report without --pdf") << tool << report.mid(0, 7) + QStringList{"--kind", "2"}
                                          << 2 << false << "použití: orv-tool report (--alias";
    QTest::newRow("report of a missing district")
        << tool << report + QStringList{"2"} << 1 << false << "orv-tool report: ";
    QTest::newRow("schema of missing file")
        << tool << QStringList{"schema", "/nonexistent/NYSPA001.DB"} << 1 << false
        << "orv-tool schema: ";
    QTest::newRow("gen of an unknown size")
        << tool << QStringList{"gen", "--size", "huge", "--out", "/nonexistent/x"} << 1 << false
        << "Neznámá velikost okresu \"huge\"";
    QTest::newRow("gen into an uncreatable directory")
        << tool << QStringList{"gen", "--out", "/dev/null/okres"} << 1 << false
        << "Adresář /dev/null/okres nelze vytvořit";
    QTest::newRow("import without --out")
        << tool << QStringList{"import", "a.vfk"} << 2 << false << "použití: orv-tool import";
    QTest::newRow("import of a missing file")
        << tool << QStringList{"import", "/nonexistent/a.vfk", "--out", "/nonexistent/out"} << 1
        << false << "orv-tool import: Soubor /nonexistent/a.vfk nelze otevřít";
}

void TestCommandLines::exitCodeAndText()
{
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(bool, onStdout);
    QFETCH(QString, text);

    // No display at all: --help and --version must not need one.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    // The statistics take the names of the kinds of land from the sample's code tables.
    env.insert(QStringLiteral("ORV_WORKDB"), QStringLiteral(ORV_SAMPLES_DIR "/real/WorkDB"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY2((onStdout ? out : err).contains(text), qPrintable(out + err));
    if (!onStdout)
        QVERIFY2(out.isEmpty(), qPrintable(out));
}

QTEST_GUILESS_MAIN(TestCommandLines)
#include "tst_commandlines.moc"
