#include "browse/TVymeryDlg.h"

#include "ui_TVymeryDlg.h"

#include "data/ListingText.h"
#include "widgets/DialogPos.h"

#include <QFontDatabase>

TVymeryDlg::TVymeryDlg(std::shared_ptr<IApp> app, QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::TVymeryDlg>()), m_app(std::move(app))
{
    ui->setupUi(this);
    // The value texts line up their decimal points in a fixed-pitch font.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int i = 0; i < TAreaSums::Count; ++i)
        ValueLabel(i)->setFont(fixed);
    connect(ui->SouborBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->TiskBtn, &QPushButton::clicked, this, [this] { done(Print); });
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    RestoreDialogPos(*m_app, this);
}

TVymeryDlg::~TVymeryDlg()
{
    SaveDialogPos(*m_app, this);
}

QLabel* TVymeryDlg::ValueLabel(int index) const
{
    return findChild<QLabel*>(QStringLiteral("Value%1").arg(index));
}

QLabel* TVymeryDlg::HouseCounter() const
{
    return ui->CountCP;
}

QLabel* TVymeryDlg::RegistrationCounter() const
{
    return ui->CountCE;
}

void TVymeryDlg::SetValues(const TAreaSums& sums)
{
    for (int i = 0; i < TAreaSums::Count; ++i)
        ValueLabel(i)->setText(ListingText::AreaValue(sums.area[i], sums.parts[i]));
    ui->CountCP->setText(QString::number(sums.withHouseNumber));
    ui->CountCE->setText(QString::number(sums.withRegistrationNumber));
}
