#include "select/TCProcessDlg.h"

#include "widgets/MessageDlg.h"

#include "ui_TCProcessDlg.h"

#include <QPushButton>
#include <QVBoxLayout>

TCProcessDlg::TCProcessDlg(QWidget* parent)
    : TProcessDlg(parent), cui(std::make_unique<Ui::TCProcessDlg>())
{
    auto* panel = new QWidget(this);
    cui->setupUi(panel);
    MainLayout()->addWidget(panel);
    connect(cui->CancelBtn, &QPushButton::clicked, this, &TCProcessDlg::CancelBtnClick);
}

TCProcessDlg::~TCProcessDlg() = default;

void TCProcessDlg::Start(const QString& caption, int total)
{
    m_cancelRequested = false;
    SetTotal(total);
    SetPosition(0);
    setWindowTitle(caption);
    show();
    PumpMessages();
}

bool TCProcessDlg::Step()
{
    SetPosition(Position() + 1);
    if (!m_cancelRequested)
        return false;
    if (MessageDlg(QStringLiteral("Chcete přerušit operaci?"), mtConfirmation, mbYes | mbNo) ==
        mrYes)
        return true;
    m_cancelRequested = false;
    return false;
}

void TCProcessDlg::Finish()
{
    hide();
}

void TCProcessDlg::SetInfo(const QString& text)
{
    cui->InfoLabel->setText(text);
    cui->InfoLabel->setVisible(!text.isEmpty());
}

void TCProcessDlg::CancelBtnClick()
{
    m_cancelRequested = true;
}

void TCProcessDlg::reject()
{
    CancelBtnClick();
}
