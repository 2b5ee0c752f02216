#pragma once

#include "output/core/TParcelReportForm.h"

// The detailed form (report kinds 2 and 22): per marked parcel a header with
// its number and group, per part a two-line block (kind of land, use, house
// number, area, sheet, map, statement) and the owners with their shares.
// Where land and building stand on different sheets (relation 5), the land
// owners of the other sheet come first under "VLASTNICTVÍ POZEMKU", then the
// part's own sheet under "VLASTNICTVÍ STAVBY"; otherwise one list under
// "VLASTNICTVÍ POZEMKU A STAVBY". A closing rule ends each parcel.
class TDetailForm : public TParcelReportForm
{
public:
    TDetailForm(std::shared_ptr<IApp> app, QWidget* owner, const TKUInfo& ku,
                const QString& workTable, const QString& indexName);
    ~TDetailForm() override;

    static QStringList InitialSql();
    // Caption of the house-number value for a part.
    static QString CisPopCaption(qint64 cpce, int parskup, int nemvyuz);

    Table TablePskup;
    Table TableVyuz;
    Table TableCharakter;
    Table TableOborg;
    Table TableVl;
    Query QueryVl;
    Query QueryDoplVl;

protected:
    // The section over the parts of one parcel (inside the work section) and
    // the work section itself, for the variants that add blocks.
    ReportSection& PartsSection();
    ReportSection& WorkSection();
    // A footer band holding one rule across the page.
    ReportBand FooterRuleBand(const QString& name) const;

private:
    void OpenCodeTables();
    void OpenOwnerTables();
    void PrepareOwners(Dataset& owners);
    void VlCalcFields(Dataset& owners);
    QString OwnerName(double ident, int uvchar);
    bool DSPaDataChange(ReportBand& band);
    void OpenLandOwners(qint64 lvcis);
    // The sheet of the land named by the code-82 record of `lvcis`; 0 when
    // there is none or it cannot be read.
    qint64 OtherSheet(qint64 lvcis);
    QString UseText(int druhpoz, int nemvyuz);

    void BuildLayout();
    ReportBand ParcelHeaderBand();
    ReportBand PartBand();
    ReportSection OwnerSection(DatasetReportSource* source, const QString& prefix,
                               const QString* title);
    // Fills a memo with the text broken to its width.
    void WrapInto(ReportElement& memo, const QString& text) const;

    DatasetReportSource m_pskupSource{TablePskup};
    DatasetReportSource m_vlSource{TableVl};
    DatasetReportSource m_queryVlSource{QueryVl};
    QString m_labelDoplVl;
    QString m_labelVl;
};
