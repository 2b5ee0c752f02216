#include "db/SqlTranslator.h"

#include "base/ETalvekException.h"
#include "db/CzechCollation.h"
#include "db/SqliteDatabase.h"

#include <QFileInfo>

#include <algorithm>

namespace {

bool isReservedAfterTable(const SqlToken& t)
{
    static const char* const words[] = {
        "WHERE",  "LEFT",  "RIGHT",  "INNER", "OUTER",   "JOIN",  "ON",   "ORDER",  "GROUP", "SET",
        "VALUES", "UNION", "HAVING", "CROSS", "NATURAL", "LIMIT", "FULL", "SELECT", "FROM",  "AS"};
    for (const char* w : words)
        if (t.isWord(w))
            return true;
    return false;
}

bool endsFromList(const SqlToken& t)
{
    static const char* const words[] = {"WHERE", "ON",  "GROUP",  "ORDER", "HAVING",
                                        "UNION", "SET", "VALUES", "LIMIT"};
    for (const char* w : words)
        if (t.isWord(w))
            return true;
    return false;
}

bool isComparison(const SqlToken& t)
{
    return t.isSymbol("=") || t.isSymbol("<>") || t.isSymbol("!=") || t.isSymbol("==");
}

QString sqlLiteral(const QString& text)
{
    QString quoted = text;
    quoted.replace(u'\'', QLatin1String("''"));
    return u'\'' + quoted + u'\'';
}

QString baseName(const QString& fileName)
{
    QString name = fileName;
    name.replace(u'\\', u'/');
    name = name.mid(name.lastIndexOf(u'/') + 1);
    const int dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}

[[noreturn]] void syntaxError(const QString& what)
{
    throw ETalvekException(QStringLiteral("Chyba syntaxe příkazu SQL: %1").arg(what));
}

} // namespace

SqlTranslator::Result SqlTranslator::translate(const QString& sql, const Resolver& resolver)
{
    QList<SqlToken> tokens = SqlTokenizer::tokenize(sql);
    // One statement, at most one ";" after it: SQLite would run the first of
    // several and drop the rest without a word.
    if (!tokens.isEmpty() && tokens.last().isSymbol(";"))
        tokens.removeLast();
    if (std::any_of(tokens.begin(), tokens.end(),
                    [](const SqlToken& t) { return t.isSymbol(";"); }))
        throw ETalvekException(QStringLiteral("Lze provést jen jeden příkaz SQL."));
    if (tokens.isEmpty())
        throw ETalvekException(QStringLiteral("Prázdný příkaz SQL"));
    return SqlTranslator(sql, std::move(tokens), resolver).run();
}

SqlTranslator::SqlTranslator(const QString& source, QList<SqlToken> tokens,
                             const Resolver& resolver)
    : m_source(source), m_t(std::move(tokens)), m_resolver(resolver)
{
}

SqlTranslator::Result SqlTranslator::run()
{
    Result result;
    const SqlToken& first = m_t.first();
    if (first.isWord("SELECT"))
        result.kind = Kind::Select;
    else if (first.isWord("UPDATE"))
        result.kind = Kind::Update;
    else if (first.isWord("DELETE"))
        result.kind = Kind::Delete;
    else if (first.isWord("INSERT"))
        result.kind = Kind::Insert;
    else if (first.isWord("CREATE") && m_t.size() > 1 && m_t[1].isWord("TABLE")) {
        result.kind = Kind::CreateTable;
        parseCreateTable(result);
        return result;
    } else
        throw ETalvekException(QStringLiteral("Nepodporovaný příkaz SQL '%1'").arg(first.text));

    findTableRefs();
    if (m_refs.isEmpty())
        syntaxError(QStringLiteral("chybí název tabulky"));
    if (result.kind == Kind::Select)
        addSelectAliases();
    addOrderCollations();
    result.sql = emitRange(0, int(m_t.size()));
    result.tablePaths = m_paths;
    result.equalityColumns = equalityColumns();
    if (result.kind != Kind::Select)
        result.targetPath = m_paths.first();
    else
        detectLive(result);
    return result;
}

