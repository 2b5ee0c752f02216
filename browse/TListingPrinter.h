#pragma once

#include "base/ETalvekException.h"
#include "browse/core/TTextListing.h"

#include <QFont>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

// The printer channel of the text listings: every line in a monospaced font
// ("Liberation Mono", 11 points or smaller when 80 columns and the margin
// would not fit the page width), bold spans in bold, one character a column;
// a page ends when it is full or at a form feed.
class TListingPrinter
{
public:
    explicit TListingPrinter(QPagedPaintDevice& device);

    // Runs the listing `copies` times onto the device, each copy from page 1
    // with the printer's left margin, a new sheet between the copies.
    void Print(TTextListing& listing, int kind, int copies,
               const QList<TTextListing::OwnerRow>& owners = {}, const TAreaSums& sums = {});

    // The page margins of the listings (10 mm top and bottom, 8 mm left and
    // right: 64 lines of 80 columns at 11 points fit an A4 sheet).
    static void PreparePrinter(QPrinter& printer);

    // The name a PDF of the listing `kind` is offered under.
    static QString DocumentTitle(int kind);

    int PagesPrinted() const { return m_pages; }
    const QFont& Font() const { return m_font; }

    // A device that cannot start printing (a PDF file that cannot be written).
    struct StartFailed : ETalvekException
    {
        using ETalvekException::ETalvekException;
    };

    // The whole command: the print dialog (printing into a file offered), or
    // without a print service a PDF file asked for (PrintTarget); then the
    // listing in the copies chosen and, for a PDF, where it was written.
    // Cancel prints nothing.
    static void PrintTextReport(QWidget* parent, TTextListing& listing, int kind,
                                const QList<TTextListing::OwnerRow>& owners = {},
                                const TAreaSums& sums = {});

private:
    void WriteLine(QPainter& painter, const TTextListing::Line& line);
    void NewPage();

    QPagedPaintDevice& m_device;
    QPainter* m_painter = nullptr;
    QFont m_font;
    QFont m_bold;
    qreal m_charWidth = 0;
    qreal m_lineHeight = 0;
    qreal m_ascent = 0;
    int m_linesPerPage = 0;
    int m_line = 0;
    int m_pages = 0;
};
