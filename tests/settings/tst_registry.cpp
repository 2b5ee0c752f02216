// The REGEDIT4 settings store: parsing, writing, typed reads, damaged files.
#include "base/ETalvekException.h"
#include "settings/RegDocument.h"
#include "settings/TRegistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr auto HKCU = TRegistry::Hive::CurrentUser;
constexpr auto HKLM = TRegistry::Hive::LocalMachine;
const QString kKey = QStringLiteral("Software\\VELDO\\ORV\\Settings");

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestRegistry : public QObject
{
    Q_OBJECT

private slots:
    void parsesEveryValueForm();
    void roundTripKeepsValuesAndOrder_data();
    void roundTripKeepsValuesAndOrder();
    void namesIgnoreCase();
    void rejectsDamagedText_data();
    void rejectsDamagedText();
    void typedReadsFailOnWrongType();
    void writesAreSharedAtomicAndChecked();
    void corruptFileIsSetAsideAndReportedOnce_data();
    void corruptFileIsSetAsideAndReportedOnce();
    void unreadableDirectoryKeepsBadFile();

private:
    QTemporaryDir m_dir;
};

void TestRegistry::parsesEveryValueForm()
{
    const QByteArray text = "\xEF\xBB\xBFREGEDIT4\r\n\r\n"
                            "; comment\r\n"
                            "[HKEY_CURRENT_USER\\Software\\VELDO\\ORV\\Settings]\r\n"
                            "\"Text\"=\"C:\\\\TEMP\\\\ \\\"q\\\" Pracovní\"\r\n"
                            "\"Num\"=dword:ffffffff\r\n"
                            "\"Short\"=dword:1a\r\n"
                            "\"Bin\"=hex:00,00,00,00,00,00,\\\r\n"
                            "  f8,3f\r\n"
                            "@=\"default\"\r\n"
                            "\"Gone\"=\"x\"\r\n"
                            "\"Gone\"=-\r\n";
    RegDocument doc;
    QString error;
    QVERIFY2(RegDocument::parse(text, doc, error), qPrintable(error));
    const QString key = QStringLiteral("HKEY_CURRENT_USER\\") + kKey;
    QCOMPARE(doc.value(key, "Text")->text, QStringLiteral("C:\\TEMP\\ \"q\" Pracovní"));
    QCOMPARE(doc.value(key, "Num")->dword, 0xffffffffu);
    QCOMPARE(doc.value(key, "Short")->dword, 0x1au);
    QCOMPARE(doc.value(key, "Bin")->bytes, QByteArray::fromHex("000000000000f83f"));
    QCOMPARE(doc.value(key, "")->text, QStringLiteral("default"));
    QVERIFY(!doc.value(key, "Gone"));
    QCOMPARE(doc.valueNames(key), (QStringList{"Text", "Num", "Short", "Bin", ""}));
}

void TestRegistry::roundTripKeepsValuesAndOrder_data()
{
    QTest::addColumn<RegValue>("value");
    QTest::newRow("plain text") << RegValue::fromString("Okres \"Kladno\" C:\\X\\");
    QTest::newRow("line breaks") << RegValue::fromString("první\nřádek\r\n\tdruhý");
    QTest::newRow("empty text") << RegValue::fromString(QString());
    QTest::newRow("dword") << RegValue::fromDWord(0x80000001u);
    QTest::newRow("long binary") << RegValue::fromBinary(QByteArray(100, '\xAB'));
    QTest::newRow("empty binary") << RegValue::fromBinary(QByteArray());
    QTest::newRow("other type") << RegValue::fromBinary("\x01\x02", 7);
    // A leading byte-order mark is text, also where line breaks force another form.
    for (const char16_t* text : {u"\uFEFFKladno", u"\uFFFEKladno", u"\uFEFFa\nb", u"\uFFFEa\nb"})
        QTest::newRow(QString::number(text[0], 16).toLatin1())
            << RegValue::fromString(QString::fromUtf16(text));
}

void TestRegistry::roundTripKeepsValuesAndOrder()
{
    QFETCH(RegValue, value);
    RegDocument doc;
    doc.setValue("HKEY_CURRENT_USER\\A", "z", RegValue::fromDWord(1));
    doc.setValue("HKEY_CURRENT_USER\\A", "Value", value);
    doc.setValue("HKEY_CURRENT_USER\\B", "a", RegValue::fromDWord(2));
    RegDocument back;
    QString error;
    QVERIFY2(RegDocument::parse(doc.serialize(), back, error), qPrintable(error));
    QCOMPARE(*back.value("HKEY_CURRENT_USER\\A", "Value"), value);
    QCOMPARE(back.valueNames("HKEY_CURRENT_USER\\A"), (QStringList{"z", "Value"}));
    QVERIFY(back.serialize() == doc.serialize());
}

