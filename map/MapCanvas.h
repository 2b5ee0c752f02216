#pragma once

#include "map/core/MapPainter.h"
#include "map/core/MapView.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSet>
#include <QTimer>
#include <QWidget>

struct MapArea;

// The drawing surface of the map window. The map painter draws the view into
// an image kept between paints; a pan or zoom first shows that image moved or
// scaled (cheap) and the sharp picture follows a moment later, so that a drag
// or a turn of the wheel stays smooth on a large area.
// Mouse: wheel zooms about the cursor, a drag pans, a click identifies, a
// double click asks for the part in the browser; with Ctrl a click or a
// dragged rectangle picks parcels into the selection, with Shift takes them
// out (Esc cancels the rectangle). Keys: + and - zoom, arrows pan, Home
// shows the whole area.
class MapCanvas : public QWidget
{
    Q_OBJECT
public:
    explicit MapCanvas(QWidget* parent = nullptr);

    void setArea(const MapArea* area);
    void setMarked(const QSet<qint64>& marked);
    // The layers drawn (MapPainter::Layer values).
    void setLayers(int layers);
    const MapView& view() const { return m_view; }
    // Shows `world` (EPSG:5514 metres) whole; a null rectangle: the area.
    void showWorld(const QRectF& world);
    void zoomBy(double factor);
    // Paints the sharp picture now (for a benchmark or a print).
    void renderNow();
    const QImage& cachedImage() const { return m_cache; }

signals:
    void cursorMoved(const QPointF& world);
    void viewChanged();
    void parcelClicked(int index);
    void parcelDoubleClicked(int index);
    // Parcels (indexes into the area) picked with a modifier: added when
    // `add`, taken out otherwise.
    void parcelsPicked(const QList<int>& indexes, bool add);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void setView(const MapView& view);
    void drawCache();
    int parcelAtDevice(const QPointF& device) const;
    QPointF zoomAnchor() const;

    const MapArea* m_area = nullptr;
    QSet<qint64> m_marked;
    int m_layers = MapPainter::DefaultLayers;
    MapView m_view;
    QImage m_cache;
    MapView m_cacheView; // the view the cache shows
    bool m_cacheValid = false;
    QTimer m_sharpen;  // the sharp redraw after a pan or zoom
    QPoint m_pressPos; // device; where a press began
    QPoint m_lastPos;  // device; last mouse position of a pan drag
    bool m_pressed = false;
    bool m_moved = false;
    bool m_picking = false;
    bool m_pickAdd = true;
    QRect m_band; // the rectangle being dragged to pick, device
};
