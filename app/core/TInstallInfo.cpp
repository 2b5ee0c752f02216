#include "app/core/TInstallInfo.h"

namespace {
QString& userNameStore()
{
    static QString value;
    return value;
}

QString& companyNameStore()
{
    static QString value;
    return value;
}
} // namespace

const QString& TInstallInfo::UserName()
{
    return userNameStore();
}

const QString& TInstallInfo::CompanyName()
{
    return companyNameStore();
}

void TInstallInfo::Set(const QString& userName, const QString& companyName)
{
    userNameStore() = userName;
    companyNameStore() = companyName;
}
