#pragma once

#include <QPageSize>
#include <QString>
#include <optional>

// The paper the printed forms are laid out on: A4 or US Letter. The system
// names its paper through the locale (LC_PAPER, in millimetres); a paper that
// is neither of the two counts as A4, the paper of Czech offices.
class ReportPaper
{
public:
    // "A4" or "Letter" (any case, blanks around ignored); none for other texts.
    static std::optional<QPageSize::PageSizeId> FromName(const QString& name);
    // The name FromName reads back.
    static QString Name(QPageSize::PageSizeId paper);
    // Letter for 216 x 279 mm (either way round, a millimetre either side),
    // else A4.
    static QPageSize::PageSizeId FromMillimetres(int width, int height);
    // The paper of the locale `localeName` (as setlocale takes it; "" is the
    // environment's: LC_ALL, LC_PAPER, LANG). None when that is the C or POSIX
    // locale, which states no paper of its own, or a locale the system does not
    // have.
    static std::optional<QPageSize::PageSizeId> FromLocale(const QString& localeName = {});
};
