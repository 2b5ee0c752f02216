// orv-tool sql: runs one statement of the program's SQL dialect on an alias
// or a directory. A SELECT prints CSV in the form of "orv-tool dump"; any
// other statement prints the number of rows it changed.
#include "base/ETalvekException.h"
#include "db/Query.h"
#include "db/ValueConvert.h"
#include "db/paradox/ParadoxCsv.h"
#include "tools/ToolCommand.h"

#include <cstdio>

namespace {

QByteArray cellText(const FieldDef& field, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (field.type == FieldType::Boolean)
        return ValueConvert::toBool(value) ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
    if (value.typeId() == QMetaType::LongLong)
        return QByteArray::number(value.toLongLong());
    if (value.typeId() == QMetaType::Double)
        return ParadoxCsv::formatDouble(value.toDouble());
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray().toHex();
    QString text = value.toString();
    if ((field.type == FieldType::Time && text.endsWith(QLatin1String(".000"))) ||
        field.type == FieldType::DateTime)
        text = text.left(text.lastIndexOf(u'.') > 0 ? text.lastIndexOf(u'.') : text.size());
    return text.toUtf8();
}

void printCsv(Query& query)
{
    QByteArray line;
    for (int i = 0; i < query.fieldCount(); ++i) {
        if (i > 0)
            line += ',';
        ParadoxCsv::appendQuoted(line, query.fields()[i].name.toUtf8());
    }
    line += "\r\n";
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    for (int row = 0; row < query.recordCount(); ++row) {
        const QVariantList values = query.rowValues(row);
        line.clear();
        for (int i = 0; i < values.size(); ++i) {
            if (i > 0)
                line += ',';
            ParadoxCsv::appendQuoted(line, cellText(query.fields()[i], values[i]));
        }
        line += "\r\n";
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    }
}

int runSql(const QStringList& args)
{
    if (args.size() != 3 ||
        (args[0] != QLatin1String("--alias") && args[0] != QLatin1String("--dir"))) {
        return toolUsageError(QStringLiteral("sql (--alias NÁZEV | --dir ADRESÁŘ) \"PŘÍKAZ\""));
    }
    Query query;
    query.setDatabaseName(args[0] == QLatin1String("--dir") && !args[1].startsWith(u'/')
                              ? QStringLiteral("./") + args[1]
                              : args[1]);
    query.setSql(args[2]);
    const QString first = args[2].trimmed().section(u' ', 0, 0);
    if (first.compare(QLatin1String("SELECT"), Qt::CaseInsensitive) == 0) {
        query.open();
        printCsv(query);
    } else {
        std::printf("%d\n", query.execSql());
    }
    std::fflush(stdout);
    return 0;
}

} // namespace

static ToolCommandRegistrar reg{
    {"sql",
     "sql (--alias NÁZEV | --dir ADRESÁŘ) \"PŘÍKAZ\"   příkaz SQL programu; SELECT vypíše CSV",
     &runSql}};