void SqlTranslator::findTableRefs()
{
    QList<bool> fromList{false};
    for (int i = 0; i < m_t.size();) {
        const SqlToken& t = m_t[i];
        bool refFollows = false;
        if (t.isSymbol("(")) {
            fromList.append(false);
        } else if (t.isSymbol(")")) {
            if (fromList.size() > 1)
                fromList.removeLast();
        } else if (t.isWord("FROM") || t.isWord("JOIN") || t.isWord("UPDATE") || t.isWord("INTO")) {
            refFollows = true;
            fromList.last() = t.isWord("FROM");
        } else if (t.isSymbol(",") && fromList.last()) {
            refFollows = true;
        } else if (t.kind == SqlToken::Word && endsFromList(t)) {
            fromList.last() = false;
        }
        ++i;
        if (refFollows && i < m_t.size())
            i += tableRefAt(i);
    }
}

int SqlTranslator::tableRefAt(int i)
{
    const SqlToken& t = m_t[i];
    QString fileName;
    int used = 1;
    if (t.kind == SqlToken::QuotedName) {
        fileName = t.text;
    } else if (t.kind == SqlToken::Word && !isReservedAfterTable(t)) {
        fileName = t.text;
        if (i + 2 < m_t.size() && m_t[i + 1].isSymbol(".") &&
            (m_t[i + 2].isWord("DB") || m_t[i + 2].isWord("DBF"))) {
            fileName += u'.' + m_t[i + 2].text;
            used = 3;
        }
    } else {
        return 0;
    }
    const TableInfo info = m_resolver(fileName);
    if (!m_paths.contains(info.path))
        m_paths.append(info.path);
    for (const FieldDef& f : info.fields)
        if (f.type == FieldType::Boolean)
            m_logicalColumns.insert(f.name.toUpper());

    TableRef ref{i, used, SqliteDatabase::quoteIdentifier(info.sqlName), QString()};
    const int next = i + used;
    const bool selecting = m_t.first().isWord("SELECT");
    if (next < m_t.size() && m_t[next].isWord("AS") && next + 1 < m_t.size()) {
        ref.alias = m_t[next + 1].text;
    } else if (next < m_t.size() &&
               ((m_t[next].kind == SqlToken::Word && !isReservedAfterTable(m_t[next])) ||
                m_t[next].kind == SqlToken::QuotedName)) {
        ref.alias = m_t[next].text;
    } else if (selecting) {
        // Without a correlation name the file's base name qualifies columns.
        ref.alias = baseName(fileName);
        bool taken = false;
        for (const TableRef& other : m_refs)
            taken = taken || other.alias.compare(ref.alias, Qt::CaseInsensitive) == 0;
        if (!taken)
            ref.replacement += QStringLiteral(" AS ") + SqliteDatabase::quoteIdentifier(ref.alias);
    }
    m_refs.append(ref);
    return used;
}

QStringList SqlTranslator::equalityColumns() const
{
    QStringList columns;
    for (int i = 0; i + 2 < m_t.size(); ++i) {
        const SqlToken& column = m_t[i];
        const SqlToken& value = m_t[i + 2];
        if ((column.kind == SqlToken::Word || column.kind == SqlToken::QuotedName) &&
            m_t[i + 1].isSymbol("=") &&
            (value.kind == SqlToken::Number || value.kind == SqlToken::String ||
             value.kind == SqlToken::Parameter) &&
            !isIdentifierString(i + 2) && !m_logicalColumns.contains(column.text.toUpper()) &&
            !columns.contains(column.text, Qt::CaseInsensitive))
            columns.append(column.text);
    }
    return columns;
}

void SqlTranslator::addOrderCollations()
{
    for (int i = 0; i + 1 < m_t.size(); ++i)
        if (m_t[i].isWord("ORDER") && m_t[i + 1].isWord("BY"))
            collateOrderTerms(i + 2);
}

void SqlTranslator::collateOrderTerms(int from)
{
    int depth = 0;
    int termStart = from;
    for (int k = from; k <= m_t.size(); ++k) {
        const bool atEnd = k == m_t.size();
        if (!atEnd && m_t[k].isSymbol("("))
            ++depth;
        else if (!atEnd && m_t[k].isSymbol(")"))
            --depth;
        const bool stops = atEnd || depth < 0 ||
                           (depth == 0 && (m_t[k].isWord("LIMIT") || m_t[k].isWord("OFFSET") ||
                                           m_t[k].isWord("UNION") || m_t[k].isWord("EXCEPT") ||
                                           m_t[k].isWord("INTERSECT")));
        if (stops || (depth == 0 && m_t[k].isSymbol(","))) {
            collateOrderTerm(termStart, k);
            termStart = k + 1;
        }
        if (stops)
            return;
    }
}

