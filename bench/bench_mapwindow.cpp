// The map window: a generated area of 5,000 parcels (16-vertex polygons on a
// 100 × 50 grid) shown in a 1600 × 1000 canvas, measuring
//   - opening the window with the map drawn;
//   - a pan step and a zoom step painted from the cached image;
//   - the sharp redraw after them;
//   - identifying the parcel under a point;
//   - a rectangle pick of 500 parcels written to the work table (through a
//     parcel table written for the generated parcels);
// then the Saladín sample district (code 789160) with its map read from the
// map store in $ORV_MAP_DIR ("orv-tool map import" writes it there):
//   - a rectangle pick written to the work table (all parcels in view);
//   - a screenshot of the window into the file given as the first argument.
// Usage: bench_mapwindow [screenshot.png]
#include "BenchCity.h"
#include "BenchMapArea.h"
#include "app/core/TKUInfo.h"
#include "data/DemoFields.h"
#include "data/ParcelNumber.h"
#include "data/WorkTable.h"
#include "db/paradox/ParadoxTable.h"
#include "db/Table.h"
#include "map/MapCanvas.h"
#include "map/TMapWindow.h"
#include "map/core/AreaMapLookup.h"
#include "map/core/MapHitTest.h"
#include "map/core/MapStore.h"
#include "report/ui/PrintTarget.h"
#include "widgets/MessageDlg.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <functional>
#include <tuple>

namespace {

constexpr int Rounds = 5;

void Report(const char* what, QList<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-46s best %7.2f ms, median %7.2f ms\n", what, times.first(),
                times[times.size() / 2]);
}

