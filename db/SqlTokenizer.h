#pragma once

#include <QList>
#include <QString>

// One token of the program's SQL or of a filter expression.
struct SqlToken
{
    enum Kind
    {
        Word,       // identifier or keyword, as written
        Number,     // 12, 1.5, 1E010
        String,     // 'text' -> value without quotes, '' unescaped
        QuotedName, // "NYSPA001.DB" -> value without quotes
        Parameter,  // :name or ?
        Symbol,     // ( ) , . ; * + - / = <> != < <= > >= ||
    };
    Kind kind = Word;
    QString text;  // value (strings and quoted names without quotes)
    int start = 0; // position of the first character in the source
    int end = 0;   // position after the last character
    bool spaceBefore = false;

    bool isWord(const char* keyword) const;
    bool isSymbol(const char* symbol) const;
};

// Splits SQL text into tokens. Comments (-- to end of line) are dropped.
// An unterminated string or name raises ETalvekException.
class SqlTokenizer
{
public:
    static QList<SqlToken> tokenize(const QString& text);

private:
    explicit SqlTokenizer(const QString& text) : m_text(text) {}
    QList<SqlToken> run();
    SqlToken quoted(QChar quote);
    SqlToken number();
    SqlToken word();
    SqlToken symbol();
    bool skipSpaceAndComments();

    const QString& m_text;
    int m_pos = 0;
};
