#include "app/TMainOrvForm.h"

#include "app/THelpWindow.h"

#include "widgets/MessageDlg.h"
#include "widgets/ScreenScale.h"
#include "app/TAboutBox.h"
#include "app/TAreaMapWindows.h"
#include "app/TFolderDialog.h"
#include "app/TVfkImportDialog.h"
#include "app/core/CoCollection.h"
#include "app/core/DistrictCatalogue.h"
#include "base/ETalvekException.h"
#include "base/OrvPaths.h"
#include "app/core/StartupCheck.h"
#include "data/CadastralTables.h"
#include "map/TMapImportDialog.h"
#include "map/core/MapStore.h"
#include "ui_MainOrvForm.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <algorithm>
#include <QFileInfo>
#include <QLayout>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <utility>

namespace {
TMainOrvForm* g_instance = nullptr;

constexpr int kClientWidth = 420;
constexpr int kClientHeight = 105;
constexpr int kLabelTop = 8;
constexpr int kLabelStep = 24;

const char* const kTag = "tag";

// The dialogs' result asking for the map instead of the browser.
constexpr int MapResult = 6;

QString workTablePath(const IApp& app)
{
    return app.WorkPath() + QStringLiteral("PRAC.DB");
}

// "%.3d": at least three digits, zero-padded.
QString threeDigits(int n)
{
    const QString digits = QStringLiteral("%1").arg(qAbs(n), 3, 10, QLatin1Char('0'));
    return n < 0 ? QLatin1Char('-') + digits : digits;
}

QString menuCaption(const QString& text)
{
    QString caption = text;
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString commandName(const QAction* action)
{
    QString text = action ? action->text() : QString();
    text.remove(QLatin1Char('&'));
    if (text.endsWith(QLatin1String("...")))
        text.chop(3);
    return text;
}

int tagOf(const QAction* action)
{
    return action->property(kTag).toInt();
}
} // namespace

TMainOrvForm::TMainOrvForm(std::shared_ptr<IApp> app, std::shared_ptr<TRegistry> registry,
                           TMainOrvEntries entries, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TMainOrvForm>()), m_app(std::move(app)),
      m_registry(std::move(registry)), m_entries(std::move(entries))
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setupTags();
    setupSize();

    m_outputGroup = new QActionGroup(this);
    for (QAction* a : {ui->Tisk0, ui->Tisk1, ui->Tisk2, ui->Tisk3})
        m_outputGroup->addAction(a);
    m_openKUGroup = new QActionGroup(this);
    ui->OpenKU->menuAction()->setEnabled(false);
    ui->Sestava->menuAction()->setEnabled(false);

    m_folderDialog = new TFolderDialog(this);
    m_folderDialog->SetTitle(QStringLiteral("Vyhledání adresáře"));
    m_folderDialog->SetText(QStringLiteral("Zadejte adresář pro alias"));

    m_maps = new TAreaMapWindows(
        this, [this](const std::function<void()>& command) { runGuarded(command); });
    connect(m_maps, &TAreaMapWindows::browseRequested, this, &TMainOrvForm::browseAt);
    connectMenu();
    SetMessageDlgHelpHandler([this](int) { openHelp(); });
    g_instance = this;
}

TMainOrvForm::~TMainOrvForm()
{
    m_registry->SetProblemHandler(nullptr);
    if (g_instance == this) {
        g_instance = nullptr;
        SetMessageDlgHelpHandler(nullptr);
    }
}

TMainOrvForm* TMainOrvForm::Instance()
{
    return g_instance;
}

void TMainOrvForm::setupTags()
{
    const QList<QPair<QAction*, int>> tags{
        {ui->Sestava0, 0}, {ui->Sestava1, 1}, {ui->Sestava2, 6},     {ui->Sestava3, 5},
        {ui->Sestava4, 4}, {ui->Sestava5, 2}, {ui->Sestava6, 3},     {ui->Tisk0, 0},
        {ui->Tisk1, 1},    {ui->Tisk2, 2},    {ui->Tisk3, OutputMap}};
    for (const auto& [action, tag] : tags)
        action->setProperty(kTag, tag);
}

