#include "browse/TParDilyDbf.h"

#include "ui_TParDilyDbf.h"

#include "widgets/MessageDlg.h"
#include "widgets/FirstSize.h"
#include "widgets/ScreenScale.h"
#include "base/ETalvekException.h"
#include "base/Format.h"
#include "widgets/TWaitCursor.h"
#include "browse/core/ParDilyRules.h"
#include "browse/core/PartFields.h"
#include "browse/core/TBrowseGridModel.h"
#include "browse/TParDilyExport.h"
#include "browse/TDoplnDlg.h"
#include "browse/TParDilyPrint.h"
#include "output/PrintReport.h"
#include "select/TCProcessDlg.h"
#include "data/CadastralTables.h"
#include "data/OwnerNameLookup.h"
#include "data/ValueFormats.h"
#include "data/WorkTable.h"
#include "db/Query.h"
#include "db/Table.h"
#include "db/paradox/CodePage.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableView>

using namespace ParDilyRules;

namespace {

const char* const FormName = "ParDilyDbf";
const int OwnTextCodePage = 1250;
// The smallest first size at 96 dpi; a larger screen gives more (setFirstSize).
const int DefaultWidth = 760;
const int DefaultHeight = 600;
const qint16 MaximizedState = 2;
// The own-text table stores its memo in code page 1250; a character outside
// it is refused with its line, never dropped or replaced.
void CheckOwnTextCharacters(const QString& text, const QString& table)
{
    QByteArray encoded;
    qsizetype bad = 0;
    if (CodePage::require(OwnTextCodePage).encode(text, encoded, &bad))
        return;
    const qsizetype length = bad + 1 < text.size() && text.at(bad).isHighSurrogate() ? 2 : 1;
    const int line = int(QStringView(text).left(bad).count(u'\n')) + 1;
    throw ETalvekException(
        QStringLiteral("Vlastní text nelze uložit: znak \"%1\" na %2. řádku nelze zapsat "
                       "v kódové stránce %3 tabulky \"%4\"")
            .arg(text.mid(bad, length))
            .arg(line)
            .arg(OwnTextCodePage)
            .arg(table));
}

} // namespace

TParDilyDbf::TParDilyDbf(QWidget* owner, std::shared_ptr<IApp> app, const QString& workTablePath,
                         const TKUInfo& ku)
    : QDialog(owner), ui(std::make_unique<Ui::TParDilyDbf>()), m_app(std::move(app)), m_ku(ku),
      m_workTablePath(workTablePath)
{
    ui->setupUi(this);
    // Compact spacing leaves the free height to the grid.
    ui->MainLayout->setSpacing(2);
    ui->MainLayout->setContentsMargins(6, 6, 6, 6);
    ui->DetailLayout->setVerticalSpacing(0);
    // The code texts stand right beside their labels however wide the window.
    ui->DetailLayout->setColumnStretch(0, 0);
    ui->DetailLayout->setColumnStretch(1, 1);
    const QFileInfo info(workTablePath);
    m_workDir = info.absolutePath();
    m_workFile = info.fileName();
    // Resizable and maximisable: the parts grid takes the free height and the
    // columns spread over a wider window.
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);
    setMinimumSize(ScaleToScreen(542), ScaleToScreen(480));
    // The progress window of the long operations (marks, listings, exports).
    m_process = new TCProcessDlg(this);
    ui->DoplCB->setStyleSheet(
        "QCheckBox { color: white; background-color: #202060; font-weight: bold; }");
    ui->DoplCB->hide();
    ui->OwnTextBtn->hide();
    ui->OwnTextPrior->hide();
    ui->OwnTextNext->hide();
    ui->RGText->setChecked(true);
    ui->Notebook->setCurrentIndex(PageText);
    // No button acts on Enter: Enter in a grid must never change the work
    // table (a dialog would otherwise make its first button the default).
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    // The marked parts and their area, kept current under the grid.
    m_markLabel = new QLabel(this);
    m_markLabel->setObjectName(QStringLiteral("MarkSummary"));
    ui->BottomLayout->addStretch();
    ui->BottomLayout->addWidget(m_markLabel);
    createDatasets();
    createModels();
    connectControls();
    setFirstSize();
    if (!workTablePath.isEmpty())
        OpenData(true);
}

