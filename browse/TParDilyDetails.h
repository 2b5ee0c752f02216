#pragma once

#include "browse/TPartsGrid.h"

#include <QObject>

class TBrowseGridModel;
class TBrowseTables;
namespace Ui {
class TParDilyDbf;
}

// The detail pane of the browser for the part shown: the texts of its codes,
// the owners of its sheet (or, for a building apart from its land, of the
// land's sheet when the check box says so) with their characteristic, the
// users with their sector, the soil quality and the older-register parcels.
class TParDilyDetails : public QObject
{
    Q_OBJECT

public:
    TParDilyDetails(Ui::TParDilyDbf& ui, TBrowseTables& tables, TPartsGrid::Guard guard,
                    QObject* parent);

    // Shows the part that became current; the soil quality and the older
    // parcels are read only while their page is shown.
    void ShowPart(bool soilPage, bool olderParcelsPage);
    // The land-sheet check box: the owners of the land's or the own sheet.
    void LandSheetClicked();

    TBrowseGridModel* OwnersModel() const { return m_owners; }
    int OwnLV() const { return m_ownLv; }
    int LandLV() const { return m_landLv; }

private:
    void createModels();
    void connectGrids(TPartsGrid::Guard guard);
    void showCodeTexts();
    void showOwners();
    void showCharacteristic();
    void showSector();
    void showOlderParcels();

    Ui::TParDilyDbf& ui;
    TBrowseTables& m_tables;
    TBrowseGridModel* m_owners = nullptr;
    int m_ownLv = 0;
    int m_landLv = 0;
};