void SqlTranslator::collateOrderTerm(int from, int to)
{
    // Text sorts in Czech alphabetical order. Numbers compare as numbers
    // whatever the collation, and a column number with a collation still
    // names the column, so every term gets it.
    int last = to - 1;
    while (last >= from &&
           (m_t[last].isWord("ASC") || m_t[last].isWord("DESC") || m_t[last].isWord("NULLS") ||
            m_t[last].isWord("FIRST") || m_t[last].isWord("LAST")))
        --last;
    if (last < from)
        return;
    for (int k = from; k <= last; ++k)
        if (m_t[k].isWord("COLLATE"))
            return;
    m_aliasAfter[last] += QStringLiteral(" COLLATE ") + QLatin1String(CzechCollation::sqlName);
}

void SqlTranslator::addSelectAliases()
{
    int i = 1;
    if (i < m_t.size() && (m_t[i].isWord("DISTINCT") || m_t[i].isWord("ALL")))
        ++i;
    int depth = 0;
    int itemStart = i;
    bool hasSum = false;
    bool hasAs = false;
    for (; i <= m_t.size(); ++i) {
        const bool atEnd = i == m_t.size();
        if (!atEnd && m_t[i].isSymbol("("))
            ++depth;
        else if (!atEnd && m_t[i].isSymbol(")"))
            --depth;
        const bool itemEnds =
            atEnd || (depth == 0 && (m_t[i].isSymbol(",") || m_t[i].isWord("FROM")));
        if (itemEnds) {
            const int last = i - 1;
            const bool bareAlias = last - itemStart >= 1 && m_t[last].kind == SqlToken::Word &&
                                   m_t[last - 1].isSymbol(")");
            if (hasSum && !hasAs && !bareAlias && last >= itemStart) {
                const QString text =
                    m_source.mid(m_t[itemStart].start, m_t[last].end - m_t[itemStart].start);
                m_aliasAfter[last] = QStringLiteral(" AS ") + SqliteDatabase::quoteIdentifier(text);
            }
            if (atEnd || m_t[i].isWord("FROM"))
                return;
            itemStart = i + 1;
            hasSum = hasAs = false;
            continue;
        }
        // Expressions keep their text as written as the column name.
        if (m_t[i].isSymbol("("))
            hasSum = true;
        if (depth == 0 && m_t[i].isWord("AS"))
            hasAs = true;
    }
}

QString SqlTranslator::emitRange(int from, int to)
{
    QStringList out;
    QList<int> sumDepths;
    int depth = 0;
    for (int i = from; i < to;) {
        const int tokenIndex = i;
        out.append(emitToken(i, sumDepths, depth));
        const int lastConsumed = i - 1;
        for (int k = tokenIndex; k <= lastConsumed; ++k)
            if (m_aliasAfter.contains(k))
                out.last() += m_aliasAfter.value(k);
    }
    return out.join(u' ');
}

