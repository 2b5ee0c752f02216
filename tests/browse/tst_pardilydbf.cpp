#include "BrowseFixture.h"
#include "app/ProgramEntries.h"
#include "app/TMainOrvForm.h"
#include "data/ParcelNumber.h"
#include "map/core/AreaMapLookup.h"
#include "map/core/MapHitTest.h"
#include "map/core/MarkedParcels.h"
#include "report/ui/PrintTarget.h"
#include "select/TParcSelectDlg.h"
#include "select/core/TConditionSelector.h"
#include "app/core/ListingOptions.h"
#include "common/TestSupport.h"
#include "common/ModalHelpers.h"

#include "widgets/MessageDlg.h"
#include "base/ETalvekException.h"
#include "browse/core/TBrowseGridModel.h"
#include "browse/core/TListingData.h"
#include "browse/TDoplnDlg.h"
#include "browse/TParDilyDbf.h"
#include "browse/core/TMarkSummary.h"
#include "db/Table.h"
#include "map/MapCanvas.h"
#include "map/TMapPrintDlg.h"
#include "map/TMapWindow.h"
#include "map/core/MapStore.h"
#include "output/core/FormLookups.h"
#include "select/TCProcessDlg.h"
#include "widgets/FirstSize.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTableView>
#include <QWindow>
#include <QtTest>

struct ShowSpy : QObject
{
    explicit ShowSpy(QWidget* watched) : QObject(watched) { watched->installEventFilter(this); }
    QStringList titles;
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            titles << static_cast<QWidget*>(object)->windowTitle();
        return false;
    }
};

// The browser over a small controlled area: parts 15/3 (two parts, relation
// 5, protection 302), -20, 16, the older-register 3:40 that refers to 15/3,
// and a placeholder 99 that the area lacks.
class TestParDilyDbf : public QObject
{
    Q_OBJECT

private:
    void go(const QString& parcislo, int pardil = 1)
    {
        m_form->TablePa().setRecNo(rowOf(parcislo, pardil));
    }
    template <typename T> T* child(const char* name) { return m_form->findChild<T*>(name); }
    QString label(const char* name) { return child<QLabel>(name)->text(); }
    QPlainTextEdit* memo() { return child<QPlainTextEdit>("DBMemoText"); }

    QTemporaryDir m_root;
    QString m_ctl = m_root.filePath("ctl");
    QString m_demo = m_root.filePath("demo");
    std::unique_ptr<BrowseFixture> m_fx;
    std::unique_ptr<TParDilyDbf> m_form;
    QStringList m_messages;

    TParDilyDbf& open(int mode, const QStringList& parcels = {"15/3", "-20", "16", "99"})
    {
        const QString work = m_fx->fillWorkTable("CTL", parcels);
        m_form = std::make_unique<TParDilyDbf>(nullptr, m_fx->app(), work, m_fx->area("CTL"));
        m_form->SetupView(mode, 0);
        for (QAbstractItemModel* model :
             std::initializer_list<QAbstractItemModel*>{m_form->GridModel(), m_form->OwnersModel()})
            new QAbstractItemModelTester(
                model, QAbstractItemModelTester::FailureReportingMode::QtTest, m_form.get());
        return *m_form;
    }

    // Runs the modal browser over `work`, handing it to `act` once shown.
    void runModal(const QString& work, const std::function<void(TParDilyDbf*)>& act, int mode = 1,
                  const QString& alias = "CTL")
    {
        TestSupport::onNextModal([&](QWidget* modal) { act(qobject_cast<TParDilyDbf*>(modal)); });
        TParDilyDbf::ExecuteParDily(nullptr, mode, 0, m_fx->app(), work, m_fx->area(alias));
    }

    int rowOf(const QString& parcislo, int pardil)
    {
        Table& pa = m_form->TablePa();
        for (int i = 0; i < pa.recordCount(); ++i) {
            const QVariantList v = pa.rowValues(i);
            if (v.value(pa.fieldIndex("PARCISLO")).toString() == parcislo &&
                v.value(pa.fieldIndex("PARDIL")).toInt() == pardil)
                return i;
        }
        return -1;
    }

    QStringList column(const QString& field)
    {
        Table& pa = m_form->TablePa();
        QStringList values;
        for (int i = 0; i < pa.recordCount(); ++i)
            values << pa.rowValues(i).value(pa.fieldIndex(field)).toString();
        return values;
    }

    QString codeText(const QString& table, int code)
    {
        Table t;
        t.setDatabaseName(m_demo + "/WorkDB");
        t.setTableName(table);
        t.setIndexFieldNames(table == "NIXVYUZ.DB" ? "KOD" : "CIS");
        t.open();
        return t.findKey({code}) ? t.asString("TEXT") : QString();
    }

    // The real area in a fresh copy under the alias "REAL", with its code tables.
    QString realAreaCopy()
    {
        const QString real = m_root.filePath("saladin");
        QDir(real).removeRecursively();
        QDir().mkpath(real);
        for (const QFileInfo& f : QDir(TestSupport::realDistrictDir()).entryInfoList(QDir::Files))
            QFile::copy(f.filePath(), real + "/" + f.fileName());
        qputenv("ORV_WORKDB", TestSupport::realWorkDbDir().toUtf8());
        m_fx->setAliases({{"REAL", real}});
        return real;
    }

private slots:
    void initTestCase() { BrowseFixture::writeDistricts(m_root); }

    void init()
    {
        qputenv("ORV_WORKDB", (m_demo + "/WorkDB").toUtf8());
        m_fx = std::make_unique<BrowseFixture>();
        m_fx->setAliases({{"CTL", m_ctl}});
        for (const char* ext : {"DB", "MB", "PX"})
            QFile::remove(m_ctl + "/ORVTX001." + ext);
        m_messages.clear();
        SetMessageDlgInterceptor([this](const QString& text, TMsgDlgType, TMsgDlgButtons) {
            m_messages << text;
            return int(mrOk);
        });
    }