void TParDilyDbf::setFirstSize()
{
    // Wide enough for every column of the parts and the owners, and most of
    // the screen's height for the parts; the user's stored size wins.
    const QRect available = AvailableScreenArea(*this);
    const QMargins margins = ui->MainLayout->contentsMargins();
    const int width =
        qMax(TableViewContentWidth(*ui->DBGridPa), TableViewContentWidth(*ui->DBGridVl)) +
        margins.left() + margins.right();
    const int height = qMax(ScaleToScreen(DefaultHeight), available.height() * 85 / 100);
    resize(FirstWindowSize({qMax(width, ScaleToScreen(DefaultWidth)), height}, minimumSize(),
                           available));
    int x = 0, y = 0, w = 0, h = 0;
    qint16 state = 0;
    if (m_app->ReadWndPlacement(FormName, x, y, w, h, state)) {
        setGeometry(x, y, w, h);
        if (state == MaximizedState)
            setWindowState(windowState() | Qt::WindowMaximized);
    }
}

TParDilyDbf::~TParDilyDbf()
{
    // FormDestroy: the placement is kept for the next browser; a maximised
    // window keeps its normal bounds to return to.
    const bool maximized = isMaximized();
    const QRect g = maximized ? normalGeometry() : geometry();
    m_app->WriteWndPlacement(FormName, g.x(), g.y(), g.width(), g.height(),
                             maximized ? MaximizedState : 0);
}

int TParDilyDbf::ExecuteParDily(QWidget* owner, int mode, int listNumber,
                                const std::shared_ptr<IApp>& app, const QString& workTablePath,
                                const TKUInfo& ku)
{
    TParDilyDbf form(owner, app, workTablePath, ku);
    form.SetupView(mode, listNumber);
    form.exec();
    return QDialog::Rejected;
}

void TParDilyDbf::SetupView(int mode, int listNumber)
{
    m_mode = mode;
    m_listNumber = listNumber;
    if (ParcelView())
        DSPaDataChange();
    setWindowTitle(BrowserCaption(mode, listNumber, m_ku.Katastr));
    m_gridPa->repaintAll();
}

void TParDilyDbf::createDatasets()
{
    auto table = [this] { return new Table(this); };
    m_tablePa = table();
    m_tablePopCis = table();
    m_tableJm = table();
    m_tableVl = table();
    m_tableUz = table();
    m_tableDruhP = table();
    m_tableVyuz = table();
    m_tableVztah = table();
    m_tableSektor = table();
    m_tableCharUV = table();
    m_tableParSkup = table();
    m_tableMemoTxt = table();
    m_queryBonity = new Query(this);
    m_queryPK = new Query(this);
    m_queryDoplVl = new Query(this);
    m_workQuery = new Query(this);

    PartFields::Install(*m_tablePa, *m_tablePopCis);
    m_tableVl->addCalculatedField({"CalcPodil", FieldType::String, 8});
    m_tableVl->addCalculatedField({"Nazev", FieldType::String, 60});
    m_tableVl->setCalcHandler([this](Dataset& ds) {
        ds.setCalculatedValue("CalcPodil", ShareText(WholeNumber(ds.asFloat("PODIL"))));
        CalcOwnerName(ds);
    });
    m_tableUz->addCalculatedField({"Nazev", FieldType::String, 60});
    m_tableUz->setCalcHandler([this](Dataset& ds) { CalcOwnerName(ds); });
}

void TParDilyDbf::createModels()
{
    m_gridPa = new TBrowseGridModel(m_tablePa, PartFields::GridColumns(), this);
    m_gridPa->setMarkField(QStringLiteral("FLAG"));
    m_gridPa->setRowStyle([this](const QVariantList& v) {
        const int flag = m_gridPa->valueIndex("FLAG");
        const int mapa = m_gridPa->valueIndex("MAPA");
        const int parcislo = m_gridPa->valueIndex("PARCISLO");
        return RowColours(v.value(flag).toBool(), v.value(mapa).toString(), ParcelView(),
                          v.value(parcislo).toString(), m_rememberedParcislo);
    });
    m_gridVl = new TBrowseGridModel(m_tableVl,
                                    {{"CalcPodil", "Podíl", 8, Qt::AlignRight},
                                     {"IDENT", "Rodné č. (IČO)", 10, Qt::AlignRight},
                                     {"Nazev", " Jméno občana  (organizace)", 80, Qt::AlignLeft}},
                                    this);
    m_gridUz = new TBrowseGridModel(
        m_tableUz, {{"IDENT", "", 18, Qt::AlignRight}, {"Nazev", "", 63, Qt::AlignLeft}}, this);
    m_gridBonity = new TBrowseGridModel(m_queryBonity,
                                        {{"PARSKUP", "Skup.", 1, Qt::AlignHCenter},
                                         {"PARCIS", "Kmen.číslo", 7, Qt::AlignRight},
                                         {"PARPOD", "Podlomení", 3, Qt::AlignLeft},
                                         {"VYMERA", " Výměra", 9, Qt::AlignRight},
                                         {"BONITA", " Bonita", 6, Qt::AlignRight},
                                         {"BPOLVZ", " Výkaz", 6, Qt::AlignRight}},
                                        this);
    m_gridPK = new TBrowseGridModel(m_queryPK,
                                    {{"PARSKUP", "Skup.", 1, Qt::AlignHCenter},
                                     {"PARCISLO", " Parcelní číslo", 12, Qt::AlignHCenter},
                                     {"PARDIL", " Díl", 4, Qt::AlignHCenter},
                                     {"VYMERA", " Výměra", 10, Qt::AlignRight}},
                                    this);
    const QList<QPair<QTableView*, TBrowseGridModel*>> grids = {{ui->DBGridPa, m_gridPa},
                                                                {ui->DBGridVl, m_gridVl},
                                                                {ui->DBGridUz, m_gridUz},
                                                                {ui->DBGridBonity, m_gridBonity},
                                                                {ui->DBGridPK, m_gridPK}};
    for (const auto& [view, model] : grids) {
        view->setModel(model);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->verticalHeader()->hide();
        view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
        view->setWordWrap(false);
        setColumnWidths(view, model);
    }
    // The name columns take the width a wider window gives.
    ui->DBGridVl->horizontalHeader()->setStretchLastSection(true);
    ui->DBGridUz->horizontalHeader()->setStretchLastSection(true);
    ui->DBGridPa->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ui->DBGridPa->installEventFilter(this);
    ui->DBGridPa->horizontalHeader()->setSectionsClickable(true);
    ui->DBGridUz->horizontalHeader()->hide();
}