void TMainOrvForm::setupSize()
{
    // Client area 420 x 105 at 96 dpi, scaled to the screen; the window keeps
    // that size (it can't be resized).
    const QList<QLabel*> labels{ui->Label1, ui->Label2, ui->Label3, ui->Label4};
    for (int i = 0; i < labels.size(); ++i) {
        labels[i]->setGeometry(ScaleToScreen(8), ScaleToScreen(kLabelTop + i * kLabelStep),
                               ScaleToScreen(kClientWidth - 16), labels[i]->sizeHint().height());
    }
    ui->ClientArea->setFixedSize(ScaleToScreen(kClientWidth), ScaleToScreen(kClientHeight));
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    m_designSize = size();
    setFixedSize(m_designSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(m_designSize.width() / 2, m_designSize.height() / 2));
    }
}

void TMainOrvForm::connectMenu()
{
    connect(ui->KUOpen, &QAction::triggered, this, [this] { KUOpenClick(); });
    connect(ui->KUImportVfk, &QAction::triggered, this, [this] { KUImportVfkClick(); });
    connect(ui->KUImportMapa, &QAction::triggered, this, [this] { importMapClick(); });
    connect(ui->KUMapa, &QAction::triggered, this, [this] {
        if (m_kuList.isEmpty())
            return;
        if (!MapStore().exists(CurrentKU().Kod))
            return InfoBox(TAreaMapWindows::NoMapText(CurrentKU()));
        runGuarded([this] { m_maps->Open({m_app, CurrentKU(), workTablePath(*m_app)}, false); });
    });
    connect(ui->KUClose, &QAction::triggered, this, [this] { KUCloseClick(); });
    connect(ui->KUVyhledat, &QAction::triggered, this, [this] { KUVyhledatClick(); });
    for (QAction* a : {ui->Sestava0, ui->Sestava1, ui->Sestava2, ui->Sestava3, ui->Sestava4,
                       ui->Sestava5, ui->Sestava6}) {
        connect(a, &QAction::triggered, this, [this, a] { SestavaClick(tagOf(a)); });
    }
    for (QAction* a : {ui->Tisk0, ui->Tisk1, ui->Tisk2, ui->Tisk3})
        connect(a, &QAction::triggered, this, [this, a] { TiskClick(tagOf(a)); });
    connect(ui->TiskStatistika, &QAction::triggered, this, [this] { TiskStatistikaClick(); });
    for (QAction* a : {ui->Help, ui->InforVeldo, ui->InforOrv})
        connect(a, &QAction::triggered, this, [this, a] { InformaceClick(a); });
    connect(ui->Infor3, &QAction::triggered, this, [this] { WorkDirChangeClick(); });
    connect(ui->Konec, &QAction::triggered, this, [this] { KonecClick(); });
}

void TMainOrvForm::RunStartupCheck(const QString& executableDir)
{
    QString warning;
    try {
        warning = StartupCheck(*m_app, *m_registry, executableDir);
    } catch (const ETalvekException& e) {
        // The first-run set-up could not store the work alias: say so, and
        // still check the work directory.
        ErrorBox(e.message());
        warning = WorkDirProblem(m_app->WorkPath());
    }
    if (!warning.isEmpty()) {
        QApplication::beep();
        QMessageBox box(QMessageBox::Critical, QStringLiteral("ORV"), warning, QMessageBox::Ok,
                        this);
        box.setObjectName(QStringLiteral("StartupWarning"));
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
    }
    for (const QString& problem : m_registry->TakeProblems())
        ErrorBox(problem);
    // Problems found later (a settings file damaged while the program runs)
    // are shown once each, outside the code that was reading the settings.
    QPointer<TMainOrvForm> self(this);
    m_registry->SetProblemHandler([self](const QString& problem) {
        QTimer::singleShot(0, self, [problem] { ErrorBox(problem); });
    });
}

