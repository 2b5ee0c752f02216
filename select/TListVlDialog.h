#pragma once

#include "app/core/DistrictCatalogue.h"
#include "app/core/MainOrvEntries.h"
#include "db/Query.h"
#include "select/core/TListVlSearch.h"

#include <QDialog>
#include <functional>
#include <memory>

class DatasetModel;
class QListWidgetItem;
class QPushButton;
class QStandardItemModel;
namespace Ui {
class TListVlDialog;
}

// "Vyhledání listů vlastnictví": an owner looked up by birth or company number
// or by name in the shown district, and every ownership sheet of that owner in
// the cadastral areas of the ticked districts. The areas found open in the
// main window; a sheet's parcels go to the browser or the printout. The
// windows of the floors above (catalogue, main window, browser) come in
// through the constructor.
class TListVlDialog : public QDialog
{
    Q_OBJECT

public:
    struct Entries
    {
        // The catalogue lookup: fills the area's names, false when the area
        // is not in the catalogue of the alias. The district catalogue's own
        // unless replaced.
        std::function<bool(const QString& alias, const QString& suffix, TKUInfo& info)> Lookup =
            &DistrictCatalogue::lookup;
        // Adds the area to the main window's open areas and makes it current.
        std::function<void(const TKUInfo& info)> AddKU;
        // The parcel browser in parts view over the sheet; its modal result.
        std::function<int(QWidget* owner, int sheet, const TSelectionContext& ctx)> Browser;
        // The printout of the sheet over the work table; when empty the
        // button says that it is not available.
        std::function<void(QWidget* owner, int sheet, const TSelectionContext& ctx)> SheetPrint;
    };
    // Modal result handed on from the browser entry ("Mapa").
    static constexpr int ResultMap = 6;

    // Fills the district list (raising "Není nadefinován žádný databázový
    // alias" when there is none) and shows the district shown last in this run.
    TListVlDialog(std::shared_ptr<IApp> app, Entries entries, QWidget* parent = nullptr);
    ~TListVlDialog() override;

    // The main window's entry: position restored, shown modally, saved.
    // Returns the dialog's result: ResultMap when a sheet's parts, listed
    // into the work table of the area made current, are to be shown on
    // the map.
    static int Execute(QWidget* owner, const std::shared_ptr<IApp>& app, const Entries& entries);

    // Handlers, named after their control and event.
    void ShowDistrict(int row);
    void OwnerSearch();
    void SearchBtnClick();
    void OKBtnClick();
    void ListingClick(bool print);

    // State for the window's callers and tests.
    QString ShownAlias() const { return m_shownAlias; }
    int ResultCount() const;
    int SkippedAreas() const { return m_skipped; }
    void SetTicked(int row, bool ticked);
    Query& TableOborg() { return m_tableOborg; }
    QStandardItemModel* ResultModel() const { return m_results; }
    static void ForgetLastAlias();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    void connectControls();
    void setupGrids();
    void setOwnerWidths();
    void fillAliases();
    void clearResults();
    void addResult(const TListVlHit& hit);
    void finishSearch(const TListVlSearch::Result& result, bool completed);
    // After each area: progress, Escape asked about, events processed.
    bool searchStep(int done, int areas);
    QStringList tickedAliases() const;
    int aliasRow(const QString& alias) const;
    void setSearchDefault(bool on);
    void guarded(const std::function<void()>& handler);

    std::unique_ptr<Ui::TListVlDialog> ui;
    std::shared_ptr<IApp> m_app;
    Entries m_entries;
    Query m_tableOborg;
    DatasetModel* m_owners = nullptr;
    QStandardItemModel* m_results = nullptr;
    QString m_shownAlias;
    int m_shownRow = -1;
    int m_skipped = 0;
    bool m_searching = false;
    bool m_escapePressed = false;
    Qt::CheckState m_pressedCheck = Qt::PartiallyChecked;
};
