#include "output/core/TStatistikaReport.h"

#include <QColor>

namespace {
using Series = TAreaStatistics::Series;

constexpr double TitleLine = 18;
const QColor Silver(0xC0, 0xC0, 0xC0);

// The left block holds the kinds of land, the right block their uses.
constexpr double LeftBlockRight = 315;
constexpr double RightBlockLeft = 370;

ReportElement& boldItalic(ReportElement& e)
{
    return e.setBold().setItalic();
}
} // namespace

QString TStatistikaReport::ElementName(int column, int row)
{
    static const char* const prefixes[] = {"Name", "Vymera", "Pocet"};
    return QString::fromLatin1(prefixes[column]) + QString::number(row);
}

const TStatistikaReport::Block& TStatistikaReport::BlockOf(int row)
{
    static const Block kinds{0, 175, 85, 55};
    static const Block uses{RightBlockLeft, 170, 85, 58};
    return row < 20 ? kinds : uses;
}

TStatistikaReport::TStatistikaReport(const TAreaStatistics& stats, QWidget* owner,
                                     QPageSize::PageSizeId paper)
    : TReportForm(owner), m_stats(stats)
{
    m_report.title = QStringLiteral("Statistické údaje");
    m_report.orientation = QPageLayout::Portrait;
    m_report.marginsMm = QMarginsF(10, 10, 10, 10);
    m_report.pageSize = QPageSize(QPageSize::A4);
    m_report.designWidth = m_report.contentRect().width();
    m_report.designHeight = m_report.contentRect().height();
    m_report.pageSize = QPageSize(paper);
    m_report.baseFont = QFont(QStringLiteral("Liberation Sans"));
    m_report.baseFont.setPointSizeF(9);
    m_report.setTitleBand(TitleBand());
    ReportSection section; // no data source: the detail band prints once
    section.detail = DetailBand();
    m_report.addSection(section);
    m_report.setSummary(SummaryBand());
}

ReportBand TStatistikaReport::TitleBand() const
{
    const TAreaStatistics::Title& t = m_stats.TitleData();
    const double width = m_report.layoutWidth();
    ReportBand band(ReportBand::Type::Title, 116, QStringLiteral("Title"));
    boldItalic(
        band.add(ReportElement::label(QStringLiteral("Nadpis"), QRectF(0, 0, 310, 24),
                                      QStringLiteral(" Statistické údaje o katastrálním území:"))))
        .setPointSize(12);
    boldItalic(band.add(ReportElement::label(QStringLiteral("KUName"),
                                             QRectF(316, 0, width - 316, 24), t.KUName)))
        .setPointSize(12);

    // Three lines of caption/value pairs in up to three columns.
    struct Pair
    {
        const char* caption;
        const char* name;
        QString value;
    };
    const QList<QList<Pair>> lines{{{" Číselný kód", "KUIdent", t.KUIdent},
                                    {"Úplné číslo", "BigIdent", t.BigIdent},
                                    {" Pracovní číslo", "KUCis", t.KUCis}},
                                   {{" Příslušnost do obce", "ObceName", t.ObceName},
                                    {" Číselný kód", "ObceIdent", t.ObceIdent}},
                                   {{" Příslušnost do okresu", "OkresName", t.OkresName},
                                    {" Číselný kód", "OkresIdent", t.OkresIdent}}};
    const double columns[][2] = {{0, 130}, {330, 95}, {525, 95}}; // x, caption width
    const double valueEnds[] = {325, 520, width};
    for (int l = 0; l < lines.size(); ++l) {
        const double y = 30 + l * TitleLine;
        for (int c = 0; c < lines[l].size(); ++c) {
            const Pair& p = lines[l][c];
            const double x = columns[c][0];
            const double captionWidth = columns[c][1];
            band.add(ReportElement::label(QString(), QRectF(x, y, captionWidth, TitleLine),
                                          QString::fromUtf8(p.caption)));
            band.add(ReportElement::label(
                         QString::fromLatin1(p.name),
                         QRectF(x + captionWidth, y, valueEnds[c] - x - captionWidth, TitleLine),
                         p.value))
                .setBold();
        }
    }
    boldItalic(
        band.add(ReportElement::label(
            QStringLiteral("Nadpis2"), QRectF(0, 90, width, 22),
            QStringLiteral("Úhrnné hodnoty druhů pozemku a počty dílů parcel"), Qt::AlignCenter)))
        .setPointSize(11);
    return band;
}

ReportBand TStatistikaReport::DetailBand() const
{
    ReportBand band(ReportBand::Type::Detail, 42 * LineHeight, QStringLiteral("Detail"));
    AddCaptions(band, BlockOf(2), 0, QStringLiteral(" Druh pozemku"));
    // The use captions stand on the line above the first use (beside kind 9),
    // leaving the top of the right half to the chart of the kinds of land.
    AddCaptions(band, BlockOf(21), TAreaStatistics::LineOf(21) - 1,
                QStringLiteral(" z toho Využití nemovit."));
    for (const TAreaStatistics::Row& row : m_stats.Rows())
        AddRowLabels(band, row);
    AddCharts(band);
    return band;
}

