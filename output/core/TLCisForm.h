#pragma once

#include "output/core/TParcelReportForm.h"
#include "report/ReportMemorySource.h"

// The short statement of one ownership sheet (report kind 4): the title with
// the sheet number, section A (the sheet's owners with their shares) and
// section B (the marked parcel parts of the work table with the legal
// relation of each). The full statement (TLVCisForm) adds the supplementary
// records. Here the work rows are QueryWork and the area's parcel row of a
// work row is TablePa (linked on the part's key).
class TLCisForm : public TParcelReportForm
{
public:
    // Opens the code and owner tables; the sheet is chosen by SetSheet.
    TLCisForm(std::shared_ptr<IApp> app, QWidget* owner, const TKUInfo& ku,
              const QString& workTable);
    ~TLCisForm() override;

    // The statement of sheet `lvCis` over the marked rows of the work table as
    // it is now (re-read, so a refill after construction is seen).
    void SetSheet(int lvCis) override;
    int Sheet() const { return m_lvCis; }

    // What OK of the sheet dialog does before the statement: the typed sheet
    // number (0 when it is not a number) and the work table refilled with its
    // parts, all marked. A negative number or a sheet without parts throws
    // "K listu číslo %d nenalezena žádná parcela." (the work table is then
    // left empty, or unchanged for a negative number).
    static int FillWorkTable(const QString& workTable, const TKUInfo& ku, const QString& typed);

    static QStringList InitialSql();
    // Legal relation as the statement prints it: the whole text of the code.
    static QString RelationText(const QString& text);
    // The owner's name: by (IDENT, UVCHAR), else the first owner with the
    // same IDENT, else "nenalezen".
    QString OwnerName(double ident, int uvchar);

    Table TableVl;
    Table TableOborg;
    Table TableCharakter;
    Table TableVyuz;
    Table TableVztah;

protected:
    // The report's main section: one row while the sheet has marked parts;
    // the statement's sections are its sub-sections, printed once each.
    ReportSection& SheetSection() { return m_report.sections.front(); }
    // A band holding one rule across the page, closing a section.
    ReportBand RuleBand(const QString& name) const;
    QString WorkDbTable(const char* table) const;

private:
    void OpenCodeTable(Table& table, const char* name, const QString& index);
    void OpenAreaTables();
    void BuildLayout();
    ReportSection OwnerSection();
    ReportSection ParcelSection();
    bool DSVlDataChange(ReportBand& band);
    bool DSPaDataChange(ReportBand& band);
    QString VlastVztah();
    QString UseText(int druhpoz, int nemvyuz);

    int m_lvCis = 0;
    ReportMemorySource m_sheetSource;
    DatasetReportSource m_vlSource{TableVl};
    DatasetReportSource m_charakterSource{TableCharakter};
};
