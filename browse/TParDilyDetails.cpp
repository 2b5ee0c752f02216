#include "browse/TParDilyDetails.h"

#include "ui_TParDilyDbf.h"

#include "browse/core/TBrowseGridModel.h"
#include "browse/core/TBrowseTables.h"
#include "data/CadastralTables.h"
#include "db/Query.h"
#include "db/Table.h"

#include <QHeaderView>

using namespace ParDilyRules;

TParDilyDetails::TParDilyDetails(Ui::TParDilyDbf& ui, TBrowseTables& tables,
                                 TPartsGrid::Guard guard, QObject* parent)
    : QObject(parent), ui(ui), m_tables(tables)
{
    ui.DoplCB->setStyleSheet(
        "QCheckBox { color: white; background-color: #202060; font-weight: bold; }");
    ui.DoplCB->hide();
    createModels();
    connectGrids(std::move(guard));
}

void TParDilyDetails::createModels()
{
    m_owners = new TBrowseGridModel(&m_tables.Owners(), TBrowseTables::OwnerColumns(), this);
    const QList<QPair<QTableView*, TBrowseGridModel*>> grids = {
        {ui.DBGridVl, m_owners},
        {ui.DBGridUz, new TBrowseGridModel(&m_tables.Users(), TBrowseTables::UserColumns(), this)},
        {ui.DBGridBonity,
         new TBrowseGridModel(&m_tables.Bonity(), TBrowseTables::BonityColumns(), this)},
        {ui.DBGridPK, new TBrowseGridModel(&m_tables.OlderParcels(),
                                           TBrowseTables::OlderParcelColumns(), this)}};
    for (const auto& [view, model] : grids)
        TPartsGrid::SetupView(view, model);
    // The name columns take the width a wider window gives.
    ui.DBGridVl->horizontalHeader()->setStretchLastSection(true);
    ui.DBGridUz->horizontalHeader()->setStretchLastSection(true);
    ui.DBGridUz->horizontalHeader()->hide();
}

void TParDilyDetails::connectGrids(TPartsGrid::Guard guard)
{
    // The users table follows the current part through its master link, after
    // the part's own update has run; the sector is read once it has moved.
    connect(&m_tables.Users(), &Dataset::viewChanged, this, &TParDilyDetails::showSector);
    const QList<std::tuple<QTableView*, Table*, void (TParDilyDetails::*)()>> grids = {
        {ui.DBGridVl, &m_tables.Owners(), &TParDilyDetails::showCharacteristic},
        {ui.DBGridUz, &m_tables.Users(), &TParDilyDetails::showSector}};
    for (const auto& [view, table, show] : grids)
        connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this, table, show](const QModelIndex& current) {
                    if (table->isActive() && current.isValid())
                        table->setRecNo(current.row());
                    (this->*show)();
                });
    connect(ui.DoplCB, &QCheckBox::clicked, this,
            [this, guard] { guard([this] { LandSheetClicked(); }); });
}

void TParDilyDetails::ShowPart(bool soilPage, bool olderParcelsPage)
{
    showCodeTexts();
    showOwners();
    if (soilPage)
        m_tables.SelectBonity();
    else if (olderParcelsPage)
        showOlderParcels();
}

void TParDilyDetails::showCodeTexts()
{
    const TBrowseTables::PartTexts texts = m_tables.CurrentPartTexts();
    ui.TextDruhP->setText(texts.landKind);
    ui.TextVyuz->setText(texts.landUse);
    ui.TextVlVztah->setText(texts.relation);
    ui.TextOchrNem1->setText(texts.protection[0]);
    ui.TextOchrNem2->setText(texts.protection[1]);
    ui.TextOchrNem3->setText(texts.protection[2]);
}

void TParDilyDetails::showOwners()
{
    Table& pa = m_tables.Parts();
    m_ownLv = pa.isEmpty() ? 0 : int(pa.asInteger("LVCIS"));
    int lv = m_ownLv;
    if (!pa.isEmpty() && pa.asInteger("VLVZTAH") == RelationLandAndBuildingApart) {
        ui.DoplCB->setEnabled(false);
        const LandSheet land = m_tables.FindLandSheet(m_ownLv);
        m_landLv = land.lv;
        ui.DoplCB->setText(LandSheetCaption(land.found ? m_landLv : 0));
        ui.DoplCB->setChecked(land.found);
        ui.DoplCB->setEnabled(land.found);
        ui.DoplCB->show();
        if (land.found)
            lv = m_landLv;
    } else {
        ui.DoplCB->hide();
    }
    if (m_tables.Owners().isActive())
        m_tables.Owners().setRange({lv}, {lv});
    showCharacteristic();
}

void TParDilyDetails::LandSheetClicked()
{
    if (!m_tables.Owners().isActive())
        return;
    m_tables.ShowOwnersOf(ui.DoplCB->isChecked() ? m_landLv : m_ownLv);
    showCharacteristic();
}

void TParDilyDetails::showCharacteristic()
{
    ui.Charak->setText(m_tables.OwnerCharacteristicText());
}

void TParDilyDetails::showSector()
{
    ui.Sektor->setText(m_tables.SectorText());
}

void TParDilyDetails::showOlderParcels()
{
    m_tables.SelectOlderParcels();
    const Query& pk = m_tables.OlderParcels();
    ui.AddPKBtn->setEnabled(pk.isActive() && !pk.isEmpty());
}
