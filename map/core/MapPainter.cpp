#include "map/core/MapPainter.h"

#include "data/ParcelNumber.h"
#include "map/core/MapArea.h"
#include "map/core/MapPrintPage.h"
#include "map/core/MapView.h"
#include "map/core/MarkedParcels.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

// Kinds of land (DRUHPOZ) as the registry codes them.
enum Kind
{
    Arable = 2,
    Hops = 3,
    Vineyard = 4,
    Garden = 5,
    Orchard = 6,
    Grassland = 7,
    Forest = 10,
    Water = 11,
    BuiltUp = 13,
    Other = 14
};

// Line widths and sizes in millimetres of paper.
constexpr double BoundaryMm = 0.12;
constexpr double AreaBoundaryMm = 0.4;
constexpr double OtherLineMm = 0.1;
constexpr double SoilLineMm = 0.25;
// Soil-quality codes are written only this close in (ground metres per
// millimetre of paper: 1:10 000 and larger scales); further out they would
// cover the parcel numbers.
constexpr double SoilLabelMaxMetresPerMm = 10;
constexpr double MarkedOutlineMm = 0.6;
constexpr double ScaleBarHeightMm = 1.5;
constexpr double ArrowMm = 10;
constexpr int MarkedAlpha = 150;
// Where a parcel number is tried, as fractions of the height of the parcel's
// largest piece from its top.
constexpr double NumberLines[] = {0.5, 0.35, 0.65, 0.2, 0.8};

QPainterPath DevicePath(const MapParcel& parcel, const QTransform& t)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const MapPolygon& part : parcel.parts)
        for (const QPolygonF& ring : part.rings) {
            path.addPolygon(t.map(ring));
            path.closeSubpath();
        }
    return path;
}

double RingArea(const QPolygonF& ring)
{
    double twice = 0;
    for (qsizetype i = 0, n = ring.size(); i < n; ++i) {
        const QPointF& a = ring[i];
        const QPointF& b = ring[(i + 1) % n];
        twice += a.x() * b.y() - b.x() * a.y();
    }
    return std::abs(twice) / 2;
}

bool InsidePart(const QPolygonF* rings, qsizetype count, const QPointF& p)
{
    if (count == 0 || !rings[0].containsPoint(p, Qt::OddEvenFill))
        return false;
    for (qsizetype i = 1; i < count; ++i)
        if (rings[i].containsPoint(p, Qt::OddEvenFill))
            return false;
    return true;
}

