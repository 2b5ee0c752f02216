#pragma once

#include <QPointF>
#include <QRectF>
#include <QTransform>

// The mapping between ground coordinates (EPSG:5514 metres, x east, y north)
// and a paint device (pixels or points, y down): one scale for both axes, so
// that shapes keep their proportions, and north up. Shared by the map
// painter and the map window.
class MapView
{
public:
    MapView() = default;
    // Shows `world` whole and centred in `device`, with `marginPixels` of
    // device space kept free on every side. An empty `world` (one point or
    // none) is shown around its centre at one pixel per metre.
    static MapView fit(const QRectF& world, const QRectF& device, double marginPixels = 0);

    // Device units per metre on the ground.
    double scale() const { return m_scale; }
    QPointF toDevice(const QPointF& world) const;
    QPointF toWorld(const QPointF& device) const;
    QRectF toWorld(const QRectF& device) const;
    // The same mapping for QPainter and QPolygonF::map.
    QTransform transform() const;
    // The ground shown by the whole device rectangle.
    QRectF visibleWorld() const { return toWorld(m_device); }
    const QRectF& device() const { return m_device; }

    // The same view scaled by `factor` about `devicePoint`: the ground under
    // that point stays under it (the cursor keeps its place on a wheel zoom).
    MapView zoomedAbout(const QPointF& devicePoint, double factor) const;
    // The same view with the picture moved by `deviceDelta` (a drag of the
    // mouse by that many pixels moves the ground with it).
    MapView panned(const QPointF& deviceDelta) const;
    // The same ground centre and scale on another device rectangle (a window
    // resized).
    MapView resized(const QRectF& device) const;

private:
    QRectF m_device;
    QPointF m_worldCentre;
    double m_scale = 1;
};
