// The parcel-number dialog on the demo and the real district: the work table
// after each way of selecting equals, row for row and with its marks, what
// the selection rules give when applied straight to the area's parcel file.
// Also the grid keys, validation, import into the grid, the close check and
// the main window's selection entry.
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

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMap>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {
// One parcel part as a comparable text: key, data and mark.
struct Part
{
    qint64 skup = 0, cis = 0, pod = 0, dil = 0, vymera = 0, druh = 0, cpce = 0, nemvyuz = 0,
           lvcis = 0;
    QString parcislo;
    bool flag = true;

    QString text() const
    {
        QStringList cells;
        for (qint64 v : {skup, cis, pod, dil, vymera, druh, cpce, nemvyuz, lvcis})
            cells << QString::number(v);
        return cells.join(u' ') + ' ' + parcislo + (flag ? " T" : " F");
    }
};

QList<Part> readParts(const QString& path)
{
    const ParadoxReader reader(path);
    const auto col = [&](const char* name) { return reader.fieldIndex(QString::fromLatin1(name)); };
    const int flag = col("FLAG");
    QList<Part> parts;
    for (const QVariantList& row : reader.readAll()) {
        const auto n = [&](const char* name) { return qRound64(row[col(name)].toDouble()); };
        Part p{n("PARSKUP"),
               n("PARCIS"),
               n("PARPOD"),
               n("PARDIL"),
               n("VYMERA"),
               n("DRUHPOZ"),
               n("CPCE"),
               n("NEMVYUZ"),
               n("LVCIS"),
               row[col("PARCISLO")].toString(),
               flag < 0 || row[flag].toBool()};
        parts.append(p);
    }
    return parts;
}

QStringList texts(const QList<Part>& parts)
{
    QStringList list;
    for (const Part& p : parts)
        list << p.text();
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
    void cleanup();

    void parcelsWithoutGroupTakeEveryGroup();
    void missingParcelWithGroupGivesPlaceholder();
    void rowsWithAndWithoutGroupWriteOnce();
    void subdivisionsAndParcelsAlreadySelected();
    void kindLetters();
    void closeCheckAndCancel();
    void validationRejectsBadAndWrappingNumbers();
    void gridKeys();
    void popupsWriteIntoCurrentCell();
    void importIntoCurrentGrid();
    void previousSelectionShowsEqualRows();
    void allParcelsMarked();
    void realDistrict();
    void mainWindowEntry();

private:
    void bind(TParcDialog& dlg, const QString& district, const QString& suffix = "001");
    void fill(TParcDialog& dlg, int mode, const QList<TParcGridRow>& rows);
    QList<Part> work() const { return readParts(m_workPath); }
    QList<Part> nyspa(const QString& district, const QString& suffix = "001") const
    {
        return readParts(district + "/" +
                         CadastralTables::PerAreaTable(CadastralTables::ParcelPrefix, suffix));
    }
    // What the rules give for one parcel: every part, marked, with group and
    // stem of the request.
    QList<Part> partsOf(const QList<Part>& area, qint64 g, qint64 s, qint64 p) const
    {
        return where(area, [=](const Part& x) {
            return x.skup == g && x.cis == s && (p == 0 || x.pod == p);
        });
    }

    QTemporaryDir m_dir;
    QString m_district;
    QString m_workPath;
    std::shared_ptr<TApp> m_app;
    QList<Shown> m_shown;
    int m_answer = mrOk;
};

void TestParcDialog::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_district = m_dir.filePath("okres");
    DemoDistrictGenerator({}).generate(m_district);
    m_app = TApp::create();
}

void TestParcDialog::init()
{
    m_workPath = m_dir.filePath(QStringLiteral("work/PRAC.DB"));
    QDir().mkpath(m_dir.filePath("work"));
    QFile::remove(m_workPath);
    QFile::remove(m_dir.filePath("work/PRAC.PX"));
    m_shown.clear();
    m_answer = mrOk;
    SetMessageDlgInterceptor([this](const QString& text, TMsgDlgType kind, TMsgDlgButtons) {
        m_shown.append({text, kind});
        return m_answer;
    });
}

