#include "report/ui/DefaultPrinterPaper.h"

#include "report/ReportPaper.h"

#include <QPrinterInfo>
#include <cmath>

std::optional<QPageSize::PageSizeId> DefaultPrinterPaper()
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull())
        return std::nullopt;
    const QPageSize paper = printer.defaultPageSize();
    if (!paper.isValid())
        return std::nullopt;
    const QSizeF mm = paper.size(QPageSize::Millimeter);
    return ReportPaper::FromMillimetres(int(std::lround(mm.width())),
                                        int(std::lround(mm.height())));
}
