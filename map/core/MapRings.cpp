#include "map/core/MapRings.h"

#include <ogr_api.h>

#include <QHash>
#include <QMultiHash>

#include <algorithm>
#include <cmath>

// A vertex by its position to the centimetre, the precision of the files:
// the lines of one parcel meet where their end points are the same.
qint64 MapRings::pointKey(QPointF p)
{
    return (std::llround(-p.x() * 100) << 32) | (std::llround(-p.y() * 100) & 0xffffffff);
}

double MapRings::signedArea(const QPolygonF& ring)
{
    double twice = 0;
    for (qsizetype i = 0, n = ring.size(); i < n; ++i) {
        const QPointF& a = ring[i];
        const QPointF& b = ring[(i + 1) % n];
        twice += a.x() * b.y() - b.x() * a.y();
    }
    return twice / 2;
}

namespace {

// Whether `inner` lies inside `outer`: decided by a vertex of `inner` that is
// not a vertex of `outer` (rings of one parcel may touch at a point).
bool inside(const QPolygonF& inner, const QPolygonF& outer)
{
    for (const QPointF& p : inner)
        if (!outer.contains(p))
            return outer.containsPoint(p, Qt::OddEvenFill);
    return false;
}

// Appends the edge's points after the shared end point `from`; returns the
// key of the other end.
qint64 follow(QPolygonF& ring, const MapRings::Edge& edge, qint64 from)
{
    if (edge.start == from) {
        ring.append(edge.points.mid(1));
        return edge.end;
    }
    for (qsizetype i = edge.points.size() - 2; i >= 0; --i)
        ring.append(edge.points[i]);
    return edge.start;
}

// A chain that passes a point twice (two pieces meeting at a corner, a hole
// touching the outer boundary) is cut there into simple rings, which the
// containment test then tells apart.
void addSimpleRings(const QPolygonF& ring, QList<QPolygonF>& rings)
{
    QPolygonF stack;
    QHash<qint64, qsizetype> at; // point -> its place in the stack
    for (const QPointF& p : ring) {
        const qint64 key = MapRings::pointKey(p);
        const auto seen = at.constFind(key);
        if (seen == at.cend()) {
            at.insert(key, stack.size());
            stack.append(p);
            continue;
        }
        const qsizetype from = *seen;
        if (stack.size() - from >= 3)
            rings.append(stack.mid(from));
        for (qsizetype i = from + 1; i < stack.size(); ++i)
            at.remove(MapRings::pointKey(stack[i]));
        stack.resize(from + 1);
    }
    if (stack.size() >= 3)
        rings.append(stack);
}

// Chains the lines into closed rings by their end points; nullopt when a
// chain stays open (an end point that no other line of the parcel meets).
std::optional<QList<QPolygonF>> closedRings(const QList<MapRings::Edge>& edges)
{
    QMultiHash<qint64, int> at;
    for (int i = 0; i < edges.size(); ++i) {
        at.insert(edges[i].start, i);
        at.insert(edges[i].end, i);
    }
    QList<bool> used(edges.size(), false);
    QList<QPolygonF> rings;
    for (int i = 0; i < edges.size(); ++i) {
        if (used[i])
            continue;
        used[i] = true;
        QPolygonF ring = edges[i].points;
        const qint64 first = edges[i].start;
        qint64 current = edges[i].end;
        while (current != first) {
            int next = -1;
            for (auto it = at.constFind(current); it != at.cend() && it.key() == current; ++it)
                if (!used[*it]) {
                    next = *it;
                    break;
                }
            if (next < 0)
                return std::nullopt;
            used[next] = true;
            current = follow(ring, edges[next], current);
        }
        ring.removeLast(); // the first point again
        addSimpleRings(ring, rings);
    }
    if (rings.isEmpty())
        return std::nullopt;
    return rings;
}

// Rings to polygons: a ring inside an odd number of others is a hole of the
// smallest that holds it, any other ring the outer ring of a piece.
QList<MapPolygon> classify(QList<QPolygonF> rings)
{
    std::sort(rings.begin(), rings.end(), [](const QPolygonF& a, const QPolygonF& b) {
        return std::abs(MapRings::signedArea(a)) > std::abs(MapRings::signedArea(b));
    });
    QList<int> depth(rings.size(), 0), part(rings.size(), -1);
    QList<MapPolygon> parts;
    for (int i = 0; i < rings.size(); ++i) {
        int parent = -1;
        for (int j = i - 1; j >= 0 && parent < 0; --j)
            if (inside(rings[i], rings[j]))
                parent = j;
        depth[i] = parent < 0 ? 0 : depth[parent] + 1;
        if (depth[i] % 2 == 0) {
            part[i] = int(parts.size());
            parts.append({{rings[i]}});
        } else {
            parts[part[parent]].rings.append(rings[i]);
        }
    }
    return parts;
}

bool isValid(const QList<MapPolygon>& parts)
{
    OGRGeometryH multi = OGR_G_CreateGeometry(wkbMultiPolygon);
    for (const MapPolygon& part : parts) {
        OGRGeometryH polygon = OGR_G_CreateGeometry(wkbPolygon);
        for (const QPolygonF& ring : part.rings) {
            OGRGeometryH r = OGR_G_CreateGeometry(wkbLinearRing);
            for (const QPointF& p : ring)
                OGR_G_AddPoint_2D(r, p.x(), p.y());
            OGR_G_CloseRings(r);
            OGR_G_AddGeometryDirectly(polygon, r);
        }
        OGR_G_AddGeometryDirectly(multi, polygon);
    }
    const bool valid = OGR_G_IsValid(multi);
    OGR_G_DestroyGeometry(multi);
    return valid;
}

} // namespace

std::optional<QList<MapPolygon>> MapRings::polygons(const QList<Edge>& edges)
{
    const auto rings = closedRings(edges);
    if (!rings)
        return std::nullopt;
    QList<MapPolygon> parts = classify(*rings);
    if (!isValid(parts))
        return std::nullopt;
    return parts;
}