void TestParcDialog::cleanup()
{
    SetMessageDlgInterceptor(nullptr);
}

void TestParcDialog::bind(TParcDialog& dlg, const QString& district, const QString& suffix)
{
    Table& pa = dlg.TablePa();
    pa.close();
    pa.setDatabaseName(district);
    pa.setTableName(CadastralTables::PerAreaTable(CadastralTables::ParcelPrefix, suffix));
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

void TestParcDialog::parcelsWithoutGroupTakeEveryGroup()
{
    const QList<Part> area = nyspa(m_district);
    // A stem number that exists in more than one group.
    QMap<qint64, QSet<qint64>> groupsOfStem;
    for (const Part& p : area)
        groupsOfStem[p.cis].insert(p.skup);
    qint64 stem = 0;
    for (auto it = groupsOfStem.begin(); it != groupsOfStem.end() && !stem; ++it)
        if (it.value().size() > 1)
            stem = it.key();
    QVERIFY(stem > 0);
    qint64 absent = 1;
    while (groupsOfStem.contains(absent))
        ++absent;

    TParcDialog dlg(m_app);
    bind(dlg, m_district);
    fill(dlg, 0, {{"", QString::number(stem), ""}, {"", QString::number(absent), "0"}});
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    QVERIFY(m_shown.isEmpty());
    const QList<Part> expected =
        where(area, [&](const Part& p) { return p.cis == stem && p.skup >= 1 && p.skup <= 9; });
    QVERIFY(expected.size() > 1);
    QCOMPARE(texts(work()), texts(expected)); // no placeholder for the absent stem
    QCOMPARE(CountSelection(dlg.TableParc(), true), expected.size());
}

void TestParcDialog::missingParcelWithGroupGivesPlaceholder()
{
    const QList<Part> area = nyspa(m_district);
    qint64 maxStem = 0;
    for (const Part& p : area)
        maxStem = qMax(maxStem, p.cis);
    const Part some = area[area.size() / 2];

    TParcDialog dlg(m_app);
    bind(dlg, m_district);
    fill(dlg, 0,
         {{"2", QString::number(maxStem + 7), "0"},
          {QString::number(some.skup), QString::number(some.cis), ""}});
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    Part placeholder;
    placeholder.skup = 2;
    placeholder.cis = maxStem + 7;
    placeholder.parcislo = QString::number(maxStem + 7);
    QCOMPARE(texts(work()),
             texts(QList<Part>{placeholder} + partsOf(area, some.skup, some.cis, 0)));
    QCOMPARE(dlg.CurrentModel()->Rows().size(), 2); // the grid keeps what was typed
}

void TestParcDialog::rowsWithAndWithoutGroupWriteOnce()
{
    // Rows that alternate between a group (placeholder allowed) and none
    // (every group) go in as one change: the work file is written once after
    // it is emptied, not once per run of rows.
    const Part some = nyspa(m_district).first();
    QList<TParcGridRow> rows;
    for (int i = 0; i < 6; ++i)
        rows.append(i % 2 ? TParcGridRow{"", QString::number(some.cis), ""}
                          : TParcGridRow{"2", QString::number(900000 + i), "0"});
    TParcDialog dlg(m_app);
    bind(dlg, m_district);
    fill(dlg, 0, rows);
    const quint64 before = dlg.TableParc().loadedTable()->generation;
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    const quint64 writes = dlg.TableParc().loadedTable()->generation - before;
    QVERIFY2(writes <= 2, qPrintable(QString::number(writes)));
    // Three placeholders and the parcel of every group, each once.
    QVERIFY(CountSelection(dlg.TableParc(), false) >= 4);
    QCOMPARE(texts(work()).filter(QStringLiteral("90000")).size(), 3);
}

void TestParcDialog::subdivisionsAndParcelsAlreadySelected()
{
    const QList<Part> area = nyspa(m_district);
    // A stem with at least two subdivisions in one group.
    QMap<QString, QSet<qint64>> subdivisions;
    for (const Part& p : area)
        subdivisions[QStringLiteral("%1/%2").arg(p.skup).arg(p.cis)].insert(p.pod);
    qint64 g = 0, s = 0, p1 = 0;
    for (auto it = subdivisions.begin(); it != subdivisions.end() && !g; ++it) {
        QList<qint64> pods = it.value().values();
        std::sort(pods.begin(), pods.end());
        if (pods.size() >= 2 && pods.last() > 0) {
            g = it.key().section('/', 0, 0).toLongLong();
            s = it.key().section('/', 1, 1).toLongLong();
            p1 = pods.last();
        }
    }
    QVERIFY(g != 0);
    const QString gs = QString::number(g), ss = QString::number(s), ps = QString::number(p1);

    TParcDialog dlg(m_app);
    bind(dlg, m_district);
    // The subdivision first: the whole stem then adds nothing more.
    fill(dlg, 0, {{gs, ss, ps}, {gs, ss, "0"}});
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    QCOMPARE(texts(work()), texts(partsOf(area, g, s, p1)));
    // The whole stem first: every part of every subdivision, once.
    fill(dlg, 0, {{gs, ss, "0"}, {gs, ss, ps}, {gs, ss, ""}});
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    QCOMPARE(texts(work()), texts(partsOf(area, g, s, 0)));
    QVERIFY(partsOf(area, g, s, 0).size() > partsOf(area, g, s, p1).size());
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

void TestParcDialog::closeCheckAndCancel()
{
    const QList<Part> area = nyspa(m_district);
    TParcDialog dlg(m_app);
    bind(dlg, m_district);
    fill(dlg, 0, {{"", QString::number(area.first().cis), ""}});
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    const QStringList before = texts(work());

    // Stems the area does not have, without a group: nothing selected.
    fill(dlg, 0, {{"", "999999", ""}, {"", "999998", "0"}});
    dlg.show();
    dlg.accept();
    QVERIFY(dlg.isVisible());
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0].text, QStringLiteral("Není vybrána žádná parcela"));
    QCOMPARE(m_shown[0].kind, mtWarning);
    QVERIFY(work().isEmpty());

    // Cancel closes in any case and changes nothing.
    fill(dlg, 0, {{"", QString::number(area.first().cis), ""}});
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    fill(dlg, 0, {{"2", "abc", ""}});
    dlg.reject();
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(texts(work()), before);
    QCOMPARE(m_shown.size(), 1);
}