    void cleanup()
    {
        m_form.reset();
        SetMessageDlgInterceptor(nullptr);
    }

    // The calculated columns take the right fields; the placeholder of a parcel
    // the area lacks is red with "-" and zeros; the code texts and the three
    // protection lines follow the current part, and so does the yellow.
    void gridCellsAndDetailTexts()
    {
        TParDilyDbf& form = open(1);
        TBrowseGridModel* model = form.GridModel();
        QCOMPARE(model->rowCount(), 5);
        const auto cell = [&](int row, const QString& field) {
            for (int c = 0; c < model->columnCount(); ++c)
                if (model->columns().at(c).field == field)
                    return model->data(model->index(row, c)).toString();
            return QStringLiteral("<no column>");
        };
        const QList<std::tuple<const char*, int, const char*, QString>> cells = {
            {"15/3", 1, "PopCis", "  25  p"}, {"15/3", 1, "Vykaz", "12/34"},
            {"15/3", 1, "BONITA", "12345"},   {"-20", 1, "PopCis", "   1/1e"},
            {"99", 0, "MAPA", "-"},           {"99", 0, "Vykaz", "0/0"},
            {"99", 0, "BONITA", "0"},         {"99", 0, "PopCis", ""}};
        for (const auto& [parcel, part, field, text] : cells)
            QVERIFY2(cell(rowOf(parcel, part), field) == text, field);
        const int a = rowOf("15/3", 1), missing = rowOf("99", 0);
        QCOMPARE(model->data(model->index(missing, 3), Qt::BackgroundRole).value<QBrush>().color(),
                 QColor(Qt::red));
        QVERIFY(!model->data(model->index(a, 3), Qt::BackgroundRole).isValid());

        go("15/3");
        QCOMPARE(label("TextDruhP"), codeText("DRUHPOZ.DB", 13));
        QCOMPARE(label("TextVyuz"), codeText("NIXVYUZ.DB", 13020));
        QCOMPARE(label("TextVlVztah"), codeText("VLAVZT.DB", 5));
        // NEMOCHR 302: the third protection moves up to the second line.
        QVERIFY(!codeText("OCHRNEM3.DB", 2).isEmpty());
        QCOMPARE(QStringList({label("TextOchrNem1"), label("TextOchrNem2"), label("TextOchrNem3")}),
                 QStringList({codeText("OCHRNEM1.DB", 3), codeText("OCHRNEM3.DB", 2), ""}));
        go("99", 0);
        QCOMPARE(label("TextOchrNem1") + label("TextVlVztah"), QString());
        open(0);
        go("15/3", 2);
        for (int r = 0; r < m_form->GridModel()->rowCount(); ++r)
            QCOMPARE(m_form->GridModel()->data(m_form->GridModel()->index(r, 0),
                                               Qt::BackgroundRole) == QVariant(QBrush(Qt::yellow)),
                     r == rowOf("15/3", 1) || r == rowOf("15/3", 2));
    }

    // The land sheet of a building part and its owners; the soil, users and
    // older-register pages follow the current part.
    void sheetsAndPagesFollowThePart()
    {
        TParDilyDbf& form = open(1);
        auto* box = child<QCheckBox>("DoplCB");
        TBrowseGridModel* owners = form.OwnersModel();
        const auto owner = [&](int row, int column) {
            return owners->data(owners->index(row, column)).toString();
        };
        go("15/3");
        QVERIFY(!box->isHidden() && box->isChecked() && box->isEnabled());
        QCOMPARE(box->text(), QStringLiteral("&Pozemku na LV 25"));
        QCOMPARE(std::make_pair(form.LandLV(), form.OwnLV()), std::make_pair(25, 10));
        // Sheet 25: one owner missing from the owner table.
        QCOMPARE(owners->rowCount(), 1);
        QCOMPARE(owner(0, 0) + " " + owner(0, 2), QStringLiteral("1/1 nenalezen"));
        // Clearing the box shows the own sheet 10; the second owner's name comes
        // from the row with the same IDENT and a lower characteristic (the
        // nearest later row is 444's), and the listings and the forms name him
        // alike.
        box->click();
        QCOMPARE(owners->rowCount(), 2);
        QCOMPARE(owner(0, 2), QStringLiteral("Novák Jan"));
        QCOMPARE(owner(1, 0) + " " + owner(1, 2), QStringLiteral("1/2 Svoboda Petr"));
        TListingData listing(m_fx->area("CTL"), m_fx->workDir());
        Table oborg;
        oborg.setDatabaseName("CTL");
        oborg.setTableName("NYSOBORG.DB");
        oborg.setIndexFieldNames("IDENT;UVCHAR");
        oborg.open();
        for (const auto& [ident, uvchar, name] : {std::tuple{222.0, 2, "Svoboda Petr"},
                                                  {222.0, 9, "Svoboda Petr"},
                                                  {333.0, 1, "nenalezen"}}) {
            QCOMPARE(listing.OwnerName(ident, uvchar), QString::fromUtf8(name));
            QCOMPARE(OwnerNameFrom(oborg, ident, uvchar), QString::fromUtf8(name));
        }
        QCOMPARE(label("Charak"), codeText("CHARUV.DB", 1));
        box->click();
        QCOMPARE(owners->rowCount(), 1);
        // A part with another relation hides the box and shows its own sheet.
        go("16");
        QVERIFY(box->isHidden());
        QCOMPARE(owners->rowCount(), 2);

        go("15/3");
        child<QRadioButton>("RGBonita")->click();
        QCOMPARE(form.QueryBonity().recordCount(), 1);
        QCOMPARE(form.QueryBonity().asString("BONITA"), QStringLiteral("12345"));
        // The sector follows the part: 16 has no users, 15/3 one of sector 3.
        go("16");
        child<QRadioButton>("RGUziv")->click();
        QCOMPARE(label("Sektor"), QString());
        go("15/3");
        QCOMPARE(form.TableUz().recordCount(), 1);
        QCOMPARE(form.TableUz().asString("Nazev"), QStringLiteral("Uživatel Ústí"));
        QVERIFY(!codeText("SEKTOR.DB", 3).isEmpty());
        QCOMPARE(label("Sektor"), codeText("SEKTOR.DB", 3));
        go("16");
        QCOMPARE(label("Sektor"), QString());
        go("15/3");
        child<QRadioButton>("RGPK")->click();
        auto* add = child<QPushButton>("AddPKBtn");
        QCOMPARE(form.QueryPK().recordCount(), 1);
        QVERIFY(add->isEnabled());
        go("16");
        QVERIFY(!add->isEnabled());
        go("15/3");
        add->click();
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(form.TablePa().recordCount(), 6);
        // A part of an older register has no older-register page.
        go("3:40");
        QVERIFY(!add->isEnabled());
        QVERIFY(!form.QueryPK().isActive());
    }

