// The parcel-number dialog on the demo and the real district: the work table
// after each way of selecting equals, row for row and with its marks, what
// the selection rules give applied straight to the area's parcel file. Also
// the grid keys, the close check, the main window's entry, the grid model
// with its field ranges, and the import of parcel and house numbers.
#include "common/ModalHelpers.h"
#include "widgets/MessageDlg.h"
#include "base/ETalvekException.h"
#include "app/core/TApp.h"
#include "common/TestSupport.h"
#include "data/CadastralTables.h"
#include "data/DemoDistrictGenerator.h"
#include "data/WorkTable.h"
#include "db/LoadedTable.h"
#include "db/paradox/ParadoxTable.h"
#include "select/TParcDialog.h"
#include "select/TParcDialogRunner.h"
#include "select/core/TParcGridModel.h"
#include "select/core/TParcSelector.h"
#include "select/core/TParcelImport.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <functional>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
// One parcel part: the key fields the tests pick by, and every field the
// work row shares with the parcel file, with the mark, as one text.
struct Part
{
    qint64 skup = 0, cis = 0, pod = 0, cpce = 0;
    QString text;
};

// Numbers in the order PARSKUP, PARCIS, PARPOD, PARDIL, VYMERA, DRUHPOZ,
// CPCE, NEMVYUZ, LVCIS (blank reads 0).
Part partOf(const QList<qint64>& n, const QString& parcislo, bool flag = true)
{
    QStringList cells;
    for (qint64 v : n)
        cells << QString::number(v);
    return {n[0], n[1], n[2], n[6], cells.join(u' ') + ' ' + parcislo + (flag ? " T" : " F")};
}

QList<Part> readParts(const QString& path)
{
    const ParadoxReader reader(path);
    const int flag = reader.fieldIndex("FLAG");
    QList<Part> parts;
    for (const QVariantList& row : reader.readAll()) {
        QList<qint64> n;
        for (const char* name : {"PARSKUP", "PARCIS", "PARPOD", "PARDIL", "VYMERA", "DRUHPOZ",
                                 "CPCE", "NEMVYUZ", "LVCIS"})
            n << qRound64(row[reader.fieldIndex(name)].toDouble());
        parts << partOf(n, row[reader.fieldIndex("PARCISLO")].toString(),
                        flag < 0 || row[flag].toBool());
    }
    return parts;
}

QStringList texts(const QList<Part>& parts)
{
    QStringList list;
    for (const Part& p : parts)
        list << p.text;
    list.sort();
    return list;
}

QList<Part> where(const QList<Part>& parts, const std::function<bool(const Part&)>& test)
{
    QList<Part> result;
    for (const Part& p : parts)
        if (test(p))
            result << p;
    return result;
}

// Every part of one parcel (subdivision 0: of the whole stem).
QList<Part> partsOf(const QList<Part>& area, qint64 g, qint64 s, qint64 p)
{
    return where(
        area, [=](const Part& x) { return x.skup == g && x.cis == s && (p == 0 || x.pod == p); });
}

// The message with which reading `path` is refused; empty when it is read.
QString readError(const QString& path)
{
    return TestSupport::refusal([&] { TParcelImport::ReadTextFile(path); });
}

QString writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

using Kind = TParcGridModel::Kind;

QStringList rowTexts(const QList<TParcGridRow>& rows)
{
    QStringList texts;
    for (const TParcGridRow& r : rows)
        texts << r[0] + QLatin1Char('|') + r[1] + QLatin1Char('|') + r[2];
    return texts;
}
} // namespace

class TestParcDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup() { SetMessageDlgInterceptor(nullptr); }
    void placeholdersAndEveryGroupWriteOnce();
    void subdivisionsPreviousSelectionAndCloseCheck();
    void gridKeys();
    void realDistrict();
    void mainWindowEntry();
    void gridModelAndFieldRanges();
    void lines_data();
    void lines();
    void readingFilesAndLimits();