void TStatistikaReport::AddCaptions(ReportBand& band, const Block& block, int line,
                                    const QString& first) const
{
    const double y = line * LineHeight;
    double x = block.x;
    const QString texts[] = {first, QStringLiteral(" Výměra [ha]"), QStringLiteral(" Počet")};
    const double widths[] = {block.nameWidth, block.areaWidth, block.countWidth};
    for (int c = 0; c < 3; ++c) {
        band.add(ReportElement::label(QString(), QRectF(x, y, widths[c], LineHeight), texts[c]))
            .setBold()
            .setFrame(FrameSide::All);
        x += widths[c];
    }
}

void TStatistikaReport::AddRowLabels(ReportBand& band, const TAreaStatistics::Row& row) const
{
    const int index = row.rule.row;
    const int line = TAreaStatistics::LineOf(index);
    if (line < 0)
        return;
    FrameSides frame;
    if (index == 13 || index == 14)
        frame |= FrameSide::Top;
    if (index < 53)
        frame |= FrameSide::Bottom;
    frame |= index < 20 ? FrameSide::Right : FrameSide::Left;

    const Block& block = BlockOf(index);
    const double y = line * LineHeight;
    const QString texts[] = {row.name, TAreaStatistics::HectaresText(row.areaM2),
                             TAreaStatistics::CountText(row.count)};
    const double lefts[] = {block.x, block.x + block.nameWidth,
                            block.x + block.nameWidth + block.areaWidth};
    const double widths[] = {block.nameWidth, block.areaWidth, block.countWidth};
    for (int c = 0; c < 3; ++c) {
        const Qt::Alignment align =
            c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter;
        ReportElement& e = band.add(ReportElement::label(
            ElementName(c, index), QRectF(lefts[c], y, widths[c], LineHeight), texts[c], align));
        e.setFrame(frame);
        if (c == 0)
            e.background = Silver;
    }
}

void TStatistikaReport::AddCharts(ReportBand& band) const
{
    const double width = m_report.layoutWidth();
    const double kind13 = TAreaStatistics::LineOf(13) * LineHeight;
    const double kind14 = TAreaStatistics::LineOf(14) * LineHeight;
    const double captionsOfUses = (TAreaStatistics::LineOf(21) - 1) * LineHeight;
    struct Chart
    {
        Series series;
        const char* name;
        const char* title;
        QRectF rect;
    };
    const Chart charts[] = {
        {Series::LandKinds, "Pie1", "Podíly druhů pozemků",
         QRectF(RightBlockLeft, 0, width - RightBlockLeft, captionsOfUses - 4)},
        {Series::BuiltUp, "Pie2", "Podíly zastavěných ploch",
         QRectF(0, kind13 + LineHeight + 4, LeftBlockRight + 40, kind14 - kind13 - LineHeight - 8)},
        {Series::OtherAreas, "Pie3", "Podíly ostatních ploch",
         QRectF(0, kind14 + LineHeight + 4, LeftBlockRight + 40,
                band.height - kind14 - LineHeight - 4)},
    };
    for (const Chart& c : charts) {
        ReportElement& e = band.add(ReportElement::pieChart(QString::fromLatin1(c.name), c.rect,
                                                            QString::fromUtf8(c.title)));
        for (const TAreaStatistics::Row& row : m_stats.Rows())
            if (row.rule.series == c.series)
                e.chart.addSlice(row.areaM2 / 10000.0, row.name.trimmed());
    }
}

ReportBand TStatistikaReport::SummaryBand() const
{
    ReportBand band(ReportBand::Type::Summary, 6 * TitleLine + 12, QStringLiteral("Summary"));
    struct Line
    {
        const char* caption;
        const char* areaName;
        QString area;
        const char* countName;
        QString count;
    };
    const Line lines[] = {{" Celkem", "CelkemVymera",
                           TAreaStatistics::HectaresText(m_stats.TotalAreaM2()), "CelkemPocet",
                           TAreaStatistics::CountText(m_stats.TotalCount())},
                          {" Domy s čísly popisnými",
                           nullptr,
                           {},
                           "PocetCP",
                           TAreaStatistics::CountText(m_stats.HousesCp())},
                          {" Domy s čísly evidenčními",
                           nullptr,
                           {},
                           "PocetEC",
                           TAreaStatistics::CountText(m_stats.HousesCe())},
                          {" Parcely ve zjednodušené evidenci", "CelkemVymeraPK",
                           TAreaStatistics::HectaresText(m_stats.SimplifiedAreaM2()),
                           "CelkemPocetPK", TAreaStatistics::CountText(m_stats.SimplifiedCount())}};
    constexpr double captionWidth = 230, areaWidth = 95, countWidth = 70;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    double y = 8;
    for (const Line& l : lines) {
        band.add(ReportElement::label(QString(), QRectF(0, y, captionWidth, TitleLine),
                                      QString::fromUtf8(l.caption)))
            .setBold();
        if (l.areaName)
            band.add(ReportElement::label(QString::fromLatin1(l.areaName),
                                          QRectF(captionWidth, y, areaWidth, TitleLine), l.area,
                                          right));
        band.add(ReportElement::label(QString::fromLatin1(l.countName),
                                      QRectF(captionWidth + areaWidth, y, countWidth, TitleLine),
                                      l.count, right));
        y += TitleLine;
    }
    y += TitleLine / 2;
    band.add(ReportElement::label(QString(), QRectF(0, y, 90, TitleLine),
                                  QStringLiteral("Vyhotoveno")))
        .setBold();
    band.add(ReportElement::systemData(QStringLiteral("Datum"), QRectF(90, y, 140, TitleLine),
                                       ReportElement::SystemKind::Date))
        .setBold();
    return band;
}
