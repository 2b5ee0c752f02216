#include "TestSupport.h"

#include "base/ETalvekException.h"
#include "map/core/MapStore.h"

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
void writeOneParcelMap(const QString& dir, const QString& code, const QString& name)
{
    MapArea map;
    map.code = code;
    map.name = name;
    MapParcel parcel;
    parcel.group = 2;
    parcel.stem = 1;
    const QPolygonF ring({{-750000, -1050000}, {-749900, -1050000}, {-749900, -1049900}});
    parcel.parts.append(MapPolygon{{ring}});
    parcel.bounds = ring.boundingRect();
    map.parcels.append(parcel);
    map.extent = parcel.bounds;
    MapStore(dir).write(map);
}
} // namespace TestSupport
