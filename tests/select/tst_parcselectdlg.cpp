// The selection by conditions, driven through its dialog over the demo and
// the real district: the work table after each series of steps equals what a
// small model of the rules gives from the area's parcel file, the history
// lines read exactly so, and "orv-tool select" given the same steps writes
// the same rows. Also the lookup page, the button rules, recall, "Smazat",
// "Storno", the step limit and bad values.
#include "app/core/TCodeTableApp.h"
#include "base/ETalvekException.h"
#include "common/ModalHelpers.h"
#include "common/TestSupport.h"
#include "data/CadastralTables.h"
#include "data/DemoDistrictGenerator.h"
#include "data/WorkTable.h"
#include "db/paradox/ParadoxTable.h"
#include "select/TParcSelectDlg.h"
#include "select/core/TParcSelector.h"
#include "widgets/MessageDlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QStringList WorkFields{"PARSKUP", "PARCIS", "PARPOD",  "PARDIL",   "VYMERA",
                             "DRUHPOZ", "CPCE",   "NEMVYUZ", "PARCISLO", "LVCIS"};

// The rows of a Paradox table by field name.
QList<QVariantMap> readRows(const QString& path)
{
    const ParadoxReader reader(path);
    QList<QVariantMap> rows;
    for (const QVariantList& values : reader.readAll()) {
        QVariantMap row;
        for (int i = 0; i < values.size(); ++i)
            row.insert(reader.header().fields[i].name.toUpper(), values[i]);
        rows << row;
    }
    return rows;
}

QString rowText(const QVariantMap& row, bool flag = true)
{
    QStringList cells;
    for (const QString& f : WorkFields)
        cells << row.value(f).toString();
    return cells.join(u'|') + (flag ? "|T" : "|F");
}

QStringList workRows(const QString& path)
{
    QStringList rows;
    for (const QVariantMap& row : readRows(path))
        rows << rowText(row, row.value("FLAG").toBool());
    rows.sort();
    return rows;
}

struct Step
{
    bool add = true;
    QString field, op, value;
};

// "+FIELD OP VALUE", the form orv-tool takes.
Step parseStep(const QString& text)
{
    static const QRegularExpression form("^([+-])([A-Z]+)(<=|>=|<>|=|<|>)(.*)$");
    const auto m = form.match(text);
    Q_ASSERT(m.hasMatch());
    return {m.captured(1) == "+", m.captured(2), m.captured(3), m.captured(4)};
}

// The rules on the parts in memory: a part fits when its field compares so
// with the value; CPCE "=" also in parts of the municipality 1 to 29. Whole
// parcels take every part with the PARCISLO of a fitting part.
struct Model
{
    QList<QVariantMap> area;
    QMap<QString, QVariantMap> selected; // key text -> part
    bool partsOnly = false;

    static bool fits(const QVariantMap& part, const Step& s)
    {
        const QVariant v = part.value(s.field);
        if (!v.isValid())
            return false;
        int cmp = 0;
        if (s.field == "PARCISLO" || s.field == "MAPA") {
            cmp = QString::compare(v.toString(), s.value);
        } else {
            const double a = v.toDouble(), b = s.value.toDouble();
            cmp = a < b ? -1 : a > b ? 1 : 0;
            if (s.field == "CPCE" && s.op == "=") {
                const qint64 d = qRound64(a - b);
                return d >= 0 && d <= 290000 && d % 10000 == 0;
            }
        }
        return (s.op == "=" && cmp == 0) || (s.op == "<>" && cmp != 0) ||
               (s.op == "<" && cmp < 0) || (s.op == "<=" && cmp <= 0) || (s.op == ">" && cmp > 0) ||
               (s.op == ">=" && cmp >= 0);
    }
    static QString key(const QVariantMap& p) { return rowText(p).section(u'|', 0, 3); }

    void apply(const Step& s)
    {
        QSet<QString> parcels;
        for (const QVariantMap& p : std::as_const(area))
            if (fits(p, s))
                parcels.insert(p.value("PARCISLO").toString());
        for (const QVariantMap& p : std::as_const(area)) {
            const bool taken =
                partsOnly ? fits(p, s) : parcels.contains(p.value("PARCISLO").toString());
            if (taken && s.add)
                selected.insert(key(p), p);
            else if (taken)
                selected.remove(key(p));
        }
    }
    int count() const
    {
        QSet<QString> parcels;
        for (const QVariantMap& p : selected)
            parcels.insert(p.value("PARCISLO").toString());
        return partsOnly ? int(selected.size()) : int(parcels.size());
    }
    QStringList rows() const
    {
        QStringList list;
        for (const QVariantMap& p : selected)
            list << rowText(p);
        list.sort();
        return list;
    }
};

