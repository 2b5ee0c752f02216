#include "output/core/TReportForm.h"

#include "report/ReportLayouter.h"

TReportForm::TReportForm(QWidget* owner) : m_owner(owner) {}

TReportForm::~TReportForm() = default;

void TReportForm::SetSheet(int) {}

ReportDocument TReportForm::Layout(const QDateTime& printTime)
{
    ReportLayouter layouter(m_report);
    layouter.setPrintTime(printTime);
    return layouter.run();
}