void TestParcDialog::validationRejectsBadAndWrappingNumbers()
{
    TParcDialog dlg(m_app);
    bind(dlg, m_district);
    const QList<Part> area = nyspa(m_district);
    fill(dlg, 0, {{"", QString::number(area.first().cis), ""}});
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    const QStringList before = texts(work());

    // 4294967311 would wrap to 15 in 32 bits; the bad row is not the current one.
    fill(dlg, 0, {{"2", "4294967311", ""}, {"", "15", ""}});
    dlg.SetCurrentCell(1, 1);
    QVERIFY(!dlg.FormCloseQuery(QDialog::Accepted));
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0].text, QStringLiteral("Chybné číslo."));
    QCOMPARE(dlg.CurrentRow(), 0);
    QCOMPARE(dlg.CurrentColumn(), 2);
    QCOMPARE(texts(work()), before); // nothing was selected

    m_shown.clear();
    fill(dlg, 1, {{"3", "12", "P"}, {"100", "12", ""}});
    QVERIFY(!dlg.FormCloseQuery(QDialog::Accepted));
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(dlg.CurrentRow(), 1);
    QCOMPARE(dlg.CurrentColumn(), 1);

    // An empty subdivision becomes "0"; an empty row is fine.
    fill(dlg, 0, {{"1", "5", ""}, {"", "", ""}});
    dlg.ValidateRow(0);
    dlg.ValidateRow(1);
    QCOMPARE(dlg.CurrentModel()->Cell(0, 3), QStringLiteral("0"));
    QVERIFY(dlg.CurrentModel()->RowEmpty(1));
}

