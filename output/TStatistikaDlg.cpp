#include "output/TStatistikaDlg.h"

#include "settings/TRegistry.h"
#include "settings/TSettings.h"
#include "output/core/FormPaper.h"
#include "output/core/TAreaStatistics.h"
#include "output/core/TStatistikaReport.h"
#include "report/ui/ReportPreviewDialog.h"
#include "select/TCProcessDlg.h"

namespace {
void showPreview(const ReportDocument& document, QWidget* owner)
{
    ReportPreviewDialog preview(document, owner);
    preview.exec();
}
} // namespace

TStatistikaDlg::TStatistikaDlg(QWidget* owner, Preview preview)
    : m_owner(owner), m_preview(preview ? std::move(preview) : Preview(&showPreview)),
      m_progress(std::make_unique<TCProcessDlg>(owner))
{
}

TStatistikaDlg::~TStatistikaDlg() = default;

void TStatistikaDlg::Run(const QString& workDbPath, const QString& alias, const QString& suffix)
{
    TAreaStatistics stats(workDbPath, alias, suffix);
    m_progress->Start(QStringLiteral("Statistické údaje"), TAreaStatistics::StepCount());
    try {
        stats.Run([this] { return m_progress->Step(); });
    } catch (...) {
        m_progress->Finish();
        throw;
    }
    m_progress->Finish();
    // The statistics entry gets no application object: the setting of the
    // paper is read from the program's settings store directly.
    TSettings settings(TRegistry::openDefault());
    TStatistikaReport report(stats, m_owner, FormPaper::Resolve(&settings));
    const ReportDocument document = report.Layout();
    m_preview(document, m_owner);
}

void TStatistikaDlg::Execute(QWidget* owner, const QString& workDbPath, const QString& alias,
                             const QString& suffix)
{
    TStatistikaDlg dlg(owner);
    dlg.Run(workDbPath, alias, suffix);
}
