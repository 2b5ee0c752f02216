#include "report/ui/PieChartRenderer.h"

#include "report/ReportBox.h"
#include "report/ReportPainter.h"

#include <QApplication>
#include <QChart>
#include <QGraphicsScene>
#include <QLegend>
#include <QPainter>
#include <QPieSeries>
#include <QPieSlice>

namespace {
// Slice colours in the order slices are added, distinct enough for the dozen
// or so slices of a statistics chart and still apart when printed in grey.
QColor sliceColour(qsizetype index)
{
    static const QRgb palette[] = {0xE41A1C, 0x377EB8, 0x4DAF4A, 0xFF7F00, 0xFFFF33, 0x984EA3,
                                   0xA65628, 0xF781BF, 0x999999, 0x66C2A5, 0x1F3A93, 0xB2DF8A,
                                   0xFB9A99, 0x00CED1, 0x8B0000, 0x6A3D9A};
    return QColor(palette[index % qsizetype(std::size(palette))]);
}

QChart* buildChart(const ReportBox& box, const QSizeF& size)
{
    auto* chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->setDropShadowEnabled(false);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setTitle(box.chart.title);
    QFont titleFont = box.font;
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    auto* series = new QPieSeries;
    for (const PieChartData::Slice& s : box.chart.slices()) {
        QPieSlice* slice = series->append(s.label, std::max(s.value, 0.0));
        slice->setLabelVisible(false);
        slice->setBrush(sliceColour(series->count() - 1));
        slice->setBorderColor(Qt::black);
        slice->setBorderWidth(0.5);
    }
    series->setPieSize(0.8);
    chart->addSeries(series);
    QLegend* legend = chart->legend();
    legend->setVisible(box.chart.showLegend);
    legend->setAlignment(Qt::AlignRight);
    QFont legendFont = box.font;
    legendFont.setPointSizeF(box.font.pointSizeF() * 0.8);
    legend->setFont(legendFont);
    chart->setGeometry(QRectF(QPointF(0, 0), size));
    return chart;
}
} // namespace

void PieChartRenderer::install()
{
    if (!ReportPainter::hasChartRenderer())
        ReportPainter::setChartRenderer(&PieChartRenderer::render);
}

void PieChartRenderer::render(QPainter& painter, const QRectF& rect, const ReportBox& box)
{
    // Charts are graphics widgets: without a widget application draw the frame only.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        painter.drawRect(rect);
        return;
    }
    const QSizeF size = box.rect.size(); // the chart is laid out at report units
    QGraphicsScene scene;
    QChart* chart = buildChart(box, size);
    scene.addItem(chart);
    scene.setSceneRect(QRectF(QPointF(0, 0), size));
    scene.render(&painter, rect, scene.sceneRect(), Qt::IgnoreAspectRatio);
}
