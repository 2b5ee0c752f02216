// Text listings, the area summary and their file channel over the controlled
// district of the browser tests; the whole short and full listing compared
// with reference files checked by hand.
#include "BrowseFixture.h"
#include "common/TestSupport.h"

#include "base/ETalvekException.h"
#include "browse/TListingPrinter.h"
#include "report/ui/PrintTarget.h"
#include "data/ListingText.h"
#include "browse/core/TAreaSums.h"
#include "browse/core/TTextListing.h"
#include "browse/core/TextReportFile.h"

#include <QPdfWriter>
#include <QProcess>
#include <QPrinterInfo>
#include <unistd.h>
#include <QTest>

using Rows = QList<QVariantList>;

class TestTextListings : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_ctl = m_root.filePath("ctl");
    QString m_demo = m_root.filePath("demo");
    std::unique_ptr<BrowseFixture> m_fx;
    QString m_work;

    TTextListing::Setup setup(const QString& alias = QStringLiteral("CTL")) const
    {
        TTextListing::Setup s;
        s.ku = m_fx->area(alias);
        s.workDbPath = m_demo + "/WorkDB";
        s.workTablePath = m_work;
        s.companyName = QStringLiteral("Katastrální úřad Ústí");
        s.date = QDate(2026, 3, 9);
        return s;
    }

    QStringList run(const TTextListing::Setup& s, int kind, bool printer = false,
                    const TAreaSums& sums = {})
    {
        QStringList lines;
        TTextListing listing(s, [&](const TTextListing::Line& l) { lines << l.text; });
        if (printer)
            listing.StartPrinterCopy(2);
        else
            listing.StartFile();
        listing.Run(kind, {}, sums);
        return lines;
    }

    static QString readFile(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private slots:
    void initTestCase() { BrowseFixture::writeDistricts(m_root); }

    void init()
    {
        m_fx = std::make_unique<BrowseFixture>();
        m_fx->setAliases({{"CTL", m_ctl}, {"DEMO", m_demo}});
        m_work = m_fx->fillWorkTable("CTL", {"15/3", "-20", "16", "3:40", "99"});
    }

    void columnTexts_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        using namespace ListingText;
        QTest::newRow("stem/sub") << AlignedParcelNumber("123/4") << "    123/4   ";
        QTest::newRow("stem") << AlignedParcelNumber("1234") << "   1234     ";
        QTest::newRow("long stem cut") << AlignedParcelNumber("1234567890/123") << "1234567890/1";
        QTest::newRow("area 12345 m2") << AreaValue(12345, 1) << "      1.2345     1";
        QTest::newRow("nothing") << AreaValue(0, 0) << "      0.0000     0";
        // The whole country, 78,871 km2, still fits its 12 characters.
        QTest::newRow("country") << AreaValue(78871000000LL, 21000000) << "7887100.000021000000";
        QTest::newRow("tab and form feed") << LeftAligned("a\tb\fc", 6) << "a b c ";
        QTest::newRow("emoji kept whole")
            << LeftAligned(QString::fromUtf8("ab😀cd"), 3) << QString::fromUtf8("ab😀");
        QTest::newRow("right cut") << RightAligned("Úřad", 6) << "  Úřad";
        QTest::newRow("page line") << PageLine(3) << QString(37, u' ') + "- 3 -";
    }

    void columnTexts()
    {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    void goldenListings_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("golden");
        QTest::newRow("short") << int(TTextListing::ShortListing) << int(TTextListing::PageText)
                               << "ctl_short.txt";
        QTest::newRow("full, soil page")
            << int(TTextListing::FullListing) << int(TTextListing::PageBonita) << "ctl_full.txt";
    }

    void goldenListings()
    {
        QFETCH(int, kind);
        QFETCH(int, page);
        QFETCH(QString, golden);
        TTextListing::Setup s = setup();
        s.page = page;
        const QStringList lines = run(s, kind);
        const QStringList expected =
            readFile(QStringLiteral(ORV_SOURCE_DIR "/tests/browse/golden/") + golden).split('\n');
        for (int i = 0; i < qMax(lines.size(), expected.size() - 1); ++i)
            QCOMPARE(lines.value(i, "<missing>"), expected.value(i, "<missing>"));
    }

    void titleBlocksAndPaging_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("paging");
        QTest::addColumn<bool>("printer");
        QTest::addColumn<int>("titles");
        QTest::addColumn<int>("formFeeds");
        QTest::addColumn<QString>("firstLine");
        const QString rule(80, u'-');
        const QString page1 = QString(39, u' ') + "- 1 -"; // unpaged files: the reference listings
        QTest::newRow("full, file, paged") << 1 << true << false << 6 << 6 << rule;
        QTest::newRow("full, printer, paged") << 1 << true << true << 6 << 6 << page1;
        QTest::newRow("short, file, paged") << 0 << true << false << 1 << 0 << rule;
        QTest::newRow("short, printer") << 0 << false << true << 1 << 0 << "  " + rule;
        // Three lines a page: every row after the first few opens a new page.
        QTest::newRow("short, printer, 3 lines") << 0 << true << true << 1 << 5 << page1;
    }

    void titleBlocksAndPaging()
    {
        QFETCH(int, kind);
        QFETCH(bool, paging);
        QFETCH(bool, printer);
        QFETCH(int, titles);
        QFETCH(int, formFeeds);
        QFETCH(QString, firstLine);
        TTextListing::Setup s = setup();
        s.paging = paging;
        s.linesPerPage = QTest::currentDataTag() == QByteArray("short, printer, 3 lines") ? 3 : 64;
        const QStringList lines = run(s, kind, printer);
        QCOMPARE(lines.first(), firstLine);
        QCOMPARE(lines.filter("VÝPIS ÚDAJŮ Z KATASTRU NEMOVITOSTÍ").size(), titles);
        QCOMPARE(lines.count("\f"), formFeeds);
        const QString margin = printer ? "  " : "";
        for (const QString& line : lines)
            QVERIFY2(line == "\f" || line.startsWith(margin), qPrintable(line));
        if (!printer) // a file never carries page numbers
            QVERIFY(lines.filter(QRegularExpression("^ +- \\d+ -$")).isEmpty());
        if (printer && paging && kind == 0)
            QCOMPARE(lines.filter(QRegularExpression("^ +- \\d+ -$")).size(), formFeeds + 1);
    }

    void partsOutsideSheets_data()
    {
        QTest::addColumn<int>("lvcis");
        QTest::addColumn<bool>("notEntered");
        QTest::newRow("sheet 0") << 0 << true;
        QTest::newRow("sheet 99990") << 99990 << true;
        QTest::newRow("sheet 99999") << 99999 << true;
        QTest::newRow("sheet 99989") << 99989 << false;
    }

    void partsOutsideSheets()
    {
        QFETCH(int, lvcis);
        QFETCH(bool, notEntered);
        m_work = m_fx->fillWorkTableWithRows({{2, 16, 0, 1, 50, 2, 0, 0, "16", lvcis, true},
                                              {2, 17, 0, 1, 70, 2, 0, 0, "17", 10, false}});
        const QStringList lines = run(setup(), TTextListing::FullListing);
        QVERIFY(lines.filter("parcele číslo 17").isEmpty()); // unmarked parts are left out
        QCOMPARE(lines.contains("PARCELA NENÍ ZAPSÁNA NA LISTU VLASTNICTVÍ"), notEntered);
        QCOMPARE(lines.contains("          VLASTNICTVÍ POZEMKU A STAVBY"), !notEntered);
    }

    void sheetHeadersAndPages_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("listNumber");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("expected"); // whole consecutive lines somewhere in the listing
        const QString rule(80, u'-'), users = "Uživatel " + QString(71, u'-');
        QTest::newRow("ownership sheet")
            << 0 << 10 << 0
            << "                  List vlastnictví č. 10\n\nPoř. Podíl  Identifik.  Vlastník "
               "(jméno nebo název a adresa)\n" +
                   rule +
                   "\n 1     1/2         111  Novák Jan\n 2     1/2         222  Svoboda Petr\n" +
                   QString(80, u'=') + "\n";
        QTest::newRow("evidence list")
            << 0 << -7 << 0
            << "               Evidenční list čís. 7\n\nUživatel" + QString(7, u' ') +
                   "Uživatel Ústí\nRodné č. (IČO)         444";
        QTest::newRow("sheet records after the rows")
            << 0 << 10 << 0
            << "Na pozemku stojí stavba z jiného    parc. č.  16" + QString(32, u' ');
        QTest::newRow("users page") << 1 << 0 << int(TTextListing::PageUsers)
                                    << users + "\n               444  Uživatel Ústí";
        QTest::newRow("user missing") << 1 << 0 << int(TTextListing::PageUsers)
                                      << users + "\n" + QString(20, u' ') + "neevidován";
        QTest::newRow("older register page")
            << 1 << 0 << int(TTextListing::PagePK) << QString("Odkaz z parcely PK: [3:3:40]");
    }

    void sheetHeadersAndPages()
    {
        QFETCH(int, kind);
        QFETCH(int, listNumber);
        QFETCH(int, page);
        QFETCH(QString, expected);
        TTextListing::Setup s = setup();
        s.listNumber = listNumber;
        s.page = page;
        const QString text = '\n' + run(s, kind).join('\n') + '\n';
        QVERIFY2(text.contains('\n' + expected + '\n'), qPrintable(expected));
    }

    // Sums in m2 and part counts by the summary's index (their text form is a
    // column text above).
    void areaSums_data()
    {
        QTest::addColumn<QString>("parts"); // DRUHPOZ:VYMERA[:CPCE:NEMVYUZ], "-" when unmarked
        QTest::addColumn<QString>("sums");  // index:area:parts
        QTest::addColumn<int>("houses");
        QTest::addColumn<int>("registered");
        QTest::newRow("nothing marked") << "-2:500"
                                        << "0:0:0 1:0:0 2:0:0 9:0:0 12:0:0 15:0:0" << 0 << 0;
        QTest::newRow("12345 m2") << "2:12345"
                                  << "0:12345:1 1:12345:1 2:12345:1" << 0 << 0;
        QTest::newRow("kinds 12, 1, 15 unregistered") << "12:100 1:200 15:300"
                                                      << "0:600:3 12:600:3 1:0:0 15:0:0" << 0 << 0;
        QTest::newRow("kind 9 outside the agricultural total")
            << "9:1000 7:500"
            << "9:1000:1 1:500:1 12:0:0 0:1500:2" << 0 << 0;
        QTest::newRow("non-agricultural total") << "10:1 11:2 13:3 14:4"
                                                << "15:10:4 1:0:0" << 0 << 0;
        QTest::newRow("building counters")
            << "13:10:0:20 13:10:12:21 13:10:7:20 13:10:8:30 2:10:9:21 -13:10:5:21"
            << "13:40:4" << 2 << 1;
        // Three parts of 2,000,000,000 m2 overflow 32 bits.
        QTest::newRow("beyond 32 bits")
            << "10:2000000000 10:2000000000 10:2000000000"
            << "0:6000000000:3 10:6000000000:3 15:6000000000:3" << 0 << 0;
    }

    void areaSums()
    {
        QFETCH(QString, parts);
        QFETCH(QString, sums);
        QFETCH(int, houses);
        QFETCH(int, registered);
        Rows work;
        for (const QString& part : parts.split(' ')) {
            const QStringList v = QString(part).remove('-').split(':') + QStringList{"0", "0"};
            const int parcis = int(work.size()) + 1;
            work.append({2, parcis, 0, 1, v[1].toLongLong(), v[0].toInt(), v[2].toInt(),
                         v[3].toInt(), QString::number(parcis), 10, !part.startsWith('-')});
        }
        m_work = m_fx->fillWorkTableWithRows(work);
        const TAreaSums computed = TAreaSums::ComputeAreaSums(m_work);
        QStringList got;
        for (const QString& sum : sums.split(' ')) {
            const int i = sum.section(':', 0, 0).toInt();
            got << QString("%1:%2:%3").arg(i).arg(computed.area[i]).arg(computed.parts[i]);
        }
        QCOMPARE(got.join(' '), sums);
        QCOMPARE(computed.withHouseNumber, houses);
        QCOMPARE(computed.withRegistrationNumber, registered);
        const QStringList text = run(setup(), TTextListing::AreaSummary, false, computed);
        const bool extraRow = computed.area[9] > 0 || computed.area[12] > 0;
        QCOMPARE(text.filter("  Zemědělská p.").size(), extraRow ? 1 : 0);
        QCOMPARE(
            text.last(),
            "  Počet staveb s č.popis.:" + QString::number(houses).rightJustified(7) +
                "         Počet staveb s č.evid.:" + QString::number(registered).rightJustified(8));
        QVERIFY(text.contains("                   PARCELY CELKEM                      " +
                              ListingText::AreaValue(computed.area[0], computed.parts[0])));
    }

    void hostileTextsKeepTheLayout()
    {
        // A district whose owner names and record texts carry control characters
        // and a very long text (the tables' code page has no emoji; the column
        // texts keep them whole, see columnTexts).
        const QString dir = m_root.filePath("hostile");
        BrowseFixture::writeControlledDistrict(dir);
        const QString nasty = QString::fromUtf8("Novák\tJan\fÚstí\r\nřádek ") + QString(200, u'x');
        ParadoxWriter::writeTable(
            dir + "/NYSOBORG.DB",
            {numberField("IDENT"), shortField("UVCHAR"), alphaField("NAZEV", 250)}, 2,
            {{111.0, 1, nasty}, {222.0, 5, "Svoboda\vPetr"}});
        ParadoxWriter::writeTable(dir + "/NYSTX001.DB",
                                  {numberField("DLVCIS"), shortField("DOPLPOR"),
                                   shortField("RADEK"), alphaField("TEXT", 60)},
                                  3, {{10.0, 2, 1, QString::fromUtf8("text\fse\tznaky\x01")}});
        m_fx->setAliases({{"HOSTILE", dir}});
        m_work = m_fx->fillWorkTable("HOSTILE", {"15/3", "16"});
        TTextListing::Setup s = setup("HOSTILE");
        s.listNumber = 10;
        for (int kind : {0, 1}) {
            const QStringList lines = run(s, kind, true);
            for (const QString& line : lines) {
                if (line == "\f")
                    continue;
                for (const QChar c : line)
                    QVERIFY2(c.unicode() >= 32, qPrintable(line));
                QVERIFY2(line.startsWith("  "), qPrintable(line));
            }
            // The line after an owner starts where it should.
            const int owner = int(lines.indexOf(QRegularExpression("^   1     1/2 .*")));
            QVERIFY(owner >= 0);
            QVERIFY(lines[owner].contains(QString::fromUtf8("Novák Jan Ústí  řádek xxx")));
            QCOMPARE(lines[owner + 1].left(13), "   2     1/2 ");
        }
    }

    // orv-tool listing writes what the browser writes, for each of its options
    // (no install data: no company name; today's date on both sides).
    void toolWritesTheSameListing_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("lines"); // 0: not paged
        QTest::addColumn<int>("sheet");
        using T = TTextListing;
        QTest::newRow("short") << "--short" << int(T::ShortListing) << int(T::PageText) << 0 << 0;
        QTest::newRow("full, soil page, paged")
            << "--full --page bonita --paginate" << int(T::FullListing) << int(T::PageBonita) << 64
            << 0;
        QTest::newRow("short, 3 lines a page")
            << "--short --paginate --lines 3" << int(T::ShortListing) << int(T::PageText) << 3 << 0;
        QTest::newRow("full of sheet 10, users page")
            << "--full --sheet 10 --page users" << int(T::FullListing) << int(T::PageUsers) << 0
            << 10;
        QTest::newRow("summary") << "--summary" << int(T::AreaSummary) << int(T::PageText) << 0
                                 << 0;
    }
    void toolWritesTheSameListing()
    {
        QFETCH(QString, args);
        QFETCH(int, kind);
        QFETCH(int, page);
        QFETCH(int, lines);
        QFETCH(int, sheet);
        // The catalogue the tool reads names the area as the fixture does.
        ParadoxWriter::writeTable(m_ctl + "/NYSKATAL.DB",
                                  {alphaField("KATUZ", 5), alphaField("IDENTCIS", 6),
                                   alphaField("PORCIS", 3), alphaField("NAZEV", 30)},
                                  1,
                                  {{"00000", "003860", "000", "Okres"},
                                   {"00100", "530044", "000", "Obec"},
                                   {"00101", "600001", "001", "Katastr CTL"}});
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ORV_WORKDB", m_demo + "/WorkDB");
        env.insert("ORV_MACHINE_CONFIG_DIR", m_root.filePath("no-install-data"));
        QProcess tool;
        tool.setProcessEnvironment(env);
        tool.start(TestSupport::orvToolPath(),
                   ("listing --alias CTL --area 001 --work " + m_work + ' ' + args).split(' '));
        QVERIFY(tool.waitForFinished(60000));
        QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
        TTextListing::Setup s = setup();
        s.companyName.clear();
        s.date = QDate::currentDate();
        std::tie(s.page, s.paging, s.linesPerPage, s.listNumber) =
            std::make_tuple(page, lines > 0, lines > 0 ? lines : 64, sheet);
        const TAreaSums sums =
            kind == TTextListing::AreaSummary ? TAreaSums::ComputeAreaSums(m_work) : TAreaSums();
        const QStringList mine = run(s, kind, false, sums);
        QVERIFY(mine.size() > 5);
        QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()), mine.join('\n') + '\n');
    }

    void fileChannel_data()
    {
        QTest::addColumn<QString>("target"); // relative to the temporary root
        QTest::addColumn<bool>("failMidway");
        QTest::addColumn<QString>("error"); // "" when the write succeeds
        QTest::newRow("written") << "out/short.txt" << false << "";
        QTest::newRow("blank name") << "   " << false << "Nebyl zadán cílový soubor";
        QTest::newRow("missing directory") << "nowhere/x/short.txt" << false << "short.txt";
        QTest::newRow("read-only directory") << "ro/short.txt" << false << "short.txt";
        QTest::newRow("failure keeps the old file") << "out/short.txt" << true << "přerušeno";
    }

    void fileChannel()
    {
        QFETCH(QString, target);
        QFETCH(bool, failMidway);
        QFETCH(QString, error);
        if (QTest::currentDataTag() == QByteArray("read-only directory") && ::geteuid() == 0)
            QSKIP("root writes into any directory");
        QTemporaryDir root;
        QDir(root.path()).mkpath("out");
        QDir(root.path()).mkpath("ro");
        QFile::setPermissions(root.filePath("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const QString path = target.trimmed().isEmpty() ? target : root.filePath(target);
        QFile old(root.filePath("out/short.txt"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old text\n") == 9);
        old.close();
        int rows = 0;
        TTextListing listing(setup(), {},
                             {{},
                              [&] {
                                  if (failMidway && ++rows == 3)
                                      throw ETalvekException("přerušeno");
                                  return false;
                              },
                              {}});
        const QString message = TestSupport::refusal(
            [&] { WriteTextReport(listing, TTextListing::ShortListing, path); });
        QFile::setPermissions(root.filePath("ro"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (error.isEmpty()) { // the file holds the text of the listing, without form feeds
            QCOMPARE(message, QString());
            QCOMPARE(readFile(path), readFile(ORV_SOURCE_DIR "/tests/browse/golden/ctl_short.txt"));
            return;
        }
        QVERIFY2(message.contains(error), qPrintable(message));
        QCOMPARE(readFile(root.filePath("out/short.txt")), "old text\n");
        // Nothing half-written is left behind.
        QCOMPARE(QDir(root.filePath("out")).entryList(QDir::Files), QStringList{"short.txt"});
        QVERIFY(QDir(root.filePath("ro")).isEmpty());
    }

    // The printer channel onto a PDF page: the full listing of six parts on
    // pages of 64 lines, one page per part when paged; two copies, each from
    // a new sheet. Without a printer a Czech message.
    void printedPages()
    {
        for (bool paging : {false, true}) {
            TTextListing::Setup s = setup();
            s.paging = paging;
            TTextListing listing(s);
            QPdfWriter pdf(m_root.filePath("listing.pdf"));
            pdf.setPageSize(QPageSize(QPageSize::A4));
            TListingPrinter printer(pdf);
            QVERIFY(QFontInfo(printer.Font()).fixedPitch());
            printer.Print(listing, TTextListing::FullListing, 2);
            const int pages = printer.PagesPrinted();
            QVERIFY2(pages % 2 == 0 && (paging ? pages >= 12 : pages >= 4 && pages < 12),
                     qPrintable(QString::number(pages)));
        }
        if (QPrinterInfo::availablePrinters().isEmpty()) {
            // No print service: the listing goes to the PDF file asked for;
            // a file that cannot be written is named.
            QString file = m_root.filePath("Sestava.pdf");
            PrintTarget::SetFileAsker([&](QWidget*, const QString&) { return file; });
            TTextListing listing(setup());
            TListingPrinter::PrintTextReport(nullptr, listing, TTextListing::FullListing);
            QVERIFY(QFileInfo(file).size() > 1000);
            file = m_root.filePath("není/Sestava.pdf");
            QCOMPARE(TestSupport::refusal([&] {
                         TListingPrinter::PrintTextReport(nullptr, listing, 0);
                     }),
                     "Není nainstalována žádná tiskárna a soubor PDF " +
                         QDir::toNativeSeparators(file) + " nelze zapsat");
            PrintTarget::SetFileAsker(nullptr);
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == "FileWrittenNotice")
                    w->close();
        }
    }
};

QTEST_MAIN(TestTextListings)
#include "tst_textlistings.moc"
