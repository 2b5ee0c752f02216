// The command lines of both programs as a user meets them: --help and
// --version of orv without any display, and orv-tool's help, version, usage
// errors and data errors with their exit codes (0 ok, 1 bad input or data,
// 2 usage) and Czech texts on the right stream; and the birth numbers every
// output family masks on request or by the machine's setting.
#include "browse/core/TExportFile.h"
#include "common/TestSupport.h"
#include "data/BirthNumberMask.h"
#include "db/Table.h"

#include <QDir>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

class TestCommandLines : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void exitCodeAndText_data();
    void exitCodeAndText();
    void birthNumbersMasked_data();
    void birthNumbersMasked();
    void machineSettingForcesMasking();

private:
    QMap<QString, QByteArray> snapshot() const;
    QString outputText(const QStringList& args, const QString& out, const QProcessEnvironment& env,
                       QString* errors = nullptr) const;
    QProcessEnvironment m_env;
    QTemporaryDir m_root; // D: a copy of the real district, W: its work table PRAC.DB
    QTemporaryDir m_out;  // what the checks of exit codes write
};

// Runs orv-tool with the test's environment; its exit code.
static int runTool(const QProcessEnvironment& env, const QStringList& args)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(TestSupport::orvToolPath(), args);
    return process.waitForFinished(60000) ? process.exitCode() : -1;
}

void TestCommandLines::initTestCase()
{
    // No display at all: --help and --version must not need one.
    m_env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        m_env.remove(QLatin1String(name));
    // The statistics take the names of the kinds of land from the sample's code tables.
    m_env.insert(QStringLiteral("ORV_WORKDB"), QStringLiteral(ORV_SAMPLES_DIR "/real/WorkDB"));
    const QString d = m_root.filePath("D");
    QVERIFY(QDir().mkpath(d));
    for (const QString& name : QDir(TestSupport::realDistrictDir()).entryList(QDir::Files)) {
        QVERIFY(QFile::copy(TestSupport::realDistrictDir() + '/' + name, d + '/' + name));
        QFile::setPermissions(d + '/' + name, QFile::ReadOwner | QFile::WriteOwner);
    }
    QVERIFY(QFile::link(d + "/NYSBO001.DB", d + "/link.pdf"));
    QCOMPARE(runTool(m_env, {"select", "--dir", d, "--area", "001", "--work",
                             m_root.filePath("PRAC.DB"), "--all"}),
             0);
}

QMap<QString, QByteArray> TestCommandLines::snapshot() const
{
    QMap<QString, QByteArray> files;
    for (const QString& dir : {m_root.path(), m_root.filePath("D")})
        for (const QFileInfo& f : QDir(dir).entryInfoList(QDir::Files | QDir::System)) {
            QFile file(f.filePath());
            files.insert(f.filePath(), file.open(QIODevice::ReadOnly) ? file.readAll() : "?");
        }
    return files;
}

