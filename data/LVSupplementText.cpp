#include "data/LVSupplementText.h"

#include "base/Format.h"
#include "data/ListingText.h"
#include "data/ParcelNumber.h"

namespace LVSupplementText {

using ListingText::LeftAligned;
using ListingText::SingleLine;

QChar SectionOf(const QString& cast)
{
    const QChar first = cast.isEmpty() ? QChar() : cast.at(0);
    if (first == u'C' || first == u'D' || first == u'E')
        return first;
    return u'B';
}

QString ValueLabel(double dopludaj, bool parcelType)
{
    if (parcelType)
        return FormatParcelNumber(UnpackParcelReference(dopludaj));
    return Format(QStringLiteral("%11.0f"), dopludaj);
}

QStringList Lines(const QList<Record>& records, int margin)
{
    const QString m(qMax(0, margin), u' ');
    const QString indent = m + QString(10, u' ');
    const QString doubleRule = m + QString(80, u'=');
    const struct
    {
        QChar letter;
        const char* heading;
    } sections[] = {{u'B', "B1 Jiná práva"},
                    {u'C', "C  Omezení vlastnického práva"},
                    {u'D', "D  Jiné zápisy"},
                    {u'E', "E  Nabývací tituly nebo jiné podklady zápisu"}};
    QStringList out{m, doubleRule};
    for (const auto& section : sections) {
        out << m + QString::fromUtf8(section.heading);
        out << m + QStringLiteral("Odkaz na listinu").rightJustified(36) +
                   QStringLiteral("Číslo").rightJustified(36) +
                   QStringLiteral("PolVZ").rightJustified(8);
        out << m + QString(80, u'-');
        bool any = false;
        for (const Record& r : records) {
            if (SectionOf(r.section) != section.letter)
                continue;
            any = true;
            // Every value made one line, as in the other listing columns.
            out << m + Format(QStringLiteral("%s  %10s  %s      %8s%8s"),
                              LeftAligned(r.typeText, 32), SingleLine(r.addition),
                              LeftAligned(r.valueLabel, 12), SingleLine(r.deed),
                              SingleLine(r.changeItem));
            if (!r.deedText1.isEmpty() || !r.deedText2.isEmpty())
                out << m + SingleLine(r.deedText1 + u' ' + r.deedText2);
            for (const QString& line : r.lines)
                out << indent + SingleLine(line);
        }
        if (!any)
            out << indent + QStringLiteral("BEZ ZÁPISU");
        out << doubleRule;
    }
    return out;
}

} // namespace LVSupplementText
