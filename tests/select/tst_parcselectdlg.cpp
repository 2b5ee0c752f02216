// The selection by conditions through its dialog over the demo and the real
// district: the work table after a series of steps equals what a small model
// of the rules gives from the area's parcel file, the history reads exactly
// so, and "orv-tool select" with the same steps writes the same rows. Also
// the lookup page, the button rules, recall, "Smazat", "Storno" and bad
// values (through the dialog and the tool).
#include "app/core/TCodeTableApp.h"
#include "common/ModalHelpers.h"
#include "common/TestSupport.h"
#include "data/DemoDistrictGenerator.h"
#include "data/ParcelNumber.h"
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
using Part = QVariantMap;
const QStringList WorkFields{"PARSKUP", "PARCIS", "PARPOD",  "PARDIL",   "VYMERA",
                             "DRUHPOZ", "CPCE",   "NEMVYUZ", "PARCISLO", "LVCIS"};

QList<Part> readParts(const QString& path)
{
    const ParadoxReader reader(path);
    QList<Part> parts;
    for (const QVariantList& values : reader.readAll()) {
        Part part;
        for (int i = 0; i < values.size(); ++i)
            part.insert(reader.header().fields[i].name.toUpper(), values[i]);
        parts << part;
    }
    return parts;
}

QString partText(const Part& p)
{
    QStringList cells;
    for (const QString& f : WorkFields)
        cells << p.value(f).toString();
    return cells.join(u'|') + (p.value("FLAG", true).toBool() ? "|T" : "|F");
}

QStringList texts(const QList<Part>& parts)
{
    QStringList list;
    for (const Part& p : parts)
        list << partText(p);
    list.sort();
    return list;
}

struct Step
{
    bool add = true;
    QString field, op, value;
};

// "+FIELD OP VALUE", as orv-tool takes it.
Step parseStep(const QString& text)
{
    static const QRegularExpression form("^([+-])([A-Z]+)(<=|>=|<>|=|<|>)(.*)$");
    const auto m = form.match(text);
    return {m.captured(1) == "+", m.captured(2), m.captured(3), m.captured(4)};
}

// The rules on parts in memory: a part fits when its field compares so with
// the value (CPCE "=" also in parts 1 to 29 of the municipality); whole
// parcels take every part with the PARCISLO of a fitting part.
struct Model
{
    QList<Part> area;
    bool partsOnly = false;
    QMap<QString, Part> selected; // by key

    static bool fits(const Part& p, const Step& s)
    {
        const QVariant v = p.value(s.field);
        const bool text = s.field == "PARCISLO" || s.field == "MAPA";
        const QString value = s.field == "PARCISLO" ? JoinBuildingParcelMarks(s.value) : s.value;
        const double d = v.toDouble() - s.value.toDouble();
        if (s.field == "CPCE" && s.op == "=")
            return v.isValid() && d >= 0 && d <= 290000 && qRound64(d) % 10000 == 0;
        const int cmp = text ? QString::compare(v.toString(), value) : d < 0 ? -1 : d > 0;
        // Each operator holds the signs of the comparisons it accepts ("<>": < or >).
        return v.isValid() && s.op.contains(cmp < 0 ? u'<' : cmp > 0 ? u'>' : u'=');
    }
    static QString key(const Part& p) { return partText(p).section(u'|', 0, 3); }
    void apply(const Step& s)
    {
        QSet<QString> parcels;
        for (const Part& p : std::as_const(area))
            if (fits(p, s))
                parcels.insert(p.value("PARCISLO").toString());
        for (const Part& p : std::as_const(area))
            if (partsOnly ? fits(p, s) : parcels.contains(p.value("PARCISLO").toString()))
                s.add ? void(selected.insert(key(p), p)) : void(selected.remove(key(p)));
    }
    int count() const
    {
        QSet<QString> parcels;
        for (const Part& p : selected)
            parcels.insert(p.value("PARCISLO").toString());
        return partsOnly ? int(selected.size()) : int(parcels.size());
    }
};

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

QStringList lines(const QListWidget* list)
{
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->item(i)->text();
    return shown;
}

// orv-tool's exit code; its output (stdout and stderr) into `out`.
int runTool(const QStringList& args, QString& out)
{
    QProcess tool;
    tool.start(TestSupport::orvToolPath(), QStringList{"select", "--area", "001"} + args);
    tool.waitForFinished(120000);
    out = QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
    return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
}
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
    void lookupRecallClearAndCancel();
    void badValues_data();
    void badValues();

