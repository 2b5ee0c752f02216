#include "TestSupport.h"

#include "base/ETalvekException.h"

namespace TestSupport {
QString samplesDir()
{
    return QStringLiteral(ORV_SAMPLES_DIR);
}
QString paradoxSample(const QString& fileName)
{
    return samplesDir() + "/paradox/" + fileName;
}
QString realDistrictDir()
{
    return samplesDir() + "/real/SALADIN";
}
QString realWorkDbDir()
{
    return samplesDir() + "/real/WorkDB";
}
QString orvToolPath()
{
    return QStringLiteral(ORV_TOOL_PATH);
}
QString refusal(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ETalvekException& e) {
        return e.message();
    }
    return QString();
}
} // namespace TestSupport
