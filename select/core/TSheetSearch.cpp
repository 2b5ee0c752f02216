#include "select/core/TSheetSearch.h"

#include "base/ETalvekException.h"
#include "db/Query.h"

namespace {
const QString WrongNumber = QStringLiteral("Chybné číslo");
// Sheet numbers and identifiers are stored as numbers of up to 15 digits.
constexpr int MaxDigits = 15;

QString escapeLike(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'%' || c == u'_' || c == u'\\')
            out += u'\\';
        out += c;
    }
    return out;
}
} // namespace

TSheetSearch TSheetSearch::Prepare(int mode, const QString& text, bool list, bool substring)
{
    TSheetSearch search;
    search.m_mode = mode;
    search.m_list = list;
    search.m_substring = substring;
    const QString key = text.trimmed().toUpper();
    if (mode == ByName) {
        search.m_name = key;
        return search;
    }
    search.m_numbers = parseNumbers(key);
    if (mode == ByIdent && !list && search.m_numbers.size() > 1)
        throw ETalvekException(WrongNumber);
    return search;
}

TSheetSearch TSheetSearch::Sheet(qint64 sheet)
{
    TSheetSearch search;
    search.m_mode = OneSheet;
    search.m_numbers = {sheet};
    return search;
}

QList<qint64> TSheetSearch::parseNumbers(const QString& key)
{
    QList<qint64> numbers;
    if (key.isEmpty())
        return numbers;
    for (const QString& item : key.split(u',')) {
        const QString digits = item.trimmed();
        if (digits.isEmpty())
            continue;
        bool ok = digits.size() <= MaxDigits;
        for (const QChar c : digits)
            ok = ok && c >= u'0' && c <= u'9';
        if (!ok)
            throw ETalvekException(WrongNumber);
        numbers << digits.toLongLong();
    }
    if (numbers.isEmpty()) // only commas
        throw ETalvekException(WrongNumber);
    return numbers;
}

QString TSheetSearch::namePattern() const
{
    return (m_substring ? QStringLiteral("%") : QString()) + escapeLike(m_name) +
           QStringLiteral("%");
}

QString TSheetSearch::numberList() const
{
    QStringList names;
    for (int i = 0; i < m_numbers.size(); ++i)
        names << QStringLiteral(":K%1").arg(i);
    return names.join(u',');
}

QString TSheetSearch::ConditionLine() const
{
    if (isEmpty())
        return {};
    switch (m_mode) {
    case ByName:
        return QStringLiteral("AND (UPPER(OBORG.NAZEV) LIKE :NAZEV ESCAPE '\\')");
    case ByIdent:
        return m_list ? QStringLiteral("AND (OBORG.IDENT IN (%1))").arg(numberList())
                      : QStringLiteral("AND (OBORG.IDENT >= :K0)");
    default:
        return QStringLiteral("AND (NYSUV.ELLVCIS IN (%1))").arg(numberList());
    }
}

void TSheetSearch::BindTo(Query& query) const
{
    if (m_mode == ByName && !m_name.isEmpty())
        query.bindValue(QStringLiteral(":NAZEV"), namePattern());
    for (int i = 0; i < m_numbers.size(); ++i)
        query.bindValue(QStringLiteral(":K%1").arg(i), m_numbers[i]);
}

QString TSheetSearch::OrderLine() const
{
    switch (m_mode) {
    case ByIdent:
        return QStringLiteral("ORDER BY OBORG.IDENT");
    case ByName:
        return QStringLiteral("ORDER BY OBORG.NAZEV");
    default:
        return {};
    }
}
