#pragma once

#include <QString>

// Paths of the shared sample data beside the repository.
namespace TestSupport {
QString samplesDir();
QString paradoxSample(const QString& fileName);
QString realDistrictDir(); // samples/real/SALADIN
QString realWorkDbDir();   // samples/real/WorkDB
QString orvToolPath();
} // namespace TestSupport
