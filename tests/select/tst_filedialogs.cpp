// The selection folder's dialogs that other windows use. The open and save
// dialogs with the alias bar: filters and extension check, alias jumps and
// alias-form names, the table list of an alias without a directory,
// existence and overwrite checks. The progress windows (bar, cancel with
// confirmation, event pump) and the field choice (reordering by drop).
#include "widgets/MessageDlg.h"
#include "app/TOrvApplication.h"
#include "app/core/TApp.h"
#include "select/TCProcessDlg.h"
#include "select/TFieldsDialog.h"
#include "select/TOpenFileDialog.h"
#include "select/TSaveFileDialog.h"
#include "common/ModalHelpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeView>

namespace {
void touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("12\n");
}

QLineEdit* nameEdit(QFileDialog& dlg)
{
    return dlg.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

const int Server = 2; // the alias without a directory
} // namespace

class TestFileDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup() { SetMessageDlgInterceptor(nullptr); }
    void filterAndAliasBar();
    void okPress_data();
    void okPress();
    void saveRunShowsOpenToWindow();
    void saveRunShowsMaskChoice();
    void progressBar();
    void cancelAskedOnceAndNoContinues();
    void dropMovesSelectedItemOnly();
    void czechLabelsAndColumns();

private:
    void prepare(TOpenFileDialog& dlg, const QString& filter);
    QTemporaryDir m_dir;
    QStringList m_shown;
    int m_answer = mrYes;
    QStringList m_aliases;
    std::shared_ptr<TApp> m_app;
    std::shared_ptr<TApp> app() const { return m_app; }
};

void TestFileDialogs::initTestCase()
{
    m_app = TApp::create();
    const QString root = m_dir.path();
    for (const char* dir : {"okres1/texty", "okres2", "other"})
        QDir(root).mkpath(QString::fromLatin1(dir));
    for (const char* file : {"okres1/texty/cisla.txt", "okres1/seznam.txt", "okres1/seznam.csv",
                             "okres1/velke.TXT", "other/x.txt"})
        touch(root + '/' + QString::fromLatin1(file));
    m_aliases = QStringList{"OKRES1=" + root + "/okres1/", "OKRES2=" + root + "/okres2",
                            QStringLiteral("SERVER=")};
}

void TestFileDialogs::init()
{
    m_shown.clear();
    m_answer = mrYes;
    SetMessageDlgInterceptor([this](const QString& text, TMsgDlgType, TMsgDlgButtons) {
        m_shown.append(text);
        return m_answer;
    });
}

void TestFileDialogs::prepare(TOpenFileDialog& dlg, const QString& filter)
{
    dlg.SetAliasList(m_aliases);
    dlg.SetFilter(filter);
    dlg.SetTableLister([](const QString& alias) {
        return alias == QStringLiteral("SERVER") ? QStringList{"PRAC.DB", "NYSPA001.DB"}
                                                 : QStringList();
    });
    dlg.show();
}

void TestFileDialogs::filterAndAliasBar()
{
    TOpenFileDialog dlg(app());
    prepare(dlg, QStringLiteral("Text (*.txt)|*.txt|Tabulky|*.db;*.DBF"));
    QCOMPARE(dlg.FilterExtensions(), QStringLiteral(".txt;.db;.DBF"));
    QCOMPARE(dlg.defaultSuffix(), QStringLiteral("txt"));
    QCOMPARE(dlg.nameFilters(), (QStringList{"Text (*.txt)", "Tabulky (*.db *.DBF)"}));
    TOpenFileDialog all(app());
    all.SetFilter(QStringLiteral("Vše|*.*"));
    QCOMPARE(all.FilterExtensions(), QStringLiteral(".*"));
    QVERIFY(all.defaultSuffix().isEmpty());

    QCOMPARE(dlg.AliasCB()->count(), 3);
    const QString root = m_dir.path();
    dlg.FolderChange(root + "/okres2");
    QCOMPARE(dlg.AliasCB()->currentText(), QStringLiteral("OKRES2"));
    dlg.FolderChange(root + "/okres1/texty"); // begins with OKRES1's directory
    QCOMPARE(dlg.AliasCB()->currentText(), QStringLiteral("OKRES1"));
    dlg.FolderChange(root + "/okres10"); // a longer name is not inside
    QCOMPARE(dlg.AliasCB()->currentIndex(), -1);
    dlg.AliasCB()->setCurrentIndex(0); // choosing an alias jumps to its directory
    dlg.AliasCBChange(0);
    QCOMPARE(dlg.directory().absolutePath(), root + "/okres1");

    dlg.SetExactMatch(true);
    QCOMPARE(dlg.AliasIndexForFolder(root + "/okres1/texty"), -1);
    QCOMPARE(dlg.AliasIndexForFolder(root + "/okres1/"), 0);

    // An alias without a directory lists its tables; the chosen ones go
    // into the name field. Back to a directory, the file list returns.
    dlg.AliasCBChange(Server);
    QCOMPARE(dlg.TableList()->count(), 2);
    dlg.TableList()->item(0)->setSelected(true);
    dlg.TableList()->item(1)->setSelected(true);
    QCOMPARE(nameEdit(dlg)->text(), QStringLiteral("\"PRAC.DB\" \"NYSPA001.DB\""));
    QVERIFY(dlg.TableList()->isVisible());
    dlg.AliasCBChange(1);
    QVERIFY(!dlg.TableList()->isVisible());
}

