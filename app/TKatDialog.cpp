#include "app/TKatDialog.h"

#include "widgets/DialogPos.h"
#include "widgets/MessageDlg.h"
#include "app/TAliasManagerDialog.h"
#include "app/TSearchFieldEnter.h"
#include "app/core/DistrictCatalogue.h"
#include "base/ETalvekException.h"
#include "widgets/TWaitCursor.h"
#include "db/DatasetModel.h"
#include "db/Table.h"
#include "ui_TKatDialog.h"

namespace {
const QString captionBase = QStringLiteral("Volba katastrálního území v okrese ");
// Width of the name column in characters.
constexpr int nameDisplayWidth = 40;
} // namespace

TKatDialog::TKatDialog(QWidget* owner, std::shared_ptr<IApp> app, const QString& alias,
                       LoadErrors loadErrors)
    : QDialog(owner), ui(std::make_unique<Ui::TKatDialog>()), m_app(std::move(app))
{
    ui->setupUi(this);
    // The grids grow with the window; the size is kept with the position.
    setSizeGripEnabled(true);
    ui->OpenToWindowCB->hide();
    m_queryObce = new Table(this);
    m_queryObce->setObjectName(QStringLiteral("QueryObce"));
    m_queryKatastry = new Table(this);
    m_queryKatastry->setObjectName(QStringLiteral("QueryKatastry"));
    setupTable(m_queryObce);
    setupTable(m_queryKatastry);
    setupGrids();

    fillAliases();
    if (ui->AliasCB->count() == 0)
        throw ETalvekException(QStringLiteral("Není nadefinován žádný databázový alias"));
    QString wanted = alias;
    QString rememberedArea;
    if (alias.isEmpty())
        readSettings(wanted, rememberedArea);
    RestoreDialogPos(*m_app, this);
    selectAlias(wanted, !alias.isEmpty());
    connectControls();
    try {
        if (loadErrors == LoadErrors::Throw)
            AliasCBClick();
        else
            runShowingErrors([this] { AliasCBClick(); });
    } catch (...) {
        disconnectHandlers();
        throw;
    }
    if (m_aliasLoaded && !rememberedArea.isEmpty())
        positionOnArea(rememberedArea);
}

TKatDialog::~TKatDialog()
{
    disconnectHandlers();
    // A dialog never shown (refused, or built by a test) was never placed on
    // the screen: its position means nothing and would spoil the stored one.
    if (!m_shown)
        return;
    try {
        SaveDialogPos(*m_app, this);
    } catch (const ETalvekException&) {
        // The position is a convenience; failing to store it loses nothing.
    }
}

void TKatDialog::disconnectHandlers()
{
    // The grid helpers and their models go first; the widgets and tables are
    // destroyed after this part of the object, and none of their last signals
    // may reach the handlers any more.
    m_obceGrid.reset();
    m_katastryGrid.reset();
    m_nameEnter.reset();
    m_numberEnter.reset();
    for (QObject* sender : {m_queryObce, m_queryKatastry})
        sender->disconnect(this);
}

void TKatDialog::setupTable(Table* table)
{
    DistrictCatalogue::bind(*table, QString());
    table->setFilter(DistrictCatalogue::areaRows());
    table->setFiltered(true);
}

void TKatDialog::setupGrids()
{
    const int nameWidth = fontMetrics().averageCharWidth() * nameDisplayWidth + 8;
    const auto guard = [this](const std::function<void()>& step) { runShowingErrors(step); };
    m_obceGrid = std::make_unique<TCatalogueGrid>(ui->Obce, m_queryObce, nameWidth, 5, guard);
    m_katastryGrid =
        std::make_unique<TCatalogueGrid>(ui->Katastry, m_queryKatastry, nameWidth, 10, guard);
}