// Enters the step into the dialog's controls and presses its button.
void enterStep(TParcSelectDlg& dlg, const Step& s)
{
    dlg.CBoxName()->setCurrentIndex(dlg.Selector().FieldPosition(s.field));
    dlg.CBoxRelace()->setCurrentText(s.op);
    if (dlg.Notebook()->currentIndex() == 0)
        dlg.DBLookupCB()->setEditText(s.value);
    else
        dlg.Edit()->setText(s.value);
    dlg.Button(s.add ? "AddBtn" : "DeleteBtn")->click();
}

QStringList historyFiles(const QString& dir)
{
    return QDir(dir).entryList({"PRAC_*.DB"}, QDir::Files, QDir::Name);
}

using TestSupport::onNextModal;
} // namespace

class TestParcSelectDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup() { SetMessageDlgInterceptor(nullptr); }
    void steps_data();
    void steps();
    void lookupEntersCode();
    void buttonRules_data();
    void buttonRules();
    void recallClearAndCancel();
    void badValues_data();
    void badValues();
    void stepLimit();

private:
    QString nyspa(const QString& district) const
    {
        return district + "/" + CadastralTables::PerAreaTable(CadastralTables::ParcelPrefix, "001");
    }
    std::unique_ptr<Table> parcels(const QString& district) const
    {
        auto t = std::make_unique<Table>();
        t->setDatabaseName(district);
        t->setTableName(QFileInfo(nyspa(district)).fileName());
        t->setReadOnly(true);
        t->open();
        return t;
    }
    QProcess::ExitStatus runTool(const QStringList& args, QString* out = nullptr,
                                 int* code = nullptr) const;

    QTemporaryDir m_dir;
    QString m_demo;
    QString m_work;
    std::shared_ptr<IApp> m_app;
    QStringList m_errors;
};

void TestParcSelectDlg::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_demo = m_dir.filePath("okres");
    DemoDistrictGenerator({}).generate(m_demo);
    m_app = std::make_shared<TCodeTableApp>(m_demo + "/WorkDB");
    QDir().mkpath(m_dir.filePath("work"));
}

void TestParcSelectDlg::init()
{
    m_work = m_dir.filePath("work/PRAC.DB");
    for (const QString& f : QDir(m_dir.filePath("work")).entryList(QDir::Files))
        QFile::remove(m_dir.filePath("work/" + f));
    m_errors.clear();
    SetMessageDlgInterceptor([this](const QString& text, TMsgDlgType, TMsgDlgButtons) {
        m_errors << text;
        return int(mrOk);
    });
}

QProcess::ExitStatus TestParcSelectDlg::runTool(const QStringList& args, QString* out,
                                                int* code) const
{
    QProcess tool;
    tool.start(TestSupport::orvToolPath(), args);
    tool.waitForFinished(120000);
    if (out)
        *out = QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
    if (code)
        *code = tool.exitCode();
    return tool.exitStatus();
}

void TestParcSelectDlg::steps_data()
{
    QTest::addColumn<bool>("real");
    QTest::addColumn<bool>("partsOnly");
    QTest::addColumn<bool>("startWithAll");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("captions");

    const QString kind = "kód druhu pozemku", house = "číslo popisné (evidenční)";
    const QString area = "výměra [m čtverečních]";
    // Parts of one parcel differ in area: whole parcels take more rows.
    QTest::newRow("whole parcels")
        << false << false << false << QStringList{"+VYMERA>=400"} << QStringList{area};
    QTest::newRow("parts only") << false << true << false << QStringList{"+VYMERA>=400"}
                                << QStringList{area};
    QTest::newRow("add, take out, add")
        << false << false << false << QStringList{"+DRUHPOZ=13", "-CPCE=3", "+VYMERA>=5000"}
        << QStringList{kind, house, "výměra [m čtverečních]"};
    QTest::newRow("house number = in every part")
        << false << true << false << QStringList{"+CPCE=1"} << QStringList{house};
    QTest::newRow("house number >, no third line")
        << false << true << false << QStringList{"+CPCE>20000"} << QStringList{house};
    QTest::newRow("parcel number text, quote inert")
        << false << false << true << QStringList{"-PARCISLO=-4/1", "-PARCISLO=1' OR '1'='1"}
        << QStringList{"parcelní číslo", "parcelní číslo"};
    QTest::newRow("take out nothing")
        << false << false << true << QStringList{"-MAPA=ZZZ", "-DRUHPOZ=13"}
        << QStringList{"označení mapy", kind};
    QTest::newRow("real district")
        << true << true << true << QStringList{"-VYMERA<1000", "+LVCIS=1", "-DRUHPOZ<>2"}
        << QStringList{"výměra [m čtverečních]", "číslo listu vlastnictví", kind};
}