void TestCommandLines::exitCodeAndText_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args"); // separated by blanks in the rows below
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("text"); // on stdout when the exit code is 0, else on stderr
    // In `args` "D" and "W" stand for the copied district and the directory
    // of its work table, "·" for a blank inside one argument, "<empty>" for "".
    const auto row = [this](const char* name, const QString& program, const QString& args, int code,
                            const QString& text) {
        QStringList list = args.split(' ', Qt::SkipEmptyParts);
        for (QString& arg : list) {
            if (arg.startsWith("D/") || arg == "D")
                arg.replace(0, 1, m_root.filePath("D"));
            else if (arg.startsWith("W/") || arg == "W")
                arg.replace(0, 1, m_root.path());
            arg.replace(QStringLiteral("·"), QStringLiteral(" "));
            if (arg == "<empty>")
                arg.clear();
        }
        QTest::newRow(name) << program << list << code << text;
    };
    const QString orv = QStringLiteral(ORV_PROGRAM_PATH), tool = TestSupport::orvToolPath();
    const QString version = QStringLiteral(ORV_VERSION_STRING);
    row("orv --help", orv, "--help", 0, "Použití: orv [VOLBA]");
    row("orv --version", orv, "--version", 0, "ORV " + version + "\nCopyright © VELDO\n");
    row("orv without display", orv, "", 2, "není k dispozici žádný displej");
    row("tool --version", tool, "--version", 0, "orv-tool (ORV) " + version + "\n");
    row("tool help", tool, "help", 0,
        "návratový kód: 0 hotovo, 1 chybný vstup nebo data, 2 chybné");
    row("listing without area", tool, "listing --alias DEMO --lines 5", 2,
        "použití: orv-tool listing");
    row("tool without command", tool, "", 2, "použití: orv-tool PŘÍKAZ [PARAMETRY]");
    row("tool unknown command", tool, "nesmysl", 2, "neznámý příkaz \"nesmysl\"");
    row("dump without file", tool, "dump", 2, "použití: orv-tool dump SOUBOR.DB");
    row("sql wrong switch", tool, "sql --db x SELECT", 2, "použití: orv-tool sql (--alias");
    row("cesty with argument", tool, "cesty navíc", 2, "použití: orv-tool cesty");
    const QString vfk = QStringLiteral(" " ORV_SAMPLES_DIR "/vfk/");
    row("map without subverb", tool, "map", 2, "použití: orv-tool map import SOUBOR.vfk");
    row("map import of the map file alone", tool, "map import" + vfk + "789160-mapa.vfk", 1,
        "nemají žádný řádek bloku PAR (parcely)");
    row("map import", tool, "map import" + vfk + "789160-mapa.vfk" + vfk + "789160.vfk", 0,
        "mapa 789160 Saladín: parcely s polygonem 144 z 144;");
    row("select without steps", tool, "select --dir . --area 001 --work P.DB", 2,
        "použití: orv-tool select (--alias");
    const QString saladin = " --dir " ORV_SAMPLES_DIR "/real/SALADIN ";
    row("stats without area", tool, "stats" + saladin, 2,
        "použití: orv-tool stats (--alias NÁZEV | --dir ADRESÁŘ) --area");
    row("stats with alias and directory", tool, "stats --alias A" + saladin + "--area 001", 2,
        "použití: orv-tool stats");
    row("stats of a missing area", tool, "stats" + saladin + "--area 009", 1,
        "Katalog NYSKATAL.DB neobsahuje řádek PORCIS = '009'");
    row("stats of the real district as CSV and PDF without display", tool,
        "stats" + saladin + "--area 001 --csv --pdf " + m_out.filePath("stats.pdf"), 0,
        "total,\"Celkem\",124.3759,144\nhouses_cp,\"Domy s čísly popisnými\",0.0000,7\n"
        "houses_ce,\"Domy s čísly evidenčními\",0.0000,0\n");
    const QString report = "report --dir /nonexistent --area 001 --work /nonexistent/PRAC.DB ";
    row("report of a sheet kind", tool, report + "--pdf /nonexistent/x.pdf --kind 3", 2,
        "použití: orv-tool report (--alias");
    row("report of a missing district", tool, report + "--pdf /nonexistent/x.pdf --kind 2", 1,
        "orv-tool report: ");
    row("schema of missing file", tool, "schema /nonexistent/NYSPA001.DB", 1, "orv-tool schema: ");
    row("gen of an unknown size", tool, "gen --size huge --out /nonexistent/x", 1,
        "Neznámá velikost okresu \"huge\"");
    row("gen into an uncreatable directory", tool, "gen --out /dev/null/okres", 1,
        "Adresář /dev/null/okres nelze vytvořit");
    row("import without --out", tool, "import a.vfk", 2, "použití: orv-tool import");
    row("import of a missing file", tool, "import /nonexistent/a.vfk --out /nonexistent/out", 1,
        "orv-tool import: Soubor /nonexistent/a.vfk nelze otevřít");
    const QString owners = "listing" + saladin + "--area 001 --owners ";
    row("owners listing by a name's beginning, upper-cased", tool, owners + "--owner-name štěp", 0,
        QString(80, u'-') + "\n    106   7757149372  ŠTĚPÁNKOVÁ KATEŘINA, NÁDRAŽNÍ 132, VACOV\n");
    row("owners listing from two numbers", tool, owners + "--owner-ident-from 1,2", 1,
        "orv-tool listing: Chybné číslo");
    row("owners listing over a work table", tool, owners + "--work P.DB", 2,
        "použití: orv-tool listing");

    // No output lands on a registry table (any case) nor through a final link;
    // the tables stay as they were (checked for every row).
    const QString area = " --dir D --area 001 ", form = "report" + area + "--work W/PRAC.DB ";
    const QString registry = "nelze zapsat: je to tabulka katastru";
    row("form onto the parcel table", tool, form + "--kind 1 --pdf D/NYSPA001.DB", 1, registry);
    row("form through a link to a table", tool, form + "--kind 1 --pdf D/link.pdf", 1,
        "link.pdf nelze zapsat: je to symbolický odkaz");
    row("statistics onto the relations", tool, "stats" + area + "--pdf D/NYSUV001.DB", 1, registry);
    row("listing onto the records, lower case", tool,
        "listing" + area + "--work W/PRAC.DB --short --out D/nysvl001.db", 1, registry);
    row("owners listing onto the record texts", tool,
        "listing" + area + "--owners --out D/NYSTX001.DB", 1, registry);
    row("two statements", tool,
        "sql --dir W UPDATE·\"PRAC.DB\"·SET·FLAG·=·FALSE;·DELETE·FROM·\"PRAC.DB\"", 1,
        "Lze provést jen jeden příkaz SQL.");
    // A bad option value is a bad command line, whatever the option.
    for (const char* sheet : {"abc", "99999999999", "3.5", "<empty>", "-1"})
        row(qPrintable(QString("statement of sheet \"%1\"").arg(sheet)), tool,
            form + "--kind 3 --pdf W/x.pdf --sheet " + sheet, 2, "chybná hodnota volby --sheet");
    for (const char* ident : {"NaN", "inf"})
        row(qPrintable(QString("sheets of owner %1").arg(ident)), tool,
            QString("sheets --alias X --ident ") + ident, 2, "chybná hodnota volby --ident");
    row("one output given twice", tool, "listing" + area + "--owners --out W/a.txt --out W/b.txt",
        2, "volba --out je zadána vícekrát");
    row("import target given twice", tool, "import a.vfk --out W/x --out W/y", 2,
        "volba --out je zadána vícekrát");
    row("gen count out of range", tool, "gen --size country --districts 3e9 --out W/c", 2,
        "chybná hodnota volby --districts");
    // The area without its leading zeros; building parcels written with "st.".
    row("select of st. parcels in area 1", tool,
        "select" + saladin + "--area 1 --work " + m_out.filePath("ST.DB") + " --parcels st.14/2,40",
        0, "= parcelní čísla st.14/2,40 => 2\n");
}