void TKatDialog::connectControls()
{
    connect(ui->AliasCB, &QComboBox::activated, this,
            [this] { runShowingErrors([this] { AliasCBClick(); }); });
    connect(ui->PodleKat, &QCheckBox::clicked, this,
            [this] { runShowingErrors([this] { PodleKatClick(); }); });
    connect(ui->AliasBtn, &QPushButton::clicked, this,
            [this] { runShowingErrors([this] { AliasBtnClick(); }); });
    connect(ui->OKBtn, &QPushButton::clicked, this,
            [this] { runShowingErrors([this] { OKBtnClick(); }); });
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->Katastry, &QAbstractItemView::doubleClicked, this,
            [this] { runShowingErrors([this] { KatastryDblClick(); }); });
    const std::pair<QToolButton*, NavigatorButton> navigator[] = {{ui->NavFirst, nbFirst},
                                                                  {ui->NavPrior, nbPrior},
                                                                  {ui->NavNext, nbNext},
                                                                  {ui->NavLast, nbLast}};
    for (const auto& [button, which] : navigator) {
        connect(button, &QToolButton::clicked, this,
                [this, which] { runShowingErrors([this, which] { DBNavigatorClick(which); }); });
    }

    // Errors must not leave a signal of the dataset: they are shown here.
    connect(m_queryObce, &Dataset::currentChanged, this,
            [this] { runShowingErrors([this] { DSObceDataChange(); }); });
    connect(m_queryKatastry, &Dataset::currentChanged, this,
            [this] { runShowingErrors([this] { DSKatastryDataChange(); }); });

    m_nameEnter = std::make_unique<TSearchFieldEnter>(
        ui->EditKU, ui->OKBtn, [this] { runShowingErrors([this] { EditKUKeyEnter(); }); });
    m_numberEnter = std::make_unique<TSearchFieldEnter>(
        ui->FKUvOkr, ui->OKBtn, [this] { runShowingErrors([this] { FKUvOkrKeyEnter(); }); });
}

void TKatDialog::fillAliases()
{
    ui->AliasCB->clear();
    ui->AliasCB->addItems(DistrictCatalogue::districtAliasesInNameOrder());
}

void TKatDialog::readSettings(QString& alias, QString& rememberedArea)
{
    const DistrictCatalogue::Choice choice =
        DistrictCatalogue::rememberedChoice(*m_app->Settings());
    alias = choice.alias;
    rememberedArea = choice.area;
    ui->PodleKat->setChecked(choice.byArea);
}

void TKatDialog::StoreSettings() const
{
    DistrictCatalogue::rememberChoice(*m_app->Settings(),
                                      {m_alias, m_areaName, ui->PodleKat->isChecked()});
}

void TKatDialog::selectAlias(const QString& alias, bool given)
{
    const int index = alias.isEmpty() ? -1 : ui->AliasCB->findText(alias, Qt::MatchFixedString);
    if (index < 0 && given)
        throw ETalvekException(QStringLiteral("Alias okresu '%1' nebyl nalezen").arg(alias));
    ui->AliasCB->setCurrentIndex(index < 0 ? 0 : index);
}

void TKatDialog::AliasCBClick()
{
    m_alias = ui->AliasCB->currentText();
    if (m_alias.endsWith(u':'))
        m_alias.chop(1);
    loadCatalogue();
}

void TKatDialog::PodleKatClick()
{
    loadCatalogue();
}

void TKatDialog::loadCatalogue()
{
    clearCatalogue();
    if (m_alias.isEmpty() || ui->AliasCB->findText(m_alias, Qt::MatchFixedString) < 0)
        return;
    TWaitCursor wait(*m_app);
    openCatalogue();
    m_aliasLoaded = true;
    ui->Obce->setEnabled(true);
    ui->Katastry->setEnabled(true);
    const bool byArea = ui->PodleKat->isChecked();
    ui->EditKU->setEnabled(byArea);
    ui->FKUvOkr->setEnabled(byArea);
    m_obceGrid->syncToTable();
    m_katastryGrid->syncToTable();
    DSKatastryDataChange();
}

