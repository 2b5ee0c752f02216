#pragma once

struct TSelectionContext;
class QWidget;

// The main window's output types 1 and 2 after a selection: the form of that
// kind over the whole marked selection in the preview (sheet number 0, no
// index, one copy). Fits TMainOrvEntries::PrintReport.
void PrintReportEntry(QWidget* owner, int kind, const TSelectionContext& ctx);
