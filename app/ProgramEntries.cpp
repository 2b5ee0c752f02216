#include "app/ProgramEntries.h"

#include "app/TKatDialog.h"
#include "browse/TParDilyDbf.h"
#include "output/PrintReportEntry.h"
#include "output/TStatistikaDlg.h"
#include "select/TParcDialogRunner.h"

#include <QDesktopServices>

TMainOrvEntries ProgramEntries()
{
    TMainOrvEntries entries;
    entries.OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    entries.CatalogueDialog = &TKatDialog::Execute;
    entries.CatalogueLookup = &TKatDialog::Lookup;
    entries.ParcelSelection = TParcDialogRunner();
    entries.ParcelBrowser = [](QWidget* owner, int mode, const TSelectionContext& ctx) {
        TParDilyDbf::ExecuteParDily(owner, mode, 0, ctx.App, ctx.WorkTable, ctx.KU);
    };
    entries.PrintReport = &PrintReportEntry;
    entries.Statistics = &TStatistikaDlg::Execute;
    // The remaining selection commands (conditions, sheets, owner search) are
    // added here as their dialogs are built.
    return entries;
}