void TKatDialog::clearCatalogue()
{
    setWindowTitle(captionBase);
    m_aliasLoaded = false;
    m_districtName.clear();
    m_municipalityName.clear();
    for (QWidget* w : {static_cast<QWidget*>(ui->Obce), static_cast<QWidget*>(ui->Katastry),
                       static_cast<QWidget*>(ui->EditKU), static_cast<QWidget*>(ui->FKUvOkr)})
        w->setEnabled(false);
    clearAreaFields();
    m_queryObce->close();
    m_queryKatastry->close();
}

void TKatDialog::openCatalogue()
{
    m_queryObce->setDatabaseName(m_alias);
    m_queryKatastry->setDatabaseName(m_alias);
    m_queryObce->setFilter(DistrictCatalogue::districtRow());
    m_queryObce->open();
    m_districtName = m_queryObce->asString(QStringLiteral("NAZEV"));
    setWindowTitle(captionBase + m_districtName);
    if (ui->PodleKat->isChecked()) {
        m_municipalityName.clear();
        m_queryKatastry->setFilter(DistrictCatalogue::areaRows());
    } else {
        m_queryObce->setFilter(DistrictCatalogue::municipalityRows());
        m_municipalityName = m_queryObce->asString(QStringLiteral("NAZEV"));
        filterAreasOfMunicipality();
    }
    m_queryKatastry->open();
}

void TKatDialog::filterAreasOfMunicipality()
{
    m_queryKatastry->setFilter(
        DistrictCatalogue::areasOfMunicipality(m_queryObce->asString(QStringLiteral("KATUZ"))));
}

void TKatDialog::filterMunicipalityOfArea()
{
    m_queryObce->setFilter(DistrictCatalogue::municipalityOfArea(ui->EditKatuz->text()));
    m_municipalityName = m_queryObce->asString(QStringLiteral("NAZEV"));
}

void TKatDialog::DSObceDataChange()
{
    if (!m_aliasLoaded || ui->PodleKat->isChecked())
        return;
    ui->EditKU->setEnabled(false);
    ui->FKUvOkr->setEnabled(false);
    m_municipalityName = m_queryObce->asString(QStringLiteral("NAZEV"));
    filterAreasOfMunicipality();
}

void TKatDialog::DSKatastryDataChange()
{
    if (!m_aliasLoaded)
        return;
    if (m_queryKatastry->isEmpty()) {
        clearAreaFields();
        return;
    }
    showArea();
}

void TKatDialog::showArea()
{
    ui->EditKatuz->setText(m_queryKatastry->asString(QStringLiteral("KATUZ")));
    ui->FKUvOkr->setText(m_queryKatastry->asString(QStringLiteral("PORCIS")));
    ui->FKatJCSJ->setText(m_queryKatastry->asString(QStringLiteral("IDENTCIS")));
    ui->EditKU->setText(m_queryKatastry->asString(QStringLiteral("NAZEV")));
    m_areaName = ui->EditKU->text();
    if (ui->PodleKat->isChecked())
        filterMunicipalityOfArea();
}

void TKatDialog::clearAreaFields()
{
    ui->EditKatuz->clear();
    ui->FKUvOkr->clear();
    ui->FKatJCSJ->clear();
    ui->EditKU->clear();
    m_areaName.clear();
}

void TKatDialog::positionOnArea(const QString& name)
{
    // Without a match the cursor stays on the first row.
    m_queryKatastry->findKey({name});
}

Table* TKatDialog::navigatorTable() const
{
    return ui->PodleKat->isChecked() ? m_queryKatastry : m_queryObce;
}

void TKatDialog::DBNavigatorClick(NavigatorButton button)
{
    Table* table = navigatorTable();
    if (!table->isActive())
        return;
    // In the order of NavigatorButton.
    static void (Dataset::*const moves[])() = {&Dataset::first, &Dataset::prior, &Dataset::next,
                                               &Dataset::last};
    (table->*moves[button])();
    if (table == m_queryKatastry)
        DSKatastryDataChange();
    else
        DSObceDataChange();
}