void TParDilyDbf::setColumnWidths(QTableView* view, TBrowseGridModel* model)
{
    const QFontMetrics fm = view->fontMetrics();
    for (int c = 0; c < model->columns().size(); ++c) {
        const TBrowseGridModel::Column& col = model->columns().at(c);
        // Widths are counted in digits, as the values are mostly numbers.
        const int chars = col.widthChars * fm.horizontalAdvance(QLatin1Char('0')) + 8;
        // The header's own measure includes its margins and the sort arrow.
        // The first column also holds the mark's check box.
        const int mark = c == 0 && model->hasMarkColumn()
                             ? view->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 8
                             : 0;
        view->setColumnWidth(c, qMax(chars + mark, view->horizontalHeader()->sectionSizeHint(c)));
    }
}

void TParDilyDbf::connectControls()
{
    auto* group = new QButtonGroup(this);
    group->addButton(ui->RGText, PageText);
    group->addButton(ui->RGBonita, PageBonita);
    group->addButton(ui->RGUziv, PageUsers);
    group->addButton(ui->RGPK, PagePK);
    connect(group, &QButtonGroup::idClicked, this,
            [this](int id) { runGuarded([&] { RGStrandardClick(id); }); });
    connect(m_tablePa, &Dataset::currentChanged, this, [this] {
        if (m_tablePa->state() == Dataset::State::Browse && currentPartKey() != m_shownKey)
            runGuarded([this] { DSPaDataChange(); });
    });
    // The users table follows the current part through its master link, after
    // the part's own update has run; the sector is read once it has moved.
    connect(m_tableUz, &Dataset::viewChanged, this, &TParDilyDbf::UpdateSektor);
    connect(m_gridPa, &QAbstractItemModel::modelReset, this, &TParDilyDbf::SyncGridToDataset);
    connect(ui->DBGridPa->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { GridRowChosen(current.row()); });
    connect(ui->DBGridPa->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { runGuarded([&] { DBGridPaTitleClick(column); }); });
    connect(ui->DBGridPa, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        runGuarded([&] { DBGridPaDblClick(index.row()); });
    });
    connect(ui->DBGridVl->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (m_tableVl->isActive() && current.isValid())
                    m_tableVl->setRecNo(current.row());
                UpdateCharak();
            });
    connect(ui->DBGridUz->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (m_tableUz->isActive() && current.isValid())
                    m_tableUz->setRecNo(current.row());
                UpdateSektor();
            });
    connect(ui->DBGridVl, &QTableView::doubleClicked, this,
            [this] { runGuarded([this] { DBGridVlDblClick(); }); });
    connect(ui->FlagBtn, &QPushButton::clicked, this,
            [this] { runGuarded([this] { FlagBtnClick(); }); });
    connect(ui->DoplCB, &QCheckBox::clicked, this,
            [this] { runGuarded([this] { DoplCBClick(); }); });
    connect(ui->AddPKBtn, &QPushButton::clicked, this,
            [this] { runGuarded([this] { AddPKBtnClick(); }); });
    connect(ui->TiskBtn, &QPushButton::clicked, this,
            [this] { runGuarded([this] { TiskBtnClick(); }); });
    connect(ui->VymeryBtn, &QPushButton::clicked, this,
            [this] { runGuarded([this] { VymeryBtnClick(); }); });
    connect(ui->ExportBtn, &QPushButton::clicked, this,
            [this] { runGuarded([this] { ExportBtnClick(); }); });
    connect(ui->CancelBtn, &QPushButton::clicked, this,
            [this] { runGuarded([this] { CancelBtnClick(); }); });
    connect(ui->DBMemoText, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_memoLoading)
            m_memoDirty = true;
    });
    auto navigate = [this](void (Dataset::*move)()) {
        runGuarded([&] {
            if (m_tablePa->isActive())
                (m_tablePa->*move)();
        });
    };
    connect(ui->NavFirst, &QToolButton::clicked, this, [=] { navigate(&Dataset::first); });
    connect(ui->NavPrior, &QToolButton::clicked, this, [=] { navigate(&Dataset::prior); });
    connect(ui->NavNext, &QToolButton::clicked, this, [=] { navigate(&Dataset::next); });
    connect(ui->NavLast, &QToolButton::clicked, this, [=] { navigate(&Dataset::last); });
}

