#include "app/TAliasEditDialog.h"

#include "ui_TAliasEditDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QPushButton>

TAliasEditDialog::TAliasEditDialog(QWidget* owner, Mode mode, const QString& name,
                                   const QString& directory)
    : QDialog(owner), ui(std::make_unique<Ui::TAliasEditDialog>())
{
    ui->setupUi(this);
    ui->Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    ui->Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Storno"));
    switch (mode) {
    case Mode::Add:
        setWindowTitle(QStringLiteral("Nový alias okresu"));
        break;
    case Mode::Rename:
        setWindowTitle(QStringLiteral("Přejmenování aliasu okresu"));
        ui->EditDirectory->setEnabled(false);
        ui->BrowseBtn->setEnabled(false);
        break;
    case Mode::Repoint:
        setWindowTitle(QStringLiteral("Změna adresáře aliasu okresu"));
        ui->EditName->setEnabled(false);
        break;
    }
    SetName(name);
    SetDirectory(directory);
    (mode == Mode::Repoint ? ui->EditDirectory : ui->EditName)->setFocus();
    connect(ui->Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui->BrowseBtn, &QPushButton::clicked, this, &TAliasEditDialog::BrowseBtnClick);
}

TAliasEditDialog::~TAliasEditDialog() = default;

QString TAliasEditDialog::Name() const
{
    return ui->EditName->text().trimmed();
}

QString TAliasEditDialog::Directory() const
{
    return ui->EditDirectory->text().trimmed();
}

void TAliasEditDialog::SetName(const QString& name)
{
    ui->EditName->setText(name);
}

void TAliasEditDialog::SetDirectory(const QString& directory)
{
    ui->EditDirectory->setText(QDir::toNativeSeparators(directory));
}

void TAliasEditDialog::BrowseBtnClick()
{
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Adresář s tabulkami okresu"), Directory());
    if (!chosen.isEmpty())
        SetDirectory(chosen);
}
