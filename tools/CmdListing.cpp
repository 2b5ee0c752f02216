// orv-tool listing: the text listings and the area summary of the marked
// parts of a work table, and the owners listing of the sheet dialog's owner
// list, exactly as the program writes them into a file, to standard output
// or into --out FILE.
#include "settings/RegistryKeys.h"
#include "app/core/TKUInfo.h"
#include "settings/TRegistry.h"
#include "base/ETalvekException.h"
#include "base/Format.h"
#include "base/OrvPaths.h"
#include "browse/core/TAreaSums.h"
#include "browse/core/TTextListing.h"
#include "browse/core/TextReportFile.h"
#include "db/TableWriteGuard.h"
#include "db/Engine.h"
#include "db/Query.h"
#include "select/core/TSheetSearch.h"
#include "select/core/TSheetSelector.h"
#include "tools/ToolArea.h"
#include "tools/ToolCommand.h"

#include <QFileInfo>
#include <cstdio>
#include <limits>

namespace {

const char* const Synopsis =
    "listing (--alias NÁZEV | --dir ADRESÁŘ) --area PŘÍPONA (--work SOUBOR.DB "
    "(--short | --full | --summary) [--sheet N] [--paginate [--lines N]] "
    "[--page text|bonita|users|pk] | --owners [--owner-sheet N[,N...] | "
    "--owner-ident N[,N...] | --owner-ident-from N | --owner-name TEXT [--substring]]) "
    "[--out SOUBOR]";

struct Options
{
    QString database;
    QString suffix;
    QString work;
    int kind = -1;
    int sheet = 0;
    bool paging = false;
    int lines = 64;
    int page = TTextListing::PageText;
    QString out;
    // The owner list of --owners: searched as the sheet dialog searches.
    int ownerMode = TSheetSearch::BySheet;
    QString ownerKey;
    bool ownerKeyGiven = false;
    bool identList = true;
    bool substring = false;
};

// Reads an owner-list option at args[i]; false when it is none.
bool OwnerOption(const QStringList& args, int& i, Options& o)
{
    const QString& a = args[i];
    if (a == "--owners" && o.kind < 0) {
        o.kind = TTextListing::OwnersListing;
        return true;
    }
    if (a == "--substring") {
        o.substring = true;
        return true;
    }
    static const QStringList keys = {"--owner-sheet", "--owner-ident", "--owner-ident-from",
                                     "--owner-name"};
    const int key = int(keys.indexOf(a));
    if (key < 0 || i + 1 >= args.size() || o.ownerKeyGiven)
        return false;
    o.ownerMode = key == 0   ? TSheetSearch::BySheet
                  : key == 3 ? TSheetSearch::ByName
                             : TSheetSearch::ByIdent;
    o.identList = key != 2; // from a number on: one number only
    o.ownerKey = args[++i];
    o.ownerKeyGiven = true;
    return true;
}

// Whether the options fit one of the two forms of the synopsis.
bool OptionsFit(const Options& o, bool linesGiven)
{
    if (o.database.isEmpty() || o.suffix.isEmpty() || o.kind < 0)
        return false;
    if (o.kind == TTextListing::OwnersListing)
        return o.work.isEmpty() && o.sheet == 0 && !o.paging && !linesGiven &&
               o.page == TTextListing::PageText &&
               (!o.substring || o.ownerMode == TSheetSearch::ByName);
    return !o.work.isEmpty() && !o.ownerKeyGiven && !o.substring && (o.paging || !linesGiven);
}

QString CompanyName()
{
    const std::optional<RegValue> value = TRegistry::openDefault()->Value(
        TRegistry::Hive::LocalMachine, RegistryKeys::Install, QStringLiteral("Company"));
    return value && value->isString() ? value->text : QString();
}

// More lines than any paper holds is a typing error.
constexpr qint64 MaxLinesPerPage = 10000;

// Reads the arguments; false when they do not fit the synopsis.
bool ParseOptions(const QStringList& args, Options& o)
{
    const QStringList pages = {"text", "bonita", "users", "pk"};
    bool linesGiven = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        qint64 number = 0;
        if (ToolAreaOption(args, i, o.database, o.suffix, o.work) || OwnerOption(args, i, o)) {
            continue;
        } else if ((a == "--short" || a == "--full" || a == "--summary") && o.kind < 0) {
            o.kind = a == "--short"  ? TTextListing::ShortListing
                     : a == "--full" ? TTextListing::FullListing
                                     : TTextListing::AreaSummary;
        } else if (a == "--sheet" && hasValue) {
            ok = toolWholeNumber(args[++i], 0, std::numeric_limits<int>::max(), number);
            o.sheet = int(number);
        } else if (a == "--paginate") {
            o.paging = true;
        } else if (a == "--lines" && hasValue) {
            ok = toolWholeNumber(args[++i], 1, MaxLinesPerPage, number);
            o.lines = int(number);
            linesGiven = true;
        } else if (a == "--page" && hasValue && pages.contains(args[i + 1])) {
            o.page = int(pages.indexOf(args[++i]));
        } else if (a == "--out" && hasValue) {
            o.out = args[++i];
        } else {
            return false;
        }
        if (!ok)
            return false;
    }
    return OptionsFit(o, linesGiven);
}

