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
    void subdivisionsAndPreviousSelection();
    void kindLetters();
    void closeCheck();
    void gridKeys();
    void popupWritesIntoCurrentCell();
    void importIntoCurrentGrid();
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
    QStringList m_shown; // the messages shown, and their kinds
    QList<TMsgDlgType> m_kinds;
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
    m_kinds.clear();
    SetMessageDlgInterceptor([this](const QString& text, TMsgDlgType kind, TMsgDlgButtons) {
        m_shown << text;
        m_kinds << kind;
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

void TestParcDialog::subdivisionsAndPreviousSelection()
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
    QVERIFY(!dlg.ParcelniCislo()->isVisibleTo(&dlg));
    QVERIFY(!dlg.findChild<QPushButton*>("ImportBtn")->isEnabled());
    QCOMPARE(dlg.CurrentGrid(), dlg.LastFParc());
    QList<TParcGridRow> rows; // in key order, as the parcel file is
    for (const Part& p : stem)
        rows.append({QString::number(p.skup), QString::number(p.cis), QString::number(p.pod)});
    QCOMPARE(dlg.CurrentModel()->Rows(), rows);
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    QCOMPARE(texts(work()), texts(stem));
    QCOMPARE(dlg.LastFParc()->model()->rowCount(), 1);
}

void TestParcDialog::kindLetters()
{
    // Each kind with the last digits of NEMVYUZ it accepts.
    const QList<QPair<QString, QString>> cases{
        {"P", "0"}, {"popis.č.", "0"}, {"E", "13456789"},   {"Evid.č.", "13456789"},
        {"G", "2"}, {"Garáže", "2"},   {"V", "0123456789"}, {"", "0123456789"}};
    for (const auto& [kind, digits] : cases)
        for (int d = 0; d < 10; ++d)
            QCOMPARE(TParcSelector::KindAccepts(kind, 120 + d), digits.contains(char('0' + d)));
}

// OK: an empty row is skipped; a bad number anywhere is shown, the cursor
// goes to it and nothing changes; nothing found warns and leaves the work
// table empty.
void TestParcDialog::closeCheck()
{
    TParcDialog dlg(m_app);
    bind(dlg, m_district);
    dlg.show();
    fill(dlg, 0, {{"", "", ""}, {"", "1", ""}});
    dlg.accept();
    QVERIFY(!dlg.isVisible());
    QVERIFY(m_shown.isEmpty());
    const QStringList before = texts(work());
    QVERIFY(!before.isEmpty());

    // 4294967311 would wrap to 15 in 32 bits; the bad row is not the current one.
    dlg.show();
    fill(dlg, 0, {{"2", "4294967311", ""}, {"", "15", ""}});
    dlg.SetCurrentCell(1, 1);
    dlg.accept();
    QVERIFY(dlg.isVisible());
    QCOMPARE(m_shown, QStringList{"Chybné číslo."});
    QCOMPARE(QPoint(dlg.CurrentRow(), dlg.CurrentColumn()), QPoint(0, 2));
    QCOMPARE(texts(work()), before);

    m_shown.clear();
    fill(dlg, 0, {{"", "999999", ""}, {"", "999998", "0"}});
    dlg.accept();
    QVERIFY(dlg.isVisible());
    QCOMPARE(m_shown, QStringList{"Není vybrána žádná parcela"});
    QCOMPARE(m_kinds.last(), mtWarning);
    QVERIFY(work().isEmpty());
}

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
    QCOMPARE(model->rowCount(), 1);
    QVERIFY(model->RowEmpty(0));
}

// Space on the kind column opens its popup, whose choice is a valid kind.
void TestParcDialog::popupWritesIntoCurrentCell()
{
    TParcDialog dlg(m_app);
    dlg.show();
    fill(dlg, 1, {{"", "12", ""}});
    QMenu* popup = dlg.PopupMenuPopCis();
    QCOMPARE(dlg.CurrentPopup(), popup);
    QVERIFY(!dlg.ParcelniCisloKeyDown(Qt::Key_Space, {})); // no popup on the part
    QVERIFY(!popup->isVisible());
    dlg.SetCurrentCell(0, 3);
    QVERIFY(dlg.ParcelniCisloKeyDown(Qt::Key_Space, {}));
    QVERIFY(popup->isVisible());
    popup->actions()[2]->trigger();
    popup->hide();
    QCOMPARE(dlg.CurrentModel()->Cell(0, 3), QStringLiteral("Garáže"));
    QVERIFY(dlg.CurrentModel()->CellValid(3, QStringLiteral("Garáže")));
}

void TestParcDialog::importIntoCurrentGrid()
{
    TParcDialog dlg(m_app);
    fill(dlg, 0, {{"1", "1", "0"}, {"1", "2", "0"}});
    const QString list = m_dir.filePath("work/cisla.txt");
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("12/1;15;(7)\n20\n\n21\n") > 0);
    file.close();
    QCOMPARE(errorOf([&] { dlg.ImportFromFile(list); }), QStringLiteral("Chyba na řádku 3"));
    QCOMPARE(dlg.CurrentModel()->Rows().size(), 4); // the rows read before stay
    QCOMPARE(dlg.CurrentModel()->Cell(2, 1), QStringLiteral("5"));

    // The clipboard goes into the grid of the mode; empty text fails on line 1.
    fill(dlg, 1, {{"", "3", ""}});
    QApplication::clipboard()->setText(QStringLiteral("5/1P\r\n7E\r\n"));
    dlg.ImportFromClipboard();
    QCOMPARE(dlg.CurrentModel()->Rows(), (QList<TParcGridRow>{{"1", "5", "P"}, {"", "7", "E"}}));
    QApplication::clipboard()->setText(QString());
    QCOMPARE(errorOf([&] { dlg.ImportFromClipboard(); }), QStringLiteral("Chyba na řádku 1"));
    QCOMPARE(dlg.CurrentModel()->Rows().size(), 1);
    QVERIFY(dlg.CurrentModel()->RowEmpty(0));
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
    const QString notFound = QStringLiteral("Nenalezeno číslo popisné (evidenční) 5.");
    QCOMPARE(m_shown, QStringList{notFound});
    QCOMPARE(m_kinds[0], mtError);
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
    const TKUInfo ku{m_district, "Okres", "Obec", "Území", "001", "600001"};
    const TSelectionContext ctx{m_app, ku, m_workPath};
    QWidget owner;
    TParcDialogRunner runner;
    const TParcDialogRunner copy = runner; // copies share the one dialog
    const QList<Part> area = nyspa(m_district);
    const Part first = area.first();
    const QStringList firstStem = texts(partsOf(area, first.skup, first.cis, 0));
    const auto closed = [&] {
        return !runner.Dialog()->TablePa().isActive() && !runner.Dialog()->TableParc().isActive();
    };

    // All parcels: no dialog; the missing work table is created.
    QVERIFY(!QFile::exists(m_workPath));
    QVERIFY(runner(&owner, 2, ctx));
    QCOMPARE(texts(work()), texts(area));
    QVERIFY(copy.Dialog() == runner.Dialog());
    QVERIFY(closed());

    // Parcel number: the dialog is shown in mode 0 and closed with "Výpis".
    onNextModal([&](QWidget* modal) {
        auto* dlg = qobject_cast<TParcDialog*>(modal);
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
    QVERIFY(closed());
}

QTEST_MAIN(TestParcDialog)
#include "tst_parcdialog.moc"
