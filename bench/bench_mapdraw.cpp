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
#include "BenchMapArea.h"
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
    const MapArea generated = BenchGeneratedMapArea(code);
    store.write(generated);
    std::printf("parcels %lld, boundary lines %lld, file %lld bytes\n",
                qlonglong(generated.parcels.size()), qlonglong(generated.boundaries.size()),
                qlonglong(QFileInfo(store.pathOf(code)).size()));

    MapArea area;
    BenchMeasure("read the area's map (MapStore::read)", [&] { area = store.read(code); });
    BenchMeasure("GDAL walking the same layers", [&] { GdalWalk(store.pathOf(code)); });

    MapPainter::Options options;
    for (int stem = 1; stem <= 5000; stem += 50)
        options.marked.insert(MapParcelCode(area.parcels[stem - 1]));
    QImage image(2000, 2000, QImage::Format_RGB32);
    MapPainter::Drawn drawn;
    BenchMeasure("paint 2000 x 2000 (MapPainter::paint)", [&] {
        QPainter painter(&image);
        drawn = MapPainter::paint(painter, image.rect(), area, options);
    });
    std::printf("  drawn: parcels %d, marked %d, numbers %d, 1 mm = %.2f m\n", drawn.parcels,
                drawn.marked, drawn.numbers, drawn.metresPerMm);
    const QString png = tmp.filePath(QStringLiteral("mapa.png"));
    BenchMeasure("paint and encode a PNG file",
                 [&] { MapImageFile::write(png, QSize(2000, 2000), area, options); });

    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/../orv-tool");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ORV_MAP_DIR"), mapDir);
    BenchMeasure("orv-tool map draw ... --size 2000x2000 (whole)", [&] {
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
