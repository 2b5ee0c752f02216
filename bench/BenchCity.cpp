#include "BenchCity.h"

#include "app/core/StartupCheck.h"
#include "app/core/TApp.h"
#include "settings/TRegistry.h"
#include "data/DemoDistrictGenerator.h"
#include "data/WorkTable.h"
#include "db/Engine.h"
#include "db/EngineAliases.h"
#include "db/Query.h"
#include "db/Table.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

double msSince(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

QString CityDistrict(int argc, char** argv, const QTemporaryDir& tmp)
{
    if (argc > 1)
        return QString::fromLocal8Bit(argv[1]);
    const QString city = tmp.filePath(QStringLiteral("city"));
    QElapsedTimer t;
    t.start();
    DemoDistrictGenerator({DemoDistrictGenerator::Size::City, 1}).generate(city);
    std::printf("generated the city demo in %.1f s\n", msSince(t) / 1000.0);
    return city;
}

void UseDistrict(const QString& alias, const QString& dir)
{
    qputenv("ORV_WORKDB", (dir + QStringLiteral("/WorkDB")).toUtf8());
    EngineAliases aliases(EngineAliases::defaultFilePath());
    aliases.addStandard(alias, dir);
    aliases.save();
    Engine::instance().aliases() = aliases;
}

QString FillWorkTable(const QString& alias, const QString& workDir)
{
    QDir().mkpath(workDir);
    Table work;
    work.setDatabaseName(workDir);
    work.setTableName(QStringLiteral("PRAC.DB"));
    CreateWorkTable(work);
    Query all;
    all.setDatabaseName(alias);
    all.setSql(QStringLiteral("SELECT PARSKUP, PARCIS, PARPOD, PARDIL, VYMERA, DRUHPOZ, CPCE, "
                              "NEMVYUZ, PARCISLO, LVCIS FROM \"NYSPA001.DB\""));
    all.open();
    CopyIntoWorkAndMark(all, work, BatchMove::Mode::Append);
    return workDir + QStringLiteral("/PRAC.DB");
}

CityWork OpenCityWork(int argc, char** argv, const QTemporaryDir& tmp)
{
    CityWork city;
    city.district = CityDistrict(argc, argv, tmp);
    UseDistrict(QStringLiteral("CITY"), city.district);
    city.registry = std::make_shared<TRegistry>(tmp.filePath(QStringLiteral("user.reg")),
                                                tmp.filePath(QStringLiteral("machine.reg")));
    city.app = std::make_shared<TApp>(city.registry, tmp.path());
    const QString workDir = tmp.filePath(QStringLiteral("work"));
    QDir().mkpath(workDir);
    SetWorkDir(*city.app, *city.registry, workDir);
    city.workTable = FillWorkTable(QStringLiteral("CITY"), workDir);
    return city;
}
