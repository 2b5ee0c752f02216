// The simple parcel form: dispatch, selection SQL, columns, pages.
#include "common/ParcelFormFixture.h"
#include "widgets/MessageDlg.h"
#include "base/ETalvekException.h"
#include "app/core/MainOrvEntries.h"
#include "output/PrintReport.h"
#include "output/PrintReportEntry.h"
#include "output/core/TListForm.h"
#include "report/ReportPainter.h"
#include "report/ui/ReportPreviewDialog.h"
#include "report/ui/ReportPrinter.h"

#include <QApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QList<ParcelFormFixture::Part> numberedParts(int count)
{
    QList<ParcelFormFixture::Part> parts;
    for (int i = 1; i <= count; ++i)
        parts.append(ParcelFormFixture::numberedPart(i));
    return parts;
}

const QDateTime PrintTime(QDate(2026, 12, 6), QTime(10, 0));
} // namespace

class TestListForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void selectionSqlFollowsTheIndexName();
    void onePartFillsEveryColumn();
    void pageCountsGrowWithTheSelection_data();
    void pageCountsGrowWithTheSelection();
    void browserOrderAndMarksApply();
    void workRowWithoutItsParcel();
    void missingTablesAreReported();
    void longTextsStayInTheirColumn();
    void dispatchByKind();
    void dataErrorStopsBeforeAnythingIsShownOrPrinted();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ParcelFormFixture> m_fixture;
    ReportDocument layout(const QString& indexName = {})
    {
        TListForm form(m_fixture->app(), nullptr, m_fixture->area(), m_fixture->workTable(),
                       indexName);
        return form.Layout(PrintTime);
    }
};

void TestListForm::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_fixture = std::make_unique<ParcelFormFixture>(m_dir->path());
}

void TestListForm::selectionSqlFollowsTheIndexName()
{
    const QStringList initial = TListForm::InitialSql();
    QCOMPARE(
        TParcelReportForm::WorkQuerySql(initial, "prac_3.db", "PARCISLO"),
        QStringList({"Select Distinct FLAG, PARSKUP, PARCIS, PARPOD, PARDIL, PARCISLO, PARCISLO",
                     "From \"prac_3.db\"", "Order By PARCISLO"}));

    // The form's own query reads the work table named by the path.
    m_fixture->write(numberedParts(3));
    TListForm form(m_fixture->app(), nullptr, m_fixture->area(), m_fixture->workTable(),
                   "PARCISLO");
    QCOMPARE(form.QueryWork.sql().at(1), QStringLiteral("From \"PRAC.DB\""));
    QCOMPARE(form.QueryWork.sql().at(2), QStringLiteral("Order By PARCISLO"));
    QVERIFY(form.QueryWork.databaseName().endsWith("/work/"));
}

void TestListForm::onePartFillsEveryColumn()
{
    ParcelFormFixture::Part p = ParcelFormFixture::numberedPart(5);
    p.parskup = 1;
    p.pardil = 2;
    p.vymera = 12345;
    p.druhpoz = 3;
    p.cpce = 30012;
    p.nemvyuz = 10;
    p.nemochr = 4;
    p.vlvztah = 5;
    p.mapa = "ZM10 23-1";
    p.ppolvz = 1203;
    p.parcislo = "5/2";
    m_fixture->write({p});
    const ReportDocument doc = layout();
    QCOMPARE(doc.pageCount(), 1);
    const ReportPage& page = doc.pages[0];

    const QStringList expected{"1",    "5/2", "2", "chmel.", "12345",     "12/3p",
                               "1005", "5",   "4", "10",     "ZM10 23-1", "12/3"};
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
    // Title: heading, the area's names, date, page number above the heading.
    const ReportBox* heading = page.textOf("Nadpis");
    QCOMPARE(page.textOf("OkresEdit")->text, QStringLiteral("Žďár nad Sázavou"));
    QCOMPARE(page.textOf("KatastrEdit")->text, QStringLiteral("Kundratice u Křižanova"));
    QCOMPARE(page.textOf("KodEdit")->text, QStringLiteral("675601"));
    QCOMPARE(page.textOf("Datum")->text, QStringLiteral("06.12.2026"));
    QCOMPARE(page.textOf("StranaNumber")->text, QStringLiteral("1"));
    QVERIFY(page.textOf("StranaNumber")->rect.top() < heading->rect.top());
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
    m_fixture->write(numberedParts(parts));
    const ReportDocument doc = layout();

    QStringList expected;
    for (int i = 1; i <= parts; ++i)
        expected.append(QString::number(i));
    QCOMPARE(doc.textsOf("PARCISLO"), expected);

    // Rows per page from the geometry of the first two pages.
    const ReportPage& first = doc.pages[0];
    const double rowHeight = 16;
    const double bottom = (11 - 10 / 25.4) * 96;
    const double firstTop = first.textsOf("PARSKUP").first()->rect.top();
    const int onFirst = std::min(parts, int((bottom - firstTop + 0.01) / rowHeight));
    QCOMPARE(first.textsOf("PARSKUP").size(), onFirst);
    int pages = 1;
    if (parts > onFirst) {
        const double otherTop = doc.pages[1].textsOf("PARSKUP").first()->rect.top();
        const int perPage = int((bottom - otherTop + 0.01) / rowHeight);
        pages += (parts - onFirst + perPage - 1) / perPage;
    }
    QCOMPARE(doc.pageCount(), pages);
    QVERIFY(parts > 50 || pages == 1);

    for (int p = 1; p < doc.pageCount(); ++p) {
        const ReportPage& page = doc.pages[p];
        QCOMPARE(page.textOf("StranaNumber")->text, QString::number(p + 1));
        QVERIFY(!page.textOf("Nadpis"));
        QCOMPARE(page.textsOf("CaptionVykaz").size(), 1);
        QVERIFY(page.textsOf("PARSKUP").last()->rect.bottom() <= bottom + 0.01);
    }
}

