#pragma once

#include "app/core/MainOrvEntries.h"
#include "report/ReportDocument.h"

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class TLVCisDlg;
}

// "Výpis z katastru nemovitostí": asks for an ownership-sheet number, fills
// the work table with the sheet's parts and shows the full (TLVCisForm) or
// the short (TLCisForm) statement in the preview. A number without parts
// keeps the dialog open with the message; after the preview it closes with OK.
class TLVCisDlg : public QDialog
{
    Q_OBJECT

public:
    // Shows a laid-out statement modally (the preview window by default).
    using Preview = std::function<void(const ReportDocument& document, QWidget* owner)>;

    // `full`: the full statement; otherwise the short one. The position is
    // restored here and stored when the dialog is destroyed.
    TLVCisDlg(const TSelectionContext& ctx, bool full, QWidget* parent = nullptr,
              Preview preview = {});
    ~TLVCisDlg() override;

    // The main window's entry for output type 1 (short) and 2 (full).
    static void Execute(QWidget* owner, int outputType, const TSelectionContext& ctx);

    void OKBtnClick();
    void SetSheetText(const QString& text);

private:
    std::unique_ptr<Ui::TLVCisDlg> ui;
    TSelectionContext m_ctx;
    bool m_full;
    Preview m_preview;
};
