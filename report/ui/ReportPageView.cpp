#include "report/ui/ReportPageView.h"

#include "report/ReportDefinition.h"
#include "report/ReportDocument.h"
#include "report/ReportPainter.h"

#include <QPaintEvent>
#include <QPainter>

ReportPageView::ReportPageView(const ReportDocument& document, QWidget* parent)
    : QWidget(parent), m_document(document)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void ReportPageView::setPage(int index)
{
    if (index == m_page)
        return;
    m_page = index;
    m_image = QImage();
    update();
}

void ReportPageView::setZoom(double zoom)
{
    // Up to four times the actual size: the page image then takes some 55 MB.
    zoom = std::clamp(zoom, 0.05, 4.0);
    if (qFuzzyCompare(zoom, m_zoom))
        return;
    m_zoom = zoom;
    m_image = QImage();
    resize(sizeHint());
    updateGeometry();
    update();
}

QSizeF ReportPageView::actualPageSize() const
{
    const double dpi = logicalDpiX();
    return m_document.paperSize * (dpi / ReportDefinition::UnitsPerInch);
}

QSize ReportPageView::sizeHint() const
{
    return (actualPageSize() * m_zoom).toSize();
}

void ReportPageView::render()
{
    const QSize size = sizeHint();
    const double dpr = devicePixelRatioF();
    m_image = QImage(size * dpr, QImage::Format_RGB32);
    m_image.fill(Qt::white);
    const double dpi = logicalDpiX() * m_zoom * dpr;
    const int dotsPerMeter = qRound(dpi / 0.0254);
    m_image.setDotsPerMeterX(dotsPerMeter);
    m_image.setDotsPerMeterY(dotsPerMeter);
    QPainter painter(&m_image);
    ReportPainter(m_document).paintPage(m_page, painter);
    painter.end();
    m_image.setDevicePixelRatio(dpr);
}

void ReportPageView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Dark));
    if (m_image.isNull())
        render();
    painter.drawImage(QPoint(0, 0), m_image);
}