void TestCommandLines::exitCodeAndText()
{
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, text);
    const QMap<QString, QByteArray> before = snapshot();
    QProcess process;
    process.setProcessEnvironment(m_env);
    process.start(program, args);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY2((exitCode == 0 ? out : err).contains(text), qPrintable(out + err));
    if (exitCode != 0)
        QVERIFY2(out.isEmpty(), qPrintable(out));
    QVERIFY(snapshot() == before); // the district and its work table untouched
}

// Every value of a table as text, a row per line (the engine reads .db and .dbf).
static QString tableText(const QString& path)
{
    Table table;
    table.setDatabaseName(QFileInfo(path).path());
    table.setTableName(QFileInfo(path).fileName());
    table.setReadOnly(true);
    table.open();
    QString text;
    table.forEachRow([&](const QVariantList& values) {
        for (const QVariant& v : values)
            text += TExportFile::Text(v) + '\t';
        text += '\n';
    });
    return text;
}

// The district's IDENTs that the rule hides: whole and as masked.
static QMap<QString, QString> hiddenIdents()
{
    QMap<QString, QString> idents;
    Table owners;
    owners.setDatabaseName(TestSupport::realDistrictDir());
    owners.setTableName("NYSOBORG.DB");
    owners.setReadOnly(true);
    owners.open();
    owners.forEachRow([&](const QVariantList& v) {
        const double ident = v.value(owners.fieldIndex("IDENT")).toDouble();
        if (BirthNumberMask::Hides(ident, v.value(owners.fieldIndex("UVCHAR")).toInt()))
            idents.insert(QString::number(qint64(ident)), BirthNumberMask::MaskedText(ident));
    });
    return idents;
}

// Runs orv-tool with `args` ("D" the district, "O/" the output directory) and
// returns what it wrote: stdout when `out` is "-", else the file `out` in O
// (a PDF through pdftotext, a table through the engine).
QString TestCommandLines::outputText(const QStringList& args, const QString& out,
                                     const QProcessEnvironment& env, QString* errors) const
{
    QTemporaryDir dir;
    QStringList list;
    for (QString arg : args) {
        if (arg == "D")
            arg = m_root.filePath("D");
        arg.replace("O/", dir.path() + '/');
        list << arg;
    }
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(TestSupport::orvToolPath(), list);
    if (!process.waitForFinished(60000))
        return "timeout";
    const QString said =
        QString::fromUtf8(process.readAllStandardError()) + QString::number(process.exitCode());
    if (errors)
        *errors = said;
    if (out == "-")
        return QString::fromUtf8(process.readAllStandardOutput());
    const QString path = dir.filePath(out);
    if (out.endsWith(".pdf")) {
        if (!QFileInfo::exists(path))
            return "missing " + path + ": " + said;
        QProcess pdf;
        pdf.start("pdftotext", {path, "-"});
        pdf.waitForFinished(60000);
        return QString::fromUtf8(pdf.readAllStandardOutput());
    }
    if (!QFileInfo::exists(path))
        return "missing " + path + ": " + said; // what the tool said, for a failure
    if (out.endsWith(".db") || out.endsWith(".dbf"))
        return tableText(path);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : "";
}