// The middles of the spans inside a polygon with holes along the horizontal
// line at `y`, the widest span first (a centroid can fall outside an
// L-shaped parcel or into a hole).
QList<QPointF> SpanMiddles(const QList<QPolygonF>& rings, double y)
{
    QList<double> xs;
    for (const QPolygonF& ring : rings)
        for (qsizetype i = 0, n = ring.size(); i < n; ++i) {
            const QPointF& a = ring[i];
            const QPointF& b = ring[(i + 1) % n];
            if ((a.y() <= y) != (b.y() <= y))
                xs.append(a.x() + (y - a.y()) * (b.x() - a.x()) / (b.y() - a.y()));
        }
    std::sort(xs.begin(), xs.end());
    QList<std::pair<double, QPointF>> spans;
    for (qsizetype i = 0; i + 1 < xs.size(); i += 2)
        spans.append({xs[i + 1] - xs[i], QPointF((xs[i] + xs[i + 1]) / 2, y)});
    std::stable_sort(spans.begin(), spans.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    QList<QPointF> middles;
    for (const auto& span : spans)
        middles.append(span.second);
    return middles;
}

// The largest piece of a parcel, in device coordinates.
QList<QPolygonF> LargestPart(const MapParcel& parcel, const QTransform& t)
{
    const MapPolygon* largest = nullptr;
    double area = -1;
    for (const MapPolygon& part : parcel.parts)
        if (!part.rings.isEmpty() && RingArea(part.rings.first()) > area) {
            area = RingArea(part.rings.first());
            largest = &part;
        }
    QList<QPolygonF> rings;
    if (largest)
        for (const QPolygonF& ring : largest->rings)
            rings.append(t.map(ring));
    return rings;
}

// Whether the text rectangle's corners lie inside the polygon.
bool Fits(const QList<QPolygonF>& rings, const QRectF& textRect)
{
    for (const QPointF& corner :
         {textRect.topLeft(), textRect.topRight(), textRect.bottomLeft(), textRect.bottomRight()})
        if (!InsidePart(rings.constData(), rings.size(), corner))
            return false;
    return true;
}

// Writes the parcel's number at a point inside it when the whole text fits
// inside the parcel and on the page (`page`: no number cut at the map's
// edge); false when it does not fit at this scale.
bool PaintNumber(QPainter& painter, const QFontMetricsF& metrics, const MapParcel& parcel,
                 const QTransform& t, const QRectF& page)
{
    const QRectF box = t.mapRect(parcel.bounds);
    if (box.height() < metrics.height() || box.width() < metrics.averageCharWidth() * 2)
        return false;
    const QString text = FormatParcelNumber(parcel.group, parcel.stem, parcel.subdivision);
    const double width = metrics.horizontalAdvance(text);
    if (box.width() < width)
        return false;
    const QList<QPolygonF> rings = LargestPart(parcel, t);
    if (rings.isEmpty())
        return false;
    // Lines through the middle of the bounds first, then nearer the edges: a
    // notch or a neighbour's enclave across the middle line still leaves
    // room above or below it.
    const QRectF partBox = rings.first().boundingRect();
    for (double fraction : NumberLines)
        for (const QPointF& at : SpanMiddles(rings, partBox.top() + partBox.height() * fraction)) {
            const QRectF textRect(at.x() - width / 2, at.y() - metrics.height() / 2, width,
                                  metrics.height());
            if (!page.contains(textRect) || !Fits(rings, textRect))
                continue;
            painter.drawText(QPointF(textRect.left(), textRect.top() + metrics.ascent()), text);
            return true;
        }
    return false;
}

// A length of 1, 2 or 5 times a power of ten metres, at most `maxMetres`.
double RoundLength(double maxMetres)
{
    const double power = std::pow(10.0, std::floor(std::log10(maxMetres)));
    for (double step : {5.0, 2.0, 1.0})
        if (step * power <= maxMetres)
            return step * power;
    return power;
}

QString LengthText(double metres)
{
    return metres >= 1000 ? QStringLiteral("%1 km").arg(metres / 1000)
                          : QStringLiteral("%1 m").arg(metres);
}

// A white box behind the map's own texts, so that parcels do not show through.
void PaintBacking(QPainter& painter, const QRectF& box)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 210));
    painter.drawRect(box);
    painter.restore();
}

// Bottom left: four alternating black and white fields and the length.
void PaintScaleBar(QPainter& painter, const QRectF& rect, double unit, double scale,
                   const QFontMetricsF& metrics)
{
    const double metres = RoundLength(rect.width() * 0.25 / scale);
    const double length = metres * scale;
    const double height = ScaleBarHeightMm * unit;
    const QPointF origin(rect.left() + 5 * unit, rect.bottom() - 5 * unit - height);
    PaintBacking(painter, QRectF(origin.x() - unit, origin.y() - metrics.height() - 1.5 * unit,
                                 length + 2 * unit + metrics.horizontalAdvance(LengthText(metres)),
                                 height + metrics.height() + 2.5 * unit));
    painter.setPen(QPen(Qt::black, 0.15 * unit));
    for (int i = 0; i < 4; ++i) {
        painter.setBrush(i % 2 == 0 ? Qt::black : Qt::white);
        painter.drawRect(QRectF(origin.x() + i * length / 4, origin.y(), length / 4, height));
    }
    painter.setBrush(Qt::NoBrush);
    painter.drawText(QPointF(origin.x(), origin.y() - metrics.descent() - 0.5 * unit),
                     QStringLiteral("0"));
    const QString text = LengthText(metres);
    painter.drawText(QPointF(origin.x() + length - metrics.horizontalAdvance(text) / 2,
                             origin.y() - metrics.descent() - 0.5 * unit),
                     text);
}

