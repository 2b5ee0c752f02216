#include "report/ReportDocument.h"

QPageLayout ReportDocument::pageLayout() const
{
    return QPageLayout(pageSize, orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}
