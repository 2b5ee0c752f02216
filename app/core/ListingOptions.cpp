#include "app/core/ListingOptions.h"

namespace ListingOptions {
bool ListingPaging = false;
int ListingLinesPerPage = kDefaultLinesPerPage;
int ListingLeftMargin = kDefaultPrinterMarginChars;

void resetListingOptions()
{
    ListingPaging = false;
    ListingLinesPerPage = kDefaultLinesPerPage;
    ListingLeftMargin = kDefaultPrinterMarginChars;
}
} // namespace ListingOptions