void TestParcDialog::gridKeys()
{
    TParcDialog dlg(m_app);
    fill(dlg, 0, {{"", "", ""}});
    TParcGridModel* model = dlg.CurrentModel();

    model->SetCell(0, 1, "2");
    QVERIFY(dlg.ParcelniCisloKeyDown(Qt::Key_Return, {}));
    QCOMPARE(dlg.CurrentColumn(), 2);
    model->SetCell(0, 2, "x");
    QVERIFY_THROWS_EXCEPTION(ETalvekException, dlg.ParcelniCisloKeyDown(Qt::Key_Return, {}));
    QCOMPARE(dlg.CurrentColumn(), 2);
    model->SetCell(0, 2, "15");
    QVERIFY(dlg.ParcelniCisloKeyDown(Qt::Key_Return, {}));
    QCOMPARE(dlg.CurrentColumn(), 3);
    // Enter in column 3 of the last row: a new numbered row, column 1.
    QVERIFY(dlg.ParcelniCisloKeyDown(Qt::Key_Enter, {}));
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->Cell(0, 3), QStringLiteral("0"));
    QCOMPARE(model->data(model->index(1, 0)).toString(), QStringLiteral("2"));
    QCOMPARE(dlg.CurrentRow(), 1);
    QCOMPARE(dlg.CurrentColumn(), 1);

    // Down on the last row appends, on another row moves down.
    model->SetCell(1, 2, "16");
    dlg.SetCurrentCell(1, 2);
    QVERIFY(dlg.ParcelniCisloKeyDown(Qt::Key_Down, {}));
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(dlg.CurrentRow(), 2);
    QCOMPARE(dlg.CurrentColumn(), 1);
    model->SetCell(2, 2, "17");
    dlg.SetCurrentCell(0, 2);
    QVERIFY(dlg.ParcelniCisloKeyDown(Qt::Key_Down, {}));
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(dlg.CurrentRow(), 1);
    QVERIFY(dlg.ParcelniCisloKeyDown(Qt::Key_Up, {}));
    QCOMPARE(dlg.CurrentRow(), 0);
    model->SetCell(0, 2, "0");
    QVERIFY_THROWS_EXCEPTION(ETalvekException, dlg.ParcelniCisloKeyDown(Qt::Key_Up, {}));
    model->SetCell(0, 2, "15");

    // Real key presses reach the same handler; a failed check shows its message.
    dlg.show();
    dlg.CurrentGrid()->setFocus();
    dlg.SetCurrentCell(2, 1);
    QTest::keyClick(dlg.CurrentGrid(), Qt::Key_Return);
    QCOMPARE(dlg.CurrentColumn(), 2);
    model->SetCell(2, 2, "-4");
    QTest::keyClick(dlg.CurrentGrid(), Qt::Key_Return);
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0].text, QStringLiteral("Chybné číslo."));
    model->SetCell(2, 2, "17");

    // Ctrl+Delete: several selected rows go, the rest are renumbered.
    QCOMPARE(model->rowCount(), 3);
    QItemSelectionModel* selection = dlg.CurrentGrid()->selectionModel();
    selection->select(model->index(0, 2), QItemSelectionModel::ClearAndSelect);
    selection->select(model->index(2, 2), QItemSelectionModel::Select);
    QVERIFY(dlg.ParcelniCisloKeyDown(Qt::Key_Delete, Qt::ControlModifier));
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(model->Cell(0, 2), QStringLiteral("16"));
    QVERIFY(!dlg.ParcelniCisloKeyDown(Qt::Key_Delete, {}));
    dlg.findChild<QPushButton*>("DelBtn")->click(); // the only row: emptied
    QCOMPARE(model->rowCount(), 1);
    QVERIFY(model->RowEmpty(0));
    QCOMPARE(model->data(model->index(0, 0)).toString(), QStringLiteral("1"));
}

