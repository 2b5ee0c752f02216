#include "db/SqlTokenizer.h"

#include "base/ETalvekException.h"

bool SqlToken::isWord(const char* keyword) const
{
    return kind == Word && text.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

bool SqlToken::isSymbol(const char* symbol) const
{
    return kind == Symbol && text == QLatin1String(symbol);
}

QList<SqlToken> SqlTokenizer::tokenize(const QString& text)
{
    return SqlTokenizer(text).run();
}

QString SqlTokenizer::quoteString(const QString& text)
{
    QString quoted = text;
    quoted.replace(u'\'', QLatin1String("''"));
    return u'\'' + quoted + u'\'';
}

namespace {
bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_';
}
bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'#';
}
} // namespace

bool SqlTokenizer::skipSpaceAndComments()
{
    const int before = m_pos;
    while (m_pos < m_text.size()) {
        const QChar c = m_text[m_pos];
        if (c.isSpace() || c.unicode() < 32) {
            ++m_pos;
        } else if (c == u'-' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == u'-') {
            while (m_pos < m_text.size() && m_text[m_pos] != u'\n')
                ++m_pos;
        } else {
            break;
        }
    }
    return m_pos > before;
}

QList<SqlToken> SqlTokenizer::run()
{
    QList<SqlToken> tokens;
    while (true) {
        const bool space = skipSpaceAndComments();
        if (m_pos >= m_text.size())
            break;
        const QChar c = m_text[m_pos];
        const int start = m_pos;
        SqlToken token;
        if (c == u'\'' || c == u'"')
            token = quoted(c);
        else if (c.isDigit() ||
                 (c == u'.' && m_pos + 1 < m_text.size() && m_text[m_pos + 1].isDigit() &&
                  (tokens.isEmpty() || tokens.last().kind == SqlToken::Symbol)))
            token = number();
        else if (isWordStart(c))
            token = word();
        else if ((c == u':' && m_pos + 1 < m_text.size() && isWordStart(m_text[m_pos + 1])) ||
                 c == u'?') {
            ++m_pos;
            while (c == u':' && m_pos < m_text.size() && isWordChar(m_text[m_pos]))
                ++m_pos;
            token.kind = SqlToken::Parameter;
            token.text = m_text.mid(start, m_pos - start);
        } else
            token = symbol();
        token.start = start;
        token.end = m_pos;
        token.spaceBefore = space;
        tokens.append(token);
    }
    return tokens;
}

SqlToken SqlTokenizer::quoted(QChar quote)
{
    SqlToken token;
    token.kind = quote == u'\'' ? SqlToken::String : SqlToken::QuotedName;
    const int start = m_pos++;
    while (true) {
        if (m_pos >= m_text.size())
            throw ETalvekException(
                QStringLiteral("Neukončený řetězec v příkazu SQL od pozice %1").arg(start + 1));
        const QChar c = m_text[m_pos++];
        if (c == quote) {
            if (m_pos < m_text.size() && m_text[m_pos] == quote) {
                token.text += quote;
                ++m_pos;
                continue;
            }
            return token;
        }
        token.text += c;
    }
}

SqlToken SqlTokenizer::number()
{
    SqlToken token;
    token.kind = SqlToken::Number;
    const int start = m_pos;
    while (m_pos < m_text.size() && (m_text[m_pos].isDigit() || m_text[m_pos] == u'.'))
        ++m_pos;
    if (m_pos < m_text.size() && (m_text[m_pos] == u'e' || m_text[m_pos] == u'E')) {
        int p = m_pos + 1;
        if (p < m_text.size() && (m_text[p] == u'+' || m_text[p] == u'-'))
            ++p;
        if (p < m_text.size() && m_text[p].isDigit()) {
            m_pos = p;
            while (m_pos < m_text.size() && m_text[m_pos].isDigit())
                ++m_pos;
        }
    }
    token.text = m_text.mid(start, m_pos - start);
    return token;
}

SqlToken SqlTokenizer::word()
{
    SqlToken token;
    token.kind = SqlToken::Word;
    const int start = m_pos;
    while (m_pos < m_text.size() && isWordChar(m_text[m_pos]))
        ++m_pos;
    token.text = m_text.mid(start, m_pos - start);
    return token;
}

SqlToken SqlTokenizer::symbol()
{
    static const char* const twoChar[] = {"<>", "<=", ">=", "!=", "||", "=="};
    SqlToken token;
    token.kind = SqlToken::Symbol;
    const QString two = m_text.mid(m_pos, 2);
    for (const char* s : twoChar) {
        if (two == QLatin1String(s)) {
            token.text = two;
            m_pos += 2;
            return token;
        }
    }
    const QChar c = m_text[m_pos];
    static const QString single = QStringLiteral("(),.;*+-/=<>%\\");
    if (!single.contains(c))
        throw ETalvekException(QStringLiteral("Neočekávaný znak '%1' v příkazu SQL na pozici %2")
                                   .arg(c)
                                   .arg(m_pos + 1));
    token.text = c;
    ++m_pos;
    return token;
}
