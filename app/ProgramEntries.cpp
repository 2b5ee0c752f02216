#include "app/ProgramEntries.h"

#include "app/TKatDialog.h"
#include "browse/TDoplnDlg.h"
#include "browse/TParDilyDbf.h"
#include "browse/TParDilyPrint.h"
#include "output/PrintReportEntry.h"
#include "output/TLVCisDlg.h"
#include "output/TStatistikaDlg.h"
#include "output/core/FormPaper.h"
#include "report/ui/DefaultPrinterPaper.h"
#include "select/TListVlDialog.h"
#include "select/TParOborgDlg.h"
#include "select/TParcDialogRunner.h"
#include "select/TParcSelectDlg.h"
#include "app/TAreaMapWindows.h"
#include "widgets/MessageDlg.h"

#include <QDesktopServices>

TParOborgDlg::Entries SheetDialogEntries(bool toMap)
{
    TParOborgDlg::Entries entries;
    entries.Browser = [toMap](QWidget* owner, int sheet, const TSelectionContext& ctx) {
        if (toMap && TAreaMapWindows::HasMapOrTell(ctx.KU))
            return int(TParOborgDlg::ResultMap);
        return TParDilyDbf::ExecuteParDily(owner, 1, sheet, ctx.App, ctx.WorkTable, ctx.KU);
    };
    entries.Supplement = [](QWidget*, int sheet, const TSelectionContext& ctx) {
        ShowLVSupplement(ctx.App, ctx.KU.Alias, ctx.KU.Suffix, sheet, -1, nullptr, 0, 0);
    };
    entries.NamesListing = &TParDilyPrint::PrintOwnerList;
    entries.SheetPrint = &TParDilyPrint::PrintSheet;
    return entries;
}

TMainOrvEntries ProgramEntries()
{
    TMainOrvEntries entries;
    // Forms fall back on the default printer's paper (known only here).
    FormPaper::SetPrinterPaper(&DefaultPrinterPaper);
    entries.OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    entries.CatalogueDialog = &TKatDialog::Execute;
    entries.ParcelSelection = TParcDialogRunner();
    entries.ParcelBrowser = [](QWidget* owner, int mode, const TSelectionContext& ctx) {
        TParDilyDbf::ExecuteParDily(owner, mode, 0, ctx.App, ctx.WorkTable, ctx.KU);
    };
    entries.ParcelBrowserAt = [](QWidget* owner, int mode, const TSelectionContext& ctx, int group,
                                 int stem, int subdivision) {
        TParDilyDbf::ExecuteParDilyAt(owner, mode, ctx.App, ctx.WorkTable, ctx.KU, group, stem,
                                      subdivision);
    };
    entries.PrintReport = &PrintReportEntry;
    entries.OwnerSelection = [](QWidget* owner, const TSelectionContext& ctx, bool toMap) {
        return TParOborgDlg::Execute(owner, ctx, SheetDialogEntries(toMap));
    };
    entries.SheetForm = &TLVCisDlg::Execute;
    entries.ConditionsSelection = &TParcSelectDlg::ConditionsSelection;
    entries.Statistics = &TStatistikaDlg::Execute;
    entries.SheetSearch = [](QWidget* owner, const std::shared_ptr<IApp>& app,
                             const std::function<void(const TKUInfo&)>& addKU, bool toMap) {
        TListVlDialog::Entries search;
        search.AddKU = addKU;
        const TParOborgDlg::Entries sheet = SheetDialogEntries(toMap);
        search.Browser = sheet.Browser;
        search.SheetPrint = sheet.SheetPrint;
        return TListVlDialog::Execute(owner, app, search);
    };
    return entries;
}
