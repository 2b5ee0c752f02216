// The simple parcel form: dispatch, columns, pages, order, damaged tables.
#include "common/ParcelFormFixture.h"
#include "common/TestSupport.h"
#include "base/ETalvekException.h"
#include "app/core/MainOrvEntries.h"
#include "output/PrintReport.h"
#include "output/PrintReportEntry.h"
#include "output/core/FormPaper.h"
#include "output/core/TListForm.h"
#include "report/ReportPaper.h"
#include "report/ui/ReportPreviewDialog.h"
#include "report/ui/PrintTarget.h"
#include "report/ui/ReportPrinter.h"

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
using Fixture = ParcelFormFixture;
} // namespace

class TestListForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void onePartFillsEveryColumn();
    void pageCountsGrowWithTheSelection_data();
    void pageCountsGrowWithTheSelection();
    void browserOrderMarksAndMissingParcels();
    void dispatchByKind();
    void dataErrorsStopBeforeAnythingIsShownOrPrinted_data();
    void dataErrorsStopBeforeAnythingIsShownOrPrinted();
    void paperBySettingLocaleAndPrinter_data();
    void paperBySettingLocaleAndPrinter();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ParcelFormFixture> m_fixture;
    ReportDocument layout(const QString& indexName = {})
    {
        return TListForm(m_fixture->app(), nullptr, m_fixture->area(), m_fixture->workTable(),
                         indexName)
            .Layout(QDateTime(QDate(2026, 12, 6), QTime(10, 0)));
    }
};

void TestListForm::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_fixture = std::make_unique<ParcelFormFixture>(m_dir->path());
}

void TestListForm::onePartFillsEveryColumn()
{
    // Group, number, subdivision, part, area, kind, protection, use, house
    // number, sheet, relation, map (clipped when painted, kept whole), statement.
    const Fixture::Part p{
        1, 5, 0, 2, 12345, 3, 4, 10, 30012, 1005, 5, QString(60, QChar(u'Ž')), 1203, "5/2"};
    m_fixture->write({p});
    const ReportDocument doc = layout();
    QCOMPARE(doc.pageCount(), 1);
    const ReportPage& page = doc.pages[0];
    const QStringList expected{"1",    "5/2", "2", "chmel.", "12345", "12/3p",
                               "1005", "5",   "4", "10",     p.mapa,  "12/3"};
    const QList<TListForm::Column>& columns = TListForm::Columns();
    QCOMPARE(columns.size(), expected.size());
    const double left = 10 / 25.4 * 96; // 10 mm margin
    for (int i = 0; i < columns.size(); ++i) {
        const TListForm::Column& c = columns[i];
        const ReportBox* cell = page.textOf(c.name);
        QVERIFY2(cell, qPrintable(c.name));
        QCOMPARE(cell->text, expected[i]);
        // Cell and caption share the column, cells keep inside it.
        const ReportBox* caption = page.textOf("Caption" + c.name);
        QCOMPARE(cell->rect.left(), caption->rect.left());
        QVERIFY(cell->rect.left() >= left + c.left &&
                cell->rect.right() <= left + c.left + c.width);
        QVERIFY(cell->rect.top() >= caption->rect.bottom());
    }
    // Title: the area's names, date, page number above the heading.
    QStringList title;
    for (const char* name : {"OkresEdit", "KatastrEdit", "KodEdit", "Datum", "StranaNumber"})
        title << page.textOf(name)->text;
    QCOMPARE(title, QStringList({"Žďár nad Sázavou", "Kundratice u Křižanova", "675601",
                                 "06.12.2026", "1"}));
    QVERIFY(page.textOf("StranaNumber")->rect.top() < page.textOf("Nadpis")->rect.top());
}

void TestListForm::pageCountsGrowWithTheSelection_data()
{
    QTest::addColumn<int>("parts");
    QTest::newRow("1") << 1;
    QTest::newRow("50") << 50;
    QTest::newRow("2000") << 2000;
}

void TestListForm::pageCountsGrowWithTheSelection()
{
    QFETCH(int, parts);
    m_fixture->write(Fixture::numberedParts(parts));
    const ReportDocument doc = layout();
    QStringList expected;
    for (int i = 1; i <= parts; ++i)
        expected.append(QString::number(i));
    QCOMPARE(doc.textsOf("PARCISLO"), expected);
    const double bottom = (11 - 10 / 25.4) * 96; // letter paper, 10 mm margin
    for (int p = 0; p < doc.pageCount(); ++p) {
        const ReportPage& page = doc.pages[p];
        const QList<const ReportBox*> rows = page.textsOf("PARSKUP");
        QVERIFY(!rows.isEmpty() && rows.last()->rect.bottom() <= bottom + 0.01);
        // A page ends only where the next 16-high row would not fit.
        QVERIFY(p == doc.pageCount() - 1 || rows.last()->rect.bottom() + 16 > bottom + 0.01);
        QCOMPARE(page.textsOf("StranaNumber").size(), 1); // title's or page header's
        QCOMPARE(page.textOf("StranaNumber")->text, QString::number(p + 1));
        QCOMPARE(page.textsOf("CaptionVykaz").size(), 1);
        QCOMPARE(page.textOf("Nadpis") != nullptr, p == 0);
    }
    QVERIFY(parts > 50 || doc.pageCount() == 1);
    QVERIFY(parts < 2000 || doc.pageCount() > 30);
}