void TestParcSelectDlg::steps()
{
    QFETCH(bool, real);
    QFETCH(bool, partsOnly);
    QFETCH(bool, startWithAll);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, captions);
    const QString district = real ? TestSupport::realDistrictDir() : m_demo;
    auto pa = parcels(district);
    Model model{readRows(nyspa(district)), {}, partsOnly};
    if (startWithAll) {
        Table work;
        OpenOrCreateWorkTable(work, m_work);
        TParcSelector::SelectAllParcels(work, district, pa->tableName());
        for (const QVariantMap& p : std::as_const(model.area))
            model.selected.insert(Model::key(p), p);
    }

    QStringList expectedLines{"  počáteční stav => " + QString::number(model.count())};
    {
        TParcSelectDlg dlg(*pa, partsOnly, m_app, m_work);
        QCOMPARE(dlg.windowTitle(),
                 partsOnly ? "Výběr dílů parcel podle podmínek" : "Výběr parcel podle podmínek");
        for (int i = 0; i < steps.size(); ++i) {
            const Step s = parseStep(steps[i]);
            enterStep(dlg, s);
            model.apply(s);
            expectedLines << QStringLiteral("%1 %2 %3 %4 => %5")
                                 .arg(s.add ? "+" : "-", captions[i], s.op, s.value)
                                 .arg(model.count());
        }
        QCOMPARE(m_errors, QStringList());
        QStringList shown;
        for (int i = 0; i < dlg.LBoxHistorie()->count(); ++i)
            shown << dlg.LBoxHistorie()->item(i)->text();
        QCOMPARE(shown, expectedLines);
        QCOMPARE(dlg.LBoxHistorie()->currentRow(), steps.size());
        QCOMPARE(historyFiles(m_dir.filePath("work")).size(), steps.size());
        dlg.Button("CancelBtn")->click();
    }
    QCOMPARE(workRows(m_work), model.rows());
    QVERIFY(historyFiles(m_dir.filePath("work")).isEmpty());

    // The tool with the same steps writes the same rows.
    const QString toolWork = m_dir.filePath("work/TOOL.DB");
    QStringList args{"select", "--dir", district, "--area", "001", "--work", toolWork};
    if (partsOnly)
        args << "--parts";
    if (startWithAll)
        args << "--all";
    QString out;
    int code = -1;
    QCOMPARE(runTool(args + steps, &out, &code), QProcess::NormalExit);
    QCOMPARE(code, 0);
    QCOMPARE(workRows(toolWork), model.rows());
    QVERIFY2(out.contains(expectedLines.last() + "\n"), qPrintable(out));
    QVERIFY(out.endsWith(
        QStringLiteral("počet řádků pracovní tabulky: %1\n").arg(model.selected.size())));
}

void TestParcSelectDlg::lookupEntersCode()
{
    auto pa = parcels(m_demo);
    TParcSelectDlg dlg(*pa, false, m_app, m_work);
    dlg.CBoxName()->setCurrentIndex(6); // kind of land: code table DRUHPOZ
    dlg.CBoxRelace()->setCurrentText("=");
    QCOMPARE(dlg.Notebook()->currentIndex(), 0);
    const int item = dlg.DBLookupCB()->findData("13");
    QVERIFY(item >= 0);
    dlg.DBLookupCB()->setCurrentIndex(item); // picked from the list
    QCOMPARE(dlg.ValueText(), QString("13"));
    dlg.DBLookupCB()->setEditText(dlg.DBLookupCB()->itemText(item).toLower()); // typed
    QCOMPARE(dlg.ValueText(), QString("13"));
    QTest::keyClick(dlg.DBLookupCB()->lineEdit(), Qt::Key_Return); // Enter adds
    QCOMPARE(dlg.LBoxHistorie()->count(), 2);
    QVERIFY2(dlg.LBoxHistorie()->item(1)->text().startsWith("+ kód druhu pozemku = 13 => "),
             qPrintable(dlg.LBoxHistorie()->item(1)->text()));

    dlg.CBoxName()->setCurrentIndex(4); // area: typed
    QCOMPARE(dlg.Notebook()->currentIndex(), 1);
    QCOMPARE(dlg.ValueText(), QString());

    // Without the code tables the value is typed.
    auto noCodes = std::make_shared<TCodeTableApp>(m_dir.filePath("nowhere"));
    TParcSelectDlg plain(*pa, false, noCodes, m_work);
    plain.CBoxName()->setCurrentIndex(6);
    QCOMPARE(plain.Notebook()->currentIndex(), 1);
    QCOMPARE(m_errors, QStringList());
}

