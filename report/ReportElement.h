#pragma once

#include "report/PieChartData.h"
#include "report/ReportFrame.h"

#include <QColor>
#include <QRectF>
#include <QString>
#include <QStringList>

class ReportDataSource;

// One printable element of a band. Geometry is in report units (1/96 inch)
// relative to the band's top-left corner. Fonts are the report's base font
// with the element's style; a point size of 0 keeps the base size.
class ReportElement
{
public:
    enum class Kind
    {
        Label,      // fixed text (may be changed while printing)
        Field,      // the value of a field of a data source
        SystemData, // date, time, page number, page count
        Memo,       // several lines; its height may be set while printing
        Line,       // a rule: horizontal when wider than high, else vertical
        Frame,      // a rectangle, optionally filled
        PieChart
    };
    enum class SystemKind
    {
        Date,
        Time,
        DateTime,
        PageNumber,
        PageCount
    };

    Kind kind = Kind::Label;
    QString name;
    QRectF rect;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool visible = true;

    // Text style.
    bool bold = false;
    bool italic = false;
    double pointSize = 0;

    // Label text; for SystemData a prefix printed before the value.
    QString text;
    // Field: source (null = the data source of the band's section), field name
    // and an optional Format() directive such as "%d" or "%.2f".
    ReportDataSource* source = nullptr;
    QString field;
    QString displayFormat;
    SystemKind systemKind = SystemKind::Date;
    // Memo lines; with autoHeight the memo (and its band) grow to fit them.
    QStringList lines;
    bool autoHeight = false;
    // Label or field text that is wider than the element wraps onto more
    // lines instead of being cut: the element grows downwards, the elements
    // below it in the band move down as much, and the band grows.
    bool wordWrap = false;

    // Frame around the element, fill, and the width of lines and frames.
    FrameSides frame;
    QColor background;
    double lineWidth = 1;

    PieChartData chart;

    static ReportElement label(const QString& name, const QRectF& rect, const QString& text,
                               Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
    static ReportElement dataField(const QString& name, const QRectF& rect, const QString& field,
                                   ReportDataSource* source = nullptr,
                                   Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
    static ReportElement systemData(const QString& name, const QRectF& rect, SystemKind kind,
                                    const QString& prefix = {},
                                    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
    static ReportElement memo(const QString& name, const QRectF& rect,
                              const QStringList& lines = {});
    static ReportElement line(const QString& name, const QRectF& rect, double width = 1);
    static ReportElement frameBox(const QString& name, const QRectF& rect,
                                  FrameSides sides = FrameSide::All);
    static ReportElement pieChart(const QString& name, const QRectF& rect,
                                  const QString& title = {});

    // Fluent style setters for building layouts compactly.
    ReportElement& setBold(bool on = true);
    ReportElement& setItalic(bool on = true);
    ReportElement& setPointSize(double size);
    ReportElement& setFormat(const QString& format);
    ReportElement& setFrame(FrameSides sides);
    ReportElement& setWordWrap(bool on = true);
};
