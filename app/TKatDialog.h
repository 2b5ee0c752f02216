#pragma once

#include "app/core/IApp.h"
#include "app/core/ICollection.h"
#include "app/core/TKUInfo.h"

#include <QDialog>
#include <QSet>
#include <memory>

class DatasetModel;
class QItemSelection;
class Table;
namespace Ui {
class TKatDialog;
}

// The catalogue dialog: the user picks a district alias and one or more
// cadastral areas from the district's catalogue "NYSKATAL.DB". Two modes:
// by cadastral area (all areas in one list, the upper grid shows the area's
// municipality) and by municipality (pick a municipality, its areas are
// listed below). Without being shown, the same class looks an area up by its
// three-digit ordinal in a district (Lookup).
//
// Settings: "KatDialog.Okres" (last alias), "KatDialog.Katastr" (last area
// name), "KatDialog.PodleKat" (mode); position under "KatDialog".
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
    // The silent lookup of an area by its ordinal `suffix` in the district of
    // `alias`: fills Okres, Obec, Katastr and Kod of `info` (Alias and Suffix
    // are left alone) and returns true, or returns false and leaves `info`
    // unchanged.
    static bool Lookup(const std::shared_ptr<IApp>& app, const QString& alias,
                       const QString& suffix, TKUInfo& info);

    // Makes the next interactive run start on the district of `alias` (after
    // an import has made it).
    static void RememberDistrict(IApp& app, const QString& alias);

    // The names of the engine's aliases whose driver is exactly "STANDARD",
    // in the engine's order.
    static QStringList DistrictAliases();

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
    DatasetModel* DSObce() const { return m_dsObce; }
    DatasetModel* DSKatastry() const { return m_dsKatastry; }

    // Multiple selection in the area grid (on only when a collection is
    // filled). The selection is kept by area across the filters, as the
    // areas chosen before a search stay chosen.
    void SetMultiSelect(bool on);
    int SelectedAreaCount() const { return int(m_selectedAreas.size()); }
    // Ordinals of the selected areas in catalogue (NAZEV) order; empty when
    // none is selected. Turns the area filter off, as the run has ended.
    QList<int> SelectedOrdinals();
    // The six fields of the area under the cursor.
    TKUInfo Result() const;
    void StoreSettings() const;

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
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
    void syncGridToDataset(Table* table);
    void gridRowChanged(Table* table, int row);
    void katastryViewChanged();
    void katastrySelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    QString areaKeyAt(int row) const;
    Table* navigatorTable() const;
    static QString quoted(const QString& text);

    std::unique_ptr<Ui::TKatDialog> ui;
    std::shared_ptr<IApp> m_app;
    Table* m_queryObce = nullptr;
    Table* m_queryKatastry = nullptr;
    DatasetModel* m_dsObce = nullptr;
    DatasetModel* m_dsKatastry = nullptr;
    QString m_alias;
    bool m_aliasLoaded = false;
    QString m_districtName;
    QString m_municipalityName;
    QString m_areaName;
    bool m_multiSelect = false;
    QSet<QString> m_selectedAreas; // KATUZ + PORCIS of each selected area
    bool m_syncing = false;
    bool m_shown = false;
};
