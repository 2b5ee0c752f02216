#include "report/ReportPaper.h"

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <langinfo.h>
#include <locale.h>

namespace {
// The locale that LC_PAPER takes from the environment, by the precedence of
// setlocale: LC_ALL, then LC_PAPER, then LANG.
QString environmentLocale()
{
    for (const char* name : {"LC_ALL", "LC_PAPER", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return QString::fromLocal8Bit(value);
    }
    return QStringLiteral("C");
}

bool statesNoPaper(const QString& locale)
{
    return locale == QLatin1String("C") || locale == QLatin1String("POSIX") ||
           locale.startsWith(QLatin1String("C."));
}

// nl_langinfo gives the paper's dimensions as integers in the pointer.
int paperMillimetres(nl_item item, locale_t locale)
{
    return int(reinterpret_cast<std::intptr_t>(nl_langinfo_l(item, locale)));
}
} // namespace

std::optional<QPageSize::PageSizeId> ReportPaper::FromName(const QString& name)
{
    const QString n = name.trimmed();
    if (n.compare(QLatin1String("A4"), Qt::CaseInsensitive) == 0)
        return QPageSize::A4;
    if (n.compare(QLatin1String("Letter"), Qt::CaseInsensitive) == 0)
        return QPageSize::Letter;
    return std::nullopt;
}

QString ReportPaper::Name(QPageSize::PageSizeId paper)
{
    return paper == QPageSize::Letter ? QStringLiteral("Letter") : QStringLiteral("A4");
}

QPageSize::PageSizeId ReportPaper::FromMillimetres(int width, int height)
{
    const auto near = [](int value, int target) { return std::abs(value - target) <= 1; };
    const bool letter =
        (near(width, 216) && near(height, 279)) || (near(width, 279) && near(height, 216));
    return letter ? QPageSize::Letter : QPageSize::A4;
}

std::optional<QPageSize::PageSizeId> ReportPaper::FromLocale(const QString& localeName)
{
    const QString name = localeName.isEmpty() ? environmentLocale() : localeName;
    if (statesNoPaper(name))
        return std::nullopt;
    locale_t locale = newlocale(LC_PAPER_MASK, name.toLocal8Bit().constData(), locale_t(nullptr));
    if (locale == locale_t(nullptr))
        return std::nullopt;
    const int width = paperMillimetres(_NL_PAPER_WIDTH, locale);
    const int height = paperMillimetres(_NL_PAPER_HEIGHT, locale);
    freelocale(locale);
    return FromMillimetres(width, height);
}
