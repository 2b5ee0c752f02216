#include "map/core/MapHitTest.h"

#include "map/core/MapArea.h"

#include <QPainterPath>

namespace {
// A polygon with its holes as one odd-even path: inside the outer ring and
// outside every hole.
QPainterPath pathOf(const MapPolygon& polygon)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const QPolygonF& ring : polygon.rings) {
        path.addPolygon(ring);
        path.closeSubpath();
    }
    return path;
}

bool ringContains(const QPolygonF& ring, const QPointF& p)
{
    return ring.containsPoint(p, Qt::OddEvenFill);
}
} // namespace

MapHitTest::MapHitTest(const MapArea& area) : m_area(area) {}

bool MapHitTest::contains(const MapParcel& parcel, const QPointF& world)
{
    if (!parcel.bounds.contains(world))
        return false;
    for (const MapPolygon& polygon : parcel.parts) {
        if (polygon.rings.isEmpty() || !ringContains(polygon.rings.first(), world))
            continue;
        bool inHole = false;
        for (qsizetype i = 1; i < polygon.rings.size() && !inHole; ++i)
            inHole = ringContains(polygon.rings[i], world);
        if (!inHole)
            return true;
    }
    return false;
}

bool MapHitTest::touches(const MapParcel& parcel, const QRectF& world)
{
    const QRectF r = world.normalized();
    if (!parcel.bounds.intersects(r) && !r.contains(parcel.bounds))
        return false;
    if (r.contains(parcel.bounds))
        return true;
    for (const MapPolygon& polygon : parcel.parts)
        if (pathOf(polygon).intersects(r))
            return true;
    return false;
}

int MapHitTest::parcelAt(const QPointF& world) const
{
    for (qsizetype i = m_area.parcels.size() - 1; i >= 0; --i)
        if (contains(m_area.parcels[i], world))
            return int(i);
    return -1;
}

QList<int> MapHitTest::parcelsIn(const QRectF& world) const
{
    QList<int> found;
    for (qsizetype i = 0; i < m_area.parcels.size(); ++i)
        if (touches(m_area.parcels[i], world))
            found.append(int(i));
    return found;
}
