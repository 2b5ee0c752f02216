#include "tools/ToolArea.h"

#include "base/ETalvekException.h"
#include "base/Format.h"
#include "db/Query.h"

namespace {

// Name of the catalogue row picked by `where` ("" when there is none).
QString CatalogueName(const QString& database, const QString& where)
{
    Query q;
    q.setDatabaseName(database);
    q.setSql(QStringList{QStringLiteral("SELECT NAZEV FROM \"NYSKATAL.DB\""), where});
    q.open();
    return q.isEmpty() ? QString() : q.asString(QStringLiteral("NAZEV")).trimmed();
}

} // namespace

// The area of `suffix` as the catalogue dialog describes it.
TKUInfo ToolAreaInfo(const QString& database, const QString& suffix)
{
    Query area;
    area.setDatabaseName(database);
    area.setSql(QStringList{QStringLiteral("SELECT KATUZ, IDENTCIS, NAZEV FROM \"NYSKATAL.DB\""),
                            Format(QStringLiteral("WHERE PORCIS = '%s'"), suffix)});
    area.open();
    if (area.isEmpty())
        throw ETalvekException(
            QStringLiteral("Katastrální území s příponou %1 není v katalogu okresu").arg(suffix));
    TKUInfo ku;
    ku.Alias = database;
    ku.Suffix = suffix;
    ku.Katastr = area.asString(QStringLiteral("NAZEV")).trimmed();
    ku.Kod = area.asString(QStringLiteral("IDENTCIS")).trimmed();
    const QString katuz = area.asString(QStringLiteral("KATUZ"));
    ku.Obec = CatalogueName(database, Format(QStringLiteral("WHERE PORCIS = '000' AND KATUZ = "
                                                            "'%s00'"),
                                             katuz.left(3)));
    ku.Okres = CatalogueName(database, QStringLiteral("WHERE KATUZ = '00000'"));
    return ku;
}

bool ToolAreaOption(const QStringList& args, int& i, QString& database, QString& suffix,
                    QString& work)
{
    const QString& a = args[i];
    if (i + 1 >= args.size())
        return false;
    if ((a == "--alias" || a == "--dir") && database.isEmpty()) {
        database = args[++i];
        if (a == "--dir" && !database.contains(u'/'))
            database = QStringLiteral("./") + database;
    } else if (a == "--area") {
        suffix = args[++i];
    } else if (a == "--work") {
        work = args[++i];
    } else {
        return false;
    }
    return true;
}