void TParDilyDbf::runGuarded(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ETalvekException& e) {
        ErrorBox(e.message());
    }
}

void TParDilyDbf::bindCodeTable(Table& table, const QString& file, const QString& order)
{
    table.close();
    table.setDatabaseName(m_app->WorkDbPath());
    table.setTableName(file);
    table.setReadOnly(true);
    table.setIndexFieldNames(order);
    table.open();
}

void TParDilyDbf::bindAreaTable(Table& table, const QString& file, const QString& order)
{
    table.close();
    table.setDatabaseName(m_ku.Alias);
    table.setTableName(file);
    table.setReadOnly(true);
    table.setIndexFieldNames(order);
    table.open();
}

void TParDilyDbf::OpenData(bool allTables)
{
    m_markToggle = false;
    ui->FlagBtn->setText(MarkButtonCaption(m_markToggle));
    TWaitCursor wait(*m_app);
    using namespace CadastralTables;
    if (allTables) {
        bindCodeTable(*m_tableDruhP, LandKindTable, "CIS");
        bindCodeTable(*m_tableVyuz, LandUseTable, "KOD");
        bindCodeTable(*m_tableVztah, LegalRelationTable, "CIS");
        bindCodeTable(*m_tableSektor, SectorTable, "CIS");
        bindCodeTable(*m_tableCharUV, OwnerCharacteristicTable, "CIS");
        bindCodeTable(*m_tableParSkup, ParcelGroupTable, "CIS");
    }
    bindAreaTable(*m_tablePopCis, PerAreaTable(ParcelPrefix, m_ku.Suffix), ParcelIndexFields);
    bindAreaTable(*m_tableJm, OwnerTable, "IDENT;UVCHAR");
    bindAreaTable(*m_tableUz, PerAreaTable(RelationPrefix, m_ku.Suffix), "ELLVCIS");
    bindAreaTable(*m_tableVl, PerAreaTable(RelationPrefix, m_ku.Suffix), "ELLVCIS");
    for (Query* q : {m_queryBonity, m_queryPK, m_queryDoplVl}) {
        q->close();
        q->setDatabaseName(m_ku.Alias);
    }
    m_queryBonity->setSql(Format(QStringLiteral("Select * From \"NYSBO%s.DB\""), m_ku.Suffix));
    m_queryPK->setSql(
        QStringList{Format(QStringLiteral("Select PARSKUP, PARCISLO, PARDIL, VYMERA, CPCE From "
                                          "\"NYSPA%s.DB\""),
                           m_ku.Suffix),
                    QStringLiteral("Where PARSKUP > 2")});
    m_queryDoplVl->setSql(
        QStringList{Format(QStringLiteral("Select DOPLPOR, DOPLKOD, DOPLUDAJ From \"NYSVL%s.DB\""),
                           m_ku.Suffix),
                    QString(), QStringLiteral("Order by DOPLPOR, DOPLKOD")});
    PrepareOwnText();
    m_tablePa->close();
    m_tablePa->setDatabaseName(m_workDir);
    m_tablePa->setTableName(m_workFile);
    m_tablePa->setIndexFieldNames(CadastralTables::ParcelIndexFields);
    m_shownKey.clear();
    m_tablePa->open();
    m_workQuery->setDatabaseName(m_workDir);
    m_marks = TMarkSummary::Read(m_workTablePath);
    ShowMarkSummary();
    if (m_shownKey.isEmpty())
        DSPaDataChange();
}

void TParDilyDbf::CalcOwnerName(Dataset& ds)
{
    ds.setCalculatedValue("Nazev",
                          LookupOwnerName(ds.asFloat("IDENT"), int(ds.asInteger("UVCHAR"))));
}

