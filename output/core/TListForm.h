#pragma once

#include "output/core/TParcelReportForm.h"

// The simple form (report kind 1): one framed line per marked parcel part
// with its group, number, part, kind of land, area, house number, sheet,
// relation, protection, use, map and statement item.
class TListForm : public TParcelReportForm
{
public:
    TListForm(std::shared_ptr<IApp> app, QWidget* owner, const TKUInfo& ku,
              const QString& workTable, const QString& indexName);

    static QStringList InitialSql();

    // Column of the table: caption, element name of the detail cell, left
    // edge and width in report units, alignment of caption and cell.
    struct Column
    {
        QString caption;
        QString name;
        double left;
        double width;
        Qt::Alignment captionAlign;
        Qt::Alignment cellAlign;
    };
    static const QList<Column>& Columns();

private:
    ReportBand ColumnHeaderBand() const;
    ReportBand DetailBand();
    // Fills the computed cells of the current work row (statement, house number).
    bool DSPaDataChange(ReportBand& band);
};