// The owner list of the area narrowed by the key, in the dialog's order.
QList<TTextListing::OwnerRow> OwnerList(const Options& o)
{
    const TSheetSearch key =
        TSheetSearch::Prepare(o.ownerMode, o.ownerKey, o.identList, o.substring);
    Query list;
    TSheetSelector::OpenOwnerList(list, o.database, o.suffix, key);
    return TTextListing::OwnerRowsOf(list);
}

int runListing(const QStringList& args)
{
    Options o;
    if (!ParseOptions(args, o))
        return toolUsageError(QString::fromUtf8(Synopsis));
    if (!o.out.isEmpty())
        TableWriteGuard::checkOutputFile(o.out);
    const bool owners = o.kind == TTextListing::OwnersListing;
    const QFileInfo work(o.work);
    if (!owners && !work.isFile())
        throw ETalvekException(QStringLiteral("Pracovní tabulka %1 neexistuje").arg(o.work));
    TTextListing::Setup setup;
    setup.ku = ToolAreaInfo(o.database, o.suffix);
    setup.workDbPath = OrvPaths::codeTableDir(OrvPaths::executableDir());
    setup.workTablePath = owners ? QString() : work.absoluteFilePath();
    setup.companyName = CompanyName();
    setup.date = QDate::currentDate();
    setup.listNumber = o.sheet;
    setup.page = o.page;
    setup.paging = o.paging;
    setup.linesPerPage = o.lines;
    TTextListing listing(setup);
    const TAreaSums sums = o.kind == TTextListing::AreaSummary
                               ? TAreaSums::ComputeAreaSums(setup.workTablePath)
                               : TAreaSums();
    const QList<TTextListing::OwnerRow> ownerRows =
        owners ? OwnerList(o) : QList<TTextListing::OwnerRow>();
    if (!o.out.isEmpty()) {
        WriteTextReport(listing, o.kind, o.out, ownerRows, sums);
        return ToolExit::Ok;
    }
    listing.SetSink([](const TTextListing::Line& line) {
        const QByteArray text = line.text.toUtf8() + '\n';
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    });
    listing.StartFile();
    listing.Run(o.kind, ownerRows, sums);
    return std::fflush(stdout) == 0 ? ToolExit::Ok : ToolExit::BadData;
}

ToolCommandRegistrar reg{
    {QStringLiteral("listing"),
     QString::fromUtf8(Synopsis) + QStringLiteral("   zkrácený nebo plný výpis označených dílů, "
                                                  "součty výměr, přehled vlastníků (UTF-8 text)"),
     &runListing,
     false,
     {},
     true}};
} // namespace
