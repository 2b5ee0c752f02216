#include "db/paradox/CodePage.h"

#include "base/ETalvekException.h"
#include "db/paradox/CodePageTables.h"

CodePage::CodePage(int number, const char16_t* toUnicode)
    : m_number(number), m_toUnicode(toUnicode), m_fromUnicode(new unsigned char[65536]())
{
    for (int b = 0; b < 256; ++b) {
        const char16_t u = toUnicode[b];
        std::array<char, 4>& e = m_utf8[b];
        if (u < 0x80) {
            e = {1, char(u), 0, 0};
        } else if (u < 0x800) {
            e = {2, char(0xC0 | (u >> 6)), char(0x80 | (u & 0x3F)), 0};
        } else {
            e[0] = 3;
            e[1] = char(0xE0 | (u >> 12));
            e[2] = char(0x80 | ((u >> 6) & 0x3F));
            e[3] = char(0x80 | (u & 0x3F));
        }
        // The first byte wins when two bytes decode to the same character.
        if (b != 0 && m_fromUnicode[u] == 0)
            m_fromUnicode[u] = static_cast<unsigned char>(b);
    }
}

const CodePage* CodePage::find(int number)
{
    static const CodePage pages[] = {
        {437, CodePageTables::cp437},     {850, CodePageTables::cp850},
        {852, CodePageTables::cp852},     {866, CodePageTables::cp866},
        {1250, CodePageTables::cp1250},   {1252, CodePageTables::cp1252},
        {28592, CodePageTables::cp28592}, {1051, CodePageTables::cp1051},
    };
    for (const CodePage& page : pages) {
        if (page.m_number == number)
            return &page;
    }
    return nullptr;
}

const CodePage& CodePage::require(int number)
{
    const CodePage* page = find(number);
    if (!page)
        throw ETalvekException(QStringLiteral("Kódová stránka %1 není podporována.").arg(number));
    return *page;
}

QString CodePage::decode(const char* data, qsizetype length) const
{
    QString text(length, Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < length; ++i)
        out[i] = QChar(m_toUnicode[static_cast<unsigned char>(data[i])]);
    return text;
}

void CodePage::decodeToUtf8(const char* data, qsizetype length, QByteArray& out) const
{
    out.resize(length * 3);
    char* dst = out.data();
    char* const start = dst;
    for (qsizetype i = 0; i < length; ++i) {
        const std::array<char, 4>& e = m_utf8[static_cast<unsigned char>(data[i])];
        dst[0] = e[1];
        dst[1] = e[2];
        dst[2] = e[3];
        dst += e[0];
    }
    out.resize(dst - start);
}

bool CodePage::encode(QStringView text, QByteArray& out, qsizetype* badPosition) const
{
    out.resize(text.size());
    char* dst = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        const unsigned char b = u == 0 ? 0 : m_fromUnicode[u];
        if (u != 0 && b == 0) {
            if (badPosition)
                *badPosition = i;
            return false;
        }
        dst[i] = static_cast<char>(b);
    }
    return true;
}

qsizetype CodePage::encodeTo(QStringView text, char* out, qsizetype capacity,
                             qsizetype* badPosition) const
{
    if (text.size() > capacity)
        return EncodeTooLong;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        const unsigned char b = u == 0 ? 0 : m_fromUnicode[u];
        if (u != 0 && b == 0) {
            if (badPosition)
                *badPosition = i;
            return EncodeUnmappable;
        }
        out[i] = static_cast<char>(b);
    }
    return text.size();
}
