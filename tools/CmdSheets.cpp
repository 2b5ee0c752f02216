// orv-tool sheets: the ownership sheets of an owner in every cadastral area
// of the given districts, found by the same search as the dialog
// "Vyhledání listů vlastnictví"; CSV with a header, one row per sheet.
#include "base/ETalvekException.h"
#include "data/BirthNumberMask.h"
#include "data/OwnerNameLookup.h"
#include "db/Query.h"
#include "db/paradox/ParadoxCsv.h"
#include "select/core/TListVlSearch.h"
#include "tools/ToolCommand.h"

#include <QMap>
#include <QSet>
#include <cstdio>

namespace {
const QString Synopsis =
    QStringLiteral("sheets --alias A [--alias B …] (--ident ČÍSLO | --name TEXT [--substring])");

struct SheetsArgs
{
    QStringList aliases;
    QString ident;
    QString name;
    bool byName = false;
    bool substring = false;
};

bool parseArgs(const QStringList& args, SheetsArgs& out)
{
    bool haveIdent = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--alias") && hasValue)
            out.aliases << args[++i];
        else if (arg == QLatin1String("--ident") && hasValue && !haveIdent && !out.byName) {
            out.ident = args[++i];
            haveIdent = true;
        } else if (arg == QLatin1String("--name") && hasValue && !haveIdent && !out.byName) {
            out.name = args[++i];
            out.byName = true;
        } else if (arg == QLatin1String("--substring"))
            out.substring = true;
        else
            return false;
    }
    return !out.aliases.isEmpty() && (haveIdent || out.byName) && (out.byName || !out.substring);
}

void checkAliases(const QStringList& aliases)
{
    const QStringList known = TListVlSearch::DistrictAliases();
    for (const QString& alias : aliases)
        if (!known.contains(alias, Qt::CaseInsensitive))
            throw ETalvekException(
                QStringLiteral("Alias '%1' není definován jako adresář tabulek Paradox.")
                    .arg(alias));
}

// A birth number or company number: a number from 0 (IdentKey refuses NaN and inf).
bool parseIdent(const QString& text, double& ident)
{
    bool ok = false;
    ident = TListVlSearch::IdentKey(text, &ok);
    return ok && ident >= 0;
}

// The owners sought, IDENT -> name, from the owner tables of the districts;
// a district without a readable owner table contributes none.
QMap<double, QString> findOwners(const SheetsArgs& args)
{
    QMap<double, QString> owners;
    double ident = 0;
    if (!args.byName)
        parseIdent(args.ident, ident); // checked with the command line
    if (!args.byName)
        owners.insert(ident, QString());
    for (const QString& alias : args.aliases) {
        Query query;
        try {
            if (args.byName) {
                TListVlSearch::OpenOwners(query, alias, true, args.name, args.substring);
            } else {
                query.setDatabaseName(alias);
                query.setSql(
                    QStringLiteral("Select IDENT, NAZEV From \"NYSOBORG.DB\" Where IDENT = :I"));
                query.bindValue(QStringLiteral(":I"), ident);
                query.open();
            }
        } catch (const ETalvekException& e) {
            std::fprintf(stderr, "orv-tool: okres %s: %s\n", qPrintable(alias),
                         qPrintable(e.message()));
            continue;
        }
        for (query.first(); !query.eof(); query.next()) {
            QString& name = owners[query.asFloat(QStringLiteral("IDENT"))];
            if (name.isEmpty())
                name = query.asString(QStringLiteral("NAZEV")).trimmed();
        }
    }
    return owners;
}

// The owners sought that a district lists under a person's characteristic;
// asked only while masking is on.
QSet<double> personsAmong(const QStringList& aliases, const QList<double>& idents)
{
    QSet<double> persons;
    if (!BirthNumberMask::Enabled())
        return persons;
    for (const QString& alias : aliases) {
        OwnerNameLookup owners(alias);
        try {
            for (const double ident : idents)
                if (owners.IsPerson(ident))
                    persons.insert(ident);
        } catch (const ETalvekException&) {
            // A district without a readable owner table was reported above.
        }
    }
    return persons;
}

QString identCell(double ident, const QSet<double>& persons)
{
    if (!BirthNumberMask::Enabled())
        return QString::fromLatin1(ParadoxCsv::formatDouble(ident));
    return BirthNumberMask::Text(
        ident, persons.contains(ident) ? 1 : BirthNumberMask::UnknownCharacteristic);
}

void printLine(const QStringList& cells)
{
    QByteArray line;
    for (int i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += ',';
        ParadoxCsv::appendQuoted(line, cells[i].toUtf8());
    }
    line += "\r\n";
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
}

int runSheets(const QStringList& argList)
{
    SheetsArgs args;
    if (!parseArgs(argList, args))
        return toolUsageError(Synopsis);
    double ident = 0;
    if (!args.byName && !parseIdent(args.ident, ident))
        return toolBadValue(QStringLiteral("--ident"), args.ident, Synopsis);
    checkAliases(args.aliases);
    const QMap<double, QString> owners = findOwners(args);
    TListVlSearch::Result result;
    TListVlSearch::Run(args.aliases, owners.keys(), result);
    const QSet<double> persons = personsAmong(args.aliases, owners.keys());
    printLine({"ident", "name", "sheet", "area", "katastr", "alias"});
    for (const TListVlHit& hit : result.hits)
        printLine({identCell(hit.ident, persons), owners.value(hit.ident),
                   QString::number(hit.sheet), hit.area, hit.katastr.trimmed(), hit.alias});
    if (result.skippedAreas > 0)
        std::fprintf(stderr,
                     "orv-tool: přeskočeno katastrálních území s chybějící nebo nečitelnou "
                     "tabulkou NYSUV: %d\n",
                     result.skippedAreas);
    return std::fflush(stdout) == 0 ? ToolExit::Ok : ToolExit::BadData;
}

ToolCommandRegistrar reg{{QStringLiteral("sheets"),
                          Synopsis + QStringLiteral("  listy vlastnictví vlastníka ve všech "
                                                    "katastrálních územích okresů jako CSV"),
                          &runSheets,
                          false,
                          {QStringLiteral("--alias")},
                          true}};
} // namespace
