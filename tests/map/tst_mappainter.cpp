// The map painter and the map window's core without a window: the view
// transform (fit, zoom about a point, pan), colours by kind of land, marked
// parcels, numbers only where they fit, nothing outside the page, the image
// files, the marked parcels read from a work table, hit-testing, the
// surveyors' coordinate text and picking into the work table.
#include "base/ETalvekException.h"
#include "data/WorkTable.h"
#include "db/Table.h"
#include "data/ParcelTable.h"
#include "map/core/MapArea.h"
#include "map/core/MapHitTest.h"
#include "map/core/MapPicker.h"
#include "map/core/MapSheet.h"
#include "select/core/TParcSelector.h"
#include "map/core/SurveyorCoordinates.h"
#include "map/core/MapImageFile.h"
#include "map/core/MapPainter.h"
#include "map/core/MapView.h"
#include "map/core/MarkedParcels.h"

#include "map/core/MapStore.h"

#include <QImage>
#include <QProcess>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A square parcel of `side` metres with its south-west corner at `corner`,
// with an optional square hole in the middle a third of its side.
MapParcel Square(int stem, int kind, QPointF corner, double side, bool hole = false)
{
    MapParcel p;
    p.group = 2;
    p.stem = stem;
    p.kindOfLand = kind;
    p.officialArea = side * side;
    const QRectF r(corner, QSizeF(side, side));
    MapPolygon poly;
    poly.rings.append(QPolygonF({r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()}));
    if (hole) {
        const QRectF h(corner + QPointF(side / 3, side / 3), QSizeF(side / 3, side / 3));
        poly.rings.append(QPolygonF({h.topLeft(), h.topRight(), h.bottomRight(), h.bottomLeft()}));
    }
    p.parts.append(poly);
    p.bounds = r;
    return p;
}

// Three by three parcels of 100 m in S-JTSK's signs, kinds 2, 5, 7, 10, 11,
// 13, 14, 99 and a grassland parcel with a hole (stem 9).
MapArea Grid()
{
    MapArea area;
    area.code = QStringLiteral("999999");
    const int kinds[] = {2, 5, 7, 10, 11, 13, 14, 99, 7};
    for (int i = 0; i < 9; ++i)
        area.parcels.append(Square(i + 1, kinds[i],
                                   QPointF(-750000 + (i % 3) * 100, -1050000 + (i / 3) * 100), 100,
                                   i == 8));
    for (const MapParcel& p : area.parcels)
        area.extent |= p.bounds;
    return area;
}

// The pixel at a ground point, for a 600 px image showing the grid.
QColor PixelAt(const QImage& image, const MapView& view, QPointF world)
{
    return image.pixelColor(view.toDevice(world).toPoint());
}

} // namespace

class TestMapPainter : public QObject
{
    Q_OBJECT

private slots:
    void viewFits_data();
    void viewFits();
    void viewZoomsAndPans_data();
    void viewZoomsAndPans();
    void hitTest_data();
    void hitTest();
    void surveyorCoordinates_data();
    void surveyorCoordinates();
    void pickingWritesAsByNumber();
    void printedSheet();
    void layersAndScale_data();
    void layersAndScale();
    void colours_data();
    void colours();
    void nothingOutsideThePage();
    void numbersWhereTheyFit();
    void imageFiles_data();
    void imageFiles();
    void markedFromWorkTable();
    void toolDraws_data();
    void toolDraws();
};

void TestMapPainter::viewFits_data()
{
    QTest::addColumn<QRectF>("world");
    QTest::addColumn<QRectF>("device");
    QTest::addColumn<double>("margin");
    QTest::addColumn<double>("scale");
    QTest::newRow("wide ground") << QRectF(-750000, -1050000, 400, 100) << QRectF(0, 0, 200, 200)
                                 << 0.0 << 0.5;
    QTest::newRow("high ground, margin")
        << QRectF(-750000, -1050000, 100, 400) << QRectF(10, 20, 200, 200) << 20.0 << 0.4;
    QTest::newRow("one point") << QRectF(-750000, -1050000, 0, 0) << QRectF(0, 0, 100, 50) << 5.0
                               << 1.0;
}

