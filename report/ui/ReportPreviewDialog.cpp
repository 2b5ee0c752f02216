#include "report/ui/ReportPreviewDialog.h"

#include "widgets/FileWrittenNotice.h"

#include "widgets/MessageDlg.h"
#include "base/ETalvekException.h"
#include "report/ReportPdfExporter.h"
#include "report/ui/ReportPageView.h"
#include "report/ui/PrintTarget.h"
#include "report/ui/ReportPrinter.h"
#include "ui_ReportPreviewDialog.h"

#include <QFileInfo>
#include <QScrollBar>
#include <QShortcut>

ReportPreviewDialog::ReportPreviewDialog(ReportDocument document, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ReportPreviewDialog>()),
      m_document(std::move(document))
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    if (!m_document.title.isEmpty())
        setWindowTitle(QStringLiteral("Náhled – %1").arg(m_document.title));
    m_view = new ReportPageView(m_document);
    ui->PageScroll->setWidget(m_view);
    ui->PageScroll->setBackgroundRole(QPalette::Dark);
    connectControls();
    addShortcuts();
    applyZoom();
    updateControls();
}

ReportPreviewDialog::~ReportPreviewDialog() = default;

void ReportPreviewDialog::connectControls()
{
    connect(ui->FirstBtn, &QToolButton::clicked, this, &ReportPreviewDialog::FirstBtnClick);
    connect(ui->PrevBtn, &QToolButton::clicked, this, &ReportPreviewDialog::PrevBtnClick);
    connect(ui->NextBtn, &QToolButton::clicked, this, &ReportPreviewDialog::NextBtnClick);
    connect(ui->LastBtn, &QToolButton::clicked, this, &ReportPreviewDialog::LastBtnClick);
    connect(ui->FitWidthBtn, &QToolButton::clicked, this,
            [this] { setZoomMode(ZoomMode::FitWidth); });
    connect(ui->FitPageBtn, &QToolButton::clicked, this,
            [this] { setZoomMode(ZoomMode::FitPage); });
    connect(ui->ZoomFullBtn, &QToolButton::clicked, this,
            [this] { setZoomMode(ZoomMode::Actual); });
    connect(ui->PrintBtn, &QToolButton::clicked, this, &ReportPreviewDialog::PrintBtnClick);
    connect(ui->PdfBtn, &QToolButton::clicked, this, &ReportPreviewDialog::PdfBtnClick);
    connect(ui->CloseBtn, &QToolButton::clicked, this, &QDialog::accept);
}

void ReportPreviewDialog::addShortcuts()
{
    auto add = [this](const QKeySequence& key, auto slot) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, slot);
    };
    add(QKeySequence(Qt::Key_PageDown), &ReportPreviewDialog::NextBtnClick);
    add(QKeySequence(Qt::Key_PageUp), &ReportPreviewDialog::PrevBtnClick);
    add(QKeySequence(Qt::CTRL | Qt::Key_Home), &ReportPreviewDialog::FirstBtnClick);
    add(QKeySequence(Qt::CTRL | Qt::Key_End), &ReportPreviewDialog::LastBtnClick);
    add(QKeySequence(Qt::CTRL | Qt::Key_P), &ReportPreviewDialog::PrintBtnClick);
    add(QKeySequence(Qt::CTRL | Qt::Key_S), &ReportPreviewDialog::PdfBtnClick);
    add(QKeySequence(Qt::CTRL | Qt::Key_1), [this] { setZoomMode(ZoomMode::Actual); });
    add(QKeySequence(Qt::CTRL | Qt::Key_2), [this] { setZoomMode(ZoomMode::FitPage); });
    add(QKeySequence(Qt::CTRL | Qt::Key_3), [this] { setZoomMode(ZoomMode::FitWidth); });
}

int ReportPreviewDialog::currentPage() const
{
    return m_view->page();
}

double ReportPreviewDialog::zoom() const
{
    return m_view->zoom();
}

QString ReportPreviewDialog::pageLabelText() const
{
    return ui->PageLabel->text();
}

void ReportPreviewDialog::showPage(int index)
{
    if (pageCount() == 0)
        return;
    m_view->setPage(std::clamp(index, 0, pageCount() - 1));
    ui->PageScroll->verticalScrollBar()->setValue(0);
    updateControls();
}

void ReportPreviewDialog::FirstBtnClick()
{
    showPage(0);
}

void ReportPreviewDialog::PrevBtnClick()
{
    showPage(currentPage() - 1);
}

void ReportPreviewDialog::NextBtnClick()
{
    showPage(currentPage() + 1);
}

void ReportPreviewDialog::LastBtnClick()
{
    showPage(pageCount() - 1);
}

void ReportPreviewDialog::setZoomMode(ZoomMode mode)
{
    m_zoomMode = mode;
    applyZoom();
    updateControls();
}

void ReportPreviewDialog::applyZoom()
{
    const QSizeF page = m_view->actualPageSize();
    const QSize room = ui->PageScroll->viewport()->size() - QSize(4, 4);
    if (page.isEmpty() || room.isEmpty())
        return;
    const double widthZoom = room.width() / page.width();
    switch (m_zoomMode) {
    case ZoomMode::FitWidth:
        m_view->setZoom(widthZoom);
        break;
    case ZoomMode::FitPage:
        m_view->setZoom(std::min(widthZoom, room.height() / page.height()));
        break;
    case ZoomMode::Actual:
        m_view->setZoom(1.0);
        break;
    }
}

void ReportPreviewDialog::updateControls()
{
    const int count = pageCount();
    const int page = count == 0 ? 0 : currentPage() + 1;
    ui->PageLabel->setText(QStringLiteral("Strana %1 z %2").arg(page).arg(count));
    ui->FirstBtn->setEnabled(page > 1);
    ui->PrevBtn->setEnabled(page > 1);
    ui->NextBtn->setEnabled(page < count);
    ui->LastBtn->setEnabled(page < count);
    ui->FitWidthBtn->setCheckable(true);
    ui->FitPageBtn->setCheckable(true);
    ui->ZoomFullBtn->setCheckable(true);
    ui->FitWidthBtn->setChecked(m_zoomMode == ZoomMode::FitWidth);
    ui->FitPageBtn->setChecked(m_zoomMode == ZoomMode::FitPage);
    ui->ZoomFullBtn->setChecked(m_zoomMode == ZoomMode::Actual);
    ui->PrintBtn->setEnabled(count > 0);
    ui->PdfBtn->setEnabled(count > 0);
}

void ReportPreviewDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    applyZoom();
}

void ReportPreviewDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    applyZoom();
}

void ReportPreviewDialog::PrintBtnClick()
{
    ReportPrinter::printWithDialog(m_document, this);
}

void ReportPreviewDialog::PdfBtnClick()
{
    QString fileName =
        PrintTarget::AskPdfFile(this, PrintTarget::SuggestedPdfName(m_document.title));
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".pdf");
    exportPdfTo(fileName);
}

bool ReportPreviewDialog::exportPdfTo(const QString& fileName)
{
    try {
        ReportPdfExporter::write(m_document, fileName);
        FileWrittenNotice::Show(this, QStringLiteral("Sestava byla uložena do souboru PDF"),
                                fileName);
        return true;
    } catch (const ETalvekException& e) {
        ErrorBox(e.message());
        return false;
    }
}
