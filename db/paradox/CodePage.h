#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <memory>

// One single-byte code page (437, 850, 852, 866, 1250, 1252, 28592 = ISO 8859-2,
// 1051 = HP Roman-8) with precomputed tables for both directions and for UTF-8
// output.
class CodePage
{
public:
    // The code page with this number, or nullptr when ORV has no table for it.
    static const CodePage* find(int number);
    // Like find(), but throws ETalvekException naming the code page.
    static const CodePage& require(int number);

    int number() const { return m_number; }
    QChar toUnicode(unsigned char byte) const { return QChar(m_toUnicode[byte]); }
    QString decode(const char* data, qsizetype length) const;
    // Replaces `out` with the UTF-8 form of the bytes (reuses its capacity).
    void decodeToUtf8(const char* data, qsizetype length, QByteArray& out) const;
    // Encodes `text`; returns false and the position of the first character
    // the code page cannot represent in `badPosition`.
    bool encode(QStringView text, QByteArray& out, qsizetype* badPosition = nullptr) const;
    // Encodes into `out` of `capacity` bytes; returns the byte count, or
    // EncodeUnmappable (with `badPosition`) or EncodeTooLong.
    static constexpr qsizetype EncodeUnmappable = -1;
    static constexpr qsizetype EncodeTooLong = -2;
    qsizetype encodeTo(QStringView text, char* out, qsizetype capacity,
                       qsizetype* badPosition = nullptr) const;

private:
    CodePage(int number, const char16_t* toUnicode);

    int m_number;
    const char16_t* m_toUnicode;
    std::array<std::array<char, 4>, 256> m_utf8{};  // [0] = length, then bytes
    std::unique_ptr<unsigned char[]> m_fromUnicode; // 65536 entries, 0 = none
};
