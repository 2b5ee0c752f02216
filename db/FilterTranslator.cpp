#include "db/FilterTranslator.h"

#include "base/ETalvekException.h"
#include "db/SqliteDatabase.h"

QString FilterTranslator::translate(const QString& filter, const QList<FieldDef>& fields,
                                    QVariantMap& params, const QString& paramPrefix)
{
    if (filter.trimmed().isEmpty())
        return QString();
    FilterTranslator t(filter, fields, params, paramPrefix);
    const QString sql = t.orExpression();
    if (t.m_i != t.m_t.size())
        t.fail(QStringLiteral("neočekávané '%1'").arg(t.m_t[t.m_i].text));
    return sql;
}

FilterTranslator::FilterTranslator(const QString& filter, const QList<FieldDef>& fields,
                                   QVariantMap& params, const QString& prefix)
    : m_filter(filter), m_t(SqlTokenizer::tokenize(filter)), m_fields(fields), m_params(params),
      m_prefix(prefix)
{
}

const SqlToken* FilterTranslator::peek() const
{
    return m_i < m_t.size() ? &m_t[m_i] : nullptr;
}

void FilterTranslator::fail(const QString& what) const
{
    throw ETalvekException(QStringLiteral("Chybný filtr '%1': %2").arg(m_filter, what));
}

QString FilterTranslator::orExpression()
{
    QString sql = andExpression();
    while (peek() && peek()->isWord("OR")) {
        ++m_i;
        sql = QStringLiteral("(%1 OR %2)").arg(sql, andExpression());
    }
    return sql;
}

QString FilterTranslator::andExpression()
{
    QString sql = factor();
    while (peek() && peek()->isWord("AND")) {
        ++m_i;
        sql = QStringLiteral("(%1 AND %2)").arg(sql, factor());
    }
    return sql;
}

QString FilterTranslator::factor()
{
    if (!peek())
        fail(QStringLiteral("neúplná podmínka"));
    if (peek()->isWord("NOT")) {
        ++m_i;
        return QStringLiteral("NOT ") + factor();
    }
    if (peek()->isSymbol("(")) {
        ++m_i;
        const QString inner = orExpression();
        if (!peek() || !peek()->isSymbol(")"))
            fail(QStringLiteral("chybí ')'"));
        ++m_i;
        return u'(' + inner + u')';
    }
    return comparison();
}

QString FilterTranslator::comparison()
{
    const SqlToken& name = m_t[m_i];
    if (name.kind != SqlToken::Word && name.kind != SqlToken::QuotedName)
        fail(QStringLiteral("očekávána položka místo '%1'").arg(name.text));
    const int fieldIndex = FieldTypes::indexOf(m_fields, name.text);
    if (fieldIndex < 0)
        fail(QStringLiteral("neznámá položka '%1'").arg(name.text));
    const FieldDef& field = m_fields[fieldIndex];
    const QString column = SqliteDatabase::quoteIdentifier(field.name);
    ++m_i;
    static const QStringList ops{"=", "<>", "!=", "<", "<=", ">", ">="};
    if (!peek() || peek()->kind != SqlToken::Symbol || !ops.contains(peek()->text)) {
        if (field.type != FieldType::Boolean)
            fail(QStringLiteral("u položky '%1' chybí porovnání").arg(field.name));
        return column + QStringLiteral(" = 1");
    }
    QString op = m_t[m_i++].text;
    if (op == QLatin1String("!="))
        op = QStringLiteral("<>");
    const bool isString = peek() && peek()->kind == SqlToken::String;
    const QVariant value = parseValue(field);
    if (isString && field.type != FieldType::Boolean) {
        QString text = value.toString();
        if ((op == QLatin1String("=") || op == QLatin1String("<>")) && text.endsWith(u'*')) {
            text.chop(1);
            const QString match = QStringLiteral("coalesce(substr(%1,1,%2),'') = %3")
                                      .arg(column)
                                      .arg(text.size())
                                      .arg(bindValue(text));
            const QString notNull = column + QStringLiteral(" IS NOT NULL AND ");
            return op == QLatin1String("=") ? u'(' + notNull + match + u')'
                                            : QStringLiteral("NOT (") + notNull + match + u')';
        }
        if (text.isEmpty() && op == QLatin1String("="))
            return QStringLiteral("(%1 IS NULL OR %1 = '')").arg(column);
        if (text.isEmpty() && op == QLatin1String("<>"))
            return QStringLiteral("(%1 IS NOT NULL AND %1 <> '')").arg(column);
    }
    return QStringLiteral("%1 %2 %3").arg(column, op, bindValue(value));
}

QVariant FilterTranslator::parseValue(const FieldDef& field)
{
    if (!peek())
        fail(QStringLiteral("chybí hodnota"));
    const SqlToken& t = m_t[m_i++];
    const bool logical = field.type == FieldType::Boolean;
    if (t.isWord("TRUE") || (logical && t.kind == SqlToken::String && t.text.toUpper() == "T"))
        return QVariant(qint64(1));
    if (t.isWord("FALSE") || (logical && t.kind == SqlToken::String && t.text.toUpper() == "F"))
        return QVariant(qint64(0));
    if (t.kind == SqlToken::String)
        return QVariant(t.text);
    bool negative = false;
    const SqlToken* number = &t;
    if (t.isSymbol("-") && peek() && peek()->kind == SqlToken::Number) {
        negative = true;
        number = &m_t[m_i++];
    }
    if (number->kind != SqlToken::Number)
        fail(QStringLiteral("chybná hodnota '%1'").arg(t.text));
    bool ok = false;
    const qint64 n = number->text.toLongLong(&ok);
    if (ok)
        return QVariant(negative ? -n : n);
    const double d = number->text.toDouble(&ok);
    if (!ok)
        fail(QStringLiteral("chybné číslo '%1'").arg(number->text));
    return QVariant(negative ? -d : d);
}

QString FilterTranslator::bindValue(const QVariant& value)
{
    const QString name = QStringLiteral(":%1%2").arg(m_prefix).arg(m_params.size());
    m_params.insert(name, value);
    return name;
}
