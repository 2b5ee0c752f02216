#include "select/TProcessDlg.h"

#include "ui_TProcessDlg.h"

#include <QApplication>
#include <algorithm>

TProcessDlg::TProcessDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(std::make_unique<Ui::TProcessDlg>())
{
    ui->setupUi(this);
    // Blocks input to every other window of the program while shown.
    setWindowModality(Qt::ApplicationModal);
    m_lastPump.start();
}

TProcessDlg::~TProcessDlg() = default;

void TProcessDlg::SetTotal(int total)
{
    m_total = total > 0 ? total : 1;
}

int TProcessDlg::BarValue() const
{
    return ui->ProgressBar->value();
}

void TProcessDlg::SetPosition(int step)
{
    m_current = step;
    // Rounded to the nearest percent; 64-bit so that large totals cannot overflow.
    const qint64 percent = (qint64(step) * 200 + m_total) / (qint64(m_total) * 2);
    ui->ProgressBar->setValue(int(std::clamp<qint64>(percent, 0, 100)));
    if (m_lastPump.elapsed() > PumpInterval)
        PumpMessages();
}

void TProcessDlg::PumpMessages()
{
    QCoreApplication::processEvents();
    m_lastPump.restart();
}

QVBoxLayout* TProcessDlg::MainLayout() const
{
    return ui->ProcessLayout;
}

void TProcessDlg::showEvent(QShowEvent* event)
{
    m_previousActive = QApplication::activeWindow();
    QDialog::showEvent(event);
}

void TProcessDlg::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (m_previousActive && m_previousActive != this && m_previousActive->isVisible())
        m_previousActive->activateWindow();
}

void TProcessDlg::reject()
{
    // The window closes only when the operation ends.
}
