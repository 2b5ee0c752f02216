#pragma once

#include "report/ReportDefinition.h"
#include "report/ReportDocument.h"

#include <QDateTime>
#include <QFont>

class ReportDataSource;

// Runs a report's bands over its data sources and produces the pages. The
// whole document is built before anything is shown or printed: an error of a
// data source ends the run with its message (ETalvekException) and leaves no
// partial document behind.
class ReportLayouter
{
public:
    explicit ReportLayouter(ReportDefinition& report);

    // The moment printed by date and time elements (default: now).
    void setPrintTime(const QDateTime& when) { m_now = when; }

    ReportDocument run();

    // Height of one line of text in report units for a font.
    static double lineHeight(const QFont& font);
    // The text broken into lines no wider than `width` report units: at its
    // own line breaks, then between words, and inside a word longer than a
    // line. No character is lost; an empty text gives no lines.
    static QStringList wrapText(const QFont& font, const QString& text, double width);

private:
    // Where a band's element lands when texts wrap: moved down by `shift`,
    // grown by `grow`, with its wrapped text.
    struct Placement
    {
        double shift = 0;
        double grow = 0;
        bool wrapped = false;
        QString text;
    };

    struct PageCountSlot
    {
        int page;
        qsizetype box;
        QString prefix;
    };

    void layoutAll();
    void runSection(ReportSection& section);
    void runRows(ReportSection& section);
    void printGroupHeaders(ReportSection& section, QList<QVariant>& keys, bool firstRow);
    void printGroupFooters(ReportSection& section, size_t fromLevel);
    void printBand(ReportBand& band, ReportDataSource* source);
    void printOptional(std::optional<ReportBand>& band, ReportDataSource* source);
    void startPage();
    void finishPage();
    void placeFixedBand(ReportBand& band, ReportDataSource* source, double top);
    double bandHeight(const ReportBand& band) const;
    QList<Placement> place(const ReportBand& band, ReportDataSource* source);
    static double growthOf(const QList<Placement>& placements);
    void emitBand(const ReportBand& band, double top, double height, ReportDataSource* source,
                  const QList<Placement>& placements = {});
    void emitElement(const ReportElement& e, const QPointF& origin, ReportDataSource* source,
                     const Placement* placement);
    void emitFrame(const QRectF& rect, FrameSides sides, double width, const QString& name);
    QString elementText(const ReportElement& e, ReportDataSource* source);
    QString fieldText(const ReportElement& e, ReportDataSource* source) const;
    QFont fontFor(const ReportElement& e) const;
    double memoHeight(const ReportElement& e) const;
    static bool isEmpty(ReportDataSource* source);
    void resolvePageCounts();
    void scalePages();

    struct FontKey
    {
        double pointSize;
        bool bold;
        bool italic;
        bool operator==(const FontKey&) const = default;
    };

    ReportDefinition& m_report;
    mutable QList<std::pair<FontKey, QFont>> m_fonts;
    QDateTime m_now;
    ReportDocument m_doc;
    QRectF m_content;
    double m_scale = 1; // content width / design width on narrower paper
    double m_y = 0;
    double m_bodyBottom = 0;
    bool m_bodyOnPage = false;
    QList<PageCountSlot> m_pageCountSlots;
};