private:
    std::unique_ptr<Table> parcels(const QString& district)
    {
        auto t = std::make_unique<Table>();
        t->setDatabaseName(district);
        t->setTableName("NYSPA001.DB");
        t->open();
        return t;
    }
    void selectAll(const QString& district)
    {
        Table work;
        OpenOrCreateWorkTable(work, m_work);
        TParcSelector::SelectAllParcels(work, district, "NYSPA001.DB");
    }
    QStringList history() const
    {
        return QDir(m_dir.filePath("work")).entryList({"PRAC_*.DB"}, QDir::Files, QDir::Name);
    }
    QStringList work() const { return texts(readParts(m_work)); }
    QTemporaryDir m_dir;
    QString m_demo, m_work;
    std::shared_ptr<IApp> m_app;
    QStringList m_errors;
};

void TestParcSelectDlg::initTestCase()
{
    m_demo = m_dir.filePath("okres");
    DemoDistrictGenerator({}).generate(m_demo);
    m_app = std::make_shared<TCodeTableApp>(m_demo + "/WorkDB");
    m_work = m_dir.filePath("work/PRAC.DB");
}

void TestParcSelectDlg::init()
{
    QDir(m_dir.filePath("work")).removeRecursively();
    QDir().mkpath(m_dir.filePath("work"));
    m_errors.clear();
    SetMessageDlgInterceptor([this](const QString& text, TMsgDlgType, TMsgDlgButtons) {
        m_errors << text;
        return int(mrOk);
    });
}

void TestParcSelectDlg::steps_data()
{
    QTest::addColumn<bool>("real");
    QTest::addColumn<bool>("partsOnly");
    QTest::addColumn<bool>("startWithAll");
    QTest::addColumn<QStringList>("steps");
    const auto row = [](const char* tag, bool real, bool partsOnly, bool all,
                        const QStringList& steps) {
        QTest::newRow(tag) << real << partsOnly << all << steps;
    };
    // Parts of one parcel differ in area: whole parcels take more rows.
    row("whole parcels", false, false, false, {"+VYMERA>=400"});
    row("parts only", false, true, false, {"+VYMERA>=400"});
    row("add, take out, add", false, false, false, {"+DRUHPOZ=13", "-CPCE=3", "+VYMERA>=5000"});
    row("house number = in every part", false, true, false, {"+CPCE=1"});
    row("house number >, no third line", false, true, false, {"+CPCE>20000"});
    row("parcel number text, quote inert", false, false, true,
        {"-PARCISLO=-4/1", "-PARCISLO=1' OR '1'='1"});
    row("building parcel written st.", true, false, false,
        {"+PARCISLO=st. 5/1", "+PARCISLO=st.13"});
    row("take out nothing", false, false, true, {"-MAPA=ZZZ", "-DRUHPOZ=13"});
    row("real district", true, true, true, {"-VYMERA<1000", "+LVCIS=1", "-DRUHPOZ<>2"});
}

void TestParcSelectDlg::steps()
{
    QFETCH(bool, real);
    QFETCH(bool, partsOnly);
    QFETCH(bool, startWithAll);
    QFETCH(QStringList, steps);
    const QString district = real ? TestSupport::realDistrictDir() : m_demo;
    auto pa = parcels(district);
    Model model{readParts(district + "/NYSPA001.DB"), partsOnly, {}};
    if (startWithAll) {
        selectAll(district);
        for (const Part& p : std::as_const(model.area))
            model.selected.insert(Model::key(p), p);
    }
    QStringList expected{"  počáteční stav => " + QString::number(model.count())};
    {
        TParcSelectDlg dlg(*pa, partsOnly, m_app, m_work);
        for (int i = 0; i < steps.size(); ++i) {
            const Step s = parseStep(steps[i]);
            enterStep(dlg, s);
            model.apply(s);
            expected << QStringLiteral("%1 %2 %3 %4 => %5")
                            .arg(s.add ? "+" : "-", dlg.CBoxName()->currentText(), s.op, s.value)
                            .arg(model.count());
        }
        QCOMPARE(m_errors, QStringList());
        QCOMPARE(lines(dlg.LBoxHistorie()), expected);
        QCOMPARE(history().size(), steps.size());
        dlg.Button("CancelBtn")->click();
    }
    QCOMPARE(work(), texts(model.selected.values()));
    QVERIFY(history().isEmpty());

    // The tool with the same steps writes the same rows.
    const QString toolWork = m_dir.filePath("work/TOOL.DB");
    QStringList args{"--dir", district, "--work", toolWork};
    args << (partsOnly ? QStringList{"--parts"} : QStringList())
         << (startWithAll ? QStringList{"--all"} : QStringList()) << steps;
    QString out;
    QCOMPARE(runTool(args, out), 0);
    QCOMPARE(texts(readParts(toolWork)), texts(model.selected.values()));
    QVERIFY2(out.contains(expected.last() + "\n"), qPrintable(out));
    QVERIFY(out.endsWith(
        QStringLiteral("počet řádků pracovní tabulky: %1\n").arg(model.selected.size())));
}

