// orv-tool katalog ALIAS|ADRESÁŘ: checks the district catalogue NYSKATAL.DB
// (as the alias manager does before it binds an alias) and lists the
// district, its municipalities and its cadastral areas in name order.
#include "app/core/DistrictCatalogue.h"
#include "app/core/DistrictCatalogueCheck.h"
#include "db/Engine.h"
#include "db/Table.h"
#include "tools/ToolCommand.h"

#include <cstdio>

namespace {
void printRows(Table& catalogue, const QString& filter, const char* kind)
{
    catalogue.setFilter(filter);
    for (catalogue.first(); !catalogue.eof(); catalogue.next())
        std::printf("%s\t%s\t%s\t%s\t%s\n", kind,
                    qPrintable(catalogue.asString(QStringLiteral("PORCIS"))),
                    qPrintable(catalogue.asString(QStringLiteral("KATUZ"))),
                    qPrintable(catalogue.asString(QStringLiteral("IDENTCIS"))),
                    qPrintable(catalogue.asString(QStringLiteral("NAZEV"))));
}

int runKatalog(const QStringList& args)
{
    if (args.size() != 1)
        return toolUsageError(QStringLiteral("katalog ALIAS|ADRESÁŘ"));
    // A plain word is an alias; anything with a separator is a directory.
    const QString directory = Engine::instance().directoryOf(args.first());
    DistrictCatalogueCheck::check(directory);
    Table catalogue;
    DistrictCatalogue::bind(catalogue, directory + u'/');
    catalogue.setFilter(DistrictCatalogue::districtRow());
    catalogue.setFiltered(true);
    catalogue.open();
    std::printf("druh\tPORCIS\tKATUZ\tIDENTCIS\tNAZEV\n");
    printRows(catalogue, DistrictCatalogue::districtRow(), "okres");
    printRows(catalogue, DistrictCatalogue::municipalityRows(), "obec");
    printRows(catalogue, DistrictCatalogue::areaRows(), "ku");
    return std::fflush(stdout) == 0 ? 0 : 1;
}

ToolCommandRegistrar reg{{QStringLiteral("katalog"),
                          QStringLiteral("katalog ALIAS|ADRESÁŘ  kontrola katalogu okresu "
                                         "NYSKATAL.DB, výpis obcí a katastrálních území"),
                          &runKatalog}};
} // namespace
