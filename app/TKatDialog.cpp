#include "app/TKatDialog.h"

#include "widgets/DialogPos.h"
#include "widgets/MessageDlg.h"
#include "app/TAliasManagerDialog.h"
#include "base/ETalvekException.h"
#include "widgets/TWaitCursor.h"
#include "db/DatasetModel.h"
#include "db/Engine.h"
#include "db/Table.h"
#include "ui_TKatDialog.h"

#include <QCollator>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>

namespace {
const QString catalogueTable = QStringLiteral("NYSKATAL.DB");
const QString captionBase = QStringLiteral("Volba katastrálního území v okrese ");
const QString districtRow = QStringLiteral("PORCIS = '000' and KATUZ = '00000'");
const QString municipalityRows = QStringLiteral("PORCIS = '000' and KATUZ > '00000'");
const QString areaRows = QStringLiteral("PORCIS > '000'");
// Width of the name column in characters.
constexpr int nameDisplayWidth = 40;

// An ordinal as an integer; text that is not a number counts as 0.
int ordinalValue(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}
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
    // A dialog used only for a lookup was never placed on the screen: its
    // position means nothing and would spoil the stored one.
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
    // The grids, models and tables are destroyed after this part of the
    // object: none of their last signals may reach the handlers any more.
    for (QObject* sender :
         {static_cast<QObject*>(m_queryObce), static_cast<QObject*>(m_queryKatastry),
          static_cast<QObject*>(m_dsKatastry), static_cast<QObject*>(ui->Obce->selectionModel()),
          static_cast<QObject*>(ui->Katastry->selectionModel())})
        sender->disconnect(this);
    ui->EditKU->removeEventFilter(this);
    ui->FKUvOkr->removeEventFilter(this);
}

void TKatDialog::setupTable(Table* table)
{
    table->setTableName(catalogueTable);
    table->setReadOnly(true);
    table->setIndexFieldNames(QStringLiteral("NAZEV"));
    table->setFilter(areaRows);
    table->setFiltered(true);
}

void TKatDialog::setupGrids()
{
    m_dsObce = new DatasetModel(m_queryObce, this);
    m_dsKatastry = new DatasetModel(m_queryKatastry, this);
    const int nameWidth = fontMetrics().averageCharWidth() * nameDisplayWidth + 8;
    for (auto [grid, model] :
         {std::pair{ui->Obce, m_dsObce}, std::pair{ui->Katastry, m_dsKatastry}}) {
        model->setColumns({{QStringLiteral("NAZEV"), QStringLiteral("NAZEV")}});
        grid->setModel(model);
        grid->verticalHeader()->hide();
        grid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
        grid->horizontalHeader()->setStretchLastSection(true);
        grid->setMinimumWidth(nameWidth + grid->frameWidth() * 2 + 20);
        grid->setColumnWidth(0, nameWidth);
    }
    ui->Obce->setMinimumHeight(fontMetrics().height() * 5);
    ui->Katastry->setMinimumHeight(fontMetrics().height() * 10);
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
    connect(m_queryObce, &Dataset::currentChanged, this, [this] {
        syncGridToDataset(m_queryObce);
        runShowingErrors([this] { DSObceDataChange(); });
    });
    connect(m_queryObce, &Dataset::viewChanged, this, [this] { syncGridToDataset(m_queryObce); });
    connect(m_queryKatastry, &Dataset::currentChanged, this, [this] {
        syncGridToDataset(m_queryKatastry);
        runShowingErrors([this] { DSKatastryDataChange(); });
    });
    connect(m_dsKatastry, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { m_syncing = true; });
    connect(m_dsKatastry, &QAbstractItemModel::modelReset, this, [this] { katastryViewChanged(); });

    connect(ui->Obce->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                runShowingErrors([&] { gridRowChanged(m_queryObce, current.row()); });
            });
    connect(ui->Katastry->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                runShowingErrors([&] { gridRowChanged(m_queryKatastry, current.row()); });
            });
    connect(ui->Katastry->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TKatDialog::katastrySelectionChanged);

    ui->EditKU->installEventFilter(this);
    ui->FKUvOkr->installEventFilter(this);
}

QStringList TKatDialog::DistrictAliases()
{
    const EngineAliases& aliases = Engine::instance().aliases();
    QStringList names;
    for (const QString& name : aliases.names()) {
        if (aliases.driverName(name) == EngineAliases::standardDriver())
            names.append(name);
    }
    return names;
}

void TKatDialog::fillAliases()
{
    QStringList names = DistrictAliases();
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
    ui->AliasCB->clear();
    ui->AliasCB->addItems(names);
}