    void marksByButtonAndDoubleClick()
    {
        TParDilyDbf& form = open(1);
        auto* button = child<QPushButton>("FlagBtn");
        const auto unmarkedOnDisk = [&] { // FLAG is the work table's last field
            int unmarked = 0;
            for (const QVariantList& row : ParadoxReader(m_fx->workTablePath()).readAll())
                unmarked += !row.last().toBool();
            return unmarked;
        };
        const auto shown = [&] { return child<QLabel>("MarkSummary")->text(); };
        QCOMPARE(shown(), "Označeno: 5 z 5 dílů, výměra 0,0950 ha");
        QCOMPARE(button->text(), QStringLiteral("&Odznačit"));
        QVERIFY(form.ProcessDlg() && form.ProcessDlg()->parent() == &form);
        auto* progress = new ShowSpy(form.ProcessDlg());
        button->click(); // a fresh window: clears every mark, showing the progress
        QCOMPARE(progress->titles, QStringList{"Odznačení všech dílů"});
        QVERIFY(form.ProcessDlg()->isHidden());
        QCOMPARE(unmarkedOnDisk(), 5);
        QCOMPARE(shown(), "Označeno: 0 z 5 dílů, výměra 0,0000 ha");
        QCOMPARE(button->text(), QStringLiteral("&Označit"));
        button->click();
        QCOMPARE(unmarkedOnDisk(), 0);
        QCOMPARE(button->text(), QStringLiteral("&Odznačit"));
        // A double click inverts the mark of one row only.
        const int row = rowOf("16", 1);
        form.DBGridPaDblClick(row);
        QCOMPARE(unmarkedOnDisk(), 1);
        QCOMPARE(form.GridModel()->data(form.GridModel()->index(row, 0), Qt::ForegroundRole),
                 QVariant(QBrush(QColor(192, 192, 192))));
        form.DBGridPaDblClick(row);
        QCOMPARE(unmarkedOnDisk(), 0);
        // Space inverts the current part's mark, Insert marks it and moves
        // down; the first column's check box shows the mark on the highlighted
        // row too; the count under the grid follows and agrees with the table.
        auto* grid = child<QTableView>("DBGridPa");
        const QModelIndex first = form.GridModel()->index(row, 0);
        form.TablePa().setRecNo(row);
        QTest::keyClick(grid, Qt::Key_Space);
        QCOMPARE(unmarkedOnDisk(), 1);
        QCOMPARE(first.data(Qt::CheckStateRole), QVariant(Qt::Unchecked));
        QVERIFY2(shown().startsWith("Označeno: 4 z 5 dílů"), qPrintable(shown()));
        QCOMPARE(shown(), TMarkSummary::Read(m_fx->workTablePath()).Text());
        QCOMPARE(grid->currentIndex().row(), row);
        QTest::keyClick(grid, Qt::Key_Insert);
        QCOMPARE(unmarkedOnDisk(), 0);
        QCOMPARE(first.data(Qt::CheckStateRole), QVariant(Qt::Checked));
        QCOMPARE(shown(), "Označeno: 5 z 5 dílů, výměra 0,0950 ha");
        QCOMPARE(form.TablePa().recNo(), row + 1);
        QCOMPARE(grid->currentIndex().row(), row + 1);
        QTest::keyClick(grid, Qt::Key_Insert); // an already marked part stays marked
        QCOMPARE(unmarkedOnDisk(), 0);
        // Reopening the data returns the toggle to clearing.
        button->click();
        form.OpenData(true);
        QCOMPARE(button->text(), QStringLiteral("&Odznačit"));
    }

    // Sorting by a title (twice: the index exists then); the house number sorts
    // by CPCE; a column that cannot be sorted says so and keeps the order.
    void sortingByTitles()
    {
        open(1);
        const auto sortBy = [&](const QString& field, const QString& shown) {
            const auto& columns = m_form->GridModel()->columns();
            for (int c = 0; c < columns.size(); ++c)
                if (columns.at(c).field == field)
                    emit child<QTableView>("DBGridPa")->horizontalHeader()->sectionClicked(c);
            return column(shown).join(' ');
        };
        QCOMPARE(sortBy("VYMERA", "VYMERA"), "0 50 100 300 500");
        QCOMPARE(sortBy("VYMERA", "VYMERA"), "0 50 100 300 500");
        QVERIFY(sortBy("PopCis", "CPCE").endsWith(" 10001"));
        const QString before = column("PARCISLO").join(' ');
        QCOMPARE(sortBy("MAPA", "PARCISLO"), before);
        QCOMPARE(m_messages, QStringList{"Podle položky \" Mapa \" nelze třídit."});
        QCOMPARE(sortBy("PARCISLO", "PARCISLO"), "-20 15/3 15/3 16 99");
    }

