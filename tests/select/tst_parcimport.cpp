// The grid rows of the parcel-number dialog: the item model, the checks of
// typed numbers (field ranges) and the import of parcel and house numbers
// from text in both layouts, in UTF-8 and code page 1250.
#include "base/ETalvekException.h"
#include "select/core/TParcGridModel.h"
#include "select/core/TParcelImport.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
using Kind = TParcGridModel::Kind;

QStringList rowTexts(const QList<TParcGridRow>& rows)
{
    QStringList texts;
    for (const TParcGridRow& r : rows)
        texts << r[0] + QLatin1Char('|') + r[1] + QLatin1Char('|') + r[2];
    return texts;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(bytes);
    return path;
}

// The message with which reading `path` is refused; empty when it is read.
QString errorOf(const QString& path)
{
    try {
        TParcelImport::ReadTextFile(path);
    } catch (const ETalvekException& e) {
        return e.message();
    }
    return QString();
}
} // namespace

class TestParcImport : public QObject
{
    Q_OBJECT

private slots:
    void modelRowsAndNumbering();
    void typedNumbersWithinFieldRanges_data();
    void typedNumbersWithinFieldRanges();
    void lines_data();
    void lines();
    void fileEncodingsAndRefusals();
    void onlyRegularFilesAreRead();
    void rowsAreCapped();
};

void TestParcImport::modelRowsAndNumbering()
{
    TParcGridModel model(Kind::Parcel, {"", "Skupina", "Parcel.číslo", "Podlomení"});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.AddRows({{"2", "15", "0"}}); // reuses the empty first row
    model.AddRows({{"1", "16", "0"}, {"", "17", ""}});
    QVERIFY(model.setData(model.index(2, 3), QStringLiteral("4")));
    QVERIFY(!model.setData(model.index(2, 0), QStringLiteral("9"))); // the row number
    model.DeleteRow(0); // the rows below move up and are renumbered
    QCOMPARE(rowTexts(model.Rows()), (QStringList{"1|16|0", "|17|4"}));
    QCOMPARE(model.data(model.index(1, 0)).toString(), QStringLiteral("2"));
    model.AppendRow();
    model.SetCell(2, 1, QStringLiteral("x"));
    model.Reset();
    QCOMPARE(model.rowCount(), 1);
    QVERIFY(model.RowEmpty(0));
}

void TestParcImport::typedNumbersWithinFieldRanges_data()
{
    QTest::addColumn<bool>("house");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("group empty") << false << 1 << "" << true;
    QTest::newRow("group 5") << false << 1 << " 5 " << true;
    QTest::newRow("group -1") << false << 1 << "-1" << true;
    QTest::newRow("group -2") << false << 1 << "-2" << false;
    QTest::newRow("group beyond 16 bits") << false << 1 << "65538" << false;
    QTest::newRow("group text counts as empty") << false << 1 << "x" << true;
    QTest::newRow("group of 25 digits") << false << 1 << "9999999999999999999999999" << false;
    QTest::newRow("stem empty") << false << 2 << "" << false;
    QTest::newRow("stem 0") << false << 2 << "0" << false;
    QTest::newRow("stem 1") << false << 2 << "1" << true;
    QTest::newRow("stem max 32 bits") << false << 2 << "2147483647" << true;
    QTest::newRow("stem wraps 32 bits") << false << 2 << "4294967311" << false;
    QTest::newRow("stem letters") << false << 2 << "15a" << false;
    QTest::newRow("subdivision 0") << false << 3 << "0" << true;
    QTest::newRow("subdivision empty") << false << 3 << "" << false;
    QTest::newRow("subdivision beyond 16 bits") << false << 3 << "65537" << false;
    QTest::newRow("part empty") << true << 1 << "" << true;
    QTest::newRow("part 99") << true << 1 << "99" << true;
    QTest::newRow("part 100") << true << 1 << "100" << false;
    QTest::newRow("house 9999") << true << 2 << "9999" << true;
    QTest::newRow("house 10000 would be another part") << true << 2 << "10000" << false;
    QTest::newRow("house 0") << true << 2 << "0" << false;
    QTest::newRow("kind letter") << true << 3 << "Popis.č." << true;
    QTest::newRow("kind empty") << true << 3 << "" << true;
    QTest::newRow("kind -5") << true << 3 << "-5" << false;
}

void TestParcImport::typedNumbersWithinFieldRanges()
{
    QFETCH(bool, house);
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const TParcGridModel model(house ? Kind::House : Kind::Parcel, {});
    QCOMPARE(model.CellValid(column, text), valid);
}

