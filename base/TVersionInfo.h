#pragma once

#include <QString>

// The program's own version information, compiled in.
struct TVersionInfo
{
    QString ProductName;
    QString ProductVersion;
    QString LegalCopyright;

    static TVersionInfo Program();
};