void TestFileDialogs::okPress_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("place"); // a folder under the root, or "SERVER"
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("answer");      // to a question
    QTest::addColumn<QString>("result");  // the names chosen; empty: refused
    QTest::addColumn<QString>("message"); // a part of the one message shown

    const auto row = [](const char* tag, bool save, const char* place, const char* name, int answer,
                        const char* result, const char* message) {
        QTest::newRow(tag) << save << QString(place) << QString(name) << answer << QString(result)
                           << QString(message);
    };
    row("alias form inside an alias", false, "okres1/texty", "cisla.txt", 0,
        "OKRES1:/texty/cisla.txt", "");
    row("plain path outside every alias", false, "other", "x.txt", 0, "ROOT/other/x.txt", "");
    row("extension in any case", false, "okres1", "velke.TXT", 0, "OKRES1:/velke.TXT", "");
    row("wrong extension", false, "okres1", "seznam.csv", 0, "", "Chybná přípona souboru");
    row("missing file", false, "okres1", "chybi.txt", 0, "", "nebyl nalezen");
    row("tables of an alias without a directory", false, "SERVER", "\"PRAC.DB\" \"NYSPA001.DB\"", 0,
        "SERVER:PRAC.DB|SERVER:NYSPA001.DB", "");
    row("missing table", false, "SERVER", "CHYBI.DB", 0, "", "Tabulka 'CHYBI.DB' nebyla nalezena");
    row("save: overwrite refused", true, "okres1", "seznam.txt", mrNo, "", "existuje. Přepsat?");
    row("save: overwrite accepted", true, "okres1", "seznam.txt", mrYes, "OKRES1:/seznam.txt",
        "existuje. Přepsat?");
    row("save: missing folder", true, "okres1", "ROOT/chybi/novy.txt", 0, "", "neexistuje");
    row("save: default extension added", true, "okres1", "novy", 0, "OKRES1:/novy.txt", "");
    row("save: table overwrite refused", true, "SERVER", "PRAC.DB", mrNo, "",
        "Tabulka 'PRAC.DB' existuje. Přepsat?");
    row("save: table overwrite accepted", true, "SERVER", "PRAC.DB", mrYes, "SERVER:PRAC.DB",
        "existuje");
}

// Types the name in the folder or alias and presses OK: the dialog closes
// with the names, or stays open after the message.
void TestFileDialogs::okPress()
{
    QFETCH(bool, save);
    QFETCH(QString, place);
    QFETCH(QString, name);
    QFETCH(int, answer);
    QFETCH(QString, result);
    QFETCH(QString, message);
    const QString root = m_dir.path();
    const std::unique_ptr<TOpenFileDialog> dlg(save ? new TSaveFileDialog(app())
                                                    : new TOpenFileDialog(app()));
    dlg->SetMustExist(!save);
    dlg->SetOverwritePrompt(save);
    const bool tables = place == QStringLiteral("SERVER");
    prepare(*dlg, tables ? QStringLiteral("Tabulky|*.db") : QStringLiteral("Text (*.txt)|*.txt"));
    if (tables) {
        dlg->AliasCB()->setCurrentIndex(Server);
        dlg->AliasCBChange(Server);
    } else {
        dlg->setDirectory(root + '/' + place);
        dlg->FolderChange(root + '/' + place);
    }
    m_answer = answer;
    nameEdit(*dlg)->setText(QString(name).replace("ROOT", root));
    dlg->accept();
    QCOMPARE(m_shown.size(), message.isEmpty() ? 0 : 1);
    QVERIFY2(m_shown.join("").contains(message), qPrintable(m_shown.join("")));
    QCOMPARE(dlg->isVisible(), result.isEmpty());
    if (!result.isEmpty()) {
        QCOMPARE(dlg->result(), int(QDialog::Accepted));
        QCOMPARE(dlg->FileNames().join('|'), QString(result).replace("ROOT", root));
    }
}

