#include "import/VfkReader.h"
#include "base/ETalvekException.h"
#include "db/paradox/CodePage.h"
#include "import/VfkLineSource.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>

namespace {

// ISO 8859-2: the code page of the older exchange files.
constexpr int Iso88592 = 28592;
// Messages quote at most this many characters of the offending text.
constexpr qsizetype MaxQuoted = 80;
// Replaced characters are named one text at a time up to this count per file,
// then only counted.
constexpr int MaxCharacterWarnings = 20;

// The text as a message quotes it: at most MaxQuoted characters.
QString quoted(QStringView text)
{
    if (text.size() <= MaxQuoted)
        return text.toString();
    qsizetype n = MaxQuoted - 1;
    if (text[n - 1].isHighSurrogate())
        --n;
    return text.left(n).toString() + QChar(0x2026);
}

// The nearest text code page 1250 holds for a character it lacks: the letter
// without its accents ("ñ" -> "n"), else its compatibility form ("ﬁ" -> "fi"),
// else "?".
QString nearestCp1250(char32_t character, const CodePage& cp1250)
{
    const QString text = QString::fromUcs4(&character, 1);
    for (const auto form : {QString::NormalizationForm_D, QString::NormalizationForm_KD}) {
        QString base;
        for (const QChar c : text.normalized(form))
            if (c.category() != QChar::Mark_NonSpacing)
                base.append(c);
        QByteArray bytes;
        if (!base.isEmpty() && cp1250.encode(base, bytes))
            return base;
    }
    return QStringLiteral("?");
}

// The text with every character code page 1250 lacks replaced by its nearest
// (the district's tables are written in that code page); true when any was.
bool fitCp1250(QString& text)
{
    static const CodePage& cp1250 = CodePage::require(1250);
    QByteArray bytes;
    if (cp1250.encode(text, bytes))
        return false;
    QString fitted;
    fitted.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        fitted += cp1250.encode(one, bytes) ? one : nearestCp1250(c, cp1250);
    }
    text = std::move(fitted);
    return true;
}

enum class Encoding
{
    Iso88592,
    Windows1250,
    Utf8
};

// The progress is reported after every so many lines: often enough that a
// cancel takes effect at once, seldom enough to cost nothing.
constexpr int ProgressLines = 4096;

class Parser
{
public:
    Parser(const QByteArray& bytes, const QString& path, const VfkReader::Selection& only)
        : m_lines(bytes, path), m_path(path), m_only(only)
    {
    }
    Parser(QIODevice* device, const QString& path, const VfkReader::Selection& only,
           const VfkReader::Progress& progress)
        : m_lines(device, path), m_path(path), m_only(only), m_progress(progress)
    {
    }
    VfkFile run();

private:
    [[noreturn]] void fail(const QString& what) const;
    void checkBytes(QByteArrayView raw, qsizetype recordBytes) const;
    QString decode(QByteArrayView raw) const;
    void fitText(QString& value);
    QStringList split(const QString& line) const;
    void header(const QString& line);
    void define(const QString& line);
    void addRow(const QString& line);
    void select(VfkBlock& block);
    bool skipped(QByteArrayView raw);
    void checkNumbers(const VfkBlock& block, const QStringList& values) const;

    VfkLineSource m_lines;
    QString m_path;
    const VfkReader::Selection& m_only;
    VfkReader::Progress m_progress;
    // Of a block whose columns are selected: the kept columns' positions in
    // its rows and how many fields a row has.
    QHash<QString, QList<int>> m_kept;
    QHash<QString, int> m_fieldCount;
    VfkFile m_file;
    Encoding m_encoding = Encoding::Iso88592;
    int m_line = 0;
    int m_fitted = 0; // texts with characters replaced for code page 1250
    // The block of the last row line seen and whether its rows are skipped.
    QByteArray m_lastName;
    bool m_lastSkipped = false;
};

void Parser::fail(const QString& what) const
{
    throw ETalvekException(VfkLineSource::lineError(m_path, m_line, what));
}

// A line and the record it belongs to (with its continuations) stay within
// VfkLineSource::MaxRecordBytes; a NUL byte would cut the text where the tables store it.
void Parser::checkBytes(QByteArrayView raw, qsizetype recordBytes) const
{
    if (raw.size() > VfkLineSource::MaxRecordBytes || recordBytes > VfkLineSource::MaxRecordBytes)
        fail(QStringLiteral("řádek je delší než 1 MB; takový řádek soubor VFK nemá."));
    const qsizetype nul = raw.indexOf('\0');
    if (nul >= 0)
        fail(QStringLiteral("řádek obsahuje nulový bajt (znak %1); soubor je poškozený.")
                 .arg(nul + 1));
}