// The parcel table NYSPA001.DB of the generated area in `dir`: one part per
// parcel, in key order.
void WriteParcelTable(const QString& dir, const MapArea& area)
{
    QList<const MapParcel*> parcels;
    for (const MapParcel& p : area.parcels)
        parcels << &p;
    std::sort(parcels.begin(), parcels.end(), [](const MapParcel* a, const MapParcel* b) {
        return std::tie(a->group, a->stem, a->subdivision) <
               std::tie(b->group, b->stem, b->subdivision);
    });
    QList<QVariantList> rows;
    for (const MapParcel* p : parcels)
        rows.append(QVariantList{p->group, p->stem, p->subdivision, 1, p->officialArea, 0,
                                 p->kindOfLand, 0, 0, 0, 0.0, 1, 1, 1, QStringLiteral("A1"), 0, 0,
                                 0, FormatParcelNumber(p->group, p->stem, p->subdivision)});
    ParadoxWriter::writeTable(dir + QStringLiteral("/NYSPA001.DB"), DemoFields::parcelFields(), 4,
                              rows);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    const QString work = tmp.filePath(QStringLiteral("PRAC.DB"));
    const TKUInfo none{tmp.path(), {}, {}, QStringLiteral("Generované území"), "001", "999999"};

    // Opening: the window built, shown and its map drawn.
    BenchMeasure("open the window with the map drawn", [&] {
        auto* w =
            new TMapWindow(nullptr, none, BenchGeneratedMapArea(QStringLiteral("999999")), work);
        w->resize(1600, 1000);
        w->show();
        w->canvas()->renderNow();
        QApplication::processEvents();
        w->close();
        QApplication::processEvents();
    });
    MapArea area = BenchGeneratedMapArea(QStringLiteral("999999"));
    TMapWindow window(nullptr, none, area, work);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    MapCanvas* canvas = window.canvas();
    canvas->setFixedSize(1600, 1000);
    QApplication::processEvents();
    canvas->showWorld(QRectF());
    canvas->renderNow();
    std::printf("canvas %d × %d, %lld parcels\n", canvas->width(), canvas->height(),
                qlonglong(area.parcels.size()));
    // QWidget::render runs the paint event into an image: the cached image
    // moved or scaled, the sharp redraw being left to its timer.
    QImage frame(canvas->size(), QImage::Format_RGB32);
    BenchMeasure("pan step from the cached image", [&] {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(canvas, &key);
        canvas->render(&frame);
    });
    canvas->showWorld(QRectF());
    canvas->renderNow();
    BenchMeasure("zoom step, scaled frame", [&] {
        canvas->zoomBy(1.25);
        canvas->render(&frame);
    });
    canvas->showWorld(QRectF());
    canvas->zoomBy(2);
    canvas->renderNow();
    BenchMeasure("sharp redraw, zoomed in twice", [&] { canvas->renderNow(); });
    canvas->showWorld(QRectF());
    canvas->renderNow();
    BenchMeasure("sharp redraw, whole area", [&] { canvas->renderNow(); });
    const MapHitTest hit(area);
    int found = 0;
    BenchMeasure("identify (hit test + panel text) x100", [&] {
        for (int i = 0; i < 100; ++i) {
            const QPointF p = canvas->view().toWorld(QPointF(16 * i, 10 * i));
            found += window.Identify(hit.parcelAt(p)).size() > 0;
        }
    });

    // A rectangle of 25 × 20 grid cells (30 × 24 m), 2 m inside their outer
    // edges so that the neighbours' boundaries, which bend by up to a metre,
    // stay outside: the hit test and the work table written, each round
    // into a new work table.
    const QString generated = tmp.filePath(QStringLiteral("generated"));
    QDir().mkpath(generated);
    WriteParcelTable(generated, area);
    const TKUInfo gen{generated, {}, {}, QStringLiteral("Generované území"), "001", "999999"};
    const QString pickWork = tmp.filePath(QStringLiteral("PICK.DB"));
    TMapWindow picker(nullptr, gen, area, pickWork);
    picker.setAttribute(Qt::WA_DeleteOnClose, false);
    const QRectF band(-750000 + 2, -1050000 + 2, 25 * 30 - 4, 20 * 24 - 4);
    qsizetype pickedCount = 0;
    BenchMeasure("rectangle pick of 500 parcels into the work table", [&] {
        QFile::remove(pickWork);
        const QList<int> picked = MapHitTest(area).parcelsIn(band);
        pickedCount = picked.size();
        picker.Pick(picked, true);
    });
    {
        Table check;
        OpenOrCreateWorkTable(check, pickWork);
        std::printf("rectangle pick: %lld parcels, %d work rows, file of %lld bytes\n",
                    qlonglong(pickedCount), check.recordCount(), QFileInfo(pickWork).size());
    }

    // Saladín with its real map and parcel table.
    const QString saladin = QStringLiteral(ORV_SAMPLES_DIR "/real/SALADIN");
    MapArea real;
    try {
        real = ReadAreaMap(QStringLiteral("789160"), QStringLiteral("Saladín"));
    } catch (const std::exception&) {
        std::printf("no map of 789160 in $ORV_MAP_DIR; import it first\n");
        return 0;
    }
    const TKUInfo ku{saladin, {}, {}, QStringLiteral("Saladín"), "001", "789160"};
    TMapWindow salad(nullptr, ku, real, work);
    salad.setAttribute(Qt::WA_DeleteOnClose, false);
    salad.resize(1600, 1000);
    salad.show();
    QApplication::processEvents();
    const QRectF all(0, 0, salad.canvas()->width(), salad.canvas()->height());
    QList<int> indexes = MapHitTest(real).parcelsIn(salad.canvas()->view().toWorld(all));
    QList<double> times;
    for (int i = 0; i < Rounds; ++i) {
        QFile::remove(work);
        QElapsedTimer t;
        t.start();
        salad.Pick(indexes, true);
        times << msSince(t);
    }
    Table check;
    OpenOrCreateWorkTable(check, work);
    std::printf("rectangle pick: %lld parcels, %d work rows\n", qlonglong(indexes.size()),
                check.recordCount());
    Report("rectangle pick written to the work table", times);
    if (argc > 1) {
        // Three parcels picked by a rectangle in the middle of the view,
        // the first of them identified.
        salad.Pick(indexes, false);
        const QPointF c = real.extent.center();
        QList<int> three;
        for (double r = 2; three.size() < 3 && r < 500; r += 2)
            three = MapHitTest(real).parcelsIn(QRectF(c - QPointF(r, r), c + QPointF(r, r)));
        if (three.isEmpty())
            return 1;
        salad.canvas()->showWorld(QRectF(c - QPointF(150, 100), c + QPointF(150, 100)));
        salad.Pick(three.mid(0, 3), true);
        emit salad.canvas()->parcelClicked(three.first());
        std::printf("picked %lld parcels for the screenshot\n", qlonglong(three.mid(0, 3).size()));
        salad.canvas()->renderNow();
        QApplication::processEvents();
        salad.grab().save(QString::fromLocal8Bit(argv[1]));
        // The same view printed into a PDF beside the screenshot.
        const QString pdf = QString::fromLocal8Bit(argv[1]) + QStringLiteral(".pdf");
        PrintTarget::SetFileAsker([&](QWidget*, const QString&) { return pdf; });
        SetMessageDlgInterceptor([](const QString& text, TMsgDlgType, TMsgDlgButtons) {
            std::printf("%s\n", qPrintable(text));
            return 1;
        });
        QElapsedTimer t;
        t.start();
        salad.Print();
        std::printf("printed %s in %.0f ms (%s)\n", qPrintable(pdf), msSince(t),
                    PrintTarget::HasPrinter() ? "a printer exists" : "no printer");
    }
    return found > 0 ? 0 : 1;
}
