#include "settings/RegDocument.h"

#include <QStringDecoder>

namespace {
const QString kHeader4 = QStringLiteral("REGEDIT4");
const QString kHeader5 = QStringLiteral("Windows Registry Editor Version 5.00");
constexpr int kHexLineWidth = 76;

bool decodeText(const QByteArray& bytes, QString& text)
{
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder utf16(QStringDecoder::Utf16LE);
        text = utf16(bytes.mid(2));
        return !utf16.hasError();
    }
    if (bytes.contains('\0'))
        return false; // binary garbage, not a text file
    QStringDecoder utf8(QStringDecoder::Utf8);
    text = utf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
    return !utf8.hasError();
}

// Joins lines ending with a backslash outside quotes (hex values wrapped by
// regedit) with the line that follows.
QStringList logicalLines(const QString& text, QList<int>& lineNumbers, bool& danglingJoin)
{
    const QStringList raw = text.split(QLatin1Char('\n'));
    QStringList lines;
    QString pending;
    int pendingStart = 0;
    bool joining = false;
    for (int i = 0; i < raw.size(); ++i) {
        QString line = raw[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (joining)
            line = line.trimmed();
        else
            pendingStart = i + 1;
        const bool continues =
            line.endsWith(QLatin1Char('\\')) && line.contains(QLatin1String("=hex"));
        const bool continuesJoin = joining && line.endsWith(QLatin1Char('\\'));
        if (continues || continuesJoin) {
            line.chop(1);
            pending += line;
            joining = true;
            continue;
        }
        lines << pending + line;
        lineNumbers << pendingStart;
        pending.clear();
        joining = false;
    }
    danglingJoin = joining;
    return lines;
}

// Reads a quoted string starting at text[pos] == '"'; moves pos past it.
bool readQuoted(const QString& text, int& pos, QString& out)
{
    out.clear();
    for (++pos; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        if (c == QLatin1Char('"')) {
            ++pos;
            return true;
        }
        if (c == QLatin1Char('\\')) {
            if (++pos >= text.size())
                return false;
            out += text[pos];
            continue;
        }
        out += c;
    }
    return false;
}

bool parseHexBytes(const QString& text, QByteArray& out)
{
    out.clear();
    if (text.trimmed().isEmpty())
        return true;
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QString digits = part.trimmed();
        bool ok = false;
        const uint byte = digits.toUInt(&ok, 16);
        if (!ok || digits.size() > 2)
            return false;
        out.append(char(byte));
    }
    return true;
}

bool parseValueData(const QString& data, RegValue& value)
{
    if (data.startsWith(QLatin1Char('"'))) {
        int pos = 0;
        QString text;
        if (!readQuoted(data, pos, text) || !data.mid(pos).trimmed().isEmpty())
            return false;
        value = RegValue::fromString(text);
        return true;
    }
    if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        const QString digits = data.mid(6).trimmed();
        bool ok = false;
        const uint number = digits.toUInt(&ok, 16);
        if (!ok || digits.isEmpty() || digits.size() > 8)
            return false;
        value = RegValue::fromDWord(number);
        return true;
    }
    quint32 type = RegValue::Binary;
    QString rest;
    if (data.startsWith(QLatin1String("hex:"), Qt::CaseInsensitive)) {
        rest = data.mid(4);
    } else if (data.startsWith(QLatin1String("hex("), Qt::CaseInsensitive)) {
        const int close = data.indexOf(QLatin1String("):"));
        bool ok = false;
        type = data.mid(4, close - 4).toUInt(&ok, 16);
        if (close < 0 || !ok)
            return false;
        rest = data.mid(close + 2);
    } else {
        return false;
    }
    QByteArray bytes;
    if (!parseHexBytes(rest, bytes))
        return false;
    if (type == RegValue::String || type == RegValue::ExpandString) {
        // UTF-16LE text with a terminating zero, as written for texts that
        // hold line breaks or other control characters.
        if (bytes.size() % 2 != 0)
            return false;
        // Taken character for character: a leading U+FEFF or U+FFFE is text,
        // not a byte-order mark.
        QString text(bytes.size() / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i)
            text[i] = QChar(char16_t(quint8(bytes[2 * i]) | quint8(bytes[2 * i + 1]) << 8));
        if (text.endsWith(QChar(0)))
            text.chop(1); // the terminating zero

        value = RegValue::fromString(text);
        value.type = type;
        return true;
    }
    if (type == RegValue::DWord && bytes.size() == 4) {
        value = RegValue::fromDWord(quint8(bytes[0]) | quint8(bytes[1]) << 8 |
                                    quint8(bytes[2]) << 16 | quint32(quint8(bytes[3])) << 24);
        return true;
    }
    value = RegValue::fromBinary(bytes, type);
    return true;
}

QString quoted(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}

// Texts that the quoted form can't carry through the UTF-8 file unchanged:
// control characters (line breaks), byte-order marks and non-characters that
// text decoders drop or swap, and halves of surrogate pairs.
bool needsHexForm(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20 || c == 0xFEFF || c == 0xFFFE || c == 0xFFFF)
            return true;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i;
            continue;
        }
        if (QChar::isSurrogate(c))
            return true;
    }
    return false;
}

