#include "db/paradox/ParadoxCsv.h"

#include <charconv>
#include <cmath>

namespace ParadoxCsv {

QByteArray formatDouble(double value)
{
    if (value == 0)
        return QByteArrayLiteral("0"); // also for -0
    if (std::isfinite(value) && std::trunc(value) == value && std::fabs(value) < 1e17)
        return QByteArray::number(qint64(value));
    char buffer[64];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, r.ptr - buffer);
}

void appendQuoted(QByteArray& line, const QByteArray& cell)
{
    const bool quote =
        cell.contains(',') || cell.contains('"') || cell.contains('\n') || cell.contains('\r');
    if (!quote) {
        line += cell;
        return;
    }
    line += '"';
    for (char c : cell) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

QByteArray cellText(ParadoxFieldType type, const ParadoxRecord& record, int field)
{
    if (record.isBlank(field))
        return {};
    switch (type) {
    case ParadoxFieldType::Alpha:
    case ParadoxFieldType::Memo: {
        QByteArray text;
        record.toUtf8(field, text);
        return text;
    }
    case ParadoxFieldType::Short:
    case ParadoxFieldType::Long:
    case ParadoxFieldType::AutoIncrement:
        return QByteArray::number(record.toInt64(field));
    case ParadoxFieldType::Number:
    case ParadoxFieldType::Currency:
        return formatDouble(record.toDouble(field));
    case ParadoxFieldType::Bcd:
        return record.toBcdText(field).toLatin1();
    case ParadoxFieldType::Logical:
        return record.toBool(field) ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
    case ParadoxFieldType::Date:
        return record.toDate(field).toString(Qt::ISODate).toLatin1();
    case ParadoxFieldType::Time: {
        const QTime time = record.toTime(field);
        return time
            .toString(time.msec() ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss"))
            .toLatin1();
    }
    case ParadoxFieldType::Timestamp:
        return record.toDateTime(field).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1();
    default:
        return record.toBytes(field).toHex();
    }
}

QByteArray headerLine(const ParadoxHeader& header)
{
    QByteArray line;
    for (int i = 0; i < header.fields.size(); ++i) {
        if (i)
            line += ',';
        appendQuoted(line, header.fields[i].name.toUtf8());
    }
    line += "\r\n";
    return line;
}

void recordLine(const ParadoxHeader& header, const ParadoxRecord& record, QByteArray& line)
{
    line.clear();
    for (int i = 0; i < header.fields.size(); ++i) {
        if (i)
            line += ',';
        appendQuoted(line, cellText(header.fields[i].type, record, i));
    }
    // A one-column record with a blank cell would be an empty line, which
    // CSV readers skip: quote the empty text so that the record counts.
    if (line.isEmpty())
        line = QByteArrayLiteral("\"\"");
    line += "\r\n";
}

} // namespace ParadoxCsv