void TestMapPainter::viewFits()
{
    QFETCH(QRectF, world);
    QFETCH(QRectF, device);
    QFETCH(double, margin);
    QFETCH(double, scale);
    const MapView view = MapView::fit(world, device, margin);
    QCOMPARE(view.scale(), scale);
    // North up, east right, centred, and the way back.
    const QPointF nw = view.toDevice(world.topLeft() + QPointF(0, world.height()));
    const QPointF se = view.toDevice(world.topLeft() + QPointF(world.width(), 0));
    QVERIFY(nw.x() <= se.x() && nw.y() <= se.y());
    const QRectF inner =
        device.adjusted(margin, margin, -margin, -margin).adjusted(-1e-6, -1e-6, 1e-6, 1e-6);
    QVERIFY(inner.contains(nw) && inner.contains(se));
    QCOMPARE(QRectF(nw, se).center(), device.center());
    const QPointF p(world.left() + 3.25, world.top() + 1.5);
    QCOMPARE(view.toWorld(view.toDevice(p)), p);
    QCOMPARE(view.transform().map(p), view.toDevice(p));
}

// A zoom keeps the ground under the anchor pixel, a pan moves the ground
// with the mouse, a resize keeps centre and scale.
void TestMapPainter::viewZoomsAndPans_data()
{
    QTest::addColumn<QPointF>("anchor");
    QTest::addColumn<double>("factor");
    QTest::addColumn<QPointF>("drag");
    QTest::newRow("in at the centre") << QPointF(300, 200) << 2.0 << QPointF(0, 0);
    QTest::newRow("in at a corner") << QPointF(10, 390) << 1.25 << QPointF(15, -7);
    QTest::newRow("out off centre") << QPointF(550, 20) << 0.8 << QPointF(-120, 40);
    QTest::newRow("no factor") << QPointF(100, 100) << 0.0 << QPointF(3, 4);
}

void TestMapPainter::viewZoomsAndPans()
{
    QFETCH(QPointF, anchor);
    QFETCH(double, factor);
    QFETCH(QPointF, drag);
    const MapView view = MapView::fit(Grid().extent, QRectF(0, 0, 600, 400));
    const MapView zoomed = view.zoomedAbout(anchor, factor);
    QCOMPARE(zoomed.scale(), factor > 0 ? view.scale() * factor : view.scale());
    QVERIFY((zoomed.toWorld(anchor) - view.toWorld(anchor)).manhattanLength() < 1e-6);
    const MapView moved = zoomed.panned(drag);
    QVERIFY((moved.toDevice(zoomed.toWorld(anchor)) - (anchor + drag)).manhattanLength() < 1e-6);
    const QPointF p(-749950, -1049950);
    QVERIFY((moved.transform().map(p) - moved.toDevice(p)).manhattanLength() < 1e-6);
    const MapView bigger = moved.resized(QRectF(0, 0, 1000, 800));
    QCOMPARE(bigger.scale(), moved.scale());
    QVERIFY(
        (bigger.toWorld(QPointF(500, 400)) - moved.toWorld(QPointF(300, 200))).manhattanLength() <
        1e-6);
}

// Points and rectangles against the 3×3 grid, whose ninth parcel (stem 9)
// has a hole of a third of its side in the middle.
void TestMapPainter::hitTest_data()
{
    QTest::addColumn<QRectF>("rect"); // a point when empty
    QTest::addColumn<QList<int>>("stems");
    const QPointF o(-750000, -1050000);
    QTest::newRow("point in a parcel") << QRectF(o + QPointF(150, 50), QSizeF()) << QList<int>{2};
    QTest::newRow("point in the hole") << QRectF(o + QPointF(250, 250), QSizeF()) << QList<int>{};
    QTest::newRow("point around the hole")
        << QRectF(o + QPointF(210, 290), QSizeF()) << QList<int>{9};
    QTest::newRow("point outside") << QRectF(o + QPointF(-5, 50), QSizeF()) << QList<int>{};
    QTest::newRow("rect across three")
        << QRectF(o + QPointF(50, 40), QSizeF(200, 20)) << QList<int>{1, 2, 3};
    QTest::newRow("rect inside one")
        << QRectF(o + QPointF(110, 110), QSizeF(10, 10)) << QList<int>{5};
    QTest::newRow("rect inside the hole")
        << QRectF(o + QPointF(240, 240), QSizeF(20, 20)) << QList<int>{};
    QTest::newRow("rect around everything")
        << QRectF(o + QPointF(-10, -10), QSizeF(400, 400)) << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9};
    QTest::newRow("rect beside the map")
        << QRectF(o + QPointF(310, 0), QSizeF(50, 50)) << QList<int>{};
}

