#include "base/CzechPlural.h"
#include "base/ETalvekException.h"
#include "base/Format.h"
#include "base/TextHelpers.h"
#include "widgets/ScreenScale.h"

#include <QTest>
#include <limits>

// Format drives every listing and form: rounding on the decimal value, the Czech
// decimal comma, %g exponents, widths in characters, arguments that do not fit.
// Then the small helpers: trailing separators and screen scaling.
class TestFormat : public QObject
{
    Q_OBJECT

    QLocale cs{QLocale::Czech, QLocale::CzechRepublic};
    QLocale c{QLocale::C};

private slots:
    void formats_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<bool>("cLocale");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const QString& f, const QVariantList& a, const QString& e,
                      bool cLocale = false) { QTest::newRow(name) << f << a << cLocale << e; };
        // Integers: width pads and never truncates, precision zero-pads.
        row("width never truncates", "%4d", {123456}, "123456");
        row("left aligned", "%-5d|", {12}, "12   |");
        row("zero padded", "%.3d", {7}, "007");
        row("zero padded negative", "%.3d", {-5}, "-005");
        row("int64", "%d", {qlonglong(20000000123LL)}, "20000000123");
        row("int64 min", "%d", {std::numeric_limits<qlonglong>::min()}, "-9223372036854775808");
        row("house number / part", "%4d/%d", {12, 3}, "  12/3");
        // Strings: width in characters, so Czech letters align like ASCII ones.
        row("czech left aligned", "%-9s|", {"Šťáva"}, "Šťáva    |");
        row("string never truncated", "%5s", {"dlouhý text"}, "dlouhý text");
        row("string precision cuts", "%.3s", {"abcdef"}, "abc");
        row("percent sign", "100%% %s", {"hotovo"}, "100% hotovo");
        row("outside basic plane counts one", "%3s|", {"😀"}, "  😀|");
        // Fixed: rounded half away from zero on the 18-digit decimal value.
        row("default two decimals", "%f", {3.14159}, "3,14");
        row("half away negative", "%.0f", {-2.5}, "-3");
        row("0.125 to 2", "%.2f", {0.125}, "0,13");
        // 2.675 is 2.67499999999999982... in binary: below the half on 18 digits.
        row("binary just below half", "%.2f", {2.675}, "2,67");
        row("1.005", "%.2f", {1.005}, "1,00");
        row("no minus zero", "%.2f", {-0.001}, "0,00");
        row("negative zero", "%f", {-0.0}, "0,00");
        row("carry to new digit", "%.0f", {99.5}, "100");
        row("hectares", "%12.4f", {12345.6789}, "  12345,6789");
        row("integer for %f", "%11.0f", {qlonglong(123)}, "        123");
        // 0.1 written with 18 significant digits is 0.100000000000000006.
        row("18 digits", "%.18f", {0.1}, "0.100000000000000006", true);
        // 18 digits 123456789012345650: the 5 rounds the 16th up, away from zero.
        row("17th digit rounds", "%.16f", {0.12345678901234565}, "0.1234567890123457", true);
        row("17th digit negative", "%.16f", {-0.12345678901234565}, "-0.1234567890123457", true);
        row("C locale point", "%.2f", {0.125}, "0.13", true);
        // General: fifteen significant digits, exponent of three digits.
        row("g zero", "%g", {0.0}, "0");
        row("g 1e20", "%g", {1e20}, "1E020");
        row("g fifteen integer digits fit", "%g", {1e14}, "100000000000000");
        row("g sixteen do not", "%g", {1e15}, "1E015");
        row("g 1e-5 fixed", "%g", {0.00001}, "0,00001");
        row("g small scientific", "%g", {1.5e-7}, "1,5E-007");
        row("g fifteen digits", "%g", {0.1 + 0.2}, "0,3");
        row("g rounded to 15", "%g", {123456789.123456789}, "123456789,123457");
        row("g huge", "%g", {1.5e300}, "1,5E300");
        row("g integer", "%g", {20000000000LL + 5}, "20000000005");
        row("inf", "%f", {std::numeric_limits<double>::infinity()}, "INF");
        row("nan", "%g", {std::numeric_limits<double>::quiet_NaN()}, "NAN");
    }
    void formats()
    {
        QFETCH(QString, format);
        QFETCH(QVariantList, args);
        QFETCH(bool, cLocale);
        QFETCH(QString, expected);
        QCOMPARE(Format(format, args, cLocale ? c : cs), expected);
    }

    void mismatchThrows_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QVariantList>("args");
        QTest::newRow("text for %d") << "%d" << QVariantList{QStringLiteral("12")};
        QTest::newRow("float for %d") << "%d" << QVariantList{1.5};
        QTest::newRow("number for %s") << "%s" << QVariantList{12};
        QTest::newRow("text for %f") << "%f" << QVariantList{QStringLiteral("1")};
        QTest::newRow("bool for %d") << "%d" << QVariantList{true};
        QTest::newRow("missing argument") << "%d %d" << QVariantList{1};
        QTest::newRow("unknown directive") << "%q" << QVariantList{1};
        QTest::newRow("dangling percent") << "abc %" << QVariantList{1};
        QTest::newRow("invalid variant") << "%d" << QVariantList{QVariant()};
        QTest::newRow("absurd width") << "%999999999d" << QVariantList{1};
    }
    void mismatchThrows()
    {
        QFETCH(QString, format);
        QFETCH(QVariantList, args);
        try {
            Format(format, args, cs);
            QFAIL("no exception");
        } catch (const ETalvekException& e) {
            QVERIFY2(e.message().contains(QStringLiteral("Formát")), qPrintable(e.message()));
        }
    }

    void trailingSeparator()
    {
        // text, with a trailing separator, without one (only one goes)
        const QList<QStringList> cases{{"", "", ""},
                                       {"/data/okres", "/data/okres/", "/data/okres"},
                                       {"/data/okres/", "/data/okres/", "/data/okres"},
                                       {"DATA1:\\TEXTY\\", "DATA1:\\TEXTY\\", "DATA1:\\TEXTY"},
                                       {"/a//", "/a//", "/a/"},
                                       {"C:\\", "C:\\", "C:"},
                                       {"/", "/", ""}};
        for (const QStringList& c : cases) {
            QCOMPARE(IncludeTrailingBackslash(c[0]), c[1]);
            QCOMPARE(ExcludeTrailingBackslash(c[0]), c[2]);
        }
    }

    void scaling()
    {
        QCOMPARE(ScaleToScreen(100, 120), 125);
        QCOMPARE(ScaleToScreen(1, 144), 2); // 1.5 rounds up
        QCOMPARE(ScaleToScreen(-1, 144), -2);
        // Results beyond the int range saturate instead of wrapping.
        QCOMPARE(ScaleToScreen(2000000000, 192), INT_MAX);
        QCOMPARE(ScaleToScreen(-2000000000, 192), INT_MIN);
    }

    void czechPlurals()
    {
        // count -> the noun after it: 1; 2-4; 0, 5 and more; by magnitude.
        const QList<std::pair<qint64, QString>> cases{
            {1, "1 katastrální území"},
            {2, "2 katastrální území"},
            {4, "4 katastrální území"},
            {0, "0 katastrálních území"},
            {5, "5 katastrálních území"},
            {12, "12 katastrálních území"},
            {22, "22 katastrálních území"},
            {-3, "-3 katastrální území"},
            {std::numeric_limits<qint64>::min(), "-9223372036854775808 katastrálních území"}};
        for (const auto& [count, text] : cases)
            QCOMPARE(CzechPlural::Count(count, "katastrální území", "katastrální území",
                                        "katastrálních území"),
                     text);
        QCOMPARE((QStringList{CzechPlural::Form(1, "vlastník", "vlastníci", "vlastníků"),
                              CzechPlural::Form(3, "vlastník", "vlastníci", "vlastníků"),
                              CzechPlural::Form(7, "vlastník", "vlastníci", "vlastníků")}),
                 (QStringList{"vlastník", "vlastníci", "vlastníků"}));
    }

    void exceptionCarriesCzechMessageAsUtf8()
    {
        const QString text = QStringLiteral("Soubor nebyl nalezen: žluťoučký kůň");
        QCOMPARE(QString::fromUtf8(ETalvekException(text).what()), text);
    }
};

QTEST_GUILESS_MAIN(TestFormat)
#include "tst_format.moc"