void TestCommandLines::birthNumbersMasked_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("out");
    const QString area = "--dir D --area 001 ", work = area + "--work W ";
    QTest::newRow("detail form PDF") << "report " + work + "--kind 20 --pdf O/f.pdf"
                                     << "f.pdf";
    QTest::newRow("sheet statement PDF") << "report " + work + "--kind 3 --sheet 106 --pdf O/f.pdf"
                                         << "f.pdf";
    QTest::newRow("full listing") << "listing " + work + "--full --out O/l.txt"
                                  << "l.txt";
    QTest::newRow("owners listing") << "listing " + area + "--owners"
                                    << "-";
    for (const char* ext : {"db", "dbf", "csv", "tsv"})
        QTest::newRow(qPrintable(QString("export .%1").arg(ext)))
            << "export " + work + "--columns PARCISLO --owners --out O/e." + ext
            << QString("e.") + ext;
    QTest::newRow("subsidy items") << "export " + work + "--subsidy --out O/s.dbf"
                                   << "s.dbf";
    QTest::newRow("sheets") << "sheets --alias SALADIN --name A --substring"
                            << "-";
    QTest::newRow("select by owner") << "select " + area + "--work O/P.DB --owner-ident 7757149372"
                                     << "-";
}

void TestCommandLines::birthNumbersMasked()
{
    QFETCH(QString, args);
    QFETCH(QString, out);
    QStringList list = args.split(' ');
    list.replaceInStrings(QRegularExpression("^W$"), m_root.filePath("PRAC.DB"));
    QTemporaryDir config;
    QFile aliases(config.filePath("aliases.conf"));
    QVERIFY(aliases.open(QIODevice::WriteOnly));
    aliases.write("[SALADIN]\nDRIVER=STANDARD\nPATH=" + m_root.filePath("D").toUtf8() + "\n");
    aliases.close();
    QProcessEnvironment env = m_env;
    env.insert("ORV_CONFIG_DIR", config.path());
    const QString plain = outputText(list, out, env);
    const QString masked = outputText(list + QStringList{"--mask-birth-numbers"}, out, env);
    env.insert("ORV_MASK_BIRTH_NUMBERS", "1");
    QCOMPARE(outputText(list, out, env), masked); // the environment's default
    int shown = 0;
    const QMap<QString, QString> idents = hiddenIdents();
    for (auto it = idents.cbegin(); it != idents.cend(); ++it) {
        QVERIFY2(!masked.contains(it.key()), qPrintable(it.key()));
        if (plain.contains(it.key())) {
            ++shown;
            QVERIFY2(masked.contains(it.value()), qPrintable(it.value()));
        }
    }
    QVERIFY2(shown > 0, qPrintable(plain.left(2000)));
}

void TestCommandLines::machineSettingForcesMasking()
{
    QTemporaryDir machine;
    QProcessEnvironment env = m_env;
    env.insert("ORV_MACHINE_CONFIG_DIR", machine.path());
    const auto setting = [&](const QByteArray& value) {
        QFile file(machine.filePath("machine.reg"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\VELDO\\ORV\\4.0]\n"
                   "\"Vystup.SkrytRodnaCisla\"=" +
                   value + "\n");
    };
    const QStringList owners = {"listing", "--dir", m_root.filePath("D"),
                                "--area",  "001",   "--owners"};
    const QString whole = "7757149372", hidden = "775714/****";
    QString errors;
    setting("dword:00000000");
    QVERIFY(outputText(owners, "-", env).contains(whole));
    setting("dword:00000001");
    QVERIFY(outputText(owners, "-", env).contains(hidden));
    QVERIFY(
        outputText(owners + QStringList{"--no-mask-birth-numbers"}, "-", env, &errors).isEmpty());
    QVERIFY2(errors.contains("nařídil správce") && errors.endsWith("2"), qPrintable(errors));
    // A value of the wrong type masks too (failing open would leak), and says so.
    setting("\"ano\"");
    QVERIFY(outputText(owners, "-", env, &errors).contains(hidden));
    QVERIFY2(errors.contains("nemá typ dword"), qPrintable(errors));
}

QTEST_GUILESS_MAIN(TestCommandLines)
#include "tst_commandlines.moc"
