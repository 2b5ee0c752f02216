#include "app/TAboutBox.h"

#include "widgets/DialogPos.h"
#include "widgets/ScreenScale.h"
#include "base/ETalvekException.h"
#include "base/SystemMemory.h"
#include "app/core/TInstallInfo.h"
#include "base/TVersionInfo.h"
#include "widgets/TWaitCursor.h"
#include "ui_AboutBox.h"

#include <QApplication>
#include <QStyle>

TAboutBox::TAboutBox(std::shared_ptr<IApp> app, QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::TAboutBox>()), m_app(std::move(app))
{
    ui->setupUi(this);
    setFixedSize(ScaleToScreen(321), ScaleToScreen(258));
    const QIcon icon = QApplication::windowIcon().isNull()
                           ? style()->standardIcon(QStyle::SP_ComputerIcon)
                           : QApplication::windowIcon();
    ui->ProgramIcon->setPixmap(icon.pixmap(32, 32));
    // OK is both the default and the cancel button: Enter and Esc close the box.
    connect(ui->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

TAboutBox::~TAboutBox()
{
    if (!m_shown)
        return;
    try {
        SaveDialogPos(*m_app, this);
    } catch (const ETalvekException&) {
        // A position that can't be stored is not worth a message on closing.
    }
}

void TAboutBox::showEvent(QShowEvent* event)
{
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void TAboutBox::FormShow()
{
    const TWaitCursor wait(*m_app);
    RestoreDialogPos(*m_app, this);
    const TVersionInfo version = TVersionInfo::Program();
    ui->ProductNameLabel->setText(version.ProductName);
    ui->VersionLabel->setText(QStringLiteral("Verze ") + version.ProductVersion);
    ui->CopyrightLabel->setText(version.LegalCopyright);
    ui->UserNameLabel->setText(TInstallInfo::UserName());
    ui->CompanyLabel->setText(TInstallInfo::CompanyName());
    ui->MemLabel->setText(PhysicalMemoryText(PhysicalMemoryBytes()));
}

QString TAboutBox::ProductNameText() const
{
    return ui->ProductNameLabel->text();
}
QString TAboutBox::VersionText() const
{
    return ui->VersionLabel->text();
}
QString TAboutBox::UserNameText() const
{
    return ui->UserNameLabel->text();
}
QString TAboutBox::CompanyText() const
{
    return ui->CompanyLabel->text();
}
QString TAboutBox::MemText() const
{
    return ui->MemLabel->text();
}