void TestParcSelectDlg::lookupRecallClearAndCancel()
{
    auto pa = parcels(m_demo);
    TParcSelectDlg dlg(*pa, true, m_app, m_work);
    QList<QStringList> states{work()};
    // A code picked from the list, or typed as its text, enters the code;
    // Enter adds the step.
    dlg.CBoxName()->setCurrentIndex(6); // kind of land: code table DRUHPOZ
    dlg.CBoxRelace()->setCurrentText("=");
    QCOMPARE(dlg.Notebook()->currentIndex(), 0);
    const int item = dlg.DBLookupCB()->findData("13");
    dlg.DBLookupCB()->setCurrentIndex(item);
    QCOMPARE(dlg.ValueText(), QString("13"));
    dlg.DBLookupCB()->setEditText(dlg.DBLookupCB()->itemText(item).toLower());
    QCOMPARE(dlg.ValueText(), QString("13"));
    QTest::keyClick(dlg.DBLookupCB()->lineEdit(), Qt::Key_Return);
    states << work();
    for (const char* s : {"+DRUHPOZ=2", "-CPCE>0"}) {
        enterStep(dlg, parseStep(s));
        states << work();
    }
    QListWidget* list = dlg.LBoxHistorie();
    const QStringList before = lines(list);
    QVERIFY(before.value(1).startsWith("+ kód druhu pozemku = 13 => "));
    // "Vyjmout", "Smazat" and "Výpis" need rows in the work table.
    const auto needRows = [&] {
        QString on;
        for (const char* button : {"AddBtn", "DeleteBtn", "ClearBtn", "OKBtn"})
            on += dlg.Button(button)->isEnabled() ? '1' : '0';
        return on;
    };
    QCOMPARE(needRows(), QStringLiteral("1111"));

    // Double click on line 1: the state after step 1, later lines gone.
    emit list->itemDoubleClicked(list->item(1));
    QCOMPARE(lines(list), before.mid(0, 2));
    QCOMPARE(work(), states[1]);
    QCOMPARE(history(), QStringList{"PRAC_0.DB"});
    // A step after the recall numbers its history table 1 again.
    enterStep(dlg, parseStep("+DRUHPOZ=2"));
    QCOMPARE(work(), states[2]);
    QCOMPARE(history(), (QStringList{"PRAC_0.DB", "PRAC_1.DB"}));
    // Enter in the list recalls its current line instead of closing.
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(lines(list), before.mid(0, 1));
    QVERIFY(work().isEmpty());
    QCOMPARE(dlg.result(), 0);

    enterStep(dlg, parseStep("+DRUHPOZ=13"));
    dlg.Button("ClearBtn")->click();
    QCOMPARE(lines(list), QStringList{"  počáteční stav => 0"});
    QCOMPARE(needRows(), QStringLiteral("1000"));
    QVERIFY(work().isEmpty());
    QVERIFY(history().isEmpty());

    // Storno from the main window's entry keeps the steps.
    TestSupport::onNextModal([](QWidget* modal) {
        auto* d = qobject_cast<TParcSelectDlg*>(modal);
        enterStep(*d, parseStep("+VYMERA>=5000"));
        d->Button("CancelBtn")->click();
    });
    const TSelectionContext ctx{m_app, {m_demo, "Okres", "Obec", "Území", "001", "1"}, m_work};
    QVERIFY(!TParcSelectDlg::ConditionsSelection(nullptr, true, ctx)); // the main window's entry
    QVERIFY(!work().isEmpty());
    QVERIFY(history().isEmpty());

    // "Mapa" shows only when the area has a map in the store; it ends the
    // dialog with 6 for the main window to open the map.
    QTemporaryDir maps;
    qputenv("ORV_MAP_DIR", maps.path().toLocal8Bit());
    const TSelectionContext mapped{
        m_app, {m_demo, "Okres", "Obec", "Území", "001", "600016"}, m_work};
    for (const bool withMap : {false, true}) {
        if (withMap)
            TestSupport::writeOneParcelMap(maps.path(), "600016", "Území");
        bool shown = !withMap;
        TestSupport::onNextModal([&](QWidget* modal) {
            auto* d = qobject_cast<TParcSelectDlg*>(modal);
            shown = d->Button("MapaBtn")->isVisible() && d->Button("MapaBtn")->isEnabled();
            d->Button(withMap ? "MapaBtn" : "CancelBtn")->click();
        });
        QCOMPARE(TParcSelectDlg::ConditionsSelection(nullptr, false, mapped), withMap ? 6 : 0);
        QCOMPARE(shown, withMap);
    }
    qunsetenv("ORV_MAP_DIR");

    // Without the code tables the value is typed.
    TParcSelectDlg plain(*pa, false, std::make_shared<TCodeTableApp>("/nowhere"), m_work);
    plain.CBoxName()->setCurrentIndex(6);
    QCOMPARE(plain.Notebook()->currentIndex(), 1);
    QCOMPARE(m_errors, QStringList());
}

