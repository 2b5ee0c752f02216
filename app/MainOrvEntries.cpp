#include "app/MainOrvEntries.h"

#include "app/TKatDialog.h"
#include "browse/TParDilyDbf.h"

#include <QDesktopServices>

TMainOrvEntries TMainOrvEntries::Program()
{
    TMainOrvEntries entries;
    entries.OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    entries.CatalogueDialog = &TKatDialog::Execute;
    entries.CatalogueLookup = &TKatDialog::Lookup;
    entries.ParcelBrowser = [](QWidget* owner, int mode, const TSelectionContext& ctx) {
        TParDilyDbf::ExecuteParDily(owner, mode, 0, ctx.App, ctx.WorkTable, ctx.KU);
    };
    // The catalogue, selection, browser and report entries are added here as
    // their dialogs and forms are built.
    return entries;
}
