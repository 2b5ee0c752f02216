// Drawing a cadastral map: a generated area of 5,000 parcels (irregular
// polygons of 16 vertices on a 100 × 50 grid, every kind of land, buildings,
// one boundary line per parcel side, a label per parcel) written to the map
// store, then
//   - reading the area's map from its GeoPackage (MapStore::read), beside
//     GDAL merely walking the same layers' features;
//   - painting it onto a 2000 × 2000 image (MapPainter::paint);
//   - the same into a PNG file (painting and encoding);
//   - the whole command "orv-tool map draw" as a process, the area being
//     the Saladín sample district's (code 789160) with the generated map.
// Usage: bench_mapdraw
#include "BenchCity.h"
#include "map/core/MapImageFile.h"
#include "map/core/MapPainter.h"
#include "map/core/MapStore.h"
#include "map/core/MarkedParcels.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <functional>

#include <gdal.h>
#include <ogr_api.h>

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

MapArea GeneratedArea(const QString& code)
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
void Measure(const char* what, const std::function<void()>& run)
{
    QList<double> times;
    for (int i = 0; i < Rounds; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        times.append(msSince(t));
    }
    std::sort(times.begin(), times.end());
    std::printf("%-44s best %7.1f ms, median %7.1f ms\n", what, times.first(), times[Rounds / 2]);
}

// GDAL reading every feature of every layer of the file, nothing kept.
void GdalWalk(const QString& path)
{
    GDALDatasetH ds = GDALOpenEx(path.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY,
                                 nullptr, nullptr, nullptr);
    for (int i = 0; ds && i < GDALDatasetGetLayerCount(ds); ++i) {
        OGRLayerH layer = GDALDatasetGetLayer(ds, i);
        OGR_L_ResetReading(layer);
        while (OGRFeatureH f = OGR_L_GetNextFeature(layer))
            OGR_F_Destroy(f);
    }
    GDALClose(ds);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    GDALAllRegister();
    QTemporaryDir tmp;
    const QString mapDir = tmp.filePath(QStringLiteral("mapy"));
    const MapStore store(mapDir);
    const QString code = QStringLiteral("789160");
    const MapArea generated = GeneratedArea(code);
    store.write(generated);
    std::printf("parcels %lld, boundary lines %lld, file %lld bytes\n",
                qlonglong(generated.parcels.size()), qlonglong(generated.boundaries.size()),
                qlonglong(QFileInfo(store.pathOf(code)).size()));

    MapArea area;
    Measure("read the area's map (MapStore::read)", [&] { area = store.read(code); });
    Measure("GDAL walking the same layers", [&] { GdalWalk(store.pathOf(code)); });

    MapPainter::Options options;
    for (int stem = 1; stem <= 5000; stem += 50)
        options.marked.insert(MapParcelCode(area.parcels[stem - 1]));
    QImage image(2000, 2000, QImage::Format_RGB32);
    MapPainter::Drawn drawn;
    Measure("paint 2000 x 2000 (MapPainter::paint)", [&] {
        QPainter painter(&image);
        drawn = MapPainter::paint(painter, image.rect(), area, options);
    });
    std::printf("  drawn: parcels %d, marked %d, numbers %d, 1 mm = %.2f m\n", drawn.parcels,
                drawn.marked, drawn.numbers, drawn.metresPerMm);
    const QString png = tmp.filePath(QStringLiteral("mapa.png"));
    Measure("paint and encode a PNG file",
            [&] { MapImageFile::write(png, QSize(2000, 2000), area, options); });

    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/../orv-tool");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ORV_MAP_DIR"), mapDir);
    Measure("orv-tool map draw ... --size 2000x2000 (whole)", [&] {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(tool, {QStringLiteral("map"), QStringLiteral("draw"), QStringLiteral("--dir"),
                       QStringLiteral(ORV_SAMPLES_DIR "/real/SALADIN"), QStringLiteral("--area"),
                       QStringLiteral("001"), QStringLiteral("--out"), png,
                       QStringLiteral("--size"), QStringLiteral("2000x2000")});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            std::printf("orv-tool failed: %s\n", p.readAllStandardError().constData());
    });
    return 0;
}
