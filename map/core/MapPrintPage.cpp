#include "map/core/MapPrintPage.h"

#include <QRegularExpression>

namespace {

struct NamedPaper
{
    const char* name;
    QPageSize::PageSizeId id;
};

constexpr NamedPaper Papers[] = {{"A4", QPageSize::A4},
                                 {"A3", QPageSize::A3},
                                 {"A5", QPageSize::A5},
                                 {"Letter", QPageSize::Letter},
                                 {"Legal", QPageSize::Legal}};

// Millimetres of paper in a metre.
constexpr double MmPerMetre = 1000;

} // namespace

QStringList MapPrintPage::PaperNames()
{
    QStringList names;
    for (const NamedPaper& p : Papers)
        names << QString::fromLatin1(p.name);
    return names;
}

std::optional<QPageSize> MapPrintPage::Paper(const QString& name)
{
    for (const NamedPaper& p : Papers)
        if (name.compare(QLatin1String(p.name), Qt::CaseInsensitive) == 0)
            return QPageSize(p.id);
    return std::nullopt;
}

QList<int> MapPrintPage::Scales()
{
    return {1000, 2000, 5000};
}

QString MapPrintPage::ScaleText(int scale)
{
    return scale > 0 ? QStringLiteral("1:%1").arg(scale) : QStringLiteral("Podle stránky");
}

std::optional<int> MapPrintPage::ParseScale(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("fit"), Qt::CaseInsensitive) == 0 || t == QLatin1String("0"))
        return 0;
    static const QRegularExpression form(QStringLiteral("^(?:1\\s*:\\s*)?(\\d{1,6})$"));
    const QRegularExpressionMatch m = form.match(t);
    if (!m.hasMatch() || !Scales().contains(m.captured(1).toInt()))
        return std::nullopt;
    return m.captured(1).toInt();
}

QSizeF MapPrintPage::GroundSize(const QSizeF& mapMm, int scale)
{
    return mapMm * (double(scale) / MmPerMetre);
}

QRectF MapPrintPage::Ground(const QSizeF& mapMm, int scale, const QPointF& centre)
{
    const QSizeF size = GroundSize(mapMm, scale);
    return QRectF(centre - QPointF(size.width() / 2, size.height() / 2), size);
}