void TestRegistry::namesIgnoreCase()
{
    RegDocument doc;
    doc.setValue("HKEY_CURRENT_USER\\Software\\Veldo", "Pracovní", RegValue::fromString("/a"));
    doc.setValue("hkey_current_user\\SOFTWARE\\veldo\\", "PRACOVNÍ", RegValue::fromString("/b"));
    QCOMPARE(doc.valueNames("HKEY_CURRENT_USER\\Software\\VELDO"), QStringList{"Pracovní"});
    QCOMPARE(doc.value("HKEY_CURRENT_USER\\software\\veldo", "pracovní")->text, QString("/b"));
    doc.setValue("HKEY_CURRENT_USER\\Software\\Veldo\\Sub", "x", RegValue::fromDWord(1));
    doc.setValue("HKEY_CURRENT_USER\\Software\\Veldo!", "x", RegValue::fromDWord(1));
    doc.removeKey("HKEY_CURRENT_USER\\SOFTWARE\\VELDO");
    // A key whose name only starts like the removed one stays.
    QVERIFY(doc.hasKey("HKEY_CURRENT_USER\\Software\\Veldo!"));
    QVERIFY(!doc.hasKey("HKEY_CURRENT_USER\\Software\\Veldo\\Sub"));
    doc.removeKey("HKEY_CURRENT_USER\\Software\\Veldo!");
    QVERIFY(doc.isEmpty());
}

void TestRegistry::rejectsDamagedText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray head = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n";
    QTest::newRow("binary") << QByteArray("REGEDIT4\n\0\x01\x02\xff", 13);
    QTest::newRow("no header") << QByteArray("[HKEY_CURRENT_USER\\Software]\n\"a\"=\"b\"\n");
    QTest::newRow("truncated string") << head + "\"Name\"=\"Nov";
    QTest::newRow("truncated hex") << head + "\"Bin\"=hex:00,01,\\\n";
    QTest::newRow("bad dword") << head + "\"N\"=dword:12345678z\n";
    QTest::newRow("dword too long") << head + "\"N\"=dword:123456789\n";
    QTest::newRow("bad hex byte") << head + "\"B\"=hex:0g\n";
    QTest::newRow("value outside key") << QByteArray("REGEDIT4\n\"a\"=\"b\"\n");
    QTest::newRow("missing equals") << head + "\"a\" \"b\"\n";
    QTest::newRow("unclosed key") << QByteArray("REGEDIT4\n[HKEY_CURRENT_USER\\Software\n");
    QTest::newRow("invalid utf-8") << head + "\"a\"=\"\xC3\x28\"\n";
}

void TestRegistry::rejectsDamagedText()
{
    QFETCH(QByteArray, bytes);
    RegDocument doc;
    QString error;
    QVERIFY(!RegDocument::parse(bytes, doc, error));
    QVERIFY(!error.isEmpty());
}

void TestRegistry::typedReadsFailOnWrongType()
{
    TRegistry reg(m_dir.filePath("typed-user.reg"), m_dir.filePath("typed-machine.reg"));
    reg.WriteString(HKCU, kKey, "S", "text");
    reg.WriteInteger(HKCU, kKey, "I", -5);
    reg.WriteFloat(HKCU, kKey, "F", 1.5);
    reg.WriteBool(HKCU, kKey, "B", true);
    QCOMPARE(reg.ReadInteger(HKCU, kKey, "B"), 1);
    QCOMPARE(reg.ReadFloat(HKCU, kKey, "F"), 1.5);
    QVERIFY_THROWS_EXCEPTION(ETalvekException, reg.ReadInteger(HKCU, kKey, "S"));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, reg.ReadString(HKCU, kKey, "I"));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, reg.ReadFloat(HKCU, kKey, "I"));
    // A binary value of another length is no double.
    reg.WriteValue(HKCU, kKey, "Short", RegValue::fromBinary("\x01\x02\x03\x04"));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, reg.ReadFloat(HKCU, kKey, "Short"));
    // The hives are separate files.
    QVERIFY(!reg.ValueExists(HKLM, kKey, "S"));
    QVERIFY(!QFile::exists(m_dir.filePath("typed-machine.reg")));
}

