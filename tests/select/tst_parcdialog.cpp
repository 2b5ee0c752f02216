// The parcel-number dialog on the demo and the real district: the work table
// after each way of selecting equals, row for row and with its marks, what
// the selection rules give when applied straight to the area's parcel file.
// Also the grid keys, the close check, import into the grid and the main
// window's selection entry.
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
#include "select/core/TParcSelector.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMap>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

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

// The message of the exception `action` throws.
QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ETalvekException& e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

struct Shown
{
    QString text;
    TMsgDlgType kind;
};

using TestSupport::onNextModal;
} // namespace

class TestParcDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup() { SetMessageDlgInterceptor(nullptr); }

    void placeholdersAndEveryGroupWriteOnce();
    void subdivisionsAndParcelsAlreadySelected();
    void kindLetters();
    void closeCheck_data();
    void closeCheck();
    void gridKeys();
    void popupsWriteIntoCurrentCell();
    void importIntoCurrentGrid();
    void previousSelectionShowsEqualRows();
    void realDistrict();
    void mainWindowEntry();

private:
    void bind(TParcDialog& dlg, const QString& district);
    void fill(TParcDialog& dlg, int mode, const QList<TParcGridRow>& rows);
    QList<Part> work() const { return readParts(m_workPath); }
    QList<Part> nyspa(const QString& district) const
    {
        return readParts(district + "/" +
                         CadastralTables::PerAreaTable(CadastralTables::ParcelPrefix, "001"));
    }

    QTemporaryDir m_dir;
    QString m_district;
    QString m_workPath;
    std::shared_ptr<TApp> m_app;
    QList<Shown> m_shown;
};

void TestParcDialog::initTestCase()
{
    QVERIFY(m_dir.isValid());
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
    SetMessageDlgInterceptor([this](const QString& text, TMsgDlgType kind, TMsgDlgButtons) {
        m_shown.append({text, kind});
        return int(mrOk);
    });
}

void TestParcDialog::bind(TParcDialog& dlg, const QString& district)
{
    Table& pa = dlg.TablePa();
    pa.close();
    pa.setDatabaseName(district);
    pa.setTableName(CadastralTables::PerAreaTable(CadastralTables::ParcelPrefix, "001"));
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
                       : TParcGridRow{"2", absent, "0"});
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
    QCOMPARE(texts(work()), texts(expected));       // each parcel once
    QCOMPARE(dlg.CurrentModel()->Rows().size(), 6); // the grid keeps what was typed
    QVERIFY(m_shown.isEmpty());
}

void TestParcDialog::subdivisionsAndParcelsAlreadySelected()
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
    QCOMPARE(texts(work()), texts(partsOf(area, x.skup, x.cis, 0)));
}

void TestParcDialog::kindLetters()
{
    const QList<QPair<QString, QList<int>>> cases{{"P", {0}},
                                                  {"popis.č.", {0}},
                                                  {"E", {1, 3, 4, 5, 6, 7, 8, 9}},
                                                  {"Evid.č.", {1, 3, 4, 5, 6, 7, 8, 9}},
                                                  {"G", {2}},
                                                  {"Garáže", {2}},
                                                  {"V", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
                                                  {"", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}}};
    for (const auto& [kind, digits] : cases)
        for (int d = 0; d < 10; ++d)
            QCOMPARE(TParcSelector::KindAccepts(kind, 120 + d), digits.contains(d));
}

void TestParcDialog::closeCheck_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<TParcGridRow>>("rows");
    QTest::addColumn<QString>("message"); // empty: closes
    QTest::addColumn<QPoint>("cell");     // where the cursor goes (row, column)
    QTest::addColumn<bool>("workEmptied");
    QTest::newRow("stems the area lacks, no group")
        << 0 << QList<TParcGridRow>{{"", "999999", ""}, {"", "999998", "0"}}
        << "Není vybrána žádná parcela" << QPoint(0, 1) << true;
    // 4294967311 would wrap to 15 in 32 bits; the bad row is not the current one.
    QTest::newRow("stem beyond 32 bits")
        << 0 << QList<TParcGridRow>{{"2", "4294967311", ""}, {"", "15", ""}} << "Chybné číslo."
        << QPoint(0, 2) << false;
    QTest::newRow("part of municipality 100")
        << 1 << QList<TParcGridRow>{{"3", "12", "P"}, {"100", "12", ""}} << "Chybné číslo."
        << QPoint(1, 1) << false;
    QTest::newRow("an empty row is fine") << 0 << QList<TParcGridRow>{{"", "", ""}, {"", "1", ""}}
                                          << QString() << QPoint(0, 1) << false;
}

