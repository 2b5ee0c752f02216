#include "BrowseFixture.h"
#include "common/TestSupport.h"

#include "widgets/MessageDlg.h"
#include "browse/core/TBrowseGridModel.h"
#include "browse/core/TBrowseTables.h"
#include "browse/core/TMarkSummary.h"
#include "browse/core/TOwnText.h"
#include "browse/TParDilyDbf.h"
#include "import/VfkImporter.h"

#include <QAbstractItemModelTester>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QtTest>

namespace {

// The hashes of the files under `dir` by relative name, the own-text tables
// left out; the files are copied to `copyTo` when one is given.
QMap<QString, QByteArray> fingerprints(const QString& dir, const QString& copyTo = {})
{
    QMap<QString, QByteArray> result;
    for (QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next(), name = QDir(dir).relativeFilePath(path);
        QFile file(path);
        if (!copyTo.isEmpty() && QDir().mkpath(QFileInfo(copyTo + "/" + name).path()))
            QFile::copy(path, copyTo + "/" + name);
        if (!name.startsWith("ORVTX", Qt::CaseInsensitive) && file.open(QIODevice::ReadOnly))
            result.insert(name,
                          QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256));
    }
    return result;
}

} // namespace

// A whole browser session on a copy of a district: every part visited on
// every page, marks, sorting, an own text and older-register parcels added.
// Afterwards every registry table of the district is byte-identical: the
// browser writes only the work table and the own-text table "ORVTX".
class TestBrowseSession : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    QStringList m_messages;

    void runSession(TParDilyDbf& form)
    {
        Table& pa = form.TablePa();
        const int parts = pa.recordCount();
        QVERIFY(parts > 0);
        const auto page = [&](const char* name) { form.findChild<QRadioButton*>(name)->click(); };
        // Visit every part (the first few on every page), typing a text.
        for (int i = 0; i < parts; ++i) {
            pa.setRecNo(i);
            if (i < 8)
                for (const char* name : {"RGText", "RGBonita", "RGUziv", "RGPK"})
                    page(name);
        }
        page("RGText");
        form.findChild<QPlainTextEdit*>("DBMemoText")
            ->setPlainText("Poznámka \"session\"\nřádek 2");
        // Add the older-register parcels of the first part that has any.
        page("RGPK");
        auto* add = form.findChild<QPushButton*>("AddPKBtn");
        for (int i = 0; i < pa.recordCount() && !add->isEnabled(); ++i)
            pa.setRecNo(i);
        if (add->isEnabled())
            add->click();
        QVERIFY(pa.recordCount() >= parts);
        page("RGText");
        form.findChild<QPushButton*>("FlagBtn")->click();
        form.DBGridPaDblClick(0);
        QHeaderView* header = form.findChild<QTableView*>("DBGridPa")->horizontalHeader();
        const auto& columns = form.GridModel()->columns();
        for (int c = 0; c < columns.size(); ++c)
            if (QStringList{"VYMERA", "PopCis", "LVCIS", "MAPA", "PARCISLO"}.contains(
                    columns[c].field))
                emit header->sectionClicked(c);
        form.CancelBtnClick();
    }