void TestParcSelectDlg::badValues_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("buttonOff"); // the dialog's "Přidat" refuses the value itself
    const auto row = [](const char* tag, const char* step, const char* message, bool off) {
        QTest::newRow(tag) << QString(step) << QString(message) << off;
    };
    const char* const notNumber = "pole VYMERA není celé číslo od 0 do 2147483647.";
    row("beyond a small integer", "+DRUHPOZ=40000",
        "Hodnota 40000 se nevejde do pole DRUHPOZ (nejvýše 32767).", false);
    row("longer than the field", "+MAPA=ABCDEF",
        "Hodnota „ABCDEF“ je delší než pole MAPA (5 znaků).", false);
    row("empty value", "+VYMERA= ", "Chybí hodnota podmínky pro pole VYMERA.", true);
    row("not a number", "-VYMERA=1x", qPrintable(QString("Hodnota „1x“ ") + notNumber), true);
    row("negative", "+VYMERA=-1", qPrintable(QString("Hodnota „-1“ ") + notNumber), true);
    row("beyond 32 bits", "+VYMERA=4294967296",
        qPrintable(QString("Hodnota „4294967296“ ") + notNumber), true);
    row("unknown field", "+NOTHERE=1", "Tabulka NYSPA001.DB nemá pole „NOTHERE“.", true);
}

void TestParcSelectDlg::badValues()
{
    QFETCH(QString, step);
    QFETCH(QString, message);
    QFETCH(bool, buttonOff);
    auto pa = parcels(m_demo);
    selectAll(m_demo);
    const QStringList before = work();

    // The tool: the message, nothing written, not even the good step before.
    QString out;
    QCOMPARE(runTool({"--dir", m_demo, "--work", m_work, "-DRUHPOZ=13", step}, out), 1);
    QCOMPARE(out, "orv-tool select: " + message + "\n");
    QCOMPARE(work(), before);

    // The dialog lists only the table's fields; its button stays off, or the
    // step shows the message and changes nothing.
    TParcSelectDlg dlg(*pa, false, m_app, m_work);
    const Step s = parseStep(step);
    if (dlg.Selector().FieldPosition(s.field) < 0)
        return;
    enterStep(dlg, s);
    QCOMPARE(dlg.Button(s.add ? "AddBtn" : "DeleteBtn")->isEnabled(), !buttonOff);
    QCOMPARE(m_errors, buttonOff ? QStringList() : QStringList{message});
    QCOMPARE(lines(dlg.LBoxHistorie()).size(), 1);
    QCOMPARE(work(), before);
    QVERIFY(history().isEmpty());
}

QTEST_MAIN(TestParcSelectDlg)
#include "tst_parcselectdlg.moc"
