// orv-tool select: the program's parcel selections without a window, for
// scripts and tests. The work table is written by the same functions the
// selection dialogs call (TConditionSelector, TParcSelector), so a script
// gets exactly the rows the dialogs give. The steps run in the order given;
// every step is checked before the first one changes the work table.
#include "base/ETalvekException.h"
#include "data/BirthNumberMask.h"
#include "data/CadastralTables.h"
#include "data/OwnerNameLookup.h"
#include "data/ParcelNumber.h"
#include "data/ParcelTable.h"
#include "data/WorkTable.h"
#include "db/Table.h"
#include "select/core/TConditionSelector.h"
#include "select/core/TParcSelector.h"
#include "select/core/TParcelImport.h"
#include "select/core/TSheetSelector.h"
#include "tools/ToolArea.h"
#include "tools/ToolCommand.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>
#include <memory>

namespace {

const QString Synopsis = QStringLiteral(
    "select (--alias NÁZEV | --dir ADRESÁŘ) --area PŘÍPONA --work SOUBOR.DB [--parts] KROK...");

const char Help[] =
    "Vybere parcely katastrálního území (tabulka NYSPA + PŘÍPONA + .DB) do pracovní tabulky\n"
    "SOUBOR.DB (vytvoří ji, když chybí) stejně jako dialogy výběru parcel. Kroky se provedou\n"
    "v zadaném pořadí; chybný krok nezmění nic.\n"
    "kroky:\n"
    "  +POLE OPERÁTOR HODNOTA  přidá parcely, jejichž některý díl podmínce vyhoví\n"
    "                          (s --parts jen vyhovující díly), např. +DRUHPOZ=13\n"
    "  -POLE OPERÁTOR HODNOTA  vyjme je, např. \"-CPCE = 12\"\n"
    "      POLE je jméno pole tabulky NYSPA, OPERÁTOR jeden z = > >= < <= <>, HODNOTA jako\n"
    "      v dialogu podmínek: celé číslo od 0, u polí MAPA a PARCISLO text bez uvozovek\n"
    "      (+PARCISLO=125/3); mezery kolem operátoru nevadí. CPCE = n najde číslo n\n"
    "      ve všech částech obce 0 až 29.\n"
    "  --parcels SEZNAM        jen parcely daných čísel, např. \"12/1;15;(7)\"\n"
    "  --houses SEZNAM         jen díly s danými čísly popisnými, např. \"12;7/2;15P\"\n"
    "  --all                   všechny parcely území\n"
    "  --sheet N[,N...]        parcely listu vlastnictví N (s kódem 93 odkázanými parcelami\n"
    "                          vztahu 5), s čárkami parcely všech těch listů;\n"
    "                          s --registration evidenčního listu\n"
    "  --owner-ident N[,N...]  parcely všech listů vlastníků s rodnými čísly (IČO) N\n"
    "  --owner-ident-from N    ... vlastníků s rodným číslem (IČO) od N\n"
    "  --owner-name TEXT       ... vlastníků, jejichž jméno začíná TEXTEM (velikost písmen\n"
    "                          nerozhoduje), s --substring jméno TEXT obsahuje\n"
    "Volba --parts počítá díly místo parcel (Výběrovými podmínkami - jen díly). Po každém\n"
    "kroku vypíše řádek historie, na konci počet řádků pracovní tabulky.\n";

// What the command line asks for: the tables and the steps in order.
struct SelectRun
{
    QString database;
    QString suffix;
    QString workPath;
    bool partsOnly = false;
    bool registration = false; // sheet steps: registration sheets (ELCIS)
    bool substring = false;    // owner-name steps: the name anywhere in NAZEV
    Table parcels;
    Table work;
    std::unique_ptr<TConditionSelector> conditions;
    int condition = -1; // the history line of the last condition step