void TestListForm::browserOrderAndMarksApply()
{
    QList<ParcelFormFixture::Part> parts = numberedParts(12);
    parts[3].marked = false; // parcel 4
    parts[7].marked = false; // parcel 8
    m_fixture->write(parts);
    QCOMPARE(layout().textsOf("PARCISLO"),
             QStringList({"1", "2", "3", "5", "6", "7", "9", "10", "11", "12"}));
    // Ordered by the parcel-number text, as a browser sorted by PARCISLO.
    QCOMPARE(layout("PARCISLO").textsOf("PARCISLO"),
             QStringList({"1", "10", "11", "12", "2", "3", "5", "6", "7", "9"}));
}

void TestListForm::workRowWithoutItsParcel()
{
    QList<ParcelFormFixture::Part> parts = numberedParts(3);
    parts[1].inArea = false;
    parts[1].parcislo = "2";
    m_fixture->write(parts);
    const ReportPage page = layout().pages.value(0);
    QStringList vykaz;
    for (const ReportBox* b : page.textsOf("Vykaz"))
        vykaz.append(b->text);
    QCOMPARE(vykaz, QStringList({"0/1", "nenalez.", "0/3"}));
    // The work row's own fields print, the parcel's fields stay empty.
    const int row = 1;
    QCOMPARE(page.textsOf("PARCISLO")[row]->text, QStringLiteral("2"));
    QCOMPARE(page.textsOf("PARSKUP")[row]->text, QStringLiteral("2"));
    for (const char* name :
         {"ZKR", "VYMERA", "CisPop", "LVCIS", "VLVZTAH", "NEMOCHR", "NEMVYUZ", "MAPA"})
        QVERIFY2(page.textsOf(name)[row]->text.isEmpty(), name);
    QCOMPARE(page.textsOf("LVCIS")[2]->text, QStringLiteral("1003"));
}

void TestListForm::missingTablesAreReported()
{
    const QList<ParcelFormFixture::Part> parts = numberedParts(4);
    m_fixture->write(parts);
    QFile::remove(m_fixture->parcelTable());
    QVERIFY_THROWS_EXCEPTION(ETalvekException, layout());
    m_fixture->write(parts);
    QFile::remove(m_fixture->workTable());
    QVERIFY_THROWS_EXCEPTION(ETalvekException, layout());
}

