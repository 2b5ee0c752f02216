// The application object with its settings, aliases and collection.
#include "app/core/CoCollection.h"
#include "base/ETalvekException.h"
#include "settings/RegistryKeys.h"
#include "app/core/TApp.h"
#include "app/core/TOAlias.h"

#include <QDate>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr auto HKCU = TRegistry::Hive::CurrentUser;
}

class TestAppObject : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void storedPositions_data();
    void storedPositions();
    void settingsKeepTheirTypes();
    void settingsOfWrongTypeAreRefusedOrReadAsMissing();
    void aliasLookupAndCopies();
    void collectionGrowsDeletesAndRejectsBadIndex();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<TRegistry> m_registry;
    std::shared_ptr<TApp> m_app;
};

void TestAppObject::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_registry =
        std::make_shared<TRegistry>(m_dir->filePath("user.reg"), m_dir->filePath("machine.reg"));
    m_app = std::make_shared<TApp>(m_registry, m_dir->path());
}

void TestAppObject::storedPositions_data()
{
    // A dialog reads the first two numbers, a window five (x, y, width,
    // height, state 0..2); any control character, ',' or ';' delimits; junk,
    // overflow and missing numbers read as 0.
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("comma, negative") << "-5,70" << QList<int>{-5, 70, 0, 0, 0};
    QTest::newRow("semicolon") << "10;20" << QList<int>{10, 20, 0, 0, 0};
    QTest::newRow("garbage number") << " x1 , 7 " << QList<int>{0, 7, 0, 0, 0};
    QTest::newRow("number too big") << "99999999999;-7" << QList<int>{0, -7, 0, 0, 0};
    QTest::newRow("control characters") << "1\x01 2\t3\n4\x1f 1" << QList<int>{1, 2, 3, 4, 1};
    QTest::newRow("empty") << "" << QList<int>{0, 0, 0, 0, 0};
    QTest::newRow("state above range") << "10,20,300,200,7" << QList<int>{10, 20, 300, 200, 2};
    QTest::newRow("state below range") << "10,20,300,200,-1" << QList<int>{10, 20, 300, 200, 0};
    QTest::newRow("minimized") << "1,2,3,4,1" << QList<int>{1, 2, 3, 4, 1};
    QTest::newRow("empty tokens") << "5,,7;8,2" << QList<int>{5, 0, 7, 8, 2};
}

void TestAppObject::storedPositions()
{
    QFETCH(QString, stored);
    QFETCH(QList<int>, expected);
    int x = 111, y = 222, w = -1, h = -1;
    qint16 state = -1;
    QVERIFY(!m_app->ReadDialogPos("ParcDialog", x, y)); // missing: outputs untouched
    QCOMPARE(QPoint(x, y), QPoint(111, 222));
    m_registry->WriteString(HKCU, RegistryKeys::WindowPos, "ParcDialog", stored);
    QVERIFY(m_app->ReadDialogPos("parcdialog", x, y));
    QCOMPARE(QPoint(x, y), QPoint(expected[0], expected[1]));
    QVERIFY(m_app->ReadWndPlacement("ParcDialog", x, y, w, h, state));
    QCOMPARE((QList<int>{x, y, w, h, state}), expected);
}

void TestAppObject::settingsKeepTheirTypes()
{
    const auto settings = m_app->Settings();
    QCOMPARE(settings->GetValue("X", 5), QVariant(5));
    settings->SetValue("X", true);
    QCOMPARE(settings->GetValue("X", false), QVariant(true));
    const QVariant asInt = settings->GetValue("X", 0); // an int for an int default
    QCOMPARE(asInt.typeId(), int(QMetaType::Int));
    QCOMPARE(asInt.toInt(), 1);
    settings->SetValue("Small", QVariant::fromValue<short>(-3));
    QCOMPARE(settings->GetValue("Small", 0), QVariant(-3));
    // Kept in the Settings key as a 32-bit number, floats as 8 bytes.
    QCOMPARE(m_registry->Value(HKCU, RegistryKeys::Settings, "Small")->type,
             quint32(RegValue::DWord));
    settings->SetValue("F", 0.1); // a double, not cut to a float
    QCOMPARE(settings->GetValue("F", 0.0).toDouble(), 0.1);
    QCOMPARE(m_registry->Value(HKCU, RegistryKeys::Settings, "F")->bytes.size(), 8);
    settings->SetValue("T", QString("Číslo v okrese"));
    QCOMPARE(settings->GetValue("T", QString()), QVariant(QString("Číslo v okrese")));
}

