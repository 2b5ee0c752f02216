#pragma once

#include <QByteArray>
#include <QString>

// One typed value of the registry store. The type numbers are those of the
// registry format: 1 string, 2 expandable string, 3 binary, 4 32-bit number;
// other numbers are kept as raw bytes.
struct RegValue
{
    enum Type : quint32
    {
        String = 1,
        ExpandString = 2,
        Binary = 3,
        DWord = 4
    };

    quint32 type = String;
    QString text;      // String, ExpandString
    quint32 dword = 0; // DWord
    QByteArray bytes;  // Binary and any other type

    static RegValue fromString(const QString& text);
    static RegValue fromDWord(quint32 value);
    static RegValue fromBinary(const QByteArray& bytes, quint32 type = Binary);

    bool isString() const { return type == String || type == ExpandString; }
    bool operator==(const RegValue& other) const = default;
};