void TestParcSelectDlg::buttonRules_data()
{
    QTest::addColumn<bool>("rows");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("add");
    const int parcislo = 18;
    QTest::newRow("empty table, number") << false << 4 << "12" << true;
    QTest::newRow("empty value") << true << 4 << "  " << false;
    QTest::newRow("text in a number field") << true << 4 << "12a" << false;
    QTest::newRow("negative") << true << 4 << "-1" << false;
    QTest::newRow("beyond 32 bits") << true << 4 << "4294967296" << false;
    QTest::newRow("parcel number text") << true << parcislo << "125/3" << true;
    QTest::newRow("map sheet text") << true << 14 << "ab" << true;
}

void TestParcSelectDlg::buttonRules()
{
    QFETCH(bool, rows);
    QFETCH(int, position);
    QFETCH(QString, value);
    QFETCH(bool, add);
    auto pa = parcels(m_demo);
    if (rows) {
        Table work;
        OpenOrCreateWorkTable(work, m_work);
        TParcSelector::SelectAllParcels(work, m_demo, pa->tableName());
    }
    TParcSelectDlg dlg(*pa, false, m_app, m_work);
    dlg.CBoxName()->setCurrentIndex(position);
    dlg.Edit()->setText(value);
    QCOMPARE(dlg.Button("AddBtn")->isEnabled(), add);
    QCOMPARE(dlg.Button("DeleteBtn")->isEnabled(), add && rows);
    for (const char* name : {"ClearBtn", "OKBtn"})
        QCOMPARE(dlg.Button(name)->isEnabled(), rows);
    QVERIFY(dlg.Button("MapaBtn")->isHidden());
}

void TestParcSelectDlg::recallClearAndCancel()
{
    auto pa = parcels(m_demo);
    const QString dir = m_dir.filePath("work");
    TParcSelectDlg dlg(*pa, true, m_app, m_work);
    QList<QStringList> states{workRows(m_work)};
    for (const char* s : {"+DRUHPOZ=13", "+DRUHPOZ=2", "-CPCE>0"}) {
        enterStep(dlg, parseStep(s));
        states << workRows(m_work);
    }
    QCOMPARE(dlg.Selector().StepCount(), 3);
    QListWidget* list = dlg.LBoxHistorie();
    const QString line1 = list->item(1)->text();

    // Double click on line 1: the state after step 1, later lines gone.
    emit list->itemDoubleClicked(list->item(1));
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(1)->text(), line1);
    QCOMPARE(workRows(m_work), states[1]);
    QCOMPARE(historyFiles(dir), QStringList{"PRAC_0.DB"});
    emit list->itemDoubleClicked(list->item(1)); // the newest line: nothing
    QCOMPARE(list->count(), 2);
    // A new step after the recall numbers its history table 1 again.
    enterStep(dlg, parseStep("+DRUHPOZ=2"));
    QCOMPARE(workRows(m_work), states[2]);
    QCOMPARE(historyFiles(dir), (QStringList{"PRAC_0.DB", "PRAC_1.DB"}));
    // Enter in the list recalls its current line instead of closing.
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(list->count(), 1);
    QVERIFY(workRows(m_work).isEmpty());
    QVERIFY(dlg.isVisible() == false && dlg.result() == 0);

    enterStep(dlg, parseStep("+DRUHPOZ=13"));
    dlg.Button("ClearBtn")->click();
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QString("  počáteční stav => 0"));
    QVERIFY(workRows(m_work).isEmpty());
    QVERIFY(historyFiles(dir).isEmpty());

    // Storno from the running dialog keeps the steps; the field and the
    // operator chosen last come back at the next opening.
    onNextModal([](QWidget* modal) {
        auto* d = qobject_cast<TParcSelectDlg*>(modal);
        QVERIFY(d);
        enterStep(*d, parseStep("+VYMERA>=5000"));
        d->Button("CancelBtn")->click();
    });
    QCOMPARE(TParcSelectDlg::Execute(nullptr, *pa, true, m_app, m_work), int(QDialog::Rejected));
    QVERIFY(!workRows(m_work).isEmpty());
    QVERIFY(historyFiles(dir).isEmpty());
    TParcSelectDlg again(*pa, true, m_app, m_work);
    QCOMPARE(again.CBoxName()->currentIndex(), 4);
    QCOMPARE(again.CBoxRelace()->currentText(), QString(">="));
    QCOMPARE(again.LBoxHistorie()->item(0)->text(),
             "  počáteční stav => " + QString::number(workRows(m_work).size()));
}

