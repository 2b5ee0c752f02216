#include "select/core/TParcelImport.h"

#include "base/ETalvekException.h"
#include "data/ParcelNumber.h"
#include "db/paradox/CodePage.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool hasDigit(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
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
    const QString shown = QDir::toNativeSeparators(path);
    // Opened without waiting (a named pipe would block the open until a
    // writer comes) and checked on the open handle, so that what is read is
    // the regular file that was checked.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw ETalvekException(QStringLiteral("Soubor '%1' nelze otevřít: %2")
                                   .arg(shown, QString::fromLocal8Bit(std::strerror(errno))));
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw ETalvekException(QStringLiteral("Soubor '%1' není obyčejný soubor (je to adresář, "
                                              "zařízení nebo roura); čísla z něj nelze načíst")
                                   .arg(shown));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw ETalvekException(
            QStringLiteral("Soubor '%1' nelze otevřít: %2").arg(shown, file.errorString()));
    }
    // The size that counts is the size read: a file may grow while it is read
    // or report a size that is not its length.
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (bytes.size() > MaxFileSize)
        throw ETalvekException(
            QStringLiteral("Soubor '%1' je pro načtení čísel příliš velký (nejvýše %2 MB)")
                .arg(shown)
                .arg(MaxFileSize / (1024 * 1024)));
    if (file.error() != QFileDevice::NoError)
        throw ETalvekException(
            QStringLiteral("Soubor '%1' nelze přečíst: %2").arg(shown, file.errorString()));
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

TParcelImport::Layout TParcelImport::layoutOf(const QString& firstLine, TParcGridModel::Kind kind)
{
    int i = 0;
    while (i < firstLine.size() && layoutCharacter(firstLine[i]))
        ++i;
    // A house number may end in its kind letter ("12P"): that letter belongs
    // to the number, does not separate numbers, and makes the line a list of
    // house numbers ("12P 14" is house 12 of kind P and house 14).
    const bool kindLetter = kind == TParcGridModel::Kind::House && i > 0 && i < firstLine.size() &&
                            firstLine[i].isLetter();
    if (kindLetter)
        ++i;
    Layout layout;
    layout.separator = i < firstLine.size() ? firstLine[i] : QLatin1Char(' ');
    layout.columns =
        !kindLetter && !firstLine.contains(QLatin1Char('/')) &&
        (layout.separator == QLatin1Char(' ') || layout.separator == QLatin1Char('\t'));
    return layout;
}

// A cell that holds digits but is no number ("12P" where a part of the
// municipality stands) would read as empty and lose the number.
bool TParcelImport::hidesNumber(const QString& cell)
{
    return hasDigit(cell) && TParcGridModel::CellValue(cell) == -1 &&
           cell.trimmed() != QStringLiteral("-1");
}

TParcelImport::LineCheck TParcelImport::columnLine(const QString& line, QChar separator,
                                                   TParcGridModel::Kind kind, TParcGridRow& row)
{
    QString rest = line;
    for (int c = 0; c < 3; ++c) {
        const int at = rest.indexOf(separator);
        row[c] = (at < 0 ? rest : rest.left(at)).trimmed();
        rest = at < 0 ? QString() : rest.mid(at + 1).trimmed();
    }
    // Text after the third column is a comment, but not when it holds a number.
    if (hasDigit(rest))
        return {false, rest};
    const bool house = kind == TParcGridModel::Kind::House;
    for (int c = 0; c < (house ? 2 : 3); ++c)
        if (hidesNumber(row[c]))
            return {false, row[c]};
    if (!house)
        return {inRange(row[0], 0, MaxGroup) && inRange(row[1], 0, MaxStem) &&
                    inRange(row[2], 0, MaxSubdivision),
                {}};
    return {inRange(row[0], -1, MaxPart) && inRange(row[1], 0, MaxHouseNumber), {}};
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
    const bool parcels = kind == TParcGridModel::Kind::Parcel;
    // "st. 38" is one number, building parcel 38: joined before the layout is
    // read and the line split, so that its "s" or blank separates nothing.
    const auto joined = [parcels](const QString& line) {
        return parcels ? JoinBuildingParcelMarks(line.trimmed()) : line.trimmed();
    };
    Layout layout = layoutOf(joined(lines.first()), kind);
    if (parcels && HasBuildingParcelMark(lines.first()))
        layout.columns = false; // columns hold bare numbers only
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = joined(lines[n]);
        QStringList numbers{line};
        if (!layout.columns && !line.isEmpty())
            numbers = line.split(layout.separator, Qt::SkipEmptyParts);
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
            LineCheck check{true, {}};
            if (layout.columns)
                check = columnLine(line, layout.separator, kind, row);
            else
                check.fits = listNumber(number.trimmed(), kind, row);
            if (!check.fits) {
                result.errorLine = n + 1;
                if (!check.badCell.isEmpty())
                    result.errorText = QStringLiteral("Chybné číslo „%1“ na řádku %2")
                                           .arg(check.badCell)
                                           .arg(n + 1);
                return result;
            }
            result.rows.append(row);
        }
    }
    return result;
}
