#include "base/ETalvekException.h"

#include <QTest>

class TestETalvekException : public QObject
{
    Q_OBJECT
private slots:
    void carriesCzechMessage()
    {
        try {
            throw ETalvekException(QStringLiteral("Soubor nebyl nalezen: žluťoučký kůň"));
        } catch (const std::exception& e) {
            QCOMPARE(QString::fromUtf8(e.what()),
                     QStringLiteral("Soubor nebyl nalezen: žluťoučký kůň"));
        }
    }
};

QTEST_GUILESS_MAIN(TestETalvekException)
#include "tst_etalvekexception.moc"
