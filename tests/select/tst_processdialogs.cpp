// Progress windows (bar, cancel with confirmation, event pump) and the
// field-choice dialog (reordering by drop).
#include "widgets/MessageDlg.h"
#include "select/TCProcessDlg.h"
#include "select/TFieldsDialog.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

class TestProcessDialogs : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SetMessageDlgInterceptor(nullptr); }

    void barRoundsToNearestPercent();
    void cancelAskedOnceAndNoContinues();
    void positionPumpsEventsAfterInterval();

    void dropMovesSelectedItemOnly();
};

// The bar shows the nearest whole percent, also of totals near the limit of int.
void TestProcessDialogs::barRoundsToNearestPercent()
{
    const QList<std::array<int, 3>> cases{{3, 1, 33},
                                          {3, 2, 67},
                                          {3, 5, 100},
                                          {8, 1, 13},
                                          {2000000000, 1999999999, 100},
                                          {2000000000, 1000000000, 50}};
    TProcessDlg dlg;
    for (const auto& [total, position, percent] : cases) {
        dlg.SetTotal(total);
        dlg.SetPosition(position);
        QCOMPARE(dlg.BarValue(), percent);
    }
}

// A run: Storno or Escape ask once whether to stop; No goes on, Yes stops.
void TestProcessDialogs::cancelAskedOnceAndNoContinues()
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
    QVERIFY(dlg.isVisible());
    QVERIFY(dlg.CancelRequested());
    answer = mrYes;
    QVERIFY(dlg.Step());
    QCOMPARE(asked.size(), 2);
    QCOMPARE(dlg.Position(), 4);

    // A new run starts without a pending request; with no items one step fills the bar.
    dlg.Start(QStringLiteral("Znovu"), -5);
    QVERIFY(!dlg.CancelRequested());
    QCOMPARE(dlg.Total(), 1);
    QVERIFY(!dlg.Step());
    QCOMPARE(dlg.BarValue(), 100);
    QCOMPARE(asked.size(), 2);
    dlg.Finish();
    QVERIFY(!dlg.isVisible());
    QVERIFY(QApplication::activeModalWidget() == nullptr);

    TProcessDlg plain; // without "Storno" Escape does nothing
    plain.show();
    QTest::keyClick(&plain, Qt::Key_Escape);
    QVERIFY(plain.isVisible());
}

void TestProcessDialogs::positionPumpsEventsAfterInterval()
{
    TProcessDlg dlg;
    dlg.SetTotal(10);
    dlg.SetPosition(0);
    bool delivered = false;
    QTimer::singleShot(0, [&] { delivered = true; });
    dlg.SetPosition(1); // within the interval of the last pump: no events
    QVERIFY(!delivered);
    QThread::msleep(TProcessDlg::PumpInterval + 30);
    dlg.SetPosition(2);
    QVERIFY(delivered);
}

void TestProcessDialogs::dropMovesSelectedItemOnly()
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
    list->clearSelection();
    QCOMPARE(dlg.DropTargetAt(on(2)), -1);
    list->setCurrentRow(1); // B
    QCOMPARE(dlg.DropTargetAt(on(3)), 3);
    QCOMPARE(dlg.DropTargetAt(on(1)), -1);                 // onto itself
    QCOMPARE(dlg.DropTargetAt(on(4) + QPoint(0, 60)), -1); // below every item
    dlg.DropOn(-1);
    QCOMPARE(order(), QStringLiteral("ABCDE"));

    dlg.DropOn(3); // B down onto D: C and D shift up
    QCOMPARE(order(), QStringLiteral("ACDBE"));
    QCOMPARE(list->currentRow(), 3);
    QVERIFY(!dlg.Items()[3].second); // B keeps its tick
    list->setCurrentRow(4);          // E up onto A
    dlg.DropOn(0);
    QCOMPARE(order(), QStringLiteral("EACDB"));
    QCOMPARE(list->currentItem()->text(), QStringLiteral("E"));
}

QTEST_MAIN(TestProcessDialogs)
#include "tst_processdialogs.moc"