QString hexData(const QString& prefix, const QByteArray& bytes)
{
    QString out = prefix;
    int lineLength = out.size();
    for (int i = 0; i < bytes.size(); ++i) {
        const QString byte = QStringLiteral("%1").arg(quint8(bytes[i]), 2, 16, QLatin1Char('0'));
        out += byte;
        lineLength += 2;
        if (i + 1 < bytes.size()) {
            out += QLatin1Char(',');
            ++lineLength;
            if (lineLength >= kHexLineWidth) {
                out += QStringLiteral("\\\n  ");
                lineLength = 2;
            }
        }
    }
    return out;
}

QString serializeValue(const RegValue& v)
{
    switch (v.type) {
    case RegValue::DWord:
        return QStringLiteral("dword:%1").arg(v.dword, 8, 16, QLatin1Char('0'));
    case RegValue::String:
    case RegValue::ExpandString: {
        if (v.type == RegValue::String && !needsHexForm(v.text))
            return quoted(v.text);
        QString withZero = v.text + QChar(0);
        const QByteArray utf16(reinterpret_cast<const char*>(withZero.utf16()),
                               withZero.size() * 2);
        return hexData(QStringLiteral("hex(%1):").arg(v.type), utf16);
    }
    case RegValue::Binary:
        return hexData(QStringLiteral("hex:"), v.bytes);
    default:
        return hexData(QStringLiteral("hex(%1):").arg(v.type, 0, 16), v.bytes);
    }
}

} // namespace

QString RegDocument::normalizedKey(const QString& key)
{
    // Most paths are normal already: no empty parts, no blanks around them.
    bool normal = !key.isEmpty() && !key.startsWith(QLatin1Char('\\')) &&
                  !key.endsWith(QLatin1Char('\\')) && !key.contains(QLatin1String("\\\\"));
    for (qsizetype i = 0; normal && i < key.size(); ++i) {
        if (key[i] != QLatin1Char('\\'))
            continue;
        normal = !key[i - 1].isSpace() && !key[i + 1].isSpace();
    }
    if (normal && !key.front().isSpace() && !key.back().isSpace())
        return key;
    QStringList parts = key.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (QString& part : parts)
        part = part.trimmed();
    parts.removeAll(QString());
    return parts.join(QLatin1Char('\\'));
}

bool RegDocument::parse(const QByteArray& bytes, RegDocument& out, QString& error)
{
    out = RegDocument();
    QString text;
    if (!decodeText(bytes, text)) {
        error = QStringLiteral("soubor není textový");
        return false;
    }
    QList<int> numbers;
    bool dangling = false;
    const QStringList lines = logicalLines(text, numbers, dangling);
    if (dangling) {
        error = QStringLiteral("soubor končí uprostřed hodnoty");
        return false;
    }
    bool headerSeen = false;
    Key* current = nullptr;
    bool currentDeleted = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const auto fail = [&](const QString& what) {
            error = QStringLiteral("řádek %1: %2").arg(numbers[i]).arg(what);
            return false;
        };
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (!headerSeen) {
            if (line != kHeader4 && line != kHeader5)
                return fail(QStringLiteral("chybí záhlaví REGEDIT4"));
            headerSeen = true;
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')))
                return fail(QStringLiteral("neukončený název klíče"));
            QString path = line.mid(1, line.size() - 2);
            currentDeleted = path.startsWith(QLatin1Char('-'));
            if (currentDeleted)
                path = path.mid(1);
            path = normalizedKey(path);
            if (!path.startsWith(QLatin1String("HKEY_"), Qt::CaseInsensitive))
                return fail(QStringLiteral("neplatný název klíče"));
            if (currentDeleted) {
                out.removeKey(path);
                current = nullptr;
            } else {
                current = &out.keyForWriting(path);
            }
            continue;
        }
        if (!current) {
            return fail(currentDeleted ? QStringLiteral("hodnota v odstraněném klíči")
                                       : QStringLiteral("hodnota mimo klíč"));
        }
        QString name;
        int pos = 0;
        if (line.startsWith(QLatin1Char('@'))) {
            pos = 1;
        } else if (!line.startsWith(QLatin1Char('"')) || !readQuoted(line, pos, name)) {
            return fail(QStringLiteral("neplatný název hodnoty"));
        }
        const QString rest = line.mid(pos).trimmed();
        if (!rest.startsWith(QLatin1Char('=')))
            return fail(QStringLiteral("chybí znak ="));
        const QString data = rest.mid(1).trimmed();
        if (data == QLatin1String("-")) {
            removeEntry(*current, name);
            continue;
        }
        RegValue value;
        if (!parseValueData(data, value))
            return fail(QStringLiteral("neplatná hodnota „%1“").arg(name));
        setEntry(*current, name, value);
    }
    if (!headerSeen && !text.trimmed().isEmpty()) {
        error = QStringLiteral("chybí záhlaví REGEDIT4");
        return false;
    }
    return true;
}

