#pragma once

#include "output/core/TDetailForm.h"

// The detailed form with the soil-quality ratings (report kind 21): after
// each parcel's block a list "BONITACE POZEMKU" of the parcel's ratings with
// their areas and change items, printed also when the parcel has none.
class TBonitaForm : public TDetailForm
{
public:
    TBonitaForm(std::shared_ptr<IApp> app, QWidget* owner, const TKUInfo& ku,
                const QString& workTable, const QString& indexName);
    ~TBonitaForm() override;

    // The filter of the ratings of one parcel.
    static QString ParcelFilter(int parskup, int parcis, int parpod);

    Table TableBonity;

private:
    void OpenRatings();
    ReportSection RatingSection();
    // Limits the ratings to the parcel of the current work row.
    bool FilterRatings();

    DatasetReportSource m_bonitySource{TableBonity};
};