QString TParDilyDbf::LookupOwnerName(double ident, int uvchar)
{
    return OwnerNameLookup::Find(*m_tableJm, ident, uvchar);
}

QString TParDilyDbf::CodeText(Table& table, qint64 code)
{
    if (!table.isActive() || !table.findKey({code}))
        return QString();
    return table.asString("TEXT");
}

QString TParDilyDbf::ProtectionText(int digit, int code)
{
    if (code == 0)
        return QString();
    Table protection;
    try {
        bindCodeTable(protection, Format(QStringLiteral("OCHRNEM%d.DB"), digit), "CIS");
    } catch (const ETalvekException&) {
        // A protection table the code directory lacks gives no text.
        return QString();
    }
    const QString text = CodeText(protection, code);
    protection.close();
    return text;
}

void TParDilyDbf::DSPaDataChange()
{
    if (!m_tablePa->isActive() || m_tablePa->state() != Dataset::State::Browse)
        return;
    if (!m_returningToPart && !PostOwnTextOrReturn())
        return;
    m_shownRecNo = m_tablePa->recNo();
    m_shownKey = currentPartKey();
    UpdateCodeTexts();
    UpdateOwners();
    UpdatePages();
    if (!m_returningToPart)
        LoadOwnText();
    if (ParcelView()) {
        m_rememberedParcislo = m_tablePa->asString("PARCISLO").left(12);
        m_gridPa->repaintAll();
    }
    SyncGridToDataset();
}

void TParDilyDbf::UpdateCodeTexts()
{
    Table& pa = *m_tablePa;
    const bool empty = pa.isEmpty();
    ui->TextDruhP->setText(empty ? QString() : CodeText(*m_tableDruhP, pa.asInteger("DRUHPOZ")));
    ui->TextVyuz->setText(empty ? QString() : CodeText(*m_tableVyuz, pa.asInteger("KodVyuz")));
    ui->TextVlVztah->setText(empty ? QString() : CodeText(*m_tableVztah, pa.asInteger("VLVZTAH")));
    const std::array<int, 3> codes = ProtectionCodes(empty ? 0 : int(pa.asInteger("NEMOCHR")));
    const std::array<QString, 3> lines = ProtectionLines(
        {ProtectionText(1, codes[0]), ProtectionText(2, codes[1]), ProtectionText(3, codes[2])});
    ui->TextOchrNem1->setText(lines[0]);
    ui->TextOchrNem2->setText(lines[1]);
    ui->TextOchrNem3->setText(lines[2]);
}

void TParDilyDbf::UpdateOwners()
{
    Table& pa = *m_tablePa;
    m_ownLv = pa.isEmpty() ? 0 : int(pa.asInteger("LVCIS"));
    int lv = m_ownLv;
    if (!pa.isEmpty() && pa.asInteger("VLVZTAH") == RelationLandAndBuildingApart) {
        ui->DoplCB->setEnabled(false);
        const bool found = FindLandLV();
        ui->DoplCB->setText(LandSheetCaption(found ? m_landLv : 0));
        ui->DoplCB->setChecked(found);
        ui->DoplCB->setEnabled(found);
        ui->DoplCB->show();
        if (found)
            lv = m_landLv;
    } else {
        ui->DoplCB->hide();
    }
    if (m_tableVl->isActive())
        m_tableVl->setRange({lv}, {lv});
    UpdateCharak();
}

bool TParDilyDbf::FindLandLV()
{
    Table& pa = *m_tablePa;
    QList<SheetRecord> records;
    try {
        m_queryDoplVl->close();
        m_queryDoplVl->setSqlLine(
            1, Format(QStringLiteral("Where DLVCIS = %d and DOPLKOD in (82, 90)"), m_ownLv));
        m_queryDoplVl->open();
        for (m_queryDoplVl->first(); !m_queryDoplVl->eof(); m_queryDoplVl->next())
            records.append({int(m_queryDoplVl->asInteger("DOPLPOR")),
                            int(m_queryDoplVl->asInteger("DOPLKOD")),
                            m_queryDoplVl->asFloat("DOPLUDAJ")});
        m_queryDoplVl->close();
    } catch (const ETalvekException&) {
        // Without readable records the land is taken as held on the own sheet.
        m_landLv = m_ownLv;
        return false;
    }
    const LandSheet land =
        ParDilyRules::FindLandLV(records, int(pa.asInteger("PARSKUP")), int(pa.asInteger("PARCIS")),
                                 int(pa.asInteger("PARPOD")), m_ownLv);
    m_landLv = land.lv;
    return land.found;
}

