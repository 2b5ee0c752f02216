#pragma once

#include "output/core/TLCisForm.h"

// The full statement of one ownership sheet (report kind 3): sections A and
// B of the short statement, then the sheet's supplementary records in
// sections B1 (other rights), C (restrictions of ownership), D (other
// entries) and E (titles of acquisition), each record with its datum, deed
// and statement item, the texts of its deed kind and its text lines. A
// section without records prints the "no entry" row of the code table.
class TLVCisForm : public TLCisForm
{
public:
    TLVCisForm(std::shared_ptr<IApp> app, QWidget* owner, const TKUInfo& ku,
               const QString& workTable);
    ~TLVCisForm() override;

    void SetSheet(int lvCis) override;

    // The texts of one supplementary record as the statement prints them.
    struct RecordTexts
    {
        int listDruh = 0;
        qint64 dlvcis = 0;
        int doplpor = 0;
        QString udaj;    // datum: parcel number for "P" kinds, else "%11.0f"
        QString listina; // deed number "%d/%2d", "" for 0
        QString vykaz;   // statement item "%d/%2d", "" for 0
    };
    // Reads the current row of a section query; a row that cannot be read
    // (the code-999 row has no record fields) gives zeros and empty texts.
    static RecordTexts ReadRecord(const Dataset& record);
    // The SQL of a section's records and of its replacement when it has none.
    static QStringList SectionSql(const QString& suffix, const QString& codeTable, int lvCis,
                                  QChar letter);
    static QString NoEntrySql(const QString& codeTable);

    Table TableList;
    Query QueryB;
    Query QueryC;
    Query QueryD;
    Query QueryE;
    Query QueryTx;

private:
    struct Section
    {
        Query* query;
        QChar letter;
        const char* title;
        std::unique_ptr<DatasetReportSource> source;
    };
    void OpenSection(Query& query, QChar letter);
    ReportSection RecordSection(Section& section);
    bool QDataChange(ReportBand& band, Query& query);
    void OpenTexts(qint64 dlvcis, int doplpor);

    std::vector<Section> m_sections;
    DatasetReportSource m_txSource{QueryTx};
};
