#pragma once

#include "report/ReportDocument.h"

#include <QDialog>
#include <memory>

namespace Ui {
class ReportPreviewDialog;
}
class ReportPageView;

// The print preview: one page at a time with navigation, three zoom modes,
// printing through the print dialog and export to PDF. Keys: PgUp/PgDown
// previous/next page, Ctrl+Home/Ctrl+End first/last, Ctrl+1 actual size,
// Ctrl+2 whole page, Ctrl+3 page width, Ctrl+P print, Ctrl+S PDF, Esc close.
class ReportPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    enum class ZoomMode
    {
        FitWidth,
        FitPage,
        Actual
    };

    explicit ReportPreviewDialog(ReportDocument document, QWidget* parent = nullptr);
    ~ReportPreviewDialog() override;

    int currentPage() const;
    int pageCount() const { return m_document.pageCount(); }
    ZoomMode zoomMode() const { return m_zoomMode; }
    double zoom() const;
    QString pageLabelText() const;

    void showPage(int index);
    void setZoomMode(ZoomMode mode);
    // Writes the report to a PDF file; shows the error and returns false on failure.
    bool exportPdfTo(const QString& fileName);

public slots:
    void FirstBtnClick();
    void PrevBtnClick();
    void NextBtnClick();
    void LastBtnClick();
    void PrintBtnClick();
    void PdfBtnClick();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void connectControls();
    void addShortcuts();
    void applyZoom();
    void updateControls();

    std::unique_ptr<Ui::ReportPreviewDialog> ui;
    ReportDocument m_document;
    ReportPageView* m_view = nullptr;
    ZoomMode m_zoomMode = ZoomMode::FitWidth;
};
