#include "report/ReportLayouter.h"

#include "base/ETalvekException.h"
#include "base/Format.h"
#include "report/ReportDataSource.h"

#include <QFontMetricsF>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <exception>

namespace {
// A paint device at the report's own resolution, for measuring text.
const QImage& measuringDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        const int dotsPerMeter = qRound(ReportDefinition::UnitsPerInch / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return device;
}

QString numberText(double value)
{
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return Format(QStringLiteral("%g"), value);
}

// The share of an element's width that wrapped lines fill.
constexpr double WrapWidthShare = 0.97;

bool isBodyBand(ReportBand::Type type)
{
    switch (type) {
    case ReportBand::Type::Title:
    case ReportBand::Type::PageHeader:
    case ReportBand::Type::PageFooter:
    case ReportBand::Type::ColumnHeader:
        return false;
    default:
        return true;
    }
}
} // namespace

ReportLayouter::ReportLayouter(ReportDefinition& report)
    : m_report(report), m_now(QDateTime::currentDateTime())
{
}

double ReportLayouter::lineHeight(const QFont& font)
{
    return QFontMetricsF(font, &measuringDevice()).height();
}

QStringList ReportLayouter::wrapText(const QFont& font, const QString& text, double width)
{
    const QFontMetricsF metrics(font, &measuringDevice());
    QStringList result;
    QString rest = text;
    rest.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (rest.endsWith(QLatin1Char('\n')))
        rest.chop(1);
    if (rest.isEmpty())
        return result;
    for (QString line : rest.split(QLatin1Char('\n'))) {
        while (line.size() > 1 && metrics.horizontalAdvance(line) > width) {
            // The longest head that fits (at least one character), cut
            // after the last blank in it when there is one.
            qsizetype low = 1;
            qsizetype high = line.size() - 1;
            while (low < high) {
                const qsizetype mid = (low + high + 1) / 2;
                if (metrics.horizontalAdvance(line.left(mid)) <= width)
                    low = mid;
                else
                    high = mid - 1;
            }
            const qsizetype blank = line.lastIndexOf(QLatin1Char(' '), low);
            const qsizetype cut = blank > 0 ? blank + 1 : low;
            QString head = line.left(cut);
            while (head.endsWith(QLatin1Char(' ')))
                head.chop(1);
            result.append(head);
            line = line.mid(cut);
        }
        result.append(line);
    }
    return result;
}

ReportDocument ReportLayouter::run()
{
    m_doc = ReportDocument();
    m_doc.title = m_report.title;
    m_doc.pageSize = m_report.pageSize;
    m_doc.orientation = m_report.orientation;
    m_doc.paperSize = m_report.paperSize();
    m_doc.copies = m_report.copies;
    m_pageCountSlots.clear();
    m_fonts.clear();
    try {
        layoutAll();
    } catch (const ETalvekException&) {
        m_doc.pages.clear();
        throw;
    } catch (const std::exception& e) {
        m_doc.pages.clear();
        throw ETalvekException(QString::fromLocal8Bit(e.what()));
    }
    resolvePageCounts();
    scalePages();
    return std::move(m_doc);
}

void ReportLayouter::layoutAll()
{
    if (m_report.suppressEmpty && !m_report.sections.empty() &&
        isEmpty(m_report.sections.front().source))
        return;
    m_content = m_report.contentRect();
    // Laid out on the design size (the rest of the page kept in proportion),
    // then scaled down to the paper.
    m_scale = 1;
    if (m_report.designWidth > m_content.width())
        m_scale = m_content.width() / m_report.designWidth;
    if (m_report.designHeight > m_content.height())
        m_scale = std::min(m_scale, m_content.height() / m_report.designHeight);
    m_content.setSize(m_content.size() / m_scale);
    m_bodyBottom = m_content.bottom();
    if (m_report.pageFooter)
        m_bodyBottom -= m_report.pageFooter->height;
    startPage();
    for (ReportSection& section : m_report.sections)
        runSection(section);
    printOptional(m_report.summary, nullptr);
    finishPage();
}

bool ReportLayouter::isEmpty(ReportDataSource* source)
{
    if (!source)
        return false;
    source->first();
    return source->eof();
}

