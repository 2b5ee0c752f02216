#include "select/core/TParcelImport.h"

#include "base/ETalvekException.h"
#include "data/ParcelNumber.h"
#include "db/paradox/CodePage.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

namespace {
constexpr qint64 MaxGroup = 32767;
constexpr qint64 MaxStem = 2147483647;
constexpr qint64 MaxSubdivision = 32767;
constexpr qint64 MaxPart = 99;
constexpr qint64 MaxHouseNumber = 9999;

bool inRange(const QString& text, qint64 low, qint64 high)
{
    const qint64 v = TParcGridModel::CellValue(text);
    return v >= low && v <= high;
}

bool layoutCharacter(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('(') ||
           c == QLatin1Char(')') || c == QLatin1Char('-') || c == QLatin1Char('/') ||
           c == QLatin1Char(':');
}

QString decodeText(const QByteArray& bytes)
{
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(data);
    if (!utf8.hasError())
        return text;
    return CodePage::require(1250).decode(data.constData(), data.size());
}
} // namespace

QStringList TParcelImport::ReadTextFile(const QString& path)
{
    QFile file(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ETalvekException(
            QStringLiteral("Soubor '%1' nelze otevřít: %2").arg(shown, file.errorString()));
    if (file.size() > MaxFileSize)
        throw ETalvekException(
            QStringLiteral("Soubor '%1' je pro načtení čísel příliš velký (nejvýše %2 MB)")
                .arg(shown)
                .arg(MaxFileSize / (1024 * 1024)));
    const QByteArray bytes = file.readAll();
    if (bytes.contains('\0'))
        throw ETalvekException(QStringLiteral("Soubor '%1' není textový soubor").arg(shown));
    QStringList lines = decodeText(bytes).split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    // A final line break ends the last line; it does not start another one.
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList TParcelImport::SplitText(const QString& text)
{
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = normal.split(QLatin1Char('\n'));
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QChar TParcelImport::separatorOf(const QString& firstLine, TParcGridModel::Kind kind)
{
    int i = 0;
    while (i < firstLine.size() && layoutCharacter(firstLine[i]))
        ++i;
    // A house number may end in its kind letter ("12P"): that letter belongs
    // to the number and does not separate numbers.
    if (kind == TParcGridModel::Kind::House && i > 0 && i < firstLine.size() &&
        firstLine[i].isLetter())
        ++i;
    return i < firstLine.size() ? firstLine[i] : QLatin1Char(' ');
}

bool TParcelImport::columnLine(const QString& line, QChar separator, TParcGridModel::Kind kind,
                               TParcGridRow& row)
{
    QString rest = line;
    for (int c = 0; c < 3; ++c) {
        const int at = rest.indexOf(separator);
        row[c] = (at < 0 ? rest : rest.left(at)).trimmed();
        rest = at < 0 ? QString() : rest.mid(at + 1).trimmed();
    }
    if (kind == TParcGridModel::Kind::Parcel)
        return inRange(row[0], 0, MaxGroup) && inRange(row[1], 0, MaxStem) &&
               inRange(row[2], 0, MaxSubdivision);
    return inRange(row[0], -1, MaxPart) && inRange(row[1], 0, MaxHouseNumber);
}

bool TParcelImport::listNumber(const QString& number, TParcGridModel::Kind kind, TParcGridRow& row)
{
    if (kind == TParcGridModel::Kind::Parcel) {
        const ParcelKey key = ParseParcelNumber(number);
        if (key.parcis <= 0)
            return false;
        row = {QString::number(key.parskup), QString::number(key.parcis),
               QString::number(key.parpod)};
        return true;
    }
    QString text = number;
    QString kindLetter = QStringLiteral("V");
    if (!text.isEmpty() && !text.back().isDigit()) {
        kindLetter = text.back();
        text.chop(1);
    }
    const int slash = text.indexOf(QLatin1Char('/'));
    const QString house = (slash < 0 ? text : text.left(slash)).trimmed();
    const QString part = slash < 0 ? QString() : text.mid(slash + 1).trimmed();
    if (!inRange(house, 1, MaxHouseNumber))
        return false;
    if (!part.isEmpty() && !inRange(part, -1, MaxPart))
        return false;
    row = {part, house, kindLetter};
    return true;
}

TParcelImport::Result TParcelImport::Parse(const QStringList& lines, TParcGridModel::Kind kind)
{
    Result result;
    if (lines.isEmpty())
        return result;
    const QString first = lines.first().trimmed();
    const QChar separator = separatorOf(first, kind);
    const bool columns = !first.contains(QLatin1Char('/')) &&
                         (separator == QLatin1Char(' ') || separator == QLatin1Char('\t'));
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        QStringList numbers{line};
        if (!columns && !line.isEmpty())
            numbers = line.split(separator, Qt::SkipEmptyParts);
        for (const QString& number : std::as_const(numbers)) {
            if (result.rows.size() >= MaxRows) {
                result.errorLine = n + 1;
                result.errorText =
                    QStringLiteral("Načíst lze nejvýše %1 čísel; zbytek od řádku %2 nebyl načten")
                        .arg(MaxRows)
                        .arg(n + 1);
                return result;
            }
            TParcGridRow row;
            const bool fits = columns ? columnLine(line, separator, kind, row)
                                      : listNumber(number.trimmed(), kind, row);
            if (!fits) {
                result.errorLine = n + 1;
                return result;
            }
            result.rows.append(row);
        }
    }
    return result;
}
