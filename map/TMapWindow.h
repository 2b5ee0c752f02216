#pragma once

#include "app/core/TKUInfo.h"
#include "map/TMapPrintDlg.h"
#include "map/core/MapArea.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QMainWindow>

#include <memory>

class IApp;
class MapCanvas;
class QAction;
class QLabel;
class TListingData;

// The map of one cadastral area in a window of its own ("Mapa – area"):
// the map canvas, a panel identifying the parcel clicked (number, kind of
// land, area, ownership sheet, owners), the cursor's S-JTSK coordinates and
// the scale in the status bar. Parcels picked on the map go into the work
// table through the same path as selection by parcel number, and the marked
// parts of the work table are highlighted and redrawn whenever the table
// changes, whoever changed it.
class TMapWindow : public QMainWindow
{
    Q_OBJECT
public:
    // `workTablePath` is the work table ("…/PRAC.DB") that picking writes and
    // the highlight follows. `app` may be null (no stored placement).
    TMapWindow(IApp* app, const TKUInfo& ku, MapArea area, const QString& workTablePath,
               QWidget* parent = nullptr);
    ~TMapWindow() override;

    static QString Title(const QString& areaName);
    MapCanvas* canvas() const { return m_canvas; }
    // Zooms to the parcels with a marked part; false, doing nothing, when
    // none of the marked parcels is on the map.
    bool ZoomToMarked();
    // The identification text of the parcel at `index` in the area.
    QString Identify(int index);
    // Writes the parcels at `indexes` into the work table (`add`) or takes
    // them out; shows a Czech message on failure.
    void Pick(const QList<int>& indexes, bool add);
    // "Tisk...": paper and scale in the print dialog, then the printer or a
    // PDF file through the report engine's print path.
    void Print();
    // Prints the view on the paper and at the scale chosen, with the title
    // block and the layers shown: fitted to the page, or at a fixed scale
    // one page centred on the view's centre.
    void Print(const TMapPrintDlg::Choice& choice);
    // The layers shown (MapPainter::Layer values); kept per user.
    int Layers() const { return m_layers; }
    void SetLayers(int layers);
    // Shows `text` in the parcel panel.
    void ShowNote(const QString& text);
    // The panel's note for a parcel that the browser cannot show because the
    // work table lacks it.
    static QString NotInWorkTableNote(int group, int stem, int subdivision);

signals:
    // A double click asks for the browser on this parcel; sent only for a
    // parcel with a part in the work table (the panel says so otherwise).
    void browseRequested(int group, int stem, int subdivision);
    // The window wrote the work table (a pick): a browser over the same
    // table reads it again.
    void workTableWritten();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildActions();
    void buildLayerActions();
    void requestBrowser(int index);
    void reloadMarked();
    void showScale();

    IApp* m_app;
    TKUInfo m_ku;
    MapArea m_area;
    QString m_workTablePath;
    QSet<qint64> m_marked;
    QSet<qint64> m_inWork; // parcels with any part in the work table
    int m_layers;
    TMapPrintDlg::Choice m_printChoice;
    QHash<qint64, int> m_sheetOf; // parcel code → LVCIS
    std::unique_ptr<TListingData> m_listing;
    MapCanvas* m_canvas;
    QLabel* m_info;
    QLabel* m_coordinates;
    QLabel* m_scale;
    QFileSystemWatcher m_watcher;
};
