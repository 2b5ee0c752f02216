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
} // namespace TestSupport
