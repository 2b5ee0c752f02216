#include "output/core/CreateReportForm.h"

#include "output/core/TBonitaForm.h"
#include "output/core/TDetailForm.h"
#include "output/core/TLVCisForm.h"
#include "output/core/TListForm.h"
#include "output/core/TTextForm.h"

std::unique_ptr<TReportForm> CreateReportForm(const std::shared_ptr<IApp>& app, ReportKind kind,
                                              const TKUInfo& ku, const QString& workTable,
                                              const QString& indexName, QWidget* owner)
{
    switch (ReportKinds::FormOf(kind)) {
    case ReportKinds::SimpleForm:
        return std::make_unique<TListForm>(app, owner, ku, workTable, indexName);
    case ReportKinds::DetailForm:
    case ReportKinds::DetailFormFromBrowser:
        return std::make_unique<TDetailForm>(app, owner, ku, workTable, indexName);
    case ReportKinds::TextForm:
        return std::make_unique<TTextForm>(app, owner, ku, workTable, indexName);
    case ReportKinds::SoilQualityForm:
        return std::make_unique<TBonitaForm>(app, owner, ku, workTable, indexName);
    case ReportKinds::SheetForm:
        return std::make_unique<TLVCisForm>(app, owner, ku, workTable);
    case ReportKinds::ShortSheetForm:
        return std::make_unique<TLCisForm>(app, owner, ku, workTable);
    default:
        // Other kinds produce nothing.
        return nullptr;
    }
}