QByteArray RegDocument::serialize() const
{
    QString out = kHeader4 + QStringLiteral("\n\n");
    for (const Key& key : m_keys) {
        if (key.removed)
            continue;
        out += QLatin1Char('[') + key.path + QStringLiteral("]\n");
        for (const Entry& e : key.entries) {
            if (e.removed)
                continue;
            out += e.name.isEmpty() ? QStringLiteral("@") : quoted(e.name);
            out += QLatin1Char('=') + serializeValue(e.value) + QLatin1Char('\n');
        }
        out += QLatin1Char('\n');
    }
    return out.toUtf8();
}

const RegDocument::Key* RegDocument::findKey(const QString& key) const
{
    const auto it = m_keyIndex.constFind(normalizedKey(key).toCaseFolded());
    return it == m_keyIndex.constEnd() ? nullptr : &m_keys[it.value()];
}

RegDocument::Key& RegDocument::keyForWriting(const QString& key)
{
    const QString path = normalizedKey(key);
    const QString folded = path.toCaseFolded();
    const auto it = m_keyIndex.constFind(folded);
    if (it != m_keyIndex.constEnd())
        return m_keys[it.value()];
    m_keyIndex.insert(folded, m_keys.size());
    m_keys.append(Key{path, {}, {}});
    return m_keys.last();
}

bool RegDocument::hasKey(const QString& key) const
{
    return findKey(key) != nullptr;
}

void RegDocument::ensureKey(const QString& key)
{
    keyForWriting(key);
}

void RegDocument::removeKey(const QString& key)
{
    const QString folded = normalizedKey(key).toCaseFolded();
    const QString below = folded + QLatin1Char('\\');
    const auto drop = [this](QMap<QString, qsizetype>::iterator it) {
        m_keys[it.value()] = Key{};
        m_keys[it.value()].removed = true;
        ++m_removedKeys;
        return m_keyIndex.erase(it);
    };
    if (const auto exact = m_keyIndex.find(folded); exact != m_keyIndex.end())
        drop(exact);
    for (auto it = m_keyIndex.lowerBound(below);
         it != m_keyIndex.end() && it.key().startsWith(below);)
        it = drop(it);
    // Gaps are squeezed out once they are half of the list: each removal
    // costs O(1) on average.
    if (m_removedKeys > 16 && m_removedKeys * 2 > m_keys.size())
        compactKeys();
}

void RegDocument::compactKeys()
{
    m_keys.removeIf([](const Key& k) { return k.removed; });
    m_removedKeys = 0;
    m_keyIndex.clear();
    for (qsizetype i = 0; i < m_keys.size(); ++i)
        m_keyIndex.insert(m_keys[i].path.toCaseFolded(), i);
}

qsizetype RegDocument::Key::find(const QString& folded) const
{
    if (entries.size() >= IndexFrom)
        return byName.value(folded, -1);
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (!entries[i].removed && entries[i].folded == folded)
            return i;
    return -1;
}

void RegDocument::Key::add(Entry entry)
{
    entries.append(std::move(entry));
    if (entries.size() > IndexFrom)
        byName.insert(entries.last().folded, entries.size() - 1);
    else if (entries.size() == IndexFrom)
        compact(); // builds the hash
}

void RegDocument::Key::compact()
{
    entries.removeIf([](const Entry& e) { return e.removed; });
    removedEntries = 0;
    byName.clear();
    if (entries.size() >= IndexFrom)
        for (qsizetype n = 0; n < entries.size(); ++n)
            byName.insert(entries[n].folded, n);
}

const RegValue* RegDocument::value(const QString& key, const QString& name) const
{
    const Key* k = findKey(key);
    if (!k)
        return nullptr;
    const qsizetype i = k->find(name.toCaseFolded());
    return i < 0 ? nullptr : &k->entries[i].value;
}

QStringList RegDocument::valueNames(const QString& key) const
{
    QStringList names;
    if (const Key* k = findKey(key))
        for (const Entry& e : k->entries)
            if (!e.removed)
                names << e.name;
    return names;
}

void RegDocument::setValue(const QString& key, const QString& name, const RegValue& value)
{
    setEntry(keyForWriting(key), name, value);
}

void RegDocument::setEntry(Key& k, const QString& name, const RegValue& value)
{
    QString folded = name.toCaseFolded();
    const qsizetype i = k.find(folded);
    if (i >= 0) {
        k.entries[i].value = value;
        return;
    }
    k.add(Entry{name, std::move(folded), value});
}

bool RegDocument::removeValue(const QString& key, const QString& name)
{
    const Key* found = findKey(key);
    return found && removeEntry(const_cast<Key&>(*found), name);
}

bool RegDocument::removeEntry(Key& k, const QString& name)
{
    const QString folded = name.toCaseFolded();
    const qsizetype i = k.find(folded);
    if (i < 0)
        return false;
    k.entries[i] = Entry{};
    k.entries[i].removed = true;
    k.byName.remove(folded);
    ++k.removedEntries;
    // As for keys: the gaps go once they are half of the values.
    if (k.removedEntries > 16 && k.removedEntries * 2 > k.entries.size())
        k.compact();
    return true;
}
