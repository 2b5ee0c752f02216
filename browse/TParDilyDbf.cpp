#include "browse/TParDilyDbf.h"

#include "ui_TParDilyDbf.h"

#include "widgets/MessageDlg.h"
#include "widgets/FirstSize.h"
#include "widgets/ScreenScale.h"
#include "base/ETalvekException.h"
#include "widgets/TWaitCursor.h"
#include "browse/core/ParDilyRules.h"
#include "browse/core/TBrowseGridModel.h"
#include "browse/TParDilyExport.h"
#include "browse/TDoplnDlg.h"
#include "browse/TParDilyDetails.h"
#include "browse/TParDilyPrint.h"
#include "browse/TPartsGrid.h"
#include "output/PrintReport.h"
#include "select/TCProcessDlg.h"
#include "db/Table.h"
#include "map/TMapWindow.h"
#include "map/core/AreaMapLookup.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

using namespace ParDilyRules;

namespace {

const char* const FormName = "ParDilyDbf";
// The smallest first size at 96 dpi; a larger screen gives more (setFirstSize).
const int DefaultWidth = 760;
const int DefaultHeight = 600;
const qint16 MaximizedState = 2;

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
    // Resizable and maximisable: the parts grid takes the free height and the
    // columns spread over a wider window.
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);
    setMinimumSize(ScaleToScreen(542), ScaleToScreen(480));
    // The progress window of the long operations (marks, listings, exports).
    m_process = new TCProcessDlg(this);
    ui->OwnTextBtn->hide();
    ui->OwnTextPrior->hide();
    ui->OwnTextNext->hide();
    ui->RGText->setChecked(true);
    m_mapBtn = new QPushButton(QStringLiteral("&Mapa"), this);
    m_mapBtn->setObjectName(QStringLiteral("MapaBtn"));
    ui->ButtonLayout->insertWidget(ui->ButtonLayout->indexOf(ui->ExportBtn) + 1, m_mapBtn);
    m_mapBtn->setVisible(AreaHasMap(m_ku.Kod));
    ui->Notebook->setCurrentIndex(PageText);
    // No button acts on Enter: Enter in a grid must never change the work
    // table (a dialog would otherwise make its first button the default).
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    // The marked parts and their area, kept current under the grid.
    auto* markLabel = new QLabel(this);
    markLabel->setObjectName(QStringLiteral("MarkSummary"));
    ui->BottomLayout->addStretch();
    ui->BottomLayout->addWidget(markLabel);
    m_tables = new TBrowseTables(workTablePath, m_ku, m_app->WorkDbPath(), this);
    m_ownText = std::make_unique<TOwnText>(m_tables->OwnTexts(), m_ku.Alias, m_ku.Suffix);
    const TPartsGrid::Guard guard = [this](const auto& action) { runGuarded(action); };
    m_grid = new TPartsGrid(ui->DBGridPa, markLabel, *m_tables, guard, this);
    m_details = new TParDilyDetails(*ui, *m_tables, guard, this);
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

int TParDilyDbf::ExecuteParDilyAt(QWidget* owner, int mode, const std::shared_ptr<IApp>& app,
                                  const QString& workTablePath, const TKUInfo& ku, int group,
                                  int stem, int subdivision)
{
    TParDilyDbf form(owner, app, workTablePath, ku);
    form.SetupView(mode, 0);
    form.ShowParcel(group, stem, subdivision);
    form.exec();
    return QDialog::Rejected;
}

TBrowseGridModel* TParDilyDbf::GridModel() const
{
    return m_grid->Model();
}

TBrowseGridModel* TParDilyDbf::OwnersModel() const
{
    return m_details->OwnersModel();
}

int TParDilyDbf::OwnLV() const
{
    return m_details->OwnLV();
}

int TParDilyDbf::LandLV() const
{
    return m_details->LandLV();
}