void ReportLayouter::runSection(ReportSection& section)
{
    if (!section.source) {
        printOptional(section.header, nullptr);
        printBand(section.detail, nullptr);
        for (ReportSection& sub : section.subSections)
            runSection(sub);
        printOptional(section.footer, nullptr);
        return;
    }
    section.source->first();
    if (section.source->eof()) {
        if (section.printIfEmpty) {
            printOptional(section.header, section.source);
            printOptional(section.footer, section.source);
        }
        return;
    }
    printOptional(section.header, section.source);
    runRows(section);
    printOptional(section.footer, section.source);
}

void ReportLayouter::runRows(ReportSection& section)
{
    ReportDataSource* source = section.source;
    QList<QVariant> keys;
    bool firstRow = true;
    while (!source->eof()) {
        printGroupHeaders(section, keys, firstRow);
        printBand(section.detail, source);
        for (ReportSection& sub : section.subSections)
            runSection(sub);
        source->next();
        firstRow = false;
    }
    if (!firstRow)
        printGroupFooters(section, 0);
}

void ReportLayouter::printGroupHeaders(ReportSection& section, QList<QVariant>& keys, bool firstRow)
{
    if (section.groups.empty())
        return;
    QList<QVariant> current;
    for (const ReportGroup& group : section.groups)
        current.append(group.key ? group.key() : QVariant());
    size_t changed = firstRow ? 0 : section.groups.size();
    for (size_t i = 0; !firstRow && i < section.groups.size(); ++i) {
        if (current.at(qsizetype(i)) != keys.at(qsizetype(i))) {
            changed = i;
            break;
        }
    }
    if (!firstRow && changed < section.groups.size())
        printGroupFooters(section, changed);
    for (size_t i = changed; i < section.groups.size(); ++i)
        printOptional(section.groups[i].header, section.source);
    keys = current;
}

void ReportLayouter::printGroupFooters(ReportSection& section, size_t fromLevel)
{
    for (size_t i = section.groups.size(); i > fromLevel; --i)
        printOptional(section.groups[i - 1].footer, section.source);
}

void ReportLayouter::printOptional(std::optional<ReportBand>& band, ReportDataSource* source)
{
    if (band)
        printBand(*band, source);
}

void ReportLayouter::printBand(ReportBand& band, ReportDataSource* source)
{
    if (band.beforePrint && !band.beforePrint(band))
        return;
    const QList<Placement> placements = place(band, source);
    const double height = bandHeight(band) + growthOf(placements);
    if (m_y + height > m_bodyBottom + 1e-6 && m_bodyOnPage) {
        finishPage();
        startPage();
    }
    emitBand(band, m_y, height, source, placements);
    m_y += height;
    if (isBodyBand(band.type))
        m_bodyOnPage = true;
    if (band.child)
        printBand(*band.child, source);
}

void ReportLayouter::startPage()
{
    m_doc.pages.append(ReportPage());
    m_y = m_content.top();
    m_bodyOnPage = false;
    const bool first = m_doc.pages.size() == 1;
    if (m_report.pageHeader && (!first || m_report.pageHeaderOnFirstPage))
        printBand(*m_report.pageHeader, nullptr);
    if (first && m_report.titleBand)
        printBand(*m_report.titleBand, nullptr);
    if (m_report.columnHeader)
        printBand(*m_report.columnHeader, nullptr);
}

void ReportLayouter::finishPage()
{
    if (m_report.pageFooter)
        placeFixedBand(*m_report.pageFooter, nullptr, m_bodyBottom);
}

void ReportLayouter::placeFixedBand(ReportBand& band, ReportDataSource* source, double top)
{
    if (band.beforePrint && !band.beforePrint(band))
        return;
    emitBand(band, top, band.height, source);
}

double ReportLayouter::bandHeight(const ReportBand& band) const
{
    double height = band.height;
    for (const ReportElement& e : band.elements) {
        if (e.visible && e.kind == ReportElement::Kind::Memo && e.autoHeight)
            height = std::max(height, e.rect.top() + memoHeight(e));
    }
    return height;
}

double ReportLayouter::memoHeight(const ReportElement& e) const
{
    if (!e.autoHeight)
        return e.rect.height();
    return e.lines.size() * lineHeight(fontFor(e));
}