private:
    void bind(TParcDialog& dlg, const QString& district);
    void fill(TParcDialog& dlg, int mode, const QList<TParcGridRow>& rows);
    QList<Part> work() const { return readParts(m_workPath); }
    QList<Part> nyspa(const QString& district) const
    {
        return readParts(district + "/NYSPA001.DB");
    }
    QTemporaryDir m_dir;
    QString m_district, m_workPath;
    std::shared_ptr<TApp> m_app;
    QStringList m_shown; // the messages shown
};

void TestParcDialog::initTestCase()
{
    m_district = m_dir.filePath("okres");
    DemoDistrictGenerator({}).generate(m_district);
    m_app = TApp::create();
    m_workPath = m_dir.filePath(QStringLiteral("work/PRAC.DB"));
}

void TestParcDialog::init()
{
    QDir(m_dir.filePath("work")).removeRecursively();
    QDir().mkpath(m_dir.filePath("work"));
    m_shown.clear();
    SetMessageDlgInterceptor([this](const QString& text, TMsgDlgType, TMsgDlgButtons) {
        m_shown << text;
        return int(mrOk);
    });
}

void TestParcDialog::bind(TParcDialog& dlg, const QString& district)
{
    Table& pa = dlg.TablePa();
    pa.close();
    pa.setDatabaseName(district);
    pa.setTableName("NYSPA001.DB");
    pa.setReadOnly(true);
    pa.setIndexFieldNames(QString::fromLatin1(CadastralTables::ParcelIndexFields));
    pa.open();
    OpenOrCreateWorkTable(dlg.TableParc(), m_workPath);
}

void TestParcDialog::fill(TParcDialog& dlg, int mode, const QList<TParcGridRow>& rows)
{
    dlg.SetVyber(mode);
    dlg.VyberClick();
    dlg.CurrentModel()->Reset();
    dlg.CurrentModel()->AddRows(rows);
    dlg.SetCurrentCell(0, 1);
}

void TestParcDialog::placeholdersAndEveryGroupWriteOnce()
{
    // Rows that alternate between a group that lacks the parcel (a
    // placeholder) and no group (the stem of every group) go in as one
    // change: the work file is written once after it is emptied, not once
    // per run of rows.
    const QList<Part> area = nyspa(m_district);
    // A stem found in more than one group.
    const auto some = std::find_if(area.begin(), area.end(), [&](const Part& p) {
        return !where(area, [&](const Part& q) {
                    return q.cis == p.cis && q.skup != p.skup;
                }).isEmpty();
    });
    QVERIFY(some != area.end());
    QList<TParcGridRow> rows;
    QList<Part> expected = where(area, [&](const Part& p) { return p.cis == some->cis; });
    for (int i = 0; i < 6; ++i) {
        const QString absent = QString::number(900000 + i);
        rows << (i % 2 ? TParcGridRow{"", QString::number(some->cis), ""}
                       : TParcGridRow{"2", absent, "0"})
             << TParcGridRow{"", "", ""}; // empty rows are skipped
        if (i % 2 == 0)
            expected << partOf({2, 900000 + i, 0, 0, 0, 0, 0, 0, 0}, absent);
    }
    TParcDialog dlg(m_app);
    bind(dlg, m_district);
    fill(dlg, 0, rows);
    const quint64 before = dlg.TableParc().loadedTable()->generation;
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    const quint64 writes = dlg.TableParc().loadedTable()->generation - before;
    QVERIFY2(writes <= 2, qPrintable(QString::number(writes)));
    QCOMPARE(texts(work()), texts(expected));                 // each parcel once
    QCOMPARE(dlg.CurrentModel()->Rows().size(), rows.size()); // the grid keeps what was typed
    QVERIFY(m_shown.isEmpty());
}