void TParDilyDbf::SetupView(int mode, int listNumber)
{
    m_mode = mode;
    m_listNumber = listNumber;
    m_grid->ShowParcel(ParcelView(), QString());
    if (ParcelView())
        DSPaDataChange();
    setWindowTitle(BrowserCaption(mode, listNumber, m_ku.Katastr));
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
    connect(&TablePa(), &Dataset::currentChanged, this, [this] {
        if (TablePa().state() == Dataset::State::Browse && m_tables->CurrentPartKey() != m_shownKey)
            runGuarded([this] { DSPaDataChange(); });
    });
    connect(ui->DBGridVl, &QTableView::doubleClicked, this,
            [this] { runGuarded([this] { DBGridVlDblClick(); }); });
    const QList<QPair<QAbstractButton*, void (TParDilyDbf::*)()>> buttons = {
        {ui->FlagBtn, &TParDilyDbf::FlagBtnClick},
        {ui->AddPKBtn, &TParDilyDbf::AddPKBtnClick},
        {ui->TiskBtn, &TParDilyDbf::TiskBtnClick},
        {ui->VymeryBtn, &TParDilyDbf::VymeryBtnClick},
        {ui->ExportBtn, &TParDilyDbf::ExportBtnClick},
        {m_mapBtn, &TParDilyDbf::MapaBtnClick},
        {ui->CancelBtn, &TParDilyDbf::CancelBtnClick}};
    for (const auto& [button, handler] : buttons)
        connect(button, &QAbstractButton::clicked, this,
                [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); });
    connect(ui->DBMemoText, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_memoLoading)
            m_ownText->MarkChanged();
    });
    auto navigate = [this](void (Dataset::*move)()) {
        runGuarded([&] {
            if (TablePa().isActive())
                (TablePa().*move)();
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

void TParDilyDbf::OpenData(bool allTables)
{
    m_markToggle = false;
    ui->FlagBtn->setText(MarkButtonCaption(m_markToggle));
    TWaitCursor wait(*m_app);
    m_tables->OpenDetails(allTables);
    PrepareOwnText();
    m_shownKey.clear();
    m_tables->OpenParts();
    m_grid->ReadMarks(m_workTablePath);
    if (m_shownKey.isEmpty())
        DSPaDataChange();
}

void TParDilyDbf::DSPaDataChange()
{
    if (!TablePa().isActive() || TablePa().state() != Dataset::State::Browse)
        return;
    if (!m_returningToPart && !PostOwnTextOrReturn())
        return;
    m_shownRecNo = TablePa().recNo();
    m_shownKey = m_tables->CurrentPartKey();
    m_details->ShowPart(ui->Notebook->currentIndex() == PageBonita,
                        ui->Notebook->currentIndex() == PagePK);
    if (!m_returningToPart)
        LoadOwnText();
    if (ParcelView())
        m_grid->ShowParcel(true, TablePa().asString("PARCISLO").left(12));
    m_grid->SyncToDataset();
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
    m_tables->LinkUsers(item == PageUsers);
    PrepareOwnText();
    DSPaDataChange();
}

// ---- own texts ----

void TParDilyDbf::PrepareOwnText()
{
    if (ui->Notebook->currentIndex() != PageText) {
        m_ownText->Forget();
        return;
    }
    // An existing table that cannot be opened is left alone; the page says
    // why no text can be typed.
    const QString refusal = m_ownText->Prepare();
    ui->DBMemoText->setEnabled(refusal.isEmpty());
    ui->DBMemoText->setPlaceholderText(refusal);
}

void TParDilyDbf::LoadOwnText()
{
    const bool shown = ui->Notebook->currentIndex() == PageText && m_ownText->IsOpen();
    m_memoLoading = true;
    ui->DBMemoText->setPlainText(
        m_ownText->Load(shown ? m_tables->CurrentPartKey() : QVariantList()));
    m_memoLoading = false;
}

void TParDilyDbf::PostOwnText()
{
    m_ownText->Post(ui->DBMemoText->toPlainText());
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
        if (previous >= 0 && previous < TablePa().recordCount()) {
            m_returningToPart = true;
            TablePa().setRecNo(previous);
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

void TParDilyDbf::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_grid->SyncToDataset();
}

void TParDilyDbf::DBGridPaTitleClick(int column)
{
    m_grid->SortByColumn(column);
}

void TParDilyDbf::DBGridPaDblClick(int row)
{
    m_grid->ToggleMark(row);
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
        m_grid->MarkAll(m_markToggle, m_workTablePath);
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
    const QStringList numbers = m_tables->OlderParcelNumbers();
    if (numbers.isEmpty())
        return;
    PostOwnText();
    try {
        TWaitCursor wait(*m_app);
        m_tables->AddToWork(numbers);
    } catch (const ETalvekException&) {
        // The browser comes back over the unchanged work table.
        OpenData(false);
        throw;
    }
    OpenData(false);
}

void TParDilyDbf::DBGridVlDblClick()
{
    Table& pa = TablePa();
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
                          TablePa().isActive() ? TablePa().indexName() : QString()});
}

void TParDilyDbf::TiskBtnClick()
{
    PostOwnText();
    int kind = 0;
    int copies = 1;
    if (!PrintCommand().PrintParDily(kind, copies) || kind == 0)
        return;
    // A form: the browser closes, then the dispatcher previews or prints.
    const QString indexName = TablePa().indexName();
    QWidget* owner = parentWidget();
    reject();
    PrintReport(m_app, kind, m_listNumber, m_ku, m_workTablePath, indexName, copies, owner);
}

void TParDilyDbf::MapaBtnClick()
{
    if (!m_map) {
        MapArea area;
        try {
            area = ReadAreaMap(m_ku.Kod, m_ku.Katastr);
        } catch (const ETalvekException&) {
            // A damaged map is told once; the browser goes on without it.
            m_mapBtn->setVisible(AreaHasMap(m_ku.Kod));
            throw;
        }
        m_map = new TMapWindow(m_app.get(), m_ku, std::move(area), m_workTablePath, this);
        m_map->setWindowFlag(Qt::Window);
        connect(m_map, &TMapWindow::workTableWritten, this,
                [this] { runGuarded([this] { WorkTableChanged(); }); });
        connect(m_map, &TMapWindow::browseRequested, this, [this](int group, int stem, int sub) {
            if (!ShowParcel(group, stem, sub)) {
                m_map->ShowNote(TMapWindow::NotInWorkTableNote(group, stem, sub));
                return;
            }
            raise();
            activateWindow();
        });
    }
    m_map->show();
    m_map->ZoomToMarked();
    m_map->raise();
    m_map->activateWindow();
}

bool TParDilyDbf::ShowParcel(int group, int stem, int subdivision)
{
    if (!m_tables->LocateParcel(group, stem, subdivision))
        return false;
    m_grid->SyncToDataset();
    return true;
}

void TParDilyDbf::WorkTableChanged()
{
    if (!TablePa().isActive())
        return;
    TablePa().refresh();
    m_grid->ReadMarks(m_workTablePath);
    DSPaDataChange();
}

void TParDilyDbf::VymeryBtnClick()
{
    PostOwnText();
    PrintCommand().VymeryBtnClick();
}

void TParDilyDbf::ExportBtnClick()
{
    PostOwnText();
    TParDilyExport(this, m_app, TablePa(), m_ku, m_workTablePath, m_process)
        .ExportBtnClick(ui->ExportBtn);
}
