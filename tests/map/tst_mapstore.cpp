// The map store: an area's map written to its GeoPackage and read back
// whole, replaced atomically, and damaged or foreign files refused.
#include "common/TestSupport.h"
#include "base/ETalvekException.h"
#include "map/core/MapSchema.h"
#include "map/core/MapStore.h"

#include <QTemporaryDir>
#include <QTest>

#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

namespace {
QPolygonF square(double x, double y, double side)
{
    return QPolygonF({{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}});
}

// A parcel of two pieces, the first with a hole; a parcel without geometry;
// lines, labels and soil-quality data in every layer.
MapArea sampleArea()
{
    MapArea area;
    area.code = QStringLiteral("789160");
    area.name = QStringLiteral("Saladín");
    area.source = {{QStringLiteral("/data/a.vfk"), QStringLiteral("/data/b.vfk")},
                   QStringLiteral("05.11.2021 13:21:41"),
                   QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC)};
    MapParcel two{2, 123, 4, 1500.5, 10, {}, {}};
    two.parts.append({{square(-795000, -1157000, 40), square(-794990, -1156990, 10)}});
    two.parts.append({{square(-794900, -1157000, 20)}});
    two.bounds = QRectF(-795000, -1157000, 120, 40);
    area.parcels = {two, MapParcel{1, 7, 0, 80, 13, {}, {}}};
    area.boundaries = {{21900, QPolygonF({{-795000, -1157000}, {-794960, -1157000}})}};
    area.labels = {
        {QStringLiteral("123/4"), {-794980, -1156980}, 1.5, 12.5, MapSchema::ParcelNumberLabel},
        {QStringLiteral("Blanice"), {-794700, -1156954}, 3.4, 365.5, MapSchema::MapTextLabel}};
    area.soilBoundaries = {{1040, QPolygonF({{-795100, -1157100}, {-795050, -1157120}})}};
    area.soilLabels = {
        {QStringLiteral("83401"), {-795060, -1157110}, 2.5, 0, MapSchema::SoilLabel}};
    area.extent = QRectF(QPointF(-795100, -1157120), QPointF(-794700, -1156954));
    return area;
}

void compareLabels(const QList<MapLabel>& got, const QList<MapLabel>& want)
{
    QCOMPARE(got.size(), want.size());
    for (int i = 0; i < got.size(); ++i) {
        QCOMPARE(got[i].text, want[i].text);
        QCOMPARE(got[i].position, want[i].position);
        QCOMPARE(got[i].size, want[i].size);
        QCOMPARE(got[i].angle, want[i].angle);
        QCOMPARE(got[i].kind, want[i].kind);
    }
}

void compareLines(const QList<MapLine>& got, const QList<MapLine>& want)
{
    QCOMPARE(got.size(), want.size());
    for (int i = 0; i < got.size(); ++i) {
        QCOMPARE(got[i].kind, want[i].kind);
        QCOMPARE(got[i].points, want[i].points);
    }
}

// A GeoPackage written by someone else: one layer of another name.
void writeForeignGpkg(const QString& path)
{
    GDALAllRegister();
    GDALDatasetH ds = GDALCreate(GDALGetDriverByName("GPKG"), QFile::encodeName(path).constData(),
                                 0, 0, 0, GDT_Unknown, nullptr);
    QVERIFY(ds);
    QVERIFY(GDALDatasetCreateLayer(ds, "roads", nullptr, wkbLineString, nullptr));
    GDALClose(ds);
}

} // namespace

class TestMapStore : public QObject
{
    Q_OBJECT
private slots:
    void roundTripAndReplace();
    void refusesWhatIsNoMap_data();
    void refusesWhatIsNoMap();
};