void TestParcDialog::subdivisionsPreviousSelectionAndCloseCheck()
{
    const QList<Part> area = nyspa(m_district);
    // A stem with a subdivision besides 0 and more parts than that subdivision.
    const auto found = std::find_if(area.begin(), area.end(), [&](const Part& p) {
        return p.pod > 0 &&
               partsOf(area, p.skup, p.cis, 0).size() > partsOf(area, p.skup, p.cis, p.pod).size();
    });
    QVERIFY(found != area.end());
    const Part x = *found;
    const QString gs = QString::number(x.skup), ss = QString::number(x.cis),
                  ps = QString::number(x.pod);

    TParcDialog dlg(m_app);
    bind(dlg, m_district);
    // The subdivision first: the whole stem then adds nothing more.
    fill(dlg, 0, {{gs, ss, ps}, {gs, ss, "0"}});
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    QCOMPARE(texts(work()), texts(partsOf(area, x.skup, x.cis, x.pod)));
    // The whole stem first: every part of every subdivision, once.
    fill(dlg, 0, {{gs, ss, "0"}, {gs, ss, ps}, {gs, ss, ""}});
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    const QList<Part> stem = partsOf(area, x.skup, x.cis, 0);
    QCOMPARE(texts(work()), texts(stem));

    // The previous selection: a read-only grid of one row per part, from
    // which OK rebuilds the same selection and then clears it.
    dlg.SetVyber(3);
    dlg.ClearLastFParc();
    dlg.VyberClick();
    QVERIFY(dlg.LastFParc()->isVisibleTo(&dlg));
    QCOMPARE(dlg.CurrentGrid(), dlg.LastFParc());
    QList<TParcGridRow> rows; // in key order, as the parcel file is
    for (const Part& p : stem)
        rows.append({QString::number(p.skup), QString::number(p.cis), QString::number(p.pod)});
    QCOMPARE(dlg.CurrentModel()->Rows(), rows);
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    QCOMPARE(texts(work()), texts(stem));
    QCOMPARE(dlg.LastFParc()->model()->rowCount(), 1);

    // OK with a bad number anywhere shows it, puts the cursor on it and
    // changes nothing. 4294967311 would wrap to 15 in 32 bits.
    dlg.show();
    fill(dlg, 0, {{"2", "4294967311", ""}, {"", "15", ""}});
    dlg.SetCurrentCell(1, 1);
    dlg.accept();
    QVERIFY(dlg.isVisible());
    QCOMPARE(m_shown, QStringList{"Chybné číslo."});
    QCOMPARE(QPoint(dlg.CurrentRow(), dlg.CurrentColumn()), QPoint(0, 2));
    QCOMPARE(texts(work()), texts(stem));
    // Nothing found: a warning, and the work table is left empty.
    m_shown.clear();
    fill(dlg, 0, {{"", "999999", ""}, {"", "999998", "0"}});
    dlg.accept();
    QVERIFY(dlg.isVisible());
    QCOMPARE(m_shown, QStringList{"Není vybrána žádná parcela"});
    QVERIFY(work().isEmpty());
}

