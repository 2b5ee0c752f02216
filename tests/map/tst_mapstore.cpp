// The map store: an area's map written to its GeoPackage and read back
// whole, replaced atomically, and damaged or foreign files refused. The map
// built from VFK files: small files written here for each way parcels are
// drawn, the public sample against GDAL's own VFK driver, bad input.
#include "common/TestSupport.h"
#include "base/ETalvekException.h"
#include "data/ParcelNumber.h"
#include "import/VfkImporter.h"
#include "import/VfkMapBuilder.h"
#include "map/core/MapSchema.h"
#include "map/core/MapStore.h"

#include <QTemporaryDir>
#include <QTest>

#include <cpl_conv.h>
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

// ---------------------------------------------------------------------------
// Small VFK files: the descriptive file with the parcels, the map file with
// their boundaries. Points are offsets in metres from Y 700000, X 1100000.
const QByteArray DescriptiveFile = R"(&HVERZE;"6.0"
&HCODEPAGE;"UTF-8"
&HZMENY;0
&HPLATNOST;"01.02.2024 10:00:00";"01.02.2024 10:00:00"
&BKATUZE;KOD N6;OBCE_KOD N6;NAZEV T48
&DKATUZE;600001;500001;"Horní Ves"
&BPAR;ID N30;PAR_TYPE T10;KATUZE_KOD N6;KATUZE_KOD_PUV N6;DRUH_CISLOVANI_PAR N1;KMENOVE_CISLO_PAR N5;ZDPAZE_KOD N1;PODDELENI_CISLA_PAR N3;DRUPOZ_KOD N2;VYMERA_PARCELY N9
&DPAR;11;"PKN";600001;;2;1;;;2;9600
&DPAR;12;"PKN";600001;;1;2;;;13;400
&DPAR;13;"PKN";600001;;2;3;;1;10;190
&DPAR;14;"PKN";600001;;2;4;;;2;100
&DPAR;15;"PKN";600001;;2;5;;;2;200
&K
)";

class MapFile
{
public:
    // A boundary line through the points (offsets), between two parcels
    // (PAR.ID, "" for none). `shuffled` writes its vertices in reverse order
    // of PORADOVE_CISLO_BODU.
    void line(const QList<QPointF>& points, const QByteArray& left, const QByteArray& right,
              bool shuffled = false)
    {
        const QByteArray hp = QByteArray::number(m_nextLine++);
        m_hp += "&DHP;" + hp + ";21900;" + left + ";" + right + "\n";
        QList<QByteArray> vertices;
        for (int i = 0; i < points.size(); ++i) {
            const QByteArray point = QByteArray::number(m_nextPoint++);
            m_sobr += "&DSOBR;" + point + ";" + QByteArray::number(700000 + points[i].x(), 'f', 2) +
                      ";" + QByteArray::number(1100000 + points[i].y(), 'f', 2) + "\n";
            vertices.append("&DSBP;" + point + ";" + QByteArray::number(i + 1) + ";" + hp + "\n");
        }
        if (shuffled)
            std::reverse(vertices.begin(), vertices.end());
        m_sbp += vertices.join();
    }
    QByteArray text(const QByteArray& extra = {}) const
    {
        return "&HVERZE;\"6.0\"\n&HCODEPAGE;\"UTF-8\"\n&HZMENY;0\n"
               "&BSOBR;ID N30;SOURADNICE_Y N10.2;SOURADNICE_X N10.2\n" +
               m_sobr + "&BSBP;BP_ID N30;PORADOVE_CISLO_BODU N38;HP_ID N30\n" + m_sbp +
               "&BHP;ID N30;TYPPPD_KOD N10;PAR_ID_1 N30;PAR_ID_2 N30\n" + m_hp + extra + "&K\n";
    }

private:
    QByteArray m_sobr, m_sbp, m_hp;
    int m_nextPoint = 1000, m_nextLine = 1;
};