void TParDilyDbf::DoplCBClick()
{
    const int lv = ui->DoplCB->isChecked() ? m_landLv : m_ownLv;
    if (!m_tableVl->isActive())
        return;
    m_tableVl->cancelRange();
    m_tableVl->setRange({lv}, {lv});
    UpdateCharak();
}

void TParDilyDbf::UpdateCharak()
{
    Table& vl = *m_tableVl;
    const bool has = vl.isActive() && !vl.isEmpty();
    ui->Charak->setText(has ? CodeText(*m_tableCharUV, vl.asInteger("UVCHAR")) : QString());
}

void TParDilyDbf::UpdateSektor()
{
    Table& uz = *m_tableUz;
    const bool has = uz.isActive() && !uz.isEmpty();
    ui->Sektor->setText(has ? CodeText(*m_tableSektor, uz.asInteger("SEKTOR")) : QString());
}

void TParDilyDbf::UpdatePages()
{
    const int page = ui->Notebook->currentIndex();
    if (page == PageBonita)
        UpdateBonity();
    else if (page == PagePK)
        UpdatePK();
}

void TParDilyDbf::UpdateBonity()
{
    Table& pa = *m_tablePa;
    m_queryBonity->close();
    if (pa.isEmpty())
        return;
    m_queryBonity->setFilter(Format(QStringLiteral("PARSKUP=%d AND PARCIS=%d AND PARPOD=%d"),
                                    pa.asInteger("PARSKUP"), pa.asInteger("PARCIS"),
                                    pa.asInteger("PARPOD")));
    m_queryBonity->setFiltered(true);
    m_queryBonity->open();
}

void TParDilyDbf::UpdatePK()
{
    Table& pa = *m_tablePa;
    m_queryPK->close();
    const bool current = !pa.isEmpty() && pa.asInteger("PARSKUP") < 3;
    if (current) {
        m_queryPK->setFilter(
            Format(QStringLiteral("CPCE=%d"),
                   OlderRegisterCpce(int(pa.asInteger("PARCIS")), int(pa.asInteger("PARPOD")))));
        m_queryPK->setFiltered(true);
        m_queryPK->open();
    }
    ui->AddPKBtn->setEnabled(m_queryPK->isActive() && !m_queryPK->isEmpty());
}

void TParDilyDbf::RGStrandardClick(int item)
{
    if (item != PageText && ui->Notebook->currentIndex() == PageText) {
        try {
            PostOwnText();
        } catch (const ETalvekException&) {
            // The refused text stays on its page.
            ui->RGText->setChecked(true);
            throw;
        }
    }
    ui->Notebook->setCurrentIndex(item);
    if (m_tablePa->isActive()) {
        if (item == PageUsers)
            m_tableUz->setMasterSource(m_tablePa, "ELCIS");
        else
            m_tableUz->setMasterSource(nullptr, QString());
    }
    PrepareOwnText();
    DSPaDataChange();
}

// ---- own texts ----

void TParDilyDbf::PrepareOwnText()
{
    if (ui->Notebook->currentIndex() != PageText) {
        m_memoKey.clear();
        return;
    }
    try {
        m_tableMemoTxt->close();
    } catch (const ETalvekException&) {
    }
    Table& t = *m_tableMemoTxt;
    t.setDatabaseName(m_ku.Alias);
    t.setTableName(CadastralTables::PerAreaTable(CadastralTables::UserTextPrefix, m_ku.Suffix));
    ui->DBMemoText->setEnabled(false);
    try {
        if (!t.exists()) {
            t.setFieldDefs(OwnTextFields());
            t.setIndexDefs(OwnTextIndexes());
            t.createTable();
            t.close();
        }
        t.setIndexFieldNames(CadastralTables::ParcelIndexFields);
        t.open();
        ui->DBMemoText->setEnabled(true);
        ui->DBMemoText->setPlaceholderText(QString());
    } catch (const ETalvekException& e) {
        // An existing table that cannot be opened is left alone; the page
        // says why no text can be typed.
        ui->DBMemoText->setPlaceholderText(e.message());
    }
}

QVariantList TParDilyDbf::currentPartKey() const
{
    Table& pa = *m_tablePa;
    if (!pa.isActive() || pa.isEmpty())
        return {};
    return {pa.asInteger("PARSKUP"), pa.asInteger("PARCIS"), pa.asInteger("PARPOD"),
            pa.asInteger("PARDIL")};
}

void TParDilyDbf::LoadOwnText()
{
    m_memoLoading = true;
    m_memoKey.clear();
    ui->DBMemoText->clear();
    m_memoDirty = false;
    Table& t = *m_tableMemoTxt;
    if (ui->Notebook->currentIndex() == PageText && t.isActive()) {
        m_memoKey = currentPartKey();
        if (!m_memoKey.isEmpty() && t.findKey(m_memoKey))
            ui->DBMemoText->setPlainText(t.asString("TEXT"));
    }
    m_memoLoading = false;
}