// Keys and import in the grids.
void TestParcDialog::gridKeys()
{
    TParcDialog dlg(m_app);
    fill(dlg, 0, {{"2", "", ""}});
    dlg.show();
    QTableView* grid = dlg.CurrentGrid();
    grid->setFocus();
    TParcGridModel* model = dlg.CurrentModel();
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(grid, key, modifiers);
    };
    const auto at = [&](int row, int column, int rows) {
        return dlg.CurrentRow() == row && dlg.CurrentColumn() == column &&
               model->rowCount() == rows;
    };
    press(Qt::Key_Return);
    QVERIFY(at(0, 2, 1));
    model->SetCell(0, 2, "x"); // a bad number is shown and keeps the cursor
    press(Qt::Key_Return);
    QCOMPARE(m_shown, QStringList{"Chybné číslo."});
    QVERIFY(at(0, 2, 1));
    model->SetCell(0, 2, "15");
    press(Qt::Key_Return);
    QVERIFY(at(0, 3, 1));
    // Enter in column 3 of the last row: a new numbered row, column 1.
    press(Qt::Key_Enter);
    QVERIFY(at(1, 1, 2));
    QCOMPARE(model->Cell(0, 3), QStringLiteral("0"));
    QCOMPARE(model->data(model->index(1, 0)).toString(), QStringLiteral("2"));
    model->SetCell(1, 2, "16");
    press(Qt::Key_Down); // on the last row: one more
    QVERIFY(at(2, 1, 3));

    // Ctrl+Delete: several selected rows go, the rest are renumbered.
    model->SetCell(2, 2, "17");
    grid->selectionModel()->select(model->index(0, 2), QItemSelectionModel::ClearAndSelect);
    grid->selectionModel()->select(model->index(1, 2), QItemSelectionModel::Select);
    press(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(model->Rows(), (QList<TParcGridRow>{{"", "17", ""}}));
    QCOMPARE(model->data(model->index(0, 0)).toString(), QStringLiteral("1"));
    dlg.findChild<QPushButton*>("DelBtn")->click(); // the only row: emptied
    QVERIFY(model->rowCount() == 1 && model->RowEmpty(0));

    // Import into the grid of the mode: the rows read before a bad line stay;
    // an empty clipboard fails on line 1 and leaves one empty row.
    const QString list = writeFile(m_dir.filePath("work/cisla.txt"), "12/1;15;(7)\n20\n\n21\n");
    QCOMPARE(TestSupport::refusal([&] { dlg.ImportFromFile(list); }),
             QStringLiteral("Chyba na řádku 3"));
    QCOMPARE(rowTexts(model->Rows()), (QStringList{"2|12|1", "2|15|0", "5|7|0", "2|20|0"}));
    fill(dlg, 1, {{"", "3", ""}});
    QApplication::clipboard()->setText(QStringLiteral("5/1P\r\n7E\r\n"));
    dlg.ImportFromClipboard();
    QCOMPARE(rowTexts(dlg.CurrentModel()->Rows()), (QStringList{"1|5|P", "|7|E"}));
    QApplication::clipboard()->setText(QString());
    QCOMPARE(TestSupport::refusal([&] { dlg.ImportFromClipboard(); }),
             QStringLiteral("Chyba na řádku 1"));
    QVERIFY(dlg.CurrentModel()->rowCount() == 1 && dlg.CurrentModel()->RowEmpty(0));
}

void TestParcDialog::realDistrict()
{
    const QString real = TestSupport::realDistrictDir();
    const QList<Part> area = nyspa(real);
    TParcDialog dlg(m_app);
    bind(dlg, real);

    fill(dlg, 0, {{"1", "14", "2"}, {"", "5", ""}});
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    QCOMPARE(texts(work()), texts(partsOf(area, 1, 14, 2) + partsOf(area, 1, 5, 0)));
    QVERIFY(!partsOf(area, 1, 14, 2).isEmpty());

    // House 5 of part 1 is CPCE 10005, a descriptive number: "E" finds none.
    // The error names it, and the parts found before it replace the parcels.
    const QList<Part> house = where(area, [](const Part& p) { return p.cpce == 10005; });
    QVERIFY(!house.isEmpty());
    fill(dlg, 1, {{"1", "5", "P"}, {"", "5", "E"}});
    QVERIFY(!dlg.FormCloseQuery(QDialog::Accepted));
    const QString notFound = QStringLiteral("Nenalezeno číslo popisné (evidenční) 5.");
    QCOMPARE(m_shown, QStringList{notFound});
    QCOMPARE(texts(work()), texts(house));
    QCOMPARE(dlg.TablePa().orderFields(), (QStringList{"PARSKUP", "PARCIS", "PARPOD", "PARDIL"}));

    // Without the part every part is searched.
    fill(dlg, 1, {{"", "5", "V"}});
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    QCOMPARE(texts(work()), texts(where(area, [](const Part& p) {
                 return p.cpce > 0 && p.cpce <= 999999 && p.cpce % 10000 == 5;
             })));
    fill(dlg, 1, {{"2", "5", ""}});
    QVERIFY(!dlg.FormCloseQuery(QDialog::Accepted));
    QCOMPARE(m_shown.last(), notFound);
}