QString SqlTranslator::emitToken(int& i, QList<int>& sumDepths, int& depth)
{
    for (const TableRef& ref : std::as_const(m_refs)) {
        if (ref.first == i) {
            i += ref.count;
            return ref.replacement;
        }
    }
    const SqlToken& t = m_t[i];
    const bool callFollows = i + 1 < m_t.size() && m_t[i + 1].isSymbol("(");
    ++i;
    switch (t.kind) {
    case SqlToken::Symbol:
        if (t.text == QLatin1String("(")) {
            ++depth;
            return t.text;
        }
        if (t.text == QLatin1String(")")) {
            const bool closesSum = !sumDepths.isEmpty() && sumDepths.last() == depth;
            --depth;
            if (closesSum) {
                sumDepths.removeLast();
                return QStringLiteral("),0)");
            }
        }
        return t.text;
    case SqlToken::Word:
        if (t.isWord("SUM") && callFollows) {
            sumDepths.append(depth + 1);
            return QStringLiteral("COALESCE(SUM");
        }
        if (t.isWord("TRUE") && !callFollows)
            return QStringLiteral("1");
        if (t.isWord("FALSE") && !callFollows)
            return QStringLiteral("0");
        return t.text;
    case SqlToken::String:
        if (isIdentifierString(i - 1))
            return SqliteDatabase::quoteIdentifier(t.text);
        if ((t.text.compare(QLatin1String("T"), Qt::CaseInsensitive) == 0 ||
             t.text.compare(QLatin1String("F"), Qt::CaseInsensitive) == 0) &&
            isLogicalComparison(i - 1))
            return t.text.toUpper() == QLatin1String("T") ? QStringLiteral("1")
                                                          : QStringLiteral("0");
        return sqlLiteral(t.text);
    case SqlToken::QuotedName:
        return SqliteDatabase::quoteIdentifier(t.text);
    default:
        return t.text;
    }
}

bool SqlTranslator::isIdentifierString(int i) const
{
    const auto nameLike = [this](int k) {
        return k >= 0 && k < m_t.size() &&
               (m_t[k].kind == SqlToken::String || m_t[k].kind == SqlToken::Word ||
                m_t[k].kind == SqlToken::QuotedName);
    };
    const bool dotAfter = i + 2 < m_t.size() && m_t[i + 1].isSymbol(".") && nameLike(i + 2);
    const bool dotBefore = i >= 2 && m_t[i - 1].isSymbol(".") && nameLike(i - 2);
    return dotAfter || dotBefore;
}

bool SqlTranslator::isLogicalColumnAt(int i) const
{
    if (i < 0 || i >= m_t.size())
        return false;
    const SqlToken& t = m_t[i];
    if (t.kind != SqlToken::Word && t.kind != SqlToken::QuotedName && t.kind != SqlToken::String)
        return false;
    return m_logicalColumns.contains(t.text.toUpper());
}

bool SqlTranslator::isLogicalComparison(int i) const
{
    if (i >= 2 && isComparison(m_t[i - 1]) && isLogicalColumnAt(i - 2))
        return true;
    if (i + 2 < m_t.size() && isComparison(m_t[i + 1])) {
        const int column = (i + 4 < m_t.size() && m_t[i + 3].isSymbol(".")) ? i + 4 : i + 2;
        return isLogicalColumnAt(column);
    }
    return false;
}

void SqlTranslator::detectLive(Result& result)
{
    if (m_refs.size() != 1 || m_t.size() < 4 || !m_t[1].isSymbol("*") || !m_t[2].isWord("FROM") ||
        m_refs.first().first != 3)
        return;
    const TableRef& ref = m_refs.first();
    int j = ref.first + ref.count;
    if (j < m_t.size() && m_t[j].isWord("AS"))
        j += 2;
    else if (j < m_t.size() && !isReservedAfterTable(m_t[j]))
        ++j;
    int orderAt = int(m_t.size());
    int depth = 0;
    for (int k = j; k < m_t.size(); ++k) {
        if (m_t[k].isSymbol("("))
            ++depth;
        else if (m_t[k].isSymbol(")"))
            --depth;
        else if (depth == 0 &&
                 (m_t[k].isWord("GROUP") || m_t[k].isWord("HAVING") || m_t[k].isWord("UNION") ||
                  m_t[k].isWord("LIMIT") || m_t[k].isWord("JOIN")))
            return;
        else if (depth == 0 && m_t[k].isWord("ORDER") && orderAt == m_t.size())
            orderAt = k;
    }
    if (j < m_t.size() && !m_t[j].isWord("WHERE") && j != orderAt)
        return;
    if (orderAt < m_t.size() && !(orderAt + 1 < m_t.size() && m_t[orderAt + 1].isWord("BY")))
        return;
    result.live = true;
    result.liveAlias = ref.alias;
    if (j < m_t.size() && m_t[j].isWord("WHERE"))
        result.liveWhere = emitRange(j + 1, orderAt);
    if (orderAt < m_t.size())
        result.liveOrder = emitRange(orderAt + 2, int(m_t.size()));
}

