#include "report/ReportDocument.h"

QPageLayout ReportDocument::pageLayout() const
{
    return QPageLayout(pageSize, orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

QStringList ReportDocument::textsOf(const QString& elementName) const
{
    QStringList result;
    for (const ReportPage& page : pages)
        for (const ReportBox* box : page.textsOf(elementName))
            result.append(box->text);
    return result;
}
