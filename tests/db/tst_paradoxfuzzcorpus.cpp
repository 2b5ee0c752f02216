// Replays the committed fuzzing corpus (fuzz/corpus/paradox) through the
// reader the way fuzz/fuzz_paradox_reader.cpp feeds it: every input must read
// completely or fail with ETalvekException. Inputs that once crashed or hung
// the reader are kept in the corpus as regression cases.
#include "common/TestSupport.h"
#include "base/ETalvekException.h"
#include "db/paradox/ParadoxCsv.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestParadoxFuzzCorpus : public QObject
{
    Q_OBJECT
private slots:
    void corpusReadsOrFailsCleanly();
};

void TestParadoxFuzzCorpus::corpusReadsOrFailsCleanly()
{
    const QDir corpus(QStringLiteral(ORV_SOURCE_DIR) + QStringLiteral("/fuzz/corpus/paradox"));
    const QStringList files = corpus.entryList(QDir::Files, QDir::Name);
    QVERIFY(files.size() >= 6);
    int readable = 0;
    for (const QString& name : files) {
        QFile file(corpus.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray input = file.readAll();
        // Same split as the fuzz target: from 8 KiB on, the last quarter is the .MB.
        const qsizetype split = input.size() >= 8192 ? input.size() / 4 * 3 : input.size();
        try {
            const ParadoxReader reader =
                ParadoxReader::fromBytes(input.left(split), input.mid(split), name);
            QByteArray line;
            reader.forEachRecord(
                [&](const ParadoxRecord& r) { ParadoxCsv::recordLine(reader.header(), r, line); });
            reader.readAll();
            ++readable;
        } catch (const ETalvekException& e) {
            QVERIFY(e.message().contains(name));
        }
    }
    // The generated seeds are valid tables.
    QVERIFY(readable >= 6);
}

QTEST_GUILESS_MAIN(TestParadoxFuzzCorpus)
#include "tst_paradoxfuzzcorpus.moc"
