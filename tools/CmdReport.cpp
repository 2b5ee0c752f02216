// orv-tool report: renders a parcel form (simple, detailed, with texts, with
// soil quality) over the marked rows of a work table, or the full or short
// statement of one ownership sheet, to a PDF file, through
// the same form classes, layout and painter as the program's preview.
#include "app/core/TCodeTableApp.h"
#include "app/core/TKUInfo.h"
#include "base/ETalvekException.h"
#include "base/OrvPaths.h"
#include "output/core/CreateReportForm.h"
#include "db/TableWriteGuard.h"
#include "output/core/FormPaper.h"
#include "output/core/TLCisForm.h"
#include "report/ReportPaper.h"
#include "report/ReportPdfExporter.h"
#include "tools/ToolArea.h"
#include "tools/ToolCommand.h"

#include <QDir>
#include <QMap>
#include <cstdio>
#include <limits>

namespace {
const char Synopsis[] = "report (--alias NÁZEV | --dir ADRESÁŘ) --area PŘÍPONA --work SOUBOR.DB "
                        "--kind 1|2|3|4|20|21|22 [--sheet ČÍSLO] [--paper A4|Letter] "
                        "--pdf VÝSTUP.pdf";

// The options as name -> value; false when one is unknown, repeated or
// without its value, or a required one is missing.
bool parseOptions(const QStringList& args, QMap<QString, QString>& options)
{
    static const QStringList known{"--alias", "--dir", "--area",  "--work",
                                   "--kind",  "--pdf", "--sheet", "--paper"};
    if (args.size() % 2 != 0)
        return false;
    for (qsizetype i = 0; i < args.size(); i += 2) {
        if (!known.contains(args[i]) || options.contains(args[i]))
            return false;
        options.insert(args[i], args[i + 1]);
    }
    const bool oneDatabase = options.contains("--alias") != options.contains("--dir");
    return oneDatabase && options.contains("--area") && options.contains("--work") &&
           options.contains("--kind") && options.contains("--pdf");
}

int runReport(const QStringList& args)
{
    QMap<QString, QString> options;
    if (!parseOptions(args, options))
        return toolUsageError(QString::fromUtf8(Synopsis));
    bool isNumber = false;
    const int kind = options.value("--kind").toInt(&isNumber);
    const QList<int> kinds{
        ReportKinds::SimpleForm,           ReportKinds::DetailForm, ReportKinds::SheetForm,
        ReportKinds::ShortSheetForm,       ReportKinds::TextForm,   ReportKinds::SoilQualityForm,
        ReportKinds::DetailFormFromBrowser};
    const QString suffix = ToolAreaSuffix(options.value("--area"));
    const std::optional<QPageSize::PageSizeId> paper =
        options.contains("--paper") ? ReportPaper::FromName(options.value("--paper"))
                                    : FormPaper::Resolve(nullptr);
    // The sheet statements need the sheet number, the parcel forms take none.
    const bool sheetForm = ReportKinds::IsSheetForm(kind);
    if (!isNumber || !kinds.contains(kind) || !paper || sheetForm != options.contains("--sheet"))
        return toolUsageError(QString::fromUtf8(Synopsis));
    qint64 sheetNumber = 0;
    if (sheetForm &&
        !toolWholeNumber(options.value("--sheet"), 0, std::numeric_limits<int>::max(), sheetNumber))
        return toolBadValue(QStringLiteral("--sheet"), options.value("--sheet"),
                            QString::fromUtf8(Synopsis));
    // A refused target is known before the work table is touched.
    TableWriteGuard::checkOutputFile(options.value("--pdf"));

    const QString database = options.contains("--alias")
                                 ? options.value("--alias")
                                 : QDir(options.value("--dir")).absolutePath();
    const TKUInfo ku = ToolAreaInfo(database, suffix);
    const auto app =
        std::make_shared<TCodeTableApp>(OrvPaths::codeTableDir(OrvPaths::executableDir()));
    const QString workTable = QFileInfo(options.value("--work")).absoluteFilePath();
    // A statement fills the work table with the sheet's parts first, as OK of
    // the sheet dialog does; a sheet without parts is reported.
    const int sheet =
        sheetForm ? TLCisForm::FillWorkTable(workTable, ku, QString::number(sheetNumber)) : 0;
    std::unique_ptr<TReportForm> form = CreateReportForm(app, kind, ku, workTable, QString());
    if (sheetForm)
        form->SetSheet(sheet);
    form->report().pageSize = QPageSize(*paper);
    const ReportDocument document = form->Layout();
    if (document.isEmpty())
        throw ETalvekException(
            QStringLiteral("Pracovní tabulka %1 nemá žádné označené parcely; PDF nevzniklo")
                .arg(QDir::toNativeSeparators(workTable)));
    ReportPdfExporter::write(document, options.value("--pdf"));
    std::printf("%s\t%d\n", qPrintable(QDir::toNativeSeparators(options.value("--pdf"))),
                document.pageCount());
    return std::fflush(stdout) == 0 ? ToolExit::Ok : ToolExit::BadData;
}

ToolCommandRegistrar reg{
    {QStringLiteral("report"),
     QString::fromUtf8(Synopsis) + QStringLiteral("   formulář parcel do PDF (stránek vypíše)"),
     &runReport,
     true,
     {},
     true}};
} // namespace
