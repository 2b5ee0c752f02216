#include "output/TLVCisDlg.h"
#include "ui_TLVCisDlg.h"

#include "base/ETalvekException.h"
#include "output/core/TLVCisForm.h"
#include "report/ui/ReportPreviewDialog.h"
#include "widgets/DialogPos.h"
#include "widgets/MessageDlg.h"
#include "widgets/TWaitCursor.h"

namespace {
void ShowPreview(const ReportDocument& document, QWidget* owner)
{
    ReportPreviewDialog preview(document, owner);
    preview.exec();
}
} // namespace

TLVCisDlg::TLVCisDlg(const TSelectionContext& ctx, bool full, QWidget* parent, Preview preview)
    : QDialog(parent), ui(std::make_unique<Ui::TLVCisDlg>()), m_ctx(ctx), m_full(full),
      m_preview(preview ? std::move(preview) : Preview(&ShowPreview))
{
    ui->setupUi(this);
    // Each form keeps its own position.
    setObjectName(full ? QStringLiteral("LVCisForm") : QStringLiteral("LCisForm"));
    ui->EditLVCis->setFocus();
    connect(ui->OKBtn, &QPushButton::clicked, this, &TLVCisDlg::OKBtnClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    RestoreDialogPos(*m_ctx.App, this);
}

TLVCisDlg::~TLVCisDlg()
{
    SaveDialogPos(*m_ctx.App, this);
}

void TLVCisDlg::Execute(QWidget* owner, int outputType, const TSelectionContext& ctx)
{
    TLVCisDlg dlg(ctx, outputType == 2, owner);
    dlg.exec();
}

void TLVCisDlg::SetSheetText(const QString& text)
{
    ui->EditLVCis->setText(text);
}

void TLVCisDlg::OKBtnClick()
{
    ReportDocument document;
    try {
        TWaitCursor wait(*m_ctx.App);
        const int sheet =
            TLCisForm::FillWorkTable(m_ctx.WorkTable, m_ctx.KU, ui->EditLVCis->text());
        std::unique_ptr<TLCisForm> form;
        if (m_full)
            form = std::make_unique<TLVCisForm>(m_ctx.App, this, m_ctx.KU, m_ctx.WorkTable);
        else
            form = std::make_unique<TLCisForm>(m_ctx.App, this, m_ctx.KU, m_ctx.WorkTable);
        form->SetSheet(sheet);
        document = form->Layout();
    } catch (const ETalvekException& e) {
        ErrorBox(e.message());
        return; // the dialog stays open for another number
    }
    if (!document.isEmpty())
        m_preview(document, this);
    accept();
}