void TestListForm::browserOrderMarksAndMissingParcels()
{
    QList<Fixture::Part> parts = Fixture::numberedParts(12);
    parts[3].marked = parts[7].marked = false; // parcels 4 and 8
    parts[1].inArea = false;                   // parcel 2 only in the work table
    m_fixture->write(parts);
    const ReportDocument doc = layout();
    QCOMPARE(doc.textsOf("PARCISLO"),
             QStringList({"1", "2", "3", "5", "6", "7", "9", "10", "11", "12"}));
    QCOMPARE(doc.textsOf("Vykaz").mid(0, 3), QStringList({"0/1", "nenalez.", "0/3"}));
    // The work row's own fields print, the parcel's fields stay empty.
    const ReportPage& page = doc.pages[0];
    QCOMPARE(page.textsOf("PARSKUP")[1]->text, QStringLiteral("2"));
    for (const char* name :
         {"ZKR", "VYMERA", "CisPop", "LVCIS", "VLVZTAH", "NEMOCHR", "NEMVYUZ", "MAPA"})
        QVERIFY2(page.textsOf(name)[1]->text.isEmpty(), name);
    QCOMPARE(page.textsOf("LVCIS")[2]->text, QStringLiteral("1003"));
    // Ordered by the parcel-number text, as a browser sorted by PARCISLO.
    QCOMPARE(layout("PARCISLO").textsOf("PARCISLO"),
             QStringList({"1", "10", "11", "12", "2", "3", "5", "6", "7", "9"}));
}

void TestListForm::dispatchByKind()
{
    m_fixture->write(Fixture::numberedParts(70));
    const auto app = m_fixture->app();
    const TKUInfo ku = m_fixture->area();
    // Kinds without a form do nothing, even with a work table that does not exist.
    for (int kind : {0, 7, 5, 19, 23, -8})
        PrintReport(app, kind, 0, ku, "/nonexistent/PRAC.DB", {}, 1);
    QVERIFY_THROWS_EXCEPTION(ETalvekException,
                             PrintReport(app, 1, 0, ku, "/nonexistent/PRAC.DB", {}, 1));
    // Positive: the preview, modal, until it is closed; the main window's
    // output type 1 goes the same way.
    QStringList shown;
    auto closePreview = [&] {
        if (auto* preview = qobject_cast<ReportPreviewDialog*>(QApplication::activeModalWidget())) {
            preview->NextBtnClick();
            shown << preview->pageLabelText();
            preview->reject();
        }
    };
    QTimer::singleShot(0, this, closePreview);
    PrintReport(app, 1, 0, ku, m_fixture->workTable(), {}, 1);
    QTimer::singleShot(0, this, closePreview);
    PrintReportEntry(nullptr, 1, TSelectionContext{app, ku, m_fixture->workTable()});
    QCOMPARE(shown, QStringList({"Strana 2 z 2", "Strana 2 z 2"}));
    // Negative: straight to the printer; without one, into a PDF file.
    Fixture::Messages messages;
    if (!ReportPrinter::hasPrinter()) {
        QTemporaryDir dir;
        PrintTarget::SetFileAsker([&](QWidget*, const QString&) { return dir.filePath("f.pdf"); });
        PrintReport(app, -1, 0, ku, m_fixture->workTable(), {}, 2);
        PrintTarget::SetFileAsker(nullptr);
        QVERIFY(QFileInfo(dir.filePath("f.pdf")).size() > 0);
        QVERIFY(messages.isEmpty());
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "FileWrittenNotice")
                w->close();
    }
    // An empty selection shows nothing at all.
    QList<Fixture::Part> none = Fixture::numberedParts(2);
    none[0].marked = none[1].marked = false;
    m_fixture->write(none);
    messages.clear();
    QTimer::singleShot(0, this, closePreview);
    PrintReport(app, 1, 0, ku, m_fixture->workTable(), {}, 1);
    PrintReport(app, -1, 0, ku, m_fixture->workTable(), {}, 1);
    QCOMPARE(shown.size(), 2);
    QVERIFY(messages.isEmpty());
}

void TestListForm::dataErrorsStopBeforeAnythingIsShownOrPrinted_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("named");
    QTest::newRow("parcel table missing") << QString("remove NYSPA001.DB") << "NYSPA001";
    QTest::newRow("work table missing") << QString("remove work/PRAC.DB") << "PRAC";
    // The first two rows have no parcel and print; the third one fails while
    // the report is laid out.
    QTest::newRow("statement field missing") << QString("omit PPOLVZ") << "PPOLVZ";
}

