#include "report/ui/ReportPrinter.h"

#include "report/ui/PrintTarget.h"

#include "widgets/MessageDlg.h"
#include "report/ReportDocument.h"
#include "report/ReportPainter.h"

#include <QApplication>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>

namespace {
void preparePrinter(const ReportDocument& document, QPrinter& printer)
{
    printer.setFullPage(true); // boxes are positioned from the paper's corner
    printer.setPageLayout(document.pageLayout());
    printer.setDocName(document.title);
}

// Pages to print, 0-based, from the printer's page range (all when none).
QList<int> pagesToPrint(const ReportDocument& document, const QPrinter& printer)
{
    int from = 0;
    int to = document.pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = printer.fromPage() - 1;
        to = std::min(to, printer.toPage() - 1);
    }
    QList<int> pages;
    for (int i = from; i <= to; ++i)
        pages.append(i);
    return pages;
}
} // namespace

bool ReportPrinter::hasPrinter()
{
    return PrintTarget::HasPrinter();
}

bool ReportPrinter::printWithDialog(const ReportDocument& document, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(document, printer);
    printer.setCopyCount(std::max(document.copies, 1));
    if (!PrintTarget::Choose(printer, parent, document.title, PrintTarget::Mode::Dialog,
                             document.pageCount()))
        return false;
    return printTo(document, printer, parent);
}

bool ReportPrinter::printDirect(const ReportDocument& document, int copies, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(document, printer);
    printer.setCopyCount(std::max(copies, 1));
    if (!PrintTarget::Choose(printer, parent, document.title, PrintTarget::Mode::Direct))
        return false;
    return printTo(document, printer, parent);
}

bool ReportPrinter::printTo(const ReportDocument& document, QPrinter& printer, QWidget* parent)
{
    preparePrinter(document, printer);
    const QList<int> pages = pagesToPrint(document, printer);
    // Copies the printer cannot make itself are printed one after another.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(printer.copyCount(), 1);
    const int total = int(pages.size()) * copies;
    if (total == 0)
        return false;
    QProgressDialog progress(QStringLiteral("Tisk sestavy…"), QStringLiteral("Storno"), 0, total,
                             parent);
    progress.setWindowTitle(QStringLiteral("Tisk"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    QPainter painter;
    if (!painter.begin(&printer)) {
        ErrorBox(PrintTarget::StartFailedMessage(printer));
        return false;
    }
    const ReportPainter pagePainter(document);
    int done = 0;
    for (int copy = 0; copy < copies; ++copy) {
        for (int page : pages) {
            if (progress.wasCanceled()) {
                printer.abort();
                return false;
            }
            progress.setLabelText(QStringLiteral("Tisk strany %1 z %2").arg(done + 1).arg(total));
            progress.setValue(done);
            if (done > 0)
                printer.newPage();
            pagePainter.paintPage(page, painter);
            ++done;
        }
    }
    painter.end();
    progress.setValue(total);
    PrintTarget::Finished(printer, parent);
    return true;
}
