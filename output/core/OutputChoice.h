#pragma once

#include "output/core/ReportKind.h"

#include <QString>

// What the output options dialog's choice means once it closed with OK,
// computed without a window so the browser and the tests share it.
namespace OutputChoice {

// The integer typed in an edit, or `fallback` when the text is not one
// (lines per page 64, copies 1).
int NumberOr(const QString& text, int fallback);

// The form printed for a "Formuláře" choice. On an ownership-sheet browser
// (list number 1 or more) the sheet form: 3 when the sheet's records can be
// queried, else 4. Otherwise by the first character of the form combo's
// text: "" or "J" the simple form 1, "P" 20 + the browser's detail page but
// at most 22, anything else (lower case included) 0, no form. Without
// preview the kind is negated (printed directly).
ReportKind FormKind(const QString& formText, int detailPage, int listNumber, bool sheetQueryOpens,
                    bool preview);

} // namespace OutputChoice
