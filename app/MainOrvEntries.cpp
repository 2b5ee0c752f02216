#include "app/MainOrvEntries.h"

#include "app/TKatDialog.h"
#include "select/TParcDialogRunner.h"

#include <QDesktopServices>

TMainOrvEntries TMainOrvEntries::Program()
{
    TMainOrvEntries entries;
    entries.OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    entries.CatalogueDialog = &TKatDialog::Execute;
    entries.CatalogueLookup = &TKatDialog::Lookup;
    entries.ParcelSelection = TParcDialogRunner();
    // The catalogue, selection, browser and report entries are added here as
    // their dialogs and forms are built.
    return entries;
}
