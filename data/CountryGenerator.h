#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class EngineAliases;

// Writes a deterministic synthetic country for the search of an owner's
// sheets across districts: one directory per district (OKRES01, OKRES02, …),
// each with its catalogue NYSKATAL.DB, its owner table NYSOBORG.DB and per
// cadastral area only the ownership relations NYSUV + suffix + ".DB". Most
// owners hold sheets in their own district; the State, its bodies and a pool
// of nationwide owners hold sheets all over the country. The same options
// always give the same files.
class CountryGenerator
{
public:
    struct Options
    {
        int districts = 77;
        int areas = 13000;          // in all, spread evenly over the districts
        qint64 relations = 4000000; // relation rows in all, about
        int nationalOwners = 3000;  // owners that may hold sheets in any district
        quint64 seed = 1;
    };
    struct District
    {
        QString name; // the directory's name, also the alias to define
        QString directory;
        int areas = 0;
        qint64 owners = 0;
        qint64 relations = 0;
    };
    struct Summary
    {
        QList<District> districts;
        int areas = 0;
        qint64 relations = 0;
    };
    // Called after each district written: done and count.
    using Progress = std::function<void(int done, int districts)>;

    explicit CountryGenerator(const Options& options);

    // Creates `directory` (new or empty) with a directory per district.
    // Throws ETalvekException with a Czech message on failure.
    Summary generate(const QString& directory, const Progress& progress = {}) const;

    // The districts' names (OKRES01, …), also the aliases to define.
    QStringList districtNames() const;
    // Raises ETalvekException when an alias of a district's name exists.
    void checkAliasesFree(const EngineAliases& aliases) const;
    // Defines every district of `summary` as an alias of its name.
    static void defineAliases(EngineAliases& aliases, const Summary& summary);

private:
    Options m_options;
};
