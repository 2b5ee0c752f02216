#include "map/core/MapView.h"

#include <algorithm>

MapView MapView::fit(const QRectF& world, const QRectF& device, double marginPixels)
{
    MapView view;
    view.m_device = device;
    view.m_worldCentre = world.center();
    const double width = std::max(device.width() - 2 * marginPixels, 1.0);
    const double height = std::max(device.height() - 2 * marginPixels, 1.0);
    const QRectF w = world.normalized();
    if (w.width() > 0 || w.height() > 0) {
        const double sx = w.width() > 0 ? width / w.width() : height / w.height();
        const double sy = w.height() > 0 ? height / w.height() : sx;
        view.m_scale = std::min(sx, sy);
    }
    return view;
}

QPointF MapView::toDevice(const QPointF& world) const
{
    const QPointF c = m_device.center();
    return {c.x() + (world.x() - m_worldCentre.x()) * m_scale,
            c.y() - (world.y() - m_worldCentre.y()) * m_scale};
}

QPointF MapView::toWorld(const QPointF& device) const
{
    const QPointF c = m_device.center();
    return {m_worldCentre.x() + (device.x() - c.x()) / m_scale,
            m_worldCentre.y() - (device.y() - c.y()) / m_scale};
}

QRectF MapView::toWorld(const QRectF& device) const
{
    return QRectF(toWorld(device.topLeft()), toWorld(device.bottomRight())).normalized();
}

QTransform MapView::transform() const
{
    const QPointF c = m_device.center();
    // x' = s·x + (cx − s·wx), y' = −s·y + (cy + s·wy)
    return QTransform(m_scale, 0, 0, -m_scale, c.x() - m_scale * m_worldCentre.x(),
                      c.y() + m_scale * m_worldCentre.y());
}

MapView MapView::zoomedAbout(const QPointF& devicePoint, double factor) const
{
    MapView view = *this;
    if (!(factor > 0))
        return view;
    const QPointF anchor = toWorld(devicePoint);
    view.m_scale = m_scale * factor;
    // Keep `anchor` under `devicePoint`: centre = anchor − offset / new scale.
    const QPointF offset = devicePoint - m_device.center();
    view.m_worldCentre = {anchor.x() - offset.x() / view.m_scale,
                          anchor.y() + offset.y() / view.m_scale};
    return view;
}

MapView MapView::panned(const QPointF& deviceDelta) const
{
    MapView view = *this;
    view.m_worldCentre = {m_worldCentre.x() - deviceDelta.x() / m_scale,
                          m_worldCentre.y() + deviceDelta.y() / m_scale};
    return view;
}

MapView MapView::resized(const QRectF& device) const
{
    MapView view = *this;
    view.m_device = device;
    return view;
}