void TestParcSelectDlg::badValues_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("message");
    QTest::newRow("beyond a small integer")
        << "+DRUHPOZ=40000"
        << "Hodnota 40000 se nevejde do pole DRUHPOZ (nejvýše 32767).";
    QTest::newRow("longer than the field") << "+MAPA=ABCDEF"
                                           << "Hodnota „ABCDEF“ je delší než pole MAPA (5 znaků).";
    QTest::newRow("empty value") << "+VYMERA="
                                 << "Chybí hodnota podmínky pro pole VYMERA.";
    QTest::newRow("not a number") << "-CPCE=1x"
                                  << "Hodnota „1x“ pole CPCE není celé číslo od 0 do 2147483647.";
    QTest::newRow("unknown field") << "+NOTHERE=1"
                                   << "Tabulka NYSPA001.DB nemá pole „NOTHERE“.";
}

void TestParcSelectDlg::badValues()
{
    QFETCH(QString, step);
    QFETCH(QString, message);
    auto pa = parcels(m_demo);
    {
        Table work;
        OpenOrCreateWorkTable(work, m_work);
        TParcSelector::SelectAllParcels(work, m_demo, pa->tableName());
    }
    const QStringList before = workRows(m_work);

    // The tool: the message, nothing written, also for the good step before.
    QString out;
    int code = 0;
    runTool({"select", "--dir", m_demo, "--area", "001", "--work", m_work, "-DRUHPOZ=13", step},
            &out, &code);
    QCOMPARE(code, 1);
    QCOMPARE(out, "orv-tool: " + message + "\n");
    QCOMPARE(workRows(m_work), before);

    // The dialog (its field list has only the table's fields): the button
    // stays off, or the step shows the message and changes nothing.
    TParcSelectDlg dlg(*pa, false, m_app, m_work);
    const Step s = parseStep(step);
    if (dlg.Selector().FieldPosition(s.field) < 0)
        return;
    enterStep(dlg, s);
    QCOMPARE(m_errors.size(), dlg.Button("AddBtn")->isEnabled() ? 1 : 0);
    if (!m_errors.isEmpty())
        QCOMPARE(m_errors.first(), message);
    QCOMPARE(dlg.LBoxHistorie()->count(), 1);
    QCOMPARE(dlg.Selector().StepCount(), 0);
    QCOMPARE(workRows(m_work), before);
    QVERIFY(historyFiles(m_dir.filePath("work")).isEmpty());
}

void TestParcSelectDlg::stepLimit()
{
    auto pa = parcels(TestSupport::realDistrictDir());
    Table work;
    OpenOrCreateWorkTable(work, m_work);
    TConditionSelector selector(*pa, work, true);
    selector.Start();
    const TCondition c{selector.FieldPosition("DRUHPOZ"), "=", "2"};
    for (int i = 0; i < TConditionSelector::MaxSteps; ++i)
        QVERIFY(selector.Step(i % 2 == 0, c));
    QVERIFY(!selector.Step(true, c));
    QCOMPARE(selector.HistoryLines().size(), TConditionSelector::MaxSteps + 1);
    QCOMPARE(historyFiles(m_dir.filePath("work")).size(), TConditionSelector::MaxSteps);
    QCOMPARE(work.recordCount(), 0); // even number of steps: the last took out
}

QTEST_MAIN(TestParcSelectDlg)
#include "tst_parcselectdlg.moc"
