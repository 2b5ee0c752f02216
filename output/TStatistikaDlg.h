#pragma once

#include "report/ReportDocument.h"

#include <functional>
#include <memory>

class QWidget;
class TCProcessDlg;

// "Statistické údaje": computes the overall statistics of the current area
// with the cancellable progress window and shows the one-page report in the
// preview. Errors (a missing or damaged table, a cancelled run with
// "Operace byla přerušena") are thrown as ETalvekException for the main
// window's handler; the progress window is closed in every case and no
// preview is shown then.
class TStatistikaDlg
{
public:
    // Shows a laid-out report; the default opens the preview window modally.
    using Preview = std::function<void(const ReportDocument& document, QWidget* owner)>;

    explicit TStatistikaDlg(QWidget* owner, Preview preview = {});
    ~TStatistikaDlg();
    TStatistikaDlg(const TStatistikaDlg&) = delete;
    TStatistikaDlg& operator=(const TStatistikaDlg&) = delete;

    TCProcessDlg& Progress() { return *m_progress; }
    void Run(const QString& workDbPath, const QString& alias, const QString& suffix);

    // The main window's statistics command (TMainOrvEntries::Statistics).
    static void Execute(QWidget* owner, const QString& workDbPath, const QString& alias,
                        const QString& suffix);

private:
    QWidget* m_owner;
    Preview m_preview;
    std::unique_ptr<TCProcessDlg> m_progress;
};
