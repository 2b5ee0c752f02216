#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <memory>

class QVBoxLayout;
namespace Ui {
class TProcessDlg;
}

// A small window without title-bar buttons showing a bar from 0 to 100 while
// a long operation runs in the caller's loop. While it is shown, input to the
// other windows of the program is blocked; the caller's loop keeps the window
// alive through SetPosition, which processes pending events at most every
// 200 milliseconds.
class TProcessDlg : public QDialog
{
    Q_OBJECT

public:
    explicit TProcessDlg(QWidget* parent = nullptr);
    ~TProcessDlg() override;

    // The number of steps; anything below 1 counts as 1.
    void SetTotal(int total);
    int Total() const { return m_total; }
    // Sets the current step and the bar to step * 100 / total, rounded.
    void SetPosition(int step);
    int Position() const { return m_current; }
    int BarValue() const;

    // Milliseconds between two rounds of event processing.
    static constexpr qint64 PumpInterval = 200;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void reject() override; // Escape does not close the window
    QVBoxLayout* MainLayout() const;
    void PumpMessages();

private:
    std::unique_ptr<Ui::TProcessDlg> ui;
    int m_total = 1;
    int m_current = 0;
    QElapsedTimer m_lastPump;
    QPointer<QWidget> m_previousActive;
};
