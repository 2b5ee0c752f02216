#pragma once

#include "app/core/MainOrvEntries.h"
#include "db/Query.h"

#include <QDialog>
#include <functional>
#include <memory>

class QButtonGroup;
class QPushButton;
class DatasetModel;
class TSheetSearch;
namespace Ui {
class TParOborgDlg;
}

// "Vlastnický nebo evidenční list": the pairs sheet number - owner of the
// open area, narrowed by sheet number, birth or company number or name; the
// listing copies the parcels of the current sheet (or of every sheet listed)
// into the work table and opens the browser over them, and the dialog stays
// open for the next sheet. The windows of the browser floor come in through
// the constructor.
class TParOborgDlg : public QDialog
{
    Q_OBJECT

public:
    struct Entries
    {
        // The parcel browser in parts view with the sheet number (negative:
        // a registration sheet, 0: several sheets); its modal result.
        std::function<int(QWidget* owner, int sheet, const TSelectionContext& ctx)> Browser;
        // The supplementary records of an ownership sheet.
        std::function<void(QWidget* owner, int sheet, const TSelectionContext& ctx)> Supplement;
        // The names listing of the owner list to a file or "PRN:" (the
        // printer), and the printout of the sheet over the work table. An
        // entry left empty makes its button say that it is not available.
        std::function<void(QWidget* owner, Query& owners, const QString& target,
                           const TSelectionContext& ctx)>
            NamesListing;
        std::function<void(QWidget* owner, int sheet, const TSelectionContext& ctx)> SheetPrint;
        // Asks for the names listing's file, empty when cancelled; when not
        // given, the program's save dialog asks.
        std::function<QString(QWidget* owner, const TSelectionContext& ctx)> AskListingFile;
    };
    // Modal result that closes the dialog from the browser (its "Mapa").
    static constexpr int ResultMap = 6;

    // Binds the owner list to the area's alias; opening happens in OpenData.
    TParOborgDlg(const TSelectionContext& ctx, Entries entries, QWidget* parent = nullptr);
    ~TParOborgDlg() override;

    // The main window's entry: position restored, data opened, the full list
    // searched, shown modally, position saved.
    // Runs the dialog; returns its result, ResultMap when the sheet's parts
    // are to be shown on the map ("Mapa" shows when the area has a map).
    static int Execute(QWidget* owner, const TSelectionContext& ctx, const Entries& entries);

    // Opens the area's ownership relations "NYSUV" + suffix and searches
    // with the typed key. Engine errors pass on.
    void OpenData();

    // Handlers, named after their control and event. Errors are shown here.
    void HledatBtnClick();
    void HledatClick();
    void CbAllClick();
    void OKBtnClick(QPushButton* button); // listing, print and map share it
    void DBGridOborgDblClick();
    void SeznamBtnClick();

    int TypListu() const;
    int Hledat() const;
    Query& QueryOborg() { return m_queryOborg; }
    DatasetModel* GridModel() const { return m_model; }
    // The sheet number of the grid's current row, 0 without one.
    int CurrentSheet() const;
    void SetCurrentRow(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    void setupGrid();
    TSheetSearch typedSearch() const;
    void search();
    // The sheet the listing is for (step 1), checked against NYSUV.
    int chosenSheet() const;
    void listing(QPushButton* button);
    void showFound(QPushButton* button, int sheet);
    QString askListingFile();
    // Runs a handler and shows its error; the dialog stays open.
    void guarded(const std::function<void()>& handler);

    std::unique_ptr<Ui::TParOborgDlg> ui;
    TSelectionContext m_ctx;
    Entries m_entries;
    Query m_queryOborg;
    DatasetModel* m_model = nullptr;
    QButtonGroup* m_typListu = nullptr;
    QButtonGroup* m_hledat = nullptr;
};