private slots:
    void initTestCase()
    {
        BrowseFixture::writeDemoDistrict(m_root.filePath("demo-original"));
        VfkImporter({{TestSupport::samplesDir() + "/vfk/789160.vfk"},
                     m_root.filePath("vfk-district"),
                     m_root.filePath("vfk-WorkDB")})
            .run();
        SetMessageDlgInterceptor([this](const QString& text, TMsgDlgType, TMsgDlgButtons) {
            m_messages << text;
            return int(mrOk);
        });
    }

    void session_data()
    {
        QTest::addColumn<QString>("district");
        QTest::addColumn<QString>("workDb");
        QTest::newRow("demo") << m_root.filePath("demo-original")
                              << m_root.filePath("demo-original/WorkDB");
        QTest::newRow("real") << TestSupport::realDistrictDir() << TestSupport::realWorkDbDir();
        QTest::newRow("imported") << m_root.filePath("vfk-district")
                                  << m_root.filePath("vfk-WorkDB");
    }

    void session()
    {
        QFETCH(QString, district);
        QFETCH(QString, workDb);
        const QString copy = m_root.filePath(QTest::currentDataTag());
        const QMap<QString, QByteArray> before = fingerprints(district, copy);
        qputenv("ORV_WORKDB", workDb.toUtf8());
        m_messages.clear();
        BrowseFixture fx;
        fx.setAliases({{"COPY", copy}});
        const QString work = fx.fillWorkTableWithArea("COPY");
        {
            TParDilyDbf form(nullptr, fx.app(), work, fx.area("COPY"));
            form.SetupView(0, 0);
            for (QAbstractItemModel* model :
                 std::initializer_list<QAbstractItemModel*>{form.GridModel(), form.OwnersModel()})
                new QAbstractItemModelTester(
                    model, QAbstractItemModelTester::FailureReportingMode::QtTest, &form);
            runSession(form);
            if (QTest::currentTestFailed())
                return;
        }
        // Only the sort-index complaint for the map column was shown.
        QCOMPARE(m_messages, QStringList{"Podle položky \" Mapa \" nelze třídit."});
        const QMap<QString, QByteArray> after = fingerprints(copy);
        QCOMPARE(after.keys(), before.keys());
        QVERIFY(QFile::exists(copy + "/ORVTX001.DB"));
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key() + " changed"));
    }

    // The browser's tables and own texts without a window, over the controlled
    // district: the land's sheet of a building apart, the code texts, marks
    // written to the file, sorting, and an own text stored, kept and refused.
    void tablesWithoutAWindow()
    {
        const QString ctl = m_root.filePath("ctl");
        BrowseFixture::writeControlledDistrict(ctl);
        BrowseFixture fx;
        fx.setAliases({{"CTL", ctl}});
        const QString work = fx.fillWorkTable("CTL", {"15/3", "16"});
        TBrowseTables tables(work, fx.area("CTL"), m_root.filePath("demo-original/WorkDB"));
        tables.OpenDetails(true);
        tables.OpenParts();
        Table& pa = tables.Parts();
        QCOMPARE(pa.recordCount(), 3);
        QVERIFY(pa.findKey({2, 15, 3, 1}));
        const ParDilyRules::LandSheet land = tables.FindLandSheet(10);
        QVERIFY(land.found);
        QCOMPARE(land.lv, 25);
        tables.ShowOwnersOf(land.lv);
        QCOMPARE(tables.Owners().asInteger("IDENT"), 333);
        const TBrowseTables::PartTexts texts = tables.CurrentPartTexts();
        QVERIFY(!texts.landKind.isEmpty() && !texts.relation.isEmpty());
        // NEMOCHR 302: the third protection moves up to the second line.
        QVERIFY(!texts.protection[0].isEmpty() && !texts.protection[1].isEmpty());
        QCOMPARE(texts.protection[2], QString());

        TMarkSummary marks = TMarkSummary::Read(work);
        QVERIFY(tables.SetMark(pa.recNo(), std::nullopt, marks));
        QVERIFY(!tables.SetMark(pa.recNo(), false, marks));
        QCOMPARE(marks.Text(), "Označeno: 2 z 3 dílů, výměra 0,0350 ha");
        QCOMPARE(TMarkSummary::Read(work).Text(), marks.Text());
        tables.MarkAll(true);
        QCOMPARE(TMarkSummary::Read(work).Text(), "Označeno: 3 z 3 dílů, výměra 0,0850 ha");
        QVERIFY(TestSupport::refusal([&] {
                    tables.SortParts("MAPA", " Mapa ");
                }).contains("\" Mapa \""));
        tables.SortParts("VYMERA", "Výměra");
        pa.first();
        QCOMPARE(pa.asString("PARCISLO"), "16");

        TOwnText text(tables.OwnTexts(), "CTL", "001");
        QCOMPARE(text.Prepare(), QString());
        const QVariantList key = {2, 15, 3, 2};
        QCOMPARE(text.Load(key), QString());
        text.Post("nezměněný text se neukládá");
        text.MarkChanged();
        text.Post("Poznámka\nřádek 2");
        QCOMPARE(text.Load({2, 16, 0, 1}), QString());
        QCOMPARE(text.Load(key), "Poznámka\nřádek 2");
        text.MarkChanged();
        QVERIFY(TestSupport::refusal([&] { text.Post("a\n★"); }).contains("na 2. řádku"));
        QCOMPARE(text.Load(key), "Poznámka\nřádek 2");
    }
};

QTEST_MAIN(TestBrowseSession)
#include "tst_browsesession.moc"
