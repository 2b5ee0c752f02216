#pragma once

#include "app/core/IApp.h"
#include "app/core/ICollection.h"
#include "app/core/TKUInfo.h"

#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class QWidget;

// What a selection, browse or print command hands on: the application object,
// the current area and the full path of the work table (WorkPath + "PRAC.DB").
struct TSelectionContext
{
    std::shared_ptr<IApp> App;
    TKUInfo KU;
    QString WorkTable;
};

// The entries through which the main window reaches the dialogs and forms of
// the other parts of the program. Declared here, below the dialog folders, so
// that a dialog folder can implement an entry without including the main
// window's folder; app/ProgramEntries wires them. An entry left empty makes
// its command say that it is not available yet. Each entry runs its dialog
// modally and frees it; errors are thrown as ETalvekException and shown by the main window.
struct TMainOrvEntries
{
    // Catalogue dialog, interactive: fills `info` for the area under the cursor
    // and puts the ordinals of all selected areas into `ordinals`. False when
    // cancelled.
    std::function<bool(QWidget* owner, const std::shared_ptr<IApp>& app, TKUInfo& info,
                       const std::shared_ptr<ICollection>& ordinals, bool& openIntoWindow)>
        CatalogueDialog;
    // The parcel-number dialog for selection types 0 (parcel number), 1 (house
    // number), 2 (all parcels, no dialog shown) and 3 (previous selection):
    // binds its tables, creates the work table when missing, runs. True when
    // the work table now holds a completed selection.
    std::function<bool(QWidget* owner, int selectionType, const TSelectionContext& ctx)>
        ParcelSelection;
    // Selection by conditions over the area's parcel table: the dialog's
    // result, QDialog::Accepted (1) on OK, 6 when the selection is to be
    // shown on the map, 0 when cancelled.
    std::function<int(QWidget* owner, bool partsOnly, const TSelectionContext& ctx)>
        ConditionsSelection;
    // Selection by owner or ownership sheet (output types 0 and 3).
    // Returns the dialog's result, 6 when the parts found are to be shown on
    // the map. `toMap` (output type "Mapa"): the listing ends the dialog
    // with 6 instead of opening the browser, when the area has a map.
    std::function<int(QWidget* owner, const TSelectionContext& ctx, bool toMap)> OwnerSelection;
    // Ownership-sheet form: 1 the simple form (TLCisForm), 2 the detailed one
    // (TLVCisForm).
    std::function<void(QWidget* owner, int outputType, const TSelectionContext& ctx)> SheetForm;
    // Ownership-sheet search across districts; `addKU` opens an area found
    // (and makes it current). Returns the dialog's result, 6 when the
    // sheet's parts, now in the work table, are to be shown on the map of
    // the current area; `toMap` as for OwnerSelection.
    std::function<int(QWidget* owner, const std::shared_ptr<IApp>& app,
                      const std::function<void(const TKUInfo&)>& addKU, bool toMap)>
        SheetSearch;
    // Parcel browser over the work table: mode 1 parcel parts, 0 parcels.
    std::function<void(QWidget* owner, int mode, const TSelectionContext& ctx)> ParcelBrowser;
    // The same browser opened on the first part of parcel (group, stem,
    // subdivision): a double click on a map window of the main window.
    std::function<void(QWidget* owner, int mode, const TSelectionContext& ctx, int group, int stem,
                       int subdivision)>
        ParcelBrowserAt;
    // Printed form of the given kind (1 simple, 2 detailed) in the preview.
    std::function<void(QWidget* owner, int kind, const TSelectionContext& ctx)> PrintReport;
    // Overall statistics of an area.
    std::function<void(QWidget* owner, const QString& workDbPath, const QString& alias,
                       const QString& suffix)>
        Statistics;
    // Opens a file or an address with the desktop's default application.
    std::function<bool(const QUrl& url)> OpenUrl;
};
