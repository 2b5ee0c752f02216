#include "widgets/ScreenScale.h"
#include "base/ETalvekException.h"
#include "base/TextHelpers.h"

#include <QTest>

class TestTextHelpers : public QObject
{
    Q_OBJECT
private slots:
    void trailingSeparator()
    {
        QCOMPARE(IncludeTrailingBackslash(QString()), QString());
        QCOMPARE(IncludeTrailingBackslash("/data/okres"), QStringLiteral("/data/okres/"));
        QCOMPARE(IncludeTrailingBackslash("/data/okres/"), QStringLiteral("/data/okres/"));
        QCOMPARE(IncludeTrailingBackslash("DATA1:\\TEXTY\\"), QStringLiteral("DATA1:\\TEXTY\\"));
        QCOMPARE(ExcludeTrailingBackslash(QString()), QString());
        QCOMPARE(ExcludeTrailingBackslash("/data/okres/"), QStringLiteral("/data/okres"));
        QCOMPARE(ExcludeTrailingBackslash("/data/okres"), QStringLiteral("/data/okres"));
        // Only one separator goes.
        QCOMPARE(ExcludeTrailingBackslash("/a//"), QStringLiteral("/a/"));
        QCOMPARE(ExcludeTrailingBackslash("C:\\"), QStringLiteral("C:"));
        QCOMPARE(ExcludeTrailingBackslash("/"), QString());
    }

    void tokens()
    {
        const QString text = QStringLiteral(" 10 , 20;;x\t 30 ");
        int pos = 0;
        QCOMPARE(NextToken(text, pos), QStringLiteral("10"));
        QCOMPARE(NextToken(text, pos), QStringLiteral("20"));
        QCOMPARE(NextToken(text, pos), QString()); // two delimiters in a row
        QCOMPARE(NextToken(text, pos), QStringLiteral("x"));
        QCOMPARE(NextToken(text, pos), QStringLiteral("30"));
        QCOMPARE(pos, text.size());
        QCOMPARE(NextToken(text, pos), QString());
        QCOMPARE(pos, text.size());
    }

    void tokensNeverReadOutOfBounds()
    {
        int pos = 0;
        QCOMPARE(NextToken(QString(), pos), QString());
        QCOMPARE(pos, 0);
        pos = 99;
        QCOMPARE(NextToken(QStringLiteral("abc"), pos), QString());
        pos = -5;
        QCOMPARE(NextToken(QStringLiteral("abc,d"), pos), QStringLiteral("abc"));
        pos = 0;
        QCOMPARE(NextToken(QStringLiteral(","), pos), QString());
        QCOMPARE(pos, 1);
        // Every control character delimits, a trailing one too.
        pos = 0;
        const QString controls = QStringLiteral("a\x01"
                                                "b\x1f"
                                                "c\n");
        QCOMPARE(NextToken(controls, pos), QStringLiteral("a"));
        QCOMPARE(NextToken(controls, pos), QStringLiteral("b"));
        QCOMPARE(NextToken(controls, pos), QStringLiteral("c"));
        QCOMPARE(pos, controls.size());
    }

    void positionsRead()
    {
        // "10;20" reads as 10 and 20; junk reads as 0.
        int pos = 0;
        const QString stored = QStringLiteral("10;20");
        QCOMPARE(TokenToInt(NextToken(stored, pos)), 10);
        QCOMPARE(TokenToInt(NextToken(stored, pos)), 20);
        QCOMPARE(TokenToInt(NextToken(stored, pos)), 0);
        QCOMPARE(TokenToInt(QStringLiteral("12x")), 0);
        QCOMPARE(TokenToInt(QStringLiteral("-7")), -7);
        QCOMPARE(TokenToInt(QStringLiteral("99999999999")), 0);
    }

    void scaling()
    {
        QCOMPARE(ScaleToScreen(100, 96), 100);
        QCOMPARE(ScaleToScreen(100, 120), 125);
        QCOMPARE(ScaleToScreen(10, 144), 15);
        QCOMPARE(ScaleToScreen(1, 144), 2); // 1.5 rounds up
        QCOMPARE(ScaleToScreen(-1, 144), -2);
        QCOMPARE(ScaleToScreen(0, 200), 0);
        // Results beyond the int range saturate instead of wrapping.
        QCOMPARE(ScaleToScreen(2000000000, 192), INT_MAX);
        QCOMPARE(ScaleToScreen(-2000000000, 192), INT_MIN);
    }

    void exceptionCarriesCzechMessageAsUtf8()
    {
        const QString text = QStringLiteral("Soubor nebyl nalezen: žluťoučký kůň");
        QCOMPARE(QString::fromUtf8(ETalvekException(text).what()), text);
    }
};

QTEST_GUILESS_MAIN(TestTextHelpers)
#include "tst_texthelpers.moc"