void TestParcImport::lines_data()
{
    QTest::addColumn<bool>("house");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("rows"); // group|stem|subdivision or part|house|kind
    QTest::addColumn<int>("errorLine");    // 0: all read
    QTest::addColumn<QString>("message");  // empty: the line number says it all
    const auto row = [](const char* tag, bool house, const QStringList& lines,
                        const QStringList& rows, int errorLine = 0, const QString& message = {}) {
        QTest::newRow(tag) << house << lines << rows << errorLine << message;
    };
    row("list, default group 2, older register in brackets", false, {"12/1;15;(7)"},
        {"2|12|1", "2|15|0", "5|7|0"});
    row("list, signed and colon groups, blanks", false, {"-3/2, 4:8/1", "  20 , 21  ", "(-9)"},
        {"1|3|2", "4|8|1", "2|20|0", "2|21|0", "4|9|0"});
    row("columns by blanks", false, {"2 15 3", "1 7 0", "  0   8  0  extra"},
        {"2|15|3", "1|7|0", "0|8|0"});
    row("columns by tabs", false, {"2\t15\t3", "1\t 7 \t0"}, {"2|15|3", "1|7|0"});
    row("house columns: part may be text, kind free", true, {"3 12 P", "x 14 E"},
        {"3|12|P", "x|14|E"});
    row("house list", true, {"12/3P;14;7/1g", "150 E"}, {"3|12|P", "|14|V", "1|7|g", "|150|E"});
    row("kind letter after the first number is no separator", true, {"12P;14"}, {"|12|P", "|14|V"});
    // "12P 14" is two house numbers, not part "12P" of house 14.
    row("kind letter makes a blank-separated line a list", true, {"12P 14", "7E 8/2"},
        {"|12|P", "|14|V", "|7|E", "2|8|V"});

    // A bad line stops the import; the rows before it stay.
    row("first line fixes the separator", false, {"2 15 3", "1\t7\t0"}, {"2|15|3"}, 2,
        "Chybné číslo „1\t7\t0“ na řádku 2");
    row("bare first number: columns 2 and 3 empty", false, {"15"}, {}, 1);
    // A number that the column would read as empty is refused, not dropped.
    row("house number with kind as the part", true, {"3 12 P", "12P 14"}, {"3|12|P"}, 2,
        "Chybné číslo „12P“ na řádku 2");
    row("number after the third column", false, {"2 15 0", "2 16 0 17"}, {"2|15|0"}, 2,
        "Chybné číslo „17“ na řádku 2");
    row("letters in the stem column", false, {"2 15a 0"}, {}, 1, "Chybné číslo „15a“ na řádku 1");
    row("empty line in a list", false, {"12;13", "", "14"}, {"2|12|0", "2|13|0"}, 2);
    row("empty line in columns", true, {"5 12", ""}, {"5|12|"}, 2);
    row("stem 0 in a list", false, {"12/1;0"}, {"2|12|1"}, 1);
    row("negative group column", false, {"-1 15 0"}, {}, 1);
    row("stem wraps 32 bits", false, {"2 4294967311 0"}, {}, 1);
    row("house 0 in a list", true, {"12/1;0/1"}, {"1|12|V"}, 1);
    row("house too large", true, {"5;12345"}, {"|5|V"}, 1);
    row("empty clipboard", false, {QString()}, {}, 1);
}

void TestParcImport::lines()
{
    QFETCH(bool, house);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, rows);
    QFETCH(int, errorLine);
    QFETCH(QString, message);
    const auto result = TParcelImport::Parse(lines, house ? Kind::House : Kind::Parcel);
    QCOMPARE(rowTexts(result.rows), rows);
    QCOMPARE(result.errorLine, errorLine);
    QCOMPARE(result.errorText, message);
}

void TestParcImport::fileEncodingsAndRefusals()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // "č" in UTF-8, with a byte-order mark and Windows line ends.
    const QString utf8 = writeFile(dir, "utf8.txt",
                                   QByteArray("\xEF\xBB\xBF"
                                              "1 12 P\r\n2 13 Evid.\xC4\x8D.\r\n"));
    QCOMPARE(TParcelImport::ReadTextFile(utf8), (QStringList{"1 12 P", "2 13 Evid.č."}));
    // "č" is 0xE8 in code page 1250 and no valid UTF-8.
    const QString cp1250 = writeFile(dir, "cp1250.txt", QByteArray("1 12 Evid.\xE8.\n3 4 P"));
    QCOMPARE(TParcelImport::ReadTextFile(cp1250), (QStringList{"1 12 Evid.č.", "3 4 P"}));

    const QString binary = writeFile(dir, "data.txt", QByteArray("12\0\x01\x02", 5));
    QVERIFY(errorOf(binary).contains(QStringLiteral("není textový soubor")));
    const QString huge = dir.filePath("huge.txt");
    {
        QFile file(huge);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(100 * 1024 * 1024)); // sparse: no disk is used
    }
    QVERIFY(errorOf(huge).contains(QStringLiteral("příliš velký")));
    QVERIFY(!errorOf(dir.filePath("missing.txt")).isEmpty());
}

void TestParcImport::onlyRegularFilesAreRead()
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("roura.txt");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // A writer that waits for a reader: before the check, the import opened
    // the pipe, waited for the writer and read what came.
    ::signal(SIGPIPE, SIG_IGN);
    std::thread writer([&] {
        for (int i = 0; i < 100; ++i) {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                [[maybe_unused]] const auto n = ::write(fd, "12;13\n", 6);
                ::close(fd);
                return;
            }
            QThread::msleep(10);
        }
    });
    const auto refused = [](const QString& path) {
        const QString message = errorOf(path);
        return message.contains(QStringLiteral("není obyčejný soubor")) &&
               message.contains(QDir::toNativeSeparators(path));
    };
    const bool fifoRefused = refused(fifo);
    writer.join();
    QVERIFY(fifoRefused);
    // A device never ends; it must be refused before anything is read.
    QVERIFY(refused(QStringLiteral("/dev/zero")));
    QVERIFY(refused(dir.path()));
}

// The rows an import takes are capped (far above any real list).
void TestParcImport::rowsAreCapped()
{
    QString line;
    for (int i = 1; i <= 1000; ++i)
        line += QString::number(i) + QLatin1Char(';');
    const QStringList lines(TParcelImport::MaxRows / 1000 + 1, line);
    const auto capped = TParcelImport::Parse(lines, Kind::Parcel);
    QCOMPARE(capped.rows.size(), TParcelImport::MaxRows);
    QVERIFY(!capped.errorText.isEmpty());
}

QTEST_MAIN(TestParcImport)
#include "tst_parcimport.moc"