QList<ReportLayouter::Placement> ReportLayouter::place(const ReportBand& band,
                                                       ReportDataSource* source)
{
    const QList<ReportElement>& elements = band.elements;
    QList<Placement> result(elements.size());
    QList<qsizetype> order;
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const ReportElement& e = elements[i];
        order.append(i);
        if (!e.visible || !e.wordWrap ||
            (e.kind != ReportElement::Kind::Label && e.kind != ReportElement::Kind::Field))
            continue;
        const QFont font = fontFor(e);
        // A little short of the full width: text measured here at the report's
        // resolution is drawn at other sizes (a preview zoom, a page scaled to
        // narrower paper) where hinted letters may come out a bit wider.
        const QStringList lines =
            wrapText(font, elementText(e, source), e.rect.width() * WrapWidthShare);
        result[i].wrapped = true;
        result[i].text = lines.join(QLatin1Char('\n'));
        if (lines.size() > 1)
            result[i].grow = (lines.size() - 1) * lineHeight(font);
    }
    // An element moves down by what every grown element ending above it grew
    // (and moved) itself; top to bottom, so those are known first.
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return elements[a].rect.top() < elements[b].rect.top();
    });
    for (qsizetype i : order)
        for (qsizetype g : order)
            if (result[g].grow > 0 && elements[g].rect.bottom() <= elements[i].rect.top() + 0.5)
                result[i].shift = std::max(result[i].shift, result[g].shift + result[g].grow);
    return result;
}

double ReportLayouter::growthOf(const QList<Placement>& placements)
{
    double growth = 0;
    for (const Placement& p : placements)
        growth = std::max(growth, p.shift + p.grow);
    return growth;
}

void ReportLayouter::emitBand(const ReportBand& band, double top, double height,
                              ReportDataSource* source, const QList<Placement>& placements)
{
    const QPointF origin(m_content.left(), top);
    for (qsizetype i = 0; i < band.elements.size(); ++i) {
        if (band.elements[i].visible)
            emitElement(band.elements[i], origin, source,
                        i < placements.size() ? &placements[i] : nullptr);
    }
    if (band.frame != FrameSide::None) {
        const QRectF rect(origin, QSizeF(m_content.width(), height));
        emitFrame(rect, band.frame, band.frameWidth, band.name);
    }
}

void ReportLayouter::emitElement(const ReportElement& e, const QPointF& origin,
                                 ReportDataSource* source, const Placement* placement)
{
    QRectF rect = e.rect.translated(origin);
    if (e.kind == ReportElement::Kind::Memo)
        rect.setHeight(memoHeight(e));
    if (placement) {
        rect.translate(0, placement->shift);
        rect.setHeight(rect.height() + placement->grow);
    }
    ReportPage& page = m_doc.pages.last();
    ReportBox box;
    box.elementName = e.name;
    box.rect = rect;
    if (e.background.isValid()) {
        ReportBox fill = box;
        fill.kind = ReportBox::Kind::Rect;
        fill.fill = e.background;
        fill.outline = false;
        page.boxes.append(fill);
    }
    switch (e.kind) {
    case ReportElement::Kind::Line:
        box.kind = ReportBox::Kind::Line;
        box.lineWidth = e.lineWidth;
        box.line = rect.width() >= rect.height()
                       ? QLineF(rect.left(), rect.center().y(), rect.right(), rect.center().y())
                       : QLineF(rect.center().x(), rect.top(), rect.center().x(), rect.bottom());
        page.boxes.append(box);
        return;
    case ReportElement::Kind::Frame:
        if (e.frame == FrameSide::All) {
            box.kind = ReportBox::Kind::Rect;
            box.lineWidth = e.lineWidth;
            page.boxes.append(box);
        } else {
            emitFrame(rect, e.frame, e.lineWidth, e.name);
        }
        return;
    case ReportElement::Kind::PieChart:
        box.kind = ReportBox::Kind::Chart;
        box.chart = e.chart;
        box.font = fontFor(e);
        page.boxes.append(box);
        return;
    default:
        break;
    }
    box.kind = ReportBox::Kind::Text;
    box.font = fontFor(e);
    box.alignment = e.alignment;
    const bool wrapped = placement && placement->wrapped;
    box.multiLine = e.kind == ReportElement::Kind::Memo || wrapped;
    box.text = wrapped ? placement->text : elementText(e, source);
    page.boxes.append(box);
    if (e.kind == ReportElement::Kind::SystemData &&
        e.systemKind == ReportElement::SystemKind::PageCount)
        m_pageCountSlots.append({int(m_doc.pages.size() - 1), page.boxes.size() - 1, e.text});
    if (e.frame != FrameSide::None)
        emitFrame(rect, e.frame, e.lineWidth, e.name);
}