void TKatDialog::EditKUKeyEnter()
{
    if (!m_aliasLoaded)
        return;
    const QString typed = ui->EditKU->text();
    m_queryKatastry->setFilter(DistrictCatalogue::areasNamed(typed));
    DSKatastryDataChange();
    if (m_queryKatastry->isEmpty())
        ui->EditKU->setText(typed);
    ui->Katastry->setFocus();
}

void TKatDialog::FKUvOkrKeyEnter()
{
    LocateByNumber(ui->FKUvOkr->text());
    ui->Katastry->setFocus();
}

bool TKatDialog::LocateByNumber(const QString& number)
{
    if (!m_aliasLoaded)
        return false;
    const QString typed = number;
    m_queryKatastry->setFilter(DistrictCatalogue::areasNumbered(number));
    if (m_queryKatastry->isEmpty()) {
        ui->FKUvOkr->setText(typed);
        return false;
    }
    DSKatastryDataChange();
    return true;
}

void TKatDialog::OKBtnClick()
{
    if (LocateByNumber(ui->FKUvOkr->text()))
        done(QDialog::Accepted);
}

void TKatDialog::KatastryDblClick()
{
    done(QDialog::Accepted);
}

bool TKatDialog::FormCloseQuery(int result) const
{
    if (result != QDialog::Accepted)
        return true;
    return (m_katastryGrid->multiSelect() && !m_katastryGrid->selectedAreas().isEmpty()) ||
           !ui->FKUvOkr->text().isEmpty();
}

void TKatDialog::done(int result)
{
    if (FormCloseQuery(result))
        QDialog::done(result);
}

void TKatDialog::AliasBtnClick()
{
    TAliasManagerDialog manager(this, m_app, m_alias);
    manager.exec();
    const QString current = manager.CurrentAlias();
    fillAliases();
    if (ui->AliasCB->count() == 0) {
        m_alias.clear();
        clearCatalogue();
        return;
    }
    selectAlias(current, false);
    AliasCBClick();
}

void TKatDialog::SetMultiSelect(bool on)
{
    m_katastryGrid->setMultiSelect(on);
}

QList<int> TKatDialog::SelectedOrdinals()
{
    if (!m_aliasLoaded || m_katastryGrid->selectedAreas().isEmpty())
        return {};
    return DistrictCatalogue::ordinalsInNameOrder(m_alias, m_katastryGrid->selectedAreas());
}

TKUInfo TKatDialog::Result() const
{
    return TKUInfo{m_alias,    m_districtName,      m_municipalityName,
                   m_areaName, ui->FKUvOkr->text(), ui->FKatJCSJ->text()};
}

void TKatDialog::showEvent(QShowEvent* event)
{
    m_shown = true;
    QDialog::showEvent(event);
}

void TKatDialog::runShowingErrors(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const ETalvekException& e) {
        m_app->ShowWaitCursor(false);
        ErrorBox(e.message());
    }
}

bool TKatDialog::Execute(QWidget* owner, const std::shared_ptr<IApp>& app, TKUInfo& info,
                         const std::shared_ptr<ICollection>& collection, bool& openIntoWindow)
{
    openIntoWindow = false;
    if (DistrictCatalogue::districtAliases().isEmpty()) {
        // Say so, and let the user define a district without leaving ORV.
        ErrorBox(QStringLiteral("Není nadefinován žádný databázový alias"));
        TAliasManagerDialog manager(owner, app, QString());
        manager.exec();
        if (DistrictCatalogue::districtAliases().isEmpty())
            return false;
    }
    TKatDialog dialog(owner, app, QString(), LoadErrors::Show);
    dialog.SetMultiSelect(collection != nullptr);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    info = dialog.Result();
    if (collection) {
        const QList<int> ordinals = dialog.SelectedOrdinals();
        for (int ordinal : ordinals)
            collection->Add(ordinal);
        if (ordinals.isEmpty())
            collection->Add(DistrictCatalogue::ordinalValue(dialog.ui->FKUvOkr->text()));
    }
    dialog.StoreSettings();
    return true;
}
