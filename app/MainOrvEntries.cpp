#include "app/MainOrvEntries.h"

#include "app/TKatDialog.h"
#include "output/PrintReportEntry.h"
#include "select/TParcDialogRunner.h"

#include <QDesktopServices>

TMainOrvEntries TMainOrvEntries::Program()
{
    TMainOrvEntries entries;
    entries.OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    entries.CatalogueDialog = &TKatDialog::Execute;
    entries.CatalogueLookup = &TKatDialog::Lookup;
    entries.ParcelSelection = TParcDialogRunner();
    entries.PrintReport = &PrintReportEntry;
    // The browser entry is added here when it is built.
    return entries;
}
