#include "base/ETalvekException.h"
#include "base/Format.h"

#include <QTest>
#include <limits>

// Format drives every listing and form, so the tricky cases live here:
// rounding on the decimal value, the Czech decimal comma, exponents of %g.
class TestFormat : public QObject
{
    Q_OBJECT

    QLocale cs{QLocale::Czech, QLocale::CzechRepublic};
    QLocale c{QLocale::C};

    QString fmt(const QString& f, const QVariantList& args) { return Format(f, args, cs); }

private slots:
    void integers_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "%d" << QVariant(42) << "42";
        QTest::newRow("negative") << "%d" << QVariant(-42) << "-42";
        QTest::newRow("width pads left") << "%4d" << QVariant(7) << "   7";
        QTest::newRow("width never truncates") << "%4d" << QVariant(123456) << "123456";
        QTest::newRow("left aligned") << "%-5d|" << QVariant(12) << "12   |";
        QTest::newRow("zero padded") << "%.3d" << QVariant(7) << "007";
        QTest::newRow("zero padded long") << "%.3d" << QVariant(1234) << "1234";
        QTest::newRow("zero padded negative") << "%.3d" << QVariant(-5) << "-005";
        QTest::newRow("zero") << "%d" << QVariant(0) << "0";
        QTest::newRow("int64") << "%d" << QVariant(qlonglong(20000000123LL)) << "20000000123";
        QTest::newRow("int64 min")
            << "%d" << QVariant(std::numeric_limits<qlonglong>::min()) << "-9223372036854775808";
        QTest::newRow("hex") << "%x" << QVariant(255) << "FF";
    }
    void integers()
    {
        QFETCH(QString, format);
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        QCOMPARE(fmt(format, {value}), expected);
    }

    void housenumberAndShare()
    {
        // House number 12 in part 3 of the municipality: CPCE = 30012.
        QCOMPARE(Format("%4d/%d", 30012 % 10000, 30012 / 10000), QStringLiteral("  12/3"));
        QCOMPARE(Format("%4d  ", 5), QStringLiteral("   5  "));
        QCOMPARE(Format("%d/%2d", 1234, 5), QStringLiteral("1234/ 5"));
        QCOMPARE(Format("%d/%d", 1, 2), QStringLiteral("1/2"));
    }

    void strings()
    {
        QCOMPARE(fmt("%s", {QStringLiteral("abc")}), QStringLiteral("abc"));
        QCOMPARE(fmt("%7s|", {QStringLiteral("1/2")}), QStringLiteral("    1/2|"));
        QCOMPARE(fmt("%-9s|", {QStringLiteral("Šťáva")}), QStringLiteral("Šťáva    |"));
        // Width counts characters, so Czech letters align like ASCII ones.
        QCOMPARE(fmt("%5s", {QStringLiteral("žluť")}).size(), 5);
        QCOMPARE(fmt("%5s", {QStringLiteral("dlouhý text")}), QStringLiteral("dlouhý text"));
        QCOMPARE(fmt("%.3s", {QStringLiteral("abcdef")}), QStringLiteral("abc"));
        QCOMPARE(fmt("%s", {QString()}), QString());
        QCOMPARE(fmt("100%% %s", {QStringLiteral("hotovo")}), QStringLiteral("100% hotovo"));
        QCOMPARE(Format("FROM \"%s\" WHERE %s", "NYSPA001.DB", "PARSKUP = 2"),
                 QStringLiteral("FROM \"NYSPA001.DB\" WHERE PARSKUP = 2"));
        // Characters outside the basic plane count as one.
        QCOMPARE(fmt("%3s|", {QStringLiteral("😀")}), QStringLiteral("  😀|"));
    }

    void fixed_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("default two decimals") << "%f" << 3.14159 << "3,14";
        QTest::newRow("half up .0f") << "%.0f" << 2.5 << "3";
        QTest::newRow("half away negative") << "%.0f" << -2.5 << "-3";
        QTest::newRow("0.125 to 2") << "%.2f" << 0.125 << "0,13";
        // 2.675 is 2.67499999999999982... in binary: below the half on 18 digits.
        QTest::newRow("binary just below half") << "%.2f" << 2.675 << "2,67";
        QTest::newRow("1.005") << "%.2f" << 1.005 << "1,00";
        QTest::newRow("exact half 0.375") << "%.2f" << 0.375 << "0,38";
        QTest::newRow("no minus zero") << "%.2f" << -0.001 << "0,00";
        QTest::newRow("no minus zero .0f") << "%.0f" << -0.4 << "0";
        QTest::newRow("negative zero") << "%f" << -0.0 << "0,00";
        QTest::newRow("carry") << "%.2f" << 9.999 << "10,00";
        QTest::newRow("carry to new digit") << "%.0f" << 99.5 << "100";
        QTest::newRow("ident 11.0f") << "%11.0f" << 7512310123.0 << " 7512310123";
        QTest::newRow("ident wide") << "%18.0f" << 123.0 << "               123";
        QTest::newRow("6.4f") << "%6.4f" << 1.5 << "1,5000";
        QTest::newRow("hectares") << "%12.4f" << 12345.6789 << "  12345,6789";
        QTest::newRow("small") << "%.4f" << 0.00005 << "0,0001";
        QTest::newRow("tiny") << "%.2f" << 1e-30 << "0,00";
        QTest::newRow("large") << "%.1f" << 123456789012345.0 << "123456789012345,0";
    }
    void fixed()
    {
        QFETCH(QString, format);
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(fmt(format, {value}), expected);
    }

    void fixedRoundsOnEighteenDigits()
    {
        // 0.1 written with 18 significant digits is 0.100000000000000006.
        QCOMPARE(Format("%.17f", QVariantList{0.1}, c), QStringLiteral("0.10000000000000001"));
        QCOMPARE(Format("%.18f", QVariantList{0.1}, c), QStringLiteral("0.100000000000000006"));
        QCOMPARE(Format("%.15f", QVariantList{0.3}, c), QStringLiteral("0.300000000000000"));
        // 0.12345678901234565 has 18 digits 123456789012345650: the 5 at the
        // 17th place rounds the 16th up, away from zero, also when negative.
        QCOMPARE(Format("%.16f", QVariantList{0.12345678901234565}, c),
                 QStringLiteral("0.1234567890123457"));
        QCOMPARE(Format("%.16f", QVariantList{-0.12345678901234565}, c),
                 QStringLiteral("-0.1234567890123457"));
    }

    void thousands()
    {
        const QString sep = cs.groupSeparator();
        QCOMPARE(fmt("%.2n", {1234567.891}), QString("1" + sep + "234" + sep + "567,89"));
        QCOMPARE(Format("%.0n", QVariantList{-999.0}, c), QStringLiteral("-999"));
    }

    void general_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("integral") << 20000000123.0 << "20000000123";
        QTest::newRow("fraction") << 12.5 << "12,5";
        QTest::newRow("trailing zeros removed") << 1.25000 << "1,25";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative") << -7.75 << "-7,75";
        QTest::newRow("1e20") << 1e20 << "1E020";
        QTest::newRow("fifteen integer digits fit") << 1e14 << "100000000000000";
        QTest::newRow("sixteen do not") << 1e15 << "1E015";
        QTest::newRow("small fixed") << 0.0001 << "0,0001";
        QTest::newRow("1e-5 fixed") << 0.00001 << "0,00001";
        QTest::newRow("small scientific") << 1.5e-7 << "1,5E-007";
        QTest::newRow("fifteen digits") << 0.1 + 0.2 << "0,3";
        QTest::newRow("rounded to 15") << 123456789.123456789 << "123456789,123457";
        QTest::newRow("huge") << 1.5e300 << "1,5E300";
    }
    void general()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(fmt("%g", {value}), expected);
    }

    void localeDecimalSeparator()
    {
        QCOMPARE(Format("%.2f", QVariantList{0.125}, c), QStringLiteral("0.13"));
        QCOMPARE(Format("%g", QVariantList{2.5}, c), QStringLiteral("2.5"));
        QCOMPARE(Format("%.1f", QVariantList{2.25}, cs), QStringLiteral("2,3"));
    }

    void integersAcceptedByFloatDirectives()
    {
        QCOMPARE(fmt("%11.0f", {qlonglong(123)}), QStringLiteral("        123"));
        QCOMPARE(fmt("%g", {20000000000LL + 5}), QStringLiteral("20000000005"));
    }

    void indexAndStar()
    {
        QCOMPARE(Format("%1:s %0:s", "a", "b"), QStringLiteral("b a"));
        QCOMPARE(Format("%*d|", 5, 42), QStringLiteral("   42|"));
        QCOMPARE(Format("%-*d|", 4, 1), QStringLiteral("1   |"));
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
        QTest::newRow("no arguments") << "%s" << QVariantList{};
        QTest::newRow("unknown directive") << "%q" << QVariantList{1};
        QTest::newRow("dangling percent") << "abc %" << QVariantList{1};
        QTest::newRow("dangling width") << "%12" << QVariantList{1};
        QTest::newRow("index out of range") << "%5:d" << QVariantList{1};
        QTest::newRow("invalid variant") << "%d" << QVariantList{QVariant()};
        QTest::newRow("star not a number") << "%*d" << QVariantList{QStringLiteral("x"), 1};
        QTest::newRow("absurd width") << "%999999999d" << QVariantList{1};
    }
    void mismatchThrows()
    {
        QFETCH(QString, format);
        QFETCH(QVariantList, args);
        QVERIFY_THROWS_EXCEPTION(ETalvekException, Format(format, args, cs));
    }

    void mismatchMessageIsCzech()
    {
        try {
            Format("%d", QVariantList{QStringLiteral("x")}, cs);
            QFAIL("no exception");
        } catch (const ETalvekException& e) {
            QVERIFY(e.message().contains(QStringLiteral("%d")));
            QVERIFY(e.message().contains(QStringLiteral("Formát")));
        }
    }

    void nonFinite()
    {
        QCOMPARE(fmt("%f", {std::numeric_limits<double>::infinity()}), QStringLiteral("INF"));
        QCOMPARE(fmt("%g", {std::numeric_limits<double>::quiet_NaN()}), QStringLiteral("NAN"));
    }
};

QTEST_GUILESS_MAIN(TestFormat)
#include "tst_format.moc"