QString Parser::decode(QByteArrayView raw) const
{
    switch (m_encoding) {
    case Encoding::Utf8:
        // Invalid UTF-8 is refused rather than replaced: it means a damaged
        // file or one whose code page is misdeclared, and then every accented
        // letter of the district would be a guess.
        if (!raw.isValidUtf8())
            fail(QStringLiteral("řádek není platný text UTF-8, jak uvádí &HCODEPAGE; soubor je "
                                "poškozený nebo má jinou kódovou stránku."));
        return QString::fromUtf8(raw);
    case Encoding::Windows1250:
        return CodePage::require(1250).decode(raw.data(), raw.size());
    case Encoding::Iso88592:
        break;
    }
    return CodePage::require(Iso88592).decode(raw.data(), raw.size());
}

// A character the district's code page lacks would fail the whole import
// when the tables are written; the clerk needs the rest of the district, so
// it becomes its nearest letter and the text is named in a warning.
void Parser::fitText(QString& value)
{
    const QString original = value;
    if (!fitCp1250(value))
        return;
    if (++m_fitted <= MaxCharacterWarnings)
        m_file.warnings.append(VfkLineSource::lineError(
            m_path, m_line,
            QStringLiteral("text „%1“ má znaky mimo kódovou stránku 1250, zapsán jako „%2“.")
                .arg(quoted(original), quoted(value))));
}

// Fields are separated by ';'; a text in double quotes ends at a quote that
// is followed by ';' or by the end of the line. Inside it a doubled quote is
// one quote ("""text""" is "text"); a single quote that does not end the text
// stays as it is.
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
            bool doubled = false;
            while (true) {
                end = line.indexOf(QLatin1Char('"'), end);
                if (end < 0)
                    fail(QStringLiteral("text v uvozovkách nemá konec."));
                if (end + 1 < n && line[end + 1] == QLatin1Char('"')) {
                    doubled = true;
                    end += 2;
                    continue;
                }
                if (end + 1 == n || line[end + 1] == QLatin1Char(';'))
                    break;
                ++end;
            }
            QString value = line.mid(i + 1, end - i - 1);
            if (doubled)
                value.replace(QLatin1String("\"\""), QLatin1String("\""));
            fields.append(std::move(value));
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
                     .arg(quoted(value)));
    } else if (name == QLatin1String("ZMENY") && value.trimmed() == QLatin1String("1")) {
        fail(QStringLiteral("soubor obsahuje jen změny (&HZMENY;1); import potřebuje úplný stav "
                            "katastrálního území."));
    }
}

void Parser::define(const QString& line)
{
    m_lastName.clear(); // whether a block's rows are skipped depends on its definition
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
                     .arg(quoted(column), quoted(block.name)));
        block.columns.append(column.left(space));
        block.types.append(type[0]);
    }
    select(block);
    // A repeated definition (several parts of one file) keeps the rows read so far.
    VfkBlock& existing = m_file.blocks[block.name];
    if (!existing.columns.isEmpty() && existing.columns != block.columns)
        fail(
            QStringLiteral("blok %1 je definován znovu s jinými sloupci.").arg(quoted(block.name)));
    if (existing.columns.isEmpty())
        existing = std::move(block);
}

// Narrows a selected block to the columns asked for (in the file's order);
// a column the file lacks stays missing, for the reader of the block to
// refuse.
void Parser::select(VfkBlock& block)
{
    const auto wanted = m_only.constFind(block.name);
    // A block the selection skips keeps its definition, but every column
    // counts as unread: a lookup in it is a mistake of the selection.
    if (wanted == m_only.cend() && !m_only.isEmpty() && !m_only.contains(QStringLiteral("*")))
        block.unread = block.columns;
    if (wanted == m_only.cend() || wanted->isEmpty())
        return;
    QList<int> kept;
    QStringList columns;
    QString types;
    for (int c = 0; c < block.columns.size(); ++c)
        if (wanted->contains(block.columns[c])) {
            kept.append(c);
            columns.append(block.columns[c]);
            types.append(block.types[c]);
        } else {
            block.unread.append(block.columns[c]);
        }
    m_fieldCount.insert(block.name, int(block.columns.size()));
    m_kept.insert(block.name, kept);
    block.columns = columns;
    block.types = types;
}

// A row of a block outside the selection is passed over before it is
// decoded, with the lines that continue it.
bool Parser::skipped(QByteArrayView raw)
{
    if (m_only.isEmpty() || raw.size() < 3 || raw[1] != 'D')
        return false;
    const qsizetype semi = raw.indexOf(';');
    const QByteArrayView name = raw.sliced(2, (semi < 0 ? raw.size() : semi) - 2);
    // Rows of one block follow one another: the answer for the last name
    // read is kept (most lines of a file are rows that are skipped).
    if (name != m_lastName) {
        const QString block = QString::fromLatin1(name);
        m_lastName = name.toByteArray();
        m_lastSkipped = !m_only.contains(block) && !m_only.contains(QStringLiteral("*")) &&
                        m_file.blocks.contains(block);
    }
    if (!m_lastSkipped)
        return false; // read, or refused as a row without its definition
    const QByteArrayView continuation =
        m_encoding == Encoding::Utf8 ? QByteArrayView("\xC2\xA4") : QByteArrayView("\xA4");
    while (raw.endsWith(continuation) && !m_lines.atEnd()) {
        ++m_line;
        raw = m_lines.nextLine(m_line);
    }
    return true;
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
                     .arg(quoted(values[c]), quoted(block.columns[c]), quoted(block.name)));
}

