// The ownership-sheet statements (kinds 3 and 4) over the real district: sections, record
// texts, the PDF, the dialog's OK and the dispatch from the browser.
#include "common/ParcelFormFixture.h"
#include "common/TestSupport.h"
#include "app/core/MainOrvEntries.h"
#include "app/core/TCodeTableApp.h"
#include "output/PrintReport.h"
#include "output/TLVCisDlg.h"
#include "output/core/TLVCisForm.h"
#include "report/ReportLayouter.h"
#include "report/ReportPdfExporter.h"
#include "report/ui/ReportPreviewDialog.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
// Texts as stored: the lines a column wrapped them into joined again.
QStringList unwrapped(QStringList texts)
{
    for (QString& t : texts)
        t.replace('\n', ' ');
    return texts;
}

void copyDir(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files)) {
        QFile::copy(from + '/' + name, to + '/' + name);
        QFile(to + '/' + name).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
}
} // namespace

class TestSheetForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void realSheetStatement_data();
    void realSheetStatement();
    void recordSectionsOfACraftedSheet();
    void everyColumnFitsThePaper_data();
    void everyColumnFitsThePaper();
    void dialogOk_data();
    void dialogOk();
    void printReportKeepsTheBrowsersWorkTable();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_data;
    QString m_work;
    TSelectionContext m_ctx;
    ReportDocument statement(int kind, int sheet, bool fill = true)
    {
        if (fill)
            TLCisForm::FillWorkTable(m_work, m_ctx.KU, QString::number(sheet));
        std::unique_ptr<TLCisForm> form =
            kind == 3 ? std::make_unique<TLVCisForm>(m_ctx.App, nullptr, m_ctx.KU, m_work)
                      : std::make_unique<TLCisForm>(m_ctx.App, nullptr, m_ctx.KU, m_work);
        form->SetSheet(sheet);
        return form->Layout();
    }
    QStringList work(const QString& field) const
    {
        return ParcelFormFixture::queryColumn(
            QFileInfo(m_work).path(),
            "SELECT " + field + " FROM \"PRAC.DB\" ORDER BY PARSKUP, PARCIS, PARPOD, PARDIL");
    }
};

void TestSheetForm::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_data = m_dir->path() + "/SALADIN";
    copyDir(TestSupport::realDistrictDir(), m_data);
    QDir().mkpath(m_dir->path() + "/work");
    m_work = m_dir->path() + "/work/PRAC.DB";
    m_ctx.App = std::make_shared<TCodeTableApp>(TestSupport::realWorkDbDir());
    m_ctx.KU = {m_data, "PRACHATICE", "ZÁBLATÍ", "SALADÍN", "001", "789160"};
    m_ctx.WorkTable = m_work;
}

void TestSheetForm::realSheetStatement_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("sheet");
    // 106, 153: land and building apart; 149: the most parcels and texts.
    for (int kind : {3, 4})
        for (int sheet : {106, 149, 152, 153, 10001})
            QTest::addRow("kind %d sheet %d", kind, sheet) << kind << sheet;
}