// The save dialog that other windows run shows "&Do okna" in its alias bar.
void TestFileDialogs::saveRunShowsOpenToWindow()
{
    bool shown = false;
    TestSupport::onNextModal([&](QWidget* modal) {
        auto* box = modal->findChild<QCheckBox*>(QStringLiteral("OpenToWindowCB"));
        shown = box && box->isVisible() && box->text() == QStringLiteral("&Do okna");
        qobject_cast<QDialog*>(modal)->reject();
    });
    const QString name = TSaveFileDialog::Run(app(), QStringLiteral("Text (*.txt)|*.txt"),
                                              QStringLiteral("Uložit"), QString(), false, {});
    QCOMPARE(name, QString());
    QVERIFY(shown);
}

// An export's save dialog shows "Skrýt rodná čísla" as chosen and hands the
// user's change back; forced by the machine, ticked and greyed with the reason.
void TestFileDialogs::saveRunShowsMaskChoice()
{
    for (const bool forced : {false, true}) {
        bool mask = false;
        QString state;
        TestSupport::onNextModal([&](QWidget* modal) {
            auto* box = modal->findChild<QCheckBox*>(QStringLiteral("SkrytRodnaCisla"));
            if (!box)
                return qobject_cast<QDialog*>(modal)->reject();
            state =
                QString("%1%2%3").arg(box->isChecked() ? "+" : "-", box->isEnabled() ? "on" : "off",
                                      box->toolTip().isEmpty() ? "" : " why");
            if (box->isEnabled())
                box->click();
            // Typed as a user would: QFileDialog::selectFile leaves a focused
            // name field alone, and the field has the focus unless the box was
            // clicked.
            modal->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(m_dir.filePath("vystup.csv"));
            qobject_cast<QDialog*>(modal)->accept();
        });
        const QString name = TSaveFileDialog::Run(app(), QStringLiteral("CSV (*.csv)|*.csv"),
                                                  QStringLiteral("Uložit"), QString(), false,
                                                  {false, &mask, forced});
        QVERIFY2(!name.isEmpty(), qPrintable(state));
        QCOMPARE(state, forced ? "+off why" : "-on");
        QVERIFY(mask); // ticked by the click, or forced
    }
}

// The bar shows the nearest whole percent (halves up), also of totals near
// the limit of int, and never more than 100. Events are pumped once the
// interval since the last pump has passed, so that "Storno" is seen.
void TestFileDialogs::progressBar()
{
    TProcessDlg dlg;
    for (const auto& [total, position, percent] : QList<std::array<int, 3>>{
             {3, 1, 33}, {8, 1, 13}, {3, 5, 100}, {2000000000, 1999999999, 100}}) {
        dlg.SetTotal(total);
        dlg.SetPosition(position);
        QCOMPARE(dlg.BarValue(), percent);
    }
    bool delivered = false;
    QTimer::singleShot(0, [&] { delivered = true; });
    dlg.SetPosition(1); // within the interval of the last pump: no events
    QVERIFY(!delivered);
    QThread::msleep(TProcessDlg::PumpInterval + 30);
    dlg.SetPosition(2);
    QVERIFY(delivered);
}

