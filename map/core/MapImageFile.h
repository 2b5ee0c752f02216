#pragma once

#include "map/core/MapPainter.h"

#include <QPageSize>
#include <QSize>
#include <QString>

// Writes a map drawn by MapPainter into a file of the type its extension
// names: ".png" an image of `size` pixels, ".svg" a drawing of the same size,
// ".pdf" one page of `paper` (A4 unless given), landscape when `size` is
// wider than high. The file is
// written under a temporary name and renamed over the target, so a failure
// leaves an earlier file of that name as it was; a target that is a link is
// refused. Errors are ETalvekException naming the file.
class MapImageFile
{
public:
    // True for the extensions above (any case).
    static bool isImagePath(const QString& path);
    static MapPainter::Drawn write(const QString& path, const QSize& size, const MapArea& area,
                                   const MapPainter::Options& options,
                                   const QPageSize& paper = QPageSize(QPageSize::A4));
};
