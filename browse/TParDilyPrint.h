#pragma once

#include "app/core/IApp.h"
#include "app/core/MainOrvEntries.h"
#include "app/core/TKUInfo.h"
#include "browse/core/TTextListing.h"

#include <QString>
#include <memory>

class Dataset;
class QWidget;
class TCProcessDlg;

// The browser's "&Tisk" and "&Výměry" commands over the marked parts of the
// work table: the output options, then a text listing into a file or onto
// the printer, or a printed form through the report dispatcher; the area
// summary dialog with its file and printer output. Long listings show
// "Probíhá tisk ..." in the given progress window and can be stopped there.
// The sheet dialogs, which have no browser, print through the same command
// as a browser freshly opened over the work table would.
class TParDilyPrint
{
public:
    struct Browser
    {
        QWidget* window = nullptr; // the calling window (dialogs centre over it)
        TCProcessDlg* progress = nullptr;
        int listNumber = 0; // > 0 ownership sheet, < 0 minus an evidence list
        int detailPage = 0; // the browser's detail page
        QString indexName;  // the work table's current order ("" key order)
    };

    TParDilyPrint(std::shared_ptr<IApp> app, TKUInfo ku, QString workTablePath, Browser browser);

    // "&Tisk": false when nothing happened (options cancelled). A form choice
    // is returned through `formKind` and `copies` for the caller to dispatch
    // after it closed (0 when there is no form to print).
    bool PrintParDily(int& formKind, int& copies);
    // "&Výměry": sums, the dialog, then the file or the printer.
    void VymeryBtnClick();

    // The owners listing (kind 254) of an owner list: "PRN:" prints it, any
    // other target is written as a text file (not opened).
    void PrintOwners(const QList<TTextListing::OwnerRow>& owners, const QString& target);

    // "&Tisk" of a sheet dialog: the print command over the marked parts
    // the work table holds for `sheet` (> 0 an ownership sheet, < 0 minus a
    // registration sheet), as a browser just opened over the work table
    // prints (key order, text page): the output options, then the listing,
    // or the form that the report dispatcher previews or prints.
    static void PrintSheet(QWidget* owner, int sheet, const TSelectionContext& ctx);
    // "&Seznam jmen": the owners listing of an owner list (columns ELLVCIS,
    // IDENT, NAZEV) on the printer for "PRN:", else into the file `target`.
    static void PrintOwnerList(QWidget* owner, const Dataset& owners, const QString& target,
                               const TSelectionContext& ctx);

    // Whether the area's supplementary-records table answers a query (the
    // sheet form 3 needs it; else the short sheet form 4).
    bool SheetQueryOpens() const;
    TTextListing::Setup ListingSetup() const;

private:
    TTextListing::Progress PrintProgress() const;

    std::shared_ptr<IApp> m_app;
    TKUInfo m_ku;
    QString m_workTablePath;
    Browser m_browser;
};