void TestSheetForm::realSheetStatement()
{
    QFETCH(int, kind);
    QFETCH(int, sheet);
    const ReportDocument doc = statement(kind, sheet);
    QVERIFY(!doc.isEmpty());
    QCOMPARE(doc.pages.first().textOf("ListVlastnicky")->text, QString::number(sheet));
    // Section A: every owner of the sheet with the name from the owner table.
    const QStringList owners = ParcelFormFixture::queryColumn(
        m_data, QString("SELECT O.NAZEV FROM \"NYSUV001.DB\" U, \"NYSOBORG.DB\" O WHERE U.ELLVCIS "
                        "= %1 AND O.IDENT = U.IDENT AND O.UVCHAR = U.UVCHAR ORDER BY U.VLPOR")
                    .arg(sheet));
    QVERIFY(!owners.isEmpty());
    QCOMPARE(unwrapped(doc.textsOf("Jmeno")), owners);
    // Section B: the work rows, ordered, with whole relation texts.
    const QStringList parcels = work("PARCISLO");
    QCOMPARE(doc.textsOf("PARCISLO"), parcels);
    const QStringList relations = ParcelFormFixture::queryColumn(TestSupport::realWorkDbDir(),
                                                                 "SELECT TEXT FROM \"VLAVZT.DB\"");
    for (const QString& relation : unwrapped(doc.textsOf("VlastVztah")))
        QVERIFY2(relations.contains(relation), qPrintable(relation));
    // Sections B1 to E (full form only): every record of the sheet under its
    // letter, every text line, and the code-999 row where there is none.
    const QStringList records = ParcelFormFixture::queryColumn(
        m_data, QString("SELECT B.TEXT FROM \"NYSVL001.DB\" A, \"%1/NIXDTEXT.DB\" B WHERE "
                        "A.DLVCIS = %2 AND A.DOPLKOD = B.KOD")
                    .arg(TestSupport::realWorkDbDir())
                    .arg(sheet));
    const QStringList lines = ParcelFormFixture::queryColumn(
        m_data, QString("SELECT TEXT FROM \"NYSTX001.DB\" WHERE DLVCIS = %1").arg(sheet));
    QStringList printed;
    QStringList printedLines;
    int noEntry = 0;
    for (const QString letter : {"B1", "C", "D", "E"}) {
        const QStringList texts = unwrapped(doc.textsOf("TEXT" + letter));
        QCOMPARE(doc.textsOf("Title" + letter).size(), kind == 3 ? 1 : 0);
        noEntry += texts.count("BEZ ZÁPISU");
        printed += texts;
        printedLines += unwrapped(doc.textsOf("Tx" + letter));
    }
    QCOMPARE(printed.isEmpty(), kind == 4);
    if (kind == 4)
        return;
    QCOMPARE(printed.size(), records.size() + noEntry);
    for (const QString& r : records)
        QVERIFY2(printed.contains(r), qPrintable(r));
    for (const QString& l : lines)
        QVERIFY2(printedLines.contains(l), qPrintable(l));
    // The PDF holds the whole sheet.
    ReportPdfExporter::write(doc, m_dir->path() + "/lv.pdf");
    const QString text = ParcelFormFixture::pdfText(m_dir->path() + "/lv.pdf", false);
    if (text.isNull())
        QSKIP("pdftotext (poppler-utils) is not installed");
    for (const QString& e : owners + parcels + records + lines)
        QVERIFY2(text.contains(e.simplified()), qPrintable(e));
}

void TestSheetForm::recordSectionsOfACraftedSheet()
{
    // Sheet 106 with three records of section B1 only: kinds 90 and 93 name
    // parcels (with and without the group), 82 a sheet; one line of text on
    // the first.
    ParcelFormFixture::writeTable(
        m_data + "/NYSVL001.DB",
        "DLVCIS:N DOPLPOR:S DOPLKOD:S DOPLUDAJ:N LISTDRUH:S LISTCIS:N DOPLVZ:N DOPLZM:S", 3,
        {{106.0, 1, 90, 2e10 + 12003, 124, 1203.0, 0.0, 0},
         {106.0, 2, 93, 12003.0, 0, 0.0, 7.0, 0},
         {106.0, 4, 82, 153.0, 0, 132112.0, 1234.0, 0}});
    ParcelFormFixture::writeTable(m_data + "/NYSTX001.DB", "DLVCIS:N DOPLPOR:S RADEK:S TEXT:A60", 3,
                                  {{106.0, 1, 1, "Řádek první"}, {106.0, 3, 1, "cizí"}});
    const ReportDocument doc = statement(3, 106);
    QCOMPARE(doc.textsOf("UdajB1"), QStringList({"12/3", "12/3", "        153"}));
    QCOMPARE(doc.textsOf("ListinaB1"), QStringList({"12/ 3", "", "1321/12"}));
    QCOMPARE(doc.textsOf("VykazB1"), QStringList({"", "0/ 7", "12/34"}));
    QCOMPARE(doc.textsOf("TxB1"), QStringList({"Řádek první"}));
    const QStringList deeds = doc.textsOf("Text1B1");
    QCOMPARE(deeds.size(), 3);
    QVERIFY(!deeds[0].isEmpty() && deeds[1].isEmpty()); // deed kind 124 is in NIXLIST
    for (const QString letter : {"C", "D", "E"}) {
        QCOMPARE(doc.textsOf("TEXT" + letter), QStringList({"BEZ ZÁPISU"}));
        QCOMPARE(doc.textsOf("Udaj" + letter), QStringList({""}));
    }
    // Relation 1 is printed whole: it wraps within its column and its row
    // grows, so the next row starts below it.
    const ReportPage& page = doc.pages[0];
    const QList<const ReportBox*> relations = page.textsOf("VlastVztah");
    const QList<const ReportBox*> numbers = page.textsOf("PARCISLO");
    QVERIFY(relations.size() > 1 && relations[0]->text.contains('\n'));
    QCOMPARE(unwrapped({relations[0]->text}),
             QStringList{"vlastnictví pozemku i stavby na témže LV"});
    QVERIFY(numbers[1]->rect.top() >= relations[0]->rect.bottom() - 0.01);
}

