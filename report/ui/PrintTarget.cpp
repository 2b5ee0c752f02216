#include "report/ui/PrintTarget.h"

#include "widgets/FileDialogFit.h"
#include "widgets/FileWrittenNotice.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace {
PrintTarget::FileAsker& fileAsker()
{
    static PrintTarget::FileAsker asker;
    return asker;
}
} // namespace

QString PrintTarget::AskPdfFile(QWidget* parent, const QString& suggested)
{
    if (fileAsker())
        return fileAsker()(parent, suggested);
    QFileDialog dialog(parent, QStringLiteral("Uložit jako PDF…"));
    // The program's file dialogs are Qt's own, in Czech, with readable columns.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Dokument PDF (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.setDirectory(QFileInfo(suggested).absolutePath());
    dialog.selectFile(QFileInfo(suggested).fileName());
    FitFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

namespace {
bool choosePdfFile(QPrinter& printer, QWidget* parent, const QString& title)
{
    QString file = PrintTarget::AskPdfFile(parent, PrintTarget::SuggestedPdfName(title));
    if (file.isEmpty())
        return false;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    return true;
}
} // namespace

bool PrintTarget::HasPrinter()
{
    return !QPrinterInfo::availablePrinters().isEmpty();
}

bool PrintTarget::Choose(QPrinter& printer, QWidget* parent, const QString& title, Mode mode,
                         int pageCount)
{
    printer.setDocName(title);
    if (!HasPrinter())
        return choosePdfFile(printer, parent, title);
    if (mode == Mode::Direct) {
        printer.setPrinterName(QPrinterInfo::defaultPrinter().printerName());
        return true;
    }
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (pageCount > 0) {
        printer.setFromTo(1, pageCount);
        dialog.setMinMax(1, pageCount);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    }
    return dialog.exec() == QDialog::Accepted;
}

bool PrintTarget::WritesPdf(const QPrinter& printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
}

QString PrintTarget::StartFailedMessage(const QPrinter& printer)
{
    if (!WritesPdf(printer))
        return QStringLiteral("Tisk nelze zahájit");
    const QString file = QDir::toNativeSeparators(printer.outputFileName());
    return HasPrinter() ? QStringLiteral("Soubor PDF %1 nelze zapsat").arg(file)
                        : QStringLiteral("Není nainstalována žádná tiskárna a soubor PDF %1 "
                                         "nelze zapsat")
                              .arg(file);
}

void PrintTarget::Finished(const QPrinter& printer, QWidget* parent)
{
    if (WritesPdf(printer))
        FileWrittenNotice::Show(parent, QStringLiteral("Tisk byl uložen do souboru PDF"),
                                printer.outputFileName());
}

QString PrintTarget::SuggestedPdfName(const QString& title)
{
    QString name = title.simplified();
    // Characters a file name must not hold, and blanks, become underscores.
    for (QChar& c : name)
        if (c == u'/' || c == u'\\' || c == u':' || c == u' ' ||
            c.category() == QChar::Other_Control)
            c = u'_';
    if (name.isEmpty())
        name = QStringLiteral("tisk");
    QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        dir = QDir::homePath();
    return QDir(dir).filePath(name + QStringLiteral(".pdf"));
}

void PrintTarget::SetFileAsker(FileAsker asker)
{
    fileAsker() = std::move(asker);
}