QList<QPointF> rect(double x0, double y0, double x1, double y1, bool closed = true)
{
    QList<QPointF> points{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    if (closed)
        points.append({x0, y0});
    return points;
}

// Parcel 1 with a hole where parcel 2 lies (one closed line shared by both),
// its outer ring in two lines; parcel 3 of two separate squares written with
// their vertices out of order; parcel 4 whose boundary does not close; a
// line naming a parcel that no file has; parcel 5 of two squares meeting
// at a corner.
MapFile smallMap()
{
    MapFile map;
    const QList<QPointF> outer = rect(0, 0, 100, 100);
    map.line(outer.mid(0, 3), "11", "");
    map.line(outer.mid(2), "", "11", true);
    map.line(rect(40, 40, 60, 60), "11", "12");
    map.line(rect(200, 0, 210, 10), "13", "", true);
    map.line(rect(220, 0, 230, 10), "", "13");
    map.line(rect(300, 0, 310, 10, false), "14", "99");
    // Two squares meeting at a corner, the corner inside both lines.
    map.line({{400, 0}, {410, 0}, {410, 10}, {420, 10}}, "15", "");
    map.line({{420, 10}, {420, 20}, {410, 20}, {410, 10}, {400, 10}, {400, 0}}, "15", "");
    return map;
}

const MapParcel* parcelOf(const MapArea& area, int stem)
{
    for (const MapParcel& parcel : area.parcels)
        if (parcel.stem == stem)
            return &parcel;
    return nullptr;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// GDAL's own VFK driver reads both sample files into one fresh cache
// database; the area of its PAR polygons by (stem, subdivision, building).
QHash<QString, double> gdalParcelAreas(const QString& mapFile, const QString& descriptive,
                                       const QString& cache)
{
    QHash<QString, double> areas;
    GDALAllRegister();
    if (!GDALGetDriverByName("VFK"))
        return areas;
    CPLSetConfigOption("OGR_VFK_DB_NAME", QFile::encodeName(cache).constData());
    CPLSetConfigOption("OGR_VFK_DB_OVERWRITE", "YES");
    GDALClose(GDALOpenEx(QFile::encodeName(mapFile).constData(), GDAL_OF_VECTOR, nullptr, nullptr,
                         nullptr));
    CPLSetConfigOption("OGR_VFK_DB_OVERWRITE", "NO");
    GDALDatasetH ds = GDALOpenEx(QFile::encodeName(descriptive).constData(), GDAL_OF_VECTOR,
                                 nullptr, nullptr, nullptr);
    OGRLayerH par = ds ? GDALDatasetGetLayerByName(ds, "PAR") : nullptr;
    while (OGRFeatureH f = par ? OGR_L_GetNextFeature(par) : nullptr) {
        const auto field = [&](const char* name) {
            return QString::fromUtf8(OGR_F_GetFieldAsString(f, OGR_F_GetFieldIndex(f, name)));
        };
        OGRGeometryH g = OGR_F_GetGeometryRef(f);
        if (g)
            areas.insert(field("DRUH_CISLOVANI_PAR") + ":" + field("KMENOVE_CISLO_PAR") + "/" +
                             field("PODDELENI_CISLA_PAR"),
                         OGR_G_Area(g));
        OGR_F_Destroy(f);
    }
    if (ds)
        GDALClose(ds);
    CPLSetConfigOption("OGR_VFK_DB_NAME", nullptr);
    CPLSetConfigOption("OGR_VFK_DB_OVERWRITE", nullptr);
    return areas;
}
} // namespace

class TestMapStore : public QObject
{
    Q_OBJECT
private slots:
    void roundTripAndReplace();
    void refusesWhatIsNoMap_data();
    void refusesWhatIsNoMap();
    // Geometry from VFK.
    void smallFilesPolygons();
    void sampleAgainstGdal();
    void badMapInput_data();
    void badMapInput();
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

    // A write asks between layers whether to go on; a cancel keeps the
    // older map and leaves no temporary file.
    int asked = 0;
    store.write(area, [&] { return ++asked > 0; });
    QVERIFY2(asked >= 4, qPrintable(QString::number(asked)));
    const QByteArray whole = fileBytes(store.pathOf(area.code));
    asked = 0;
    QCOMPARE(TestSupport::refusal([&] { store.write(smaller, [&] { return ++asked < 2; }); }),
             QStringLiteral("Import byl zrušen."));
    QCOMPARE(fileBytes(store.pathOf(area.code)), whole);
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

void TestMapStore::smallFilesPolygons()
{
    QTemporaryDir dir;
    const QString map = dir.filePath(QStringLiteral("mapa.vfk"));
    const QString descriptive = dir.filePath(QStringLiteral("popis.vfk"));
    // A parcel-number label without its own text, turned by 300 gons.
    const QByteArray label = "&BOP;ID N30;SOURADNICE_Y N10.2;SOURADNICE_X N10.2;TEXT T255;"
                             "VELIKOST N10.2;UHEL N10.4;PAR_ID N30\n"
                             "&DOP;1;700050.00;1100020.00;\"\";1.5;300;11\n";
    for (const auto& [path, bytes] :
         {std::pair(map, smallMap().text(label)), std::pair(descriptive, DescriptiveFile)}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    // The map file first: its PAR_ID resolve only in the second file.
    const VfkImporter::Maps read = VfkImporter::readMaps({map, descriptive});
    QCOMPARE(read.maps.size(), 1);
    const MapArea& area = read.maps.first();
    QCOMPARE(area.code, QStringLiteral("600001"));
    QCOMPARE(area.source.validity, QStringLiteral("01.02.2024 10:00:00"));
    struct Expected
    {
        int stem, parts, holes;
        double area;
    };
    for (const Expected& e :
         {Expected{1, 1, 1, 9600}, Expected{2, 1, 0, 400}, Expected{3, 2, 0, 200},
          Expected{4, 0, 0, 0}, Expected{5, 2, 0, 200}}) {
        const MapParcel* parcel = parcelOf(area, e.stem);
        QVERIFY(parcel);
        QCOMPARE(parcel->parts.size(), e.parts);
        QCOMPARE(parcel->parts.isEmpty() ? 0 : parcel->parts.first().rings.size() - 1, e.holes);
        QCOMPARE(VfkMapBuilder::polygonArea(*parcel), e.area);
    }
    // Coordinates with the signs as GDAL writes them.
    QCOMPARE(parcelOf(area, 2)->bounds, QRectF(QPointF(-700060, -1100060), QSizeF(20, 20)));
    QCOMPARE(parcelOf(area, 1)->group, 2);
    QCOMPARE(parcelOf(area, 2)->group, 1);
    QCOMPARE(parcelOf(area, 3)->subdivision, 1);
    QCOMPARE(area.boundaries.size(), 8);
    QCOMPARE(area.labels.size(), 1);
    const MapLabel& number = area.labels.first();
    QCOMPARE(std::tuple(number.text, number.position, number.size, number.angle),
             std::tuple(QStringLiteral("1"), QPointF(-700050, -1100020), 1.5, -90.0));
    const QString summary = VfkMapBuilder::summary(area);
    QVERIFY2(summary.contains(QStringLiteral("parcely s polygonem 4 z 5, bez polygonu 1 (4)")),
             qPrintable(summary));
    QVERIFY2(summary.contains(
                 QStringLiteral("největší rozdíl proti výměře 10,00 m² (5,26 %, parcela 3/1)")),
             qPrintable(summary));
    const QString warnings = read.warnings.join(QLatin1Char('\n'));
    QVERIFY2(warnings.contains(QStringLiteral("parcelu 99")), qPrintable(warnings));
    QVERIFY2(warnings.contains(QStringLiteral("parcela 4 území 600001")), qPrintable(warnings));
}

void TestMapStore::sampleAgainstGdal()
{
    const QString samples = TestSupport::samplesDir() + QStringLiteral("/vfk/");
    const QString map = samples + QStringLiteral("789160-mapa.vfk");
    const QString descriptive = samples + QStringLiteral("789160.vfk");
    QTemporaryDir dir;
    // The whole import writes the map beside the district.
    const QString mapDir = dir.filePath(QStringLiteral("mapy"));
    VfkImporter importer({{map, descriptive},
                          dir.filePath(QStringLiteral("okres")),
                          dir.filePath(QStringLiteral("WorkDB"))});
    importer.setMapDir(mapDir);
    const VfkDistrict district = importer.run();
    const MapArea area = MapStore(mapDir).read(QStringLiteral("789160"));
    QCOMPARE(area.parcels.size(), 144);
    int withPolygon = 0;
    for (const MapParcel& parcel : area.parcels) {
        withPolygon += parcel.parts.isEmpty() ? 0 : 1;
        const double difference =
            std::abs(VfkMapBuilder::polygonArea(parcel) - parcel.officialArea);
        QVERIFY2(difference <= std::max(1.0, 0.02 * parcel.officialArea),
                 qPrintable(FormatParcelNumber(parcel.group, parcel.stem, parcel.subdivision)));
    }
    QCOMPARE(withPolygon, 144);
    QVERIFY(!area.labels.isEmpty() && !area.soilBoundaries.isEmpty() && !area.soilLabels.isEmpty());
    QVERIFY(VfkImporter::summary(district).join('\n').contains(
        QStringLiteral("mapa 789160 Saladín: parcely s polygonem 144 z 144; největší rozdíl "
                       "proti výměře 0,69 m² (0,03 %, parcela 329)")));

    const QHash<QString, double> gdal =
        gdalParcelAreas(map, descriptive, dir.filePath(QStringLiteral("cache.db")));
    if (gdal.isEmpty())
        QSKIP("GDAL has no VFK driver here");
    QCOMPARE(gdal.size(), 144);
    double largest = 0;
    for (const MapParcel& parcel : area.parcels) {
        const QString key =
            QStringLiteral("%1:%2/%3")
                .arg(parcel.group == 1 ? 1 : 2)
                .arg(parcel.stem)
                .arg(parcel.subdivision ? QString::number(parcel.subdivision) : QString());
        QVERIFY2(gdal.contains(key), qPrintable(key));
        largest = std::max(largest, std::abs(gdal.value(key) - VfkMapBuilder::polygonArea(parcel)));
    }
    qInfo("largest difference from GDAL's polygon area: %.6f m2", largest);
    QVERIFY(largest <= 0.01);
}

void TestMapStore::badMapInput_data()
{
    QTest::addColumn<QByteArray>("extra"); // rows added to the map file
    QTest::addColumn<int>("cut");          // bytes cut from its end
    QTest::addColumn<bool>("alone");       // the map file without the descriptive one
    QTest::addColumn<QString>("message");
    QTest::newRow("outside the Czech Republic")
        << QByteArray("&BSPOL;ID N30;SOURADNICE_Y N10.2;SOURADNICE_X N10.2\n"
                      "&DSPOL;9;100.00;1100000.00\n")
        << 0 << false << "mapa.vfk, řádek 86: souřadnice Y 100.00, X 1100000.00 neleží";
    QTest::newRow("coordinate not a number")
        << QByteArray("&BSPOL;ID N30;SOURADNICE_Y N10.2;SOURADNICE_X N10.2\n"
                      "&DSPOL;9;7OOOOO.00;1100000.00\n")
        << 0 << false << "mapa.vfk, řádek 86: hodnota „7OOOOO.00“ sloupce SOURADNICE_Y";
    QTest::newRow("area not in the catalogue")
        << QByteArray("&BOBPEJ;ID N30;SOURADNICE_Y N10.2;SOURADNICE_X N10.2;TEXT T255;"
                      "KATUZE_KOD N6\n&DOBPEJ;1;700010.00;1100010.00;\"83401\";999999\n")
        << 0 << false << "mapa.vfk, řádek 86: katastrální území 999999 není v seznamu";
    QTest::newRow("truncated block")
        << QByteArray() << 60 << false << "mapa.vfk, řádek 81: řádek bloku HP má 3 polí";
    QTest::newRow("map file alone") << QByteArray() << 0 << true << "nemají žádný řádek bloku PAR";
}

void TestMapStore::badMapInput()
{
    QFETCH(QByteArray, extra);
    QFETCH(int, cut);
    QFETCH(bool, alone);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString map = dir.filePath(QStringLiteral("mapa.vfk"));
    const QString descriptive = dir.filePath(QStringLiteral("popis.vfk"));
    QByteArray bytes = smallMap().text(extra);
    bytes.chop(cut);
    for (const auto& [path, content] :
         {std::pair(map, bytes), std::pair(descriptive, DescriptiveFile)}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    // The store keeps the map it had.
    const QString storeDir = dir.filePath(QStringLiteral("mapy"));
    MapArea old = sampleArea();
    old.code = QStringLiteral("600001");
    MapStore(storeDir).write(old);
    const QByteArray before = fileBytes(MapStore(storeDir).pathOf(old.code));
    const QStringList files = alone ? QStringList{map} : QStringList{map, descriptive};
    const QString refusal = TestSupport::refusal(
        [&] { VfkImporter::writeMaps(VfkImporter::readMaps(files).maps, storeDir); });
    QVERIFY2(refusal.contains(message), qPrintable(refusal));
    QCOMPARE(fileBytes(MapStore(storeDir).pathOf(old.code)), before);
    QCOMPARE(QDir(storeDir).entryList(QDir::Files).size(), 1);
}

QTEST_GUILESS_MAIN(TestMapStore)
#include "tst_mapstore.moc"