void TestMapPainter::hitTest()
{
    QFETCH(QRectF, rect);
    QFETCH(QList<int>, stems);
    const MapArea area = Grid();
    const MapHitTest hit(area);
    QList<int> found;
    if (rect.isEmpty()) {
        const int i = hit.parcelAt(rect.topLeft());
        if (i >= 0)
            found << area.parcels[i].stem;
    } else {
        for (int i : hit.parcelsIn(rect))
            found << area.parcels[i].stem;
    }
    QCOMPARE(found, stems);
}

void TestMapPainter::surveyorCoordinates_data()
{
    QTest::addColumn<QPointF>("world");
    QTest::addColumn<QString>("text");
    QTest::newRow("Czech point") << QPointF(-794768.46, -1156889.48)
                                 << "Y = 794 768,46  X = 1 156 889,48";
    QTest::newRow("rounded up") << QPointF(-999.996, -1000000.004)
                                << "Y = 1 000,00  X = 1 000 000,00";
    QTest::newRow("small") << QPointF(-5.5, -0.07) << "Y = 5,50  X = 0,07";
    QTest::newRow("outside the system") << QPointF(12.3, 0) << "Y = -12,30  X = 0,00";
}

void TestMapPainter::surveyorCoordinates()
{
    QFETCH(QPointF, world);
    QFETCH(QString, text);
    QCOMPARE(SurveyorCoordinates(world), text);
}

// Picking parcels on the map writes the very rows that typing their numbers
// in the parcel-number selection writes; taking one out removes all its
// parts and leaves the rest.
void TestMapPainter::pickingWritesAsByNumber()
{
    QTemporaryDir dir;
    const QString source = QStringLiteral(ORV_SAMPLES_DIR "/real/SALADIN/NYSPA001.DB");
    if (!QFile::exists(source))
        QSKIP("the Saladin district is not in the samples");
    QVERIFY(QFile::copy(source, dir.filePath("NYSPA001.DB")));
    Table parcels;
    OpenParcelTable(parcels, dir.path(), "001");
    QList<MapParcel> picked;
    auto take = [&] {
        MapParcel p;
        p.group = int(parcels.asInteger("PARSKUP"));
        p.stem = int(parcels.asInteger("PARCIS"));
        p.subdivision = int(parcels.asInteger("PARPOD"));
        picked.append(p);
    };
    // The first subdivided parcel and the last one (Saladin's parcels are
    // of one part each; the work-table tests cover parcels of several).
    for (parcels.first(); !parcels.eof() && parcels.asInteger("PARPOD") == 0; parcels.next()) {
    }
    QVERIFY(!parcels.eof());
    take();
    parcels.last();
    take();

    auto rowsOf = [](Table& t) {
        QStringList rows;
        t.refresh();
        for (t.first(); !t.eof(); t.next()) {
            QStringList cells;
            for (const FieldDef& f : WorkTableFields())
                cells << t.asString(f.name);
            rows << cells.join('|');
        }
        return rows;
    };
    QList<TParcGridRow> typed;
    QList<const MapParcel*> pointers;
    for (const MapParcel& p : picked) {
        typed.append({QString::number(p.group), QString::number(p.stem),
                      p.subdivision ? QString::number(p.subdivision) : QString()});
        pointers << &p;
    }
    Table byNumber, byMap;
    QDir(dir.path()).mkpath("A");
    QDir(dir.path()).mkpath("B");
    OpenOrCreateWorkTable(byNumber, dir.filePath("A/PRAC.DB"));
    OpenOrCreateWorkTable(byMap, dir.filePath("B/PRAC.DB"));
    TParcSelector::SelectParcels(typed, byNumber, parcels);
    const int added = MapPicker::Add(pointers, byMap, parcels);
    const QStringList expected = rowsOf(byNumber);
    QCOMPARE(expected.size(), picked.size());
    QCOMPARE(rowsOf(byMap), expected);
    QCOMPARE(added, expected.size());
    QCOMPARE(MapPicker::Add(pointers, byMap, parcels), 0);

    // Taking the last (no subdivision) out leaves the others, marks intact.
    const int removed = MapPicker::Remove({pointers.last()}, byMap, parcels);
    const QStringList left = rowsOf(byMap);
    QCOMPARE(removed, expected.size() - left.size());
    QCOMPARE(removed, 1);
    const MapParcel& out = picked.last();
    const QString outKey =
        QStringLiteral("%1|%2|%3|").arg(out.group).arg(out.stem).arg(out.subdivision);
    QStringList kept;
    for (const QString& row : expected)
        if (!row.startsWith(outKey))
            kept << row;
    QCOMPARE(left, kept);
    QCOMPARE(MapPicker::Remove({pointers.last()}, byMap, parcels), 0);
}

