#pragma once

#include "report/ReportDataSource.h"

class Dataset;

// A report data source over an engine dataset (table or query). A detail table
// linked to its master follows the master by itself; its first() goes to the
// first row of the master's current rows. An inactive or empty dataset, or
// one moved past its last row, has no current row: its fields print empty.
class DatasetReportSource : public ReportDataSource
{
public:
    explicit DatasetReportSource(Dataset& dataset);

    void first() override;
    void next() override;
    bool eof() const override;
    QVariant value(const QString& field) const override;

    // True when the dataset has a current row (a linked detail found its row).
    bool hasRow() const;
    Dataset& dataset() const { return m_dataset; }

private:
    Dataset& m_dataset;
};