void TestParcDialog::mainWindowEntry()
{
    const TSelectionContext ctx{
        m_app, {m_district, "Okres", "Obec", "Území", "001", "600001"}, m_workPath};
    QWidget owner;
    TParcDialogRunner runner;
    const TParcDialogRunner copy = runner;
    const QList<Part> area = nyspa(m_district);
    const Part first = area.first();
    const QStringList firstStem = texts(partsOf(area, first.skup, first.cis, 0));
    const auto closed = [&] {
        return !runner.Dialog()->TablePa().isActive() && !runner.Dialog()->TableParc().isActive();
    };

    // All parcels: no dialog; the missing work table is created.
    QVERIFY(runner(&owner, 2, ctx));
    QCOMPARE(texts(work()), texts(area));
    QVERIFY(closed());

    // Parcel number: the dialog is shown in mode 0 and closed with "Výpis".
    TestSupport::onNextModal([&](QWidget* modal) {
        auto* dlg = qobject_cast<TParcDialog*>(modal);
        QCOMPARE(dlg->Vyber(), 0);
        dlg->CurrentModel()->Reset();
        dlg->CurrentModel()->AddRow({QString::number(first.skup), QString::number(first.cis), ""});
        dlg->findChild<QPushButton*>("OKBtn")->click();
    });
    QVERIFY(copy(&owner, 0, ctx));
    QVERIFY(copy.Dialog() == runner.Dialog()); // copies share the one dialog
    QCOMPARE(texts(work()), firstStem);

    // House number, cancelled with a bad row: false, no message, the work
    // table stays.
    TestSupport::onNextModal([](QWidget* modal) {
        auto* dlg = qobject_cast<TParcDialog*>(modal);
        QCOMPARE(dlg->Vyber(), 1);
        dlg->CurrentModel()->AddRow({"2", "abc", ""});
        modal->findChild<QPushButton*>("CancelBtn")->click();
    });
    QVERIFY(!runner(&owner, 1, ctx));
    QCOMPARE(texts(work()), firstStem);
    QVERIFY(m_shown.isEmpty());

    // A missing parcel table is an error; the tables end up closed.
    TSelectionContext broken = ctx;
    broken.KU.Suffix = "099";
    QVERIFY_THROWS_EXCEPTION(ETalvekException, runner(&owner, 0, broken));
    QVERIFY(closed());
}

void TestParcDialog::gridModelAndFieldRanges()
{
    TParcGridModel model(Kind::Parcel, {"", "Skupina", "Parcel.číslo", "Podlomení"});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.AddRows({{"2", "15", "0"}}); // reuses the empty first row
    model.AddRows({{"1", "16", "0"}, {"", "17", ""}});
    QVERIFY(model.setData(model.index(2, 3), QStringLiteral("4")));
    QVERIFY(!model.setData(model.index(2, 0), QStringLiteral("9"))); // the row number
    // A building parcel typed as "st. 38/2" fills group, number and subdivision.
    QVERIFY(model.setData(model.index(1, 2), QStringLiteral("st. 38/2")));
    QCOMPARE(rowTexts({model.Rows()[1]}), QStringList{"1|38|2"});
    model.SetCell(1, 1, "1"), model.SetCell(1, 2, "16"), model.SetCell(1, 3, "0");
    model.DeleteRow(0); // the rows below move up
    QCOMPARE(rowTexts(model.Rows()), (QStringList{"1|16|0", "|17|4"}));
    model.AppendRow();
    model.Reset();
    QVERIFY(model.rowCount() == 1 && model.RowEmpty(0));

    // Typed cells against the ranges of their fields, per grid and column:
    // the texts accepted and refused. Text in a group counts as empty;
    // 4294967311 would wrap to 15 in 32 bits.
    const QList<std::tuple<Kind, int, QStringList, QStringList>> cases{
        {Kind::Parcel, 1, {"", " -1 ", "x"}, {"-2", "65538", "9999999999999999999999999"}},
        {Kind::Parcel, 2, {"2147483647"}, {"", "0", "4294967311", "15a"}},
        {Kind::Parcel, 3, {"0"}, {"", "65537"}},
        {Kind::House, 1, {"", "99"}, {"100"}},
        {Kind::House, 2, {"9999"}, {"0", "10000"}},
        {Kind::House, 3, {"Popis.č.", ""}, {"-5"}}};
    for (const auto& [kind, column, good, bad] : cases) {
        const TParcGridModel grid(kind, {});
        for (const QString& text : good)
            QVERIFY2(grid.CellValid(column, text), qPrintable(text));
        for (const QString& text : bad)
            QVERIFY2(!grid.CellValid(column, text), qPrintable(text));
    }
}