// A printed page: the map above the title block, which names the area and
// the date and says the picture is for information only.
void TestMapPainter::printedSheet()
{
    MapArea area = Grid();
    area.name = QStringLiteral("Saladín");
    const QStringList lines = MapSheet::TitleLines(area.name, QDate(2026, 12, 7));
    QCOMPARE(lines, QStringList({"Katastrální území: Saladín", "Datum: 7. 12. 2026",
                                 "Informativní zobrazení, nemá povahu veřejné listiny"}));
    QCOMPARE(MapSheet::TitleLines(area.name, QDate(2026, 12, 7), 2000).at(2),
             QString("Měřítko: 1:2000"));
    QImage page(800, 1100, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    MapPainter::Options options;
    options.marked = {MapParcelCode(area.parcels[4])};
    const MapPainter::Drawn drawn =
        MapSheet::Paint(painter, QRectF(page.rect()), area, options, QDate(2026, 12, 7));
    painter.end();
    QCOMPARE(drawn.parcels, 9);
    QCOMPARE(drawn.marked, 1);
    // The title block's frame at the bottom, nothing of the map over it.
    int frameRow = -1;
    for (int y = page.height() - 1; y > page.height() / 2 && frameRow < 0; --y)
        if (qGray(page.pixel(page.width() / 2, y)) < 100 && qGray(page.pixel(3, y)) < 100)
            frameRow = y;
    QVERIFY(frameRow > page.height() - 120);
    for (int y = frameRow - 40; y < page.height() - 1; ++y)
        QCOMPARE(page.pixel(page.width() - 3, y) == MapPainter::markedColour().rgb(), false);
}

void TestMapPainter::colours_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("marked");
    QTest::addColumn<QPointF>("offset"); // from the parcel's south-west corner
    QTest::addColumn<QColor>("expected");
    QTest::newRow("arable") << 0 << false << QPointF(20, 20) << MapPainter::kindColour(2);
    QTest::newRow("garden") << 1 << false << QPointF(20, 20) << MapPainter::kindColour(5);
    QTest::newRow("forest") << 3 << false << QPointF(20, 20) << MapPainter::kindColour(10);
    QTest::newRow("water") << 4 << false << QPointF(20, 20) << MapPainter::kindColour(11);
    QTest::newRow("building") << 5 << false << QPointF(20, 20) << MapPainter::kindColour(13);
    QTest::newRow("unknown kind") << 7 << false << QPointF(20, 20) << QColor(Qt::white);
    QTest::newRow("hole shows the page") << 8 << false << QPointF(50, 50) << QColor(Qt::white);
    QTest::newRow("around the hole") << 8 << false << QPointF(15, 85) << MapPainter::kindColour(7);
    QTest::newRow("marked forest") << 3 << true << QPointF(20, 20) << QColor();
}

