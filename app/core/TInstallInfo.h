#pragma once

#include <QString>

// The user and organisation names stored at installation. Empty until the
// start-up check has read them; read-only for the rest of the program.
class TInstallInfo
{
public:
    static const QString& UserName();
    static const QString& CompanyName();
    static void Set(const QString& userName, const QString& companyName);
};