void TestParcDialog::lines_data()
{
    QTest::addColumn<bool>("house");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("rows"); // group|stem|subdivision or part|house|kind
    QTest::addColumn<int>("errorLine");    // 0: all read
    QTest::addColumn<QString>("message");  // empty: the line number says it all
    const auto row = [](const char* tag, bool house, const QStringList& lines,
                        const QStringList& rows, int errorLine = 0, const QString& message = {}) {
        QTest::newRow(tag) << house << lines << rows << errorLine << message;
    };
    row("list, default group 2, older register in brackets", false, {"12/1;15;(7)"},
        {"2|12|1", "2|15|0", "5|7|0"});
    row("list, signed and colon groups, blanks", false, {"-3/2, 4:8/1", "  20 , 21  ", "(-9)"},
        {"1|3|2", "4|8|1", "2|20|0", "2|21|0", "4|9|0"});
    row("columns by blanks", false, {"2 15 3", "1 7 0", "  0   8  0  extra"},
        {"2|15|3", "1|7|0", "0|8|0"});
    row("columns by tabs", false, {"2\t15\t3", "1\t 7 \t0"}, {"2|15|3", "1|7|0"});
    row("house columns: part may be text, kind free", true, {"3 12 P", "x 14 E"},
        {"3|12|P", "x|14|E"});
    row("house list", true, {"12/3P;14;7/1g", "150 E"}, {"3|12|P", "|14|V", "1|7|g", "|150|E"});
    row("kind letter after the first number is no separator", true, {"12P;14"}, {"|12|P", "|14|V"});
    // "st." writes a building parcel; its "s" and blank separate nothing.
    row("st. with a blank makes a list", false, {"st. 38 40", "st.7/1"},
        {"1|38|0", "2|40|0", "1|7|1"});
    row("st. in a list after a number", false, {"12;st. 5", "St.6;7"},
        {"2|12|0", "1|5|0", "1|6|0", "2|7|0"});
    // "12P 14" is two house numbers, not part "12P" of house 14.
    row("kind letter makes a blank-separated line a list", true, {"12P 14", "7E 8/2"},
        {"|12|P", "|14|V", "|7|E", "2|8|V"});

    // A bad line stops the import; the rows before it stay.
    row("first line fixes the separator", false, {"2 15 3", "1\t7\t0"}, {"2|15|3"}, 2,
        "Chybné číslo „1\t7\t0“ na řádku 2");
    row("bare first number: columns 2 and 3 empty", false, {"15"}, {}, 1);
    // A number that the column would read as empty is refused, not dropped.
    row("house number with kind as the part", true, {"3 12 P", "12P 14"}, {"3|12|P"}, 2,
        "Chybné číslo „12P“ na řádku 2");
    row("number after the third column", false, {"2 15 0", "2 16 0 17"}, {"2|15|0"}, 2,
        "Chybné číslo „17“ na řádku 2");
    row("empty line in a list", false, {"12;13", "", "14"}, {"2|12|0", "2|13|0"}, 2);
    row("empty line in columns", true, {"5 12", ""}, {"5|12|"}, 2);
    row("stem 0 in a list", false, {"12/1;0"}, {"2|12|1"}, 1);
    row("st. in a column layout", false, {"2 15 0", "st. 5"}, {"2|15|0"}, 2);
    row("negative group column", false, {"-1 15 0"}, {}, 1);
    row("stem wraps 32 bits", false, {"2 4294967311 0"}, {}, 1);
    row("house too large", true, {"5;12345"}, {"|5|V"}, 1);
    row("empty clipboard", false, {QString()}, {}, 1);
}

