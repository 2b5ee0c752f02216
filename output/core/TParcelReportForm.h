#pragma once

#include "app/core/IApp.h"
#include "app/core/TKUInfo.h"
#include "db/Query.h"
#include "db/Table.h"
#include "output/core/TReportForm.h"
#include "report/DatasetReportSource.h"

#include <QStringList>
#include <memory>

// What the parcel forms (simple, detailed, with texts, with soil quality)
// share: construction from the open area, the selection query over the marked
// rows of the work table, the parcel and kind-of-land tables, the title band
// and the page header, and the statement and house-number texts.
class TParcelReportForm : public TReportForm
{
public:
    // Opens QueryWork (initialSql: three lines, see WorkQuerySql), the
    // kind-of-land code table and the area's parcel table linked to QueryWork
    // on `parcelLinkFields`. A table that cannot be opened throws the engine's
    // message.
    TParcelReportForm(std::shared_ptr<IApp> app, QWidget* owner, const TKUInfo& ku,
                      const QString& workTable, const QString& indexName,
                      const QStringList& initialSql, const QString& parcelLinkFields);
    ~TParcelReportForm() override;

    // The selection SQL: line 2 reads the work table's file, and with an index
    // name its field is added to the selected columns and orders the rows.
    static QStringList WorkQuerySql(const QStringList& initialSql, const QString& workFileName,
                                    const QString& indexName);
    // Statement column: "nenalez." without a parcel row, else PPOLVZ as "%d/%d".
    static QString VykazText(bool parcelFound, qint64 ppolvz);
    // House number with the "p"/"e" suffix of current-cadastre parcels.
    static QString CisPopText(qint64 cpce, int nemvyuz, int parskup);

    Query QueryWork;
    Table TablePa;
    Table TableDruhP;

protected:
    // Title band of the first page and page header of the others, over the
    // report's content width.
    ReportBand TitleBand() const;
    ReportBand PageHeaderBand() const;
    // Common report settings: portrait on the paper of FormPaper, 10 mm
    // margins, serif 10 pt, no output for an empty selection, no page header
    // on the first page.
    void SetupReport(const QString& title);
    // The area the bands are designed for: US Letter inside 10 mm margins
    // (740 x 980 units). A4 is narrower and taller: its pages are scaled down
    // to its width, so every column stays whole.
    static QRectF DesignArea();

    std::shared_ptr<IApp> m_app;
    TKUInfo m_ku;
    QString OkresEdit;
    QString ObecEdit;
    QString KatastrEdit;
    QString KodEdit;
    QString VyhotovilEdit;
    DatasetReportSource m_workSource{QueryWork};
    DatasetReportSource m_paSource{TablePa};
    DatasetReportSource m_druhPSource{TableDruhP};

private:
    void OpenWorkQuery(const QString& workTable, const QString& indexName,
                       const QStringList& initialSql);
};