void TestListForm::longTextsStayInTheirColumn()
{
    ParcelFormFixture::Part p = ParcelFormFixture::numberedPart(1);
    p.mapa = QString(60, QChar(u'Ž'));
    p.parcislo = "99999/9999";
    m_fixture->write({p});
    const ReportDocument doc = layout();
    const ReportBox* mapa = doc.pages[0].textOf("MAPA");
    QCOMPARE(mapa->text, p.mapa);
    const ReportBox* vykaz = doc.pages[0].textOf("Vykaz");
    QVERIFY(mapa->rect.right() < vykaz->rect.left());
    // Painted, the text ends at its box: the gap to the next column stays blank.
    QImage image(doc.paperSize.toSize(), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(96 / 0.0254));
    image.setDotsPerMeterY(qRound(96 / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    ReportPainter(doc).paintPage(0, painter);
    painter.end();
    const int y = int(mapa->rect.center().y());
    bool inkInGap = false;
    for (int x = int(mapa->rect.right()) + 2; x < int(vykaz->rect.left()) - 1; ++x)
        inkInGap |= image.pixelColor(x, y).lightness() < 200;
    QVERIFY(!inkInGap);
    bool inkInBox = false;
    for (int x = int(mapa->rect.left()); x < int(mapa->rect.right()); ++x)
        inkInBox |= image.pixelColor(x, y).lightness() < 128;
    QVERIFY(inkInBox);
}

void TestListForm::dispatchByKind()
{
    m_fixture->write(numberedParts(70));
    const auto app = m_fixture->app();
    const TKUInfo ku = m_fixture->area();
    // Kinds without a form do nothing, even with a work table that does not exist.
    for (int kind : {0, 7, 5, 19, 23, -8})
        PrintReport(app, kind, 0, ku, "/nonexistent/PRAC.DB", {}, 1);
    QVERIFY_THROWS_EXCEPTION(ETalvekException,
                             PrintReport(app, 1, 0, ku, "/nonexistent/PRAC.DB", {}, 1));

    // Positive: the preview, modal, until it is closed.
    QString shown;
    int pages = 0;
    auto closePreview = [&] {
        if (auto* preview = qobject_cast<ReportPreviewDialog*>(QApplication::activeModalWidget())) {
            shown = preview->pageLabelText();
            pages = preview->pageCount();
            preview->NextBtnClick();
            preview->reject();
        }
    };
    QTimer::singleShot(0, this, closePreview);
    PrintReport(app, 1, 0, ku, m_fixture->workTable(), {}, 1);
    QCOMPARE(shown, QStringLiteral("Strana 1 z 2"));
    QCOMPARE(pages, 2);
    // The main window's output type 1 goes the same way.
    shown.clear();
    QTimer::singleShot(0, this, closePreview);
    PrintReportEntry(nullptr, 1, TSelectionContext{app, ku, m_fixture->workTable()});
    QCOMPARE(shown, QStringLiteral("Strana 1 z 2"));

    // Negative: straight to the printer; without one, the message.
    QStringList messages;
    SetMessageDlgInterceptor([&](const QString& text, TMsgDlgType, TMsgDlgButtons) {
        messages.append(text);
        return int(mrOk);
    });
    if (!ReportPrinter::hasPrinter()) {
        PrintReport(app, -1, 0, ku, m_fixture->workTable(), {}, 2);
        QCOMPARE(messages, QStringList({"Není nainstalována žádná tiskárna."}));
    }
    // An empty selection shows nothing at all.
    QList<ParcelFormFixture::Part> none = numberedParts(2);
    for (auto& p : none)
        p.marked = false;
    m_fixture->write(none);
    shown.clear();
    messages.clear();
    QTimer::singleShot(0, this, closePreview);
    PrintReport(app, 1, 0, ku, m_fixture->workTable(), {}, 1);
    PrintReport(app, -1, 0, ku, m_fixture->workTable(), {}, 1);
    QVERIFY(shown.isEmpty());
    QVERIFY(messages.isEmpty());
    SetMessageDlgInterceptor(nullptr);
}

void TestListForm::dataErrorStopsBeforeAnythingIsShownOrPrinted()
{
    // A parcel table without the statement field: the first rows have no
    // parcel and print, the third one fails while the report is laid out.
    QList<ParcelFormFixture::Part> parts = numberedParts(5);
    parts[0].inArea = false;
    parts[1].inArea = false;
    m_fixture->omitParcelField("PPOLVZ");
    m_fixture->write(parts);
    try {
        layout();
        QFAIL("the engine's error was swallowed");
    } catch (const ETalvekException& e) {
        QVERIFY2(e.message().contains("PPOLVZ"), qPrintable(e.message()));
    }
    bool previewShown = false;
    QStringList messages;
    SetMessageDlgInterceptor([&](const QString& text, TMsgDlgType, TMsgDlgButtons) {
        messages.append(text);
        return int(mrOk);
    });
    QTimer::singleShot(0, this, [&] {
        if (auto* w = QApplication::activeModalWidget()) {
            previewShown = true;
            w->close();
        }
    });
    const auto app = m_fixture->app();
    QVERIFY_THROWS_EXCEPTION(
        ETalvekException, PrintReport(app, 1, 0, m_fixture->area(), m_fixture->workTable(), {}, 1));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, PrintReport(app, -1, 0, m_fixture->area(),
                                                           m_fixture->workTable(), {}, 1));
    QCoreApplication::processEvents();
    SetMessageDlgInterceptor(nullptr);
    QVERIFY(!previewShown);
    QVERIFY(messages.isEmpty()); // not even the printer was looked for
}

QTEST_MAIN(TestListForm)
#include "tst_listform.moc"