void TestMapStore::roundTripAndReplace()
{
    QTemporaryDir dir;
    const MapStore store(dir.filePath(QStringLiteral("mapy")));
    const MapArea area = sampleArea();
    QVERIFY(!store.exists(area.code));
    store.write(area);
    QVERIFY(store.exists(area.code));
    const MapArea back = store.read(area.code);
    QCOMPARE(back.code, area.code);
    QCOMPARE(back.name, area.name);
    QCOMPARE(back.source.files, area.source.files);
    QCOMPARE(back.source.validity, area.source.validity);
    QCOMPARE(back.source.importedAt, area.source.importedAt);
    QCOMPARE(back.parcels.size(), 2);
    const MapParcel& two = back.parcels[0];
    QCOMPARE(std::tuple(two.group, two.stem, two.subdivision, two.officialArea, two.kindOfLand),
             std::tuple(2, 123, 4, 1500.5, 10));
    QCOMPARE(two.parts.size(), 2);
    QCOMPARE(two.parts[0].rings, area.parcels[0].parts[0].rings);
    QCOMPARE(two.parts[1].rings, area.parcels[0].parts[1].rings);
    QCOMPARE(two.bounds, area.parcels[0].bounds);
    QVERIFY(back.parcels[1].parts.isEmpty());
    QVERIFY(back.parcels[1].bounds.isNull());
    compareLines(back.boundaries, area.boundaries);
    compareLabels(back.labels, area.labels);
    compareLines(back.soilBoundaries, area.soilBoundaries);
    compareLabels(back.soilLabels, area.soilLabels);
    QCOMPARE(back.extent, area.extent);

    // Every layer carries the store's reference system and its spatial index.
    GDALDatasetH ds = GDALOpenEx(QFile::encodeName(store.pathOf(area.code)).constData(),
                                 GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
    QVERIFY(ds);
    for (const char* name : {MapSchema::ParcelLayer, MapSchema::BoundaryLayer,
                             MapSchema::LabelLayer, MapSchema::SoilLayer}) {
        OGRLayerH layer = GDALDatasetGetLayerByName(ds, name);
        QVERIFY2(layer, name);
        QCOMPARE(QString::fromLatin1(OSRGetAuthorityCode(OGR_L_GetSpatialRef(layer), nullptr)),
                 QStringLiteral("5514"));
        const QByteArray sql = QByteArrayLiteral("SELECT HasSpatialIndex('") + name + "','geom'";
        OGRLayerH result = GDALDatasetExecuteSQL(ds, sql + ")", nullptr, "SQLite");
        QVERIFY(result);
        OGRFeatureH f = OGR_L_GetNextFeature(result);
        QCOMPARE(OGR_F_GetFieldAsInteger(f, 0), 1);
        OGR_F_Destroy(f);
        GDALDatasetReleaseResultSet(ds, result);
    }
    GDALClose(ds);

    // A second write replaces the first and leaves no temporary file.
    MapArea smaller = area;
    smaller.parcels.removeLast();
    store.write(smaller);
    QCOMPARE(store.read(area.code).parcels.size(), 1);
    QCOMPARE(QDir(store.directory()).entryList(QDir::Files), QStringList{"789160.gpkg"});

    // A final name that is a link is refused and its target stays as it was.
    QFile::remove(store.pathOf(area.code));
    const QString target = dir.filePath(QStringLiteral("target.txt"));
    QFile t(target);
    QVERIFY(t.open(QIODevice::WriteOnly) && t.write("keep") == 4);
    t.close();
    QVERIFY(QFile::link(target, store.pathOf(area.code)));
    QVERIFY(TestSupport::refusal([&] { store.write(area); }).contains(QStringLiteral("odkaz")));
    QFile kept(target);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("keep"));
}

void TestMapStore::refusesWhatIsNoMap_data()
{
    QTest::addColumn<QByteArray>("content"); // "" for a GeoPackage of other layers
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("garbage") << QByteArray("not a geopackage\n") << "789160"
                             << "je poškozený";
    QTest::newRow("empty file") << QByteArray("") << "789160"
                                << "je poškozený";
    QTest::newRow("foreign gpkg") << QByteArray("foreign") << "789160"
                                  << "chybí vrstva";
    QTest::newRow("other area's map") << QByteArray("moved") << "789161"
                                      << "kód území";
    QTest::newRow("missing") << QByteArray("none") << "789160"
                             << "není v adresáři map";
    QTest::newRow("bad code") << QByteArray("none") << "../x"
                              << "není kód";
}

void TestMapStore::refusesWhatIsNoMap()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, code);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const MapStore store(dir.path());
    const QString path = dir.filePath(code + QStringLiteral(".gpkg"));
    if (content == "foreign") {
        writeForeignGpkg(path);
    } else if (content == "moved") {
        MapStore(dir.path()).write(sampleArea());
        QVERIFY(QFile::rename(dir.filePath(QStringLiteral("789160.gpkg")), path));
    } else if (content != "none") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const QString refusal = TestSupport::refusal([&] { store.read(code); });
    QVERIFY2(refusal.contains(message), qPrintable(refusal));
}

QTEST_GUILESS_MAIN(TestMapStore)
#include "tst_mapstore.moc"
