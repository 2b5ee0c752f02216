#include "browse/TParDilyPrint.h"

#include "app/core/ListingOptions.h"
#include "app/core/TInstallInfo.h"
#include "base/ETalvekException.h"
#include "base/Format.h"
#include "browse/TListingPrinter.h"
#include "browse/TVymeryDlg.h"
#include "browse/core/TAreaSums.h"
#include "browse/core/TextReportFile.h"
#include "data/CadastralTables.h"
#include "db/AliasPaths.h"
#include "db/Query.h"
#include "output/PrintReport.h"
#include "output/TParVystupDlg.h"
#include "output/core/OutputChoice.h"
#include "select/TCProcessDlg.h"
#include "select/TSaveFileDialog.h"
#include "widgets/DialogPos.h"
#include "widgets/FileWrittenNotice.h"
#include "widgets/MessageDlg.h"
#include "widgets/TWaitCursor.h"
#include "widgets/TextEditorLauncher.h"

using namespace ListingOptions;

TParDilyPrint::TParDilyPrint(std::shared_ptr<IApp> app, TKUInfo ku, QString workTablePath,
                             Browser browser)
    : m_app(std::move(app)), m_ku(std::move(ku)), m_workTablePath(std::move(workTablePath)),
      m_browser(std::move(browser))
{
}

TTextListing::Setup TParDilyPrint::ListingSetup() const
{
    TTextListing::Setup s;
    s.ku = m_ku;
    s.workDbPath = m_app->WorkDbPath();
    s.workTablePath = m_workTablePath;
    s.order = m_browser.indexName;
    s.companyName = TInstallInfo::CompanyName();
    s.date = QDate::currentDate();
    s.listNumber = m_browser.listNumber;
    s.page = m_browser.detailPage;
    s.paging = ListingPaging;
    s.linesPerPage = ListingLinesPerPage;
    return s;
}

TTextListing::Progress TParDilyPrint::PrintProgress() const
{
    TCProcessDlg* process = m_browser.progress;
    if (!process)
        return {};
    return {[process](int total) { process->Start(QStringLiteral("Probíhá tisk ..."), total); },
            [process] { return process->Step(); }, [process] { process->Finish(); }};
}

bool TParDilyPrint::SheetQueryOpens() const
{
    try {
        Query query;
        query.setDatabaseName(m_ku.Alias);
        query.setSql(QStringList{
            Format(QStringLiteral("Select DOPLPOR, DOPLKOD, DOPLUDAJ From \"%s\""),
                   CadastralTables::PerAreaTable(CadastralTables::RecordPrefix, m_ku.Suffix)),
            QStringLiteral("Where DLVCIS = 0")});
        query.open();
        return true;
    } catch (const ETalvekException&) {
        return false;
    }
}

bool TParDilyPrint::PrintParDily(int& formKind, int& copies)
{
    formKind = 0;
    copies = 1;
    TParVystupDlg dialog(m_app, m_browser.window);
    CenterDialog(*m_app, m_browser.window, &dialog);
    if (dialog.Execute(ListingPaging, TParVystupDlg::ShortListing, ListingLinesPerPage) !=
        QDialog::Accepted)
        return false;
    ListingPaging = dialog.Paging();
    ListingLinesPerPage = dialog.LinesPerPage();
    const int type = dialog.ReportTypeChosen();
    if (dialog.ToFile()) {
        TTextListing listing(ListingSetup(), {}, PrintProgress());
        const QString file = ExpandAliasPath(dialog.FileName().trimmed());
        WriteTextReport(listing, type, file);
        if (!dialog.OpenInEditor())
            FileWrittenNotice::Show(m_browser.window,
                                    QStringLiteral("Sestava byla zapsána do souboru"), file);
        else if (!OpenInTextEditor(file))
            ErrorBox(QStringLiteral("Soubor %1 nelze otevřít v textovém editoru").arg(file));
        return true;
    }
    if (type < TParVystupDlg::Forms) {
        TTextListing listing(ListingSetup(), {}, PrintProgress());
        TListingPrinter::PrintTextReport(m_browser.window, listing, type);
        return true;
    }
    const bool sheet = m_browser.listNumber >= 1 && SheetQueryOpens();
    formKind = OutputChoice::FormKind(dialog.FormText(), m_browser.detailPage, m_browser.listNumber,
                                      sheet, dialog.Preview());
    copies = dialog.Copies();
    return true;
}

void TParDilyPrint::VymeryBtnClick()
{
    TAreaSums sums;
    {
        TWaitCursor wait(*m_app);
        sums = TAreaSums::ComputeAreaSums(m_workTablePath);
    }
    TVymeryDlg dialog(m_app, m_browser.window);
    dialog.SetValues(sums);
    const int result = dialog.exec();
    TTextListing listing(ListingSetup());
    if (result == QDialog::Accepted) {
        const QString file = TSaveFileDialog::Run(
            m_app, QStringLiteral("Text (*.txt)|*.txt|Všechny soubory (*.*)|*.*"),
            QStringLiteral("Nalistování výstupní sestavy"), m_app->WorkPath() + u'/', false, {},
            m_browser.window);
        if (!file.isEmpty()) {
            const QString path = ExpandAliasPath(file);
            WriteTextReport(listing, TTextListing::AreaSummary, path, {}, sums);
            FileWrittenNotice::Show(m_browser.window,
                                    QStringLiteral("Přehled výměr byl zapsán do souboru"), path);
        }
    } else if (result == TVymeryDlg::Print) {
        TListingPrinter::PrintTextReport(m_browser.window, listing, TTextListing::AreaSummary, {},
                                         sums);
    }
}

void TParDilyPrint::PrintOwners(const QList<TTextListing::OwnerRow>& owners, const QString& target)
{
    TTextListing listing(ListingSetup(), {}, PrintProgress());
    if (target == QLatin1String("PRN:"))
        TListingPrinter::PrintTextReport(m_browser.window, listing, TTextListing::OwnersListing,
                                         owners);
    else {
        const QString path = ExpandAliasPath(target);
        WriteTextReport(listing, TTextListing::OwnersListing, path, owners);
        FileWrittenNotice::Show(m_browser.window, QStringLiteral("Sestava byla zapsána do souboru"),
                                path);
    }
}

void TParDilyPrint::PrintSheet(QWidget* owner, int sheet, const TSelectionContext& ctx)
{
    TCProcessDlg progress(owner);
    TParDilyPrint command(ctx.App, ctx.KU, ctx.WorkTable,
                          {owner, &progress, sheet, TTextListing::PageText, {}});
    int kind = 0;
    int copies = 1;
    if (command.PrintParDily(kind, copies) && kind != 0)
        PrintReport(ctx.App, kind, sheet, ctx.KU, ctx.WorkTable, {}, copies, owner);
}

void TParDilyPrint::PrintOwnerList(QWidget* owner, const Dataset& owners, const QString& target,
                                   const TSelectionContext& ctx)
{
    TCProcessDlg progress(owner);
    // The owners listing reads no parts: a command without a work table.
    TParDilyPrint command(ctx.App, ctx.KU, {}, {owner, &progress, 0, TTextListing::PageText, {}});
    command.PrintOwners(TTextListing::OwnerRowsOf(owners), target);
}
