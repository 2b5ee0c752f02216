// orv-tool map draw: the map of one cadastral area from the map store drawn
// into a PNG, SVG or PDF file, whole or around the marked parts of a work
// table, the marked parcels highlighted.
#include "base/ETalvekException.h"
#include "map/core/MapImageFile.h"
#include "map/core/AreaMapLookup.h"
#include "map/core/MapPrintPage.h"
#include "map/core/MarkedParcels.h"
#include "tools/ToolArea.h"
#include "tools/ToolCommand.h"

#include <QDir>
#include <QRegularExpression>
#include <cstdio>

// The synopsis and the run function of "map draw", a subverb of "map"
// (tools/CmdMap.cpp).
extern const char MapDrawSynopsis[] =
    "map draw (--alias NÁZEV | --dir ADRESÁŘ) --area PŘÍPONA [--work SOUBOR.DB] "
    "--out SOUBOR.png|.svg|.pdf [--size ŠxV] [--margin METRŮ] [--paper A4|A3|A5|Letter|Legal] "
    "[--scale 1000|2000|5000]";

namespace {

// An image of 2000 × 1414 pixels (the proportions of A4), ground kept free
// around the shown parcels in metres.
const QSize DefaultSize(2000, 1414);
constexpr double DefaultMargin = 20;
constexpr qint64 MaxPixels = 20000;
constexpr qint64 MaxMargin = 100000;

struct DrawOptions
{
    QString database;
    QString suffix;
    QString work;
    QString out;
    QSize size = DefaultSize;
    double margin = DefaultMargin;
    QPageSize paper = QPageSize(QPageSize::A4); // of a PDF
    int scale = 0;                              // a fixed scale's denominator; 0 fits
};

bool ParseSize(const QString& text, QSize& size)
{
    static const QRegularExpression form(QStringLiteral("^(\\d+)[xX×](\\d+)$"));
    const QRegularExpressionMatch m = form.match(text);
    qint64 w = 0;
    qint64 h = 0;
    if (!m.hasMatch() || !toolWholeNumber(m.captured(1), 16, MaxPixels, w) ||
        !toolWholeNumber(m.captured(2), 16, MaxPixels, h))
        return false;
    size = QSize(int(w), int(h));
    return true;
}

// Reads the arguments; returns the exit status of a usage error, or -1.
int ParseDrawOptions(const QStringList& args, DrawOptions& o)
{
    const QString synopsis = QString::fromUtf8(MapDrawSynopsis);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        qint64 margin = 0;
        if (ToolAreaOption(args, i, o.database, o.suffix, o.work)) {
            continue;
        } else if (a == "--out" && hasValue) {
            o.out = args[++i];
            if (!MapImageFile::isImagePath(o.out))
                return toolBadValue(a, o.out, synopsis);
        } else if (a == "--size" && hasValue) {
            if (!ParseSize(args[++i], o.size))
                return toolBadValue(a, args[i], synopsis);
        } else if (a == "--paper" && hasValue) {
            const std::optional<QPageSize> paper = MapPrintPage::Paper(args[++i]);
            if (!paper)
                return toolBadValue(a, args[i], synopsis);
            o.paper = *paper;
        } else if (a == "--scale" && hasValue) {
            const std::optional<int> scale = MapPrintPage::ParseScale(args[++i]);
            if (!scale)
                return toolBadValue(a, args[i], synopsis);
            o.scale = *scale;
        } else if (a == "--margin" && hasValue) {
            if (!toolWholeNumber(args[++i], 0, MaxMargin, margin))
                return toolBadValue(a, args[i], synopsis);
            o.margin = double(margin);
        } else {
            return toolUsageError(synopsis);
        }
    }
    if (o.database.isEmpty() || o.suffix.isEmpty() || o.out.isEmpty())
        return toolUsageError(synopsis);
    return -1;
}

// The ground around the marked parcels that have a polygon.
QRectF MarkedExtent(const MapArea& map, const QSet<qint64>& marked, const QString& work)
{
    QRectF extent;
    for (const MapParcel& parcel : map.parcels)
        if (!parcel.parts.isEmpty() && marked.contains(MapParcelCode(parcel)))
            extent |= parcel.bounds;
    if (extent.isNull())
        throw ETalvekException(
            QStringLiteral("V pracovní tabulce %1 není označen žádný díl parcely, která je na mapě")
                .arg(QDir::toNativeSeparators(work)));
    return extent;
}

} // namespace

int runMapDraw(const QStringList& args)
{
    DrawOptions o;
    if (const int usage = ParseDrawOptions(args, o); usage >= 0)
        return usage;
    const TKUInfo ku = ToolAreaInfo(o.database, o.suffix);
    const MapArea map = ReadAreaMap(ku.Kod, ku.Katastr);
    MapPainter::Options options;
    options.title = QStringLiteral("%1 (%2)").arg(ku.Katastr, ku.Kod);
    QRectF ground = map.extent;
    if (!o.work.isEmpty()) {
        options.marked = MarkedParcelCodes(o.work);
        ground = MarkedExtent(map, options.marked, o.work);
    }
    options.world = ground.adjusted(-o.margin, -o.margin, o.margin, o.margin);
    options.scale = o.scale;
    const MapPainter::Drawn drawn = MapImageFile::write(o.out, o.size, map, options, o.paper);
    std::printf("%s\n", qPrintable(QStringLiteral("Mapa zapsána do %1: parcel %2, označených %3, "
                                                  "čísel parcel %4, 1 mm = %5 m")
                                       .arg(o.out)
                                       .arg(drawn.parcels)
                                       .arg(drawn.marked)
                                       .arg(drawn.numbers)
                                       .arg(drawn.metresPerMm, 0, 'f', 2)));
    return ToolExit::Ok;
}
