#include "db/CzechCollation.h"

#include <QByteArray>
#include <QChar>
#include <QVarLengthArray>
#include <array>
#include <cstring>

namespace {

// Sort weights of one character (or of the letter CH). Primary weights:
// control and space < punctuation and symbols < digits < letters < other
// scripts (by code point).
struct Weight
{
    quint32 primary = 0;
    quint8 secondary = 0; // 0 no accent, then acute, caron, ring, diaeresis, others
    quint8 tertiary = 0;  // 0 lower case, 1 upper case
};

constexpr quint32 spaceWeight = 0x10;
constexpr quint32 symbolBase = 0x100;
constexpr quint32 digitBase = 0x200;
constexpr quint32 letterBase = 0x300;
constexpr quint32 otherBase = 0x1000;
constexpr char32_t tableSize = 0x180; // Latin-1 and Latin Extended-A

// The Czech alphabet's primary letters; CH follows H.
constexpr const char16_t* alphabet = u"abc\u010Ddefgh\x01ijklmnopqr\u0159s\u0161tuvwxyz\u017E";
constexpr char16_t chSlot = 0x01;

int alphabetIndex(char16_t lower)
{
    for (int i = 0; alphabet[i]; ++i)
        if (alphabet[i] == lower)
            return i;
    return -1;
}

quint8 accentWeight(char16_t mark)
{
    switch (mark) {
    case 0x0301:
        return 1; // acute
    case 0x030C:
        return 2; // caron
    case 0x030A:
        return 3; // ring
    case 0x0308:
        return 4; // diaeresis
    default:
        return quint8(5 + (mark & 0x3F));
    }
}

Weight computeWeight(char32_t c)
{
    Weight w;
    const QChar ch{char16_t(c)};
    if (ch.isSpace() || c < 0x20) {
        w.primary = spaceWeight + (c < 0x20 ? c : 0);
        return w;
    }
    if (c >= '0' && c <= '9') {
        w.primary = digitBase + (c - '0');
        return w;
    }
    if (!ch.isLetter()) {
        w.primary = symbolBase + quint32(c & 0xFF);
        return w;
    }
    w.tertiary = ch.isUpper() ? 1 : 0;
    const char16_t lower = ch.toLower().unicode();
    int index = alphabetIndex(lower);
    if (index < 0) {
        const QString decomposed = QChar(lower).decomposition();
        if (decomposed.size() == 2 && QChar::decompositionTag(lower) == QChar::Canonical) {
            index = alphabetIndex(decomposed[0].unicode());
            w.secondary = accentWeight(decomposed[1].unicode());
        }
    }
    w.primary = index >= 0 ? letterBase + quint32(index) : otherBase + quint32(lower);
    return w;
}

const std::array<Weight, tableSize>& latinWeights()
{
    static const std::array<Weight, tableSize> table = [] {
        std::array<Weight, tableSize> t{};
        for (char32_t c = 0; c < tableSize; ++c)
            t[c] = computeWeight(c);
        return t;
    }();
    return table;
}

// Decodes one UTF-8 character; a malformed byte stands for itself.
char32_t nextChar(const unsigned char*& p, const unsigned char* end)
{
    const unsigned char b = *p++;
    if (b < 0x80)
        return b;
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (extra == 0 || end - p < extra)
        return b;
    char32_t c = b & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return b;
        c = (c << 6) | (p[i] & 0x3F);
    }
    p += extra;
    return c;
}

using Weights = QVarLengthArray<Weight, 64>;

void weightsOf(const char* text, int length, Weights& out)
{
    const auto& table = latinWeights();
    const Weight chUpper{letterBase + quint32(alphabetIndex(chSlot)), 0, 1};
    const Weight chLower{letterBase + quint32(alphabetIndex(chSlot)), 0, 0};
    auto p = reinterpret_cast<const unsigned char*>(text);
    const auto* end = p + length;
    while (p < end) {
        const char32_t c = nextChar(p, end);
        if ((c == 'c' || c == 'C') && p < end && (*p == 'h' || *p == 'H')) {
            ++p;
            out.append(c == 'C' ? chUpper : chLower);
            continue;
        }
        if (c < tableSize)
            out.append(table[c]);
        else if (c < 0x10000)
            out.append(computeWeight(c));
        else
            out.append(Weight{otherBase + quint32(c), 0, 0});
    }
}

template <typename Field> int compareLevel(const Weights& a, const Weights& b, Field field)
{
    const qsizetype n = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const auto x = field(a[i]);
        const auto y = field(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

int CzechCollation::compareUtf8(const char* a, int lengthA, const char* b, int lengthB)
{
    Weights wa;
    Weights wb;
    weightsOf(a, lengthA, wa);
    weightsOf(b, lengthB, wb);
    if (int r = compareLevel(wa, wb, [](const Weight& w) { return w.primary; }))
        return r;
    if (int r = compareLevel(wa, wb, [](const Weight& w) { return w.secondary; }))
        return r;
    if (int r = compareLevel(wa, wb, [](const Weight& w) { return w.tertiary; }))
        return r;
    const int r = std::memcmp(a, b, size_t(qMin(lengthA, lengthB)));
    if (r != 0)
        return r < 0 ? -1 : 1;
    return lengthA == lengthB ? 0 : (lengthA < lengthB ? -1 : 1);
}

int CzechCollation::compare(const QString& a, const QString& b)
{
    const QByteArray ua = a.toUtf8();
    const QByteArray ub = b.toUtf8();
    return compareUtf8(ua.constData(), int(ua.size()), ub.constData(), int(ub.size()));
}
