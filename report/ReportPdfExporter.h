#pragma once

#include <QString>

class ReportDocument;

// Writes a laid-out report as a PDF file. The file appears complete or not at
// all: it is written under a temporary name and renamed when finished.
// Errors throw ETalvekException with a Czech message.
class ReportPdfExporter
{
public:
    static constexpr int Resolution = 600; // dots per inch of the PDF's drawing grid

    static void write(const ReportDocument& document, const QString& fileName);
};