void TestListForm::dataErrorsStopBeforeAnythingIsShownOrPrinted()
{
    QFETCH(QString, damage);
    QFETCH(QString, named);
    QList<Fixture::Part> parts = Fixture::numberedParts(5);
    parts[0].inArea = parts[1].inArea = false;
    const QString target = damage.section(' ', 1);
    if (damage.startsWith("omit"))
        m_fixture->omitParcelField(target);
    m_fixture->write(parts);
    if (damage.startsWith("remove"))
        QVERIFY(QFile::remove(m_fixture->areaDir() + '/' + target));
    const QString message = TestSupport::refusal([&] { layout(); });
    QVERIFY2(message.contains(named), qPrintable(message));
    bool previewShown = false;
    Fixture::Messages messages;
    QTimer::singleShot(0, this, [&] {
        if (auto* w = QApplication::activeModalWidget())
            previewShown = w->close();
    });
    for (int kind : {1, -1})
        QVERIFY(!TestSupport::refusal([&] {
                     PrintReport(m_fixture->app(), kind, 0, m_fixture->area(),
                                 m_fixture->workTable(), {}, 1);
                 }).isEmpty());
    QCoreApplication::processEvents();
    QVERIFY(!previewShown);
    QVERIFY(messages.isEmpty()); // not even the printer was looked for
}

void TestListForm::paperBySettingLocaleAndPrinter_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("lcPaper"); // empty: the C locale
    QTest::addColumn<QString>("printer"); // empty: no printer
    QTest::addColumn<QString>("paper");
    const auto row = [](const char* tag, const char* setting, const char* lcPaper,
                        const char* printer, const char* paper) {
        QTest::newRow(tag) << setting << lcPaper << printer << paper;
    };
    row("nothing said: A4", "", "", "", "A4");
    row("US locale", "", "en_US.UTF-8", "", "Letter");
    row("setting over the locale", "A4", "en_US.UTF-8", "", "A4");
    row("setting alone", "letter", "", "", "Letter");
    row("unknown setting ignored", "B5", "en_US.UTF-8", "", "Letter");
    row("unknown locale: A4", "", "xx_YY.UTF-8", "", "A4");
    row("printer when the locale is silent", "", "", "Letter", "Letter");
    row("locale over the printer", "", "en_US.UTF-8", "A4", "Letter");
}

void TestListForm::paperBySettingLocaleAndPrinter()
{
    QFETCH(QString, setting);
    QFETCH(QString, lcPaper);
    QFETCH(QString, printer);
    QFETCH(QString, paper);
    // The US locale is compiled here: a test machine may have no locales.
    static QTemporaryDir locales;
    static const bool compiled =
        QProcess::execute("localedef",
                          {"-i", "en_US", "-f", "UTF-8", locales.filePath("en_US.UTF-8")}) == 0;
    if (lcPaper.startsWith("en_US") && !compiled)
        QSKIP("localedef cannot compile en_US.UTF-8");
    const QByteArray saved[] = {qgetenv("LC_ALL"), qgetenv("LANG"), qgetenv("LOCPATH")};
    qunsetenv("LC_ALL");
    qunsetenv("LANG");
    qputenv("LOCPATH", locales.path().toLocal8Bit());
    qputenv("LC_PAPER", lcPaper.isEmpty() ? QByteArray("C") : lcPaper.toLocal8Bit());
    FormPaper::SetPrinterPaper([printer]() -> std::optional<QPageSize::PageSizeId> {
        return ReportPaper::FromName(printer);
    });
    m_fixture->write(Fixture::numberedParts(3));
    TListForm form(m_fixture->app(setting), nullptr, m_fixture->area(), m_fixture->workTable(), {});
    FormPaper::SetPrinterPaper({});
    qunsetenv("LC_PAPER");
    for (auto [name, value] :
         {std::pair{"LC_ALL", saved[0]}, {"LANG", saved[1]}, {"LOCPATH", saved[2]}})
        value.isEmpty() ? qunsetenv(name) : qputenv(name, value);
    QCOMPARE(ReportPaper::Name(form.report().pageSize.id()), paper);
    const ReportDocument doc = form.Layout();
    QCOMPARE(doc.pageSize.id(), form.report().pageSize.id());
    // Every column inside the printable width of the paper.
    const double margin = 10 / 25.4 * 96;
    for (const ReportBox& b : doc.pages[0].boxes)
        QVERIFY2(b.rect.left() >= margin - 0.01 &&
                     b.rect.right() <= doc.paperSize.width() - margin + 0.01,
                 qPrintable(b.elementName));
}

QTEST_MAIN(TestListForm)
#include "tst_listform.moc"
