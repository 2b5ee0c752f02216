#include "map/core/QuietGdal.h"

#include <cpl_error.h>

QuietGdal::QuietGdal()
{
    static const bool registered = [] {
        GDALAllRegister();
        return true;
    }();
    (void)registered;
    CPLPushErrorHandler(CPLQuietErrorHandler);
    CPLErrorReset();
}

QuietGdal::~QuietGdal()
{
    CPLPopErrorHandler();
}

QString QuietGdal::lastError()
{
    const QString text = QString::fromUtf8(CPLGetLastErrorMsg()).trimmed();
    return text.isEmpty() ? QStringLiteral("neznámá chyba knihovny GDAL") : text;
}