    int count() { return CountSelection(work, partsOnly); }
};

// One step, checked when all tables are open (before any step runs) and
// then run; it returns the line printed after it.
struct SelectStep
{
    std::function<void(SelectRun&)> check;
    std::function<QString(SelectRun&)> run;
};

// An option of the command line. A setting fills the run at once; a step
// option adds a step. New selections are new rows of SelectOptions.
struct SelectOption
{
    const char* name;
    bool takesValue;
    std::function<void(SelectRun&, const QString&)> setting;
    std::function<SelectStep(const QString&)> step;
};

QList<TParcGridRow> numberRows(const QString& list, TParcGridModel::Kind kind)
{
    // "st. 38" stays one item (building parcel 38) when the list is split.
    const QString joined =
        kind == TParcGridModel::Kind::Parcel ? JoinBuildingParcelMarks(list) : list;
    const QStringList items =
        joined.split(QRegularExpression(QStringLiteral("[,;\\s]+")), Qt::SkipEmptyParts);
    if (items.isEmpty())
        throw ETalvekException(QStringLiteral("Seznam čísel je prázdný."));
    QList<TParcGridRow> rows;
    for (const QString& item : items) {
        // A trailing separator makes the parser read the item as a list
        // number ("15") rather than as columns of a grid row.
        const TParcelImport::Result r = TParcelImport::Parse({item + QLatin1Char(';')}, kind);
        if (r.errorLine != 0 || r.rows.isEmpty())
            throw ETalvekException((kind == TParcGridModel::Kind::Parcel
                                        ? QStringLiteral("Chybné parcelní číslo „%1“.")
                                        : QStringLiteral("Chybné číslo popisné „%1“."))
                                       .arg(item));
        rows += r.rows;
    }
    return rows;
}

SelectStep numbersStep(const QString& list, TParcGridModel::Kind kind)
{
    auto rows = std::make_shared<QList<TParcGridRow>>();
    const bool parcels = kind == TParcGridModel::Kind::Parcel;
    return {[=](SelectRun&) { *rows = numberRows(list, kind); },
            [=](SelectRun& run) {
                if (parcels)
                    TParcSelector::SelectParcels(*rows, run.work, run.parcels);
                else
                    TParcSelector::SelectHouseNumbers(*rows, run.work, run.parcels);
                return QStringLiteral("%1 %2 => %3")
                    .arg(parcels ? QStringLiteral("= parcelní čísla")
                                 : QStringLiteral("= čísla popisná"),
                         list)
                    .arg(run.count());
            }};
}

SelectStep allStep()
{
    return {[](SelectRun&) {},
            [](SelectRun& run) {
                TParcSelector::SelectAllParcels(run.work, run.database, run.parcels.tableName());
                return QStringLiteral("= všechny parcely => %1").arg(run.count());
            }};
}

// The parcels of sheets, or of the sheets of owners, as the sheet dialog
// selects them: the key is read as the dialog reads it, so a bad number
// fails the check before any step runs.
// The key as the step's line prints it: birth numbers sought leave masked
// like every other output.
QString printedKey(int mode, const QString& key, const QString& database)
{
    if (mode != TSheetSearch::ByIdent || !BirthNumberMask::Enabled())
        return key;
    OwnerNameLookup owners(database);
    QStringList numbers = key.split(QLatin1Char(','));
    for (QString& n : numbers) {
        bool ok = false;
        const double ident = n.trimmed().toDouble(&ok);
        const int uvchar =
            ok && owners.IsPerson(ident) ? 1 : BirthNumberMask::UnknownCharacteristic;
        if (ok && BirthNumberMask::Hides(ident, uvchar))
            n = BirthNumberMask::MaskedText(ident);
    }
    return numbers.join(QLatin1Char(','));
}

SelectStep sheetStep(int mode, bool list, const QString& key)
{
    auto search = std::make_shared<TSheetSearch>();
    return {[=](SelectRun& run) {
                *search = TSheetSearch::Prepare(mode, key, list, run.substring);
                if (search->isEmpty())
                    throw ETalvekException(QStringLiteral("Chybí hledaná hodnota."));
                if (mode == TSheetSearch::BySheet && search->numbers().size() == 1)
                    *search = TSheetSearch::Sheet(search->numbers().first());
            },
            [=](SelectRun& run) {
                run.work.close();
                TSheetSelector::SelectSheetsIntoWork(run.work, run.database, run.suffix, *search,
                                                     run.registration);
                return QStringLiteral("= %1 %2 => %3")
                    .arg(run.registration && mode == TSheetSearch::BySheet
                             ? QStringLiteral("evidenční listy")
                             : QStringLiteral("listy"),
                         printedKey(mode, key, run.database))
                    .arg(run.count());
            }};
}

// "+DRUHPOZ=13", "-CPCE >= 12", "+PARCISLO = 125/3".
SelectStep conditionStep(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^([+-])\\s*([A-Za-z_][A-Za-z0-9_]*)\\s*(<=|>=|<>|=|<|>)\\s*(.*)$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        throw ETalvekException(
            QStringLiteral("Chybný krok „%1“: čekám +POLE OPERÁTOR HODNOTA, např. +DRUHPOZ=13.")
                .arg(text));
    const bool add = m.captured(1) == QLatin1String("+");
    auto condition = std::make_shared<TCondition>();
    condition->op = m.captured(3);
    condition->value = m.captured(4).trimmed();
    const QString field = m.captured(2);
    return {[=](SelectRun& run) {
                condition->position = run.conditions->FieldPosition(field);
                if (condition->position < 0)
                    throw ETalvekException(QStringLiteral("Tabulka %1 nemá pole „%2“.")
                                               .arg(run.parcels.tableName(), field));
                run.conditions->Check(*condition);
            },
            [=](SelectRun& run) {
                if (!run.conditions->Step(add, *condition))
                    throw ETalvekException(QStringLiteral("Více než %1 kroků podmínek nelze.")
                                               .arg(TConditionSelector::MaxSteps));
                return run.conditions->HistoryLines().last();
            }};
}

QString directoryArgument(const QString& dir)
{
    return QFileInfo(dir).absoluteFilePath();
}

const QList<SelectOption>& SelectOptions()
{
    using Kind = TParcGridModel::Kind;
    static const QList<SelectOption> options{
        {"--alias", true, [](SelectRun& r, const QString& v) { r.database = v; }, {}},
        {"--dir",
         true,
         [](SelectRun& r, const QString& v) { r.database = directoryArgument(v); },
         {}},
        {"--area", true, [](SelectRun& r, const QString& v) { r.suffix = ToolAreaSuffix(v); }, {}},
        {"--work",
         true,
         [](SelectRun& r, const QString& v) { r.workPath = QFileInfo(v).absoluteFilePath(); },
         {}},
        {"--parts", false, [](SelectRun& r, const QString&) { r.partsOnly = true; }, {}},
        {"--parcels", true, {}, [](const QString& v) { return numbersStep(v, Kind::Parcel); }},
        {"--houses", true, {}, [](const QString& v) { return numbersStep(v, Kind::House); }},
        {"--all", false, {}, [](const QString&) { return allStep(); }},
        {"--registration", false, [](SelectRun& r, const QString&) { r.registration = true; }, {}},
        {"--substring", false, [](SelectRun& r, const QString&) { r.substring = true; }, {}},
        {"--sheet",
         true,
         {},
         [](const QString& v) { return sheetStep(TSheetSearch::BySheet, true, v); }},
        {"--owner-ident",
         true,
         {},
         [](const QString& v) { return sheetStep(TSheetSearch::ByIdent, true, v); }},
        {"--owner-ident-from",
         true,
         {},
         [](const QString& v) { return sheetStep(TSheetSearch::ByIdent, false, v); }},
        {"--owner-name",
         true,
         {},
         [](const QString& v) { return sheetStep(TSheetSearch::ByName, false, v); }},
    };
    return options;
}

const SelectOption* findOption(const QString& arg)
{
    for (const SelectOption& option : SelectOptions())
        if (arg == QLatin1String(option.name))
            return &option;
    return nullptr;
}

// Fills the settings and the list of steps; false on a malformed line.
bool parseArguments(const QStringList& args, SelectRun& run, QList<SelectStep>& steps)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (const SelectOption* option = findOption(arg)) {
            QString value;
            if (option->takesValue) {
                if (i + 1 >= args.size())
                    return false;
                value = args[++i];
            }
            if (option->setting)
                option->setting(run, value);
            else
                steps.append(option->step(value));
        } else if (arg.startsWith(QLatin1Char('+')) ||
                   (arg.startsWith(QLatin1Char('-')) && !arg.startsWith(QLatin1String("--")))) {
            steps.append(conditionStep(arg));
        } else {
            std::fprintf(stderr, "orv-tool select: neznámý parametr \"%s\"\n", qPrintable(arg));
            return false;
        }
    }
    return !run.database.isEmpty() && !run.suffix.isEmpty() && !run.workPath.isEmpty() &&
           !steps.isEmpty();
}

