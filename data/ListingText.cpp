#include "data/ListingText.h"

#include "base/Format.h"

namespace ListingText {

namespace {
// Characters of a text as whole code points, so a cut never splits a pair.
int CodePointEnd(const QString& text, int n)
{
    int pos = 0;
    for (int count = 0; count < n && pos < text.size(); ++count)
        pos += (text.at(pos).isHighSurrogate() && pos + 1 < text.size()) ? 2 : 1;
    return pos;
}

int CodePointCount(const QString& text)
{
    int count = 0;
    for (int pos = 0; pos < text.size(); ++count)
        pos += (text.at(pos).isHighSurrogate() && pos + 1 < text.size()) ? 2 : 1;
    return count;
}
} // namespace

QString SingleLine(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c.unicode() < 32 || c.unicode() == 127)
            c = u' ';
    return out;
}

QString LeftAligned(const QString& text, int n)
{
    const QString line = SingleLine(text);
    const QString cut = line.left(CodePointEnd(line, n));
    return cut + QString(n - CodePointCount(cut), u' ');
}

QString RightAligned(const QString& text, int n)
{
    const QString line = SingleLine(text);
    const QString cut = line.left(CodePointEnd(line, n));
    return QString(n - CodePointCount(cut), u' ') + cut;
}

QString AlignedParcelNumber(const QString& parcislo)
{
    const QString text = SingleLine(parcislo.trimmed());
    const int slash = int(text.indexOf(u'/')) + 1; // 1-based position, 0 when absent
    const int lead = slash > 0 ? 8 - slash : 7 - int(text.size());
    return LeftAligned(QString(qMax(0, lead), u' ') + text, 12);
}

QString Rule(bool doubled)
{
    return QString(LineWidth, doubled ? u'=' : u'-');
}

QString CaptionRule(const QString& caption)
{
    return caption + QString(qMax(0, LineWidth - int(caption.size())), u'-');
}

QString PageLine(int page)
{
    return QStringLiteral("- ").rightJustified(39) + QString::number(page) + QStringLiteral(" -");
}

QString AreaValue(qint64 squareMetres, qint64 count)
{
    // Whole hectares and the four decimals apart, so that no sum loses a
    // square metre to floating point.
    const qint64 whole = squareMetres / 10000;
    const qint64 rest = qAbs(squareMetres % 10000);
    const QString sign = (squareMetres < 0 && whole == 0) ? QStringLiteral("-") : QString();
    const QString hectares =
        sign + QString::number(whole) + u'.' + QStringLiteral("%1").arg(rest, 4, 10, QChar(u'0'));
    return hectares.rightJustified(12) + QString::number(count).rightJustified(6);
}

} // namespace ListingText
