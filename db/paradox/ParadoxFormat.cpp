#include "db/paradox/ParadoxFormat.h"

#include <algorithm>

namespace ParadoxFormat {

namespace {
struct TypeInfo
{
    ParadoxFieldType type;
    quint8 code;
    int fixedSize;
    const char* name;
};
constexpr TypeInfo typeInfos[] = {
    {ParadoxFieldType::Alpha, CodeAlpha, 0, "Alpha"},
    {ParadoxFieldType::Date, CodeDate, 4, "Date"},
    {ParadoxFieldType::Short, CodeShort, 2, "Short"},
    {ParadoxFieldType::Long, CodeLong, 4, "Long"},
    {ParadoxFieldType::Currency, CodeCurrency, 8, "Currency"},
    {ParadoxFieldType::Number, CodeNumber, 8, "Number"},
    {ParadoxFieldType::Logical, CodeLogical, 1, "Logical"},
    {ParadoxFieldType::Memo, CodeMemo, 0, "Memo"},
    {ParadoxFieldType::BinaryBlob, CodeBlob, 0, "Blob"},
    {ParadoxFieldType::FormattedMemo, CodeFormattedMemo, 0, "FormattedMemo"},
    {ParadoxFieldType::Ole, CodeOle, 0, "Ole"},
    {ParadoxFieldType::Graphic, CodeGraphic, 0, "Graphic"},
    {ParadoxFieldType::Time, CodeTime, 4, "Time"},
    {ParadoxFieldType::Timestamp, CodeTimestamp, 8, "Timestamp"},
    {ParadoxFieldType::AutoIncrement, CodeAutoIncrement, 4, "AutoIncrement"},
    {ParadoxFieldType::Bcd, CodeBcd, 17, "Bcd"},
    {ParadoxFieldType::Bytes, CodeBytes, 0, "Bytes"},
};

const TypeInfo& info(ParadoxFieldType type)
{
    for (const TypeInfo& i : typeInfos) {
        if (i.type == type)
            return i;
    }
    return typeInfos[0];
}
} // namespace

quint8 typeCode(ParadoxFieldType type)
{
    return info(type).code;
}

bool typeFromCode(int code, ParadoxFieldType* type)
{
    for (const TypeInfo& i : typeInfos) {
        if (i.code == code) {
            *type = i.type;
            return true;
        }
    }
    return false;
}

int fixedSize(ParadoxFieldType type)
{
    return info(type).fixedSize;
}

bool isBlob(ParadoxFieldType type)
{
    switch (type) {
    case ParadoxFieldType::Memo:
    case ParadoxFieldType::BinaryBlob:
    case ParadoxFieldType::FormattedMemo:
    case ParadoxFieldType::Ole:
    case ParadoxFieldType::Graphic:
        return true;
    default:
        return false;
    }
}

bool validStoredSize(ParadoxFieldType type, int storedSize)
{
    if (type == ParadoxFieldType::Bcd)
        return storedSize >= 0 && storedSize <= 32;
    if (isBlob(type))
        return storedSize >= 10 && storedSize <= 250;
    const int fixed = fixedSize(type);
    if (fixed)
        return storedSize == fixed;
    return storedSize >= 1 && storedSize <= 255;
}

qint64 declaredFileSize(const QByteArray& file)
{
    if (file.size() < CommonHeaderEnd)
        return CommonHeaderEnd;
    const char* d = file.constData();
    const int blockCode = quint8(d[BlockSizeCode]);
    const qint64 blocks = blockCode >= 1 && blockCode <= 32 ? le16(d + FileBlocks) : 0;
    return std::max<qint64>(le16(d + HeaderSize), CommonHeaderEnd) + blocks * blockCode * 1024;
}

} // namespace ParadoxFormat

QString paradoxFieldTypeName(ParadoxFieldType type)
{
    return QString::fromLatin1(ParadoxFormat::info(type).name);
}

int paradoxFieldStorageSize(const ParadoxField& field)
{
    const int fixed = ParadoxFormat::fixedSize(field.type);
    return fixed ? fixed : field.size;
}