void TMainOrvForm::runGuarded(const std::function<void()>& command)
{
    try {
        command();
    } catch (const ETalvekException& e) {
        m_app->ShowWaitCursor(false);
        ErrorBox(e.message());
        return;
    } catch (const std::exception& e) {
        m_app->ShowWaitCursor(false);
        ErrorBox(QString::fromUtf8(e.what()));
        return;
    }
    m_app->ShowWaitCursor(false);
}

void TMainOrvForm::notAvailable(const QAction* command)
{
    InfoBox(QStringLiteral("Funkce „%1“ zatím není k dispozici").arg(commandName(command)));
}

void TMainOrvForm::SelectKU(int i)
{
    const QList<QAction*> items = ui->OpenKU->actions();
    for (int k = 0; k < items.size(); ++k)
        items[k]->setChecked(k == i);
    m_current = i;
}

void TMainOrvForm::ShowKU(bool open)
{
    ui->KUClose->setEnabled(open);
    ui->KUMapa->setEnabled(open);
    ui->Sestava->menuAction()->setEnabled(open);
    ui->OpenKU->menuAction()->setEnabled(open);
    ui->TiskStatistika->setEnabled(open);
    if (open) {
        const TKUInfo& ku = CurrentKU();
        ui->Label1->setText(QStringLiteral("Okres: ") + ku.Okres);
        ui->Label2->setText(QStringLiteral("Obec:  ") + ku.Obec);
        ui->Label3->setText(QStringLiteral("Katastr: ") + ku.Katastr);
        ui->Label4->setText(QStringLiteral("Číslo v okrese: %1        Číslo v J.Č.S.J.: %2")
                                .arg(ku.Suffix, ku.Kod));
    } else {
        ui->Label1->setText(QStringLiteral("Okres:"));
        ui->Label2->setText(QStringLiteral("Obec:"));
        ui->Label3->setText(QStringLiteral("Katastr:"));
        ui->Label4->setText(QStringLiteral("Číslo:"));
    }
    // A previous selection never survives a change of the current area.
    ui->Sestava6->setEnabled(false);
}

void TMainOrvForm::AddKU(const TKUInfo& info)
{
    CadastralTables::CheckAreaSuffix(info.Suffix, info.Katastr);
    for (int i = 0; i < m_kuList.size(); ++i) {
        if (SameArea(m_kuList[i], info)) {
            SelectKU(i);
            ShowKU(true);
            return;
        }
    }
    QAction* item = ui->OpenKU->addAction(menuCaption(info.Katastr));
    item->setCheckable(true);
    m_openKUGroup->addAction(item);
    connect(item, &QAction::triggered, this, [this, item] { OpenKUClick(item); });
    m_kuList.append(info);
    SelectKU(int(m_kuList.size()) - 1);
    ShowKU(true);
}

void TMainOrvForm::KUOpenClick()
{
    if (!m_entries.CatalogueDialog)
        return notAvailable(ui->KUOpen);
    runGuarded([this] {
        const std::shared_ptr<ICollection> ordinals = CoCollection::Create();
        TKUInfo info;
        bool openIntoWindow = false;
        if (!m_entries.CatalogueDialog(this, m_app, info, ordinals, openIntoWindow))
            return;
        if (ordinals->Count() == 1)
            return AddKU(info);
        for (int i = 0; i < ordinals->Count(); ++i) {
            info.Suffix = threeDigits(ordinals->Item(i).toInt());
            if (DistrictCatalogue::lookup(info.Alias, info.Suffix, info))
                AddKU(info);
        }
    });
}

void TMainOrvForm::KUImportVfkClick()
{
    TVfkImportDialog dialog(this, m_app, OrvPaths::userDataDir());
    if (dialog.exec() == QDialog::Accepted)
        KUOpenClick();
}

void TMainOrvForm::importMapClick()
{
    TMapImportDialog dialog(m_kuList, this);
    dialog.exec();
    // The selection dialogs ask the store each time they open, so their
    // "Mapa" buttons show from now on; open map windows take the new map.
    m_maps->Reload(openAreasOf(dialog.WrittenCodes()));
}

