#include "map/MapCanvas.h"

#include "map/core/MapArea.h"
#include "map/core/MapHitTest.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace {
// One step of the wheel or of +/- zooms by this factor.
constexpr double ZoomStep = 1.25;
// A press that moves less than this many pixels is a click.
constexpr int ClickSlop = 3;
// The sharp redraw waits this long after the last pan or zoom step (ms).
constexpr int SharpenDelayMs = 120;
// Free space around the whole area shown by Home, pixels.
constexpr double FitMargin = 12;
} // namespace

MapCanvas::MapCanvas(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_sharpen.setSingleShot(true);
    m_sharpen.setInterval(SharpenDelayMs);
    connect(&m_sharpen, &QTimer::timeout, this, [this] {
        drawCache();
        update();
    });
}

void MapCanvas::setArea(const MapArea* area)
{
    m_area = area;
    showWorld(QRectF());
}

void MapCanvas::setMarked(const QSet<qint64>& marked)
{
    m_marked = marked;
    m_cacheValid = false;
    update();
}

void MapCanvas::setLayers(int layers)
{
    m_layers = layers;
    m_cacheValid = false;
    update();
}

void MapCanvas::showWorld(const QRectF& world)
{
    const QRectF target = world.isNull() && m_area ? m_area->extent : world;
    setView(MapView::fit(target, QRectF(rect()), FitMargin));
    m_cacheValid = false;
    update();
}

void MapCanvas::zoomBy(double factor)
{
    setView(m_view.zoomedAbout(zoomAnchor(), factor));
}

void MapCanvas::setView(const MapView& view)
{
    m_view = view;
    m_sharpen.start();
    update();
    emit viewChanged();
}

void MapCanvas::drawCache()
{
    m_cache = QImage(size() * devicePixelRatioF(), QImage::Format_RGB32);
    m_cache.setDevicePixelRatio(devicePixelRatioF());
    m_cache.fill(Qt::white);
    m_cacheView = m_view;
    m_cacheValid = true;
    if (!m_area || width() < 1 || height() < 1)
        return;
    QPainter painter(&m_cache);
    MapPainter::Options options;
    options.marked = m_marked;
    options.world = m_view.visibleWorld();
    options.marginMm = 0;
    options.layers = m_layers;
    MapPainter::paint(painter, QRectF(rect()), *m_area, options);
}

void MapCanvas::renderNow()
{
    m_sharpen.stop();
    drawCache();
}

void MapCanvas::paintEvent(QPaintEvent*)
{
    if (!m_cacheValid)
        renderNow();
    QPainter painter(this);
    const bool sharp = m_cacheView.scale() == m_view.scale() &&
                       m_cacheView.visibleWorld() == m_view.visibleWorld();
    if (sharp) {
        painter.drawImage(0, 0, m_cache);
    } else {
        // The cached picture moved and scaled to the current view until the
        // sharp one is drawn: device of the cache → ground → device now.
        painter.fillRect(rect(), Qt::white);
        painter.setTransform(m_cacheView.transform().inverted() * m_view.transform());
        painter.drawImage(0, 0, m_cache);
        painter.resetTransform();
    }
    if (m_picking && !m_band.isNull()) {
        painter.setPen(QPen(m_pickAdd ? Qt::darkBlue : Qt::darkRed, 1, Qt::DashLine));
        painter.setBrush(QColor(0, 0, 255, 30));
        painter.drawRect(m_band.normalized());
    }
}

void MapCanvas::resizeEvent(QResizeEvent*)
{
    if (m_view.scale() == 1 && m_view.device().isNull())
        showWorld(QRectF());
    else
        m_view = m_view.resized(QRectF(rect()));
    m_cacheValid = false;
}

void MapCanvas::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0)
        setView(m_view.zoomedAbout(event->position(), std::pow(ZoomStep, steps)));
    event->accept();
}

QPointF MapCanvas::zoomAnchor() const
{
    const QPoint cursor = mapFromGlobal(QCursor::pos());
    return rect().contains(cursor) ? QPointF(cursor) : QRectF(rect()).center();
}

void MapCanvas::keyPressEvent(QKeyEvent* event)
{
    const double step = std::max(width(), height()) / 8.0;
    switch (event->key()) {
    case Qt::Key_Plus:
        return zoomBy(ZoomStep);
    case Qt::Key_Minus:
        return zoomBy(1 / ZoomStep);
    case Qt::Key_Left:
        return setView(m_view.panned({step, 0}));
    case Qt::Key_Right:
        return setView(m_view.panned({-step, 0}));
    case Qt::Key_Up:
        return setView(m_view.panned({0, step}));
    case Qt::Key_Down:
        return setView(m_view.panned({0, -step}));
    case Qt::Key_Home:
        return showWorld(QRectF());
    case Qt::Key_Escape:
        if (m_picking) {
            m_picking = false;
            m_pressed = false;
            m_band = QRect();
            update();
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void MapCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    m_moved = false;
    m_pressPos = m_lastPos = event->position().toPoint();
    m_picking = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    m_pickAdd = !(event->modifiers() & Qt::ShiftModifier);
    m_band = QRect();
}

void MapCanvas::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    emit cursorMoved(m_view.toWorld(QPointF(pos)));
    if (!m_pressed)
        return;
    if ((pos - m_pressPos).manhattanLength() > ClickSlop)
        m_moved = true;
    if (m_picking) {
        if (m_moved)
            m_band = QRect(m_pressPos, pos);
        update();
        return;
    }
    if (m_moved) {
        setView(m_view.panned(QPointF(pos - m_lastPos)));
        m_lastPos = pos;
    }
}

void MapCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    const QPointF pos = event->position();
    if (m_picking) {
        m_picking = false;
        QList<int> found;
        if (m_moved && m_area)
            found = MapHitTest(*m_area).parcelsIn(m_view.toWorld(QRectF(m_band.normalized())));
        else if (const int i = parcelAtDevice(pos); i >= 0)
            found << i;
        m_band = QRect();
        update();
        // A pick outside every parcel does nothing.
        if (!found.isEmpty())
            emit parcelsPicked(found, m_pickAdd);
        return;
    }
    if (!m_moved)
        emit parcelClicked(parcelAtDevice(pos));
}

void MapCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && !(event->modifiers() & Qt::ControlModifier))
        if (const int i = parcelAtDevice(event->position()); i >= 0)
            emit parcelDoubleClicked(i);
}

int MapCanvas::parcelAtDevice(const QPointF& device) const
{
    return m_area ? MapHitTest(*m_area).parcelAt(m_view.toWorld(device)) : -1;
}
