#pragma once

#include <QPageSize>
#include <functional>
#include <optional>

class ISettings;

// The paper every printed form and the statistics are laid out on: the
// setting "Vystup.Papir" ("A4" or "Letter") when it is set, else the paper
// of the system's locale, else the default printer's (known only to the
// program's windows, which tell it through SetPrinterPaper), else A4.
class FormPaper
{
public:
    static constexpr const char* SettingName = "Vystup.Papir";
    using PrinterPaper = std::function<std::optional<QPageSize::PageSizeId>()>;

    // `settings` may be null (forms laid out outside the program).
    static QPageSize::PageSizeId Resolve(ISettings* settings);
    // Where the default printer's paper comes from; asked only when neither
    // the setting nor the locale names a paper.
    static void SetPrinterPaper(PrinterPaper source);
};