void TestParcDialog::closeCheck()
{
    QFETCH(int, mode);
    QFETCH(QList<TParcGridRow>, rows);
    QFETCH(QString, message);
    QFETCH(QPoint, cell);
    QFETCH(bool, workEmptied);
    TParcDialog dlg(m_app);
    bind(dlg, m_district);
    fill(dlg, 0, {{"", "1", ""}});
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    const QStringList before = texts(work());
    QVERIFY(!before.isEmpty());

    fill(dlg, mode, rows);
    dlg.SetCurrentCell(1, 1);
    dlg.show();
    dlg.accept();
    QCOMPARE(dlg.isVisible(), !message.isEmpty());
    if (message.isEmpty()) {
        QVERIFY(m_shown.isEmpty());
        return;
    }
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0].text, message);
    QCOMPARE(m_shown[0].kind, workEmptied ? mtWarning : mtError);
    QCOMPARE(QPoint(dlg.CurrentRow(), dlg.CurrentColumn()), workEmptied ? QPoint(1, 1) : cell);
    QCOMPARE(texts(work()), workEmptied ? QStringList() : before);
}

void TestParcDialog::gridKeys()
{
    TParcDialog dlg(m_app);
    fill(dlg, 0, {{"", "", ""}});
    TParcGridModel* model = dlg.CurrentModel();
    const auto key = [&](int k, Qt::KeyboardModifiers m = {}) {
        return dlg.ParcelniCisloKeyDown(k, m);
    };
    const auto at = [&](int row, int column, int rows) {
        return dlg.CurrentRow() == row && dlg.CurrentColumn() == column &&
               model->rowCount() == rows;
    };

    model->SetCell(0, 1, "2");
    QVERIFY(key(Qt::Key_Return) && at(0, 2, 1));
    model->SetCell(0, 2, "x");
    QVERIFY_THROWS_EXCEPTION(ETalvekException, key(Qt::Key_Return));
    QVERIFY(at(0, 2, 1));
    model->SetCell(0, 2, "15");
    QVERIFY(key(Qt::Key_Return) && at(0, 3, 1));
    // Enter in column 3 of the last row: a new numbered row, column 1.
    QVERIFY(key(Qt::Key_Enter) && at(1, 1, 2));
    QCOMPARE(model->Cell(0, 3), QStringLiteral("0"));
    QCOMPARE(model->data(model->index(1, 0)).toString(), QStringLiteral("2"));

    // Down on the last row appends, on another row moves down.
    model->SetCell(1, 2, "16");
    dlg.SetCurrentCell(1, 2);
    QVERIFY(key(Qt::Key_Down) && at(2, 1, 3));
    model->SetCell(2, 2, "17");
    dlg.SetCurrentCell(0, 2);
    QVERIFY(key(Qt::Key_Down) && at(1, 2, 3));
    QVERIFY(key(Qt::Key_Up) && at(0, 2, 3));
    model->SetCell(0, 2, "0");
    QVERIFY_THROWS_EXCEPTION(ETalvekException, key(Qt::Key_Up));
    model->SetCell(0, 2, "15");

    // Real key presses reach the same handler; a failed check shows its message.
    dlg.show();
    dlg.CurrentGrid()->setFocus();
    dlg.SetCurrentCell(2, 1);
    QTest::keyClick(dlg.CurrentGrid(), Qt::Key_Return);
    QVERIFY(at(2, 2, 3));
    model->SetCell(2, 2, "-4");
    QTest::keyClick(dlg.CurrentGrid(), Qt::Key_Return);
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0].text, QStringLiteral("Chybné číslo."));
    model->SetCell(2, 2, "17");

    // Ctrl+Delete: several selected rows go, the rest are renumbered.
    QItemSelectionModel* selection = dlg.CurrentGrid()->selectionModel();
    selection->select(model->index(0, 2), QItemSelectionModel::ClearAndSelect);
    selection->select(model->index(2, 2), QItemSelectionModel::Select);
    QVERIFY(key(Qt::Key_Delete, Qt::ControlModifier));
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(model->Cell(0, 2), QStringLiteral("16"));
    QVERIFY(!key(Qt::Key_Delete));
    dlg.findChild<QPushButton*>("DelBtn")->click(); // the only row: emptied
    QCOMPARE(model->rowCount(), 1);
    QVERIFY(model->RowEmpty(0));
    QCOMPARE(model->data(model->index(0, 0)).toString(), QStringLiteral("1"));
}