void TestAppObject::settingsOfWrongTypeAreRefusedOrReadAsMissing()
{
    // Types a setting cannot hold are refused, also for a stored value.
    const auto settings = m_app->Settings();
    const QVariant date(QDate(2024, 2, 29));
    QCOMPARE(settings->GetValue("D", date), date);
    settings->SetValue("D", 1);
    QVERIFY_THROWS_EXCEPTION(ETalvekException, settings->GetValue("D", date));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, settings->GetValue("D", QVariant()));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, settings->SetValue("D", date));
    QVERIFY_THROWS_EXCEPTION(ETalvekException, settings->SetValue("D", qint64(1)));
    QCOMPARE(settings->GetValue("D", 0), QVariant(1)); // unchanged by the failures

    // A hand-edited "KatDialog.PodleKat"="1" must not keep the catalogue
    // dialog from opening: the default applies, the problem is reported once
    // and the next save writes a number.
    m_registry->TakeProblems();
    m_registry->WriteString(HKCU, RegistryKeys::Settings, "KatDialog.PodleKat", "1");
    QCOMPARE(settings->GetValue("KatDialog.PodleKat", true), QVariant(true));
    QCOMPARE(settings->GetValue("katdialog.podlekat", false), QVariant(false));
    const QStringList problems = m_registry->TakeProblems();
    QCOMPARE(problems.size(), 1);
    QVERIFY(problems[0].contains("KatDialog.PodleKat") && problems[0].contains("user.reg"));
    settings->SetValue("KatDialog.PodleKat", false);
    QCOMPARE(settings->GetValue("KatDialog.PodleKat", true), QVariant(false));
    settings->SetValue("N", 4);
    QCOMPARE(settings->GetValue("N", QString("x")), QVariant(QString("x")));
    QCOMPARE(settings->GetValue("N", 1.5), QVariant(1.5));
    QCOMPARE(m_registry->TakeProblems().size(), 1);
}

void TestAppObject::aliasLookupAndCopies()
{
    m_registry->WriteString(HKCU, RegistryKeys::Aliases, "Texty", "/srv/texty");
    m_registry->WriteString(HKCU, RegistryKeys::Aliases, "Pracovní", "/home/u/work");
    const auto aliases = m_app->Aliases();
    aliases->Refresh();
    QCOMPARE(aliases->Count(), 2);
    QCOMPARE(aliases->Item(0)->Name() + " " + aliases->Item(1)->Path(), "Texty /home/u/work/");
    QVERIFY(!aliases->Item(0)->Internal() && aliases->Item(1)->Internal());
    QVERIFY_THROWS_EXCEPTION(ETalvekException, aliases->Item(2));
    QVERIFY(!aliases->Find("Pracovni")); // accents count
    // A found alias is a copy: changing it leaves the stored one alone.
    const auto work = aliases->Find("pracovní");
    QVERIFY(work);
    work->SetPath("/elsewhere");
    work->SetName("Jiný");
    QVERIFY(work->Path() == "/elsewhere/" && !work->Internal());
    QCOMPARE(m_app->WorkPath(), QString("/home/u/work/"));

    // Entries split at the first '=' only.
    TOAlias noEquals("justtext"), twoEquals("A=/x=y"), emptyDir("A=");
    QCOMPARE(noEquals.Name() + noEquals.Path() + emptyDir.Path(), QString());
    QCOMPARE(twoEquals.Name() + " " + twoEquals.Path(), QString("A /x=y/"));
    noEquals.SetName("B");
    QCOMPARE(noEquals.Entry(), QString("B="));
}

void TestAppObject::collectionGrowsDeletesAndRejectsBadIndex()
{
    auto collection = CoCollection::Create();
    for (int i = 0; i < 120; ++i)
        collection->Add(i * 10);
    collection->Delete(0);
    collection->SetItem(5, QString("x"));
    QCOMPARE(QVariantList({collection->Count(), collection->Item(0), collection->Item(5),
                           collection->Item(118)}),
             QVariantList({119, 10, "x", 1190}));
    for (int bad : {-1, 119}) {
        QVERIFY_THROWS_EXCEPTION(ETalvekException, collection->Item(bad));
        QVERIFY_THROWS_EXCEPTION(ETalvekException, collection->SetItem(bad, 0));
        QVERIFY_THROWS_EXCEPTION(ETalvekException, collection->Delete(bad));
    }
}

QTEST_GUILESS_MAIN(TestAppObject)
#include "tst_appobject.moc"