void TestMapPainter::colours()
{
    QFETCH(int, index);
    QFETCH(bool, marked);
    QFETCH(QPointF, offset);
    QFETCH(QColor, expected);
    const MapArea area = Grid();
    MapPainter::Options options;
    if (marked)
        options.marked.insert(MapParcelCode(area.parcels[index]));
    QImage image(600, 600, QImage::Format_RGB32);
    QPainter painter(&image);
    const MapPainter::Drawn drawn = MapPainter::paint(painter, image.rect(), area, options);
    painter.end();
    QCOMPARE(drawn.parcels, 9);
    QCOMPARE(drawn.marked, marked ? 1 : 0);
    const MapView view = MapView::fit(area.extent, image.rect(), options.marginMm * 96 / 25.4);
    const QColor seen = PixelAt(image, view, area.parcels[index].bounds.topLeft() + offset);
    if (!marked) {
        QCOMPARE(seen, expected);
        return;
    }
    // The highlight covers the kind's colour, pulling it towards its own.
    const QColor kind = MapPainter::kindColour(area.parcels[index].kindOfLand);
    const QColor mark = MapPainter::markedColour();
    QVERIFY2(std::abs(seen.red() - mark.red()) < std::abs(kind.red() - mark.red()) / 2,
             qPrintable(seen.name()));
}

// The layers switched on and off and the fixed scales, on a page of A4 at
// 300 dpi as a printer gives it: the map lines by their kind, the
// soil-quality boundaries and codes, and the ground per millimetre of paper.
void TestMapPainter::layersAndScale_data()
{
    QTest::addColumn<int>("layers");
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("soilLines");
    QTest::addColumn<int>("soilLabels");
    QTest::addColumn<double>("metresPerMm"); // 0: not checked (fitted)
    const int all = MapPainter::DefaultLayers;
    QTest::newRow("default: no soil quality") << all << 0 << 3 << 0 << 0 << 0.0;
    QTest::newRow("soil quality on") << (all | MapPainter::SoilQuality) << 0 << 3 << 1 << 1 << 0.0;
    QTest::newRow("area boundary only")
        << int(MapPainter::AreaBoundaries) << 0 << 1 << 0 << 0 << 0.0;
    QTest::newRow("parcel and other lines")
        << (MapPainter::ParcelBoundaries | MapPainter::OtherLines) << 0 << 2 << 0 << 0 << 0.0;
    // 1:1000: a millimetre of paper is a metre, the 190 mm wide map 190 m.
    QTest::newRow("1:1000") << all << 1000 << 3 << 0 << 0 << 1.0;
    QTest::newRow("1:2000, soil quality")
        << (all | MapPainter::SoilQuality) << 2000 << 3 << 1 << 1 << 2.0;
    // At 1:5000 the ground is wider than the grid: every parcel shows.
    QTest::newRow("1:5000") << all << 5000 << 3 << 0 << 0 << 5.0;
}

void TestMapPainter::layersAndScale()
{
    QFETCH(int, layers);
    QFETCH(int, scale);
    QFETCH(int, lines);
    QFETCH(int, soilLines);
    QFETCH(int, soilLabels);
    QFETCH(double, metresPerMm);
    MapArea area = Grid();
    area.name = QStringLiteral("Saladín");
    const QPointF sw(-750000, -1050000);
    for (int kind : {21900, 20500, 22300}) // a parcel boundary, the area's, a protected zone
        area.boundaries.append({kind, QPolygonF({sw + QPointF(0, 100), sw + QPointF(300, 100)})});
    area.soilBoundaries.append({1040, QPolygonF({sw + QPointF(0, 150), sw + QPointF(300, 150)})});
    area.soilLabels.append({QStringLiteral("83401"), sw + QPointF(150, 160), 2, 0, 4});
    // A4 at 300 dpi, 10 mm margins, as QPrinter::HighResolution gives it.
    constexpr int DotsPerMetre = 11811;
    QImage page(int(190 * 11.811), int(277 * 11.811), QImage::Format_RGB32);
    page.setDotsPerMeterX(DotsPerMetre);
    page.setDotsPerMeterY(DotsPerMetre);
    page.fill(Qt::white);
    QPainter painter(&page);
    MapPainter::Options options;
    options.layers = layers;
    options.scale = scale;
    const MapPainter::Drawn drawn =
        MapSheet::Paint(painter, QRectF(page.rect()), area, options, QDate(2026, 12, 7));
    painter.end();
    QCOMPARE(drawn.lines, lines);
    QCOMPARE(drawn.soilLines, soilLines);
    QCOMPARE(drawn.soilLabels, soilLabels);
    QCOMPARE(drawn.parcels, 9);
    if (metresPerMm > 0)
        QVERIFY2(qAbs(drawn.metresPerMm - metresPerMm) < 1e-9,
                 qPrintable(QString::number(drawn.metresPerMm)));
}