void TParDilyDbf::PostOwnText()
{
    Table& t = *m_tableMemoTxt;
    if (!m_memoDirty || m_memoKey.isEmpty() || !t.isActive())
        return;
    const QString text = ui->DBMemoText->toPlainText();
    CheckOwnTextCharacters(text, t.tableName());
    const bool exists = t.findKey(m_memoKey);
    if (!exists && text.isEmpty()) {
        m_memoDirty = false;
        return;
    }
    try {
        if (exists) {
            t.edit();
        } else {
            t.append();
            const QStringList keys = {"PARSKUP", "PARCIS", "PARPOD", "PARDIL"};
            for (int i = 0; i < keys.size(); ++i)
                t.setValue(keys[i], m_memoKey[i]);
        }
        t.setValue("TEXT", text);
        t.post();
    } catch (const ETalvekException& e) {
        if (t.state() != Dataset::State::Browse)
            t.cancel();
        throw ETalvekException(QStringLiteral("Vlastní text nelze uložit: ") + e.message());
    }
    m_memoDirty = false;
}

bool TParDilyDbf::PostOwnTextOrReturn()
{
    try {
        PostOwnText();
        return true;
    } catch (const ETalvekException& e) {
        // The refused text stays in the editor, with its part current again.
        const int previous = m_shownRecNo;
        ErrorBox(e.message());
        if (previous >= 0 && previous < m_tablePa->recordCount()) {
            m_returningToPart = true;
            m_tablePa->setRecNo(previous);
            m_returningToPart = false;
        }
        return false;
    }
}

void TParDilyDbf::CancelBtnClick()
{
    PostOwnText();
    reject();
}

void TParDilyDbf::closeEvent(QCloseEvent* event)
{
    // The close box keeps a typed own text like "Storno" does; a text the
    // table refuses keeps the window open with the text in the editor.
    try {
        PostOwnText();
    } catch (const ETalvekException& e) {
        event->ignore();
        ErrorBox(e.message());
        return;
    }
    QDialog::closeEvent(event);
}