void TestParcDialog::popupsWriteIntoCurrentCell()
{
    TParcDialog dlg(m_app);
    dlg.show();
    // Per mode: the popup, the column without one, the column with one, the
    // action and the text it writes.
    const auto check = [&](int mode, QMenu* popup, int none, int column, int action,
                           const QString& text) {
        fill(dlg, mode, {{"", "15", "0"}});
        QCOMPARE(dlg.CurrentPopup(), popup);
        dlg.SetCurrentCell(0, none);
        QVERIFY(!dlg.ParcelniCisloKeyDown(Qt::Key_Space, {}));
        QVERIFY(!popup->isVisible());
        dlg.SetCurrentCell(0, column);
        QVERIFY(dlg.ParcelniCisloKeyDown(Qt::Key_Space, {}));
        QVERIFY(popup->isVisible());
        popup->actions()[action]->trigger();
        popup->hide();
        QCOMPARE(dlg.CurrentModel()->Cell(0, column), text);
    };
    check(0, dlg.PopupMenuParCis(), 2, 1, 4, QStringLiteral("5"));
    check(1, dlg.PopupMenuPopCis(), 1, 3, 2, QStringLiteral("Garáže"));
    QVERIFY(dlg.CurrentModel()->CellValid(3, QStringLiteral("Garáže")));
}

void TestParcDialog::importIntoCurrentGrid()
{
    TParcDialog dlg(m_app);
    fill(dlg, 0, {{"1", "1", "0"}, {"1", "2", "0"}});
    const QString list = m_dir.filePath("work/cisla.txt");
    {
        QFile file(list);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("12/1;15;(7)\n20\n\n21\n");
    }
    QCOMPARE(errorOf([&] { dlg.ImportFromFile(list); }), QStringLiteral("Chyba na řádku 3"));
    QCOMPARE(dlg.CurrentModel()->Rows().size(), 4); // the rows read before stay
    QCOMPARE(dlg.CurrentModel()->Cell(2, 1), QStringLiteral("5"));

    // The clipboard goes into the grid of the mode; empty text fails on line 1.
    fill(dlg, 1, {{"", "3", ""}});
    QApplication::clipboard()->setText(QStringLiteral("5/1P\r\n7E\r\n"));
    dlg.ImportFromClipboard();
    QCOMPARE(dlg.CurrentModel()->Rows().size(), 2);
    QCOMPARE(dlg.CurrentModel()->Cell(1, 3), QStringLiteral("E"));
    QApplication::clipboard()->setText(QString());
    QCOMPARE(errorOf([&] { dlg.ImportFromClipboard(); }), QStringLiteral("Chyba na řádku 1"));
    QCOMPARE(dlg.CurrentModel()->Rows().size(), 1);
    QVERIFY(dlg.CurrentModel()->RowEmpty(0));
}

void TestParcDialog::previousSelectionShowsEqualRows()
{
    const QList<Part> area = nyspa(m_district);
    // A parcel with at least two parts.
    const auto found = std::find_if(area.begin(), area.end(), [&](const Part& p) {
        return p.pod > 0 && partsOf(area, p.skup, p.cis, p.pod).size() >= 2;
    });
    QVERIFY(found != area.end());
    const TParcGridRow parcel{QString::number(found->skup), QString::number(found->cis),
                              QString::number(found->pod)};

    TParcDialog dlg(m_app);
    bind(dlg, m_district);
    fill(dlg, 0, {parcel});
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    const QStringList selected = texts(work());
    QCOMPARE(selected, texts(partsOf(area, found->skup, found->cis, found->pod)));

    dlg.SetVyber(3);
    dlg.ClearLastFParc();
    dlg.VyberClick();
    QVERIFY(dlg.LastFParc()->isVisibleTo(&dlg));
    QVERIFY(!dlg.ParcelniCislo()->isVisibleTo(&dlg));
    QVERIFY(!dlg.findChild<QPushButton*>("ImportBtn")->isEnabled());
    QCOMPARE(dlg.CurrentGrid(), dlg.LastFParc());
    QCOMPARE(dlg.CurrentModel()->Rows(), QList<TParcGridRow>(selected.size(), parcel));

    // OK rebuilds the same selection from the parcel table.
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    QCOMPARE(texts(work()), selected);
    QCOMPARE(dlg.LastFParc()->model()->rowCount(), 1); // cleared for the next opening
}

