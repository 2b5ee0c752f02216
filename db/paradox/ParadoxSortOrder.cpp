#include "db/paradox/ParadoxSortOrder.h"

#include <QtGlobal>

namespace ParadoxSortOrder {

namespace {
struct SortOrder
{
    const char* identifier;
    int byte; // at 0x29 of the header
    int codePage;
};

// The sort orders (language drivers) of Paradox and the BDE, with the code
// page of the text they sort. 1051 is HP Roman-8; the pages ORV has no table
// for still name the page in the message that refuses their text.
constexpr SortOrder sortOrders[] = {
    {"DBWINUS0", 76, 1252},  {"BLLT1DA0", 20, 1252}, {"BLLT1DE0", 24, 1252},
    {"BLLT1UK0", 47, 1252},  {"BLLT1US0", 55, 1252}, {"BLLT1ES0", 39, 1252},
    {"BLLT1FI0", 30, 1252},  {"BLLT1FR0", 39, 1252}, {"BLLT1CA0", 19, 1252},
    {"BLLT1IS0", 43, 1252},  {"BLLT1IT0", 44, 1252}, {"BLLT1NL0", 41, 1252},
    {"BLLT1NO0", 44, 1252},  {"BLLT1PT0", 51, 1252}, {"BLLT1SV0", 56, 1252},
    {"DB852CZ0", 242, 852},  {"DB867CZ0", 248, 867}, {"DB865DA0", 222, 865},
    {"DB437DE0", 221, 437},  {"DB850DE0", 220, 850}, {"db437gr0", 109, 737},
    {"DB437UK0", 244, 437},  {"DB850UK0", 243, 850}, {"DB437US0", 252, 437},
    {"DB850US0", 251, 850},  {"DB437ES1", 237, 437}, {"DB850ES0", 235, 850},
    {"DB437FI0", 227, 437},  {"DB437FR0", 236, 437}, {"DB850FR0", 235, 850},
    {"DB850CF0", 220, 850},  {"DB863CF1", 225, 863}, {"db852hdc", 148, 852},
    {"DB437IT0", 241, 437},  {"DB850IT1", 241, 850}, {"DB437NL0", 238, 437},
    {"DB850NL0", 237, 850},  {"DB865NO0", 246, 865}, {"db852po0", 116, 852},
    {"DB850PT0", 247, 850},  {"DB860PT0", 248, 860}, {"db866ru0", 129, 866},
    {"db852sl0", 116, 852},  {"DB437SV0", 253, 437}, {"DB850SV1", 253, 850},
    {"db437th0", 112, 437},  {"DB857TR0", 0, 857},   {"dbHebrew", 35, 862},
    {"ORAWE850", 27, 850},   {"ANHEBREW", 76, 1255}, {"cyrr", 192, 866},
    {"czech", 13, 852},      {"cskamen", 226, 867},  {"SPANISH", 22, 437},
    {"grcp437", 74, 737},    {"hebrew", 125, 862},   {"hun852dc", 177, 852},
    {"intl", 183, 437},      {"intl850", 84, 850},   {"iceland", 208, 861},
    {"nordan", 130, 865},    {"nordan40", 230, 865}, {"polish", 143, 852},
    {"slovene", 252, 852},   {"swedfin", 240, 437},  {"thai", 166, 437},
    {"turk", 198, 857},      {"ancyrr", 143, 1251},  {"anczech", 220, 1250},
    {"angreek1", 14, 1253},  {"anhundc", 225, 1250}, {"ANSIINTL", 98, 1252},
    {"ANSII850", 17, 1252},  {"ANSINOR4", 78, 1252}, {"anpolish", 94, 1250},
    {"ansislov", 111, 1250}, {"ANSISPAN", 93, 1252}, {"ANSISWFN", 105, 1252},
    {"anthai", 117, 1252},   {"ANTURK", 213, 1254},  {"DBWINES0", 60, 1252},
    {"BLROM800", 20, 1051},  {"SYDC437", 209, 437},  {"SYDC850", 208, 850},
    {"DBWINWE0", 64, 1252},
};
} // namespace

int codePageOf(const QByteArray& identifier, int sortOrderByte)
{
    for (const SortOrder& s : sortOrders) {
        if (!identifier.isEmpty() && qstricmp(identifier.constData(), s.identifier) == 0)
            return s.codePage;
    }
    // The byte alone is shared by sort orders of different pages (20 is both
    // Danish Latin-1 and Roman-8): only an unshared byte tells the page. 0 is
    // also the byte of the byte-order sort, and of every version 3 table.
    if (sortOrderByte == 0)
        return 0;
    int found = 0;
    for (const SortOrder& s : sortOrders) {
        if (s.byte != sortOrderByte || s.codePage == found)
            continue;
        if (found != 0)
            return 0;
        found = s.codePage;
    }
    return found;
}

} // namespace ParadoxSortOrder
