#pragma once

#include <QString>
#include <memory>

class QElapsedTimer;
class QTemporaryDir;
class TApp;
class TRegistry;

// What the benchmarks over the "city" demo area (one area, 40,000 parcel
// parts) share: timing, the demo district itself, its alias and a work table
// with every part marked.

// Wall time since the timer started, in milliseconds.
double msSince(const QElapsedTimer& t);

// Processor time of the whole process so far, in milliseconds.
double cpuMs();

// The city district named by the first program argument, else generated into
// `tmp`/city (printing how long that took).
QString CityDistrict(int argc, char** argv, const QTemporaryDir& tmp);

// Binds `alias` to the district `dir` in the engine and takes the code tables
// from its WorkDB.
void UseDistrict(const QString& alias, const QString& dir);

// Every part of area 001 of `alias`, marked, into workDir/PRAC.DB; returns
// that path.
QString FillWorkTable(const QString& alias, const QString& workDir);

// The city demo as the browser meets it: the district under the alias CITY,
// a program object with its registry in `tmp`, the work directory tmp/work
// and in it the work table with every part marked.
struct CityWork
{
    QString district; // its directory
    std::shared_ptr<TRegistry> registry;
    std::shared_ptr<TApp> app;
    QString workTable;
};
CityWork OpenCityWork(int argc, char** argv, const QTemporaryDir& tmp);