void SqlTranslator::parseCreateTable(Result& result)
{
    int i = 2;
    if (i >= m_t.size())
        syntaxError(QStringLiteral("chybí název tabulky"));
    result.createFileName = m_t[i].text;
    ++i;
    if (m_t[i - 1].kind == SqlToken::Word && i + 1 < m_t.size() && m_t[i].isSymbol(".")) {
        result.createFileName += u'.' + m_t[i + 1].text;
        i += 2;
    }
    if (i >= m_t.size() || !m_t[i].isSymbol("("))
        syntaxError(QStringLiteral("za názvem tabulky chybí '('"));
    ++i;
    QStringList keyFields;
    while (true) {
        if (i + 1 < m_t.size() && m_t[i].isWord("PRIMARY") && m_t[i + 1].isWord("KEY")) {
            i += 2;
            if (i >= m_t.size() || !m_t[i].isSymbol("("))
                syntaxError(QStringLiteral("PRIMARY KEY bez seznamu položek"));
            for (++i; i < m_t.size() && !m_t[i].isSymbol(")"); ++i)
                if (!m_t[i].isSymbol(","))
                    keyFields.append(m_t[i].text);
            ++i;
        } else {
            result.createFields.append(parseColumn(i));
        }
        if (i >= m_t.size())
            syntaxError(QStringLiteral("chybí ')'"));
        if (m_t[i].isSymbol(")"))
            break;
        if (!m_t[i].isSymbol(","))
            syntaxError(QStringLiteral("neočekávané '%1'").arg(m_t[i].text));
        ++i;
    }
    if (i + 1 != m_t.size())
        syntaxError(QStringLiteral("text za definicí tabulky"));
    for (int k = 0; k < keyFields.size(); ++k)
        if (k >= result.createFields.size() ||
            result.createFields[k].name.compare(keyFields[k], Qt::CaseInsensitive) != 0)
            throw ETalvekException(
                QStringLiteral("Primární klíč musí tvořit první položky tabulky"));
    result.createKeyFieldCount = int(keyFields.size());
}

FieldDef SqlTranslator::parseColumn(int& i)
{
    if (i + 1 >= m_t.size())
        syntaxError(QStringLiteral("neúplná definice položky"));
    FieldDef field;
    field.name = m_t[i].text;
    const QString type = m_t[i + 1].text.toUpper();
    i += 2;
    QList<int> sizes;
    if (i < m_t.size() && m_t[i].isSymbol("(")) {
        for (++i; i < m_t.size() && !m_t[i].isSymbol(")"); ++i)
            if (m_t[i].kind == SqlToken::Number)
                sizes.append(m_t[i].text.toInt());
        ++i;
    }
    if (i + 1 < m_t.size() && m_t[i].isWord("NOT") && m_t[i + 1].isWord("NULL")) {
        field.required = true;
        i += 2;
    }
    field.size = sizes.value(0);
    field.decimals = sizes.value(1);
    static const QStringList strings{"CHAR", "VARCHAR", "CHARACTER", "ALPHA"};
    static const QStringList floats{"NUMERIC", "DECIMAL", "NUMBER", "FLOAT", "DOUBLE", "REAL"};
    if (strings.contains(type)) {
        field.type = FieldType::String;
        if (field.size <= 0 || field.size > 255)
            syntaxError(QStringLiteral("položka %1: délka musí být 1 až 255").arg(field.name));
    } else if (floats.contains(type))
        field.type = FieldType::Float;
    else if (type == QLatin1String("MONEY"))
        field.type = FieldType::Currency;
    else if (type == QLatin1String("SMALLINT") || type == QLatin1String("SHORT"))
        field.type = FieldType::SmallInt;
    else if (type == QLatin1String("INTEGER") || type == QLatin1String("INT") ||
             type == QLatin1String("LONG"))
        field.type = FieldType::Integer;
    else if (type == QLatin1String("BOOLEAN") || type == QLatin1String("LOGICAL"))
        field.type = FieldType::Boolean;
    else if (type == QLatin1String("DATE"))
        field.type = FieldType::Date;
    else if (type == QLatin1String("MEMO") || type == QLatin1String("BLOB"))
        field.type = FieldType::Memo;
    else
        syntaxError(QStringLiteral("neznámý typ '%1' položky %2").arg(type, field.name));
    return field;
}