void TMainOrvForm::KUCloseClick()
{
    if (m_kuList.isEmpty())
        return;
    int i = int(m_kuList.size()) - 1;
    while (i > 0 && m_kuList[i].Kod != CurrentKU().Kod)
        --i;
    m_maps->CloseArea(m_kuList[i].Kod);
    QAction* item = ui->OpenKU->actions().at(i);
    ui->OpenKU->removeAction(item);
    delete item;
    m_kuList.removeAt(i);
    if (i >= m_kuList.size())
        --i;
    if (i >= 0) {
        SelectKU(i);
        ShowKU(true);
    } else {
        m_current = -1;
        ShowKU(false);
    }
}

void TMainOrvForm::KUVyhledatClick()
{
    if (!m_entries.SheetSearch)
        return notAvailable(ui->KUVyhledat);
    runGuarded([this] {
        const int result = m_entries.SheetSearch(
            this, m_app, [this](const TKUInfo& info) { AddKU(info); }, m_outputType == OutputMap);
        // The sheet listed went into the work table of the area made current.
        if (result == MapResult && !m_kuList.isEmpty())
            m_maps->ShowOf({m_app, CurrentKU(), workTablePath(*m_app)});
    });
}

void TMainOrvForm::OpenKUClick(QAction* item)
{
    const int index = int(ui->OpenKU->actions().indexOf(item));
    if (index < 0)
        return;
    SelectKU(index);
    ShowKU(true);
}

void TMainOrvForm::SestavaClick(int tag)
{
    if (m_kuList.isEmpty())
        return;
    runGuarded([this, tag] {
        const QString problem = WorkDirProblem(m_app->WorkPath());
        if (!problem.isEmpty())
            throw ETalvekException(problem);
        const TSelectionContext ctx{m_app, CurrentKU(), workTablePath(*m_app)};
        if (tag == 6)
            return ownershipSheetSelection(ctx);
        if (!selectionCompleted(tag, ctx))
            return;
        ui->Sestava6->setEnabled(true);
        // "Mapa" of the dialog or the output type: the map, or where to get
        // one and the listing.
        const bool map = std::exchange(m_mapRequested, false) || m_outputType == OutputMap;
        if (map && m_maps->ShowOf(ctx))
            return;
        showSelection(ctx);
    });
}

bool TMainOrvForm::selectionCompleted(int tag, const TSelectionContext& ctx)
{
    if (tag == 4 || tag == 5) {
        m_partsOnly = tag == 4;
        if (!m_entries.ConditionsSelection) {
            notAvailable(tag == 4 ? ui->Sestava4 : ui->Sestava3);
            return false;
        }
        const int result = m_entries.ConditionsSelection(this, m_partsOnly, ctx);
        m_mapRequested = result == MapResult;
        return result == QDialog::Accepted || m_mapRequested;
    }
    m_partsOnly = false;
    if (!m_entries.ParcelSelection) {
        const QList<QAction*> items = ui->Sestava->actions();
        auto it = std::find_if(items.begin(), items.end(),
                               [tag](const QAction* a) { return tagOf(a) == tag; });
        notAvailable(it != items.end() ? *it : nullptr);
        return false;
    }
    return m_entries.ParcelSelection(this, tag, ctx);
}

void TMainOrvForm::ownershipSheetSelection(const TSelectionContext& ctx)
{
    m_partsOnly = true;
    if (m_outputType == OutputListing || m_outputType == OutputMap) {
        if (!m_entries.OwnerSelection)
            return notAvailable(ui->Sestava2);
        const int result = m_entries.OwnerSelection(this, ctx, m_outputType == OutputMap);
        ui->Sestava6->setEnabled(true);
        if (result == MapResult)
            m_maps->ShowOf(ctx);
        return;
    }
    if (!m_entries.SheetForm)
        return notAvailable(ui->Sestava2);
    m_entries.SheetForm(this, m_outputType, ctx);
    ui->Sestava6->setEnabled(false);
}

void TMainOrvForm::browseAt(const TSelectionContext& ctx, int group, int stem, int subdivision)
{
    // A double click on a part shows it in the browser over the work table.
    if (!m_entries.ParcelBrowserAt)
        return;
    runGuarded([&] {
        m_entries.ParcelBrowserAt(this, m_partsOnly ? 1 : 0, ctx, group, stem, subdivision);
    });
}