// Top right: an arrow to the grid north of S-JTSK (up) with "S" (sever).
void PaintNorthArrow(QPainter& painter, const QRectF& rect, double unit,
                     const QFontMetricsF& metrics)
{
    const double size = ArrowMm * unit;
    const QPointF tip(rect.right() - 5 * unit - size / 4, rect.top() + 5 * unit + metrics.height());
    QPolygonF left({tip, QPointF(tip.x() - size / 4, tip.y() + size),
                    QPointF(tip.x(), tip.y() + size * 0.75)});
    QPolygonF right({tip, QPointF(tip.x() + size / 4, tip.y() + size),
                     QPointF(tip.x(), tip.y() + size * 0.75)});
    PaintBacking(painter, QRectF(tip.x() - size / 4 - unit, tip.y() - metrics.height() - unit,
                                 size / 2 + 2 * unit, size + metrics.height() + 2 * unit));
    painter.setPen(QPen(Qt::black, 0.15 * unit));
    painter.setBrush(Qt::black);
    painter.drawPolygon(left);
    painter.setBrush(Qt::white);
    painter.drawPolygon(right);
    painter.setBrush(Qt::NoBrush);
    const QString north = QStringLiteral("S");
    painter.drawText(QPointF(tip.x() - metrics.horizontalAdvance(north) / 2,
                             tip.y() - metrics.descent() - 0.5 * unit),
                     north);
}

// Whether a line's bounds touch the ground in view. QRectF::intersects
// takes a rectangle without height or width (a straight east-west or
// north-south line) for empty and never intersecting.
bool LineInView(const QPolygonF& points, const QRectF& visible)
{
    const QRectF b = points.boundingRect();
    return b.left() <= visible.right() && b.right() >= visible.left() &&
           b.top() <= visible.bottom() && b.bottom() >= visible.top();
}

// The pen of each line layer, in device units.
QPen LinePen(MapPainter::Layer layer, double unit)
{
    QPen pen;
    switch (layer) {
    case MapPainter::AreaBoundaries:
        pen = QPen(Qt::black, AreaBoundaryMm * unit);
        break;
    case MapPainter::OtherLines:
        pen = QPen(QColor(0x70, 0x70, 0x70), OtherLineMm * unit);
        break;
    case MapPainter::SoilQuality:
        pen = QPen(MapPainter::soilColour(), SoilLineMm * unit, Qt::DashLine);
        break;
    default:
        pen = QPen(QColor(0x20, 0x20, 0x20), BoundaryMm * unit);
        break;
    }
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// Draws the lines of the layers asked for, the area's boundaries last (on
// top); returns how many were drawn.
int PaintLines(QPainter& painter, const QList<MapLine>& lines, const QTransform& t,
               const QRectF& visible, int layers, double unit)
{
    int drawn = 0;
    for (MapPainter::Layer layer :
         {MapPainter::OtherLines, MapPainter::ParcelBoundaries, MapPainter::AreaBoundaries}) {
        if (!(layers & layer))
            continue;
        painter.setPen(LinePen(layer, unit));
        for (const MapLine& line : lines)
            if (MapPainter::lineLayer(line.kind) == layer && LineInView(line.points, visible)) {
                painter.drawPolyline(t.map(line.points));
                ++drawn;
            }
    }
    return drawn;
}

// The soil-quality boundaries, and their codes where the scale allows.
void PaintSoil(QPainter& painter, const MapArea& area, const QTransform& t, const QRectF& visible,
               double unit, double metresPerMm, const QFontMetricsF& metrics,
               MapPainter::Drawn& drawn)
{
    painter.setPen(LinePen(MapPainter::SoilQuality, unit));
    painter.setBrush(Qt::NoBrush);
    for (const MapLine& line : area.soilBoundaries)
        if (LineInView(line.points, visible)) {
            painter.drawPolyline(t.map(line.points));
            ++drawn.soilLines;
        }
    if (metresPerMm > SoilLabelMaxMetresPerMm)
        return;
    painter.setPen(MapPainter::soilColour());
    for (const MapLabel& label : area.soilLabels)
        if (visible.contains(label.position)) {
            const QPointF at = t.map(label.position);
            const double width = metrics.horizontalAdvance(label.text);
            painter.drawText(QPointF(at.x() - width / 2, at.y() + metrics.ascent() / 2),
                             label.text);
            ++drawn.soilLabels;
        }
}

// The view of the paint: `world` fitted into `rect`, or at a fixed scale the
// ground the paper holds around the centre of `world`.
MapView PaintView(const QRectF& world, const QRectF& rect, const MapPainter::Options& options,
                  double unit)
{
    if (options.scale <= 0)
        return MapView::fit(world, rect, options.marginMm * unit);
    const QSizeF paperMm = rect.size() / unit;
    return MapView::fit(MapPrintPage::Ground(paperMm, options.scale, world.center()), rect, 0);
}

} // namespace

