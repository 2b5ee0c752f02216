#pragma once

#include "report/ReportDefinition.h"
#include "report/ReportDocument.h"

#include <QDateTime>

class QWidget;

// A printed form: a class holding one banded report over its datasets,
// created for one PrintReport call. The datasets are opened by the derived
// constructor and closed when the form is destroyed.
class TReportForm
{
public:
    explicit TReportForm(QWidget* owner);
    virtual ~TReportForm();
    TReportForm(const TReportForm&) = delete;
    TReportForm& operator=(const TReportForm&) = delete;

    QWidget* owner() const { return m_owner; }
    ReportDefinition& report() { return m_report; }
    // The ownership-sheet forms print one sheet; the others ignore it.
    virtual void SetSheet(int lvCis);
    // Runs the report over the current data into pages; throws the engine's
    // message when a dataset fails.
    ReportDocument Layout(const QDateTime& printTime = QDateTime::currentDateTime());

protected:
    ReportDefinition m_report;

private:
    QWidget* m_owner;
};
