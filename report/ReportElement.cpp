#include "report/ReportElement.h"

namespace {
ReportElement make(ReportElement::Kind kind, const QString& name, const QRectF& rect)
{
    ReportElement e;
    e.kind = kind;
    e.name = name;
    e.rect = rect;
    return e;
}
} // namespace

ReportElement ReportElement::label(const QString& name, const QRectF& rect, const QString& text,
                                   Qt::Alignment align)
{
    ReportElement e = make(Kind::Label, name, rect);
    e.text = text;
    e.alignment = align;
    return e;
}

ReportElement ReportElement::dataField(const QString& name, const QRectF& rect,
                                       const QString& field, ReportDataSource* source,
                                       Qt::Alignment align)
{
    ReportElement e = make(Kind::Field, name, rect);
    e.field = field;
    e.source = source;
    e.alignment = align;
    return e;
}

ReportElement ReportElement::systemData(const QString& name, const QRectF& rect, SystemKind kind,
                                        const QString& prefix, Qt::Alignment align)
{
    ReportElement e = make(Kind::SystemData, name, rect);
    e.systemKind = kind;
    e.text = prefix;
    e.alignment = align;
    return e;
}

ReportElement ReportElement::memo(const QString& name, const QRectF& rect, const QStringList& lines)
{
    ReportElement e = make(Kind::Memo, name, rect);
    e.lines = lines;
    e.alignment = Qt::AlignLeft | Qt::AlignTop;
    return e;
}

ReportElement ReportElement::line(const QString& name, const QRectF& rect, double width)
{
    ReportElement e = make(Kind::Line, name, rect);
    e.lineWidth = width;
    return e;
}

ReportElement ReportElement::frameBox(const QString& name, const QRectF& rect, FrameSides sides)
{
    ReportElement e = make(Kind::Frame, name, rect);
    e.frame = sides;
    return e;
}

ReportElement ReportElement::pieChart(const QString& name, const QRectF& rect, const QString& title)
{
    ReportElement e = make(Kind::PieChart, name, rect);
    e.chart.title = title;
    return e;
}

ReportElement& ReportElement::setBold(bool on)
{
    bold = on;
    return *this;
}

ReportElement& ReportElement::setItalic(bool on)
{
    italic = on;
    return *this;
}

ReportElement& ReportElement::setPointSize(double size)
{
    pointSize = size;
    return *this;
}

ReportElement& ReportElement::setFormat(const QString& format)
{
    displayFormat = format;
    return *this;
}

ReportElement& ReportElement::setFrame(FrameSides sides)
{
    frame = sides;
    return *this;
}

ReportElement& ReportElement::setWordWrap(bool on)
{
    wordWrap = on;
    return *this;
}
