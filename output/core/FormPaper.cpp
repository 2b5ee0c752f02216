#include "output/core/FormPaper.h"

#include "settings/ISettings.h"
#include "report/ReportPaper.h"

namespace {
FormPaper::PrinterPaper& printerPaper()
{
    static FormPaper::PrinterPaper source;
    return source;
}
} // namespace

QPageSize::PageSizeId FormPaper::Resolve(ISettings* settings)
{
    if (settings) {
        const QString chosen =
            settings->GetValue(QString::fromLatin1(SettingName), QString()).toString();
        if (const auto paper = ReportPaper::FromName(chosen))
            return *paper;
    }
    if (const auto paper = ReportPaper::FromLocale())
        return *paper;
    if (printerPaper())
        if (const auto paper = printerPaper()())
            return *paper;
    return QPageSize::A4;
}

void FormPaper::SetPrinterPaper(PrinterPaper source)
{
    printerPaper() = std::move(source);
}