    // Moving to another part stores the text (quotes, line breaks, 3000
    // characters); a character outside the table's code page is refused there,
    // not cut: the text stays in the editor, the part and the page stay current.
    void ownTextsStoredOnMoving()
    {
        open(1);
        QVERIFY(QFile::exists(m_ctl + "/ORVTX001.DB")); // created on first use
        const QString text =
            "Věta s \"uvozovkami\", 'apostrofy';\nnový řádek\r\n" + QString(3000, u'ž');
        go("15/3");
        memo()->setPlainText(text);
        go("16");
        QCOMPARE(memo()->toPlainText(), QString());
        memo()->setPlainText("smajlík 😀");
        go("-20");
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.first().startsWith("Vlastní text nelze uložit"));
        QCOMPARE(memo()->toPlainText(), QStringLiteral("smajlík 😀"));
        QCOMPARE(m_form->TablePa().recNo(), rowOf("16", 1));
        QVERIFY_THROWS_EXCEPTION(ETalvekException, m_form->PostOwnText());
        child<QRadioButton>("RGBonita")->click();
        QCOMPARE(m_messages.size(), 2);
        QVERIFY(child<QRadioButton>("RGText")->isChecked());
        memo()->clear();
        m_form.reset();
        open(1);
        go("15/3");
        QCOMPARE(memo()->toPlainText(), QPlainTextEdit(text).toPlainText());
    }

    void ownTextKeptOnEveryClose_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty: stored, else part of the refusal
        QTest::newRow("close box")
            << "close box" << QString("Sloupec\tdruhý\ttřetí\nřádek") << QString();
        QTest::newRow("Storno") << "Storno" << QString(20000, u'ř') + "\nkonec" << QString();
        QTest::newRow("Esc") << "Esc" << QString("Čeština ěščřžýáíé") << QString();
        QTest::newRow("close box, outside 1250")
            << "close box" << QString("první\nhvězda ★ na druhém")
            << "znak \"★\" na 2. řádku nelze zapsat v kódové stránce 1250 tabulky \"ORVTX001.DB\"";
        QTest::newRow("Storno, emoji")
            << "Storno" << QString("smajlík 😀") << "znak \"😀\" na 1. řádku";
    }

    // Typed into the real editor of the shown browser, closed one way, and read
    // back by a new browser over the same area; a refused text keeps the window.
    void ownTextKeptOnEveryClose()
    {
        QFETCH(QString, way);
        QFETCH(QString, text);
        QFETCH(QString, message);
        const QString work = m_fx->fillWorkTable("CTL", {"15/3", "16"});
        bool stayedOpen = false;
        runModal(work, [&](TParDilyDbf* form) {
            auto* memo = form->findChild<QPlainTextEdit*>("DBMemoText");
            memo->setFocus();
            memo->insertPlainText(text);
            if (way == "close box")
                form->windowHandle()->close();
            else if (way == "Storno")
                form->findChild<QPushButton*>("CancelBtn")->click();
            else
                QTest::keyClick(memo, Qt::Key_Escape);
            stayedOpen = form->isVisible();
            if (stayedOpen) { // the refused text is still there; give it up
                memo->clear();
                form->findChild<QPushButton*>("CancelBtn")->click();
            }
        });
        QCOMPARE(stayedOpen, !message.isEmpty());
        TParDilyDbf again(nullptr, m_fx->app(), work, m_fx->area("CTL"));
        const QString stored = again.findChild<QPlainTextEdit*>("DBMemoText")->toPlainText();
        QCOMPARE(stored, message.isEmpty() ? text : QString());
        QCOMPARE(m_messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QVERIFY2(m_messages.first().startsWith("Vlastní text nelze uložit: " + message),
                     qPrintable(m_messages.first()));
    }

    // Enter in the parts grid while the older-register page offers its button:
    // no button is the default one, so the work table keeps its rows.
    void enterInGridNeverAddsParts()
    {
        int rows = -1;
        QStringList defaults;
        bool offered = false;
        runModal(m_fx->fillWorkTable("CTL", {"15/3", "16"}), [&](TParDilyDbf* form) {
            form->findChild<QRadioButton*>("RGPK")->click();
            offered = form->findChild<QPushButton*>("AddPKBtn")->isEnabled();
            auto* grid = form->findChild<QTableView*>("DBGridPa");
            grid->setFocus();
            QTest::keyClick(grid, Qt::Key_Return);
            QTest::keyClick(grid, Qt::Key_Enter, Qt::KeypadModifier);
            rows = form->TablePa().recordCount();
            for (QPushButton* button : form->findChildren<QPushButton*>())
                if (button->isDefault())
                    defaults << button->objectName();
            form->findChild<QPushButton*>("CancelBtn")->click();
        });
        QVERIFY(offered);
        QCOMPARE(defaults, QStringList());
        QCOMPARE(rows, 3);
        QVERIFY(m_messages.isEmpty());
    }

    // The real area in a copy: opening and closing the browser leaves a complete
    // own-text set that our reader opens; a text closed by the close box is there
    // after reopening, and emptying it keeps the .MB.
    void realAreaOwnTextTableSet()
    {
        const QString real = realAreaCopy();
        const QString work = m_fx->fillWorkTableWithArea("REAL");
        const auto typeAndClose = [&](const QString& text) {
            QString shown;
            runModal(
                work,
                [&](TParDilyDbf* form) {
                    auto* memo = form->findChild<QPlainTextEdit*>("DBMemoText");
                    shown = memo->toPlainText();
                    if (!text.isNull()) {
                        memo->selectAll();
                        memo->insertPlainText(text);
                    }
                    form->windowHandle()->close();
                },
                0, "REAL");
            return shown;
        };
        typeAndClose(QString());
        for (const char* ext : {"DB", "MB", "PX"})
            QVERIFY2(QFile::exists(real + "/ORVTX001." + ext), ext);
        typeAndClose(QStringLiteral("Mez sporná\tviz spis"));
        QCOMPARE(typeAndClose(""), QStringLiteral("Mez sporná\tviz spis"));
        QCOMPARE(typeAndClose(QString()), QString());
        QVERIFY(QFile::exists(real + "/ORVTX001.MB"));
        Table stored; // our table and our reader both see the one emptied text
        stored.setDatabaseName(real);
        stored.setTableName("ORVTX001.DB");
        stored.open();
        QCOMPARE(stored.recordCount() + stored.asString("TEXT").size(), 1);
        QCOMPARE(int(ParadoxReader(real + "/ORVTX001.DB").header().recordCount), 1);
        QVERIFY(m_messages.isEmpty());
    }

    // First sizes: what the content wants, at least the minimum, within the
    // screen's free area; a 1600 x 1000 screen gives the browser its height.
    // The supplementary records open with every column whole.
    void firstSizes()
    {
        const QRect large(0, 0, 1600, 960), small(0, 0, 800, 570);
        QCOMPARE(FirstWindowSize({812, 816}, {542, 480}, large), QSize(812, 816));
        QCOMPARE(FirstWindowSize({812, 816}, {542, 480}, small), QSize(800, 570));
        QCOMPARE(FirstWindowSize({300, 200}, {542, 480}, large), QSize(542, 480));
        realAreaCopy();
        Query sheets;
        sheets.setDatabaseName("REAL");
        sheets.setSql("SELECT DLVCIS FROM \"NYSVL001.DB\" ORDER BY DLVCIS");
        sheets.open();
        TDoplnDlg records(nullptr, m_fx->app(), "REAL", "001", int(sheets.asInteger("DLVCIS")), 0,
                          0);
        records.show();
        QVERIFY(QTest::qWaitForWindowExposed(&records));
        auto* grid = records.findChild<QTableView*>("DBGridVl");
        QVERIFY(grid->model()->rowCount() > 0);
        QVERIFY2(grid->horizontalHeader()->length() <= grid->viewport()->width(),
                 qPrintable(QString::number(records.width())));
    }

    // At its default size every column with its caption fits the grid; on a
    // 1600 x 1000 screen the grid takes the height; the size is kept for the
    // next browser.
    void resizableWithReadableCaptions()
    {
        realAreaCopy();
        const QString work = m_fx->fillWorkTableWithArea("REAL");
        m_form = std::make_unique<TParDilyDbf>(nullptr, m_fx->app(), work, m_fx->area("REAL"));
        m_form->SetupView(0, 0);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        auto* grid = child<QTableView>("DBGridPa");
        QHeaderView* header = grid->horizontalHeader();
        const int margins =
            2 * grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int c = 0; c < header->count(); ++c) {
            const QString title = m_form->GridModel()->columns().at(c).title;
            QVERIFY2(header->sectionSize(c) >=
                         header->fontMetrics().horizontalAdvance(title) + margins,
                     qPrintable(title));
        }
        QVERIFY(header->length() <= grid->viewport()->width());
        const int rowsAtDefault = grid->viewport()->height() / grid->rowHeight(0);
        // Maximised where the screen is 1600 x 1000 (an offscreen configfile with
        // such a screen), else given that size.
        if (m_form->screen()->geometry().size() == QSize(1600, 1000))
            m_form->showMaximized();
        else
            m_form->resize(1600, 1000);
        QTest::qWait(50);
        const int rows = grid->viewport()->height() / grid->rowHeight(0);
        QVERIFY2(rows >= 2 * rowsAtDefault && rows >= 25, qPrintable(QString::number(rows)));
        const QSize size = m_form->normalGeometry().size();
        const bool maximized = m_form->isMaximized();
        m_form.reset(); // saves the size
        m_form = std::make_unique<TParDilyDbf>(nullptr, m_fx->app(), work, m_fx->area("REAL"));
        QCOMPARE(std::make_pair(m_form->size(), m_form->isMaximized()),
                 std::make_pair(size, maximized));
    }

    // "Mapa" (Alt+M) shows only when the area has a map, and opens it as the
    // browser's own window, once. The map and the browser stay in step over
    // the work table: a double click on the map makes the parcel's part
    // current (or says in the map's panel that the work table lacks it), a
    // pick re-reads the grid and the count of marks, a Ctrl+click beside
    // every parcel writes nothing. A damaged map file is told once: the
    // button then hides, for this browser and the next.
    void mapAndBrowserInStep()
    {
        const QString mapDir = m_root.filePath("mapy");
        qputenv("ORV_MAP_DIR", mapDir.toLocal8Bit());
        auto button = [&] { return m_form->findChild<QPushButton*>("MapaBtn"); };
        open(1, {"16", "-20"});
        QVERIFY(button() && button()->isHidden());
        MapArea map;
        map.code = "600001";
        map.name = "Katastr CTL";
        // Parcels 16, 15/3 and -20 side by side, 100 m squares.
        const QList<std::array<int, 3>> keys = {{2, 16, 0}, {2, 15, 3}, {1, 20, 0}};
        for (int i = 0; i < keys.size(); ++i) {
            MapParcel parcel;
            parcel.group = keys[i][0];
            parcel.stem = keys[i][1];
            parcel.subdivision = keys[i][2];
            const QRectF r(-750000 + 100 * i, -1050000, 100, 100);
            const QPolygonF ring({r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()});
            parcel.parts.append(MapPolygon{{ring}});
            parcel.bounds = r;
            map.parcels.append(parcel);
            map.extent |= r;
        }
        MapStore(mapDir).write(map);
        open(1, {"16", "-20"});
        m_form->show();
        QVERIFY(!button()->isHidden());
        QCOMPARE(button()->shortcut(), QKeySequence("Alt+M"));
        button()->click();
        button()->click();
        const QList<TMapWindow*> maps = m_form->findChildren<TMapWindow*>();
        QCOMPARE(maps.size(), 1);
        TMapWindow* window = maps[0];
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QString("Mapa – Katastr CTL"));
        auto info = [&] { return window->findChild<QLabel*>("ParcelInfo")->text(); };
        auto current = [&] { return m_form->TablePa().asString("PARCISLO"); };

        go("-20");
        emit window->canvas()->parcelDoubleClicked(0);
        QCOMPARE(current(), QString("16"));
        emit window->canvas()->parcelDoubleClicked(1);
        QCOMPARE(current(), QString("16"));
        QVERIFY2(info().startsWith("Parcela 15/3 není v pracovní tabulce"), qPrintable(info()));

        QSignalSpy written(window, &TMapWindow::workTableWritten);
        MapCanvas* canvas = window->canvas();
        QTest::mouseClick(canvas, Qt::LeftButton, Qt::ControlModifier, QPoint(2, 2));
        QCOMPARE(written.count(), 0);
        const QString before = label("MarkSummary");
        QCOMPARE(m_form->GridModel()->rowCount(), 2);
        const QPoint middle = canvas->view().toDevice(QPointF(-749850, -1049950)).toPoint();
        QTest::mouseClick(canvas, Qt::LeftButton, Qt::ControlModifier, middle);
        QCOMPARE(written.count(), 1);
        QCOMPARE(m_form->GridModel()->rowCount(), 4); // both parts of 15/3
        QVERIFY(label("MarkSummary") != before);
        QCOMPARE(label("MarkSummary"), TMarkSummary::Read(m_fx->workTablePath()).Text());
        emit window->canvas()->parcelDoubleClicked(1);
        QCOMPARE(current(), QString("15/3"));
        QCOMPARE(child<QTableView>("DBGridPa")->currentIndex().row(), m_form->TablePa().recNo());
        // From a map of the main window: a browser of its own on that part.
        QString shown;
        TestSupport::onNextModal([&](QWidget* modal) {
            shown = qobject_cast<TParDilyDbf*>(modal)->TablePa().asString("PARCISLO");
            modal->close();
        });
        TParDilyDbf::ExecuteParDilyAt(nullptr, 1, m_fx->app(), m_fx->workTablePath(),
                                      m_fx->area("CTL"), 2, 15, 3);
        QCOMPARE(shown, QString("15/3"));
        // The soil-quality layer switched on stays on for the next map.
        QVERIFY(!(window->Layers() & MapPainter::SoilQuality));
        window->findChild<QAction*>("VrstvaBpej")->trigger();
        QVERIFY(window->Layers() & MapPainter::SoilQuality);
        open(1, {"16"});
        m_form->show();
        button()->click();
        QVERIFY(m_form->findChild<TMapWindow*>()->Layers() & MapPainter::SoilQuality);
        QVERIFY(m_messages.isEmpty());

        // A damaged map file: one message, then no button.
        m_form.reset();
        QFile damaged(MapStore(mapDir).pathOf("600001"));
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write(QByteArray("not a GeoPackage").repeated(100));
        damaged.close();
        open(1, {"16"});
        QVERIFY(!button()->isHidden());
        m_form->show();
        button()->click();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].contains("600001.gpkg") && m_messages[0].contains("bez mapy"),
                 qPrintable(m_messages[0]));
        QVERIFY(button()->isHidden());
        QVERIFY(m_form->findChildren<TMapWindow*>().isEmpty());
        open(1, {"16"});
        QVERIFY(button()->isHidden());
        QCOMPARE(m_messages.size(), 1);
        qunsetenv("ORV_MAP_DIR");
    }

    // The Saladín sample with its map from the VFK files, through the real
    // windows: the selection by conditions (built-up land) ends with "Mapa"
    // and the main window opens the map on it; a click identifies a parcel;
    // the browser's own map picks three parcels with a Ctrl-dragged
    // rectangle, and the browser shows them as the only marked parts; the
    // view goes to a PDF file at 1:2000. With ORV_SHOTS_DIR set the windows
    // are saved there as PNG files (run under Xvfb to look at them).
    void walkThroughSaladinWithItsMap()
    {
        const QString vfk = QStringLiteral(ORV_SAMPLES_DIR "/vfk/");
        if (!QFile::exists(vfk + "789160-mapa.vfk"))
            QSKIP("the Saladín VFK files are not in the samples");
        if (PrintTarget::HasPrinter())
            QSKIP("a printer exists: printing would ask in the print dialog");
        const QString shots = qEnvironmentVariable("ORV_SHOTS_DIR");
        auto shot = [&](QWidget* w, const char* name) {
            QApplication::processEvents(); // the layouts, as the user sees them
            if (!shots.isEmpty())
                QVERIFY(w->grab().save(shots + "/" + name + ".png"));
        };
        const QString mapDir = m_root.filePath("mapy-saladin");
        qputenv("ORV_MAP_DIR", mapDir.toLocal8Bit());
        QProcess tool;
        tool.start(TestSupport::orvToolPath(),
                   {"map", "import", vfk + "789160.vfk", vfk + "789160-mapa.vfk"});
        QVERIFY(tool.waitForFinished(60000) && tool.exitCode() == 0);
        realAreaCopy();
        const TKUInfo saladin{"REAL", "Prachatice", "Záblatí", "Saladín", "001", "789160"};

        // The selection by conditions, ended with "Mapa".
        TMainOrvForm main(m_fx->app(), m_fx->registry(), ProgramEntries());
        main.setAttribute(Qt::WA_DeleteOnClose, false);
        main.AddKU(saladin);
        main.show();
        TestSupport::onNextModal([&](QWidget* modal) {
            auto* dlg = qobject_cast<TParcSelectDlg*>(modal);
            dlg->CBoxName()->setCurrentIndex(dlg->Selector().FieldPosition("DRUHPOZ"));
            dlg->CBoxRelace()->setCurrentText("=");
            (dlg->Notebook()->currentIndex() == 0 ? dlg->DBLookupCB()->lineEdit() : dlg->Edit())
                ->setText("13");
            dlg->Button("AddBtn")->click();
            QVERIFY(dlg->Button("MapaBtn")->isVisible());
            shot(dlg, "1-vyber-podle-podminek");
            dlg->Button("MapaBtn")->click();
        });
        main.SestavaClick(5);
        QCOMPARE(main.findChildren<TMapWindow*>().size(), 1);
        TMapWindow* fromSelection = main.findChildren<TMapWindow*>()[0];
        fromSelection->resize(1200, 800);
        QVERIFY(QTest::qWaitForWindowExposed(fromSelection));
        const QSet<qint64> selected = ReadWorkTableParcels(m_fx->workTablePath()).all;
        QVERIFY(!selected.isEmpty());

        // Identify: a click on the largest parcel wholly in view.
        const MapArea map = ReadAreaMap("789160", "Saladín");
        MapCanvas* canvas = fromSelection->canvas();
        canvas->renderNow();
        const QRectF inView = canvas->view().visibleWorld();
        int largest = -1;
        for (int i : MapHitTest(map).parcelsIn(inView))
            if (inView.contains(map.parcels[i].bounds) &&
                (largest < 0 || map.parcels[i].officialArea > map.parcels[largest].officialArea))
                largest = i;
        QVERIFY(largest >= 0);
        QPointF inside = map.parcels[largest].bounds.center();
        for (double dy = 0; !MapHitTest::contains(map.parcels[largest], inside) && dy < 200;
             dy += 2)
            inside = map.parcels[largest].bounds.center() + QPointF(0, dy);
        QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier,
                          canvas->view().toDevice(inside).toPoint());
        const QString identified = fromSelection->findChild<QLabel*>("ParcelInfo")->text();
        QVERIFY2(identified.startsWith("Parcela: ") && identified.contains("Druh pozemku: "),
                 qPrintable(identified));
        canvas->renderNow();
        shot(fromSelection, "2-mapa-z-vyberu-identifikace");
        fromSelection->close();

        // The browser over the selection, every mark cleared, and its map.
        m_form =
            std::make_unique<TParDilyDbf>(nullptr, m_fx->app(), m_fx->workTablePath(), saladin);
        m_form->SetupView(1, 0);
        m_form->show();
        child<QPushButton>("FlagBtn")->click(); // "Odznačit vše"
        QVERIFY(label("MarkSummary").startsWith("Označeno: 0 z"));
        child<QPushButton>("MapaBtn")->click();
        TMapWindow* window = m_form->findChild<TMapWindow*>();
        QVERIFY(window);
        window->resize(1200, 800);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        // Three neighbouring parcels outside the selection, found by a
        // square grown around each parcel until it touches three.
        QRectF band;
        QList<int> three;
        for (int i = 0; i < map.parcels.size() && three.isEmpty(); ++i)
            for (double r = 2; r < 60 && three.isEmpty(); r += 2) {
                const QPointF c = map.parcels[i].bounds.center();
                const QList<int> found =
                    MapHitTest(map).parcelsIn(QRectF(c - QPointF(r, r), c + QPointF(r, r)));
                if (found.size() > 3)
                    break;
                bool outside = found.size() == 3;
                for (int f : found)
                    outside = outside && !selected.contains(MapParcelCode(map.parcels[f]));
                if (outside) {
                    three = found;
                    band = QRectF(c - QPointF(r, r), c + QPointF(r, r));
                }
            }
        QCOMPARE(three.size(), 3);
        canvas = window->canvas();
        canvas->showWorld(band.adjusted(-60, -60, 60, 60));
        canvas->renderNow();
        const QPoint from = canvas->view().toDevice(band.topLeft()).toPoint();
        const QPoint to = canvas->view().toDevice(band.bottomRight()).toPoint();
        QTest::mousePress(canvas, Qt::LeftButton, Qt::ControlModifier, from);
        QTest::mouseMove(canvas, (from + to) / 2);
        QTest::mouseMove(canvas, to);
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::ControlModifier, to);
        QVERIFY2(label("MarkSummary").startsWith("Označeno: 3 z"),
                 qPrintable(label("MarkSummary")));
        QStringList marked;
        Table& pa = m_form->TablePa();
        for (int r = 0; r < pa.recordCount(); ++r)
            if (pa.rowValues(r).value(pa.fieldIndex("FLAG")).toBool())
                marked << pa.rowValues(r).value(pa.fieldIndex("PARCISLO")).toString();
        QStringList expected;
        for (int f : three)
            expected << FormatParcelNumber(map.parcels[f].group, map.parcels[f].stem,
                                           map.parcels[f].subdivision);
        std::sort(marked.begin(), marked.end());
        std::sort(expected.begin(), expected.end());
        QCOMPARE(marked, expected);
        QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier,
                          canvas->view().toDevice(band.center()).toPoint());
        canvas->renderNow();
        shot(window, "3-mapa-z-prohlizece-tri-vybrane");
        // The soil-quality layer on, for the screen and the print.
        window->findChild<QAction*>("VrstvaBpej")->trigger();
        canvas->renderNow();
        shot(window, "3b-mapa-bpej");
        const MapParcel& first = map.parcels[three.first()];
        QVERIFY(m_form->ShowParcel(first.group, first.stem, first.subdivision));
        shot(m_form.get(), "4-prohlizec-tri-oznacene");

        // The browser's marks reach the map: the current part unmarked in the
        // grid and marked again.
        QVERIFY(window->Identify(three.first()).endsWith("Ve výběru."));
        m_form->DBGridPaDblClick(m_form->TablePa().recNo());
        QTRY_VERIFY(window->Identify(three.first()).endsWith("Není ve výběru."));
        m_form->DBGridPaDblClick(m_form->TablePa().recNo());
        QTRY_VERIFY(window->Identify(three.first()).endsWith("Ve výběru."));

        // The view printed to PDF through the print dialog: A4 landscape
        // at 1:2000, remembered for the next print.
        const QString pdf = shots.isEmpty() ? m_root.filePath("mapa.pdf") : shots + "/6-tisk.pdf";
        QFile::remove(pdf);
        PrintTarget::SetFileAsker([&](QWidget*, const QString&) { return pdf; });
        TestSupport::onNextModal([&](QWidget* modal) {
            modal->findChild<QComboBox*>("PaperBox")->setCurrentText("A4");
            modal->findChild<QComboBox*>("OrientationBox")->setCurrentText("Na šířku");
            modal->findChild<QComboBox*>("ScaleBox")->setCurrentText("1:2000");
            shot(modal, "5-tisk-dialog");
            modal->findChild<QPushButton*>("OKBtn")->click();
        });
        window->Print();
        PrintTarget::SetFileAsker(nullptr);
        QFile written(pdf);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains("/MediaBox [0 0 842.000000 595.000000]"));
        QCOMPARE(TMapPrintDlg::Stored(m_fx->app().get()).scale, 2000);
        if (auto* notice = window->findChild<QMessageBox*>("FileWrittenNotice"))
            notice->close();
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('\n')));
        m_form.reset();
        qunsetenv("ORV_MAP_DIR");
    }

    // A damaged own-text table: the browser opens without texts and says why on
    // the text page; the file is never replaced.
    void damagedOwnTextTableLeftAlone()
    {
        const QByteArray garbage = QByteArray("not a Paradox table").repeated(40);
        QFile damaged(m_ctl + "/ORVTX001.DB");
        QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write(garbage) == garbage.size());
        damaged.close();
        TParDilyDbf& form = open(1);
        QVERIFY(!memo()->isEnabled());
        QVERIFY2(memo()->placeholderText().contains("ORVTX001.DB"),
                 qPrintable(memo()->placeholderText()));
        go("16");
        child<QRadioButton>("RGBonita")->click();
        child<QRadioButton>("RGText")->click();
        form.close();
        QVERIFY(damaged.open(QIODevice::ReadOnly));
        QCOMPARE(damaged.readAll(), garbage);
        QVERIFY(m_messages.isEmpty());
    }

    // A missing records table: the supplement dialog refuses, naming the file.
    void supplementOfAMissingTableRefused()
    {
        QDir().mkpath(m_root.filePath("ctl/none"));
        m_fx->setAliases({{"CTL", m_ctl}, {"EMPTY", m_root.filePath("ctl/none")}});
        QVERIFY(TestSupport::refusal([&] {
                    ShowLVSupplement(m_fx->app(), "EMPTY", "001", 10, -1, nullptr, 0, 0);
                }).endsWith("NYSVL001.DB\nSoubor nebyl nalezen"));
    }

    // "&Výměry" shows the sums of the marked parts; "&Tisk" through the output
    // options writes the chosen listing into the typed file.
    void listingAndAreaSummaryFromButtons()
    {
        open(1, {"15/3", "16"});
        QStringList values;
        TestSupport::onNextModal([&](QWidget* modal) {
            for (const char* name : {"Value0", "Value2", "Value13", "Value1", "CountCP", "CountCE"})
                values << modal->findChild<QLabel*>(name)->text();
            modal->findChild<QPushButton*>("CancelBtn")->click();
        });
        m_form->VymeryBtnClick();
        QCOMPARE(values, (QStringList{"      0.0850     3", "      0.0350     2",
                                      "      0.0500     1", "      0.0350     2", "1", "0"}));
        const QString file = m_fx->path("full.txt");
        TestSupport::onNextModal([&](QWidget* modal) {
            modal->findChild<QRadioButton*>("TypSestavy1")->click();
            modal->findChild<QCheckBox*>("Strankovat")->click();
            modal->findChild<QLineEdit*>("EditMaxNumLn")->setText("50");
            modal->findChild<QCheckBox*>("CheckBoxFile")->click();
            modal->findChild<QLineEdit*>("FileName")->setText(file);
            modal->findChild<QPushButton*>("OKBtn")->click();
        });
        m_form->TiskBtnClick();
        ListingOptions::resetListingOptions();
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(written.readAll());
        QCOMPARE(text.count("VÝPIS ÚDAJŮ Z KATASTRU NEMOVITOSTÍ"), 3); // paged: a title per part
        QVERIFY(text.contains("  Údaje o dílu 2 parcely číslo 15/3 skupiny 2: "));
        QVERIFY(m_messages.isEmpty());
        // The written listing says where it went, with the folder offered.
        auto* notice = m_form->findChild<QMessageBox*>("FileWrittenNotice");
        QVERIFY(notice && notice->isVisible());
        QCOMPARE(notice->text(), "Sestava byla zapsána do souboru:\n" + file);
        QCOMPARE(notice->buttons().size(), 2);
        notice->close();
    }
};

QTEST_MAIN(TestParDilyDbf)
#include "tst_pardilydbf.moc"