void TestMapPainter::nothingOutsideThePage()
{
    // A page in the middle of a larger image, showing one cell of the grid:
    // the others reach far beyond it.
    const MapArea area = Grid();
    QImage image(500, 500, QImage::Format_RGB32);
    const QColor sentinel(1, 2, 3);
    image.fill(sentinel);
    const QRect page(100, 150, 300, 200);
    MapPainter::Options options;
    options.world = area.parcels[4].bounds.adjusted(40, 40, -40, -40);
    options.marked.insert(MapParcelCode(area.parcels[4]));
    options.title = QStringLiteral("Katastrální území");
    QPainter painter(&image);
    MapPainter::paint(painter, page, area, options);
    painter.end();
    int outside = 0;
    int inside = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool changed = image.pixelColor(x, y) != sentinel;
            (page.contains(x, y) ? inside : outside) += changed ? 1 : 0;
        }
    QCOMPARE(outside, 0);
    QCOMPARE(inside, page.width() * page.height());
}

void TestMapPainter::numbersWhereTheyFit()
{
    // One 100 m square, and a 0.5 m one beside it whose number never fits.
    MapArea area;
    area.parcels.append(Square(15, 13, QPointF(-750000, -1050000), 100));
    area.parcels.last().group = 1; // a building parcel: "-15"
    area.parcels.append(Square(16, 7, QPointF(-749900, -1050000), 0.5));
    area.extent = area.parcels[0].bounds | area.parcels[1].bounds;
    for (auto [size, numbers] : {std::pair{600, 1}, std::pair{20, 0}}) {
        QImage image(size, size, QImage::Format_RGB32);
        QPainter painter(&image);
        const MapPainter::Drawn drawn = MapPainter::paint(painter, image.rect(), area, {});
        QCOMPARE(drawn.numbers, numbers);
    }
}

void TestMapPainter::imageFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("png") << "mapa.png" << QByteArray("\x89PNG");
    QTest::newRow("svg") << "mapa.SVG" << QByteArray("<?xml");
    QTest::newRow("pdf") << "mapa.pdf" << QByteArray("%PDF");
    QTest::newRow("other extension") << "mapa.jpg" << QByteArray();
    QTest::newRow("link") << "odkaz.png" << QByteArray();
}

void TestMapPainter::imageFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, start);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (name.startsWith(QLatin1String("odkaz")))
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("jinam.png")), path));
    const QSize size(320, 200);
    if (start.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(ETalvekException, MapImageFile::write(path, size, Grid(), {}));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("jinam.png"))));
        return;
    }
    const MapPainter::Drawn drawn = MapImageFile::write(path, size, Grid(), {});
    QCOMPARE(drawn.parcels, 9);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith(start));
    if (name.endsWith(QLatin1String(".png")))
        QCOMPARE(QImage(path).size(), size);
}

void TestMapPainter::markedFromWorkTable()
{
    // Parcel 5/1 has one of its two parts marked, parcel 7 none, building
    // parcel 8 its only one: 5/1 and 8 are highlighted.
    QTemporaryDir dir;
    Table work;
    work.setDatabaseName(dir.path());
    work.setTableName(QString::fromLatin1(WorkTableFile));
    CreateWorkTable(work);
    const struct
    {
        int group, stem, subdivision, part;
        bool flag;
    } rows[] = {{2, 5, 1, 1, false}, {2, 5, 1, 2, true}, {2, 7, 0, 1, false}, {1, 8, 0, 1, true}};
    for (const auto& r : rows) {
        work.append();
        work.setValue(QStringLiteral("PARSKUP"), r.group);
        work.setValue(QStringLiteral("PARCIS"), r.stem);
        work.setValue(QStringLiteral("PARPOD"), r.subdivision);
        work.setValue(QStringLiteral("PARDIL"), r.part);
        work.setValue(QStringLiteral("PARCISLO"), QString::number(r.stem));
        work.setValue(QStringLiteral("FLAG"), r.flag);
        work.post();
    }
    work.close();
    QCOMPARE(MarkedParcelCodes(dir.filePath(QString::fromLatin1(WorkTableFile))),
             (QSet<qint64>{MapParcelCode(2, 5, 1), MapParcelCode(1, 8, 0)}));
    QVERIFY_THROWS_EXCEPTION(ETalvekException,
                             MarkedParcelCodes(dir.filePath(QStringLiteral("NENI.DB"))));
}