void TestParcDialog::popupsWriteIntoCurrentCell()
{
    TParcDialog dlg(m_app);
    dlg.show();
    fill(dlg, 0, {{"", "15", "0"}});
    dlg.SetCurrentCell(0, 2);
    QVERIFY(!dlg.ParcelniCisloKeyDown(Qt::Key_Space, {})); // no popup on the stem
    QVERIFY(!dlg.PopupMenuParCis()->isVisible());
    dlg.SetCurrentCell(0, 1);
    QVERIFY(dlg.ParcelniCisloKeyDown(Qt::Key_Space, {}));
    QVERIFY(dlg.PopupMenuParCis()->isVisible());
    dlg.PopupMenuParCis()->actions()[4]->trigger();
    dlg.PopupMenuParCis()->hide();
    QCOMPARE(dlg.CurrentModel()->Cell(0, 1), QStringLiteral("5"));

    fill(dlg, 1, {{"", "12", ""}});
    QCOMPARE(dlg.CurrentPopup(), dlg.PopupMenuPopCis());
    dlg.SetCurrentCell(0, 1);
    QVERIFY(!dlg.ParcelniCisloKeyDown(Qt::Key_Space, {}));
    dlg.SetCurrentCell(0, 3);
    QVERIFY(dlg.ParcelniCisloKeyDown(Qt::Key_Space, {}));
    QVERIFY(dlg.PopupMenuPopCis()->isVisible());
    dlg.PopupMenuPopCis()->actions()[2]->trigger();
    dlg.PopupMenuPopCis()->hide();
    QCOMPARE(dlg.CurrentModel()->Cell(0, 3), QStringLiteral("Garáže"));
    QVERIFY(dlg.CurrentModel()->CellValid(3, QStringLiteral("Garáže")));
}

void TestParcDialog::importIntoCurrentGrid()
{
    QTemporaryDir dir;
    TParcDialog dlg(m_app);
    fill(dlg, 0, {{"1", "1", "0"}, {"1", "2", "0"}});
    const QString list = dir.filePath("cisla.txt");
    {
        QFile file(list);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("12/1;15;(7)\n20\n\n21\n");
    }
    try {
        dlg.ImportFromFile(list);
        QFAIL("the empty line was accepted");
    } catch (const ETalvekException& e) {
        QCOMPARE(e.message(), QStringLiteral("Chyba na řádku 3"));
    }
    QCOMPARE(dlg.CurrentModel()->Rows().size(), 4); // the rows read before stay
    QCOMPARE(dlg.CurrentModel()->Cell(2, 1), QStringLiteral("5"));

    // The clipboard goes into the grid of the mode; empty text fails on line 1.
    fill(dlg, 1, {{"", "3", ""}});
    QApplication::clipboard()->setText(QStringLiteral("5/1P\r\n7E\r\n"));
    dlg.ImportFromClipboard();
    QCOMPARE(dlg.CurrentModel()->Rows().size(), 2);
    QCOMPARE(dlg.CurrentModel()->Cell(1, 3), QStringLiteral("E"));
    QApplication::clipboard()->setText(QString());
    try {
        dlg.ImportFromClipboard();
        QFAIL("the empty clipboard was accepted");
    } catch (const ETalvekException& e) {
        QCOMPARE(e.message(), QStringLiteral("Chyba na řádku 1"));
    }
    QCOMPARE(dlg.CurrentModel()->Rows().size(), 1);
    QVERIFY(dlg.CurrentModel()->RowEmpty(0));
}