void openTables(SelectRun& run)
{
    OpenParcelTable(run.parcels, run.database, run.suffix);
    OpenOrCreateWorkTable(run.work, run.workPath);
    run.conditions = std::make_unique<TConditionSelector>(run.parcels, run.work, run.partsOnly);
    run.conditions->Start();
}

int runSelect(const QStringList& args)
{
    if (args.contains(QLatin1String("--help"))) {
        std::printf("použití: orv-tool %s\n%s", qPrintable(Synopsis), Help);
        return std::fflush(stdout) == 0 ? ToolExit::Ok : ToolExit::BadData;
    }
    SelectRun run;
    QList<SelectStep> steps;
    if (!parseArguments(args, run, steps))
        return toolUsageError(Synopsis);
    openTables(run);
    for (const SelectStep& step : std::as_const(steps))
        step.check(run);
    std::printf("%s\n", qPrintable(run.conditions->HistoryLines().first()));
    for (const SelectStep& step : std::as_const(steps))
        std::printf("%s\n", qPrintable(step.run(run)));
    run.conditions->Close();
    std::printf("počet řádků pracovní tabulky: %d\n", run.work.recordCount());
    return std::fflush(stdout) == 0 ? ToolExit::Ok : ToolExit::BadData;
}

} // namespace

static ToolCommandRegistrar reg{
    {"select",
     "select (--alias NÁZEV | --dir ADRESÁŘ) --area PŘÍPONA --work SOUBOR.DB [--parts] KROK...   "
     "výběr parcel do pracovní tabulky (+POLE OP HODNOTA, -POLE OP HODNOTA, --parcels, "
     "--houses, --all, --sheet, --owner-ident, --owner-ident-from, --owner-name; "
     "podrobně select --help)",
     &runSelect,
     false,
     // The steps run in the order given, each as often as it is given.
     {"--parcels", "--houses", "--all", "--sheet", "--owner-ident", "--owner-ident-from",
      "--owner-name"},
     true}};
