#pragma once

#include "app/TCatalogueGrid.h"
#include "app/core/IApp.h"
#include "app/core/ICollection.h"
#include "app/core/TKUInfo.h"

#include <QDialog>
#include <memory>

class DatasetModel;
class Table;
class TSearchFieldEnter;
namespace Ui {
class TKatDialog;
}

// The catalogue dialog: the user picks a district alias and one or more
// cadastral areas from the district's catalogue "NYSKATAL.DB". Two modes:
// by cadastral area (all areas in one list, the upper grid shows the area's
// municipality) and by municipality (pick a municipality, its areas are
// listed below). The catalogue's rows, filters and the remembered choice come
// from DistrictCatalogue; the position is kept under "KatDialog".
class TKatDialog : public QDialog
{
    Q_OBJECT

public:
    enum class LoadErrors
    {
        Throw, // an engine error while loading the catalogue leaves the constructor
        Show   // it is shown to the user and the dialog stays empty
    };
    enum NavigatorButton
    {
        nbFirst,
        nbPrior,
        nbNext,
        nbLast
    };

    // Builds the dialog over the STANDARD aliases of the engine. With an empty
    // alias it starts from the saved settings, otherwise it opens that
    // district. Throws ETalvekException: "Není nadefinován žádný databázový
    // alias", "Alias okresu '%s' nebyl nalezen", or the engine's message when
    // the catalogue can't be opened (unless `loadErrors` is Show).
    TKatDialog(QWidget* owner, std::shared_ptr<IApp> app, const QString& alias,
               LoadErrors loadErrors = LoadErrors::Throw);
    ~TKatDialog() override;

    // The interactive run of the main window's open command. Fills `info` for
    // the area under the cursor and, when `collection` is given, allows
    // multiple selection and adds the ordinals (PORCIS as integers) of the
    // chosen areas in catalogue order. With no district alias defined it says
    // so and offers the alias manager. False when cancelled.
    static bool Execute(QWidget* owner, const std::shared_ptr<IApp>& app, TKUInfo& info,
                        const std::shared_ptr<ICollection>& collection, bool& openIntoWindow);
    // Handlers, named after their control and event.
    void AliasCBClick();
    void PodleKatClick();
    void DSObceDataChange();
    void DSKatastryDataChange();
    void DBNavigatorClick(NavigatorButton button);
    void EditKUKeyEnter();
    void FKUvOkrKeyEnter();
    void OKBtnClick();
    void KatastryDblClick();
    void AliasBtnClick();
    // True when a close with `result` may go ahead.
    bool FormCloseQuery(int result) const;

    // Filters the areas to the ordinal `number`; on success the area's fields
    // are shown. On failure the grid is empty and the typed number stays.
    bool LocateByNumber(const QString& number);

    // State of the run.
    const QString& Alias() const { return m_alias; }
    bool AliasLoaded() const { return m_aliasLoaded; }
    const QString& DistrictName() const { return m_districtName; }
    const QString& MunicipalityName() const { return m_municipalityName; }
    const QString& AreaName() const { return m_areaName; }
    Table* QueryObce() const { return m_queryObce; }
    Table* QueryKatastry() const { return m_queryKatastry; }
    DatasetModel* DSObce() const { return m_obceGrid->model(); }
    DatasetModel* DSKatastry() const { return m_katastryGrid->model(); }

    // Multiple selection in the area grid (on only when a collection is
    // filled). The selection is kept by area across the filters, as the
    // areas chosen before a search stay chosen.
    void SetMultiSelect(bool on);
    int SelectedAreaCount() const { return int(m_katastryGrid->selectedAreas().size()); }
    // Ordinals of the selected areas in catalogue (NAZEV) order; empty when
    // none is selected. Turns the area filter off, as the run has ended.
    QList<int> SelectedOrdinals();
    // The six fields of the area under the cursor.
    TKUInfo Result() const;
    void StoreSettings() const;

protected:
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

private:
    void setupGrids();
    void setupTable(Table* table);
    void connectControls();
    void disconnectHandlers();
    void fillAliases();
    void readSettings(QString& alias, QString& rememberedArea);
    void selectAlias(const QString& alias, bool given);
    void loadCatalogue();
    void clearCatalogue();
    void openCatalogue();
    void filterAreasOfMunicipality();
    void filterMunicipalityOfArea();
    void showArea();
    void clearAreaFields();
    void positionOnArea(const QString& name);
    void runShowingErrors(const std::function<void()>& handler);
    Table* navigatorTable() const;

    std::unique_ptr<Ui::TKatDialog> ui;
    std::shared_ptr<IApp> m_app;
    Table* m_queryObce = nullptr;
    Table* m_queryKatastry = nullptr;
    // Destroyed before the widgets they watch.
    std::unique_ptr<TCatalogueGrid> m_obceGrid;
    std::unique_ptr<TCatalogueGrid> m_katastryGrid;
    std::unique_ptr<TSearchFieldEnter> m_nameEnter;   // EditKU
    std::unique_ptr<TSearchFieldEnter> m_numberEnter; // FKUvOkr
    QString m_alias;
    bool m_aliasLoaded = false;
    QString m_districtName;
    QString m_municipalityName;
    QString m_areaName;
    bool m_shown = false;
};