void TestParcDialog::lines()
{
    QFETCH(bool, house);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, rows);
    QFETCH(int, errorLine);
    QFETCH(QString, message);
    const auto result = TParcelImport::Parse(lines, house ? Kind::House : Kind::Parcel);
    QCOMPARE(rowTexts(result.rows), rows);
    QCOMPARE(result.errorLine, errorLine);
    QCOMPARE(result.errorText, message);
}

void TestParcDialog::readingFilesAndLimits()
{
    QTemporaryDir dir;
    // "č" in UTF-8, with a byte-order mark and Windows line ends.
    const QString utf8 =
        writeFile(dir.filePath("utf8.txt"), QByteArray("\xEF\xBB\xBF"
                                                       "1 12 P\r\n2 13 Evid.\xC4\x8D.\r\n"));
    QCOMPARE(TParcelImport::ReadTextFile(utf8), (QStringList{"1 12 P", "2 13 Evid.č."}));
    // "č" is 0xE8 in code page 1250 and no valid UTF-8.
    const QString cp1250 =
        writeFile(dir.filePath("cp1250.txt"), QByteArray("1 12 Evid.\xE8.\n3 4 P"));
    QCOMPARE(TParcelImport::ReadTextFile(cp1250), (QStringList{"1 12 Evid.č.", "3 4 P"}));

    const QString binary = writeFile(dir.filePath("data.txt"), QByteArray("12\0\x01\x02", 5));
    QVERIFY(readError(binary).contains(QStringLiteral("není textový soubor")));
    QFile huge(dir.filePath("huge.txt"));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(100 * 1024 * 1024)); // sparse
    huge.close();
    QVERIFY(readError(huge.fileName()).contains(QStringLiteral("příliš velký")));
    QVERIFY(!readError(dir.filePath("missing.txt")).isEmpty());

    // Only regular files are read.
    const QString fifo = dir.filePath("roura.txt");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // A writer that waits for a reader: before the check, the import opened
    // the pipe, waited for the writer and read what came.
    ::signal(SIGPIPE, SIG_IGN);
    std::thread writer([&] {
        for (int i = 0; i < 100; ++i) {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                [[maybe_unused]] const auto n = ::write(fd, "12;13\n", 6);
                ::close(fd);
                return;
            }
            QThread::msleep(10);
        }
    });
    const auto refused = [](const QString& path) {
        const QString message = readError(path);
        return message.contains(QStringLiteral("není obyčejný soubor")) &&
               message.contains(QDir::toNativeSeparators(path));
    };
    const bool fifoRefused = refused(fifo);
    writer.join();
    QVERIFY(fifoRefused);
    // A device never ends; it must be refused before anything is read.
    QVERIFY(refused(QStringLiteral("/dev/zero")));
    QVERIFY(refused(dir.path()));

    // The rows an import takes are capped, far above any real list.
    QString line;
    for (int i = 1; i <= 1000; ++i)
        line += QString::number(i) + QLatin1Char(';');
    const auto capped =
        TParcelImport::Parse(QStringList(TParcelImport::MaxRows / 1000 + 1, line), Kind::Parcel);
    QVERIFY(capped.rows.size() == TParcelImport::MaxRows && !capped.errorText.isEmpty());
}

QTEST_MAIN(TestParcDialog)
#include "tst_parcdialog.moc"
