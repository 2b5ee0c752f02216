#include "map/core/MapImageFile.h"

#include "base/ETalvekException.h"
#include "db/TableWriteGuard.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace {

// Qt's PNG quality: 80 is zlib level 1-2, several times faster than the
// default for a file a fifth larger (maps are large areas of one colour).
constexpr int PngQuality = 80;
// Dots per inch of a PDF page: fine enough for 0.1 mm lines.
constexpr int PdfResolution = 600;

QString Suffix(const QString& path)
{
    return QFileInfo(path).suffix().toLower();
}

MapPainter::Drawn PaintPng(QSaveFile& file, const QSize& size, const MapArea& area,
                           const MapPainter::Options& options)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    MapPainter::Drawn drawn;
    {
        QPainter painter(&image);
        drawn = MapPainter::paint(painter, QRectF(QPointF(0, 0), size), area, options);
    }
    if (!image.save(&file, "PNG", PngQuality))
        throw ETalvekException(QStringLiteral("obrázek PNG nelze zapsat"));
    return drawn;
}

MapPainter::Drawn PaintSvg(QSaveFile& file, const QSize& size, const MapArea& area,
                           const MapPainter::Options& options)
{
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(options.title);
    QPainter painter(&svg);
    return MapPainter::paint(painter, QRectF(QPointF(0, 0), size), area, options);
}

MapPainter::Drawn PaintPdf(QSaveFile& file, const QSize& size, const MapArea& area,
                           const MapPainter::Options& options, const QPageSize& paper)
{
    QPdfWriter pdf(&file);
    pdf.setResolution(PdfResolution);
    pdf.setTitle(options.title);
    pdf.setPageLayout(QPageLayout(
        paper, size.width() > size.height() ? QPageLayout::Landscape : QPageLayout::Portrait,
        QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    QPainter painter(&pdf);
    const MapPainter::Drawn drawn = MapPainter::paint(
        painter, QRectF(QPointF(0, 0), QSizeF(pdf.width(), pdf.height())), area, options);
    painter.end();
    return drawn;
}

} // namespace

bool MapImageFile::isImagePath(const QString& path)
{
    const QString suffix = Suffix(path);
    return suffix == QLatin1String("png") || suffix == QLatin1String("svg") ||
           suffix == QLatin1String("pdf");
}

MapPainter::Drawn MapImageFile::write(const QString& path, const QSize& size, const MapArea& area,
                                      const MapPainter::Options& options, const QPageSize& paper)
{
    const QString native = QDir::toNativeSeparators(path);
    if (!isImagePath(path))
        throw ETalvekException(
            QStringLiteral("Soubor \"%1\" nemá příponu obrázku: zvolte .png, .svg nebo .pdf")
                .arg(native));
    TableWriteGuard::checkOutputFile(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ETalvekException(
            QStringLiteral("Soubor \"%1\" nelze zapsat: %2").arg(native, file.errorString()));
    MapPainter::Drawn drawn;
    try {
        const QString suffix = Suffix(path);
        if (suffix == QLatin1String("png"))
            drawn = PaintPng(file, size, area, options);
        else if (suffix == QLatin1String("svg"))
            drawn = PaintSvg(file, size, area, options);
        else
            drawn = PaintPdf(file, size, area, options, paper);
    } catch (const ETalvekException& e) {
        throw ETalvekException(
            QStringLiteral("Soubor \"%1\" nebyl zapsán: %2").arg(native, e.message()));
    }
    if (!file.commit())
        throw ETalvekException(
            QStringLiteral("Soubor \"%1\" nelze zapsat: %2").arg(native, file.errorString()));
    return drawn;
}
