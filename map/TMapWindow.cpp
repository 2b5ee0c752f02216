#include "map/TMapWindow.h"

#include "base/ETalvekException.h"
#include "browse/core/TListingData.h"
#include "data/ParcelNumber.h"
#include "data/ParcelTable.h"
#include "data/WorkTable.h"
#include "db/Table.h"
#include "map/MapCanvas.h"
#include "map/core/MapPicker.h"
#include "map/core/MapPrintPage.h"
#include "map/core/MapSheet.h"
#include "map/core/MarkedParcels.h"
#include "map/core/SurveyorCoordinates.h"
#include "report/ui/PrintTarget.h"
#include "settings/ISettings.h"
#include "widgets/DialogPos.h"
#include "widgets/MessageDlg.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QStatusBar>
#include <QToolBar>

namespace {
// Free space around the marked parcels when zooming to them, metres.
constexpr double MarkedMarginMetres = 20;
// The user's layers, a combination of MapPainter::Layer values.
const QString LayersKey = QStringLiteral("Mapa.Vrstvy");
// The printed page's margin, millimetres.
constexpr double PageMarginMm = 10;
} // namespace

TMapWindow::TMapWindow(IApp* app, const TKUInfo& ku, MapArea area, const QString& workTablePath,
                       QWidget* parent)
    : QMainWindow(parent), m_app(app), m_ku(ku), m_area(std::move(area)),
      m_workTablePath(workTablePath), m_layers(MapPainter::DefaultLayers),
      m_printChoice(TMapPrintDlg::Stored(app)), m_canvas(new MapCanvas(this)),
      m_info(new QLabel(this)), m_coordinates(new QLabel(this)), m_scale(new QLabel(this))
{
    setObjectName(QStringLiteral("TMapWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (m_area.name.isEmpty())
        m_area.name = ku.Katastr;
    setWindowTitle(Title(m_area.name));
    setCentralWidget(m_canvas);
    auto* dock = new QDockWidget(QStringLiteral("Parcela"), this);
    dock->setObjectName(QStringLiteral("ParcelaDock"));
    m_info->setObjectName(QStringLiteral("ParcelInfo"));
    m_info->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_info->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_info->setWordWrap(true);
    m_info->setMinimumWidth(220);
    m_info->setText(QStringLiteral("Klepnutím na parcelu zobrazíte její údaje.\n"
                                   "Ctrl+klepnutí nebo tažení přidá do výběru, "
                                   "Shift odebere."));
    dock->setWidget(m_info);
    addDockWidget(Qt::RightDockWidgetArea, dock);
    // Widths for the longest texts, so that the status bar does not jump
    // while the cursor moves or the scale changes.
    const QFontMetrics metrics(m_scale->font());
    m_coordinates->setMinimumWidth(
        metrics.horizontalAdvance(QStringLiteral("Y = 888 888,88  X = 1 888 888,88 ")));
    m_scale->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("1 : 8 888 888 ")));
    m_scale->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusBar()->addWidget(m_coordinates, 1);
    statusBar()->addPermanentWidget(m_scale);
    if (m_app && m_app->Settings())
        m_layers = m_app->Settings()->GetValue(LayersKey, m_layers).toInt();
    buildActions();
    m_listing = std::make_unique<TListingData>(ku, app ? app->WorkDbPath() : QString());
    // The ownership sheet of each parcel, read once: identify then costs no
    // query of the parcel table.
    try {
        Table parcels;
        OpenParcelTable(parcels, ku.Alias, ku.Suffix);
        for (parcels.first(); !parcels.eof(); parcels.next())
            m_sheetOf.insert(MapParcelCode(int(parcels.asInteger(QStringLiteral("PARSKUP"))),
                                           int(parcels.asInteger(QStringLiteral("PARCIS"))),
                                           int(parcels.asInteger(QStringLiteral("PARPOD")))),
                             int(parcels.asInteger(QStringLiteral("LVCIS"))));
    } catch (const ETalvekException&) {
        // Without the parcel table the map still shows; identify lacks sheets.
    }
    m_canvas->setLayers(m_layers);
    m_canvas->setArea(&m_area);
    connect(m_canvas, &MapCanvas::cursorMoved, this,
            [this](const QPointF& w) { m_coordinates->setText(SurveyorCoordinates(w)); });
    connect(m_canvas, &MapCanvas::viewChanged, this, &TMapWindow::showScale);
    connect(m_canvas, &MapCanvas::parcelClicked, this,
            [this](int i) { m_info->setText(Identify(i)); });
    connect(m_canvas, &MapCanvas::parcelsPicked, this, &TMapWindow::Pick);
    connect(m_canvas, &MapCanvas::parcelDoubleClicked, this, &TMapWindow::requestBrowser);
    // The work table and its folder are watched: a table created or written
    // by replacing it (which ends a file's watch) shows up as a change of
    // the folder.
    const QString folder = QFileInfo(m_workTablePath).absolutePath();
    if (QFileInfo::exists(folder))
        m_watcher.addPath(folder);
    if (QFileInfo::exists(m_workTablePath))
        m_watcher.addPath(m_workTablePath);
    auto changed = [this] {
        if (!m_watcher.files().contains(m_workTablePath) && QFileInfo::exists(m_workTablePath))
            m_watcher.addPath(m_workTablePath);
        reloadMarked();
    };
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, changed);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, changed);
    reloadMarked();
    resize(1000, 700);
    if (m_app)
        RestoreDialogPos(*m_app, this);
}

