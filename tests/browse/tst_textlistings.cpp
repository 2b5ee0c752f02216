// Text listings, the area summary and their file channel over the controlled
// district of the browser tests; the whole short and full listing compared
// with reference files checked by hand.
#include "BrowseFixture.h"

#include "base/ETalvekException.h"
#include "browse/core/ListingText.h"
#include "browse/core/TAreaSums.h"
#include "browse/core/TTextListing.h"
#include "browse/core/TextReportFile.h"

#include <QProcess>
#include <QTest>

class TestTextListings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void columnTexts_data();
    void columnTexts();
    void goldenListings_data();
    void goldenListings();

private:
    TTextListing::Setup setup(const QString& alias = QStringLiteral("CTL")) const;
    QStringList run(const TTextListing::Setup& s, int kind, bool printer = false,
                    const TAreaSums& sums = {});
    QString workTable(const QList<QVariantList>& rows);
    static QString readFile(const QString& path);

    QTemporaryDir m_root;
    QString m_ctl;
    QString m_demo;
    std::unique_ptr<BrowseFixture> m_fx;
    QString m_work;
};

void TestTextListings::initTestCase()
{
    m_ctl = m_root.filePath("ctl");
    m_demo = m_root.filePath("demo");
    BrowseFixture::writeControlledDistrict(m_ctl);
    BrowseFixture::writeDemoDistrict(m_demo);
    qputenv("ORV_WORKDB", (m_demo + "/WorkDB").toUtf8());
}

void TestTextListings::init()
{
    m_fx = std::make_unique<BrowseFixture>();
    m_fx->setAliases({{"CTL", m_ctl}, {"DEMO", m_demo}});
    m_work = m_fx->fillWorkTable("CTL", {"15/3", "-20", "16", "3:40", "99"});
}

TTextListing::Setup TestTextListings::setup(const QString& alias) const
{
    TTextListing::Setup s;
    s.ku = m_fx->area(alias);
    s.workDbPath = m_demo + "/WorkDB";
    s.workTablePath = m_work;
    s.companyName = QStringLiteral("Katastrální úřad Ústí");
    s.date = QDate(2026, 3, 9);
    return s;
}

QStringList TestTextListings::run(const TTextListing::Setup& s, int kind, bool printer,
                                  const TAreaSums& sums)
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

QString TestTextListings::readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// A work table of (PARSKUP, PARCIS, PARPOD, PARDIL, VYMERA, DRUHPOZ, CPCE,
// NEMVYUZ, PARCISLO, LVCIS, FLAG) rows.
QString TestTextListings::workTable(const QList<QVariantList>& rows)
{
    Table work;
    work.setDatabaseName(m_fx->workDir());
    work.setTableName("PRAC.DB");
    CreateWorkTable(work);
    work.open();
    const QStringList fields = {"PARSKUP", "PARCIS",   "PARPOD", "PARDIL", "VYMERA", "DRUHPOZ",
                                "CPCE",    "NEMVYUZ", "PARCISLO", "LVCIS", "FLAG"};
    for (const QVariantList& row : rows) {
        work.append();
        for (int i = 0; i < fields.size(); ++i)
            work.setValue(fields[i], row[i]);
        work.post();
    }
    work.close();
    return m_fx->workDir() + "/PRAC.DB";
}

void TestTextListings::columnTexts_data()
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
    QTest::newRow("country") << AreaValue(78871000000LL, 21000000)
                             << "7887100.000021000000";
    QTest::newRow("tab and form feed") << LeftAligned("a\tb\fc", 6) << "a b c ";
    QTest::newRow("emoji kept whole") << LeftAligned(QString::fromUtf8("ab😀cd"), 3)
                                      << QString::fromUtf8("ab😀");
    QTest::newRow("right cut") << RightAligned("Úřad", 6) << "  Úřad";
    QTest::newRow("page line") << PageLine(3) << QString(37, u' ') + "- 3 -";
}

void TestTextListings::columnTexts()
{
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

void TestTextListings::goldenListings_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("golden");
    QTest::newRow("short") << int(TTextListing::ShortListing) << int(TTextListing::PageText)
                           << "ctl_short.txt";
    QTest::newRow("full, soil page") << int(TTextListing::FullListing)
                                     << int(TTextListing::PageBonita) << "ctl_full.txt";
}

void TestTextListings::goldenListings()
{
    QFETCH(int, kind);
    QFETCH(int, page);
    QFETCH(QString, golden);
    TTextListing::Setup s = setup();
    s.page = page;
    const QStringList lines = run(s, kind);
    if (qEnvironmentVariableIsSet("ORV_WRITE_GOLDEN")) {
        QFile out(qEnvironmentVariable("ORV_WRITE_GOLDEN") + "/" + golden);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write((lines.join('\n') + '\n').toUtf8());
        qInfo() << "written" << out.fileName();
    }
    const QStringList expected =
        readFile(QStringLiteral(ORV_SOURCE_DIR "/tests/browse/golden/") + golden)
            .split('\n');
    for (int i = 0; i < qMax(lines.size(), expected.size() - 1); ++i)
        QCOMPARE(lines.value(i, "<missing>"), expected.value(i, "<missing>"));
}

QTEST_MAIN(TestTextListings)
#include "tst_textlistings.moc"
