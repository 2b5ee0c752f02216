#include "data/DemoNameSource.h"

namespace {

const char* const maleNames[] = {
    "JAN",      "PETR",   "JOSEF",    "PAVEL",     "MARTIN", "TOMÁŠ",     "JIŘÍ",  "JAROSLAV",
    "MIROSLAV", "ZDENĚK", "VÁCLAV",   "MICHAL",    "KAREL",  "FRANTIŠEK", "LUKÁŠ", "DAVID",
    "ONDŘEJ",   "RADEK",  "VLADIMÍR", "STANISLAV", "ROMAN",  "LADISLAV",  "ŘEHOŘ", "JAKUB"};
const char* const femaleNames[] = {"MARIE",     "JANA",   "EVA",    "HANA",  "ANNA",    "LENKA",
                                   "KATEŘINA",  "LUCIE",  "VĚRA",   "ALENA", "PETRA",   "JITKA",
                                   "MARKÉTA",   "RADKA",  "ZDEŇKA", "IVANA", "MONIKA",  "LUDMILA",
                                   "JAROSLAVA", "BOŽENA", "DANA",   "ŠÁRKA", "MARTINA", "TEREZA"};

struct Surname
{
    const char* male;
    const char* female;
};
const Surname surnames[] = {
    {"NOVÁK", "NOVÁKOVÁ"},       {"SVOBODA", "SVOBODOVÁ"},   {"NOVOTNÝ", "NOVOTNÁ"},
    {"DVOŘÁK", "DVOŘÁKOVÁ"},     {"ČERNÝ", "ČERNÁ"},         {"PROCHÁZKA", "PROCHÁZKOVÁ"},
    {"KUČERA", "KUČEROVÁ"},      {"VESELÝ", "VESELÁ"},       {"HORÁK", "HORÁKOVÁ"},
    {"NĚMEC", "NĚMCOVÁ"},        {"MAREK", "MARKOVÁ"},       {"POKORNÝ", "POKORNÁ"},
    {"POSPÍŠIL", "POSPÍŠILOVÁ"}, {"HÁJEK", "HÁJKOVÁ"},       {"JELÍNEK", "JELÍNKOVÁ"},
    {"KRÁL", "KRÁLOVÁ"},         {"RŮŽIČKA", "RŮŽIČKOVÁ"},   {"BENEŠ", "BENEŠOVÁ"},
    {"FIALA", "FIALOVÁ"},        {"SEDLÁČEK", "SEDLÁČKOVÁ"}, {"DOLEŽAL", "DOLEŽALOVÁ"},
    {"ZEMAN", "ZEMANOVÁ"},       {"KOLÁŘ", "KOLÁŘOVÁ"},      {"NAVRÁTIL", "NAVRÁTILOVÁ"},
    {"ČERMÁK", "ČERMÁKOVÁ"},     {"VANĚK", "VAŇKOVÁ"},       {"URBAN", "URBANOVÁ"},
    {"BLAŽEK", "BLAŽKOVÁ"},      {"KŘÍŽ", "KŘÍŽOVÁ"},        {"KOVÁŘ", "KOVÁŘOVÁ"},
    {"BARTOŠ", "BARTOŠOVÁ"},     {"VLČEK", "VLČKOVÁ"},       {"POLÁK", "POLÁKOVÁ"},
    {"MUSIL", "MUSILOVÁ"},       {"KOPECKÝ", "KOPECKÁ"},     {"ŠIMEK", "ŠIMKOVÁ"},
    {"KONEČNÝ", "KONEČNÁ"},      {"MALÝ", "MALÁ"},           {"HOLUB", "HOLUBOVÁ"},
    {"ŠTĚPÁNEK", "ŠTĚPÁNKOVÁ"},  {"BEDNÁŘ", "BEDNÁŘOVÁ"},    {"TICHÝ", "TICHÁ"},
    {"ŘÍHA", "ŘÍHOVÁ"},          {"ŽÁK", "ŽÁKOVÁ"},          {"LHOTÁK", "LHOTÁKOVÁ"},
};

const char* const streets[] = {"NÁDRAŽNÍ",   "HLAVNÍ",    "ŠKOLNÍ",      "POLNÍ",   "LUČNÍ",
                               "ZAHRADNÍ",   "KOSTELNÍ",  "NA VÝSLUNÍ",  "ČECHOVA", "NERUDOVA",
                               "HUSOVA",     "MÁCHOVA",   "PRACHATICKÁ", "LESNÍ",   "DRUŽSTEVNÍ",
                               "NA KOPEČKU", "U MLÝNA",   "SLUNEČNÍ",    "KRÁTKÁ",  "NÁMĚSTÍ MÍRU",
                               "ŽIŽKOVA",    "PALACKÉHO", "K RYBNÍKU",   "V ZÁTIŠÍ"};

const char* const towns[] = {"STACHY",        "VOLARY",     "VIMPERK",    "PRACHATICE",
                             "TÁBOR",         "PÍSEK",      "STRAKONICE", "ČESKÉ BUDĚJOVICE",
                             "ČESKÝ KRUMLOV", "PLZEŇ",      "PRAHA 4",    "KLATOVY",
                             "SUŠICE",        "NETOLICE",   "VACOV",      "VODŇANY",
                             "HUSINEC",       "WINTERBERG", "BRNO",       "JIHLAVA"};

const char* const placeStems[] = {
    "LHOTA",     "ÚJEZD",      "BOROVÁ",    "LIPNICE",   "DUBOVÉ",   "BŘEZÍ",    "JAVORNÍK",
    "OLŠINA",    "SKALICE",    "BUKOVEC",   "ZÁHOŘÍ",    "PODHOŘÍ",  "KOSTELEC", "RADOSTICE",
    "HRADIŠTĚ",  "VŠEMYSLICE", "CHLUMEC",   "STRÁŽ",     "MLÝNEC",   "LUŽNICE",  "RYBNÍK",
    "VRBICE",    "KAMENICE",   "DRAHONICE", "TŘEBOVICE", "ŽELNAVA",  "HOSTICE",  "LÁZ",
    "MILETÍN",   "SEDLEC",     "LOUČOVICE", "POLENA",    "STUDENEC", "HORKA",    "ZBYTINY",
    "ČEPŘOVICE", "KŘEMENICE",  "VLKOVICE"};
const char* const placeQualifiers[] = {"",       "DOLNÍ ", "HORNÍ ", "NOVÁ ",
                                       "STARÁ ", "MALÁ ",  "VELKÁ "};

} // namespace

