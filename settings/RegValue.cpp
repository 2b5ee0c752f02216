#include "settings/RegValue.h"

RegValue RegValue::fromString(const QString& text)
{
    RegValue v;
    v.type = String;
    v.text = text;
    return v;
}

RegValue RegValue::fromDWord(quint32 value)
{
    RegValue v;
    v.type = DWord;
    v.dword = value;
    return v;
}

RegValue RegValue::fromBinary(const QByteArray& bytes, quint32 type)
{
    RegValue v;
    v.type = type;
    v.bytes = bytes;
    return v;
}
