#pragma once

#include <QList>
#include <QPageSize>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

// The paper sizes and scales a printed map offers, and the ground a map of a
// given size on paper shows at a scale: at 1:1000 one millimetre of paper is
// one metre on the ground. The map window's print dialog, the printing itself
// and "orv-tool map draw" all take their figures from here.
class MapPrintPage
{
public:
    // The papers offered, by name: "A4", "A3", "A5", "Letter", "Legal".
    static QStringList PaperNames();
    // The paper of that name (any case); none for an unknown name.
    static std::optional<QPageSize> Paper(const QString& name);
    // The fixed scales offered (denominators): 1000, 2000, 5000.
    static QList<int> Scales();
    // "1:1000"; 0 (fitted to the page) is "Podle stránky".
    static QString ScaleText(int scale);
    // "1000", "1:1000" or "1 : 1000" for an offered scale, "fit" or "0" for
    // fitted; none otherwise.
    static std::optional<int> ParseScale(const QString& text);
    // The ground, in metres, that a map of `mapMm` millimetres shows at
    // 1:`scale` (scale > 0).
    static QSizeF GroundSize(const QSizeF& mapMm, int scale);
    // That ground centred on `centre` (EPSG:5514 metres).
    static QRectF Ground(const QSizeF& mapMm, int scale, const QPointF& centre);
};
