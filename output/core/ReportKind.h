#pragma once

#include <cstdlib>

// The kind of a printed form: the absolute value selects the form, the sign
// the destination (positive: preview; zero or negative: print directly).
using ReportKind = int;

namespace ReportKinds {
inline constexpr int SimpleForm = 1;             // TListForm
inline constexpr int DetailForm = 2;             // TDetailForm (also 22)
inline constexpr int DetailFormFromBrowser = 22; // TDetailForm
inline constexpr int SheetForm = 3;              // TLVCisForm
inline constexpr int ShortSheetForm = 4;         // TLCisForm
inline constexpr int TextForm = 20;              // TTextForm
inline constexpr int SoilQualityForm = 21;       // TBonitaForm

// The form number of a kind: its absolute value.
inline int FormOf(ReportKind kind)
{
    return std::abs(kind);
}
inline bool IsPreview(ReportKind kind)
{
    return kind > 0;
}
// Kinds 0, 5 to 19 and above 22 produce nothing.
inline bool HasForm(ReportKind kind)
{
    switch (FormOf(kind)) {
    case SimpleForm:
    case DetailForm:
    case DetailFormFromBrowser:
    case SheetForm:
    case ShortSheetForm:
    case TextForm:
    case SoilQualityForm:
        return true;
    default:
        return false;
    }
}
// Kinds 3 and 4 print one ownership sheet; the others the marked parcels.
inline bool IsSheetForm(ReportKind kind)
{
    return FormOf(kind) == SheetForm || FormOf(kind) == ShortSheetForm;
}
} // namespace ReportKinds