void TestParcDialog::realDistrict()
{
    const QString real = TestSupport::realDistrictDir();
    const QList<Part> area = nyspa(real);
    TParcDialog dlg(m_app);
    bind(dlg, real);

    // A stem without a group: the parcel of every group.
    fill(dlg, 0, {{"1", "14", "2"}, {"", "5", ""}});
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    QCOMPARE(texts(work()),
             texts(partsOf(area, 1, 14, 2) + partsOf(area, 1, 5, 0) + partsOf(area, 2, 5, 0)));
    QVERIFY(!partsOf(area, 1, 14, 2).isEmpty());

    // House 5 of part 1 is CPCE 10005, a descriptive number: "E" finds none.
    // The error names it, and the parts found before it replace the parcels.
    const QList<Part> house = where(area, [](const Part& p) { return p.cpce == 10005; });
    QVERIFY(!house.isEmpty());
    fill(dlg, 1, {{"1", "5", "P"}, {"", "5", "E"}});
    QVERIFY(!dlg.FormCloseQuery(QDialog::Accepted));
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown.last().text, QStringLiteral("Nenalezeno číslo popisné (evidenční) 5."));
    QCOMPARE(m_shown.last().kind, mtError);
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
    QCOMPARE(m_shown.last().text, QStringLiteral("Nenalezeno číslo popisné (evidenční) 5."));
}

void TestParcDialog::mainWindowEntry()
{
    const TKUInfo ku{m_district, "Okres", "Obec", "Území", "001", "600001"};
    const TSelectionContext ctx{m_app, ku, m_workPath};
    QWidget owner;
    TParcDialogRunner runner;
    const TParcDialogRunner copy = runner; // copies share the one dialog
    const QList<Part> area = nyspa(m_district);
    const Part first = area.first();
    const QStringList firstStem = texts(partsOf(area, first.skup, first.cis, 0));

    // All parcels: no dialog; the missing work table is created.
    QVERIFY(!QFile::exists(m_workPath));
    QVERIFY(runner(&owner, 2, ctx));
    QCOMPARE(texts(work()), texts(area));
    QVERIFY(copy.Dialog() == runner.Dialog());
    QVERIFY(!runner.Dialog()->TablePa().isActive());
    QVERIFY(!runner.Dialog()->TableParc().isActive());

    // Parcel number: the dialog is shown in mode 0 and closed with "Výpis".
    onNextModal([&](QWidget* modal) {
        auto* dlg = qobject_cast<TParcDialog*>(modal);
        QVERIFY(dlg);
        QCOMPARE(dlg->Vyber(), 0);
        QVERIFY(dlg->ParcelniCislo()->isVisible());
        dlg->CurrentModel()->Reset();
        dlg->CurrentModel()->AddRow({QString::number(first.skup), QString::number(first.cis), ""});
        dlg->findChild<QPushButton*>("OKBtn")->click();
    });
    QVERIFY(copy(&owner, 0, ctx));
    QCOMPARE(texts(work()), firstStem);

    // House number, cancelled with a bad row: false, no message, the work
    // table stays.
    onNextModal([](QWidget* modal) {
        auto* dlg = qobject_cast<TParcDialog*>(modal);
        QCOMPARE(dlg->Vyber(), 1);
        dlg->CurrentModel()->AddRow({"2", "abc", ""});
        modal->findChild<QPushButton*>("CancelBtn")->click();
    });
    QVERIFY(!runner(&owner, 1, ctx));
    QCOMPARE(texts(work()), firstStem);
    QVERIFY(m_shown.isEmpty());

    // All parcels again: the earlier selection does not survive.
    QVERIFY(runner(&owner, 2, ctx));
    QCOMPARE(texts(work()), texts(area));

    // A missing parcel table is an error; the tables end up closed.
    TSelectionContext broken = ctx;
    broken.KU.Suffix = "099";
    QVERIFY_THROWS_EXCEPTION(ETalvekException, runner(&owner, 0, broken));
    QVERIFY(!runner.Dialog()->TablePa().isActive());
    QVERIFY(!runner.Dialog()->TableParc().isActive());
}

QTEST_MAIN(TestParcDialog)
#include "tst_parcdialog.moc"
