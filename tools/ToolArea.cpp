#include "tools/ToolArea.h"

#include "base/ETalvekException.h"
#include "data/CadastralTables.h"
#include "db/Query.h"

#include <QDir>
#include <QVariantMap>
#include <algorithm>

namespace {

// Column `field` of the catalogue row picked by `where` with its parameters
// bound ("" when there is no such row).
QString CatalogueText(const QString& database, const QString& field, const QString& where,
                      const QVariantMap& params)
{
    Query q;
    q.setDatabaseName(database);
    q.setSql(QStringList{QStringLiteral("SELECT %1 FROM \"%2\"")
                             .arg(field, QLatin1String(CadastralTables::CatalogueTable)),
                         where});
    for (auto it = params.begin(); it != params.end(); ++it)
        q.bindValue(it.key(), it.value());
    q.open();
    return q.isEmpty() ? QString() : q.asString(field).trimmed();
}

} // namespace

QString ToolAreaSuffix(const QString& typed)
{
    const QString text = typed.trimmed();
    const bool digits =
        !text.isEmpty() && text.size() <= 3 && std::all_of(text.begin(), text.end(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
    return digits ? text.rightJustified(3, QLatin1Char('0')) : typed;
}

// The area of `suffix` as the catalogue dialog describes it. The suffix comes
// from the command line, so it is bound, never written into the statement.
TKUInfo ToolAreaInfo(const QString& database, const QString& typedSuffix)
{
    const QString suffix = ToolAreaSuffix(typedSuffix);
    const QString where = QStringLiteral("WHERE PORCIS = :PORCIS AND KATUZ > '00000'");
    const QVariantMap area{{QStringLiteral(":PORCIS"), suffix}};
    const QString katuz = CatalogueText(database, QStringLiteral("KATUZ"), where, area);
    if (katuz.isEmpty())
        throw ETalvekException(
            QStringLiteral("Katastrální území s příponou %1 v katalogu okresu %2 není")
                .arg(suffix, QDir::toNativeSeparators(database)));
    TKUInfo ku;
    ku.Alias = database;
    ku.Suffix = suffix;
    ku.Katastr = CatalogueText(database, QStringLiteral("NAZEV"), where, area);
    ku.Kod = CatalogueText(database, QStringLiteral("IDENTCIS"), where, area);
    ku.Obec = CatalogueText(database, QStringLiteral("NAZEV"),
                            QStringLiteral("WHERE PORCIS = '000' AND KATUZ = :KATUZ"),
                            {{QStringLiteral(":KATUZ"), katuz.left(3) + QStringLiteral("00")}});
    ku.Okres = CatalogueText(database, QStringLiteral("NAZEV"),
                             QStringLiteral("WHERE PORCIS = '000' AND KATUZ = '00000'"), {});
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
        suffix = ToolAreaSuffix(args[++i]);
    } else if (a == "--work") {
        work = args[++i];
    } else {
        return false;
    }
    return true;
}