// On A4 and on Letter, every box of a statement stays inside the printable
// width and every text fits its box: no column is cut.
void TestSheetForm::everyColumnFitsThePaper_data()
{
    QTest::addColumn<QString>("paper");
    QTest::addColumn<int>("kind");
    for (const char* paper : {"A4", "Letter"})
        for (int kind : {3, 4})
            QTest::addRow("%s kind %d", paper, kind) << QString(paper) << kind;
}

void TestSheetForm::everyColumnFitsThePaper()
{
    QFETCH(QString, paper);
    QFETCH(int, kind);
    m_ctx.App = ParcelFormFixture::formApp(TestSupport::realWorkDbDir(), paper);
    const ReportDocument doc = statement(kind, 149);
    const QSizeF points = doc.pageSize.size(QPageSize::Point);
    QCOMPARE(points.toSize(), paper == "A4" ? QSize(595, 842) : QSize(612, 792));
    const double margin = 10 / 25.4 * 96;
    const double right = doc.paperSize.width() - margin;
    int texts = 0;
    for (const ReportPage& page : doc.pages)
        for (const ReportBox& b : page.boxes) {
            QVERIFY2(b.rect.left() >= margin - 0.01 && b.rect.right() <= right + 0.01,
                     qPrintable(b.elementName));
            if (b.kind != ReportBox::Kind::Text)
                continue;
            ++texts;
            for (const QString& line : b.text.split('\n'))
                QVERIFY2(ReportLayouter::wrapText(b.font, line, b.rect.width() + 0.5).size() <= 1,
                         qPrintable(b.elementName + ": " + line));
        }
    QVERIFY(texts > 100);
}

void TestSheetForm::dialogOk_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("rows");
    QTest::newRow("sheet 153") << "153" << QString() << 5;
    QTest::newRow("with a referenced parcel") << "106" << QString() << 4;
    const QString none = "K listu číslo %1 nenalezena žádná parcela.";
    QTest::newRow("not a number") << "1x" << none.arg(0) << 0;
    QTest::newRow("negative") << "-5" << none.arg(-5) << 13;
    QTest::newRow("no parcels") << "999" << none.arg(999) << 0;
}

void TestSheetForm::dialogOk()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(int, rows);
    TLCisForm::FillWorkTable(m_work, m_ctx.KU, "3"); // an earlier selection: 13 parts
    ParcelFormFixture::Messages messages;
    int previews = 0;
    for (bool full : {true, false}) {
        TLVCisDlg dlg(m_ctx, full, nullptr,
                      [&](const ReportDocument& doc, QWidget*) { previews += !doc.isEmpty(); });
        dlg.SetSheetText(typed);
        dlg.OKBtnClick();
        QCOMPARE(dlg.result(), message.isEmpty() ? int(QDialog::Accepted) : 0);
    }
    QCOMPARE(previews, message.isEmpty() ? 2 : 0);
    QCOMPARE(messages, message.isEmpty() ? QStringList() : QStringList({message, message}));
    QCOMPARE(work("LVCIS").size(), rows);
}

void TestSheetForm::printReportKeepsTheBrowsersWorkTable()
{
    // The browser's work table holds sheet 153; its statement is asked for
    // sheet 153 and then, on the same rows, for sheet 106: no dialog, no refill.
    TLCisForm::FillWorkTable(m_work, m_ctx.KU, "153");
    QStringList modals;
    int pages = 0;
    auto closePreview = [&] {
        QWidget* modal = QApplication::activeModalWidget();
        modals.append(modal ? QString(modal->metaObject()->className()) : QString());
        if (auto* preview = qobject_cast<ReportPreviewDialog*>(modal)) {
            pages = preview->pageCount();
            preview->reject();
        }
    };
    for (int kind : {3, 4}) {
        QTimer::singleShot(0, this, closePreview);
        PrintReport(m_ctx.App, kind, 153, m_ctx.KU, m_work, {}, 1);
    }
    QCOMPARE(modals, QStringList({"ReportPreviewDialog", "ReportPreviewDialog"}));
    QVERIFY(pages >= 1);
    QCOMPARE(work("LVCIS").size(), 5);
    const ReportDocument other = statement(4, 106, false);
    QCOMPARE(other.textsOf("PARCISLO").size(), 5);
    QCOMPARE(other.textsOf("Jmeno").size(), 1);
    QCOMPARE(other.pages.first().textOf("ListVlastnicky")->text, QString("106"));
}

QTEST_MAIN(TestSheetForm)
#include "tst_sheetform.moc"
