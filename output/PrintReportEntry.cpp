#include "output/PrintReportEntry.h"

#include "app/core/MainOrvEntries.h"
#include "output/PrintReport.h"

void PrintReportEntry(QWidget* owner, int kind, const TSelectionContext& ctx)
{
    PrintReport(ctx.App, kind, 0, ctx.KU, ctx.WorkTable, QString(), 1, owner);
}