void TestRegistry::writesAreSharedAtomicAndChecked()
{
    const QString user = m_dir.filePath("shared-user.reg");
    TRegistry a(user, m_dir.filePath("m1.reg"));
    TRegistry b(user, m_dir.filePath("m2.reg"));
    // Writes of the same size in quick succession: each store must see the
    // other's change before it writes its own.
    for (int i = 0; i < 20; ++i) {
        a.WriteString(HKCU, kKey, "A", QString("a%1").arg(i % 10));
        b.WriteString(HKCU, kKey, "B", QString("b%1").arg(i % 10));
        QCOMPARE(a.ReadString(HKCU, kKey, "B"), QString("b%1").arg(i % 10));
        QCOMPARE(b.ReadString(HKCU, kKey, "A"), QString("a%1").arg(i % 10));
    }
    QVERIFY(readFile(user).startsWith("REGEDIT4\n"));
    // No temporary files are left behind.
    QCOMPARE(QDir(m_dir.path()).entryList({"shared-user*"}, QDir::Files),
             QStringList{"shared-user.reg"});
    // A store that cannot be written reports it and keeps no value in memory.
    const QString blocker = m_dir.filePath("not-a-dir");
    writeFile(blocker, "x");
    TRegistry blocked(blocker + "/user.reg", m_dir.filePath("machine.reg"));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, blocked.WriteInteger(HKCU, kKey, "A", 1));
    QVERIFY(!blocked.ValueExists(HKCU, kKey, "A"));
}

void TestRegistry::corruptFileIsSetAsideAndReportedOnce_data()
{
    QTest::addColumn<QByteArray>("bad");
    QTest::addColumn<QString>("reason");
    QTest::newRow("bad dword") << QByteArray(
                                      "REGEDIT4\n[HKEY_CURRENT_USER\\Software]\n\"x\"=dword:zz\n")
                               << QString("řádek 3");
    // Well-formed, but larger than a settings file can be.
    QByteArray huge("REGEDIT4\n[HKEY_CURRENT_USER\\Software]\n\"x\"=dword:00000001\n");
    huge += ';' + QByteArray(16 * 1024 * 1024, ' ') + '\n';
    QTest::newRow("over 16 MB") << huge << QString("16 MB");
}

void TestRegistry::corruptFileIsSetAsideAndReportedOnce()
{
    QFETCH(QByteArray, bad);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString user = dir.filePath("user.reg");
    writeFile(user, bad);
    TRegistry reg(user, dir.filePath("machine.reg"));
    QVERIFY(!reg.ValueExists(HKCU, "Software", "x"));
    const QStringList problems = reg.TakeProblems();
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems[0].contains("user.reg") && problems[0].contains(reason),
             qPrintable(problems[0]));
    QVERIFY(reg.TakeProblems().isEmpty());
    // The bad file is kept aside, byte for byte.
    const QStringList aside = QDir(dir.path()).entryList({"*.bad-*"}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QCOMPARE(readFile(dir.filePath(aside[0])), bad);
    // Writing afterwards creates a new file and leaves the bad one alone.
    reg.WriteInteger(HKCU, "Software", "x", 3);
    QCOMPARE(TRegistry(user, dir.filePath("m.reg")).ReadInteger(HKCU, "Software", "x"), 3);
    QCOMPARE(readFile(dir.filePath(aside[0])), bad);
    QVERIFY(reg.TakeProblems().isEmpty());
}

void TestRegistry::unreadableDirectoryKeepsBadFile()
{
    if (geteuid() == 0)
        QSKIP("root ignores directory permissions, so a file can't be made impossible to move");
    QTemporaryDir dir;
    const QString sub = dir.filePath("locked"), user = sub + "/user.reg";
    const QByteArray bad("garbage\n");
    QVERIFY(QDir().mkpath(sub));
    writeFile(user, bad);
    QFile::setPermissions(sub, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    TRegistry reg(user, dir.filePath("machine.reg"));
    reg.WriteInteger(HKCU, "Software", "x", 1); // kept in memory only
    QCOMPARE(reg.ReadInteger(HKCU, "Software", "x"), 1);
    QFile::setPermissions(sub,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(readFile(user), bad);
    QCOMPARE(reg.TakeProblems().size(), 1);
}

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