void Parser::addRow(const QString& line)
{
    const qsizetype semi = line.indexOf(QLatin1Char(';'));
    const QString name = line.mid(2, semi < 0 ? -1 : semi - 2);
    auto it = m_file.blocks.find(name);
    if (it == m_file.blocks.end() || it->columns.isEmpty())
        fail(QStringLiteral("řádek bloku %1 bez jeho definice &B.").arg(quoted(name)));
    QStringList values = split(line);
    const int fields = m_fieldCount.value(name, int(it->columns.size()));
    if (values.size() != fields)
        fail(QStringLiteral("řádek bloku %1 má %2 polí, definice &B jich má %3.")
                 .arg(quoted(name))
                 .arg(values.size())
                 .arg(fields));
    if (const auto kept = m_kept.constFind(name); kept != m_kept.cend()) {
        QStringList selected;
        selected.reserve(kept->size());
        for (const int c : *kept)
            selected.append(std::move(values[c]));
        values = std::move(selected);
    }
    checkNumbers(*it, values);
    for (int c = 0; c < values.size(); ++c) {
        if (it->types[c] != QLatin1Char('T') || values[c].isEmpty())
            continue;
        // Only a UTF-8 file can hold UTF-8 read as ISO 8859-2 and written again.
        if (m_encoding == Encoding::Utf8) {
            bool repaired = false;
            values[c] = VfkReader::repairDoubleEncoding(values[c], &repaired);
            m_file.repairedTexts += repaired ? 1 : 0;
        }
        fitText(values[c]);
    }
    it->rows.append(values);
    it->origins.append({0, m_line});
}

VfkFile Parser::run()
{
    m_file.path = m_path;
    const QChar continuation(0x00A4); // '¤'
    // A byte-order mark says UTF-8 until the header names the code page.
    if (m_lines.skipByteOrderMark())
        m_encoding = Encoding::Utf8;
    bool ended = false;
    while (!ended && !m_lines.atEnd()) {
        ++m_line;
        if (m_progress && m_line % ProgressLines == 0)
            m_progress(m_lines.bytesRead());
        const int startLine = m_line;
        const QByteArrayView raw = m_lines.nextLine(m_line);
        if (raw.isEmpty())
            continue;
        if (skipped(raw))
            continue;
        checkBytes(raw, raw.size());
        if (raw.size() < 2 || raw[0] != '&')
            fail(QStringLiteral("nejde o soubor VFK: řádek nezačíná &H, &B, &D ani &K."));
        const char kind = raw[1];
        QString line = decode(raw);
        // A value continued on the next line: join with a line break.
        qsizetype recordBytes = raw.size();
        while (line.endsWith(continuation) && !m_lines.atEnd()) {
            line.chop(1);
            ++m_line;
            const QByteArrayView next = m_lines.nextLine(m_line);
            recordBytes += next.size();
            checkBytes(next, recordBytes);
            line += QLatin1Char('\n') + decode(next);
        }
        const int lastLine = m_line;
        m_line = startLine;
        switch (kind) {
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
    if (m_fitted > MaxCharacterWarnings)
        m_file.warnings.append(
            QStringLiteral("Soubor %1: dalších %2 textů má znaky mimo kódovou stránku 1250, "
                           "zapsány nejbližšími písmeny.")
                .arg(QDir::toNativeSeparators(m_path))
                .arg(m_fitted - MaxCharacterWarnings));
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

VfkFile VfkReader::parse(const QByteArray& bytes, const QString& path, const Selection& only)
{
    return Parser(bytes, path, only).run();
}

VfkFile VfkReader::readFile(const QString& path, const Selection& only, const Progress& progress)
{
    QFile file;
    VfkLineSource::openRegular(file, path);
    // Read chunk by chunk: memory holds what is kept of the file, not the file.
    return Parser(&file, path, only, progress).run();
}

QString VfkReader::districtName(const QString& path)
{
    // The header and the small code lists are enough: keep only their lines.
    QFile file;
    try {
        VfkLineSource::openRegular(file, path);
    } catch (const ETalvekException&) {
        return QString();
    }
    QByteArray kept;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine(VfkLineSource::MaxRecordBytes);
        if (line.startsWith("&H") || line.startsWith("&BOKRESY;") || line.startsWith("&DOKRESY;"))
            kept += line;
        if (line.startsWith("&DOKRESY;"))
            break;
    }
    kept += "&K\n";
    try {
        const VfkFile vfk = parse(kept, path);
        const VfkBlock block = vfk.blocks.value(QStringLiteral("OKRESY"));
        return block.rows.isEmpty() ? QString()
                                    : block.value(0, block.column(QStringLiteral("NAZEV")));
    } catch (const ETalvekException&) {
        return QString();
    }
}
