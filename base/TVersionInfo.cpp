#include "base/TVersionInfo.h"

TVersionInfo TVersionInfo::Program()
{
    return TVersionInfo{QStringLiteral("ORV"), QStringLiteral(ORV_VERSION_STRING),
                        QStringLiteral("Copyright © VELDO")};
}