TMapWindow::~TMapWindow() = default;

QString TMapWindow::Title(const QString& areaName)
{
    return QStringLiteral("Mapa – ") + areaName;
}

void TMapWindow::buildActions()
{
    QToolBar* bar = addToolBar(QStringLiteral("Mapa"));
    bar->setObjectName(QStringLiteral("MapaBar"));
    bar->addAction(QStringLiteral("Celá oblast"), QKeySequence(Qt::Key_Home), this,
                   [this] { m_canvas->showWorld(QRectF()); });
    bar->addAction(QStringLiteral("Na výběr"), this, [this] { ZoomToMarked(); });
    bar->addAction(QStringLiteral("Přiblížit"), this, [this] { m_canvas->zoomBy(1.25); });
    bar->addAction(QStringLiteral("Oddálit"), this, [this] { m_canvas->zoomBy(0.8); });
    bar->addAction(QStringLiteral("Tisk..."), QKeySequence::Print, this, [this] { Print(); });
    buildLayerActions();
}

void TMapWindow::buildLayerActions()
{
    // The layers in a menu of their own, the soil-quality layer also on the
    // toolbar; each switch redraws at once and is kept for the next window.
    QMenu* menu = menuBar()->addMenu(QStringLiteral("&Vrstvy"));
    const struct
    {
        MapPainter::Layer layer;
        const char* caption;
        const char* name;
    } layers[] = {
        {MapPainter::SoilQuality, "&BPEJ (bonitované půdně ekologické jednotky)", "VrstvaBpej"},
        {MapPainter::ParcelBoundaries, "Hranice &parcel", "VrstvaHranice"},
        {MapPainter::AreaBoundaries, "Hranice &katastrálního území", "VrstvaHraniceKu"},
        {MapPainter::OtherLines, "&Ostatní linie mapy", "VrstvaLinie"}};
    for (const auto& l : layers) {
        QAction* action = menu->addAction(QString::fromUtf8(l.caption));
        action->setObjectName(QString::fromLatin1(l.name));
        action->setCheckable(true);
        action->setChecked(m_layers & l.layer);
        action->setData(int(l.layer));
        const MapPainter::Layer layer = l.layer;
        connect(action, &QAction::toggled, this, [this, layer](bool on) {
            SetLayers(on ? (m_layers | layer) : (m_layers & ~layer));
        });
        if (layer == MapPainter::SoilQuality) {
            action->setIconText(QStringLiteral("BPEJ"));
            findChild<QToolBar*>(QStringLiteral("MapaBar"))->addAction(action);
        }
    }
}

void TMapWindow::SetLayers(int layers)
{
    if (layers == m_layers)
        return;
    m_layers = layers;
    for (QAction* action : findChildren<QAction*>())
        if (action->objectName().startsWith(QLatin1String("Vrstva"))) {
            const QSignalBlocker block(action);
            action->setChecked(m_layers & action->data().toInt());
        }
    m_canvas->setLayers(m_layers);
    if (m_app && m_app->Settings())
        m_app->Settings()->SetValue(LayersKey, m_layers);
}

void TMapWindow::ShowNote(const QString& text)
{
    m_info->setText(text);
}

QString TMapWindow::NotInWorkTableNote(int group, int stem, int subdivision)
{
    return QStringLiteral("Parcela %1 není v pracovní tabulce, prohlížeč ji proto nemůže ukázat. "
                          "Přidejte ji do výběru (Ctrl+klepnutí).")
        .arg(FormatParcelNumber(group, stem, subdivision));
}

void TMapWindow::requestBrowser(int index)
{
    const MapParcel& p = m_area.parcels[index];
    if (!m_inWork.contains(MapParcelCode(p))) {
        ShowNote(NotInWorkTableNote(p.group, p.stem, p.subdivision));
        return;
    }
    emit browseRequested(p.group, p.stem, p.subdivision);
}

void TMapWindow::showScale()
{
    // Device pixels per metre → the scale number at the screen's resolution.
    const double metresPerPixel = 1 / m_canvas->view().scale();
    const double scale = metresPerPixel * logicalDpiX() / 0.0254;
    m_scale->setText(QStringLiteral("1 : ") + QLocale(QLocale::Czech).toString(qRound64(scale)));
}