QList<TSelectionContext> TMainOrvForm::openAreasOf(const QStringList& areaCodes) const
{
    QList<TSelectionContext> areas;
    for (const QString& code : areaCodes) {
        const auto open = std::find_if(m_kuList.begin(), m_kuList.end(),
                                       [&](const TKUInfo& ku) { return ku.Kod == code; });
        if (open != m_kuList.end())
            areas.append({m_app, *open, workTablePath(*m_app)});
    }
    return areas;
}

void TMainOrvForm::showSelection(const TSelectionContext& ctx)
{
    // Without a map the map output falls back on the listing.
    if (m_outputType == OutputListing || m_outputType == OutputMap) {
        if (!m_entries.ParcelBrowser)
            return notAvailable(ui->Tisk0);
        m_entries.ParcelBrowser(this, m_partsOnly ? 1 : 0, ctx);
        return;
    }
    if (!m_entries.PrintReport)
        return notAvailable(m_outputType == 1 ? ui->Tisk1 : ui->Tisk2);
    m_entries.PrintReport(this, m_outputType, ctx);
}

void TMainOrvForm::TiskClick(int tag)
{
    m_outputType = tag;
    for (QAction* a : {ui->Tisk0, ui->Tisk1, ui->Tisk2, ui->Tisk3})
        a->setChecked(tagOf(a) == m_outputType);
    if (m_outputType == OutputMap && !m_kuList.isEmpty())
        TAreaMapWindows::HasMapOrTell(CurrentKU());
}

void TMainOrvForm::TiskStatistikaClick()
{
    if (m_kuList.isEmpty())
        return;
    if (!m_entries.Statistics)
        return notAvailable(ui->TiskStatistika);
    runGuarded([this] {
        m_entries.Statistics(nullptr, m_app->WorkDbPath(), CurrentKU().Alias, CurrentKU().Suffix);
    });
}

QString TMainOrvForm::HelpFile(const QString& executableDir)
{
    return OrvPaths::programData(executableDir, QStringLiteral("help")) +
           QStringLiteral("/index.html");
}

QUrl TMainOrvForm::HomePage()
{
    return QUrl(QStringLiteral("https://www.veldo.cz/"));
}

void TMainOrvForm::openHelp()
{
    const QString file = HelpFile(OrvPaths::executableDir());
    if (!QFileInfo::exists(file)) {
        ErrorBox(
            QStringLiteral("Soubor nápovědy %1 nebyl nalezen").arg(QDir::toNativeSeparators(file)));
        return;
    }
    // The help window of the program: one at a time, brought to the front
    // when the help is asked for again.
    if (!m_help)
        m_help = new THelpWindow(file, m_entries.OpenUrl, this);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void TMainOrvForm::InformaceClick(QAction* item)
{
    if (item == ui->Help)
        return openHelp();
    if (item == ui->InforVeldo) {
        if (!m_entries.OpenUrl || !m_entries.OpenUrl(HomePage()))
            ErrorBox(QStringLiteral("Stránku %1 nelze otevřít").arg(HomePage().toString()));
        return;
    }
    if (item == ui->InforOrv) {
        runGuarded([this] {
            TAboutBox box(m_app, this);
            box.exec();
        });
    }
}

void TMainOrvForm::WorkDirChangeClick()
{
    runGuarded([this] {
        // The browser opens at the work directory, else at the home folder.
        const QString work = m_app->WorkPath();
        m_folderDialog->SetDirectory(QFileInfo(work).isDir() ? work : QDir::homePath());
        if (m_folderDialog->Execute())
            SetWorkDir(*m_app, *m_registry, m_folderDialog->Directory());
    });
}

void TMainOrvForm::KonecClick()
{
    close();
}

bool TMainOrvForm::FormCloseQuery()
{
    return MessageDlg(QStringLiteral("Ukončit program ?"), mtConfirmation, mbYes | mbNo) == mrYes;
}

void TMainOrvForm::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery())
        return event->ignore();
    // The map windows go with the program, each storing its place.
    m_maps->CloseAll();
    event->accept();
}