void ReportLayouter::emitFrame(const QRectF& rect, FrameSides sides, double width,
                               const QString& name)
{
    ReportPage& page = m_doc.pages.last();
    auto add = [&](const QLineF& line) {
        ReportBox box;
        box.kind = ReportBox::Kind::Line;
        box.elementName = name;
        box.rect = QRectF(line.p1(), line.p2()).normalized();
        box.line = line;
        box.lineWidth = width;
        page.boxes.append(box);
    };
    if (sides.testFlag(FrameSide::Top))
        add(QLineF(rect.topLeft(), rect.topRight()));
    if (sides.testFlag(FrameSide::Bottom))
        add(QLineF(rect.bottomLeft(), rect.bottomRight()));
    if (sides.testFlag(FrameSide::Left))
        add(QLineF(rect.topLeft(), rect.bottomLeft()));
    if (sides.testFlag(FrameSide::Right))
        add(QLineF(rect.topRight(), rect.bottomRight()));
}

QString ReportLayouter::elementText(const ReportElement& e, ReportDataSource* source)
{
    switch (e.kind) {
    case ReportElement::Kind::Field:
        return fieldText(e, source);
    case ReportElement::Kind::Memo:
        return e.lines.join(QLatin1Char('\n'));
    case ReportElement::Kind::SystemData:
        switch (e.systemKind) {
        case ReportElement::SystemKind::Date:
            return e.text + m_now.date().toString(QStringLiteral("dd.MM.yyyy"));
        case ReportElement::SystemKind::Time:
            return e.text + m_now.time().toString(QStringLiteral("HH:mm:ss"));
        case ReportElement::SystemKind::DateTime:
            return e.text + m_now.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
        case ReportElement::SystemKind::PageNumber:
            return e.text + QString::number(m_doc.pages.size());
        case ReportElement::SystemKind::PageCount:
            return e.text; // completed when the page count is known
        }
        return {};
    default:
        return e.text;
    }
}

QString ReportLayouter::fieldText(const ReportElement& e, ReportDataSource* source) const
{
    ReportDataSource* from = e.source ? e.source : source;
    if (!from)
        return {};
    const QVariant value = from->value(e.field);
    if (!value.isValid() || value.isNull())
        return {};
    if (!e.displayFormat.isEmpty())
        return Format(e.displayFormat, QVariantList{value});
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        return numberText(value.toDouble());
    return value.toString();
}

QFont ReportLayouter::fontFor(const ReportElement& e) const
{
    // Fonts are shared between boxes: one per style, not one per box.
    const FontKey key{e.pointSize, e.bold, e.italic};
    for (const auto& [k, font] : m_fonts) {
        if (k == key)
            return font;
    }
    QFont font = m_report.baseFont;
    if (e.pointSize > 0)
        font.setPointSizeF(e.pointSize);
    font.setBold(e.bold);
    font.setItalic(e.italic);
    m_fonts.append({key, font});
    return font;
}

void ReportLayouter::resolvePageCounts()
{
    const QString count = QString::number(m_doc.pages.size());
    for (const PageCountSlot& slot : m_pageCountSlots)
        m_doc.pages[slot.page].boxes[slot.box].text = slot.prefix + count;
}

void ReportLayouter::scalePages()
{
    if (m_scale == 1)
        return;
    const QPointF origin = m_report.contentRect().topLeft();
    const auto map = [&](const QPointF& p) { return origin + (p - origin) * m_scale; };
    for (ReportPage& page : m_doc.pages) {
        for (ReportBox& box : page.boxes) {
            box.rect = QRectF(map(box.rect.topLeft()), map(box.rect.bottomRight()));
            box.line = QLineF(map(box.line.p1()), map(box.line.p2()));
            box.lineWidth *= m_scale;
            if (box.font.pointSizeF() > 0)
                box.font.setPointSizeF(box.font.pointSizeF() * m_scale);
        }
    }
}
