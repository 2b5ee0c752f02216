// orv-tool stats: the overall statistics of one cadastral area (the figures of
// the form "Statistické údaje") as CSV lines and/or the form as a PDF file.
#include "base/ETalvekException.h"
#include "base/OrvPaths.h"
#include "db/Engine.h"
#include "db/TableWriteGuard.h"
#include "output/core/FormPaper.h"
#include "output/core/TAreaStatistics.h"
#include "output/core/TStatistikaReport.h"
#include "report/ReportPaper.h"
#include "report/ReportPdfExporter.h"
#include "tools/ToolArea.h"
#include "tools/ToolCommand.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace {
const QString Synopsis =
    QStringLiteral("stats (--alias NÁZEV | --dir ADRESÁŘ) --area ČÍSLO [--pdf SOUBOR.pdf] "
                   "[--paper A4|Letter] [--csv]");

struct StatsArgs
{
    QString alias;
    QString dir;
    QString area;
    QString pdf;
    QString paper;
    bool csv = false;
};

// False when the arguments do not fit the synopsis.
bool parse(const QStringList& args, StatsArgs& out)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--csv")) {
            out.csv = true;
            continue;
        }
        QString* target = a == QLatin1String("--alias")   ? &out.alias
                          : a == QLatin1String("--dir")   ? &out.dir
                          : a == QLatin1String("--area")  ? &out.area
                          : a == QLatin1String("--pdf")   ? &out.pdf
                          : a == QLatin1String("--paper") ? &out.paper
                                                          : nullptr;
        if (!target || i + 1 >= args.size() || !target->isEmpty())
            return false;
        *target = args.at(++i);
    }
    return out.alias.isEmpty() != out.dir.isEmpty() && !out.area.isEmpty() &&
           (out.paper.isEmpty() || ReportPaper::FromName(out.paper));
}

// CSV with a decimal point, whatever the locale: hectares with four decimals.
void printCsvLine(const QString& row, const QString& name, double areaM2, qint64 count)
{
    QString quoted = name.trimmed();
    quoted.replace(u'"', QStringLiteral("\"\""));
    std::printf("%s,\"%s\",%s,%lld\n", qPrintable(row), quoted.toUtf8().constData(),
                qPrintable(QString::number(areaM2 / 10000.0, 'f', 4)), qlonglong(count));
}

void printCsv(const TAreaStatistics& stats)
{
    std::printf("row,name,area_ha,count\n");
    for (const TAreaStatistics::Row& r : stats.Rows())
        printCsvLine(QString::number(r.rule.row), r.name, r.areaM2, r.count);
    printCsvLine(QStringLiteral("total"), QStringLiteral("Celkem"), stats.TotalAreaM2(),
                 stats.TotalCount());
    printCsvLine(QStringLiteral("houses_cp"), QStringLiteral("Domy s čísly popisnými"), 0,
                 stats.HousesCp());
    printCsvLine(QStringLiteral("houses_ce"), QStringLiteral("Domy s čísly evidenčními"), 0,
                 stats.HousesCe());
    printCsvLine(QStringLiteral("simplified"), QStringLiteral("Parcely ve zjednodušené evidenci"),
                 stats.SimplifiedAreaM2(), stats.SimplifiedCount());
}

int runStats(const QStringList& args)
{
    StatsArgs a;
    if (!parse(args, a))
        return toolUsageError(Synopsis);
    if (!a.pdf.isEmpty())
        TableWriteGuard::checkOutputFile(a.pdf);
    // An alias must be known to the engine; a directory is used as it is.
    const QString district =
        a.alias.isEmpty() ? QDir(a.dir).absolutePath() : Engine::instance().directoryOf(a.alias);
    if (!QFileInfo(district).isDir())
        throw ETalvekException(
            QStringLiteral("Adresář okresu %1 neexistuje").arg(QDir::toNativeSeparators(district)));
    TAreaStatistics stats(OrvPaths::codeTableDir(OrvPaths::executableDir()), district,
                          ToolAreaSuffix(a.area));
    stats.Run();
    if (!a.pdf.isEmpty()) {
        const QPageSize::PageSizeId paper =
            a.paper.isEmpty() ? FormPaper::Resolve(nullptr) : *ReportPaper::FromName(a.paper);
        TStatistikaReport report(stats, nullptr, paper);
        ReportPdfExporter::write(report.Layout(), a.pdf);
    }
    if (a.csv || a.pdf.isEmpty())
        printCsv(stats);
    return std::fflush(stdout) == 0 ? ToolExit::Ok : ToolExit::BadData;
}

ToolCommandRegistrar reg{{QStringLiteral("stats"),
                          Synopsis + QStringLiteral("  statistické údaje katastrálního území "
                                                    "(CSV, formulář s grafy do PDF)"),
                          &runStats, true}};
} // namespace
