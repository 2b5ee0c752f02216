#pragma once

#include <QString>

class QPrinter;
class QWidget;
class ReportDocument;

// Sends a laid-out report to a printer. The pages are painted by the same
// ReportPainter as the preview and PDF; a progress window shows the page
// being printed and lets the user stop the job (the printer then discards it).
class ReportPrinter
{
public:
    static bool hasPrinter();

    // The print dialog (printer, pages, copies preset to the report's), then
    // printing; without a print service the pages go to a PDF file asked for
    // (PrintTarget). False when the choice was cancelled or the job was
    // stopped or could not start.
    static bool printWithDialog(const ReportDocument& document, QWidget* parent);
    // Printing on the default printer without a dialog, with `copies` copies
    // (without a print service: into a PDF file, as above).
    static bool printDirect(const ReportDocument& document, int copies, QWidget* parent);
    // Prints on a prepared printer (its copy count and page range apply).
    static bool printTo(const ReportDocument& document, QPrinter& printer, QWidget* parent);
};