void TestParcDialog::previousSelectionShowsEqualRows()
{
    const QList<Part> area = nyspa(m_district);
    // A parcel with at least two parts.
    QMap<QString, int> partCount;
    for (const Part& p : area)
        ++partCount[QStringLiteral("%1 %2 %3").arg(p.skup).arg(p.cis).arg(p.pod)];
    QString parcel;
    for (auto it = partCount.begin(); it != partCount.end() && parcel.isEmpty(); ++it)
        if (it.value() >= 2)
            parcel = it.key();
    QVERIFY(!parcel.isEmpty());
    const QStringList gsp = parcel.split(' ');

    TParcDialog dlg(m_app);
    bind(dlg, m_district);
    fill(dlg, 0, {{gsp[0], gsp[1], gsp[2]}});
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    const QStringList selected = texts(work());
    QCOMPARE(selected.size(), partCount[parcel]);

    dlg.SetVyber(3);
    dlg.ClearLastFParc();
    dlg.VyberClick();
    QVERIFY(dlg.LastFParc()->isVisibleTo(&dlg));
    QVERIFY(!dlg.ParcelniCislo()->isVisibleTo(&dlg));
    QVERIFY(!dlg.findChild<QPushButton*>("ImportBtn")->isEnabled());
    QCOMPARE(dlg.CurrentGrid(), dlg.LastFParc());
    const QList<TParcGridRow> rows = dlg.CurrentModel()->Rows();
    QCOMPARE(rows.size(), partCount[parcel]);
    for (const TParcGridRow& row : rows)
        QCOMPARE(row, (TParcGridRow{gsp[0], gsp[1], gsp[2]}));

    // OK rebuilds the same selection from the parcel table.
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    QCOMPARE(texts(work()), selected);
    QCOMPARE(dlg.LastFParc()->model()->rowCount(), 1); // cleared for the next opening
}

void TestParcDialog::allParcelsMarked()
{
    TParcDialog dlg(m_app);
    bind(dlg, m_district, "002");
    // Unmarked rows before must not survive.
    fill(dlg, 0, {{"", "1", ""}});
    QVERIFY(dlg.FormCloseQuery(QDialog::Accepted));
    dlg.AllParcels();
    QList<Part> expected = nyspa(m_district, "002");
    QCOMPARE(texts(work()), texts(expected));
    QCOMPARE(dlg.TableParc().recordCount(), expected.size());
}

void TestParcDialog::realDistrict()
{
    const QString real = TestSupport::realDistrictDir();
    const QList<Part> area = nyspa(real);
    TParcDialog dlg(m_app);
    bind(dlg, real);

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

    // All parcels: no dialog; the missing work table is created.
    QVERIFY(!QFile::exists(m_workPath));
    QVERIFY(runner(&owner, 2, ctx));
    QCOMPARE(texts(work()), texts(nyspa(m_district)));
    QVERIFY(copy.Dialog() == runner.Dialog());
    QVERIFY(!runner.Dialog()->TablePa().isActive());
    QVERIFY(!runner.Dialog()->TableParc().isActive());

    // Parcel number: the dialog is shown in mode 0 and closed with "Výpis".
    const Part first = nyspa(m_district).first();
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
    QCOMPARE(texts(work()), texts(partsOf(nyspa(m_district), first.skup, first.cis, 0)));

    // House number, cancelled: false, and the work table stays.
    onNextModal([](QWidget* modal) {
        QCOMPARE(qobject_cast<TParcDialog*>(modal)->Vyber(), 1);
        modal->findChild<QPushButton*>("CancelBtn")->click();
    });
    QVERIFY(!runner(&owner, 1, ctx));
    QCOMPARE(texts(work()), texts(partsOf(nyspa(m_district), first.skup, first.cis, 0)));

    // A missing parcel table is an error; the tables end up closed.
    TSelectionContext broken = ctx;
    broken.KU.Suffix = "099";
    QVERIFY_THROWS_EXCEPTION(ETalvekException, runner(&owner, 0, broken));
    QVERIFY(!runner.Dialog()->TablePa().isActive());
    QVERIFY(!runner.Dialog()->TableParc().isActive());
}

QTEST_MAIN(TestParcDialog)
#include "tst_parcdialog.moc"