void TKatDialog::readSettings(QString& alias, QString& rememberedArea)
{
    ISettings& settings = *m_app->Settings();
    alias = settings.GetValue(QStringLiteral("KatDialog.Okres"), QString()).toString();
    rememberedArea = settings.GetValue(QStringLiteral("KatDialog.Katastr"), QString()).toString();
    ui->PodleKat->setChecked(
        settings.GetValue(QStringLiteral("KatDialog.PodleKat"), true).toBool());
}

void TKatDialog::RememberDistrict(IApp& app, const QString& alias)
{
    app.Settings()->SetValue(QStringLiteral("KatDialog.Okres"), alias);
    app.Settings()->SetValue(QStringLiteral("KatDialog.Katastr"), QString());
}

void TKatDialog::StoreSettings() const
{
    ISettings& settings = *m_app->Settings();
    settings.SetValue(QStringLiteral("KatDialog.Okres"), m_alias);
    settings.SetValue(QStringLiteral("KatDialog.Katastr"), m_areaName);
    settings.SetValue(QStringLiteral("KatDialog.PodleKat"), ui->PodleKat->isChecked());
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
    syncGridToDataset(m_queryObce);
    syncGridToDataset(m_queryKatastry);
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
    m_queryObce->setFilter(districtRow);
    m_queryObce->open();
    m_districtName = m_queryObce->asString(QStringLiteral("NAZEV"));
    setWindowTitle(captionBase + m_districtName);
    if (ui->PodleKat->isChecked()) {
        m_municipalityName.clear();
        m_queryKatastry->setFilter(areaRows);
    } else {
        m_queryObce->setFilter(municipalityRows);
        m_municipalityName = m_queryObce->asString(QStringLiteral("NAZEV"));
        filterAreasOfMunicipality();
    }
    m_queryKatastry->open();
}

void TKatDialog::filterAreasOfMunicipality()
{
    const QString prefix = m_queryObce->asString(QStringLiteral("KATUZ")).left(3);
    m_queryKatastry->setFilter(
        QStringLiteral("KATUZ >= %1 and KATUZ <= %2")
            .arg(quoted(prefix + QStringLiteral("01")), quoted(prefix + QStringLiteral("99"))));
}

void TKatDialog::filterMunicipalityOfArea()
{
    m_queryObce->setFilter(QStringLiteral("KATUZ = %1")
                               .arg(quoted(ui->EditKatuz->text().left(3) + QStringLiteral("00"))));
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
    switch (button) {
    case nbFirst:
        table->first();
        break;
    case nbPrior:
        table->prior();
        break;
    case nbNext:
        table->next();
        break;
    case nbLast:
        table->last();
        break;
    }
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
    // The typed text is data: quotes are doubled, and the one trailing "*"
    // added here is the only wildcard (a "*" the user typed stays a character).
    m_queryKatastry->setFilter(areaRows + QStringLiteral(" and NAZEV = ") +
                               quoted(typed.toUpper() + u'*'));
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
    // A trailing "*" would make "=" a prefix match; the range form compares
    // the text exactly.
    const QString value = quoted(number);
    const QString condition = number.endsWith(u'*')
                                  ? QStringLiteral("PORCIS >= %1 and PORCIS <= %1").arg(value)
                                  : QStringLiteral("PORCIS = %1").arg(value);
    m_queryKatastry->setFilter(areaRows + QStringLiteral(" and ") + condition);
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
    return (m_multiSelect && !m_selectedAreas.isEmpty()) || !ui->FKUvOkr->text().isEmpty();
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
    m_multiSelect = on;
    m_selectedAreas.clear();
    ui->Katastry->clearSelection();
    ui->Katastry->setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                                      : QAbstractItemView::SingleSelection);
    syncGridToDataset(m_queryKatastry);
}

QString TKatDialog::areaKeyAt(int row) const
{
    const QVariantList values = m_queryKatastry->rowValues(row);
    return values.value(m_queryKatastry->fieldIndex(QStringLiteral("KATUZ"))).toString() + u'|' +
           values.value(m_queryKatastry->fieldIndex(QStringLiteral("PORCIS"))).toString();
}

void TKatDialog::katastrySelectionChanged(const QItemSelection& selected,
                                          const QItemSelection& deselected)
{
    if (m_syncing || !m_multiSelect || !m_queryKatastry->isActive())
        return;
    for (const QModelIndex& index : deselected.indexes())
        m_selectedAreas.remove(areaKeyAt(index.row()));
    for (const QModelIndex& index : selected.indexes())
        m_selectedAreas.insert(areaKeyAt(index.row()));
}

