#pragma once

#include "app/core/TKUInfo.h"
#include "map/core/MapArea.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QMainWindow>

#include <memory>

class IApp;
class MapCanvas;
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
    // Prints the ground in view, fitted to the page, with the title block,
    // to a printer or a PDF file through the report engine's print path.
    void Print();

signals:
    // A double click asks for the browser on this parcel.
    void browseRequested(int group, int stem, int subdivision);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildActions();
    void reloadMarked();
    void showScale();

    IApp* m_app;
    TKUInfo m_ku;
    MapArea m_area;
    QString m_workTablePath;
    QSet<qint64> m_marked;
    QHash<qint64, int> m_sheetOf; // parcel code → LVCIS
    std::unique_ptr<TListingData> m_listing;
    MapCanvas* m_canvas;
    QLabel* m_info;
    QLabel* m_coordinates;
    QLabel* m_scale;
    QFileSystemWatcher m_watcher;
};
