#include "output/core/OutputChoice.h"

#include <algorithm>

namespace OutputChoice {

int NumberOr(const QString& text, int fallback)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : fallback;
}

ReportKind FormKind(const QString& formText, int detailPage, int listNumber, bool sheetQueryOpens,
                    bool preview)
{
    ReportKind kind = 0;
    if (listNumber >= 1)
        kind = sheetQueryOpens ? ReportKinds::SheetForm : ReportKinds::ShortSheetForm;
    else if (formText.isEmpty() || formText.startsWith(u'J'))
        kind = ReportKinds::SimpleForm;
    else if (formText.startsWith(u'P'))
        kind = std::min(ReportKinds::TextForm + std::max(0, detailPage),
                        ReportKinds::DetailFormFromBrowser);
    return preview ? kind : -kind;
}

} // namespace OutputChoice