void TKatDialog::katastryViewChanged()
{
    // The rows in view changed (a search or another municipality): the areas
    // chosen before stay chosen where they are still shown.
    m_syncing = true;
    if (m_multiSelect && m_queryKatastry->isActive() && !m_selectedAreas.isEmpty()) {
        QItemSelection selection;
        for (int row = 0; row < m_dsKatastry->rowCount(); ++row) {
            if (m_selectedAreas.contains(areaKeyAt(row)))
                selection.select(m_dsKatastry->index(row, 0), m_dsKatastry->index(row, 0));
        }
        ui->Katastry->selectionModel()->select(selection, QItemSelectionModel::Select |
                                                              QItemSelectionModel::Rows);
    }
    m_syncing = false;
    syncGridToDataset(m_queryKatastry);
}

void TKatDialog::syncGridToDataset(Table* table)
{
    QTableView* grid = table == m_queryObce ? ui->Obce : ui->Katastry;
    const QAbstractItemModel* model = grid->model();
    if (!table->isActive() || table->isEmpty() || table->recNo() >= model->rowCount())
        return;
    const QModelIndex index = model->index(table->recNo(), 0);
    const bool wasSyncing = m_syncing;
    m_syncing = true;
    const bool keepSelection = table == m_queryKatastry && m_multiSelect;
    grid->selectionModel()->setCurrentIndex(
        index, keepSelection ? QItemSelectionModel::NoUpdate
                             : QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    grid->scrollTo(index);
    m_syncing = wasSyncing;
}

void TKatDialog::gridRowChanged(Table* table, int row)
{
    if (m_syncing || row < 0 || !table->isActive() || table->recNo() == row)
        return;
    table->setRecNo(row);
}

QList<int> TKatDialog::SelectedOrdinals()
{
    QList<int> ordinals;
    if (!m_aliasLoaded || m_selectedAreas.isEmpty())
        return ordinals;
    // Every row of the catalogue in name order, the filter off.
    Table all;
    all.setDatabaseName(m_alias);
    all.setTableName(catalogueTable);
    all.setReadOnly(true);
    all.setIndexFieldNames(QStringLiteral("NAZEV"));
    all.open();
    for (all.first(); !all.eof(); all.next()) {
        const QString key =
            all.asString(QStringLiteral("KATUZ")) + u'|' + all.asString(QStringLiteral("PORCIS"));
        if (m_selectedAreas.contains(key))
            ordinals.append(ordinalValue(all.asString(QStringLiteral("PORCIS"))));
    }
    return ordinals;
}

TKUInfo TKatDialog::Result() const
{
    return TKUInfo{m_alias,    m_districtName,      m_municipalityName,
                   m_areaName, ui->FKUvOkr->text(), ui->FKatJCSJ->text()};
}

bool TKatDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != ui->EditKU && watched != ui->FKUvOkr)
        return QDialog::eventFilter(watched, event);
    // While a search field has the focus, Enter searches instead of closing.
    if (event->type() == QEvent::FocusIn)
        ui->OKBtn->setDefault(false);
    else if (event->type() == QEvent::FocusOut)
        ui->OKBtn->setDefault(true);
    else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == ui->EditKU)
                runShowingErrors([this] { EditKUKeyEnter(); });
            else
                runShowingErrors([this] { FKUvOkrKeyEnter(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
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

QString TKatDialog::quoted(const QString& text)
{
    return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}

bool TKatDialog::Execute(QWidget* owner, const std::shared_ptr<IApp>& app, TKUInfo& info,
                         const std::shared_ptr<ICollection>& collection, bool& openIntoWindow)
{
    openIntoWindow = false;
    if (DistrictAliases().isEmpty()) {
        // Say so, and let the user define a district without leaving ORV.
        ErrorBox(QStringLiteral("Není nadefinován žádný databázový alias"));
        TAliasManagerDialog manager(owner, app, QString());
        manager.exec();
        if (DistrictAliases().isEmpty())
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
            collection->Add(ordinalValue(dialog.ui->FKUvOkr->text()));
    }
    dialog.StoreSettings();
    return true;
}

bool TKatDialog::Lookup(const std::shared_ptr<IApp>& app, const QString& alias,
                        const QString& suffix, TKUInfo& info)
{
    TKatDialog dialog(nullptr, app, alias);
    if (!dialog.ui->PodleKat->isChecked()) {
        dialog.ui->PodleKat->setChecked(true);
        dialog.PodleKatClick();
    }
    if (!dialog.m_aliasLoaded || !dialog.LocateByNumber(suffix))
        return false;
    info.Okres = dialog.m_districtName;
    info.Obec = dialog.m_municipalityName;
    info.Katastr = dialog.m_areaName;
    info.Kod = dialog.ui->FKatJCSJ->text();
    return true;
}