MapPainter::Layer MapPainter::lineLayer(int kind)
{
    if (kind >= 20500 && kind < 20700)
        return AreaBoundaries;
    if (kind == 21900)
        return ParcelBoundaries;
    return OtherLines;
}

QColor MapPainter::kindColour(int kindOfLand)
{
    switch (kindOfLand) {
    case Arable:
    case Hops:
    case Vineyard:
        return QColor(0xF3, 0xE3, 0x9B); // straw
    case Garden:
    case Orchard:
        return QColor(0xF6, 0xB8, 0x6B); // orange
    case Grassland:
        return QColor(0xB5, 0xE0, 0x8E); // light green
    case Forest:
        return QColor(0x3F, 0x8F, 0x4A); // dark green
    case Water:
        return QColor(0x8C, 0xC4, 0xF0); // blue
    case BuiltUp:
        return QColor(0xB0, 0x4A, 0x3A); // brick red: buildings
    case Other:
        return QColor(0xD4, 0xD4, 0xD4); // grey
    default:
        return Qt::white;
    }
}

MapPainter::Drawn MapPainter::paint(QPainter& painter, const QRectF& rect, const MapArea& area,
                                    const Options& options)
{
    Drawn drawn;
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(rect, Qt::white);
    // Device units per millimetre of paper.
    const double unit = painter.device()->logicalDpiY() / 25.4;
    const QRectF world = options.world.isNull() ? area.extent : options.world;
    const MapView view = PaintView(world, rect, options, unit);
    const QTransform t = view.transform();
    const QRectF visible = view.toWorld(rect);
    drawn.metresPerMm = unit / view.scale();

    QList<const MapParcel*> shown;
    painter.setPen(Qt::NoPen);
    for (const MapParcel& parcel : area.parcels) {
        if (parcel.parts.isEmpty() || !parcel.bounds.intersects(visible))
            continue;
        shown.append(&parcel);
        painter.setBrush(kindColour(parcel.kindOfLand));
        painter.drawPath(DevicePath(parcel, t));
    }
    drawn.parcels = int(shown.size());

    painter.setBrush(Qt::NoBrush);
    if (!area.boundaries.isEmpty()) {
        drawn.lines = PaintLines(painter, area.boundaries, t, visible, options.layers, unit);
    } else if (options.layers & ParcelBoundaries) {
        // A map without boundary lines: the parcels' outlines stand for them.
        painter.setPen(LinePen(ParcelBoundaries, unit));
        for (const MapParcel* parcel : shown)
            painter.drawPath(DevicePath(*parcel, t));
    }

    QColor markedFill = markedColour();
    markedFill.setAlpha(MarkedAlpha);
    QPen markedPen(markedColour(), MarkedOutlineMm * unit);
    markedPen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(markedPen);
    painter.setBrush(markedFill);
    for (const MapParcel* parcel : shown)
        if (options.marked.contains(MapParcelCode(*parcel))) {
            painter.drawPath(DevicePath(*parcel, t));
            ++drawn.marked;
        }

    painter.setFont(options.font);
    const QFontMetricsF metrics(options.font, painter.device());
    if (options.layers & SoilQuality)
        PaintSoil(painter, area, t, visible, unit, drawn.metresPerMm, metrics, drawn);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    for (const MapParcel* parcel : shown)
        drawn.numbers += PaintNumber(painter, metrics, *parcel, t, rect) ? 1 : 0;

    if (!options.title.isEmpty()) {
        PaintBacking(painter, QRectF(rect.left() + 4 * unit, rect.top() + 4 * unit,
                                     metrics.horizontalAdvance(options.title) + 2 * unit,
                                     metrics.height() + 2 * unit));
        painter.drawText(QPointF(rect.left() + 5 * unit, rect.top() + 5 * unit + metrics.ascent()),
                         options.title);
    }
    PaintScaleBar(painter, rect, unit, view.scale(), metrics);
    PaintNorthArrow(painter, rect, unit, metrics);
    painter.restore();
    return drawn;
}
