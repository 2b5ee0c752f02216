#include "BenchMapArea.h"

#include "map/core/MapStore.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int Columns = 100;
constexpr int Rows = 50;
constexpr double CellWidth = 30;  // metres
constexpr double CellHeight = 24; // metres
constexpr int Rounds = 5;

// A parcel in its grid cell: four sides of four vertices each, the inner
// ones shifted by up to a metre, so that no two parcels are alike.
QPolygonF CellRing(int col, int row)
{
    const double x0 = -750000 + col * CellWidth, y0 = -1050000 + row * CellHeight;
    const QPointF corners[] = {
        {x0, y0}, {x0 + CellWidth, y0}, {x0 + CellWidth, y0 + CellHeight}, {x0, y0 + CellHeight}};
    QPolygonF ring;
    for (int side = 0; side < 4; ++side) {
        const QPointF a = corners[side], b = corners[(side + 1) % 4];
        for (int k = 0; k < 4; ++k) {
            const double t = k / 4.0;
            const double wobble = k == 0 ? 0 : std::sin(col * 7.0 + row * 3.0 + side + k);
            const QPointF normal(-(b - a).y(), (b - a).x());
            ring.append(a + (b - a) * t + normal / std::hypot(normal.x(), normal.y()) * wobble);
        }
    }
    return ring;
}

} // namespace

MapArea BenchGeneratedMapArea(const QString& code)
{
    static const int kinds[] = {2, 5, 7, 10, 11, 13, 14, 3, 6, 13};
    MapArea area;
    area.code = code;
    area.name = QStringLiteral("Generované území");
    for (int row = 0; row < Rows; ++row)
        for (int col = 0; col < Columns; ++col) {
            MapParcel p;
            const int n = row * Columns + col;
            p.kindOfLand = kinds[n % 10];
            p.group = p.kindOfLand == 13 ? 1 : 2;
            p.stem = n + 1;
            p.subdivision = n % 7 == 0 ? 2 : 0;
            p.officialArea = CellWidth * CellHeight;
            const QPolygonF ring = CellRing(col, row);
            p.parts.append(MapPolygon{{ring}});
            p.bounds = ring.boundingRect();
            for (int side = 0; side < 4; ++side)
                area.boundaries.append(
                    {1, ring.mid(side * 4, 4) << ring[(side * 4 + 4) % ring.size()]});
            area.labels.append(
                {QString::number(p.stem), p.bounds.center(), 1.5, 0, 1}); // a parcel-number label
            area.parcels.append(p);
        }
    area.extent = MapStore::extentOf(area);
    return area;
}

// The smallest and the middle time of `Rounds` runs, in milliseconds.
void BenchMeasure(const char* what, const std::function<void()>& run)
{
    QList<double> times;
    for (int i = 0; i < Rounds; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        times.append(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("%-44s best %7.1f ms, median %7.1f ms\n", what, times.first(), times[Rounds / 2]);
}

// GDAL reading every feature of every layer of the file, nothing kept.
