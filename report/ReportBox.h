#pragma once

#include "report/PieChartData.h"

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QRectF>
#include <QString>

// One positioned thing on a laid-out page, in report units (1/96 inch) from
// the paper's top-left corner. Text is drawn inside `rect` and clipped to it.
struct ReportBox
{
    enum class Kind
    {
        Text,
        Line,
        Rect,
        Chart
    };

    Kind kind = Kind::Text;
    QString elementName; // the element (or band frame) it came from
    QRectF rect;
    QString text;
    QFont font;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool multiLine = false;
    QLineF line;
    double lineWidth = 1;
    QColor fill;         // Rect: invalid = not filled
    bool outline = true; // Rect: draw the outline
    PieChartData chart;
};
