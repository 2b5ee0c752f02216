#pragma once

// Print settings of text listings for the current run. They are never stored:
// every start begins with paging off and 64 lines per page.
namespace ListingOptions {
constexpr int kDefaultLinesPerPage = 64;
constexpr int kDefaultPrinterMarginChars = 2; // left margin on the printer, in characters

extern bool ListingPaging;
extern int ListingLinesPerPage;
extern int ListingLeftMargin;

// Back to the start-of-run values (used by tests and at start).
void resetListingOptions();
} // namespace ListingOptions