// A run: Storno or Escape ask once whether to stop; No goes on, Yes stops.
void TestFileDialogs::cancelAskedOnceAndNoContinues()
{
    QStringList asked;
    int answer = mrNo;
    SetMessageDlgInterceptor([&](const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons) {
        const bool question = kind == mtConfirmation && buttons == TMsgDlgButtons(mbYes | mbNo);
        asked << (question ? text : QStringLiteral("not a yes/no question: ") + text);
        return answer;
    });
    QWidget main;
    main.show();
    TCProcessDlg dlg(&main);
    dlg.Start(QStringLiteral("Statistika"), 100);
    QCOMPARE(QApplication::activeModalWidget(), &dlg); // other windows are blocked
    QVERIFY(!dlg.Step());
    QVERIFY(asked.isEmpty());

    dlg.findChild<QPushButton*>(QStringLiteral("CancelBtn"))->click();
    QVERIFY(!dlg.Step()); // No: go on
    QCOMPARE(asked, QStringList{QStringLiteral("Chcete přerušit operaci?")});
    QVERIFY(!dlg.Step()); // not asked again without another press
    QCOMPARE(asked.size(), 1);

    // Escape asks the same and does not close the window; Yes stops.
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(dlg.isVisible() && dlg.CancelRequested());
    answer = mrYes;
    QVERIFY(dlg.Step());
    QCOMPARE(asked.size(), 2);
    QCOMPARE(dlg.Position(), 4);

    // A new run starts without a pending request; with no items one step fills the bar.
    dlg.Start(QStringLiteral("Znovu"), -5);
    QVERIFY(!dlg.CancelRequested() && dlg.Total() == 1);
    QVERIFY(!dlg.Step());
    QCOMPARE(dlg.BarValue(), 100);
    dlg.Finish();
    QVERIFY(!dlg.isVisible() && !QApplication::activeModalWidget());

    TProcessDlg plain; // without "Storno" Escape does nothing
    plain.show();
    QTest::keyClick(&plain, Qt::Key_Escape);
    QVERIFY(plain.isVisible());
}

void TestFileDialogs::dropMovesSelectedItemOnly()
{
    TFieldsDialog dlg;
    dlg.resize(300, 300);
    dlg.SetItems({{"A", true}, {"B", false}, {"C", true}, {"D", false}, {"E", true}});
    dlg.show();
    QListWidget* list = dlg.FieldListBox();
    const auto order = [&] {
        QString names;
        for (const auto& item : dlg.Items())
            names += item.first;
        return names;
    };
    const auto on = [&](int row) { return list->visualItemRect(list->item(row)).center(); };

    list->setCurrentRow(-1); // nothing selected: no target anywhere
    QCOMPARE(dlg.DropTargetAt(on(2)), -1);
    list->setCurrentRow(1); // B
    QCOMPARE(dlg.DropTargetAt(on(3)), 3);
    QCOMPARE(dlg.DropTargetAt(on(1)), -1);                 // onto itself
    QCOMPARE(dlg.DropTargetAt(on(4) + QPoint(0, 60)), -1); // below every item

    dlg.DropOn(3); // B down onto D: C and D shift up
    QCOMPARE(order(), QStringLiteral("ACDBE"));
    QCOMPARE(list->currentRow(), 3);
    QVERIFY(!dlg.Items()[3].second); // B keeps its tick
    list->setCurrentRow(4);          // E up onto A
    dlg.DropOn(0);
    QCOMPARE(order(), QStringLiteral("EACDB"));
    QCOMPARE(list->currentItem()->text(), QStringLiteral("E"));
}

// Qt's own texts in Czech once the program's translations are installed; the
// dialog's labels show their mnemonics (a buddy each); the detail columns fit
// their content, dates included.
void TestFileDialogs::czechLabelsAndColumns()
{
    QVERIFY(TOrvApplication::InstallQtTranslations(*qApp));
    const QString date = QCoreApplication::translate("QFileSystemModel", "Date Modified");
    QVERIFY2(date != "Date Modified", qPrintable(date));
    TSaveFileDialog dlg(app());
    for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
        QVERIFY2(dlg.findChild<QLabel*>(name)->buddy(), name);
    touch(m_dir.filePath("sestava s dlouhým názvem.txt"));
    dlg.setViewMode(QFileDialog::Detail);
    dlg.resize(600, 400);
    dlg.setDirectory(m_dir.path());
    dlg.show();
    auto* tree = dlg.findChild<QTreeView*>("treeView");
    QTRY_COMPARE(tree->model()->headerData(3, Qt::Horizontal).toString(), date);
    QTRY_VERIFY(tree->model()->rowCount(tree->rootIndex()) > 0);
    // Size, type and date of every entry whole, and all four columns within
    // the view (nothing cut off at its right).
    QTest::qWait(50);
    for (int r = 0; r < tree->model()->rowCount(tree->rootIndex()); ++r)
        for (int column = 1; column <= 3; ++column) {
            const QString text =
                tree->model()->index(r, column, tree->rootIndex()).data().toString();
            QVERIFY2(tree->columnWidth(column) > tree->fontMetrics().horizontalAdvance(text),
                     qPrintable(text));
        }
    QVERIFY(tree->header()->length() <= tree->viewport()->width());
}

QTEST_MAIN(TestFileDialogs)
#include "tst_filedialogs.moc"
