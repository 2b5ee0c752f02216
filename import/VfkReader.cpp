#include "import/VfkReader.h"
#include "base/ETalvekException.h"
#include "db/paradox/CodePage.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>

namespace {

// ISO 8859-2: the code page of the older exchange files.
constexpr int Iso88592 = 28592;

enum class Encoding
{
    Iso88592,
    Windows1250,
    Utf8
};

class Parser
{
public:
    Parser(const QByteArray& bytes, const QString& path) : m_bytes(bytes), m_path(path) {}
    VfkFile run();

private:
    [[noreturn]] void fail(const QString& what) const;
    QString decode(QByteArrayView raw) const;
    QByteArrayView nextLine(qsizetype& pos) const;
    QStringList split(const QString& line) const;
    void header(const QString& line);
    void define(const QString& line);
    void addRow(const QString& line);
    void checkNumbers(const VfkBlock& block, const QStringList& values) const;

    const QByteArray& m_bytes;
    QString m_path;
    VfkFile m_file;
    Encoding m_encoding = Encoding::Iso88592;
    int m_line = 0;
};

void Parser::fail(const QString& what) const
{
    throw ETalvekException(QStringLiteral("Soubor %1, řádek %2: %3")
                               .arg(QDir::toNativeSeparators(m_path))
                               .arg(m_line)
                               .arg(what));
}

QString Parser::decode(QByteArrayView raw) const
{
    switch (m_encoding) {
    case Encoding::Utf8:
        return QString::fromUtf8(raw);
    case Encoding::Windows1250:
        return CodePage::require(1250).decode(raw.data(), raw.size());
    case Encoding::Iso88592:
        break;
    }
    return CodePage::require(Iso88592).decode(raw.data(), raw.size());
}

// The line from `pos` without its end of line; moves `pos` past it.
QByteArrayView Parser::nextLine(qsizetype& pos) const
{
    qsizetype eol = m_bytes.indexOf('\n', pos);
    if (eol < 0)
        eol = m_bytes.size();
    QByteArrayView line(m_bytes.constData() + pos, eol - pos);
    pos = eol + 1;
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

// Fields are separated by ';'; a text in double quotes ends at a quote that
// is followed by ';' or by the end of the line, so quotes inside stay.
QStringList Parser::split(const QString& line) const
{
    QStringList fields;
    const qsizetype n = line.size();
    qsizetype i = line.indexOf(QLatin1Char(';'));
    if (i < 0)
        return fields;
    ++i;
    while (true) {
        if (i < n && line[i] == QLatin1Char('"')) {
            qsizetype end = i + 1;
            while (true) {
                end = line.indexOf(QLatin1Char('"'), end);
                if (end < 0)
                    fail(QStringLiteral("text v uvozovkách nemá konec."));
                if (end + 1 == n || line[end + 1] == QLatin1Char(';'))
                    break;
                ++end;
            }
            fields.append(line.mid(i + 1, end - i - 1));
            i = end + 1;
        } else {
            qsizetype end = line.indexOf(QLatin1Char(';'), i);
            if (end < 0)
                end = n;
            fields.append(line.mid(i, end - i));
            i = end;
        }
        if (i >= n)
            break;
        ++i; // the ';'
        if (i == n) {
            fields.append(QString());
            break;
        }
    }
    return fields;
}

void Parser::header(const QString& line)
{
    const qsizetype semi = line.indexOf(QLatin1Char(';'));
    const QString name = line.mid(2, semi < 0 ? -1 : semi - 2);
    if (semi < 0)
        return;
    // A header line may define a block of its own (&HKATUZE;KOD N6;...), whose
    // &D rows follow in the header.
    static const QRegularExpression definition(QStringLiteral("^[A-Z0-9_]+ [NTD]"));
    if (definition.match(QStringView(line).mid(semi + 1)).hasMatch()) {
        define(line);
        return;
    }
    const QStringList values = split(line);
    const QString value = values.value(0);
    m_file.header.insert(name, value);
    if (name == QLatin1String("CODEPAGE")) {
        const QString cp = value.toUpper();
        if (cp == QLatin1String("WE8ISO8859P2"))
            m_encoding = Encoding::Iso88592;
        else if (cp == QLatin1String("EE8MSWIN1250"))
            m_encoding = Encoding::Windows1250;
        else if (cp == QLatin1String("UTF-8") || cp == QLatin1String("UTF8") ||
                 cp == QLatin1String("AL32UTF8"))
            m_encoding = Encoding::Utf8;
        else
            fail(QStringLiteral("neznámá kódová stránka „%1“ (známé: WE8ISO8859P2, EE8MSWIN1250, "
                                "UTF-8).")
                     .arg(value));
    } else if (name == QLatin1String("ZMENY") && value.trimmed() == QLatin1String("1")) {
        fail(QStringLiteral("soubor obsahuje jen změny (&HZMENY;1); import potřebuje úplný stav "
                            "katastrálního území."));
    }
}

void Parser::define(const QString& line)
{
    const qsizetype semi = line.indexOf(QLatin1Char(';'));
    if (semi < 3)
        fail(QStringLiteral("definice bloku &B nemá sloupce."));
    VfkBlock block;
    block.name = line.mid(2, semi - 2);
    block.definitionLine = m_line;
    for (const QString& column : line.mid(semi + 1).split(QLatin1Char(';'))) {
        const qsizetype space = column.indexOf(QLatin1Char(' '));
        const QString type = column.mid(space + 1).trimmed();
        if (space <= 0 || type.isEmpty() || !QStringLiteral("NTD").contains(type[0]))
            fail(QStringLiteral("sloupec „%1“ bloku %2 nemá typ N, T ani D.")
                     .arg(column, block.name));
        block.columns.append(column.left(space));
        block.types.append(type[0]);
    }
    // A repeated definition (several parts of one file) keeps the rows read so far.
    VfkBlock& existing = m_file.blocks[block.name];
    if (!existing.columns.isEmpty() && existing.columns != block.columns)
        fail(QStringLiteral("blok %1 je definován znovu s jinými sloupci.").arg(block.name));
    if (existing.columns.isEmpty())
        existing = std::move(block);
}

bool isNumber(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        ++i;
    bool digits = false, point = false;
    for (; i < n; ++i) {
        if (text[i].isDigit())
            digits = true;
        else if (text[i] == QLatin1Char('.') && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

void Parser::checkNumbers(const VfkBlock& block, const QStringList& values) const
{
    for (int c = 0; c < values.size(); ++c)
        if (block.types[c] == QLatin1Char('N') && !values[c].isEmpty() && !isNumber(values[c]))
            fail(QStringLiteral("hodnota „%1“ sloupce %2 bloku %3 není číslo.")
                     .arg(values[c], block.columns[c], block.name));
}

void Parser::addRow(const QString& line)
{
    const qsizetype semi = line.indexOf(QLatin1Char(';'));
    const QString name = line.mid(2, semi < 0 ? -1 : semi - 2);
    auto it = m_file.blocks.find(name);
    if (it == m_file.blocks.end() || it->columns.isEmpty())
        fail(QStringLiteral("řádek bloku %1 bez jeho definice &B.").arg(name));
    QStringList values = split(line);
    if (values.size() != it->columns.size())
        fail(QStringLiteral("řádek bloku %1 má %2 polí, definice &B jich má %3.")
                 .arg(name)
                 .arg(values.size())
                 .arg(it->columns.size()));
    checkNumbers(*it, values);
    for (int c = 0; c < values.size(); ++c) {
        // Only a UTF-8 file can hold UTF-8 read as ISO 8859-2 and written again.
        if (m_encoding != Encoding::Utf8 || it->types[c] != QLatin1Char('T') || values[c].isEmpty())
            continue;
        bool repaired = false;
        values[c] = VfkReader::repairDoubleEncoding(values[c], &repaired);
        m_file.repairedTexts += repaired ? 1 : 0;
    }
    it->rows.append(std::move(values));
    it->origins.append({0, m_line});
}

VfkFile Parser::run()
{
    m_file.path = m_path;
    const QChar continuation(0x00A4); // '¤'
    qsizetype pos = 0;
    const qsizetype size = m_bytes.size();
    bool ended = false;
    while (pos < size && !ended) {
        ++m_line;
        const int startLine = m_line;
        const QByteArrayView raw = nextLine(pos);
        if (raw.isEmpty())
            continue;
        if (raw.size() < 2 || raw[0] != '&')
            fail(QStringLiteral("nejde o soubor VFK: řádek nezačíná &H, &B, &D ani &K."));
        QString line = decode(raw);
        // A value continued on the next line: join with a line break.
        while (line.endsWith(continuation) && pos < size) {
            line.chop(1);
            ++m_line;
            line += QLatin1Char('\n') + decode(nextLine(pos));
        }
        const int lastLine = m_line;
        m_line = startLine;
        switch (raw[1]) {
        case 'H':
            header(line);
            break;
        case 'B':
            define(line);
            break;
        case 'D':
            addRow(line);
            break;
        case 'K':
            ended = true;
            break;
        default:
            fail(QStringLiteral("nejde o soubor VFK: řádek nezačíná &H, &B, &D ani &K."));
        }
        m_line = lastLine;
    }
    if (!ended) {
        ++m_line;
        fail(QStringLiteral("soubor je neúplný, chybí závěrečný řádek &K."));
    }
    return std::move(m_file);
}

} // namespace

QString VfkReader::repairDoubleEncoding(const QString& text, bool* repaired)
{
    if (repaired)
        *repaired = false;
    // Text that is all ASCII, or has a character ISO 8859-2 lacks, was not
    // encoded twice.
    QByteArray bytes;
    if (!CodePage::require(Iso88592).encode(text, bytes))
        return text;
    if (std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return (c & 0x80) == 0; }))
        return text;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString once = utf8.decode(bytes);
    if (utf8.hasError())
        return text;
    if (repaired)
        *repaired = true;
    return once;
}

VfkFile VfkReader::parse(const QByteArray& bytes, const QString& path)
{
    return Parser(bytes, path).run();
}

VfkFile VfkReader::readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ETalvekException(QStringLiteral("Soubor %1 nelze otevřít: %2")
                                   .arg(QDir::toNativeSeparators(path), file.errorString()));
    return parse(file.readAll(), path);
}

QString VfkReader::districtName(const QString& path)
{
    // The header and the small code lists are enough: keep only their lines.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QByteArray kept;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (line.startsWith("&H") || line.startsWith("&BOKRESY;") || line.startsWith("&DOKRESY;"))
            kept += line;
        if (line.startsWith("&DOKRESY;"))
            break;
    }
    kept += "&K\n";
    try {
        const VfkFile vfk = parse(kept, path);
        const VfkBlock block = vfk.blocks.value(QStringLiteral("OKRESY"));
        return block.rows.isEmpty()
                   ? QString()
                   : block.rows.first().value(block.column(QStringLiteral("NAZEV")));
    } catch (const ETalvekException&) {
        return QString();
    }
}
