#include "output/TParVystupDlg.h"

#include "ui_TParVystupDlg.h"

#include "app/core/OutputMasking.h"
#include "base/ETalvekException.h"
#include "output/core/OutputChoice.h"
#include "select/TSaveFileDialog.h"
#include "widgets/DialogPos.h"
#include "widgets/MessageDlg.h"

#include <QButtonGroup>

namespace {
const QString PreviewKey = QStringLiteral("ParVystupDlg.Preview");
const QString FileNameKey = QStringLiteral("ParVystupDlg.FileName");
const QString BrowseTitle = QStringLiteral("Nalistování výstupní sestavy");
const QString BrowseFilter = QStringLiteral("Text (*.txt)|*.txt|Všechny soubory (*.*)|*.*");
} // namespace

TParVystupDlg::TParVystupDlg(std::shared_ptr<IApp> app, QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::TParVystupDlg>()), m_app(std::move(app))
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    m_types = new QButtonGroup(this);
    m_types->addButton(ui->TypSestavy0, 0);
    m_types->addButton(ui->TypSestavy1, 1);
    m_types->addButton(ui->TypSestavy2, 2);
    m_types->addButton(ui->TypSestavy3, 3);
    ui->TypSestavy0->setChecked(true);
    ui->FormularCB->setCurrentIndex(-1);
    ui->FormularCB->setEditText(QString());
    ui->Notebook1->setCurrentIndex(0);
    ui->CheckBoxShell->hide();
    connect(m_types, &QButtonGroup::idClicked, this, &TParVystupDlg::TypSestavyClick);
    connect(ui->Strankovat, &QCheckBox::clicked, this, &TParVystupDlg::StrankovatClick);
    connect(ui->CheckBoxFile, &QCheckBox::clicked, this, &TParVystupDlg::CheckBoxFileClick);
    connect(ui->CheckBoxShell, &QCheckBox::clicked, this, &TParVystupDlg::CheckBoxFileClick);
    connect(ui->BrowseBtn, &QToolButton::clicked, this, &TParVystupDlg::BrowseBtnClick);
    connect(ui->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TParVystupDlg::~TParVystupDlg()
{
    StoreSettings();
}

void TParVystupDlg::StoreSettings()
{
    // FormDestroy: the preview flag of the page in view, and the file name,
    // whichever way the dialog closed.
    const bool formsPage = ui->Notebook1->currentIndex() == 1;
    const bool preview = formsPage ? ui->Preview->isChecked() : ui->CheckBoxShell->isChecked();
    m_app->Settings()->SetValue(PreviewKey, preview ? 1 : 0);
    m_app->Settings()->SetValue(FileNameKey, ui->FileName->text());
    StoreMasking();
    SaveDialogPos(*m_app, this);
}

void TParVystupDlg::Prepare(bool paging, int reportType, int linesPerPage)
{
    RestoreDialogPos(*m_app, this);
    ui->Preview->setChecked(m_app->Settings()->GetValue(PreviewKey, 0).toInt() == 1);
    ui->FileName->setText(m_app->Settings()->GetValue(FileNameKey, QString()).toString());
    ui->CheckBoxShell->setChecked(ui->Preview->isChecked());
    PrepareMasking();
    const int type = qBound(0, reportType, 3);
    m_types->button(type)->setChecked(true);
    ui->Notebook1->setCurrentIndex(type / 2);
    ui->CheckBoxFile->setEnabled(type < 2);
    ui->Strankovat->setChecked(paging);
    ui->EditMaxNumLn->setEnabled(ui->Strankovat->isChecked());
    ui->EditMaxNumLn->setText(QString::number(linesPerPage));
}

void TParVystupDlg::PrepareMasking()
{
    // The machine's setting overrides the user's choice: ticked and greyed.
    const bool forced = OutputMasking::MachineForces(*m_app);
    ui->SkrytRodnaCisla->setChecked(forced || OutputMasking::UserChoice(*m_app->Settings()));
    ui->SkrytRodnaCisla->setEnabled(!forced);
    ui->SkrytRodnaCisla->setToolTip(forced ? OutputMasking::ForcedReason() : QString());
}

void TParVystupDlg::StoreMasking()
{
    // A forced tick is not the user's choice: it is not stored.
    if (ui->SkrytRodnaCisla->isEnabled())
        OutputMasking::SetUserChoice(*m_app->Settings(), ui->SkrytRodnaCisla->isChecked());
    OutputMasking::Apply(*m_app);
}

bool TParVystupDlg::MaskBirthNumbers() const
{
    return ui->SkrytRodnaCisla->isChecked();
}

int TParVystupDlg::Execute(bool paging, int reportType, int linesPerPage)
{
    Prepare(paging, reportType, linesPerPage);
    return exec();
}

void TParVystupDlg::TypSestavyClick(int item)
{
    if (item > 2) {
        // The empty fourth item stands for the forms.
        item = 2;
        ui->TypSestavy2->setChecked(true);
    }
    ui->Notebook1->setCurrentIndex(item / 2);
    ui->FormularCB->setEnabled(item == 2);
    ui->CheckBoxFile->setEnabled(item < 2);
    if (item >= 2)
        ui->CheckBoxFile->setChecked(false);
    CheckBoxFileClick();
}

void TParVystupDlg::StrankovatClick()
{
    const bool on = ui->Strankovat->isChecked();
    ui->EditMaxNumLn->setEnabled(on);
    ui->LabelPocetRadku->setEnabled(on);
    ui->LabelNaStranku->setEnabled(on);
}

void TParVystupDlg::CheckBoxFileClick()
{
    const bool on = ui->CheckBoxFile->isChecked();
    ui->CheckBoxShell->setVisible(on);
    ui->BrowseBtn->setEnabled(on);
    ui->FileName->setEnabled(on);
}

void TParVystupDlg::BrowseBtnClick()
{
    const QString name = TSaveFileDialog::Run(m_app, BrowseFilter, BrowseTitle,
                                              m_app->WorkPath() + u'/', false, {}, this);
    if (!name.isEmpty())
        ui->FileName->setText(name);
}

void TParVystupDlg::done(int result)
{
    // FormCloseQuery: OK with output into a file needs a file name.
    if (result == QDialog::Accepted && ui->CheckBoxFile->isChecked()) {
        ui->FileName->setText(ui->FileName->text().trimmed());
        if (ui->FileName->text().isEmpty()) {
            ErrorBox(QStringLiteral("Nebyl zadán cílový soubor"));
            ui->FileName->setFocus();
            return;
        }
    }
    QDialog::done(result);
}

int TParVystupDlg::ReportTypeChosen() const
{
    return qMin(2, m_types->checkedId());
}

bool TParVystupDlg::Paging() const
{
    return ui->Strankovat->isChecked();
}

int TParVystupDlg::LinesPerPage() const
{
    return OutputChoice::NumberOr(ui->EditMaxNumLn->text(), 64);
}

bool TParVystupDlg::ToFile() const
{
    return ui->CheckBoxFile->isChecked();
}

QString TParVystupDlg::FileName() const
{
    return ui->FileName->text();
}

bool TParVystupDlg::OpenInEditor() const
{
    return ui->CheckBoxShell->isChecked();
}

QString TParVystupDlg::FormText() const
{
    return ui->FormularCB->currentText();
}

bool TParVystupDlg::Preview() const
{
    return ui->Preview->isChecked();
}

int TParVystupDlg::Copies() const
{
    return OutputChoice::NumberOr(ui->EditNumCopies->text(), 1);
}
