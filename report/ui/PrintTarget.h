#pragma once

#include <QString>
#include <functional>

class QPrinter;
class QWidget;

// Where the pages of a print command go, for the forms, the listings and the
// area summary alike. With a print service the print dialog (or the default
// printer) takes them. Without one "Tisk" still produces the document: the
// pages go to a PDF file chosen in a save dialog ("Uložit jako PDF…"), and the
// user is told where it was written; an error is shown only when that file
// cannot be written.
class PrintTarget
{
public:
    enum class Mode
    {
        Dialog, // the print dialog, with pages and copies
        Direct  // the default printer without a dialog
    };

    static bool HasPrinter();

    // Prepares `printer` for a document titled `title` with `pageCount` pages
    // (0: not known before printing). False when the user cancelled.
    static bool Choose(QPrinter& printer, QWidget* parent, const QString& title, Mode mode,
                       int pageCount = 0);

    // True when `printer` writes a PDF file instead of printing.
    static bool WritesPdf(const QPrinter& printer);
    // The message for a print job that could not start: for a PDF file, the
    // file that cannot be written (and why a file was written at all).
    static QString StartFailedMessage(const QPrinter& printer);
    // After a finished job: a PDF file written is announced with its folder.
    static void Finished(const QPrinter& printer, QWidget* parent);

    // The PDF file name offered for a document: its title made a file name,
    // in the user's documents folder.
    static QString SuggestedPdfName(const QString& title);
    // The save dialog "Uložit jako PDF…" offering `suggested`; the chosen
    // file, empty when cancelled.
    static QString AskPdfFile(QWidget* parent, const QString& suggested);
    // Replaces that dialog (tests).
    using FileAsker = std::function<QString(QWidget* parent, const QString& suggested)>;
    static void SetFileAsker(FileAsker asker);
};