QString FitText(const QString& text, int size)
{
    return text.size() <= size ? text : text.left(size).trimmed();
}

QString DemoNameSource::person(bool female)
{
    const Surname& s = m_random.pick(surnames);
    return QString::fromUtf8(female ? s.female : s.male) + QLatin1Char(' ') +
           QString::fromUtf8(female ? m_random.pick(femaleNames) : m_random.pick(maleNames));
}

QString DemoNameSource::wifeOf(const QString& husband)
{
    const QString surname = husband.section(QLatin1Char(' '), 0, 0);
    for (const Surname& s : surnames) {
        if (surname == QString::fromUtf8(s.male))
            return QString::fromUtf8(s.female) + QLatin1Char(' ') +
                   QString::fromUtf8(m_random.pick(femaleNames));
    }
    return person(true);
}

QString DemoNameSource::address()
{
    return QString::fromUtf8(m_random.pick(streets)) + QLatin1Char(' ') +
           QString::number(m_random.between(1, 999)) + QStringLiteral(", ") + town();
}

QString DemoNameSource::company()
{
    static const char* const kinds[] = {
        "AGRO", "ZEMĚDĚLSKÉ DRUŽSTVO", "STAVBY", "LESY", "STATEK", "DŘEVO", "RYBÁŘSTVÍ"};
    static const char* const forms[] = {"S.R.O.", "A.S.", "V.O.S.", ""};
    QString name = QString::fromUtf8(m_random.pick(kinds)) + QLatin1Char(' ') +
                   QString::fromUtf8(m_random.pick(placeStems));
    const QString form = QString::fromUtf8(m_random.pick(forms));
    if (!form.isEmpty())
        name += QLatin1Char(' ') + form;
    return name;
}

QString DemoNameSource::placeName(int index)
{
    const int stems = int(std::size(placeStems));
    const int qualifiers = int(std::size(placeQualifiers));
    const QString stem = QString::fromUtf8(placeStems[index % stems]);
    QString qualifier = QString::fromUtf8(placeQualifiers[(index / stems) % qualifiers]);
    QString name = qualifier + stem;
    // Beyond stems * qualifiers the names are told apart by a number.
    if (index >= stems * qualifiers)
        name += QLatin1Char(' ') + QString::number(index / (stems * qualifiers) + 1);
    return FitText(name, 30);
}

QString DemoNameSource::town()
{
    return QString::fromUtf8(m_random.pick(towns));
}
