#pragma once

#include <QString>

#include <functional>

// Paths of the shared sample data beside the repository.
namespace TestSupport {
QString samplesDir();
QString paradoxSample(const QString& fileName);
QString realDistrictDir(); // samples/real/SALADIN
QString realWorkDbDir();   // samples/real/WorkDB
QString orvToolPath();
// The Czech message of the ETalvekException that `action` throws, or an empty
// string when it throws none.
QString refusal(const std::function<void()>& action);
// Writes into the map store in `dir` the map of area `code` named `name`
// with one triangular parcel 2/1 (near Y 750 000, X 1 050 000).
void writeOneParcelMap(const QString& dir, const QString& code, const QString& name);
} // namespace TestSupport
