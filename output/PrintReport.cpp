#include "output/PrintReport.h"

#include "output/core/CreateReportForm.h"
#include "report/ui/ReportPreviewDialog.h"
#include "report/ui/ReportPrinter.h"

#include <memory>

void PrintReport(const std::shared_ptr<IApp>& app, ReportKind kind, int lvCis, const TKUInfo& ku,
                 const QString& workTable, const QString& indexName, int copies, QWidget* owner)
{
    if (!ReportKinds::HasForm(kind))
        return;
    std::unique_ptr<TReportForm> form =
        CreateReportForm(app, kind, ku, workTable, indexName, owner);
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