void TMapWindow::reloadMarked()
{
    try {
        WorkTableParcels parcels;
        if (QFileInfo::exists(m_workTablePath))
            parcels = ReadWorkTableParcels(m_workTablePath);
        m_marked = parcels.marked;
        m_inWork = parcels.all;
    } catch (const ETalvekException&) {
        // A work table being written by another window: the next change
        // notification reads it again.
        return;
    }
    m_canvas->setMarked(m_marked);
}

bool TMapWindow::ZoomToMarked()
{
    // The work table may have been written a moment ago, before the watch
    // on it reported the change: read the marks now.
    reloadMarked();
    QRectF bounds;
    for (const MapParcel& p : m_area.parcels)
        if (!p.bounds.isNull() && m_marked.contains(MapParcelCode(p)))
            bounds |= p.bounds;
    if (bounds.isNull())
        return false;
    m_canvas->showWorld(bounds.adjusted(-MarkedMarginMetres, -MarkedMarginMetres,
                                        MarkedMarginMetres, MarkedMarginMetres));
    return true;
}

QString TMapWindow::Identify(int index)
{
    if (index < 0 || index >= m_area.parcels.size())
        return QStringLiteral("Mimo parcely.");
    const MapParcel& p = m_area.parcels[index];
    const int sheet = m_sheetOf.value(MapParcelCode(p), 0);
    QStringList lines;
    lines << QStringLiteral("Parcela: %1").arg(FormatParcelNumber(p.group, p.stem, p.subdivision));
    try {
        lines << QStringLiteral("Druh pozemku: %1").arg(m_listing->LandKindText(p.kindOfLand));
    } catch (const ETalvekException&) {
        lines << QStringLiteral("Druh pozemku: %1").arg(p.kindOfLand);
    }
    lines << QStringLiteral("Výměra: %1 m²")
                 .arg(QLocale(QLocale::Czech).toString(qRound64(p.officialArea)));
    lines << QStringLiteral("List vlastnictví: %1")
                 .arg(sheet > 0 ? QString::number(sheet) : QStringLiteral("-"));
    if (sheet > 0) {
        try {
            for (const TListingData::Holder& h : m_listing->HoldersOf(sheet))
                lines << QStringLiteral("  ") + m_listing->OwnerName(h.ident, h.uvchar);
        } catch (const ETalvekException& e) {
            lines << e.message();
        }
    }
    lines << QString()
          << (m_marked.contains(MapParcelCode(p)) ? QStringLiteral("Ve výběru.")
                                                  : QStringLiteral("Není ve výběru."));
    return lines.join(QLatin1Char('\n'));
}

void TMapWindow::Pick(const QList<int>& indexes, bool add)
{
    if (indexes.isEmpty())
        return;
    QList<const MapParcel*> picked;
    for (int i : indexes)
        picked << &m_area.parcels[i];
    try {
        Table parcels;
        OpenParcelTable(parcels, m_ku.Alias, m_ku.Suffix);
        Table work;
        OpenOrCreateWorkTable(work, m_workTablePath);
        add ? MapPicker::Add(picked, work, parcels) : MapPicker::Remove(picked, work, parcels);
    } catch (const ETalvekException& e) {
        ErrorBox(e.message());
        return;
    }
    if (!m_watcher.files().contains(m_workTablePath))
        m_watcher.addPath(m_workTablePath);
    reloadMarked();
    emit workTableWritten();
}

void TMapWindow::Print()
{
    if (TMapPrintDlg::Execute(this, m_app, m_printChoice))
        Print(m_printChoice);
}

void TMapWindow::Print(const TMapPrintDlg::Choice& choice)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(
        QPageLayout(MapPrintPage::Paper(choice.paper).value_or(QPageSize(QPageSize::A4)),
                    choice.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                    QMarginsF(PageMarginMm, PageMarginMm, PageMarginMm, PageMarginMm),
                    QPageLayout::Millimeter));
    if (!PrintTarget::Choose(printer, this, windowTitle(), PrintTarget::Mode::Dialog, 1))
        return;
    QPainter painter;
    if (!painter.begin(&printer)) {
        ErrorBox(PrintTarget::StartFailedMessage(printer));
        return;
    }
    MapPainter::Options options;
    options.marked = m_marked;
    options.world = m_canvas->view().visibleWorld();
    options.layers = m_layers;
    options.scale = choice.scale;
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    MapSheet::Paint(painter, page.translated(-page.topLeft()), m_area, options,
                    QDate::currentDate());
    painter.end();
    PrintTarget::Finished(printer, this);
}

void TMapWindow::closeEvent(QCloseEvent* event)
{
    if (m_app)
        SaveDialogPos(*m_app, this);
    event->accept();
}