void TParDilyDbf::keyPressEvent(QKeyEvent* event)
{
    // Esc is the cancel key of the "Storno" button, which keeps a typed text.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        runGuarded([this] { CancelBtnClick(); });
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TParDilyDbf::eventFilter(QObject* watched, QEvent* event)
{
    // Space and Insert on the parts grid change marks (the grid would only
    // move its selection with them).
    if (watched == ui->DBGridPa && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (key->key() == Qt::Key_Space) {
                runGuarded([this] { ToggleCurrentMark(); });
                return true;
            }
            if (key->key() == Qt::Key_Insert) {
                runGuarded([this] { MarkCurrentAndNext(); });
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TParDilyDbf::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    SyncGridToDataset();
}

// ---- grid ----

void TParDilyDbf::SyncGridToDataset()
{
    if (m_syncing || !m_tablePa->isActive() || m_tablePa->isEmpty())
        return;
    m_syncing = true;
    const QModelIndex index = m_gridPa->index(m_tablePa->recNo(), 0);
    if (ui->DBGridPa->currentIndex().row() != index.row()) {
        ui->DBGridPa->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                                   QItemSelectionModel::Rows);
        ui->DBGridPa->scrollTo(index);
    }
    m_syncing = false;
}

void TParDilyDbf::GridRowChosen(int row)
{
    if (m_syncing || row < 0 || !m_tablePa->isActive() || row == m_tablePa->recNo())
        return;
    runGuarded([&] { m_tablePa->setRecNo(row); });
}

void TParDilyDbf::DBGridPaTitleClick(int column)
{
    const TBrowseGridModel::Column& col = m_gridPa->columns().at(column);
    const std::optional<QString> key = SortKey(col.field, PartFields::IsCalculated(col.field));
    if (!key)
        throw ETalvekException(CannotSortMessage(col.title));
    Table& pa = *m_tablePa;
    pa.setIndexName(QString());
    if (*key == QLatin1String("PARCISLO")) {
        pa.setIndexFieldNames(CadastralTables::ParcelIndexFields);
        return;
    }
    bool known = false;
    for (const IndexDef& index : pa.indexDefs())
        known = known || index.name.compare(*key, Qt::CaseInsensitive) == 0;
    if (!known)
        pa.addIndex({*key, {*key}, false, false});
    pa.setIndexName(*key);
}

void TParDilyDbf::DBGridPaDblClick(int row)
{
    SetRowMark(row, std::nullopt);
}

void TParDilyDbf::ToggleCurrentMark()
{
    if (m_tablePa->isActive() && !m_tablePa->isEmpty())
        SetRowMark(m_tablePa->recNo(), std::nullopt);
}

void TParDilyDbf::MarkCurrentAndNext()
{
    if (!m_tablePa->isActive() || m_tablePa->isEmpty())
        return;
    SetRowMark(m_tablePa->recNo(), true);
    m_tablePa->next();
}

void TParDilyDbf::SetRowMark(int row, std::optional<bool> mark)
{
    Table& pa = *m_tablePa;
    if (!pa.isActive() || row < 0 || row >= pa.recordCount())
        return;
    pa.setRecNo(row);
    const bool was = pa.asBoolean("FLAG");
    const bool marked = mark.value_or(!was);
    if (marked == was)
        return;
    const qint64 area = pa.asInteger("VYMERA");
    pa.edit();
    pa.setValue("FLAG", marked);
    pa.post();
    m_marks.Changed(was, marked, area);
    ShowMarkSummary();
}

void TParDilyDbf::ShowMarkSummary()
{
    m_markLabel->setText(m_marks.Text());
}

void TParDilyDbf::FlagBtnClick()
{
    TWaitCursor wait(*m_app);
    // One statement over the whole work table (about 55 ms with the file
    // written for 40,000 parts, bench_browse): the progress window shows
    // while it runs; it offers no stop, which could only leave the marks
    // half changed, and the work is over before a click could reach it.
    m_process->Start(m_markToggle ? QStringLiteral("Označení všech dílů")
                                  : QStringLiteral("Odznačení všech dílů"),
                     1);
    try {
        m_workQuery->setSql(MarkAllSql(m_workFile, m_markToggle));
        m_workQuery->execSql();
        m_tablePa->refresh();
        m_marks = TMarkSummary::Read(m_workTablePath);
        ShowMarkSummary();
    } catch (const ETalvekException&) {
        m_process->Finish();
        throw;
    }
    m_process->SetPosition(1);
    m_process->Finish();
    m_markToggle = !m_markToggle;
    ui->FlagBtn->setText(MarkButtonCaption(m_markToggle));
}

// ---- details ----

void TParDilyDbf::AddPKBtnClick()
{
    if (!m_queryPK->isActive() || m_queryPK->isEmpty())
        return;
    QStringList numbers;
    for (m_queryPK->first(); !m_queryPK->eof(); m_queryPK->next())
        numbers.append(m_queryPK->asString("PARCISLO"));
    PostOwnText();
    m_tableJm->close();
    m_tableUz->close();
    m_tableVl->close();
    m_tablePa->close();
    try {
        TWaitCursor wait(*m_app);
        Table work;
        work.setDatabaseName(m_workDir);
        work.setTableName(m_workFile);
        work.open();
        AddParcelsToWork(numbers, work, *m_tablePopCis, true);
        work.close();
        m_tablePopCis->close();
    } catch (const ETalvekException&) {
        // The browser comes back over the unchanged work table.
        OpenData(false);
        throw;
    }
    OpenData(false);
}

void TParDilyDbf::DBGridVlDblClick()
{
    Table& pa = *m_tablePa;
    if (!pa.isActive() || pa.isEmpty())
        return;
    ShowLVSupplement(m_app, m_ku.Alias, m_ku.Suffix, int(pa.asInteger("LVCIS")), -1, nullptr,
                     pa.asInteger("PARCIS") * 1000 + pa.asInteger("PARPOD"),
                     int(pa.asInteger("PARSKUP")));
}

// ---- listings, forms and area sums ----

TParDilyPrint TParDilyDbf::PrintCommand()
{
    return TParDilyPrint(m_app, m_ku, m_workTablePath,
                         {this, m_process, m_listNumber, ui->Notebook->currentIndex(),
                          m_tablePa->isActive() ? m_tablePa->indexName() : QString()});
}

void TParDilyDbf::TiskBtnClick()
{
    PostOwnText();
    int kind = 0;
    int copies = 1;
    if (!PrintCommand().PrintParDily(kind, copies) || kind == 0)
        return;
    // A form: the browser closes, then the dispatcher previews or prints.
    const QString indexName = m_tablePa->indexName();
    QWidget* owner = parentWidget();
    reject();
    PrintReport(m_app, kind, m_listNumber, m_ku, m_workTablePath, indexName, copies, owner);
}

void TParDilyDbf::VymeryBtnClick()
{
    PostOwnText();
    PrintCommand().VymeryBtnClick();
}

void TParDilyDbf::ExportBtnClick()
{
    PostOwnText();
    TParDilyExport(this, m_app, *m_tablePa, m_ku, m_workTablePath, m_process)
        .ExportBtnClick(ui->ExportBtn);
}
