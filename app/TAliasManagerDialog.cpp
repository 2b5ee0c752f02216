#include "app/TAliasManagerDialog.h"
#include "app/TVfkImportDialog.h"
#include "base/OrvPaths.h"

#include "widgets/DialogPos.h"
#include "widgets/MessageDlg.h"
#include "app/TAliasListModel.h"
#include "base/ETalvekException.h"
#include "ui_TAliasManagerDialog.h"

#include <QHeaderView>
#include <QItemSelectionModel>

TAliasManagerDialog::TAliasManagerDialog(QWidget* owner, std::shared_ptr<IApp> app,
                                         const QString& currentAlias)
    : QDialog(owner), ui(std::make_unique<Ui::TAliasManagerDialog>()), m_app(std::move(app))
{
    ui->setupUi(this);
    m_model = new TAliasListModel(this);
    ui->AliasGrid->setModel(m_model);
    ui->AliasGrid->verticalHeader()->hide();
    ui->AliasGrid->horizontalHeader()->setStretchLastSection(true);
    connect(ui->AddBtn, &QPushButton::clicked, this, &TAliasManagerDialog::AddBtnClick);
    connect(ui->RenameBtn, &QPushButton::clicked, this, &TAliasManagerDialog::RenameBtnClick);
    connect(ui->PathBtn, &QPushButton::clicked, this, &TAliasManagerDialog::PathBtnClick);
    connect(ui->RemoveBtn, &QPushButton::clicked, this, &TAliasManagerDialog::RemoveBtnClick);
    connect(ui->ImportVfkBtn, &QPushButton::clicked, this, &TAliasManagerDialog::ImportVfkBtnClick);
    connect(ui->CloseBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->AliasGrid, &QAbstractItemView::doubleClicked, this,
            &TAliasManagerDialog::PathBtnClick);
    connect(ui->AliasGrid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TAliasManagerDialog::updateButtons);
    RestoreDialogPos(*m_app, this);
    try {
        refresh();
    } catch (const ETalvekException& e) {
        // A damaged alias file: say so; the list stays empty.
        ErrorBox(e.message());
    }
    SelectAlias(currentAlias);
}

TAliasManagerDialog::~TAliasManagerDialog()
{
    if (!m_shown)
        return;
    try {
        SaveDialogPos(*m_app, this);
    } catch (const ETalvekException&) {
        // Only the position is lost.
    }
}

void TAliasManagerDialog::showEvent(QShowEvent* event)
{
    m_shown = true;
    QDialog::showEvent(event);
}

void TAliasManagerDialog::refresh()
{
    const QString current = CurrentAlias();
    m_model->setDistricts(m_editor.districts());
    ui->AliasGrid->resizeColumnToContents(0);
    SelectAlias(current);
}

QString TAliasManagerDialog::CurrentAlias() const
{
    const QModelIndex index = ui->AliasGrid->currentIndex();
    if (!index.isValid() || index.row() >= m_model->rowCount())
        return QString();
    return m_model->districts().at(index.row()).name;
}

void TAliasManagerDialog::SelectAlias(const QString& name)
{
    int row = m_model->rowOf(name);
    if (row < 0 && m_model->rowCount() > 0)
        row = 0;
    if (row >= 0)
        ui->AliasGrid->selectRow(row);
    updateButtons();
}

void TAliasManagerDialog::updateButtons()
{
    const bool any = !CurrentAlias().isEmpty();
    ui->RenameBtn->setEnabled(any);
    ui->PathBtn->setEnabled(any);
    ui->RemoveBtn->setEnabled(any);
}

void TAliasManagerDialog::AddAlias(const QString& name, const QString& directory)
{
    m_editor.add(name, directory);
    refresh();
    SelectAlias(name);
}

void TAliasManagerDialog::RenameAlias(const QString& name, const QString& newName)
{
    m_editor.rename(name, newName);
    refresh();
    SelectAlias(newName);
}

void TAliasManagerDialog::RepointAlias(const QString& name, const QString& directory)
{
    m_editor.repoint(name, directory);
    refresh();
    SelectAlias(name);
}

void TAliasManagerDialog::RemoveAlias(const QString& name)
{
    m_editor.remove(name);
    refresh();
}

void TAliasManagerDialog::editUntilApplied(
    TAliasEditDialog::Mode mode, const QString& name, const QString& directory,
    const std::function<void(const TAliasEditDialog&)>& apply)
{
    TAliasEditDialog edit(this, mode, name, directory);
    while (edit.exec() == QDialog::Accepted) {
        try {
            apply(edit);
            return;
        } catch (const ETalvekException& e) {
            ErrorBox(e.message());
        }
    }
}

void TAliasManagerDialog::AddBtnClick()
{
    editUntilApplied(TAliasEditDialog::Mode::Add, QString(), QString(),
                     [this](const TAliasEditDialog& e) { AddAlias(e.Name(), e.Directory()); });
}

void TAliasManagerDialog::RenameBtnClick()
{
    const QString name = CurrentAlias();
    if (name.isEmpty())
        return;
    const QString directory = m_model->districts().at(m_model->rowOf(name)).directory;
    editUntilApplied(TAliasEditDialog::Mode::Rename, name, directory,
                     [this, name](const TAliasEditDialog& e) { RenameAlias(name, e.Name()); });
}

void TAliasManagerDialog::PathBtnClick()
{
    const QString name = CurrentAlias();
    if (name.isEmpty())
        return;
    const QString directory = m_model->districts().at(m_model->rowOf(name)).directory;
    editUntilApplied(
        TAliasEditDialog::Mode::Repoint, name, directory,
        [this, name](const TAliasEditDialog& e) { RepointAlias(name, e.Directory()); });
}

void TAliasManagerDialog::ImportVfkBtnClick()
{
    TVfkImportDialog dialog(this, m_app, OrvPaths::userDataDir());
    if (dialog.exec() != QDialog::Accepted)
        return;
    refresh();
    SelectAlias(dialog.AliasName());
}

void TAliasManagerDialog::RemoveBtnClick()
{
    const QString name = CurrentAlias();
    if (name.isEmpty())
        return;
    if (MessageDlg(QStringLiteral("Odebrat alias okresu '%1'?").arg(name), mtConfirmation,
                   mbYes | mbNo) != mrYes)
        return;
    try {
        RemoveAlias(name);
    } catch (const ETalvekException& e) {
        ErrorBox(e.message());
    }
}