void TestMapPainter::toolDraws_data()
{
    // The Saladín district (area 001, code 789160) with the grid as its map;
    // the work table marks stems 2 and 5 of group 2, or only parcels the
    // map lacks.
    QTest::addColumn<QString>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    QTest::newRow("whole area") << "--out mapa.png" << 0 << "parcel 9, označených 0";
    QTest::newRow("marked parts, PDF")
        << "--work PRAC.DB --out mapa.pdf --margin 0" << 0 << "označených 2";
    QTest::newRow("size") << "--out mapa.svg --size 300x200" << 0 << "parcel 9";
    QTest::newRow("nothing marked on the map")
        << "--work JINA.DB --out mapa.png" << 1 << "není označen";
    QTest::newRow("area without a map") << "--out mapa.png --area 002" << 1 << "katalogu";
    QTest::newRow("bad size") << "--out mapa.png --size 300" << 2 << "--size";
    QTest::newRow("A3 at 1:2000") << "--out mapa.pdf --paper A3 --scale 1:2000" << 0
                                  << "1 mm = 2.00 m";
    QTest::newRow("scale not offered") << "--out mapa.pdf --scale 1500" << 2 << "--scale";
    QTest::newRow("unknown paper") << "--out mapa.pdf --paper B7" << 2 << "--paper";
    QTest::newRow("bad extension") << "--out mapa.jpg" << 2 << "--out";
    QTest::newRow("no output") << "" << 2 << "použití";
}

void TestMapPainter::toolDraws()
{
    QFETCH(QString, args);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QTemporaryDir dir;
    MapArea map = Grid();
    map.code = QStringLiteral("789160");
    MapStore(dir.filePath(QStringLiteral("mapy"))).write(map);
    for (const auto& [name, stems] : {std::pair{QStringLiteral("PRAC.DB"), QList<int>{2, 5}},
                                      std::pair{QStringLiteral("JINA.DB"), QList<int>{77}}}) {
        Table work;
        work.setDatabaseName(dir.path());
        work.setTableName(name);
        CreateWorkTable(work);
        for (int stem : stems) {
            work.append();
            work.setValue(QStringLiteral("PARSKUP"), 2);
            work.setValue(QStringLiteral("PARCIS"), stem);
            work.setValue(QStringLiteral("PARPOD"), 0);
            work.setValue(QStringLiteral("PARDIL"), 1);
            work.setValue(QStringLiteral("PARCISLO"), QString::number(stem));
            work.setValue(QStringLiteral("FLAG"), true);
            work.post();
        }
    }
    QStringList arguments = {QStringLiteral("map"), QStringLiteral("draw"), QStringLiteral("--dir"),
                             QStringLiteral(ORV_SAMPLES_DIR "/real/SALADIN")};
    if (!args.contains(QLatin1String("--area")))
        arguments << QStringLiteral("--area") << QStringLiteral("001");
    arguments += args.split(u' ', Qt::SkipEmptyParts);
    QProcess tool;
    tool.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ORV_MAP_DIR"), dir.filePath(QStringLiteral("mapy")));
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral(ORV_TOOL_PATH), arguments);
    QVERIFY(tool.waitForFinished(60000));
    const QString output =
        QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
    QVERIFY2(output.contains(said), qPrintable(output));
    QCOMPARE(tool.exitCode(), exitCode);
    const QStringList written = QDir(dir.path()).entryList({QStringLiteral("mapa.*")});
    QCOMPARE(written.size(), exitCode == 0 ? 1 : 0);
}

QTEST_MAIN(TestMapPainter)
#include "tst_mappainter.moc"
