#include "output/PrintReport.h"

#include "output/core/TLCisForm.h"
#include "output/core/TLVCisForm.h"
#include "output/core/TListForm.h"
#include "report/ui/ReportPreviewDialog.h"
#include "report/ui/ReportPrinter.h"

#include <memory>

namespace {
std::unique_ptr<TReportForm> CreateForm(const std::shared_ptr<IApp>& app, ReportKind kind,
                                        const TKUInfo& ku, const QString& workTable,
                                        const QString& indexName, QWidget* owner)
{
    switch (ReportKinds::FormOf(kind)) {
    case ReportKinds::SimpleForm:
        return std::make_unique<TListForm>(app, owner, ku, workTable, indexName);
    case ReportKinds::SheetForm:
        return std::make_unique<TLVCisForm>(app, owner, ku, workTable);
    case ReportKinds::ShortSheetForm:
        return std::make_unique<TLCisForm>(app, owner, ku, workTable);
    default:
        // The detailed, text and soil-quality forms register here as
        // they are added; other kinds produce nothing.
        return nullptr;
    }
}
} // namespace

void PrintReport(const std::shared_ptr<IApp>& app, ReportKind kind, int lvCis, const TKUInfo& ku,
                 const QString& workTable, const QString& indexName, int copies, QWidget* owner)
{
    if (!ReportKinds::HasForm(kind))
        return;
    std::unique_ptr<TReportForm> form = CreateForm(app, kind, ku, workTable, indexName, owner);
    if (!form)
        return;
    if (ReportKinds::IsSheetForm(kind))
        form->SetSheet(lvCis);
    form->report().copies = copies;
    const ReportDocument document = form->Layout();
    if (document.isEmpty())
        return;
    if (ReportKinds::IsPreview(kind)) {
        ReportPreviewDialog preview(document, owner);
        preview.exec();
    } else {
        ReportPrinter::printDirect(document, copies, owner);
    }
}
