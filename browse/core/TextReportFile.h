#pragma once

#include "browse/core/TTextListing.h"

#include <QString>

// The file channel of the text listings: writes a listing as UTF-8 text
// without margin and page numbers. The text goes to a temporary file beside
// the target that replaces the target only when it is complete, so a failed
// or stopped write never leaves a partial file nor damages an existing one.
// Throws ETalvekException naming the file: "Nebyl zadán cílový soubor" for
// an empty (or blank) name, a Czech message when the file cannot be written.
void WriteTextReport(TTextListing& listing, int kind, const QString& fileName,
                     const QList<TTextListing::OwnerRow>& owners = {}, const TAreaSums& sums = {});

// The same for a caller that produces the lines itself.
void WriteTextFile(const QString& fileName,
                   const std::function<void(const TTextListing::LineSink&)>& produce);
